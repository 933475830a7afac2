#include "dbaccess/files/script_export.h"

#include <memory>

#include "dbaccess/files/database_file.h"
#include "dbaccess/storage/text/text_script.h"

namespace dbaccess {

std::string ExportScript(const std::string& path, const std::string& password) {
  const std::shared_ptr<DatabaseFile> file = DatabaseFile::Open(path, password);
  return WriteScript(*file->Snapshot());
}

}  // namespace dbaccess
