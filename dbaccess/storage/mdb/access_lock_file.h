// Access's lock file beside a Jet database. While Access (or any program using Jet) has
// "work.mdb" open, "work.ldb" beside it holds one 64-byte record per user of the database
// (the computer's name and the user's, 32 bytes each); Access removes it when the last user
// closes the database, and a crash leaves it behind. Our own write lock (write_lock.h) uses
// a file of the same name but never writes into it, so an empty lock file is ours (held
// now, or left by a writer of ours that was killed) and does not count.
#ifndef SKARNVEL_DBACCESS_STORAGE_MDB_ACCESS_LOCK_FILE_H_
#define SKARNVEL_DBACCESS_STORAGE_MDB_ACCESS_LOCK_FILE_H_

#include <optional>
#include <string>

namespace dbaccess::mdb {

// Access's lock file beside the database at `path` when one lies there with anything in it;
// its name is compared without regard to case, as Windows compares names (a shared folder).
std::optional<std::string> FindAccessLockFile(const std::string& path);

// Throws jet_errors::OpenInAccess, naming the lock file, when FindAccessLockFile finds one.
void RefuseWhileOpenInAccess(const std::string& path);

}  // namespace dbaccess::mdb

#endif  // SKARNVEL_DBACCESS_STORAGE_MDB_ACCESS_LOCK_FILE_H_
