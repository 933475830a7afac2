// Long values (memo and OLE data) written onto long value pages: the mirror of
// long_value.h.
//
// Data that fits in one row is one row of an LVAL page (kind "single page"); longer data
// is a chain of rows, each starting with the pointer to the next (0 on the last). The
// field in the table's row is the 12-byte definition: the length and kind, the pointer to
// the first row, and 4 zero bytes. LVAL pages are data pages owned by "LVAL"; a page with
// room takes the next row. The pages a column's values use are recorded in the column's
// own usage maps when it has them.
#ifndef SKARNVEL_DBACCESS_STORAGE_MDB_LONG_VALUE_WRITER_H_
#define SKARNVEL_DBACCESS_STORAGE_MDB_LONG_VALUE_WRITER_H_

#include <cstdint>
#include <vector>

#include "dbaccess/storage/mdb/data_page.h"
#include "dbaccess/storage/mdb/page_writer.h"
#include "dbaccess/storage/mdb/usage_map_editor.h"

namespace dbaccess::mdb {

class LongValueWriter {
 public:
  // `owned` and `free_space` are the column's usage maps, or null when it has none.
  LongValueWriter(PageWriter& pages, UsageMapEditor* owned = nullptr,
                  UsageMapEditor* free_space = nullptr);

  // Stores `data` and returns the field's 12-byte definition.
  std::vector<uint8_t> Store(const std::vector<uint8_t>& data);

  // Deletes the rows of the value whose definition is `field` (an inline value has none).
  void Delete(ByteView field);

 private:
  RowPointer Place(const std::vector<uint8_t>& row);

  PageWriter& pages_;
  UsageMapEditor* owned_;
  UsageMapEditor* free_space_;
  uint32_t current_page_ = 0;  // the LVAL page rows go to while it has room; 0 for none
};

// The rows that hold the data of the value whose definition is `field`, first row first;
// none for an inline value. Throws FormatError for a row that is missing or deleted, or a
// chain that loops.
std::vector<RowPointer> LongValueRows(PageWriter& pages, ByteView field);

}  // namespace dbaccess::mdb

#endif  // SKARNVEL_DBACCESS_STORAGE_MDB_LONG_VALUE_WRITER_H_
