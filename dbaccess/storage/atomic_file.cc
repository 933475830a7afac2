#include "dbaccess/storage/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <vector>

#include "dbaccess/base/jet_error.h"

namespace dbaccess {
namespace {

WriteFaultHook& Hook() {
  static WriteFaultHook hook;
  return hook;
}

// errno of the step: the hook's fault, or the real call's.
int Fault(WriteStep step) {
  const WriteFaultHook& hook = Hook();
  return hook ? hook(step) : 0;
}

constexpr int kTemporaryAttempts = 3;
constexpr std::string_view kTemporaryMark = ".tmp-";
constexpr size_t kTemporarySuffix = 6;  // the XXXXXX of mkostemp

bool IsStill(int fd, const std::string& path) {
  struct stat by_fd {
  }, by_path{};
  if (fstat(fd, &by_fd) != 0 || lstat(path.c_str(), &by_path) != 0) return false;
  return by_fd.st_dev == by_path.st_dev && by_fd.st_ino == by_path.st_ino;
}

// Removes the temporary files that earlier writes of `target` left behind when their
// process died: those of our own name form whose writer holds no lock on them any more.
void RemoveStaleTemporaries(const std::filesystem::path& folder, const std::string& target) {
  const std::string prefix = "." + target + std::string(kTemporaryMark);
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return;  // the write itself will say what is wrong
  std::vector<std::string> stale;
  while (const dirent* entry = readdir(dir)) {
    const std::string_view name(entry->d_name);
    if (name.size() == prefix.size() + kTemporarySuffix && name.starts_with(prefix)) {
      stale.emplace_back(name);
    }
  }
  closedir(dir);
  for (const std::string& name : stale) {
    const std::string path = (folder / name).string();
    const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) continue;
    struct stat st {};
    // Removed while locked, so no writer can lock it anew meanwhile.
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && flock(fd, LOCK_EX | LOCK_NB) == 0 &&
        IsStill(fd, path)) {
      unlink(path.c_str());
    }
    close(fd);
  }
}

// A temporary file beside the target, removed unless it was renamed into place.
class TemporaryFile {
 public:
  explicit TemporaryFile(const std::string& path) {
    const std::filesystem::path target(path);
    std::filesystem::path folder = target.parent_path();
    if (folder.empty()) folder = ".";
    folder_ = folder.string();
    name_ = (folder / ("." + target.filename().string() + ".tmp-XXXXXX")).string();
    const std::string pattern = name_;
    int error = Fault(WriteStep::kCreateTemporary);
    for (int attempt = 0; error == 0; ++attempt) {
      name_ = pattern;
      fd_ = mkostemp(name_.data(), O_CLOEXEC);
      if (fd_ < 0) {
        error = errno;
        break;
      }
      // Locked while it lives, so that the next writer can tell a file of a writer that
      // died (unlocked) from one being written, and removes only the first.
      if (flock(fd_, LOCK_EX | LOCK_NB) == 0 && IsStill(fd_, name_)) break;
      close(fd_);  // taken for a stale one in the instant before it was locked
      fd_ = -1;
      if (attempt + 1 == kTemporaryAttempts) error = EEXIST;
    }
    if (error != 0) {
      name_.clear();
      throw FileError(error, path);
    }
  }
  ~TemporaryFile() {
    if (!name_.empty()) unlink(name_.c_str());
    if (fd_ >= 0) close(fd_);
    if (held_ >= 0) close(held_);
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  // Writes, flushes and closes (keeping the lock); throws for the target `path`.
  void Fill(std::string_view content, mode_t mode, const std::string& path) {
    fchmod(fd_, mode);  // best effort: the content matters more than its mode
    int error = Fault(WriteStep::kWrite);
    size_t done = 0;
    while (error == 0 && done < content.size()) {
      const ssize_t n = write(fd_, content.data() + done, content.size() - done);
      if (n < 0) {
        if (errno == EINTR) continue;
        error = errno;
      } else {
        done += static_cast<size_t>(n);
      }
    }
    if (error == 0) error = Fault(WriteStep::kSync);
    if (error == 0 && fsync(fd_) != 0) error = errno;
    if (error == 0) error = Fault(WriteStep::kClose);
    if (error != 0) throw FileError(error, path);
    // The lock stays with a second descriptor until the file is renamed or removed.
    held_ = dup(fd_);
    const int fd = fd_;
    fd_ = -1;
    if (close(fd) != 0) throw FileError(errno, path);
  }

  const std::string& name() const { return name_; }
  const std::string& folder() const { return folder_; }
  void Release() { name_.clear(); }  // renamed into place: nothing to remove

 private:
  std::string folder_;
  std::string name_;
  int fd_ = -1;
  int held_ = -1;  // keeps the lock after fd_ is closed
};

void SyncFolder(const std::string& folder) {
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);  // some file systems cannot; the rename has happened all the same
  close(fd);
}

