// The row part of the integrity check: what a table's rows hold beyond their count. Every
// memo and OLE field's long value can be read whole (its chain neither breaks nor loops and
// stays on long value pages), and the last autonumber the definition records is no smaller
// than the largest value an AutoNumber column holds (else the next row added would take a
// key that is there).
#ifndef SKARNVEL_DBACCESS_STORAGE_MDB_ROW_CONTENT_CHECK_H_
#define SKARNVEL_DBACCESS_STORAGE_MDB_ROW_CONTENT_CHECK_H_

#include <string>
#include <vector>

#include "dbaccess/storage/mdb/index_check.h"
#include "dbaccess/storage/mdb/page_file.h"
#include "dbaccess/storage/mdb/table_definition.h"

namespace dbaccess::mdb {

// Adds a finding for each long value that cannot be read (at most a few per column) and
// for an autonumber counter below the rows' largest value. `object` names the table in the
// findings. Throws FormatError when the rows or the definition cannot be read at all.
void CheckRowContent(const PageFile& file, const TableDefinition& def, const std::string& object,
                     std::vector<CheckFinding>& findings);

}  // namespace dbaccess::mdb

#endif  // SKARNVEL_DBACCESS_STORAGE_MDB_ROW_CONTENT_CHECK_H_
