// A database of either storage written out as a script of the text storage: the same
// structure and rows, readable, and loadable as a text database.
#ifndef SKARNVEL_DBACCESS_FILES_SCRIPT_EXPORT_H_
#define SKARNVEL_DBACCESS_FILES_SCRIPT_EXPORT_H_

#include <string>

namespace dbaccess {

// The script of the database file at `path` as it is now (see DatabaseFile::Open for the
// errors). The script carries no password record.
std::string ExportScript(const std::string& path, const std::string& password);

}  // namespace dbaccess

#endif  // SKARNVEL_DBACCESS_FILES_SCRIPT_EXPORT_H_
