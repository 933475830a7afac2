#include "dbaccess/files/script_export.h"

#include <memory>

#include "dbaccess/base/jet_error.h"
#include "dbaccess/files/database_file.h"
#include "dbaccess/files/open_storage.h"
#include "dbaccess/storage/text/text_script.h"
#include "dbaccess/storage/text/text_storage.h"

namespace dbaccess {
namespace {

constexpr int kNotAValidPassword = 3031;

// Whether the database at `path` opens only with a password.
bool HasPassword(const std::string& path) {
  try {
    OpenStorage(path, "");
  } catch (const JetError& error) {
    if (error.number() == kNotAValidPassword) return true;
    throw;
  }
  return false;
}

}  // namespace

std::string ExportScript(const std::string& path, const std::string& password, bool keep_password) {
  const std::shared_ptr<DatabaseFile> file = DatabaseFile::Open(path, password);
  const std::shared_ptr<const Catalog> catalog = file->Snapshot();
  if (keep_password && HasPassword(file->path())) {
    return TextStorage::FileTextFor(*catalog, password);
  }
  return WriteScript(*catalog);
}

}  // namespace dbaccess
