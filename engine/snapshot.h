// The structure snapshot of one database: its user tables, in the order the engine lists
// them, each with its columns in ordinal order, each column with five properties.
//
// A snapshot is plain data: copying it copies every text and value. LoadTables takes one
// through a connection of its own and releases the connection before it returns, also
// when it fails; a failure passes on with the engine's text and no snapshot.
#ifndef SKARNVEL_ENGINE_SNAPSHOT_H_
#define SKARNVEL_ENGINE_SNAPSHOT_H_

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "dbaccess/base/variant.h"
#include "engine/schema_source.h"

namespace uAlg {

struct TProp {
  std::string Name;
  dbaccess::Variant Value;
};

// The property table: every column has these five properties, at these indices.
inline constexpr int kPropCount = 5;
inline constexpr int kOrdinalPositionProp = 0;  // integer, as the engine reports it
inline constexpr int kTypeProp = 1;             // text from the type-name table
inline constexpr int kSizeProp = 2;             // integer for "Text" columns, else empty
inline constexpr int kNotNullProp = 3;          // boolean: the column does not accept nulls
inline constexpr int kDefaultValueProp = 4;     // text as the engine stores it, or null
inline constexpr std::array<std::string_view, kPropCount> kPropNames = {
    "Ordinal_Position", "TYPE", "SIZE", "NotNull", "DefaultValue"};

using TProps = std::array<TProp, kPropCount>;

struct TField {
  std::string Name;  // exactly as the engine reports it
  TProps Props;
};

struct TTable {
  std::string Name;  // exactly as the engine reports it
  std::vector<TField> Fields;
};

using TTables = std::vector<TTable>;

// The Jet SQL type name for an OLE DB type code of the columns rowset (DATA_TYPE), from the
// table of the ten common types; the empty text for a code the table does not know.
std::string TypeName(int64_t data_type);

// What the columns rowset tells of a column's type.
struct ColumnType {
  int64_t data_type = -1;       // DATA_TYPE
  bool is_long = true;          // COLUMN_FLAGS has ISLONG (memo, OLE object)
  int64_t max_length = 0;       // CHARACTER_MAXIMUM_LENGTH
  int64_t precision = 0;        // NUMERIC_PRECISION
  int64_t scale = 0;            // NUMERIC_SCALE
  bool auto_increment = false;  // the provider's AUTOINCREMENT
};

// The column's type as Jet SQL DDL names it, with what DDL needs beside the name: the ten
// common types by TypeName ("Long", "Text", "LongBinary", ...), and beyond them "COUNTER"
// for an AutoNumber, "GUID", "DECIMAL(p,s)" and "BINARY(n)" for a binary column that is not
// long. The empty text for a type it does not know.
std::string ColumnTypeName(const ColumnType& type);

// The type name of text columns: only these have a SIZE.
inline constexpr std::string_view kTextTypeName = "Text";

// The snapshot of the database at `path` (relative to the current directory) with its
// database password ("" for none).
TTables LoadTables(const std::string& path, const std::string& password);

// The snapshot as read from `schema`: the tables rowset filtered to user tables, then for
// each table its columns rowset sorted by ordinal position.
TTables ReadTables(SchemaSource& schema);

}  // namespace uAlg

#endif  // SKARNVEL_ENGINE_SNAPSHOT_H_
