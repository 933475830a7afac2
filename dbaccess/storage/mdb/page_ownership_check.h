// The page part of the integrity check: every page is free or owned, and owned once.
//
// The global usage map (page 1, row 0) lists the free pages. A table's usage map lists
// exactly its data pages; each of its real indexes has a map of exactly its index pages.
// None of these pages is free, every data and index page that is not free belongs to the
// map of the table it names, and a table's free-space map lists only pages it owns.
// Long value pages and the pages that hold usage maps are not tracked by these maps.
#ifndef SKARNVEL_DBACCESS_STORAGE_MDB_PAGE_OWNERSHIP_CHECK_H_
#define SKARNVEL_DBACCESS_STORAGE_MDB_PAGE_OWNERSHIP_CHECK_H_

#include <string>
#include <vector>

#include "dbaccess/storage/mdb/index_check.h"
#include "dbaccess/storage/mdb/page_file.h"
#include "dbaccess/storage/mdb/table_definition.h"

namespace dbaccess::mdb {

struct OwnedTable {
  std::string name;
  TableDefinition definition;
};

// Adds a finding for every page of the table's maps out of place (free, of another kind or
// of another table). Throws FormatError when the global usage map cannot be read.
void CheckTablePages(const PageFile& file, const OwnedTable& table,
                     std::vector<CheckFinding>& findings);

// Adds a finding for every page out of place. Throws FormatError when the global usage map
// cannot be read.
void CheckPageOwnership(const PageFile& file, const std::vector<OwnedTable>& tables,
                        std::vector<CheckFinding>& findings);

}  // namespace dbaccess::mdb

#endif  // SKARNVEL_DBACCESS_STORAGE_MDB_PAGE_OWNERSHIP_CHECK_H_
