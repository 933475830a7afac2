// The automation object, its workspace and OpenDatabase.
#include <string_view>

#include "dbaccess/base/jet_error.h"
#include "dbaccess/catalog/jet_names.h"
#include "dbaccess/dao/dao.h"
#include "dbaccess/files/database_file.h"

namespace dbaccess::dao {
namespace {

constexpr std::string_view kPasswordKey = "PWD=";

// The password of a DAO connect text such as ";PWD=secret": everything after a "PWD=" that
// starts the text or follows a ";".
std::string ConnectPassword(std::string_view connect) {
  for (size_t at = 0; at + kPasswordKey.size() <= connect.size(); ++at) {
    if (at > 0 && connect[at - 1] != ';') continue;
    if (SameName(connect.substr(at, kPasswordKey.size()), kPasswordKey)) {
      return std::string(connect.substr(at + kPasswordKey.size()));
    }
  }
  return std::string();
}

}  // namespace

std::unique_ptr<DBEngine> CreateOleObject(std::string_view class_name) {
  if (!SameName(class_name, kDbEngineClass)) throw jet_errors::InvalidClassString();
  return std::make_unique<DBEngine>();
}

DaoWorkspace DBEngine::Workspaces(int index) {
  if (index != 0) throw jet_errors::ItemNotFound();
  return DaoWorkspace();
}

std::unique_ptr<DaoDatabase> DaoWorkspace::OpenDatabase(const std::string& name, bool /*exclusive*/,
                                                        bool read_only,
                                                        const std::string& connect) {
  return std::make_unique<DaoDatabase>(DatabaseFile::Open(name, ConnectPassword(connect)),
                                       read_only);
}

}  // namespace dbaccess::dao
