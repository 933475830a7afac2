#include "actions/backup_copy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "actions/file_io.h"
#include "actions/workbench_texts.h"

namespace actions {
namespace {

// A safety bound on the copies of one day; a folder with this many is surely wrong.
constexpr int kMaxCopiesPerDay = 10000;
constexpr size_t kCopyBlock = 1 << 16;

// The path without its extension: ChangeFileExt's rule, the extension starting at the last
// "." of the file name part.
std::string WithoutExtension(const std::string& path) {
  const size_t slash = path.rfind('/');
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return path;
  return path.substr(0, dot);
}

std::string DayText(const CalendarDay& day) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d.%02d.%02d", day.year, day.month, day.day);
  return text;
}

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  int Release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_;
};

void Fail(const std::string& path, int error) { throw FileError(path, SystemErrorText(error)); }

void CopyContents(int from, int to, const std::string& target) {
  std::string block(kCopyBlock, '\0');
  for (;;) {
    const ssize_t got = ::read(from, block.data(), block.size());
    if (got < 0) {
      if (errno == EINTR) continue;
      Fail(target, errno);
    }
    if (got == 0) break;
    size_t done = 0;
    while (done < static_cast<size_t>(got)) {
      const ssize_t put = ::write(to, block.data() + done, static_cast<size_t>(got) - done);
      if (put < 0) {
        if (errno == EINTR) continue;
        Fail(target, errno);
      }
      done += static_cast<size_t>(put);
    }
  }
  if (::fsync(to) != 0) Fail(target, errno);
}

}  // namespace

std::string BackupName(const std::string& database_path, const CalendarDay& day) {
  return WithoutExtension(database_path) + std::string(texts::kBackupSeparator) + DayText(day) +
         std::string(texts::kBackupExtension);
}

std::string BackupName(const std::string& database_path, const CalendarDay& day, int n) {
  if (n < 2) return BackupName(database_path, day);
  return WithoutExtension(database_path) + std::string(texts::kBackupSeparator) + DayText(day) +
         "_" + std::to_string(n) + std::string(texts::kBackupExtension);
}

std::string MakeBackupCopy(const std::string& database_path, const CalendarDay& day) {
  Fd source(::open(database_path.c_str(), O_RDONLY | O_CLOEXEC));
  if (source.get() < 0) Fail(BackupName(database_path, day), errno);
  struct stat info {};
  if (::fstat(source.get(), &info) != 0) Fail(BackupName(database_path, day), errno);
  for (int n = 1; n <= kMaxCopiesPerDay; ++n) {
    const std::string target = BackupName(database_path, day, n);
    // O_EXCL: an existing file, whoever made it and whenever, is never touched.
    Fd copy(::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, info.st_mode & 0666));
    if (copy.get() < 0) {
      if (errno == EEXIST) continue;
      Fail(target, errno);
    }
    try {
      CopyContents(source.get(), copy.get(), target);
      if (::close(copy.Release()) != 0) Fail(target, errno);
    } catch (...) {
      ::unlink(target.c_str());
      throw;
    }
    return target;
  }
  Fail(BackupName(database_path, day, kMaxCopiesPerDay), EEXIST);
  return {};
}

}  // namespace actions
