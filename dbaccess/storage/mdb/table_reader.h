// Reading every row of a table: the pages its usage map lists that are data pages of this
// table, their live rows in page and row order, each field decoded.
#ifndef SKARNVEL_DBACCESS_STORAGE_MDB_TABLE_READER_H_
#define SKARNVEL_DBACCESS_STORAGE_MDB_TABLE_READER_H_

#include <cstdint>
#include <functional>
#include <vector>

#include "dbaccess/catalog/cell.h"
#include "dbaccess/storage/mdb/long_value.h"
#include "dbaccess/storage/mdb/page_file.h"
#include "dbaccess/storage/mdb/table_definition.h"
#include "dbaccess/storage/mdb/text_codec.h"

namespace dbaccess::mdb {

// What a whole read may produce at most. A real file never comes near; a hostile one (rows
// of hundreds of null columns, long values shared by many rows) cannot exhaust memory.
struct ReadLimits {
  uint64_t cells = 0;
  uint64_t long_value_bytes = 0;
  uint64_t long_value_hops = 0;  // rows visited in long value chains
  uint64_t page_visits = 0;      // pages listed by the tables' usage maps

  // Generous for any real database of `file_bytes` bytes.
  static ReadLimits ForFileSize(uint64_t file_bytes);
};

// Calls `visit` with the pointer and bytes of every live row of the table, in page and row
// order: rows of the data pages of this table its usage map lists, neither deleted nor the
// moved data of another row; a moved row comes with the bytes it moved to. Throws
// FormatError.
void ForEachLiveRow(const PageFile& file, const TableDefinition& def,
                    const std::function<void(RowPointer, ByteView)>& visit);

class TableReader {
 public:
  TableReader(const PageFile& file, const TextDecoder& text, const ReadLimits& limits);

  // Every row of the table, each a Cell per column of def.columns (definition order).
  // Throws FormatError.
  std::vector<Row> ReadRows(const TableDefinition& def);

  // The same, one row at a time. With `columns` (by position in def.columns), only the
  // columns marked true are decoded and the others come as null: a reader that needs a few
  // columns neither decodes nor follows the long values of the rest.
  void ForEachRow(const TableDefinition& def, const std::function<void(Row&&)>& visit,
                  const std::vector<bool>& columns = {});

 private:
  const PageFile& file_;
  const TextDecoder& text_;
  LongValueReader long_values_;
  uint64_t cells_left_;
  uint64_t page_visits_left_;
};

}  // namespace dbaccess::mdb

#endif  // SKARNVEL_DBACCESS_STORAGE_MDB_TABLE_READER_H_
