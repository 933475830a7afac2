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
#include "dbaccess/catalog/jet_names.h"
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

// The cells of some named columns in the rows of one table, the columns found by name once
// for all its rows rather than once a cell.
template <size_t N>
class NamedCells {
 public:
  NamedCells(const TableDefinition& def, const std::array<std::string_view, N>& names)
      : columns_(def.columns.size(), false) {
    for (size_t f = 0; f < N; ++f) {
      positions_[f] = kAbsent;
      for (size_t i = 0; i < def.columns.size(); ++i) {
        if (SameName(def.columns[i].name, names[f])) {
          positions_[f] = i;
          columns_[i] = true;
          break;
        }
      }
    }
  }
  // Which of the table's columns (by position) these cells come from: all a reader of its
  // rows need decode.
  const std::vector<bool>& columns() const { return columns_; }
  // The cell of the `field`th name in `row`; null when the table has no such column.
  const Cell* operator()(const Row& row, size_t field) const {
    const size_t i = positions_[field];
    return i < row.size() ? &row[i] : nullptr;
  }

 private:
  static constexpr size_t kAbsent = static_cast<size_t>(-1);
  std::array<size_t, N> positions_;
  std::vector<bool> columns_;
};

// A cell's value when it is of that kind; nothing (or no bytes) for null, missing or other.
std::optional<int64_t> CellInteger(const Cell* cell);  // booleans as 0 and 1
std::optional<std::string> CellText(const Cell* cell);
std::vector<uint8_t> CellBinary(const Cell* cell);

// Decodes the rows of the system catalog.
class CatalogObjectDecoder {
 public:
  explicit CatalogObjectDecoder(const TableDefinition& def);
  CatalogObject Decode(const Row& row) const;
  // The columns Decode reads.
  const std::vector<bool>& columns() const { return cells_.columns(); }

 private:
  NamedCells<9> cells_;
};

CatalogObject DecodeCatalogObject(const TableDefinition& def, const Row& row);

// The Id of the "Tables" container (the parent of tables and queries).
int32_t TablesContainerId(const std::vector<CatalogObject>& objects);

}  // namespace dbaccess::mdb

#endif  // SKARNVEL_DBACCESS_STORAGE_MDB_SYSTEM_CATALOG_H_
