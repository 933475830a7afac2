// Index pages: the leaves (type 0x04), one entry per indexed row, and the intermediate
// pages (type 0x03), one entry per child page, holding that child's last entry.
//
// After a header (table definition page, previous and next page on the same level, a
// "tail" page, the length of the shared prefix) comes a bitmask with one bit per byte of
// the entry area, set at the byte where an entry ends, then the entries. The first entry is
// whole; the others leave out the prefix they share with it. An entry is the key bytes, the
// row pointer (3-byte page, 1-byte row, big-endian) and, on intermediate pages, the child
// page (4 bytes, big-endian). Entries are in ascending byte order of key and row pointer.
#ifndef SKARNVEL_DBACCESS_STORAGE_MDB_INDEX_PAGE_H_
#define SKARNVEL_DBACCESS_STORAGE_MDB_INDEX_PAGE_H_

#include <cstdint>
#include <vector>

#include "dbaccess/storage/mdb/bytes.h"
#include "dbaccess/storage/mdb/data_page.h"
#include "dbaccess/storage/mdb/format.h"

namespace dbaccess::mdb {

struct IndexEntry {
  std::vector<uint8_t> key;
  RowPointer row;
  uint32_t child_page = 0;  // intermediate pages only

  // The entry as stored, before prefix compression.
  std::vector<uint8_t> Bytes(bool leaf) const;
};

// Entry order: unsigned bytes of the key, then the row pointer.
bool EntryLess(const IndexEntry& a, const IndexEntry& b);

struct IndexPage {
  bool leaf = true;
  uint32_t table_page = 0;
  uint32_t previous_page = 0;
  uint32_t next_page = 0;
  uint32_t tail_page = 0;
  size_t prefix_length = 0;
  // The byte after the prefix length; its meaning is not known (Access set it to 1 on an
  // intermediate page with a tail page). Kept as read.
  uint8_t unknown_flag = 0;
  std::vector<IndexEntry> entries;
};

// Where the parts of an index page are.
struct IndexPageLayout {
  int previous_page_offset;
  int next_page_offset;
  int tail_page_offset;
  int prefix_length_offset;
  int mask_offset;
  int mask_size;
  int entries_offset;
};
const IndexPageLayout& IndexPageLayoutFor(JetVersion version);

// Throws FormatError for a page that is not an index page or whose entries do not fit.
IndexPage DecodeIndexPage(ByteView page, const Layout& layout);

// The longest prefix the first and last entries share (as stored, row pointers included).
size_t SharedPrefixLength(const std::vector<IndexEntry>& entries, bool leaf);

// The page for `page`, compressed with page.prefix_length bytes. Throws FormatError when
// not every entry starts with that prefix or the entries do not fit on one page.
std::vector<uint8_t> EncodeIndexPage(const IndexPage& page, const Layout& layout);

// The number of bytes the entries take on a page with the given prefix length.
size_t EntryAreaSize(const std::vector<IndexEntry>& entries, bool leaf, size_t prefix_length);
// The most bytes the entries of one page may take.
size_t MaxEntryAreaSize(const Layout& layout);

}  // namespace dbaccess::mdb

#endif  // SKARNVEL_DBACCESS_STORAGE_MDB_INDEX_PAGE_H_
