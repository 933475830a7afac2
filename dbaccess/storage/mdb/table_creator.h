// Tables made and dropped in a Jet 4 database, as Access lays them out.
//
// A new table takes its definition page, then a data page of no table holding its usage
// maps as rows (the table's pages, its pages with free space, a pair for each memo and OLE
// column in column order, one for each real index), then an empty leaf page as the root of
// each real index; continuation pages of a long definition come last. The engine's own
// tables are made the same way with the pages given: their definition pages (2 to 5) and
// one shared page for all their usage maps.
//
// CreateTable adds a user table with its catalog rows (catalog_writer.h); DropTable gives
// every page of a table back to the global usage map (definition, data, index, long value
// and usage map pages) and removes its catalog rows. Both check what they read first
// (TableEditor's checks and errors) and change nothing before the writer's Commit: after
// an error the writer must be dropped.
#ifndef SKARNVEL_DBACCESS_STORAGE_MDB_TABLE_CREATOR_H_
#define SKARNVEL_DBACCESS_STORAGE_MDB_TABLE_CREATOR_H_

#include <cstdint>
#include <string_view>
#include <vector>

#include "dbaccess/catalog/cell.h"
#include "dbaccess/catalog/table_rows.h"
#include "dbaccess/storage/mdb/catalog_writer.h"
#include "dbaccess/storage/mdb/page_writer.h"
#include "dbaccess/storage/mdb/table_description.h"

namespace dbaccess::mdb {

// The bitmap size of the usage maps a new table gets (512 pages from the map's start).
constexpr size_t kNewUsageMapBitmapBytes = 64;

// Where a new table's pages go; 0: taken from the writer.
struct TablePlacement {
  uint32_t definition_page = 0;  // a page the caller took from the writer
  uint32_t usage_map_page = 0;   // an empty page, or a data page of no table with room
};

struct WrittenTable {
  uint32_t definition_page = 0;
  uint32_t usage_map_page = 0;  // the page the last usage map row went to
};

// Writes the pages of a new, empty table defined by `table`, and no catalog rows. Throws
// FormatError when a given page is neither empty nor a usage map page.
WrittenTable WriteTablePages(PageWriter& pages, DefinedTable table,
                             const TablePlacement& where = {});

// A new user table named and laid out as described, with its MSysObjects row (Id the
// definition page, under the Tables container, created and updated `now`, the column
// properties in LvProp) and its MSysACEs rows. Returns the definition page. Throws JetError
// 3010 when a table or query of that name exists, and DefineTable's errors.
uint32_t CreateTable(PageWriter& pages, const TableDescription& description, double now);
// The same with the catalog rows added through `catalog`, which the caller saves: many
// tables made at once read and index the catalog once.
uint32_t CreateTable(PageWriter& pages, CatalogWriter& catalog, const TableDescription& description,
                     double now);

// Writes the user table `name`, whose definition starts at `definition_page`, anew at that
// page: every other page of it is given back (data, long value, index and usage map pages,
// the definition's continuation pages), its pages laid out for `table` as for a new table,
// and `rows` (cells in the order of the new definition's columns) stored, read one at a
// time, and indexed.
// Tables that point at this one keep finding it: its page stays, and so do the numbers of
// the logical indexes `table` keeps. The catalog rows are the caller's. Throws TableEditor's
// errors (3022 and 3058 for rows an index refuses).
void RewriteTable(PageWriter& pages, std::string_view name, uint32_t definition_page,
                  DefinedTable table, const dbaccess::TableRows& rows);

// Drops the table or linked table `name`. Throws JetError 3376 when there is none, 3281 when
// a relationship uses it, TableNotWritable for a system table.
void DropTable(PageWriter& pages, std::string_view name);

}  // namespace dbaccess::mdb

#endif  // SKARNVEL_DBACCESS_STORAGE_MDB_TABLE_CREATOR_H_