mode_t DefaultMode() {
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

}  // namespace

void SetWriteFaultHookForTesting(WriteFaultHook hook) { Hook() = std::move(hook); }

void ReplaceFileAtomically(const std::string& path, std::string_view content) {
  struct stat st {};
  const mode_t mode = stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : DefaultMode();
  {
    std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (folder.empty()) folder = ".";
    RemoveStaleTemporaries(folder, std::filesystem::path(path).filename().string());
  }
  TemporaryFile temp(path);
  temp.Fill(content, mode, path);
  int error = Fault(WriteStep::kRename);
  if (error == 0 && rename(temp.name().c_str(), path.c_str()) != 0) error = errno;
  if (error != 0) throw FileError(error, path);
  temp.Release();
  SyncFolder(temp.folder());
}

void CreateFileAtomically(const std::string& path, std::string_view content) {
  struct stat st {};
  if (lstat(path.c_str(), &st) == 0) throw jet_errors::DatabaseExists();
  TemporaryFile temp(path);
  temp.Fill(content, DefaultMode(), path);
  int error = Fault(WriteStep::kRename);
  if (error == 0 &&
      renameat2(AT_FDCWD, temp.name().c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) != 0) {
    error = errno;
    if (error == EINVAL || error == ENOSYS) {  // no RENAME_NOREPLACE here: a hard link refuses too
      error = link(temp.name().c_str(), path.c_str()) == 0 ? 0 : errno;
    }
  }
  if (error == EEXIST) throw jet_errors::DatabaseExists();
  if (error != 0) throw FileError(error, path);
  SyncFolder(temp.folder());
  // Renamed: nothing left to remove; linked: the destructor removes the temporary name.
  if (access(temp.name().c_str(), F_OK) != 0) temp.Release();
}

std::string ReadWholeFile(const std::string& path) { return ReadFileHead(path, std::string::npos); }

std::string ReadFileHead(const std::string& path, size_t max_bytes) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT || errno == ENOTDIR) throw jet_errors::CouldNotFindFile(path);
    throw jet_errors::CannotOpenFile(path);
  }
  struct stat st {};
  if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    close(fd);
    throw jet_errors::UnrecognizedFormat(path);
  }
  std::string content;
  content.reserve(std::min(static_cast<size_t>(st.st_size), max_bytes));
  char buffer[1 << 16];
  while (content.size() < max_bytes) {
    const ssize_t n = read(fd, buffer, std::min(sizeof buffer, max_bytes - content.size()));
    if (n < 0) {
      if (errno == EINTR) continue;
      const int error = errno;
      close(fd);
      throw FileError(error, path);
    }
    if (n == 0) break;
    content.append(buffer, static_cast<size_t>(n));
  }
  close(fd);
  return content;
}

JetError FileError(int error, const std::string& path) {
  switch (error) {
    case ENOSPC:
    case EDQUOT:
      return jet_errors::DiskFull();
    case EACCES:
    case EPERM:
    case EROFS:
      return jet_errors::CannotOpenFile(path);
    default:
      return jet_errors::DiskError();
  }
}

}  // namespace dbaccess
