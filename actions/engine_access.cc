#include "actions/engine_access.h"

#include "actions/workbench_texts.h"
#include "dbaccess/ado/connection.h"
#include "dbaccess/ado/dry_run.h"
#include "dbaccess/base/jet_error.h"
#include "dbaccess/dao/dao.h"

namespace actions {
namespace {

constexpr int kWrongPasswordNumber = 3031;  // "Not a valid password."

TriedAction Tried(dbaccess::ado::TriedChange change) {
  return TriedAction{std::move(change.effects), std::move(change.error)};
}

class EngineDryRun : public DryRunDatabase {
 public:
  EngineDryRun(const std::string& path, const std::string& password)
      : dry_run_(dbaccess::ado::DatabaseLocation{path, password}) {}
  TriedAction TryStatement(const std::string& statement) override {
    return Tried(dry_run_.TryStatement(statement));
  }
  TriedAction TrySetRequired(const std::string& table, const std::string& field,
                             bool required) override {
    return Tried(dry_run_.TrySetRequired(table, field, required));
  }
  TriedAction TryRenameField(const std::string& table, const std::string& field,
                             const std::string& new_name) override {
    return Tried(dry_run_.TryRenameField(table, field, new_name));
  }
  std::vector<std::string> DropRelationsOf(const std::string& table,
                                           const std::optional<std::string>& column) override {
    return dry_run_.DropRelationshipsOf(
        table, column ? std::optional<std::string_view>(*column) : std::nullopt);
  }

 private:
  dbaccess::ado::DryRun dry_run_;
};

class AdoRunConnection : public RunConnection {
 public:
  AdoRunConnection(const std::string& path, const std::string& password) {
    connection_.Open(dbaccess::ado::DatabaseLocation{path, password});
  }
  void Execute(const std::string& command) override { connection_.Execute(command); }
  void BeginTrans() override { connection_.BeginTrans(); }
  void CommitTrans() override { connection_.CommitTrans(); }
  void RollbackTrans() override { connection_.RollbackTrans(); }
  dbaccess::ado::Recordset ForeignKeys() override {
    return connection_.OpenSchema(dbaccess::ado::adSchemaForeignKeys);
  }
  dbaccess::ado::Recordset Columns() override {
    return connection_.OpenSchema(
        dbaccess::ado::adSchemaColumns,
        {dbaccess::Variant(), dbaccess::Variant(), dbaccess::Variant(), dbaccess::Variant()});
  }

 private:
  dbaccess::ado::Connection connection_;
};

class EngineRunDao : public RunDao {
 public:
  EngineRunDao(const std::string& path, const std::string& password) {
    engine_ = dbaccess::dao::CreateOleObject(texts::kDaoEngineClass);
    engine_->SetDefaultType(dbaccess::dao::dbUseJet);
    database_ =
        engine_->Workspaces(0).OpenDatabase(path, /*exclusive=*/false, /*read_only=*/false,
                                            std::string(texts::kDaoConnectPrefix) + password);
  }
  void SetRequired(const std::string& table, const std::string& field, bool required) override {
    database_->TableDefs(table).Fields(field).SetRequired(required);
  }
  void RenameField(const std::string& table, const std::string& field,
                   const std::string& new_name) override {
    database_->TableDefs(table).Fields(field).SetName(new_name);
  }
  std::optional<std::string> QuerySQL(const std::string& name) override {
    const dbaccess::dao::DaoQueryDefs queries = database_->QueryDefs();
    const int count = queries.Count();
    for (int i = 0; i < count; ++i) {
      dbaccess::dao::DaoQueryDef query = queries.Item(i);
      if (query.Name() == name) return query.SQL();
    }
    return std::nullopt;
  }
  void DeleteQuery(const std::string& name) override { database_->QueryDefs().Delete(name); }
  void CreateQuery(const std::string& name, const std::string& sql) override {
    database_->CreateQueryDef(name, sql);
  }

 private:
  std::unique_ptr<dbaccess::dao::DBEngine> engine_;
  std::unique_ptr<dbaccess::dao::DaoDatabase> database_;
};

// Runs a comparison; a wrong password is told with the database it belongs to, since
// the engine's text does not say which of the two it was.
template <typename Compare>
auto NamingTheDatabase(const std::string& path1, const std::string& path2, const std::string& pwd1,
                       Compare compare) {
  try {
    return compare();
  } catch (const dbaccess::JetError& error) {
    if (error.number() != kWrongPasswordNumber) throw;
    bool working = false;
    try {
      dbaccess::ado::Connection probe;
      probe.Open(dbaccess::ado::DatabaseLocation{path1, pwd1});
    } catch (const dbaccess::JetError& again) {
      working = again.number() == kWrongPasswordNumber;
    }
    throw dbaccess::JetError(
        error.number(),
        std::string(error.what()) + "\r" +
            std::string(working ? texts::kWrongPasswordWorkingDb : texts::kWrongPasswordNewDb) +
            (working ? path1 : path2));
  }
}

}  // namespace

uAlg::TResults EngineAccess::CompareTables(const std::string& path1, const std::string& path2,
                                           const std::string& pwd1, const std::string& pwd2) {
  return NamingTheDatabase(path1, path2, pwd1,
                           [&] { return uAlg::CompareTables(path1, path2, pwd1, pwd2); });
}

void EngineAccess::CompareIndexes(const std::string& path1, const std::string& path2,
                                  const std::string& pwd1, const std::string& pwd2,
                                  uAlg::TIResults& results, bool primary_keys) {
  NamingTheDatabase(path1, path2, pwd1,
                    [&] { uAlg::CompareIndexes(path1, path2, pwd1, pwd2, results, primary_keys); });
}

void EngineAccess::CompareRelations(const std::string& path1, const std::string& path2,
                                    const std::string& pwd1, const std::string& pwd2,
                                    uAlg::TfkResults& results) {
  NamingTheDatabase(path1, path2, pwd1,
                    [&] { uAlg::CompareRelations(path1, path2, pwd1, pwd2, results); });
}

void EngineAccess::CompareQueries(const std::string& path1, const std::string& path2,
                                  const std::string& pwd1, const std::string& pwd2,
                                  uAlg::TQResults& results) {
  NamingTheDatabase(path1, path2, pwd1,
                    [&] { uAlg::CompareQueries(path1, path2, pwd1, pwd2, results); });
}

std::unique_ptr<RunConnection> EngineAccess::OpenConnection(const std::string& path,
                                                            const std::string& password) {
  return std::make_unique<AdoRunConnection>(path, password);
}

std::unique_ptr<DryRunDatabase> EngineAccess::OpenDryRun(const std::string& path,
                                                         const std::string& password) {
  return std::make_unique<EngineDryRun>(path, password);
}

std::unique_ptr<RunDao> EngineAccess::OpenDao(const std::string& path,
                                              const std::string& password) {
  return std::make_unique<EngineRunDao>(path, password);
}

}  // namespace actions
