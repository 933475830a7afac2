// Chooses the storage of a database file by the file's content, never by its name.
#ifndef SKARNVEL_DBACCESS_FILES_OPEN_STORAGE_H_
#define SKARNVEL_DBACCESS_FILES_OPEN_STORAGE_H_

#include <memory>
#include <string>

#include "dbaccess/storage/storage.h"

namespace dbaccess {

// Opens the database file at `path` with its database password ("" for none): a Jet file
// goes to the .mdb storage, a script of ours to the text storage; the file's head is read
// once for both the choice and the storage's own checks. Throws JetError: 3024 for a
// missing file, 3343 for content of no known format, 3031 for a wrong or missing password.
// A password given for a database that has none is ignored, as Jet ignores it.
std::unique_ptr<Storage> OpenStorage(const std::string& path, const std::string& password);

}  // namespace dbaccess

#endif  // SKARNVEL_DBACCESS_FILES_OPEN_STORAGE_H_
