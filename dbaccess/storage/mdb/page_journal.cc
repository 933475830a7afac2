#include "dbaccess/storage/mdb/page_journal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "dbaccess/base/jet_error.h"
#include "dbaccess/storage/atomic_file.h"
#include "dbaccess/storage/mdb/access_lock_file.h"
#include "dbaccess/storage/mdb/page_journal_format.h"
#include "dbaccess/storage/write_lock.h"

namespace dbaccess::mdb {
namespace {

JournalCrashHook& CrashHook() {
  static JournalCrashHook hook;
  return hook;
}

JournalFailureHook& FailureHook() {
  static JournalFailureHook hook;
  return hook;
}

bool CrashAt(JournalStep step, size_t count) {
  const JournalCrashHook& hook = CrashHook();
  return hook && hook(step, count);
}

int FailureAt(JournalStep step, size_t count) {
  const JournalFailureHook& hook = FailureHook();
  return hook ? hook(step, count) : 0;
}

// An open file descriptor, closed at the end.
class Fd {
 public:
  Fd(const std::string& path, int flags, mode_t mode = 0600) : path_(path) {
    fd_ = ::open(path.c_str(), flags | O_CLOEXEC, mode);
    if (fd_ < 0) throw FileError(errno, path);
  }
  ~Fd() { ::close(fd_); }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;

  uint64_t Size() const {
    struct stat st {};
    if (::fstat(fd_, &st) != 0) throw FileError(errno, path_);
    return static_cast<uint64_t>(st.st_size);
  }
  void WriteAt(uint64_t offset, const char* data, size_t length) {
    while (length > 0) {
      const ssize_t n = ::pwrite(fd_, data, length, static_cast<off_t>(offset));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) throw FileError(n < 0 ? errno : EIO, path_);
      data += n;
      length -= static_cast<size_t>(n);
      offset += static_cast<uint64_t>(n);
    }
  }
  // Writes the bytes at `offset` as the step of a change, where a test may make it crash
  // or fail after half of them.
  void WriteStep(JournalStep step, size_t count, uint64_t offset, const char* data, size_t length) {
    const bool crash = CrashAt(step, count);
    const int error = crash ? 0 : FailureAt(step, count);
    if (crash || error != 0) {
      WriteAt(offset, data, length / 2);
      if (crash) throw PageWriteCrash{};
      throw FileError(error, path_);
    }
    WriteAt(offset, data, length);
  }
  // Reads up to `length` bytes; fewer at the end of the file.
  size_t ReadAt(uint64_t offset, char* out, size_t length) {
    size_t done = 0;
    while (done < length) {
      const ssize_t n = ::pread(fd_, out + done, length - done, static_cast<off_t>(offset + done));
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) throw FileError(errno, path_);
      if (n == 0) break;
      done += static_cast<size_t>(n);
    }
    return done;
  }
  void Truncate(uint64_t size) {
    if (::ftruncate(fd_, static_cast<off_t>(size)) != 0) throw FileError(errno, path_);
  }
  void Sync(JournalStep step) {
    if (CrashAt(step, 0)) throw PageWriteCrash{};
    const int error = FailureAt(step, 0);
    if (error != 0) throw FileError(error, path_);
    Sync();
  }
  void Sync() {
    if (::fsync(fd_) != 0) throw FileError(errno, path_);
  }

 private:
  std::string path_;
  int fd_ = -1;
};

bool Exists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

void SyncFolderOf(const std::string& path) {
  std::string folder = std::filesystem::path(path).parent_path().string();
  if (folder.empty()) folder = ".";
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;  // nothing more can be done for the folder entry
  ::fsync(fd);
  ::close(fd);
}

void RemoveJournal(const std::string& path) {
  const std::string journal = JournalPath(path);
  if (::unlink(journal.c_str()) != 0 && errno != ENOENT) throw FileError(errno, journal);
  SyncFolderOf(path);
}

// A complete journal on disk, read where it lies.
class JournalFile {
 public:
  // Nothing when the journal at `path` is not whole (cut short, damaged or another format).
  static std::optional<JournalFile> Open(const std::string& path) {
    JournalFile journal(path);
    Fd& fd = *journal.fd_;
    const uint64_t size = fd.Size();
    const std::optional<JournalHead> head =
        CheckJournal(size, [&](uint64_t offset, size_t length, char* out) {
          if (fd.ReadAt(offset, out, length) != length) throw jet_errors::DiskError();
        });
    if (!head) return std::nullopt;
    journal.head_ = *head;
    return journal;
  }

  const JournalHead& head() const { return head_; }

  // Calls `visit` with each record's page number and old bytes.
  void ForEachRecord(const std::function<void(uint32_t, const std::string&)>& visit) const {
    std::string record(kJournalRecordHeadBytes + head_.page_size, '\0');
    for (uint64_t i = 0; i < head_.records; ++i) {
      if (fd_->ReadAt(JournalRecordOffset(head_, i), record.data(), record.size()) !=
          record.size()) {
        throw jet_errors::DiskError();
      }
      uint32_t page = 0;
      for (int b = 3; b >= 0; --b) page = (page << 8) | static_cast<unsigned char>(record[b]);
      visit(page, record.substr(kJournalRecordHeadBytes));
    }
  }

 private:
  explicit JournalFile(const std::string& path)
      : fd_(std::make_shared<Fd>(path, O_RDONLY | O_NOFOLLOW)) {}

  std::shared_ptr<Fd> fd_;
  JournalHead head_;
};

// Puts the journal's pages back and cuts the file to its old size.
void RollBack(Fd& file, const JournalFile& journal) {
  const size_t page_size = journal.head().page_size;
  journal.ForEachRecord([&](uint32_t page, const std::string& bytes) {
    file.WriteAt(static_cast<uint64_t>(page) * page_size, bytes.data(), bytes.size());
  });
  file.Truncate(journal.head().old_size);
  file.Sync();
}

