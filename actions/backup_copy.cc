#include "actions/backup_copy.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string_view>
#include <vector>

#include "actions/file_io.h"
#include "actions/workbench_texts.h"

namespace actions {
namespace {

// A safety bound on the copies of one day; a folder with this many is surely wrong.
constexpr int kMaxCopiesPerDay = 10000;
constexpr size_t kCopyBlock = 1 << 16;
constexpr int kTemporaryAttempts = 3;

// Where the extension of the file name part starts (ChangeFileExt's rule: at its last
// "."), or npos when it has none.
size_t ExtensionStart(const std::string& path) {
  const size_t slash = path.rfind('/');
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
    return std::string::npos;
  }
  return dot;
}

std::string WithoutExtension(const std::string& path) {
  const size_t dot = ExtensionStart(path);
  return dot == std::string::npos ? path : path.substr(0, dot);
}

bool IsJetExtension(std::string_view extension) {
  if (extension.size() != texts::kBackupExtension.size()) return false;
  for (size_t i = 0; i < extension.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(extension[i])) != texts::kBackupExtension[i]) {
      return false;
    }
  }
  return true;
}

// The copy's extension: ".mdb" for an Access database (or a name without extension), the
// original's own for any other file, so that a copy is never taken for what it is not.
std::string CopyExtension(const std::string& path) {
  const size_t dot = ExtensionStart(path);
  if (dot == std::string::npos) return std::string(texts::kBackupExtension);
  const std::string extension = path.substr(dot);
  return IsJetExtension(extension) ? std::string(texts::kBackupExtension) : extension;
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

constexpr std::string_view kTemporaryMark = ".tmp-";
constexpr size_t kTemporarySuffix = 6;  // the XXXXXX of mkostemp

bool IsStill(int fd, const std::string& path) {
  struct stat by_fd {
  }, by_path{};
  if (::fstat(fd, &by_fd) != 0 || ::lstat(path.c_str(), &by_path) != 0) return false;
  return by_fd.st_dev == by_path.st_dev && by_fd.st_ino == by_path.st_ino;
}

// Removes the temporary copies `prefix` + XXXXXX in `folder` whose writer died: a writer
// keeps its temporary copy locked (flock) until it has its name.
void RemoveStaleTemporaries(const std::filesystem::path& folder, const std::string& prefix) {
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return;  // the copy itself will say what is wrong
  std::vector<std::string> names;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view name(entry->d_name);
    if (name.size() == prefix.size() + kTemporarySuffix && name.starts_with(prefix)) {
      names.emplace_back(name);
    }
  }
  ::closedir(dir);
  for (const std::string& name : names) {
    const std::string path = (folder / name).string();
    Fd fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0) continue;
    struct stat st {};
    if (::fstat(fd.get(), &st) == 0 && S_ISREG(st.st_mode) &&
        ::flock(fd.get(), LOCK_EX | LOCK_NB) == 0 && IsStill(fd.get(), path)) {
      ::unlink(path.c_str());
    }
  }
}

void SyncFolder(const std::filesystem::path& folder) {
  Fd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.get() >= 0) ::fsync(fd.get());  // some file systems cannot; the copy is there anyway
}

// The copy being written: a locked temporary file, removed unless it got its name.
class TemporaryCopy {
 public:
  TemporaryCopy(std::string pattern, const std::string& target, mode_t mode) {
    for (int attempt = 0; attempt < kTemporaryAttempts; ++attempt) {
      name_ = pattern;
      fd_ = ::mkostemp(name_.data(), O_CLOEXEC);
      if (fd_ < 0) {
        name_.clear();
        Fail(target, errno);
      }
      if (::flock(fd_, LOCK_EX | LOCK_NB) == 0 && IsStill(fd_, name_)) {
        ::fchmod(fd_, mode);  // best effort: the content matters more than its mode
        return;
      }
      ::close(fd_);  // taken for a stale one in the instant before it was locked
      fd_ = -1;
    }
    name_.clear();
    Fail(target, EEXIST);
  }
  ~TemporaryCopy() {
    if (!name_.empty()) ::unlink(name_.c_str());
    if (fd_ >= 0) ::close(fd_);
    if (held_ >= 0) ::close(held_);
  }
  TemporaryCopy(const TemporaryCopy&) = delete;
  TemporaryCopy& operator=(const TemporaryCopy&) = delete;

  int fd() const { return fd_; }

  // Closes the written copy, keeping its lock until it is named or removed.
  void Close(const std::string& target) {
    held_ = ::dup(fd_);
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) Fail(target, errno);
  }

  // Gives the copy the name `target` unless a file has it: 0, or the errno (EEXIST).
  int MoveTo(const std::string& target) {
    if (::renameat2(AT_FDCWD, name_.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) {
      name_.clear();
      return 0;
    }
    if (errno != EINVAL && errno != ENOSYS) return errno;
    // No RENAME_NOREPLACE on this file system: a hard link refuses an existing name too.
    if (::link(name_.c_str(), target.c_str()) != 0) return errno;
    return 0;  // the temporary name goes with the destructor
  }

 private:
  std::string name_;
  int fd_ = -1;
  int held_ = -1;
};

}  // namespace

std::string BackupName(const std::string& database_path, const CalendarDay& day) {
  return WithoutExtension(database_path) + std::string(texts::kBackupSeparator) + DayText(day) +
         CopyExtension(database_path);
}

std::string BackupName(const std::string& database_path, const CalendarDay& day, int n) {
  if (n < 2) return BackupName(database_path, day);
  return WithoutExtension(database_path) + std::string(texts::kBackupSeparator) + DayText(day) +
         "_" + std::to_string(n) + CopyExtension(database_path);
}

std::string MakeBackupCopy(const std::string& database_path, const CalendarDay& day) {
  const std::string first = BackupName(database_path, day);
  Fd source(::open(database_path.c_str(), O_RDONLY | O_CLOEXEC));
  if (source.get() < 0) Fail(first, errno);
  struct stat info {};
  if (::fstat(source.get(), &info) != 0) Fail(first, errno);
  if (S_ISDIR(info.st_mode)) Fail(first, EISDIR);
  // The copy is written under a temporary name and gets its own only once it is complete
  // and on the disk, so a copy cut short (a killed process, a full disk) never looks like a
  // backup; such a temporary file is removed by the next copy of the same day.
  const std::filesystem::path first_path(first);
  std::filesystem::path folder = first_path.parent_path();
  if (folder.empty()) folder = ".";
  const std::string prefix = "." + first_path.filename().string() + std::string(kTemporaryMark);
  RemoveStaleTemporaries(folder, prefix);
  TemporaryCopy temp((folder / (prefix + "XXXXXX")).string(), first, info.st_mode & 0666);
  CopyContents(source.get(), temp.fd(), first);
  temp.Close(first);
  for (int n = 1; n <= kMaxCopiesPerDay; ++n) {
    const std::string target = BackupName(database_path, day, n);
    // Never over an existing file, whoever made it and whenever.
    const int error = temp.MoveTo(target);
    if (error == EEXIST) continue;
    if (error != 0) Fail(target, error);
    SyncFolder(folder);
    return target;
  }
  Fail(BackupName(database_path, day, kMaxCopiesPerDay), EEXIST);
  return {};
}

}  // namespace actions
