// The executor's changes (change.h) written into a Jet 4 database through one PageWriter.
//
// What a list of changes does to each table is written once, as the catalog after the
// changes has it (the executor has already checked and converted everything): a table
// dropped is dropped; a table made (or dropped and made again) is created with its rows; a
// table whose columns, indexes or properties changed is written anew in place
// (table_redefinition.h, RewriteTable): its definition page, and so its MSysObjects Id, stay,
// the rows are the catalog's, a renamed column's name follows into MSysRelationships; a table
// that only got rows gets those rows. Tables are dropped first, then made, then changed.
//
// Relationships and saved queries are written as `before` and `after` differ: those dropped
// or changed go first, then the tables, then those made (relationship_writer.h,
// query_writer.h). Refused: changes to the engine's or Access's own tables and to linked
// tables. Nothing reaches the file before the writer's Commit: after an error the writer
// must be dropped.
#ifndef SKARNVEL_DBACCESS_STORAGE_MDB_CHANGE_WRITER_H_
#define SKARNVEL_DBACCESS_STORAGE_MDB_CHANGE_WRITER_H_

#include <cstdint>
#include <string>
#include <vector>

#include "dbaccess/catalog/catalog.h"
#include "dbaccess/catalog/change.h"
#include "dbaccess/storage/mdb/page_writer.h"

namespace dbaccess::mdb {

// Writes `changes`, which made `after` of `before` (the database as `pages` holds it), at
// `now` (an OLE Automation date: the catalog's DateCreate and DateUpdate). Throws JetError:
// the table, relationship and query writers' (3022, 3047, 3058, TableNotWritable,
// JetChangeNotSupported), 3343 for a damaged file. Returns the tables made or written anew,
// with their definition pages: the file holds their rows as `after` has them.
struct TableRowsWritten {
  std::string name;
  uint32_t definition_page = 0;
};
std::vector<TableRowsWritten> WriteChanges(PageWriter& pages, const Catalog& before,
                                           const Catalog& after, const ChangeList& changes,
                                           double now);

}  // namespace dbaccess::mdb

#endif  // SKARNVEL_DBACCESS_STORAGE_MDB_CHANGE_WRITER_H_
