// For tests only: a scripted person and databases in memory, both keeping a record of what
// the workbench asked of them.
#ifndef SKARNVEL_ACTIONS_WORKBENCH_TESTING_H_
#define SKARNVEL_ACTIONS_WORKBENCH_TESTING_H_

#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "actions/database_access.h"
#include "actions/interaction.h"
#include "dbaccess/base/jet_error.h"

namespace actions {

// Answers questions from a queue per kind of question (Yes when the queue is empty) and
// records every call as a line: "ask <caption>|<text>" (with "|cancel" when Cancel is
// offered), "notify <text>", "error <text>", "busy 1", "busy 0", "focus 1", "focus 2".
class ScriptedInteraction : public Interaction {
 public:
  void Answer(Question question, actions::Answer answer) { answers_[question].push_back(answer); }
  actions::Answer Ask(Question question, const std::string& caption,
                      const std::string& text) override {
    log.push_back("ask " + caption + "|" + text + (OffersCancel(question) ? "|cancel" : ""));
    asked.push_back(question);
    std::deque<actions::Answer>& queue = answers_[question];
    if (queue.empty()) return actions::Answer::kYes;
    const actions::Answer answer = queue.front();
    queue.pop_front();
    return answer;
  }
  void Notify(Notice notice, const std::string& text) override {
    log.push_back("notify " + text);
    notices.push_back(notice);
  }
  void ShowError(const std::string& text) override { log.push_back("error " + text); }
  void SetBusy(bool busy) override { log.push_back(busy ? "busy 1" : "busy 0"); }
  void Focus(FocusTarget target) override {
    log.push_back(target == FocusTarget::kPath1 ? "focus 1" : "focus 2");
  }
  void Progress(const std::string&) override {}

  // The recorded lines that start with `prefix`.
  std::vector<std::string> With(const std::string& prefix) const {
    std::vector<std::string> lines;
    for (const std::string& line : log) {
      if (line.rfind(prefix, 0) == 0) lines.push_back(line);
    }
    return lines;
  }

  std::vector<std::string> log;
  std::vector<Question> asked;  // the kinds of the questions, in order
  std::vector<Notice> notices;  // the kinds of the notices, in order

 private:
  std::map<Question, std::deque<actions::Answer>> answers_;
};

// One foreign-key rowset row.
struct FakeRelation {
  std::string pk_table, pk_column, fk_table, fk_column, fk_name;
};

// The working database as the fakes keep it, and what was done to it.
struct FakeDatabase {
  // Comparison results handed out (copied) at each comparison.
  uAlg::TResults tables;
  uAlg::TIResults primary_keys;
  uAlg::TIResults unique_indexes;
  uAlg::TfkResults relations;
  uAlg::TQResults queries;
  // A comparison throws this text when set.
  std::optional<std::string> compare_error;
  // Opening a connection throws this text when set; so does opening DAO while dao_failures
  // is above 0 (counted down at each try).
  std::optional<std::string> open_error;
  int dao_failures = 0;
  // Commands that fail, with the engine's text.
  std::map<std::string, std::string> failing;
  std::vector<FakeRelation> foreign_keys;
  std::vector<std::pair<std::string, std::string>> columns;  // table, column
  std::map<std::string, std::string> saved_queries;
  std::set<std::string> failing_query_texts;
  // The database paths handed over, one line per call: "<working> <new>" for a comparison,
  // "<working>" for a connection or a DAO database.
  std::vector<std::string> paths;
  // The data check: the effects a tried statement has, by its text, and what was tried
  // ("try <statement>", "try required <t>.<f> 0|1", "try rename <t>.<f> -> <n>",
  // "drop relations of <t>[.<c>]"). It is kept apart from the record below.
  std::map<std::string, std::vector<dbaccess::DataEffect>> effects;
  std::vector<std::string> tried;

