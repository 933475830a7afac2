// Everything the workbench asks of the databases: the four comparisons of the structure
// engine, and for a run the working database through one ADO-like connection and, from the
// first DAO command on, one DAO database. EngineAccess (engine_access.h) is the real thing;
// tests put fakes in its place to watch what a command does.
//
// Every failure is a dbaccess::JetError (or another std::exception) carrying the engine's
// text.
#ifndef SKARNVEL_ACTIONS_DATABASE_ACCESS_H_
#define SKARNVEL_ACTIONS_DATABASE_ACCESS_H_

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "dbaccess/ado/recordset.h"
#include "dbaccess/exec/data_effects.h"
#include "engine/uAlg.h"

namespace actions {

// The working database as a run's connection sees it.
class RunConnection {
 public:
  virtual ~RunConnection() = default;  // closes; an open transaction is rolled back
  virtual void Execute(const std::string& command) = 0;
  virtual void BeginTrans() = 0;
  virtual void CommitTrans() = 0;
  virtual void RollbackTrans() = 0;
  // The whole foreign-key schema rowset (PK_TABLE_NAME, PK_COLUMN_NAME, FK_TABLE_NAME,
  // FK_COLUMN_NAME, FK_NAME, ...), one row per column pair of a relation.
  virtual dbaccess::ado::Recordset ForeignKeys() = 0;
  // The columns schema rowset of every table (TABLE_NAME, COLUMN_NAME, ...).
  virtual dbaccess::ado::Recordset Columns() = 0;
};

// The working database opened through DAO; every change is stored at once.
class RunDao {
 public:
  virtual ~RunDao() = default;  // releases the database
  virtual void SetRequired(const std::string& table, const std::string& field, bool required) = 0;
  virtual void RenameField(const std::string& table, const std::string& field,
                           const std::string& new_name) = 0;
  // The SQL text of a saved query, or nothing when there is none of that name.
  virtual std::optional<std::string> QuerySQL(const std::string& name) = 0;
  virtual void DeleteQuery(const std::string& name) = 0;
  virtual void CreateQuery(const std::string& name, const std::string& sql) = 0;
};

// The working database for a data check: every change is tried in memory and never stored
// (dbaccess/ado/dry_run.h). Each try gives what the change would do to the rows, and the
// engine's text when it would refuse the change.
struct TriedAction {
  std::vector<dbaccess::DataEffect> effects;
  std::optional<std::string> error;
};

class DryRunDatabase {
 public:
  virtual ~DryRunDatabase() = default;
  virtual TriedAction TryStatement(const std::string& statement) = 0;
  virtual TriedAction TrySetRequired(const std::string& table, const std::string& field,
                                     bool required) = 0;
  virtual TriedAction TryRenameField(const std::string& table, const std::string& field,
                                     const std::string& new_name) = 0;
  // Drops the relations of the table, or of its `column` only, as a run does when told to;
  // returns their names.
  virtual std::vector<std::string> DropRelationsOf(const std::string& table,
                                                   const std::optional<std::string>& column) = 0;
};

class DatabaseAccess {
 public:
  virtual ~DatabaseAccess() = default;

  // The comparisons, working database first; see engine/uAlg.h.
  virtual uAlg::TResults CompareTables(const std::string& path1, const std::string& path2,
                                       const std::string& pwd1, const std::string& pwd2) = 0;
  virtual void CompareIndexes(const std::string& path1, const std::string& path2,
                              const std::string& pwd1, const std::string& pwd2,
                              uAlg::TIResults& results, bool primary_keys) = 0;
  virtual void CompareRelations(const std::string& path1, const std::string& path2,
                                const std::string& pwd1, const std::string& pwd2,
                                uAlg::TfkResults& results) = 0;
  virtual void CompareQueries(const std::string& path1, const std::string& path2,
                              const std::string& pwd1, const std::string& pwd2,
                              uAlg::TQResults& results) = 0;

  // A connection to the database at `path` with its password ("" for none).
  virtual std::unique_ptr<RunConnection> OpenConnection(const std::string& path,
                                                        const std::string& password) = 0;
  // The database opened through DAO: the engine object "DAO.DBEngine.36", Jet workspaces,
  // workspace 0, OpenDatabase shared and writable with ";PWD=" and the password.
  virtual std::unique_ptr<RunDao> OpenDao(const std::string& path, const std::string& password) = 0;
  // The database at `path` to try changes on.
  virtual std::unique_ptr<DryRunDatabase> OpenDryRun(const std::string& path,
                                                     const std::string& password) = 0;
};

}  // namespace actions

#endif  // SKARNVEL_ACTIONS_DATABASE_ACCESS_H_
