#include "dbaccess/ado/dry_run.h"

#include <exception>
#include <utility>

#include "dbaccess/catalog/catalog.h"
#include "dbaccess/exec/executor.h"
#include "dbaccess/files/database_file.h"
#include "dbaccess/sql/statement.h"

namespace dbaccess::ado {
namespace {

// Tries the mutation; a refusal leaves the tried state as it was.
void Try(Transaction& transaction, const Mutation& mutation, TriedChange& outcome) {
  try {
    transaction.Apply(mutation);
  } catch (const std::exception& error) {
    outcome.error = error.what();
  }
}

}  // namespace

DryRun::DryRun(const DatabaseLocation& database)
    : file_(DatabaseFile::Open(database.path, database.password)),
      transaction_(std::make_unique<Transaction>(file_)) {}

DryRun::~DryRun() = default;  // the transaction is rolled back: nothing is stored

TriedChange DryRun::TryStatement(std::string_view sql) {
  TriedChange outcome;
  outcome.effects = EffectsOfStatement(*transaction_->Snapshot(), sql);
  Try(
      *transaction_,
      [text = std::string(sql)](Catalog& catalog, ChangeList& changes) {
        ExecuteSql(catalog, text, changes);
      },
      outcome);
  return outcome;
}

TriedChange DryRun::TrySetRequired(std::string_view table, std::string_view field, bool required) {
  TriedChange outcome;
  outcome.effects = EffectsOfSetRequired(*transaction_->Snapshot(), table, field, required);
  Try(
      *transaction_,
      [t = std::string(table), f = std::string(field), required](Catalog& catalog,
                                                                 ChangeList& changes) {
        SetColumnRequired(catalog, t, f, required, changes);
      },
      outcome);
  return outcome;
}

TriedChange DryRun::TryRenameField(std::string_view table, std::string_view field,
                                   std::string_view new_name) {
  TriedChange outcome;
  Try(
      *transaction_,
      [t = std::string(table), f = std::string(field), n = std::string(new_name)](
          Catalog& catalog, ChangeList& changes) { RenameColumn(catalog, t, f, n, changes); },
      outcome);
  return outcome;
}

std::vector<std::string> DryRun::DropRelationshipsOf(std::string_view table,
                                                     std::optional<std::string_view> column) {
  std::vector<sql::DropConstraint> drops;
  for (const Relationship* r : transaction_->Snapshot()->RelationshipsOf(table)) {
    if (column && !UsesColumn(*r, table, *column)) continue;
    drops.push_back(sql::DropConstraint{r->foreign_table, r->name});
  }
  std::vector<std::string> dropped;
  for (const sql::DropConstraint& drop : drops) {
    TriedChange outcome;
    Try(
        *transaction_,
        [drop](Catalog& catalog, ChangeList& changes) {
          ExecuteStatement(catalog, sql::Statement(drop), changes);
        },
        outcome);
    if (!outcome.error) dropped.push_back(drop.name);
  }
  return dropped;
}

}  // namespace dbaccess::ado
