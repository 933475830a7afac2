#include "dbaccess/storage/file_stamp.h"

#include <sys/stat.h>
#include <sys/vfs.h>

#include <ctime>
#include <fstream>
#include <optional>
#include <vector>

#include "dbaccess/base/jet_error.h"
#include "dbaccess/storage/atomic_file.h"

namespace dbaccess {
namespace {

constexpr int64_t kNsPerSecond = 1'000'000'000;
// How far file times may lag or round: local Linux file systems take them from the kernel's
// coarse clock (a tick, a few milliseconds); FAT keeps 2 s, and a network server has its own
// clock, so anything not known to be local gets 2 s.
constexpr int64_t kLocalClockNs = 50'000'000;
constexpr int64_t kCoarseClockNs = 2 * kNsPerSecond;

int64_t TimeGranularity(const std::string& path) {
  struct statfs fs {};
  if (statfs(path.c_str(), &fs) != 0) return kCoarseClockNs;
  switch (static_cast<uint64_t>(fs.f_type)) {
    case 0xEF53:      // ext2/3/4
    case 0x58465342:  // XFS
    case 0x9123683E:  // Btrfs
    case 0x01021994:  // tmpfs
    case 0xF2F52010:  // F2FS
    case 0x2FC12FC1:  // ZFS
    case 0x794C7630:  // overlayfs
      return kLocalClockNs;
    default:
      return kCoarseClockNs;
  }
}

int64_t Ns(const timespec& t) { return static_cast<int64_t>(t.tv_sec) * kNsPerSecond + t.tv_nsec; }

// How much of a file is read at a time to hash it: a large database is hashed in pieces,
// never held whole.
constexpr size_t kHashChunk = 1 << 20;

// The SHA-256 of the file's content, read piece by piece; nothing when it cannot be read.
std::optional<Sha256Digest> Sha256OfFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  Sha256Hasher hasher;
  std::vector<char> chunk(kHashChunk);
  while (in) {
    in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
    const std::streamsize got = in.gcount();
    if (got > 0) hasher.Update(chunk.data(), static_cast<size_t>(got));
  }
  if (in.bad()) return std::nullopt;
  return hasher.Finish();
}

}  // namespace

bool FileStamp::ReadMeta(const std::string& path, Meta& meta) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return false;
  meta.device = st.st_dev;
  meta.inode = st.st_ino;
  meta.size = st.st_size;
  meta.mtime_ns = Ns(st.st_mtim);
  meta.ctime_ns = Ns(st.st_ctim);
  return true;
}

int64_t FileStamp::NowNs() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return Ns(now);
}

FileStamp FileStamp::Of(const std::string& path, std::string_view content, ContentCheck check) {
  FileStamp stamp;
  stamp.granularity_ns_ = TimeGranularity(path);
  stamp.taken_ns_ = NowNs();
  const bool read = ReadMeta(path, stamp.meta_);
  if (check == ContentCheck::kAlways || !read || !stamp.TimesTrusted()) {
    stamp.hash_ = Sha256(content);
  }
  return stamp;
}

FileStamp FileStamp::OfFile(const std::string& path) {
  FileStamp stamp;
  stamp.granularity_ns_ = TimeGranularity(path);
  stamp.taken_ns_ = NowNs();
  if (!ReadMeta(path, stamp.meta_) || !stamp.TimesTrusted()) {
    stamp.hash_ = Sha256OfFile(path);
    if (!stamp.hash_) ReadFileHead(path, 0);  // throws the reason it cannot be read
  }
  return stamp;
}

FileStamp FileStamp::OfOwnWrite(const std::string& path) {
  FileStamp stamp;
  stamp.granularity_ns_ = TimeGranularity(path);
  stamp.taken_ns_ = NowNs();
  stamp.own_write_ = ReadMeta(path, stamp.meta_);
  return stamp;
}

bool FileStamp::TimesTrusted() const {
  return taken_ns_ - meta_.mtime_ns >= granularity_ns_ &&
         taken_ns_ - meta_.ctime_ns >= granularity_ns_;
}

bool FileStamp::Changed(const std::string& path) const {
  Meta now;
  if (!ReadMeta(path, now)) return true;
  if (now == meta_ && (TimesTrusted() || own_write_)) return false;
  if (!hash_) return true;
  if (now.size != meta_.size && meta_.size >= 0) return true;
  const std::optional<Sha256Digest> now_hash = Sha256OfFile(path);
  if (!now_hash || *now_hash != *hash_) return true;
  meta_ = now;  // same content: remember the new times, and trust them once they are old
  taken_ns_ = NowNs();
  return false;
}

}  // namespace dbaccess
