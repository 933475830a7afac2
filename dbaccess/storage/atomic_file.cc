#include "dbaccess/storage/atomic_file.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>

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

// A temporary file beside the target, removed unless it was renamed into place.
class TemporaryFile {
 public:
  explicit TemporaryFile(const std::string& path) {
    const std::filesystem::path target(path);
    std::filesystem::path folder = target.parent_path();
    if (folder.empty()) folder = ".";
    folder_ = folder.string();
    name_ = (folder / ("." + target.filename().string() + ".tmp-XXXXXX")).string();
    int error = Fault(WriteStep::kCreateTemporary);
    if (error == 0) {
      fd_ = mkostemp(name_.data(), O_CLOEXEC);
      if (fd_ < 0) error = errno;
    }
    if (error != 0) {
      name_.clear();
      throw FileError(error, path);
    }
  }
  ~TemporaryFile() {
    if (fd_ >= 0) close(fd_);
    if (!name_.empty()) unlink(name_.c_str());
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  // Writes, flushes and closes; throws for the target `path`.
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
