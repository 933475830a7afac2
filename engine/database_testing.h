// For the engine's tests: databases built through the engine layer in a temporary folder,
// from a few lines of Jet SQL and saved queries, so each case reads as its DDL.
#ifndef SKARNVEL_ENGINE_DATABASE_TESTING_H_
#define SKARNVEL_ENGINE_DATABASE_TESTING_H_

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "dbaccess/ado/connection.h"
#include "dbaccess/dao/dao.h"
#include "dbaccess/files/database_file.h"

namespace uAlg::testing {

struct SavedQuery {
  std::string name;
  std::string sql;
};

// A fresh folder per test, removed afterwards.
class TestDatabases : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = std::filesystem::temp_directory_path() /
           (std::string("skarnvel-engine-") + info->test_suite_name() + "-" + info->name() + "-" +
            std::to_string(::getpid()));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  // Creates the database `name` in the folder, runs `statements` on it in order, then
  // saves `queries` through DAO. Returns its path.
  std::string Make(const std::string& name, const std::vector<std::string>& statements,
                   const std::vector<SavedQuery>& queries = {}, const std::string& password = "") {
    const std::string path = Path(name);
    dbaccess::DatabaseFile::CreateText(path, password);
    Run(path, statements, password);
    if (!queries.empty()) {
      auto engine = dbaccess::dao::CreateOleObject(dbaccess::dao::kDbEngineClass);
      engine->SetDefaultType(dbaccess::dao::dbUseJet);
      auto db = engine->Workspaces(0).OpenDatabase(path, false, false, ";PWD=" + password);
      for (const SavedQuery& q : queries) db->CreateQueryDef(q.name, q.sql);
    }
    return path;
  }

  // Runs statements on an existing database, each on its own (two-statement commands are
  // split at their ";" line and run in one transaction, as a run does).
  static void Run(const std::string& path, const std::vector<std::string>& statements,
                  const std::string& password = "") {
    dbaccess::ado::Connection connection;
    connection.Open(dbaccess::ado::DatabaseLocation{path, password});
    for (const std::string& sql : statements) {
      const size_t split = sql.find("\r\n;\r\n");
      if (split == std::string::npos) {
        connection.Execute(sql);
        continue;
      }
      connection.BeginTrans();
      connection.Execute(sql.substr(0, split));
      connection.Execute(sql.substr(split + 5));
      connection.CommitTrans();
    }
  }

  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

 private:
  std::filesystem::path dir_;
};

}  // namespace uAlg::testing

#endif  // SKARNVEL_ENGINE_DATABASE_TESTING_H_
