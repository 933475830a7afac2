#include "dbaccess/mdb/mdb_storage.h"

#include <sys/stat.h>

#include <ctime>

#include "dbaccess/atomic_file.h"
#include "dbaccess/jet_error.h"
#include "dbaccess/mdb/catalog_mapping.h"
#include "dbaccess/mdb/database_reader.h"
#include "dbaccess/mdb/header.h"
#include "dbaccess/mdb/page_file.h"

namespace dbaccess::mdb {
namespace {

// Enough for the header page of either version.
constexpr size_t kHeaderBytes = 4096;

constexpr int64_t kNsPerSecond = 1'000'000'000;
// File times are coarse (a clock tick, or 2 s on FAT): a file changed less than this long
// before it was read may change again without its times showing it.
constexpr int64_t kCoarseClockNs = 2 * kNsPerSecond;

int64_t Ns(const timespec& t) { return static_cast<int64_t>(t.tv_sec) * kNsPerSecond + t.tv_nsec; }

int64_t NowNs() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return Ns(now);
}

// The pages of `content`, the file at `path`, once its header and password are checked;
// throws the JetError a user sees.
std::unique_ptr<PageFile> OpenChecked(const std::string& path, std::string content,
                                      const std::string& password) {
  std::unique_ptr<PageFile> file;
  try {
    file = std::make_unique<PageFile>(MemorySource(std::move(content)));
  } catch (const FormatError&) {
    throw jet_errors::UnrecognizedFormat(path);
  }
  if (!PasswordMatches(file->raw_header_page(), password)) throw jet_errors::NotAValidPassword();
  return file;
}

}  // namespace

bool LooksLikeJetDatabase(std::string_view first_bytes) {
  return IsJetSignature(
      ByteView(reinterpret_cast<const uint8_t*>(first_bytes.data()), first_bytes.size()));
}

MdbStorage::MdbStorage(std::string path, std::string password)
    : path_(std::move(path)), password_(std::move(password)) {
  OpenChecked(path_, ReadFileHead(path_, kHeaderBytes), password_);
}

Catalog MdbStorage::Load() {
  const std::optional<Seen> seen = Look(path_);
  std::string content = ReadWholeFile(path_);
  // Hashing every file on every read would cost more than reading it; only a file whose
  // times cannot be trusted yet needs its content remembered.
  std::optional<FileStamp> recent;
  if (!seen || NowNs() - seen->mtime_ns < kCoarseClockNs ||
      NowNs() - seen->ctime_ns < kCoarseClockNs) {
    recent = FileStamp::Of(path_, content);
  }
  std::unique_ptr<PageFile> file = OpenChecked(path_, std::move(content), password_);
  try {
    Catalog catalog = BuildCatalog(ReadDatabase(*file));
    seen_ = seen;
    recent_ = std::move(recent);
    return catalog;
  } catch (const FormatError&) {
    throw jet_errors::UnrecognizedFormat(path_);
  }
}

void MdbStorage::Commit(const Catalog&, const Catalog&, const ChangeList&) {
  throw jet_errors::JetFileReadOnly(path_);
}

bool MdbStorage::ChangedOnDisk() const {
  if (recent_) return recent_->Changed(path_);
  return !seen_ || Look(path_) != seen_;
}

std::optional<MdbStorage::Seen> MdbStorage::Look(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  Seen seen;
  seen.device = st.st_dev;
  seen.inode = st.st_ino;
  seen.size = st.st_size;
  seen.mtime_ns = Ns(st.st_mtim);
  seen.ctime_ns = Ns(st.st_ctim);
  return seen;
}

std::unique_ptr<Storage> OpenMdbStorage(const std::string& path, const std::string& password) {
  return std::make_unique<MdbStorage>(path, password);
}

}  // namespace dbaccess::mdb
