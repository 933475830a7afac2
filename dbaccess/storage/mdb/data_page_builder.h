// Data pages written: a page as its list of rows, and back.
//
// A data page is its header (the page type, the free space left, the table definition
// that owns the page, or "LVAL" on a long value page), the row count and the table of row
// offsets, then the rows packed from the end of the page towards its start in row order:
// row 0 ends at the end of the page, every later row ends where the one before it starts.
// A deleted row keeps its slot (and its bytes until the page is rewritten); the slot of a
// moved row holds a 4-byte pointer to where the data went.
#ifndef SKARNVEL_DBACCESS_STORAGE_MDB_DATA_PAGE_BUILDER_H_
#define SKARNVEL_DBACCESS_STORAGE_MDB_DATA_PAGE_BUILDER_H_

#include <array>
#include <cstdint>
#include <vector>

#include "dbaccess/storage/mdb/bytes.h"
#include "dbaccess/storage/mdb/format.h"
#include "dbaccess/storage/mdb/page_file.h"

namespace dbaccess::mdb {

// A row number is one byte in a row pointer.
constexpr size_t kMaxRowsPerDataPage = 255;
constexpr int kDataPageFreeSpaceOffset = 2;

struct PageRow {
  uint16_t flags = 0;  // kRowDeletedFlag, kRowOverflowFlag
  std::vector<uint8_t> bytes;
};

struct DataPageContent {
  uint32_t owner = 0;  // the owning table's definition page; kLongValuePageOwner on LVAL pages
  std::array<uint8_t, 4> reserved = {};  // Jet 4: bytes 8 to 11 of the header
  std::vector<PageRow> rows;
};

// "LVAL" read as a little-endian number.
constexpr uint32_t kLongValuePageOwner = 0x4C41564C;

// The rows of a Jet 4 data page. Throws FormatError for a page that is not one.
DataPageContent DecodeDataPage(ByteView page, const Layout& layout);

// The bytes a page of `content` still has free (row data and one offset entry per row
// count against it); negative when the rows do not fit.
long DataPageFreeSpace(const DataPageContent& content, const Layout& layout);

// Whether a row of `row_bytes` more fits on the page.
bool DataPageHasRoom(const DataPageContent& content, size_t row_bytes, const Layout& layout);

// The page of `content` (Jet 4). The free area between the row table and the rows is zero.
// Throws FormatError when the rows do not fit or there are too many.
Page EncodeDataPage(const DataPageContent& content, const Layout& layout);

}  // namespace dbaccess::mdb

#endif  // SKARNVEL_DBACCESS_STORAGE_MDB_DATA_PAGE_BUILDER_H_
