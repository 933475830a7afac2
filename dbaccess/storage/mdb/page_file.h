// The pages of a database file, read on demand and decrypted.
//
// A PageFile reads the header page first (FormatError when it is not a Jet 3 or Jet 4
// database) and then hands out pages by number. In an encrypted database every page but
// the header is RC4-encrypted with the database key XOR the page number. Recently used
// pages stay in a small cache, so memory stays bounded whatever the file's size.
#ifndef SKARNVEL_DBACCESS_STORAGE_MDB_PAGE_FILE_H_
#define SKARNVEL_DBACCESS_STORAGE_MDB_PAGE_FILE_H_

#include <cstdint>
#include <list>
#include <memory>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "dbaccess/storage/mdb/bytes.h"
#include "dbaccess/storage/mdb/header.h"

namespace dbaccess::mdb {

// Where the bytes of a database come from: a file on disk or bytes in memory.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual uint64_t size() const = 0;
  // Reads exactly `length` bytes at `offset`; false when they are not all there.
  virtual bool Read(uint64_t offset, size_t length, uint8_t* out) const = 0;
};

// The file at `path`, read where it lies, a page at a time, as long as the source lives.
// Throws JetError as ReadWholeFile (atomic_file.h) when it cannot be opened.
std::unique_ptr<ByteSource> FileSource(const std::string& path);

// Bytes in memory: a whole file as read, or bytes built by a test.
std::unique_ptr<ByteSource> MemorySource(std::string bytes);
std::unique_ptr<ByteSource> MemorySource(const std::vector<uint8_t>& bytes);

using Page = std::vector<uint8_t>;

class PageFile {
 public:
  static constexpr size_t kCachedPages = 1024;

  explicit PageFile(std::unique_ptr<ByteSource> source);

  const Header& header() const { return header_; }
  const Layout& layout() const { return header_.layout(); }
  uint32_t page_count() const { return page_count_; }
  uint64_t byte_size() const { return source_->size(); }

  // Page 0 as stored (its header area masked).
  ByteView raw_header_page() const { return ByteView(header_page_); }

  // Page `number`, decrypted. Throws FormatError for a page outside the file.
  std::shared_ptr<const Page> Read(uint32_t number) const;
  // The same for a page a reader needs once (a table definition's): it does not enter the
  // cache, so its memory goes back as soon as the reader lets it go, ready for the next.
  std::shared_ptr<const Page> ReadOnce(uint32_t number) const;

 private:
  std::shared_ptr<Page> ReadFromSource(uint32_t number) const;

  std::unique_ptr<ByteSource> source_;
  Header header_;
  uint32_t page_count_ = 0;
  Page header_page_;

  mutable std::list<std::pair<uint32_t, std::shared_ptr<const Page>>> lru_;
  mutable std::unordered_map<uint32_t, decltype(lru_)::iterator> cache_;
};

// Encrypts or decrypts (the operation is its own inverse) page `number` in place when the
// database encrypts its pages: RC4 keyed with the database key XOR the page number; the
// header page never.
void ApplyPageEncryption(const Header& header, uint32_t number, std::span<uint8_t> page);

}  // namespace dbaccess::mdb

#endif  // SKARNVEL_DBACCESS_STORAGE_MDB_PAGE_FILE_H_
