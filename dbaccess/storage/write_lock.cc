#include "dbaccess/storage/write_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <set>
#include <thread>

#include "dbaccess/base/ascii_case.h"
#include "dbaccess/base/jet_error.h"

namespace dbaccess {
namespace {

constexpr std::chrono::milliseconds kRetryPause{10};
constexpr std::string_view kJetExtension = ".mdb";
constexpr std::string_view kLockExtension = ".ldb";
constexpr mode_t kLockFileMode = 0666;  // as the umask allows

std::atomic<int64_t> lock_wait_for_testing_ms{0};

std::chrono::milliseconds LockWait() {
  const int64_t ms = lock_wait_for_testing_ms.load();
  return ms > 0 ? std::chrono::milliseconds(ms) : kLockWait;
}

bool SameFile(int fd, const std::string& path) {
  struct stat by_fd {
  }, by_path{};
  if (fstat(fd, &by_fd) != 0 || stat(path.c_str(), &by_path) != 0) return false;
  return by_fd.st_dev == by_path.st_dev && by_fd.st_ino == by_path.st_ino;
}

// Takes an exclusive flock on `fd`, trying until `deadline`; false when it stayed locked.
bool LockUntil(int fd, std::chrono::steady_clock::time_point deadline) {
  for (;;) {
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
    if (errno != EWOULDBLOCK && errno != EINTR) return false;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(kRetryPause);
  }
}

// The database files this thread holds locked (device and inode).
std::set<std::pair<dev_t, ino_t>>& HeldByThisThread() {
  thread_local std::set<std::pair<dev_t, ino_t>> held;
  return held;
}

}  // namespace

std::string LockFilePath(const std::string& database_path) {
  const std::filesystem::path path(database_path);
  const std::string extension = path.extension().string();
  if (EqualsIgnoringAsciiCase(extension, kJetExtension)) {
    return database_path.substr(0, database_path.size() - extension.size()) +
           std::string(kLockExtension);
  }
  return database_path + std::string(kLockExtension);
}

WriteLock::WriteLock(const std::string& database_path) : lock_path_(LockFilePath(database_path)) {
  struct stat database {};
  if (stat(database_path.c_str(), &database) == 0) {
    if (HeldByThisThread().count({database.st_dev, database.st_ino}) != 0) {
      nested_ = true;
      return;
    }
  }
  const auto deadline = std::chrono::steady_clock::now() + LockWait();
  // The lock file: a holder removes it when done, so the file locked must still be the
  // one of that name, or the lock is taken again on the new one.
  for (;;) {
    int fd = open(lock_path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, kLockFileMode);
    if (fd < 0 && (errno == EACCES || errno == EPERM || errno == EROFS)) {
      fd = open(lock_path_.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);  // one that is there
      if (fd < 0) throw jet_errors::ReadOnlyDatabase();
    }
    if (fd < 0) {
      if (errno == ENOENT || errno == ENOTDIR) throw jet_errors::CouldNotFindFile(database_path);
      throw jet_errors::CannotOpenFile(lock_path_);
    }
    if (!LockUntil(fd, deadline)) {
      close(fd);
      throw jet_errors::FileInUse(database_path);
    }
    if (SameFile(fd, lock_path_)) {
      lock_fd_ = fd;
      break;
    }
    close(fd);  // removed or replaced while this writer waited
  }
  // The database file itself, for programs that lock the file rather than its lock file.
  database_fd_ = open(database_path.c_str(), O_RDONLY | O_CLOEXEC);
  if (database_fd_ < 0) {
    const int error = errno;
    Release();
    if (error == ENOENT || error == ENOTDIR) throw jet_errors::CouldNotFindFile(database_path);
    throw jet_errors::CannotOpenFile(database_path);
  }
  if (!LockUntil(database_fd_, deadline)) {
    Release();
    throw jet_errors::FileInUse(database_path);
  }
  struct stat locked {};
  if (fstat(database_fd_, &locked) == 0) {
    held_ = {locked.st_dev, locked.st_ino};
    HeldByThisThread().insert(*held_);
  }
}

WriteLock::~WriteLock() {
  if (nested_) return;
  if (held_) HeldByThisThread().erase(*held_);
  Release();
}

void WriteLock::Release() {
  if (database_fd_ >= 0) close(database_fd_);
  database_fd_ = -1;
  if (lock_fd_ < 0) return;
  struct stat st {};
  // Removed while still held, so the next writer never locks a file that is going away.
  if (fstat(lock_fd_, &st) == 0 && S_ISREG(st.st_mode) && st.st_size == 0 &&
      SameFile(lock_fd_, lock_path_)) {
    unlink(lock_path_.c_str());
  }
  close(lock_fd_);
  lock_fd_ = -1;
}

bool MayWrite(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return true;  // not there: opening it will say so
  if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return false;
  return access(path.c_str(), W_OK) == 0;
}

void SetLockWaitForTesting(std::chrono::milliseconds wait) {
  lock_wait_for_testing_ms.store(wait.count());
}

}  // namespace dbaccess
