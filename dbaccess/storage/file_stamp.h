// What a file looked like when this process last read or wrote it, to tell whether another
// program has changed it since.
//
// The stamp keeps the file's identity, size, times and a SHA-256 of its content. A check
// costs one stat() while those stay the same; when they differ, the content decides (a
// file touched but not changed is not changed). Because file times are coarse, a stamp
// taken within the file system's time granularity of the file's last change (50 ms on
// local Linux file systems, 2 s on FAT, network and unknown ones) is not trusted on its
// times alone: until it is older, the content is compared on every check.
//
// A large file that is read whole anyway may be stamped by its times alone
// (ContentCheck::kTimesOnce): its content is hashed only when the stamp is taken too soon
// after a change to trust the times, and otherwise any change of identity, size or times
// counts as a change.
#ifndef SKARNVEL_DBACCESS_STORAGE_FILE_STAMP_H_
#define SKARNVEL_DBACCESS_STORAGE_FILE_STAMP_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "dbaccess/base/crypto.h"

namespace dbaccess {

class FileStamp {
 public:
  enum class ContentCheck {
    kAlways,     // a change of times with the same content is no change
    kTimesOnce,  // the content is kept only while the times cannot be trusted yet
  };

  // The stamp of the file at `path`, whose content is `content` (just read or written).
  static FileStamp Of(const std::string& path, std::string_view content,
                      ContentCheck check = ContentCheck::kAlways);

  // The stamp of the file at `path` as it is now (kTimesOnce): its content is read and
  // hashed only when its times cannot be trusted yet.
  static FileStamp OfFile(const std::string& path);

  // The stamp of the file at `path` just written by this process under the writers' lock:
  // its identity, size and times alone. Within the clock's granularity after the write, a
  // change by a program that takes neither that lock nor Access's lock file and keeps the
  // size and the times as they were goes unseen; reading the whole file back to close that
  // window would make every change cost the file's size.
  static FileStamp OfOwnWrite(const std::string& path);

  // True when the file is missing or holds other content than the stamp's.
  bool Changed(const std::string& path) const;

 private:
  struct Meta {
    uint64_t device = 0, inode = 0;
    int64_t size = -1, mtime_ns = 0, ctime_ns = 0;
    bool operator==(const Meta&) const = default;
  };
  static bool ReadMeta(const std::string& path, Meta& meta);
  static int64_t NowNs();
  // Whether the stamp was taken long enough after the file's last change to trust its times.
  bool TimesTrusted() const;

  mutable Meta meta_;
  mutable int64_t taken_ns_ = 0;
  int64_t granularity_ns_ = 0;
  std::optional<Sha256Digest> hash_;  // none: the times decide alone
  bool own_write_ = false;            // the same times are the same file, trusted or not
};

}  // namespace dbaccess

#endif  // SKARNVEL_DBACCESS_STORAGE_FILE_STAMP_H_
