// Reads a whole database file into its stored parts: the catalog objects, each table's
// definition and rows, the saved queries' rows and the relationships' rows. A table's
// properties stay the blob its catalog object holds, decoded when the table is mapped, so
// that the decoded properties of only one table are in memory at a time. Nothing here
// interprets them for the engine layer; catalog_mapping.h does.
#ifndef SKARNVEL_DBACCESS_STORAGE_MDB_DATABASE_READER_H_
#define SKARNVEL_DBACCESS_STORAGE_MDB_DATABASE_READER_H_

#include <vector>

#include "dbaccess/catalog/cell.h"
#include "dbaccess/storage/mdb/header.h"
#include "dbaccess/storage/mdb/page_file.h"
#include "dbaccess/storage/mdb/query_text.h"
#include "dbaccess/storage/mdb/relationships.h"
#include "dbaccess/storage/mdb/system_catalog.h"
#include "dbaccess/storage/mdb/table_definition.h"

namespace dbaccess::mdb {

struct StoredTable {
  CatalogObject object;
  bool linked = false;  // a linked table: no definition or rows here
  TableDefinition definition;
  std::vector<Row> rows;  // user tables only; each in definition column order
};

struct StoredQuery {
  CatalogObject object;
  std::vector<QueryRow> rows;  // in stored order
};

struct StoredDatabase {
  Header header;
  std::vector<StoredTable> tables;
  std::vector<StoredQuery> queries;
  std::vector<RelationshipRow> relationships;
};

struct ReadOptions {
  bool user_table_rows = true;  // false: structure only
};

// Reads everything. Throws FormatError when the file is damaged or not a Jet 3/4 database.
StoredDatabase ReadDatabase(const PageFile& file, const ReadOptions& options = {});

}  // namespace dbaccess::mdb

#endif  // SKARNVEL_DBACCESS_STORAGE_MDB_DATABASE_READER_H_
