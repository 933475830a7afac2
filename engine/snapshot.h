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

// The Jet SQL type name for an OLE DB type code of the columns rowset (DATA_TYPE); the
// empty text for a code the table does not know (GUID and Decimal columns among them).
std::string TypeName(int64_t data_type);

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
