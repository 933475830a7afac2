// The date and time as the user reads them: run-all's time stamps follow the user's locale
// (LC_TIME from the environment), its backup copy is named by the local day. The clock is a
// parameter so that tests fix the moment.
#ifndef SKARNVEL_ACTIONS_LOCAL_TIME_H_
#define SKARNVEL_ACTIONS_LOCAL_TIME_H_

#include <chrono>
#include <functional>
#include <string>

#include "actions/backup_copy.h"

namespace actions {

using Clock = std::function<std::chrono::system_clock::time_point()>;

// The system clock.
Clock SystemClock();

// Date, then time of day, in the user's locale (strftime "%x %X" under LC_TIME as the
// environment sets it; the program's other locale categories stay as they are).
std::string LocalTimeStamp(std::chrono::system_clock::time_point moment);

// The local calendar day of the moment.
CalendarDay LocalDay(std::chrono::system_clock::time_point moment);

}  // namespace actions

#endif  // SKARNVEL_ACTIONS_LOCAL_TIME_H_
