#include "actions/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "actions/workbench_texts.h"

namespace actions {
namespace {

constexpr size_t kReadChunk = 64 * 1024;
constexpr mode_t kOwnerOnlyMode = 0600;

// Closes a descriptor when it goes out of scope.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  // Closes now and reports the error number of close(), 0 on success.
  int Close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0 ? 0 : errno;
  }

 private:
  int fd_;
};

std::string ParentFolder(const std::string& path) {
  const auto parent = std::filesystem::path(path).parent_path();
  return parent.empty() ? std::string(".") : parent.string();
}

// A name for the temporary file beside `path` that no other writer uses at the same time.
std::string TemporaryName(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  return path + ".~" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

}  // namespace

FileError::FileError(const std::string& path, const std::string& reason)
    : std::runtime_error(texts::kFileErrorHead + path + "\": " + reason),
      path_(path),
      reason_(reason) {}

std::string SystemErrorText(int error_number) {
  switch (error_number) {
    case ENOENT:
      return texts::kSystemNoEntry;
    case EACCES:
    case EPERM:
      return texts::kSystemNoAccess;
    case EROFS:
      return texts::kSystemReadOnly;
    case ENOSPC:
      return texts::kSystemNoSpace;
    case EDQUOT:
      return texts::kSystemQuota;
    case EISDIR:
      return texts::kSystemIsFolder;
    case ENOTDIR:
      return texts::kSystemNotFolder;
    case EBUSY:
    case ETXTBSY:
      return texts::kSystemBusy;
    case ENAMETOOLONG:
      return texts::kSystemNameTooLong;
    case EIO:
      return texts::kSystemIo;
    case ENOMEM:
      return texts::kSystemNoMemory;
    default:
      return texts::kSystemOther + std::to_string(error_number) + " (" +
             std::strerror(error_number) + ")";
  }
}

bool FileExists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(path, ec);
}

std::string ReadFile(const std::string& path) {
  Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) throw FileError(path, SystemErrorText(errno));
  std::string bytes;
  char buffer[kReadChunk];
  for (;;) {
    const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw FileError(path, SystemErrorText(errno));
    }
    if (n == 0) break;
    bytes.append(buffer, static_cast<size_t>(n));
  }
  return bytes;
}

void ReplaceFile(const std::string& path, std::string_view bytes, FileAccess access) {
  if (path.empty()) throw FileError(path, SystemErrorText(ENOENT));
  struct stat target {};
  const bool target_exists = ::stat(path.c_str(), &target) == 0;
  if (target_exists && S_ISDIR(target.st_mode)) throw FileError(path, SystemErrorText(EISDIR));

  std::string temporary;
  int fd_number = -1;
  for (int attempt = 0; attempt < 100 && fd_number < 0; ++attempt) {
    temporary = TemporaryName(path);
    fd_number = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                       access == FileAccess::kOwnerOnly ? kOwnerOnlyMode : 0666);
    if (fd_number < 0 && errno != EEXIST) break;
  }
  if (fd_number < 0) throw FileError(path, SystemErrorText(errno));
  Descriptor fd(fd_number);

  int error = 0;
  if (access == FileAccess::kOwnerOnly) {
    if (::fchmod(fd.get(), kOwnerOnlyMode) != 0) error = errno;
  } else if (target_exists && ::fchmod(fd.get(), target.st_mode & 07777) != 0) {
    error = errno;
  }
  if (error == 0 && !WriteAll(fd.get(), bytes)) error = errno;
  if (error == 0 && ::fsync(fd.get()) != 0) error = errno;
  if (const int close_error = fd.Close(); error == 0) error = close_error;
  if (error == 0 && ::rename(temporary.c_str(), path.c_str()) != 0) error = errno;
  if (error != 0) {
    ::unlink(temporary.c_str());
    throw FileError(path, SystemErrorText(error));
  }
  // Make the rename itself durable; a failure here does not undo the written file.
  Descriptor folder(::open(ParentFolder(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.get() >= 0) ::fsync(folder.get());
}

}  // namespace actions
