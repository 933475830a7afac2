// The integrity check of a Jet database file, as `skarnvel-cli check` runs it: every index
// against the rows it indexes (index_check.h), every user table's recorded row count against
// its rows (the engine lets the counts of system tables drift), every table's long values
// and autonumber against its rows (row_content_check.h), and the usage maps against the
// pages in use (page_ownership_check.h). Pages that no map owns and that hold no kind of
// page the reader knows are not reported: Access's own files keep such pages in use (blank
// ones, and pages of type 9).
#ifndef SKARNVEL_DBACCESS_STORAGE_MDB_DATABASE_CHECK_H_
#define SKARNVEL_DBACCESS_STORAGE_MDB_DATABASE_CHECK_H_

#include <string>
#include <vector>

#include "dbaccess/storage/mdb/index_check.h"
#include "dbaccess/storage/mdb/page_file.h"

namespace dbaccess::mdb {

struct DatabaseCheckReport {
  std::vector<CheckFinding> findings;
  std::vector<std::string> notes;  // what was not checked, and why
  int tables_checked = 0;
  int indexes_checked = 0;
  uint64_t entries_checked = 0;

  bool sound() const { return findings.empty(); }
};

// Checks the pages of an open file. Throws FormatError when the catalog cannot be read.
DatabaseCheckReport CheckDatabase(const PageFile& file);

// Opens and checks the file at `path`. Throws the JetError a user sees when the file is
// missing, is no database we read, or `password` does not open it.
DatabaseCheckReport CheckDatabaseFile(const std::string& path, const std::string& password);

}  // namespace dbaccess::mdb

#endif  // SKARNVEL_DBACCESS_STORAGE_MDB_DATABASE_CHECK_H_
