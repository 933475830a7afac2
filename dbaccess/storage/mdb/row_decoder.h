// Data rows: splitting a row into its fields and turning each field into a value.
//
// A Jet 4 row is: the column count (2 bytes), the fixed-length data, the variable-length
// data, the end-of-data offset, the offsets of the variable-length fields in reverse
// order, the number of variable-length fields (2 bytes) and the null mask (one bit per
// column number, 1 = not null; a Yes/No column's value is its bit). A Jet 3 row has 1-byte
// counts and offsets; a row longer than 256 bytes adds a jump table before the variable
// field count whose entries carry the high bytes of the offsets.
#ifndef SKARNVEL_DBACCESS_STORAGE_MDB_ROW_DECODER_H_
#define SKARNVEL_DBACCESS_STORAGE_MDB_ROW_DECODER_H_

#include <string>
#include <vector>

#include "dbaccess/catalog/cell.h"
#include "dbaccess/storage/mdb/bytes.h"
#include "dbaccess/storage/mdb/long_value.h"
#include "dbaccess/storage/mdb/table_definition.h"
#include "dbaccess/storage/mdb/text_codec.h"

namespace dbaccess::mdb {

struct RawField {
  enum class Kind { kNull, kBoolean, kBytes };
  Kind kind = Kind::kNull;
  bool boolean = false;
  ByteView bytes;  // points into the row
};

// One field per column of `def`, in the order of def.columns. Throws FormatError.
std::vector<RawField> CrackRow(ByteView row, const TableDefinition& def, const Layout& layout);

// The stored size of a fixed-length column.
size_t FixedFieldSize(const ColumnDefinition& column);

// The value of one field, as dbaccess/cell.h holds it. Memo and OLE data are read through
// `long_values`. Throws FormatError for a field of the wrong size.
Cell DecodeField(const ColumnDefinition& column, const RawField& field, const TextDecoder& text,
                 LongValueReader& long_values);

// The canonical text of a Decimal: 17 stored bytes (a sign byte, non-zero for negative,
// then the 128-bit magnitude as four little-endian 32-bit words, most significant first)
// at `scale` digits after the point.
std::string DecodeDecimal(ByteView bytes, int scale);

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" from 16 stored bytes (the first three groups
// little-endian).
std::string DecodeGuid(ByteView bytes);

}  // namespace dbaccess::mdb

#endif  // SKARNVEL_DBACCESS_STORAGE_MDB_ROW_DECODER_H_
