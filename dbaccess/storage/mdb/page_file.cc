#include "dbaccess/storage/mdb/page_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "dbaccess/base/jet_error.h"
#include "dbaccess/storage/mdb/rc4.h"

namespace dbaccess::mdb {
namespace {

class BufferSource : public ByteSource {
 public:
  explicit BufferSource(std::string bytes) : bytes_(std::move(bytes)) {}
  uint64_t size() const override { return bytes_.size(); }
  bool Read(uint64_t offset, size_t length, uint8_t* out) const override {
    if (offset > bytes_.size() || length > bytes_.size() - offset) return false;
    std::memcpy(out, bytes_.data() + offset, length);
    return true;
  }

 private:
  std::string bytes_;
};

// A file read with pread; the descriptor is closed with the source.
class DiskSource : public ByteSource {
 public:
  DiskSource(int fd, uint64_t size) : fd_(fd), size_(size) {}
  ~DiskSource() override { ::close(fd_); }
  DiskSource(const DiskSource&) = delete;
  DiskSource& operator=(const DiskSource&) = delete;

  uint64_t size() const override { return size_; }
  bool Read(uint64_t offset, size_t length, uint8_t* out) const override {
    if (offset > size_ || length > size_ - offset) return false;
    while (length > 0) {
      const ssize_t n = ::pread(fd_, out, length, static_cast<off_t>(offset));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      out += n;
      offset += static_cast<uint64_t>(n);
      length -= static_cast<size_t>(n);
    }
    return true;
  }

 private:
  int fd_;
  uint64_t size_;
};

}  // namespace

std::unique_ptr<ByteSource> FileSource(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT || errno == ENOTDIR) throw jet_errors::CouldNotFindFile(path);
    throw jet_errors::CannotOpenFile(path);
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode) || st.st_size < 0) {
    ::close(fd);
    throw jet_errors::UnrecognizedFormat(path);
  }
  return std::make_unique<DiskSource>(fd, static_cast<uint64_t>(st.st_size));
}

std::unique_ptr<ByteSource> MemorySource(std::string bytes) {
  return std::make_unique<BufferSource>(std::move(bytes));
}

std::unique_ptr<ByteSource> MemorySource(const std::vector<uint8_t>& bytes) {
  return MemorySource(std::string(bytes.begin(), bytes.end()));
}

PageFile::PageFile(std::unique_ptr<ByteSource> source) : source_(std::move(source)) {
  uint8_t signature[kSignatureLength];
  if (!source_->Read(0, sizeof signature, signature)) throw FormatError("file too short");
  const auto version = DetectVersion(ByteView(signature, sizeof signature));
  if (!version) throw FormatError("not a Jet 3 or Jet 4 database");
  const int page_size = LayoutFor(*version).page_size;
  header_page_.resize(page_size);
  if (!source_->Read(0, page_size, header_page_.data())) throw FormatError("no header page");
  header_ = DecodeHeader(ByteView(header_page_));
  const uint64_t pages = source_->size() / static_cast<uint64_t>(page_size);
  if (pages > UINT32_MAX) throw FormatError("file too large");
  page_count_ = static_cast<uint32_t>(pages);
}

std::shared_ptr<const Page> PageFile::Read(uint32_t number) const {
  auto found = cache_.find(number);
  if (found != cache_.end()) {
    lru_.splice(lru_.begin(), lru_, found->second);
    return found->second->second;
  }
  std::shared_ptr<const Page> page = ReadFromSource(number);
  lru_.emplace_front(number, page);
  cache_[number] = lru_.begin();
  if (lru_.size() > kCachedPages) {
    cache_.erase(lru_.back().first);
    lru_.pop_back();
  }
  return page;
}

std::shared_ptr<const Page> PageFile::ReadOnce(uint32_t number) const {
  auto found = cache_.find(number);
  if (found != cache_.end()) return found->second->second;
  return ReadFromSource(number);
}

std::shared_ptr<Page> PageFile::ReadFromSource(uint32_t number) const {
  if (number >= page_count_) {
    throw FormatError("page " + std::to_string(number) + " outside the file");
  }
  const size_t size = static_cast<size_t>(layout().page_size);
  auto page = std::make_shared<Page>(size);
  if (!source_->Read(uint64_t{number} * size, size, page->data())) {
    throw FormatError("cannot read page " + std::to_string(number));
  }
  ApplyPageEncryption(header_, number, *page);
  return page;
}

void ApplyPageEncryption(const Header& header, uint32_t number, std::span<uint8_t> page) {
  if (number == 0 || header.database_key == 0) return;
  const uint32_t key = header.database_key ^ number;
  const uint8_t key_bytes[4] = {static_cast<uint8_t>(key), static_cast<uint8_t>(key >> 8),
                                static_cast<uint8_t>(key >> 16), static_cast<uint8_t>(key >> 24)};
  Rc4Apply(key_bytes, page);
}

}  // namespace dbaccess::mdb
