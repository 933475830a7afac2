// A new table described by its columns and indexes, and the Jet 4 table definition Access
// writes for it.
//
// The layout follows Access's own definitions: columns numbered in their order (unless
// numbers are given) and shown in that order; in the order of their numbers, fixed-length
// columns laid out one after the other in the fixed area (Yes/No columns live in the null
// mask and take no room there) and variable-length columns, memo and OLE included, given
// their places in the row's offset table, every fixed column carrying the count of variable
// ones before it; every column carrying the database's sort order where Decimal columns keep
// their precision and scale. Indexes: a real index per distinct list of columns, orders and
// flags, in the order first described; logical indexes numbered in their order and stored
// ordered by name, as Access stores them. The usage maps and index pages are placed by the
// table creator (table_creator.h).
#ifndef SKARNVEL_DBACCESS_STORAGE_MDB_TABLE_DESCRIPTION_H_
#define SKARNVEL_DBACCESS_STORAGE_MDB_TABLE_DESCRIPTION_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "dbaccess/storage/mdb/header.h"
#include "dbaccess/storage/mdb/property_blob.h"
#include "dbaccess/storage/mdb/table_definition.h"
#include "dbaccess/storage/mdb/table_definition_encoder.h"

namespace dbaccess::mdb {

// The flag Access sets on every real index, and the flags of a primary key.
constexpr uint8_t kIndexFlagAlways = 0x80;
constexpr uint8_t kColumnFlagUpdatable = 0x02;
constexpr uint8_t kColumnFlagSystemTable = 0x10;  // on every column of the engine's tables
// The cascade bytes Access leaves on a logical index that is no foreign key.
constexpr uint8_t kNoForeignKeyCascadeByte = 0x04;
constexpr size_t kMaxColumnsPerTable = 255;
constexpr size_t kMaxIndexesPerTable = 32;
constexpr size_t kMaxTextCharacters = 255;
constexpr size_t kMaxBinaryBytes = 510;
constexpr uint8_t kMaxDecimalPrecision = 28;

struct ColumnDescription {
  std::string name;
  uint8_t type = kTypeText;  // ColumnType
  uint16_t size = 0;         // Text: characters (0: 255); Binary: bytes (0: 510); else unused
  uint8_t precision = 18;    // Decimal
  uint8_t scale = 0;         // Decimal
  bool autonumber = false;   // Long: a counter (COUNTER); GUID: a new GUID for every row
  bool required = false;     // NOT NULL: the Required property
  bool compressed_unicode = false;                          // Text and Memo ("Unicode Compression")
  bool hyperlink = false;                                   // Memo
  std::optional<std::string> default_value = std::nullopt;  // the DefaultValue expression
  std::vector<Property> properties = {};  // further properties (Caption, Format ...)
  // The engine's own tables list their columns in another order than they number them:
  // the column's number (its place in the row) when not its position in the list.
  std::optional<uint16_t> number = std::nullopt;
  // Column flags whose meaning is not known, as the engine sets them (0x20 on the Owner and
  // SID columns of its own tables).
  uint8_t other_flags = 0;
};

struct IndexColumnDescription {
  std::string column;
  bool ascending = true;
};

struct IndexDescription {
  std::string name;
  std::vector<IndexColumnDescription> columns;
  bool primary = false;  // unique and without nulls
  bool unique = false;
  bool ignore_nulls = false;
  bool required = false;  // no null allowed
  // The real index's flags as the engine sets them on its own tables, when not made from
  // the fields above.
  std::optional<uint8_t> flags = std::nullopt;
};

struct TableDescription {
  std::string name;
  // A table of the engine (MSysObjects ...): table type 'S', every column flagged as the
  // engine flags its own.
  bool system = false;
  std::vector<ColumnDescription> columns = {};
  std::vector<IndexDescription> indexes = {};
  std::vector<Property> properties = {};  // the table's own
};

struct DefinedTable {
  TableDefinition definition;  // page, usage maps and index pages still 0
  TableDefinitionExtras extras;
  PropertyMaps properties;  // empty when neither the table nor a column has any
};

// One column as DefineTable defines it: flags, length, precision and sort order, with its
// number and its place in the row left for the caller. Throws JetError as DefineTable.
ColumnDefinition DefineColumn(const ColumnDescription& column, const Header& header, bool system);
// The extras Access writes for a new column shown at `display_index`.
ColumnDefinitionExtras NewColumnExtras(const ColumnDefinition& column, uint16_t display_index);
// The flags of the real index behind `index`.
uint8_t IndexFlags(const IndexDescription& index);
// Whether two real indexes are one: the same columns, orders and flags.
bool SameRealIndex(const RealIndex& a, const RealIndex& b);

// The definition of `description` in a database with `header`. Throws JetError for what
// Jet refuses: an invalid name (3125), a column defined twice (3191), too many columns
// (3190) or indexes (3039), more than 10 columns in an index (3277), a second primary key
// (3283), an index name used twice (3375), an index over a missing or unindexable column
// (3409), a size out of range (3382), two columns of one number (3292), and a text index under a
// sort order whose keys cannot be built here (TableNotWritable, naming it).
DefinedTable DefineTable(const TableDescription& description, const Header& header);

}  // namespace dbaccess::mdb

#endif  // SKARNVEL_DBACCESS_STORAGE_MDB_TABLE_DESCRIPTION_H_
