// The index part of the integrity check of a Jet 4 database.
//
// For every real index of every table (system tables included) the entries are rebuilt
// from the table's rows, as Jet would write them (key bytes and row pointer, in Jet's
// order), and compared with the entries on the index pages, read from the root down: the
// same entries in the same order, none missing, none extra, each page in ascending order,
// each intermediate entry equal to the last entry below it. Indexes whose keys cannot be
// built here (a text sort order other than "General", an unknown column type) and Jet 3
// files are passed over with a note.
#ifndef SKARNVEL_DBACCESS_STORAGE_MDB_INDEX_CHECK_H_
#define SKARNVEL_DBACCESS_STORAGE_MDB_INDEX_CHECK_H_

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "dbaccess/storage/mdb/index_page.h"
#include "dbaccess/storage/mdb/page_file.h"
#include "dbaccess/storage/mdb/system_catalog.h"
#include "dbaccess/storage/mdb/table_definition.h"

namespace dbaccess::mdb {

struct CheckFinding {
  std::string object;  // "table 'Orders', index 'PrimaryKey'"
  uint32_t page = 0;   // the page the finding is about; 0 when none
  std::string message;

  std::string ToString() const;
};

struct IndexCheckReport {
  std::vector<CheckFinding> findings;
  std::vector<std::string> notes;  // what was passed over, and why
  int indexes_checked = 0;
  uint64_t entries_checked = 0;  // entries rebuilt from rows and compared
};

// Checks every index of the file. Throws FormatError when the catalog cannot be read.
IndexCheckReport CheckIndexes(const PageFile& file);

// Checks the indexes of one table of a Jet 4 file, adding to `report`.
void CheckTableIndexes(const PageFile& file, const TableDefinition& def,
                       const std::string& table_name, IndexCheckReport& report);

// The tables of the catalog (MSysObjects rows of type 1), system tables included, each once.
std::vector<CatalogObject> StoredTables(const PageFile& file);

// The note for a Jet 3 file, whose indexes are not checked.
extern const char kJet3Note[];

// The entries of the index rebuilt from the rows of its table, in Jet's order. Throws
// FormatError when a key cannot be built (see WhyKeysNotBuildable).
std::vector<IndexEntry> RebuildIndexEntries(const PageFile& file, const TableDefinition& def,
                                            const RealIndex& index);

// The entries of every real index of a table rebuilt from its rows in one pass, as a writer
// needs them to lay out the index pages anew.
struct RebuiltIndex {
  std::vector<IndexEntry> entries;    // in Jet's order
  std::set<uint32_t> rows_with_null;  // rows (RowPointer::Encode) whose key has a null column
  uint64_t distinct_keys = 0;
};
struct RebuiltIndexes {
  std::vector<RebuiltIndex> indexes;  // one per real index of the definition, in its order
  uint64_t rows = 0;                  // the table's live rows
};
// Throws FormatError when a key cannot be built or a row cannot be read.
RebuiltIndexes RebuildTableIndexes(const PageFile& file, const TableDefinition& def);

// Empty when the keys of `index` can be built here; otherwise why not.
std::string WhyKeysNotBuildable(const TableDefinition& def, const RealIndex& index,
                                const Header& header);

// The leaf entries of the index tree under `root`, in page order, each with its page.
struct PlacedEntry {
  IndexEntry entry;
  uint32_t page = 0;
};
std::vector<PlacedEntry> ReadIndexEntries(const PageFile& file, uint32_t root, uint32_t table_page,
                                          const std::string& object,
                                          std::vector<CheckFinding>& findings);

}  // namespace dbaccess::mdb

#endif  // SKARNVEL_DBACCESS_STORAGE_MDB_INDEX_CHECK_H_
