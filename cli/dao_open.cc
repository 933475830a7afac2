#include "cli/dao_open.h"

namespace cli {

std::unique_ptr<dbaccess::dao::DaoDatabase> OpenDaoDatabase(const DatabaseArgs& args) {
  const std::unique_ptr<dbaccess::dao::DBEngine> engine =
      dbaccess::dao::CreateOleObject(dbaccess::dao::kDbEngineClass);
  engine->SetDefaultType(dbaccess::dao::dbUseJet);
  return engine->Workspaces(0).OpenDatabase(args.path, false, false, ";PWD=" + args.password);
}

}  // namespace cli