// After a failed write: the old pages back and the journal gone, or, should that fail
// too, the journal kept for the next writer or reader.
void PutBack(Fd& file, const std::string& path) {
  try {
    const std::optional<JournalFile> journal = JournalFile::Open(JournalPath(path));
    if (!journal) return;  // then the file was never touched
    RollBack(file, *journal);
    RemoveJournal(path);
  } catch (const JetError&) {
  }
}

// Writes the journal piece by piece, as the step a test may make crash or fail: the old
// bytes of every page that is overwritten (a page the file ends in the middle of is padded;
// cutting the file to its old size removes the padding). A journal that failed is removed
// (the file was not touched yet).
void WriteJournal(const std::string& path, Fd& file, size_t page_size,
                  const std::vector<uint32_t>& overwritten) {
  constexpr size_t kChunk = size_t{1} << 20;
  const std::string journal_path = JournalPath(path);
  {
    Fd out(journal_path, O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW);
    try {
      std::string buffer;
      uint64_t written = 0;
      size_t chunks = 0;
      const auto flush = [&] {
        out.WriteStep(JournalStep::kJournalWrite, chunks++, written, buffer.data(), buffer.size());
        written += buffer.size();
        buffer.clear();
      };
      JournalEncoder encoder(page_size, file.Size(), static_cast<uint32_t>(overwritten.size()),
                             [&](std::string_view bytes) {
                               buffer += bytes;
                               if (buffer.size() >= kChunk) flush();
                             });
      std::string old(page_size, '\0');
      for (uint32_t number : overwritten) {
        std::fill(old.begin(), old.end(), '\0');
        file.ReadAt(static_cast<uint64_t>(number) * page_size, old.data(), page_size);
        encoder.Add(number, old);
      }
      encoder.Finish();
      if (!buffer.empty()) flush();
      out.Sync(JournalStep::kJournalSync);
    } catch (const JetError&) {
      ::unlink(journal_path.c_str());
      throw;
    }
  }
  SyncFolderOf(path);
}

}  // namespace

std::string JournalPath(const std::string& path) { return path + "-journal"; }

void SetJournalCrashHookForTesting(JournalCrashHook hook) { CrashHook() = std::move(hook); }
void SetJournalFailureHookForTesting(JournalFailureHook hook) { FailureHook() = std::move(hook); }

void WritePagesAtomically(const std::string& path, size_t page_size, const PageSource& pages) {
  WriteLock lock(path);  // the caller's own, when it holds it for the whole change
  RefuseWhileOpenInAccess(path);
  RecoverJournal(path, page_size);
  Fd file(path, O_RDWR);
  const uint64_t old_size = file.Size();
  std::vector<uint32_t> overwritten;
  for (uint32_t number : pages.numbers) {
    if (static_cast<uint64_t>(number) * page_size < old_size) overwritten.push_back(number);
  }
  WriteJournal(path, file, page_size, overwritten);

  try {
    size_t written = 0;
    pages.pages([&](uint32_t number, const std::vector<uint8_t>& bytes) {
      if (written >= pages.numbers.size() || pages.numbers[written] != number ||
          bytes.size() != page_size) {
        throw jet_errors::DiskError();
      }
      file.WriteStep(JournalStep::kPageWrite, written++, static_cast<uint64_t>(number) * page_size,
                     reinterpret_cast<const char*>(bytes.data()), page_size);
    });
    file.Sync(JournalStep::kFileSync);
  } catch (const JetError&) {
    PutBack(file, path);
    throw;
  }
  if (CrashAt(JournalStep::kJournalRemove, 0)) throw PageWriteCrash{};
  try {
    const int error = FailureAt(JournalStep::kJournalRemove, 0);
    if (error != 0) throw FileError(error, JournalPath(path));
    RemoveJournal(path);
  } catch (const JetError&) {
    // The journal would undo the change at the next opening: undone now, so that what
    // the caller is told holds.
    PutBack(file, path);
    throw;
  }
}

void WritePagesAtomically(const std::string& path, size_t page_size,
                          const std::map<uint32_t, std::vector<uint8_t>>& pages) {
  PageSource source;
  for (const auto& [number, bytes] : pages) source.numbers.push_back(number);
  source.pages = [&pages](const PageVisitor& visit) {
    for (const auto& [number, bytes] : pages) visit(number, bytes);
  };
  WritePagesAtomically(path, page_size, source);
}

bool RecoverJournal(const std::string& path, size_t page_size) {
  const std::string journal_path = JournalPath(path);
  if (!Exists(journal_path)) return false;
  WriteLock lock(path);
  RefuseWhileOpenInAccess(path);
  if (!Exists(journal_path)) return false;  // rolled back by the writer that held the lock
  const std::optional<JournalFile> journal = JournalFile::Open(journal_path);
  if (!journal) {  // cut short before the file was touched
    RemoveJournal(path);
    return false;
  }
  if (journal->head().page_size != page_size) throw jet_errors::UnrecognizedFormat(journal_path);
  journal->ForEachRecord([&](uint32_t page, const std::string&) {
    if (static_cast<uint64_t>(page) * page_size >= journal->head().old_size) {
      throw jet_errors::UnrecognizedFormat(journal_path);
    }
  });
  Fd file(path, O_RDWR);
  // A change only ever makes the file longer.
  if (file.Size() < journal->head().old_size) throw jet_errors::UnrecognizedFormat(journal_path);
  RollBack(file, *journal);
  RemoveJournal(path);
  return true;
}

}  // namespace dbaccess::mdb
