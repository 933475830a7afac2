// Rows on data pages.
//
// A data page holds a row count and a table of 2-byte row offsets; rows are laid out from
// the end of the page towards its start, so a row ends where the previous one starts. The
// top bits of an offset flag a deleted row (0x8000) and a row that only holds a pointer to
// where its data moved (0x4000); the moved data is itself flagged deleted, so a scan that
// skips deleted rows sees every row once.
#ifndef SKARNVEL_DBACCESS_STORAGE_MDB_DATA_PAGE_H_
#define SKARNVEL_DBACCESS_STORAGE_MDB_DATA_PAGE_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "dbaccess/storage/mdb/bytes.h"
#include "dbaccess/storage/mdb/format.h"
#include "dbaccess/storage/mdb/page_file.h"

namespace dbaccess::mdb {

// Where a row lives: page number (24 bits) and row number (8 bits), packed in 4 bytes.
struct RowPointer {
  uint32_t page = 0;
  uint8_t row = 0;
  static RowPointer Decode(uint32_t packed) {
    return RowPointer{packed >> 8, static_cast<uint8_t>(packed & 0xFF)};
  }
  uint32_t Encode() const { return (page << 8) | row; }
};

// One entry of a page's row table.
struct RowSlot {
  uint16_t start = 0;
  uint16_t end = 0;
  bool deleted = false;
  bool overflow = false;
};

// The number of rows the page's row table holds. Throws FormatError when the table does
// not fit in the page.
int DataPageRowCount(ByteView page, const Layout& layout);

// Row `row` of the page. Throws FormatError for a row outside the table or, unless the row
// is deleted, for offsets outside the page.
RowSlot DataPageRowSlot(ByteView page, int row, const Layout& layout);

// The bytes of a row and the page that holds them.
struct RowBytes {
  std::shared_ptr<const Page> page;
  ByteView bytes;
};

// The row at `pointer`, following moved-row pointers (at most a few hops). None when the
// row is deleted. Throws FormatError for a broken pointer or a page that is not a data page.
std::optional<RowBytes> ReadRow(const PageFile& file, RowPointer pointer);

// Calls `visit` for every row of the data page that is neither deleted nor a moved row's
// data, in row order, with its final bytes.
void ForEachRow(const PageFile& file, uint32_t page_number,
                const std::function<void(const RowBytes&)>& visit);

}  // namespace dbaccess::mdb

#endif  // SKARNVEL_DBACCESS_STORAGE_MDB_DATA_PAGE_H_
