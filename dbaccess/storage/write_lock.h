// The lock a writer holds on a database file while it checks and writes a change, so that
// writers in several processes take turns and none overwrites another's work.
//
// As Jet does, the lock lives in a lock file beside the database: "work.mdb" gives
// "work.ldb", any other name gets ".ldb" appended ("work.skdb.ldb"). The writer holds an
// exclusive flock on the lock file and on the database file itself. A writer that finds
// either locked tries again for a short, bounded time (kLockWait) and then fails with 3045
// ("Could not use '...'; file already in use."). A folder where no lock file can be made
// gives 3027 (the database is read-only there, as for Jet).
//
// The lock file is removed again when the lock is let go, unless it holds something (a lock
// file of another program, which is only locked, never changed).
//
// A thread that holds the lock on a file may take it again (a writer that locks the file for
// a whole change, and the page journal that locks it for each write): the inner lock is the
// outer one, and only the outer one lets it go. Other threads of the process wait as other
// processes do.
#ifndef SKARNVEL_DBACCESS_STORAGE_WRITE_LOCK_H_
#define SKARNVEL_DBACCESS_STORAGE_WRITE_LOCK_H_

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <utility>

namespace dbaccess {

inline constexpr std::chrono::milliseconds kLockWait{5000};

// The lock file's path for the database at `database_path`.
std::string LockFilePath(const std::string& database_path);

class WriteLock {
 public:
  // Locks the database at `database_path` (an existing file); throws JetError as above.
  explicit WriteLock(const std::string& database_path);
  ~WriteLock();
  WriteLock(const WriteLock&) = delete;
  WriteLock& operator=(const WriteLock&) = delete;

 private:
  void Release();

  std::string lock_path_;
  int lock_fd_ = -1;
  int database_fd_ = -1;
  bool nested_ = false;                          // this thread held the lock already
  std::optional<std::pair<dev_t, ino_t>> held_;  // the database file, when locked here
};

// Whether the user may change the file at `path`: false when the file system or the
// permissions forbid writing it, or when it carries no write permission for anyone (a file
// made read-only, which even the superuser leaves alone).
bool MayWrite(const std::string& path);

// For tests: how long a writer waits for a lock (kLockWait when not set; zero restores it).
void SetLockWaitForTesting(std::chrono::milliseconds wait);

}  // namespace dbaccess

#endif  // SKARNVEL_DBACCESS_STORAGE_WRITE_LOCK_H_
