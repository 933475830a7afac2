// The engine layer's model (dbaccess::Catalog) of a stored .mdb database.
//
// - Tables: user tables are TableKind::kUser; tables flagged as the engine's system tables
//   (MSysObjects, MSysACEs, MSysQueries, MSysRelationships) kSystem; tables flagged as
//   Access's own (MSysAccessObjects, MSysAccessStorage, MSysNavPane*, MSysModules ...)
//   kAccessSystem; linked tables kLinked, without columns. System tables keep their columns
//   and indexes but not their rows. Tables are ordered by name.
// - Columns follow their column numbers (deleted columns leave no gaps). Text sizes are in
//   characters. Required and DefaultValue come from the column's properties; every other
//   property is kept in Column::extra_properties as display text.
// - Indexes: a primary key, unique/ignore-nulls/required from the index flags; the
//   foreign-key index an enforced relationship keeps on its foreign table becomes an
//   Index with `foreign` set (neither primary nor unique); its twin on the primary table,
//   which only shares the primary key's storage, is left out, and so is a foreign-key index
//   whose relationship the model leaves out.
// - Relationships between tables of the model that are not system tables (Access 2007
//   relates its MSysNavPane* tables: those are system objects); rules from grbit.
// - Saved queries, hidden "~sq_" ones included, ordered by name, with the SQL DAO shows.
#ifndef SKARNVEL_DBACCESS_STORAGE_MDB_CATALOG_MAPPING_H_
#define SKARNVEL_DBACCESS_STORAGE_MDB_CATALOG_MAPPING_H_

#include "dbaccess/catalog/catalog.h"
#include "dbaccess/storage/mdb/database_reader.h"
#include "dbaccess/storage/mdb/property_blob.h"

namespace dbaccess::mdb {

// Throws FormatError when two objects share a name or a table's property blob is damaged.
Catalog BuildCatalog(const StoredDatabase& db);

// Rows as the reader gives them (cells in definition order) as the model keeps them (cells
// in the order of the column numbers).
std::vector<Row> ModelRows(const TableDefinition& def, const std::vector<Row>& stored);
// The same a row at a time: `order` is ModelColumnOrder(def).
std::vector<size_t> ModelColumnOrder(const TableDefinition& def);
Row ModelRow(const std::vector<size_t>& order, Row&& stored);

// The model's type for a stored column type (unknown types read as Binary), and back.
DataType ModelType(uint8_t column_type);
uint8_t StoredColumnType(DataType type);

// The model of one logical index of `def` (a relationship's index is `foreign`), whose real
// index `def` holds.
Index MapIndex(const TableDefinition& def, const LogicalIndex& logical);
// The model of one stored column with its property map (none: no properties).
Column MapColumn(const ColumnDefinition& def, const PropertyMap* properties, const Layout& layout);

}  // namespace dbaccess::mdb

#endif  // SKARNVEL_DBACCESS_STORAGE_MDB_CATALOG_MAPPING_H_
