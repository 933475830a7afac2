// Reading the saved queries of a database through DAO, and the query comparison of two
// database files.

#include <memory>
#include <string_view>

#include "dbaccess/dao/dao.h"
#include "engine/compare_queries.h"

namespace uAlg {
namespace {

constexpr std::string_view kPasswordConnect = ";PWD=";

}  // namespace

TQuerys LoadQueries(const std::string& path, const std::string& password) {
  namespace dao = dbaccess::dao;
  std::unique_ptr<dao::DBEngine> engine = dao::CreateOleObject(dao::kDbEngineClass);
  engine->SetDefaultType(dao::dbUseJet);
  std::unique_ptr<dao::DaoDatabase> database = engine->Workspaces(0).OpenDatabase(
      path, false, false, std::string(kPasswordConnect) + password);
  const dao::DaoQueryDefs query_defs = database->QueryDefs();
  TQuerys result(query_defs.Count());
  for (int i = 0; i < static_cast<int>(result.size()); ++i) {
    result[i].Name = query_defs.Item(i).Name();
    result[i].SQL = query_defs.Item(i).SQL();
  }
  return result;
}

void CompareQueries(const std::string& working_path, const std::string& new_path,
                    const std::string& working_password, const std::string& new_password,
                    TQResults& results) {
  const TQuerys working = LoadQueries(working_path, working_password);
  const TQuerys fresh = LoadQueries(new_path, new_password);
  CompareQueries(working, fresh, results);
}

}  // namespace uAlg
