// Data rows written: the mirror of row_decoder.h for Jet 4.
//
// A value becomes its stored field (EncodeField), and the fields of one row become the
// row's bytes (EncodeRow): the column count, the fixed-length data at each column's
// offset, the variable-length data in variable-index order, the end-of-data offset, the
// offsets of the variable-length fields in reverse order, their count and the null mask.
// Long values (memo, OLE) are stored inline in the row; longer ones go through a
// LongValueSink that puts them on long value pages.
#ifndef SKARNVEL_DBACCESS_STORAGE_MDB_ROW_ENCODER_H_
#define SKARNVEL_DBACCESS_STORAGE_MDB_ROW_ENCODER_H_

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "dbaccess/catalog/cell.h"
#include "dbaccess/storage/mdb/table_definition.h"

namespace dbaccess::mdb {

// A field as stored, before the row is laid out.
struct StoredField {
  enum class Kind { kNull, kBoolean, kBytes };
  Kind kind = Kind::kNull;
  bool boolean = false;
  std::vector<uint8_t> bytes;
};

// The largest long value kept inline in its row.
constexpr size_t kMaxInlineLongValue = 64;

// Stores a long value's data that does not fit inline and returns its 12-byte field
// definition (length and flags, row pointer).
using LongValueSink = std::function<std::vector<uint8_t>(const std::vector<uint8_t>& data)>;

// The stored field of `value` in `column`. Throws FormatError for a value the column's type
// cannot hold (a text too long, a GUID or decimal text that does not parse, a Cell of the
// wrong kind). A long value over kMaxInlineLongValue bytes needs `long_values`.
StoredField EncodeField(const ColumnDefinition& column, const Cell& value,
                        const LongValueSink& long_values = {});

// How a row is laid out beyond its fields. Left at 0, the column count is the table's
// max_columns and every variable-length column gets an offset entry; a row written by
// another engine may carry fewer (rows older than a column), which these reproduce.
struct RowShape {
  size_t column_count = 0;
  size_t variable_count = 0;
  size_t fixed_bytes = 0;  // the fixed-length area; 0: up to the end of the last fixed column
};

// The row of `fields`, one per column of def.columns in that order. Throws FormatError when
// a field does not fit its column or the row cannot be laid out (offsets over 16 bits).
std::vector<uint8_t> EncodeRow(const TableDefinition& def, const std::vector<StoredField>& fields,
                               const RowShape& shape = {});

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (either case) to the 16 stored bytes.
std::vector<uint8_t> EncodeGuid(std::string_view text);
// A decimal text ("-12.5") to the 17 stored bytes at `scale`; more digits after the point
// than `scale` are refused, as are more than 28 digits in all.
std::vector<uint8_t> EncodeDecimal(std::string_view text, int scale);

}  // namespace dbaccess::mdb

#endif  // SKARNVEL_DBACCESS_STORAGE_MDB_ROW_ENCODER_H_
