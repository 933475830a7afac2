// The engine layer's tables (catalog.h) as Jet 4 tables: a new table described as Access
// makes one, and a stored table defined again after its columns, indexes or properties
// changed, keeping what Access keeps.
//
// A new table has the model's columns in their order (types, sizes, AutoNumber), its own
// indexes (a relationship's hidden index comes with the relationship, not the table), and
// DefaultValue and Required as the engine's DDL sets them; every other property is text.
//
// A table defined again keeps its definition where it stays the same. A column that is still
// there keeps its number, flags, sort order and extras; one whose type or size changed is
// defined anew under its number; a new column takes a number after every number the table
// has used (a dropped column leaves a gap). The places in the row are laid out afresh, so the
// rows must be written again. An index the model still has unchanged keeps its logical
// number, its real index's extras and its own; a new one takes a number after the highest
// (Access leaves gaps where indexes were dropped). The logical indexes of relationships, on
// either side, stay as stored with their numbers and real indexes, so the other table's
// references to them stay valid. Properties: the stored blob, each column's map following
// its column (renamed, or gone with it), then made to say what the model says: Required and
// DefaultValue, and each other property's text; values that still read the same keep their
// stored bytes, the table's own map and maps of no column stay as they are.
#ifndef SKARNVEL_DBACCESS_STORAGE_MDB_TABLE_REDEFINITION_H_
#define SKARNVEL_DBACCESS_STORAGE_MDB_TABLE_REDEFINITION_H_

#include <cstdint>
#include <optional>
#include <vector>

#include "dbaccess/catalog/catalog.h"
#include "dbaccess/storage/mdb/header.h"
#include "dbaccess/storage/mdb/table_definition.h"
#include "dbaccess/storage/mdb/table_definition_encoder.h"
#include "dbaccess/storage/mdb/table_description.h"

namespace dbaccess::mdb {

// The model table `table` as a new Jet table.
TableDescription DescribeTable(const Table& table);

// A stored user table as a change reads it.
struct StoredTableParts {
  TableDefinition definition;
  TableDefinitionExtras extras;
  std::vector<uint8_t> properties;  // LvProp as stored
};

struct RedefinedTable {
  // Columns in the model's order (so the model's rows are the definition's); the page, the
  // usage maps and the index pages are left to RewriteTable (table_creator.h).
  DefinedTable table;
  std::vector<uint8_t> properties;  // the new LvProp; empty: none
};

// `stored` defined again as the model table `table`. origins[i] is the number of the stored
// column that column i of the model continues, none for a new column. Throws JetError as
// DefineTable, and TableNotWritable for a column of a type not written here or a
// relationship's index whose columns are gone.
RedefinedTable RedefineTable(const StoredTableParts& stored, const Table& table,
                             const std::vector<std::optional<uint16_t>>& origins,
                             const Header& header);

}  // namespace dbaccess::mdb

#endif  // SKARNVEL_DBACCESS_STORAGE_MDB_TABLE_REDEFINITION_H_
