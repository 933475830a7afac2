// The backup copy of the working database that run-all makes before it changes anything.
//
// The copy lies beside the database: its path with the extension (from the last "." of the
// file name) replaced by "_", the day as YYYY.MM.DD and the extension: ".mdb" for an Access
// database or a path without extension, the original's own for any other file
// ("work.skdb" gives "work_2026.12.08.skdb"). A copy is never overwritten: when a file of
// that name exists (an earlier run-all of the same day), the copy is named with "_2",
// "_3", ... before the extension, the first free number.
//
// The copy is written under a hidden temporary name beside it and renamed only when it is
// complete and on the disk, so no file of a backup's name is ever a partial copy.
#ifndef SKARNVEL_ACTIONS_BACKUP_COPY_H_
#define SKARNVEL_ACTIONS_BACKUP_COPY_H_

#include <functional>
#include <string>

namespace actions {

struct CalendarDay {
  int year = 0;
  int month = 0;  // 1..12
  int day = 0;    // 1..31
};

// The name of the day's first copy, e.g. "/srv/work.mdb" on 8 December 2026 gives
// "/srv/work_2026.12.08.mdb".
std::string BackupName(const std::string& database_path, const CalendarDay& day);

// The `n`th copy of the day (n >= 2): "/srv/work_2026.12.08_2.mdb".
std::string BackupName(const std::string& database_path, const CalendarDay& day, int n);

// Copies the database to the first free backup name and returns that name. Never replaces
// an existing file, also when another process creates one at the same moment. Throws
// FileError (file_io.h) naming the backup, with the reason, when the copy cannot be made;
// the partial copy is removed then (by the next copy when the process was killed).
std::string MakeBackupCopy(const std::string& database_path, const CalendarDay& day);

}  // namespace actions

#endif  // SKARNVEL_ACTIONS_BACKUP_COPY_H_
