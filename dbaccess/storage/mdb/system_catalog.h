// The system catalog, MSysObjects: one row per object of the database (containers,
// tables, queries, relationships, Access's forms and reports ...).
//
// A table's Id is the page of its table definition. Type gives the kind of object; Flags
// mark system objects: 0x80000000 on the engine's own tables (MSysObjects, MSysACEs,
// MSysQueries, MSysRelationships), 0x2 on those Access adds (MSysAccessObjects,
// MSysNavPane*, ...). A saved query's Flags give its kind (0 select, 16 crosstab, ...).
#ifndef SKARNVEL_DBACCESS_STORAGE_MDB_SYSTEM_CATALOG_H_
#define SKARNVEL_DBACCESS_STORAGE_MDB_SYSTEM_CATALOG_H_

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dbaccess/catalog/cell.h"
#include "dbaccess/storage/mdb/table_definition.h"

namespace dbaccess::mdb {

constexpr int kObjectTypeTable = 1;
constexpr int kObjectTypeContainer = 3;
constexpr int kObjectTypeLinkedOdbcTable = 4;
constexpr int kObjectTypeQuery = 5;
constexpr int kObjectTypeLinkedTable = 6;
constexpr int kObjectTypeRelationship = 8;

constexpr uint32_t kObjectFlagSystem = 0x80000000;
constexpr uint32_t kObjectFlagAccessSystem = 0x00000002;
constexpr uint32_t kObjectFlagHidden = 0x00000001;

constexpr int32_t kRootContainerId = 0x0F000000;
constexpr int32_t kTablesContainerId = 0x0F000001;
constexpr char kTablesContainerName[] = "Tables";

// The engine's own tables.
constexpr char kCatalogTableName[] = "MSysObjects";
constexpr char kAccessControlTableName[] = "MSysACEs";
constexpr char kQueriesTableName[] = "MSysQueries";
constexpr char kRelationshipsTableName[] = "MSysRelationships";

struct CatalogObject {
  int32_t id = 0;
  int32_t parent_id = 0;
  std::string name;
  int type = 0;
  uint32_t flags = 0;
  std::string database;             // linked tables: the other database
  std::string connect;              // linked tables: the connection text
  std::string foreign_name;         // linked tables: the table's name over there
  std::vector<uint8_t> properties;  // LvProp

  bool system() const { return (flags & kObjectFlagSystem) != 0; }
  bool access_system() const { return (flags & kObjectFlagAccessSystem) != 0; }
};

// Access to the cells of a row by column name.
class RowFields {
 public:
  RowFields(const TableDefinition& def, const Row& row) : def_(def), row_(row) {}
  const Cell* Find(std::string_view column) const;  // null when the table has no such column
  std::optional<int64_t> Integer(std::string_view column) const;
  std::string Text(std::string_view column) const;  // "" for null or missing
  std::optional<std::string> OptionalText(std::string_view column) const;
  std::vector<uint8_t> Binary(std::string_view column) const;

 private:
  const TableDefinition& def_;
  const Row& row_;
};

// Sets the cell of the column of that name in `row` (one cell per column of `def`), when
// the table has such a column.
void SetField(const TableDefinition& def, Row& row, std::string_view column, Cell value);

// Decodes the rows of the system catalog, its columns found by name once, not per row.
class CatalogObjectDecoder {
 public:
  explicit CatalogObjectDecoder(const TableDefinition& def);
  CatalogObject Decode(const Row& row) const;

 private:
  enum Field { kId, kParentId, kName, kType, kFlags, kDatabase, kConnect, kForeignName, kLvProp };
  static constexpr size_t kFieldCount = kLvProp + 1;
  static constexpr size_t kAbsent = static_cast<size_t>(-1);
  const Cell* At(const Row& row, Field field) const;

  std::array<size_t, kFieldCount> positions_;
};

CatalogObject DecodeCatalogObject(const TableDefinition& def, const Row& row);

// The Id of the "Tables" container (the parent of tables and queries).
int32_t TablesContainerId(const std::vector<CatalogObject>& objects);

}  // namespace dbaccess::mdb

#endif  // SKARNVEL_DBACCESS_STORAGE_MDB_SYSTEM_CATALOG_H_
