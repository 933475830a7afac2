#include "dbaccess/storage/mdb/page_journal.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string_view>
#include <thread>

#include "dbaccess/base/jet_error.h"
#include "dbaccess/storage/atomic_file.h"

namespace dbaccess::mdb {
namespace {

constexpr std::string_view kHeadMagic("SKJNL\0\0\1", 8);  // with the format version
constexpr std::string_view kTailMagic = "SKJNLEND";
constexpr size_t kHeadBytes = 8 + 4 + 8 + 4;         // magic, page size, old size, records
constexpr size_t kTailBytes = 8 + 8;                 // magic, checksum
constexpr auto kLockWait = std::chrono::seconds(2);  // another writer of this file
constexpr auto kLockRetry = std::chrono::milliseconds(20);

JournalCrashHook& Hook() {
  static JournalCrashHook hook;
  return hook;
}

bool CrashAt(JournalStep step, size_t count) {
  const JournalCrashHook& hook = Hook();
  return hook && hook(step, count);
}

uint64_t Checksum(std::string_view bytes) {  // FNV-1a
  uint64_t hash = 0xcbf29ce484222325ULL;
  for (unsigned char b : bytes) {
    hash ^= b;
    hash *= 0x100000001b3ULL;
  }
  return hash;
}

void PutU32(std::string& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}
void PutU64(std::string& out, uint64_t v) {
  for (int i = 0; i < 8; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}
uint64_t GetLE(std::string_view bytes, size_t at, int width) {
  uint64_t v = 0;
  for (int i = width - 1; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(bytes[at + i]);
  return v;
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

  int get() const { return fd_; }

  // An exclusive lock, waited for a short, bounded time (3045 then).
  void LockExclusive() {
    const auto give_up = std::chrono::steady_clock::now() + kLockWait;
    while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
      if (errno != EWOULDBLOCK && errno != EINTR) throw FileError(errno, path_);
      if (std::chrono::steady_clock::now() >= give_up) throw jet_errors::FileInUse(path_);
      std::this_thread::sleep_for(kLockRetry);
    }
  }
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
  void Sync() {
    if (::fsync(fd_) != 0) throw FileError(errno, path_);
  }

 private:
  std::string path_;
  int fd_ = -1;
};

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

struct Record {
  uint32_t page = 0;
  std::string_view bytes;
};

struct Journal {
  size_t page_size = 0;
  uint64_t old_size = 0;
  std::vector<Record> records;
};

// The journal's records when it is complete; nothing when it was cut short or is not one.
std::optional<Journal> DecodeJournal(std::string_view bytes) {
  if (bytes.size() < kHeadBytes + kTailBytes || bytes.substr(0, 8) != kHeadMagic) return {};
  Journal journal;
  journal.page_size = GetLE(bytes, 8, 4);
  journal.old_size = GetLE(bytes, 12, 8);
  const uint64_t count = GetLE(bytes, 20, 4);
  if (journal.page_size == 0) return {};
  const uint64_t body = count * (4 + journal.page_size);
  if (body / (4 + journal.page_size) != count || bytes.size() != kHeadBytes + body + kTailBytes) {
    return {};
  }
  const size_t tail = bytes.size() - kTailBytes;
  if (bytes.substr(tail, 8) != kTailMagic ||
      GetLE(bytes, tail + 8, 8) != Checksum(bytes.substr(0, tail))) {
    return {};
  }
  for (size_t at = kHeadBytes; at < tail; at += 4 + journal.page_size) {
    journal.records.push_back(
        {static_cast<uint32_t>(GetLE(bytes, at, 4)), bytes.substr(at + 4, journal.page_size)});
  }
  return journal;
}

// Puts the journal's pages back and cuts the file to its old size.
void RollBack(Fd& file, const Journal& journal) {
  for (const Record& record : journal.records) {
    file.WriteAt(static_cast<uint64_t>(record.page) * journal.page_size, record.bytes.data(),
                 record.bytes.size());
  }
  file.Truncate(journal.old_size);
  file.Sync();
}

}  // namespace

std::string JournalPath(const std::string& path) { return path + "-journal"; }

void SetJournalCrashHookForTesting(JournalCrashHook hook) { Hook() = std::move(hook); }

void WritePagesAtomically(const std::string& path, size_t page_size,
                          const std::map<uint32_t, std::vector<uint8_t>>& pages) {
  RecoverJournal(path, page_size);
  Fd file(path, O_RDWR);
  file.LockExclusive();
  const uint64_t old_size = file.Size();

  // The journal: the old bytes of every page that is overwritten (a page the file ends in
  // the middle of is padded; cutting the file to its old size removes the padding).
  std::string journal(kHeadMagic);
  PutU32(journal, static_cast<uint32_t>(page_size));
  PutU64(journal, old_size);
  const size_t count_at = journal.size();
  PutU32(journal, 0);
  uint32_t records = 0;
  for (const auto& [number, bytes] : pages) {
    if (bytes.size() != page_size) throw jet_errors::DiskError();
    const uint64_t offset = static_cast<uint64_t>(number) * page_size;
    if (offset >= old_size) continue;
    PutU32(journal, number);
    std::string old(page_size, '\0');
    file.ReadAt(offset, old.data(), page_size);
    journal += old;
    ++records;
  }
  for (int i = 0; i < 4; ++i)
    journal[count_at + i] = static_cast<char>((records >> (8 * i)) & 0xFF);
  const uint64_t sum = Checksum(journal);
  journal += kTailMagic;
  PutU64(journal, sum);

  const std::string journal_path = JournalPath(path);
  {
    Fd out(journal_path, O_WRONLY | O_CREAT | O_TRUNC);
    if (CrashAt(JournalStep::kJournalWrite, 0)) {
      out.WriteAt(0, journal.data(), journal.size() / 2);
      throw PageWriteCrash{};
    }
    try {
      out.WriteAt(0, journal.data(), journal.size());
      if (CrashAt(JournalStep::kJournalSync, 0)) throw PageWriteCrash{};
      out.Sync();
    } catch (const JetError&) {
      ::unlink(journal_path.c_str());  // the file was not touched yet
      throw;
    }
  }
  SyncFolderOf(path);

  try {
    size_t written = 0;
    for (const auto& [number, bytes] : pages) {
      const uint64_t offset = static_cast<uint64_t>(number) * page_size;
      const auto* data = reinterpret_cast<const char*>(bytes.data());
      if (CrashAt(JournalStep::kPageWrite, written)) {
        file.WriteAt(offset, data, page_size / 2);  // a torn page
        throw PageWriteCrash{};
      }
      file.WriteAt(offset, data, page_size);
      ++written;
    }
    if (CrashAt(JournalStep::kFileSync, 0)) throw PageWriteCrash{};
    file.Sync();
  } catch (const JetError&) {
    const std::optional<Journal> undo = DecodeJournal(journal);
    RollBack(file, *undo);
    RemoveJournal(path);
    throw;
  }
  if (CrashAt(JournalStep::kJournalRemove, 0)) throw PageWriteCrash{};
  RemoveJournal(path);
}

bool RecoverJournal(const std::string& path, size_t page_size) {
  const std::string journal_path = JournalPath(path);
  std::error_code ec;
  if (!std::filesystem::exists(journal_path, ec)) return false;
  const std::string bytes = ReadWholeFile(journal_path);
  const std::optional<Journal> journal = DecodeJournal(bytes);
  if (!journal) {  // cut short before the file was touched
    RemoveJournal(path);
    return false;
  }
  if (journal->page_size != page_size) throw jet_errors::UnrecognizedFormat(journal_path);
  for (const Record& record : journal->records) {
    if (static_cast<uint64_t>(record.page) * page_size >= journal->old_size) {
      throw jet_errors::UnrecognizedFormat(journal_path);
    }
  }
  Fd file(path, O_RDWR);
  file.LockExclusive();
  RollBack(file, *journal);
  RemoveJournal(path);
  return true;
}

}  // namespace dbaccess::mdb
