// Jet's DateTime values: OLE Automation dates, a double counting days since 1899-12-30,
// the fraction being the time of day. Before 1899-12-30 the fraction still counts forward
// from midnight: -1.25 is 1899-12-29 06:00.
//
// Text forms read: "2020-01-31", "2020-01-31 13:45", "2020-01-31 13:45:07", the U.S. form of
// Jet SQL literals "1/31/2020" with the same times, a time alone ("13:45:07") and the
// 12-hour forms "1:45 PM", "1:45:07 am". Written form: "2020-01-31 13:45:07", the time left
// out at midnight and the date left out on 1899-12-30 (as VBA does with its own format).
#ifndef SKARNVEL_DBACCESS_BASE_OLE_DATE_H_
#define SKARNVEL_DBACCESS_BASE_OLE_DATE_H_

#include <string>
#include <string_view>

namespace dbaccess {

constexpr double kMinOleDate = -657434.0;          // 0100-01-01 00:00:00
constexpr double kMaxOleDate = 2958465.999988426;  // 9999-12-31 23:59:59

struct DateTimeParts {
  int year = 1899, month = 12, day = 30;
  int hour = 0, minute = 0, second = 0;
};

// False when a part is out of range (years 100..9999).
bool OleDateFromParts(const DateTimeParts& parts, double& out);
// Rounded to the nearest second; false outside kMinOleDate..kMaxOleDate or for NaN.
bool PartsFromOleDate(double value, DateTimeParts& out);

bool ParseDateText(std::string_view text, double& out);
std::string FormatDateText(double value);  // "" for a value PartsFromOleDate refuses

// The local date and time now, to the second.
double OleDateNow();

}  // namespace dbaccess

#endif  // SKARNVEL_DBACCESS_BASE_OLE_DATE_H_