  // The record: comparisons ("tables", "pk", "unique", "relations", "queries"),
  // "open", "close", "begin", "commit", "rollback", "exec <command>", "dao open",
  // "dao close", "required <t>.<f> 0|1", "rename <t>.<f> -> <n>", "delete query <n>",
  // "create query <n>: <sql>".
  std::vector<std::string> log;
  std::vector<std::string> Executed() const {
    std::vector<std::string> commands;
    for (const std::string& line : log) {
      if (line.rfind("exec ", 0) == 0) commands.push_back(line.substr(5));
    }
    return commands;
  }
};

class FakeConnection : public RunConnection {
 public:
  explicit FakeConnection(FakeDatabase& db) : db_(db) { db_.log.push_back("open"); }
  ~FakeConnection() override { db_.log.push_back("close"); }
  void Execute(const std::string& command) override {
    db_.log.push_back("exec " + command);
    const auto failing = db_.failing.find(command);
    if (failing != db_.failing.end()) throw dbaccess::JetError(3000, failing->second);
    // A dropped constraint is gone from the rowset, so dropping it again fails as Jet does.
    const std::string head = "ALTER TABLE [";
    const size_t drop = command.find("] DROP CONSTRAINT [");
    if (command.rfind(head, 0) == 0 && drop != std::string::npos) {
      const std::string table = command.substr(head.size(), drop - head.size());
      const std::string name = command.substr(drop + 19, command.size() - drop - 20);
      bool found = false;
      for (auto it = db_.foreign_keys.begin(); it != db_.foreign_keys.end();) {
        if (it->fk_table == table && it->fk_name == name) {
          it = db_.foreign_keys.erase(it);
          found = true;
        } else {
          ++it;
        }
      }
      if (!found) throw dbaccess::jet_errors::NoSuchRelationship(name, table);
    }
  }
  void BeginTrans() override { db_.log.push_back("begin"); }
  void CommitTrans() override { db_.log.push_back("commit"); }
  void RollbackTrans() override { db_.log.push_back("rollback"); }
  dbaccess::ado::Recordset ForeignKeys() override {
    std::vector<std::vector<dbaccess::Variant>> rows;
    for (const FakeRelation& r : db_.foreign_keys) {
      rows.push_back({T(r.pk_table), T(r.pk_column), T(r.fk_table), T(r.fk_column), T(r.fk_name)});
    }
    return dbaccess::ado::Recordset(
        {"PK_TABLE_NAME", "PK_COLUMN_NAME", "FK_TABLE_NAME", "FK_COLUMN_NAME", "FK_NAME"},
        std::move(rows));
  }
  dbaccess::ado::Recordset Columns() override {
    std::vector<std::vector<dbaccess::Variant>> rows;
    for (const auto& [table, column] : db_.columns) rows.push_back({T(table), T(column)});
    return dbaccess::ado::Recordset({"TABLE_NAME", "COLUMN_NAME"}, std::move(rows));
  }

 private:
  static dbaccess::Variant T(const std::string& text) { return dbaccess::Variant::Text(text); }
  FakeDatabase& db_;
};

class FakeDao : public RunDao {
 public:
  explicit FakeDao(FakeDatabase& db) : db_(db) { db_.log.push_back("dao open"); }
  ~FakeDao() override { db_.log.push_back("dao close"); }
  void SetRequired(const std::string& table, const std::string& field, bool required) override {
    db_.log.push_back("required " + table + "." + field + (required ? " 1" : " 0"));
    Fail(table + "." + field);
  }
  void RenameField(const std::string& table, const std::string& field,
                   const std::string& new_name) override {
    db_.log.push_back("rename " + table + "." + field + " -> " + new_name);
    Fail(table + "." + field);
  }
  std::optional<std::string> QuerySQL(const std::string& name) override {
    const auto it = db_.saved_queries.find(name);
    if (it == db_.saved_queries.end()) return std::nullopt;
    return it->second;
  }
  void DeleteQuery(const std::string& name) override {
    db_.log.push_back("delete query " + name);
    if (db_.saved_queries.erase(name) == 0) throw dbaccess::jet_errors::ItemNotFound();
  }
  void CreateQuery(const std::string& name, const std::string& sql) override {
    db_.log.push_back("create query " + name + ": " + sql);
    if (db_.failing_query_texts.count(sql)) throw dbaccess::jet_errors::SyntaxErrorInCreateTable();
    db_.saved_queries[name] = sql;
  }

