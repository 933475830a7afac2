// The rows of one table written: a new row goes to a page of the table with room for it,
// else to a new data page of the table; rows are deleted and replaced in place, or moved
// to another page with a pointer left behind when they no longer fit. The table's usage
// maps (the pages it owns, the pages with free space) and the row count in its definition
// are kept as the rows change. Index pages are not touched here.
#ifndef SKARNVEL_DBACCESS_STORAGE_MDB_TABLE_ROWS_H_
#define SKARNVEL_DBACCESS_STORAGE_MDB_TABLE_ROWS_H_

#include <cstdint>
#include <optional>
#include <vector>

#include "dbaccess/storage/mdb/data_page.h"
#include "dbaccess/storage/mdb/data_page_builder.h"
#include "dbaccess/storage/mdb/page_writer.h"
#include "dbaccess/storage/mdb/table_definition.h"
#include "dbaccess/storage/mdb/usage_map_editor.h"

namespace dbaccess::mdb {

// The longest row a data page holds (one row alone on its page).
size_t MaxRowBytes(const Layout& layout);

class TableRows {
 public:
  TableRows(PageWriter& pages, const TableDefinition& def);

  // Stores a row; FormatError for one longer than MaxRowBytes.
  RowPointer Insert(const std::vector<uint8_t>& row);
  // Deletes the row at `where` (and its moved data). FormatError for a row that is not
  // there or already deleted.
  void Delete(RowPointer where);
  // Gives the row at `where` new bytes; the row keeps its place in the table.
  void Replace(RowPointer where, const std::vector<uint8_t>& row);

  // Writes the usage maps and the row count.
  void Save();

 private:
  // Stores `row` with `flags` on a page of the table other than `avoid`.
  RowPointer Place(const std::vector<uint8_t>& row, uint16_t flags, uint32_t avoid);
  DataPageContent Content(uint32_t page);
  void Store(uint32_t page, const DataPageContent& content);
  // The moved data a slot points to, if it is a pointer slot.
  std::optional<RowPointer> MovedTo(const PageRow& slot) const;

  PageWriter& pages_;
  const TableDefinition& def_;
  UsageMapEditor owned_;
  UsageMapEditor free_space_;
  int64_t row_count_change_ = 0;
};

}  // namespace dbaccess::mdb

#endif  // SKARNVEL_DBACCESS_STORAGE_MDB_TABLE_ROWS_H_
