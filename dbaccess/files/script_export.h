// A database of either storage written out as a script of the text storage: the same
// structure and rows, readable, and loadable as a text database.
#ifndef SKARNVEL_DBACCESS_FILES_SCRIPT_EXPORT_H_
#define SKARNVEL_DBACCESS_FILES_SCRIPT_EXPORT_H_

#include <string>

namespace dbaccess {

// The script of the database file at `path` as it is now (see DatabaseFile::Open for the
// errors). The script of a database with a password carries that password (as the text
// storage keeps it, hashed), so that the copy made from it is protected as the original is;
// unless `keep_password` is false, when the copy is left unprotected on purpose.
std::string ExportScript(const std::string& path, const std::string& password,
                         bool keep_password = true);

}  // namespace dbaccess

#endif  // SKARNVEL_DBACCESS_FILES_SCRIPT_EXPORT_H_