 private:
  void Fail(const std::string& what) {
    const auto failing = db_.failing.find(what);
    if (failing != db_.failing.end()) throw dbaccess::JetError(3000, failing->second);
  }
  FakeDatabase& db_;
};

class FakeDryRun : public DryRunDatabase {
 public:
  explicit FakeDryRun(FakeDatabase& db) : db_(db) {}
  TriedAction TryStatement(const std::string& statement) override {
    db_.tried.push_back("try " + statement);
    TriedAction tried;
    const auto effects = db_.effects.find(statement);
    if (effects != db_.effects.end()) tried.effects = effects->second;
    const auto failing = db_.failing.find(statement);
    if (failing != db_.failing.end()) tried.error = failing->second;
    return tried;
  }
  TriedAction TrySetRequired(const std::string& table, const std::string& field,
                             bool required) override {
    db_.tried.push_back("try required " + table + "." + field + (required ? " 1" : " 0"));
    return {};
  }
  TriedAction TryRenameField(const std::string& table, const std::string& field,
                             const std::string& new_name) override {
    db_.tried.push_back("try rename " + table + "." + field + " -> " + new_name);
    return {};
  }
  std::vector<std::string> DropRelationsOf(const std::string& table,
                                           const std::optional<std::string>& column) override {
    db_.tried.push_back("drop relations of " + table + (column ? "." + *column : ""));
    std::vector<std::string> names;
    for (const FakeRelation& r : db_.foreign_keys) {
      const bool of_table = r.pk_table == table || r.fk_table == table;
      const bool of_column = !column || (r.pk_table == table && r.pk_column == *column) ||
                             (r.fk_table == table && r.fk_column == *column);
      if (of_table && of_column) names.push_back(r.fk_name);
    }
    return names;
  }

 private:
  FakeDatabase& db_;
};

class FakeAccess : public DatabaseAccess {
 public:
  explicit FakeAccess(FakeDatabase& db) : db_(db) {}
  uAlg::TResults CompareTables(const std::string& path1, const std::string& path2,
                               const std::string&, const std::string&) override {
    db_.paths.push_back(path1 + " " + path2);
    Compared("tables");
    return db_.tables;
  }
  void CompareIndexes(const std::string&, const std::string&, const std::string&,
                      const std::string&, uAlg::TIResults& results, bool primary_keys) override {
    Compared(primary_keys ? "pk" : "unique");
    const uAlg::TIResults& more = primary_keys ? db_.primary_keys : db_.unique_indexes;
    results.insert(results.end(), more.begin(), more.end());
  }
  void CompareRelations(const std::string&, const std::string&, const std::string&,
                        const std::string&, uAlg::TfkResults& results) override {
    Compared("relations");
    results.insert(results.end(), db_.relations.begin(), db_.relations.end());
  }
  void CompareQueries(const std::string&, const std::string&, const std::string&,
                      const std::string&, uAlg::TQResults& results) override {
    Compared("queries");
    results.insert(results.end(), db_.queries.begin(), db_.queries.end());
  }
  std::unique_ptr<RunConnection> OpenConnection(const std::string& path,
                                                const std::string&) override {
    db_.paths.push_back(path);
    if (db_.open_error) throw dbaccess::JetError(3024, *db_.open_error);
    return std::make_unique<FakeConnection>(db_);
  }
  std::unique_ptr<RunDao> OpenDao(const std::string& path, const std::string&) override {
    db_.paths.push_back(path);
    if (db_.dao_failures > 0) {
      --db_.dao_failures;
      db_.log.push_back("dao open failed");
      throw dbaccess::JetError(0, "Invalid class string");
    }
    return std::make_unique<FakeDao>(db_);
  }
  std::unique_ptr<DryRunDatabase> OpenDryRun(const std::string&, const std::string&) override {
    return std::make_unique<FakeDryRun>(db_);
  }

 private:
  void Compared(const std::string& what) {
    db_.log.push_back(what);
    if (db_.compare_error) throw dbaccess::JetError(3024, *db_.compare_error);
  }
  FakeDatabase& db_;
};

}  // namespace actions

#endif  // SKARNVEL_ACTIONS_WORKBENCH_TESTING_H_
