// The engine's own tables of a new Jet 4 database, as data: MSysObjects, MSysACEs,
// MSysQueries and MSysRelationships exactly as Jet 4.0 describes them when it makes a
// database (ADOX's Catalog.Create, no Access), and the rows it puts in MSysObjects and
// MSysACEs.
//
// A description is the TableDefinition and TableDefinitionExtras EncodeTableDefinition
// takes, with every byte the engine writes, including the stale bytes it leaves in fields
// it does not use (fixed offsets of variable-length columns, unused index column slots,
// cascade bytes of indexes that are not foreign keys). What depends on where the pages go
// (the usage map rows of the table, of its long value columns and of its indexes, the first
// page of each index, the definition's own page) is left zero for PlaceTable to fill in;
// EnginePlacement gives the engine's own choice. Row counts and the distinct-key counts
// beside each index are those of the initial rows.
//
// The rows name the system tables by their definition pages (2 to 5) and the accounts by
// security identifiers (SIDs) as the engine stored them. Jet masks SIDs per database: the
// same four accounts bear other bytes in every file we have (always the same XOR apart:
// 01 02, 00 02 and 00 07 from the first), the mask changing with the creation date; how it
// is made is not known. Whether Jet reads these SIDs as the same accounts in a file with
// another creation date is not verified.
#ifndef SKARNVEL_DBACCESS_STORAGE_MDB_SYSTEM_TABLES_H_
#define SKARNVEL_DBACCESS_STORAGE_MDB_SYSTEM_TABLES_H_

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "dbaccess/catalog/cell.h"
#include "dbaccess/storage/mdb/system_catalog.h"
#include "dbaccess/storage/mdb/table_definition.h"
#include "dbaccess/storage/mdb/table_definition_encoder.h"

namespace dbaccess::mdb {

// The objects of a new database beyond the tables (system_catalog.h has the rest).
constexpr int kObjectTypeDatabase = 2;
constexpr int32_t kDatabasesContainerId = 0x0F000002;
constexpr int32_t kRelationshipsContainerId = 0x0F000003;
constexpr int32_t kDatabaseObjectId = 0x10000000;  // "MSysDb", the database itself
constexpr char kDatabasesContainerName[] = "Databases";
constexpr char kRelationshipsContainerName[] = "Relationships";
constexpr char kDatabaseObjectName[] = "MSysDb";

// The accounts of the initial rows, by their roles there (see above on the bytes).
using Sid = std::array<uint8_t, 2>;
// Owns the containers and the system tables; has no permissions of its own.
constexpr Sid kSidSystemOwner = {0x65, 0x89};
// Owns MSysDb and may read and change the permissions of every object.
constexpr Sid kSidDatabaseOwner = {0x64, 0x8B};
// May read the data of MSysObjects, MSysQueries and MSysRelationships and open the
// database; has full access to new tables and relationships (inherited).
constexpr Sid kSidEveryone = {0x65, 0x8B};
// Inherits delete, permission and design rights on new tables and relationships.
constexpr Sid kSidNewObjects = {0x65, 0x8E};

struct SystemTable {
  std::string name;
  TableDefinition definition;
  TableDefinitionExtras extras;
};

// The four tables in the order of their definition pages.
std::vector<SystemTable> SystemTables();

// Where a table's pages are.
struct TablePlacement {
  uint32_t definition_page = 0;
  RowPointer owned_pages;  // the usage map rows of the table's data pages
  RowPointer free_pages;
  // One per long value (memo, OLE) column, by column number, in any order.
  std::vector<ColumnUsageMaps> long_value_maps;
  struct Index {
    RowPointer usage_map;  // the map of the index's pages
    uint32_t first_page = 0;
  };
  std::vector<Index> indexes;  // one per real index, in order
};

// Sets what `placement` says in the definition and its extras. Throws FormatError when the
// placement's indexes or long value columns are not the table's.
void PlaceTable(const TablePlacement& placement, TableDefinition& def,
                TableDefinitionExtras& extras);

// The engine's placement of the four tables (the order of SystemTables()). Every map is a
// row of kSystemUsageMapsPage.
constexpr uint32_t kSystemUsageMapsPage = 6;
std::vector<TablePlacement> EnginePlacement();

// The rows of MSysObjects in a new database, in the engine's order (the three containers,
// MSysDb, the four tables), each in the column order of its definition; `created` is every
// row's DateCreate and DateUpdate.
std::vector<Row> InitialCatalogRows(double created);

// The rows of MSysACEs in a new database, in the engine's order.
std::vector<Row> InitialAccessControlRows();

}  // namespace dbaccess::mdb

#endif  // SKARNVEL_DBACCESS_STORAGE_MDB_SYSTEM_TABLES_H_
