#include "actions/list_run.h"

#include <algorithm>
#include <exception>
#include <optional>

#include "actions/action_kind.h"
#include "actions/column_sets.h"
#include "actions/command_text.h"
#include "actions/relation_check.h"
#include "actions/workbench_texts.h"

namespace actions {
namespace {

// Thrown inside a row's handling when the relation question is cancelled.
struct RunCancelled {};

void RunDaoCommand(ActionKind kind, ActionList& list, RunTarget& target) {
  if (!target.dao) target.dao = target.open_dao();
  switch (kind) {
    case ActionKind::kClearRequired:
      target.dao->SetRequired(list.Text("TableName"), list.Text("FieldName"), false);
      break;
    case ActionKind::kSetRequired:
      target.dao->SetRequired(list.Text("TableName"), list.Text("FieldName"), true);
      break;
    case ActionKind::kRenameField:
      target.dao->RenameField(list.Text("TableName"), list.Text("FieldName"),
                              list.Text("NewPropValue"));
      break;
    default:
      break;  // a DAO command naming no operation changes nothing
  }
}

// A relation re-created with new rules. The command holds only the builder's words and
// bracketed names, so its first separator outside brackets is the builder's; a command the
// user left without one is a single statement, still inside the transaction.
void RunTwoStatements(const std::string& s, RunConnection& connection) {
  const bool split = FindStatementSeparator(s).has_value();
  const StatementPair pair = split ? SplitStatements(s) : StatementPair{s, std::string()};
  connection.BeginTrans();
  bool open = true;
  try {
    connection.Execute(pair.first);
    if (split) connection.Execute(pair.second);
    open = false;  // a commit ends the transaction whether or not it succeeds
    connection.CommitTrans();
  } catch (...) {
    if (open) {
      try {
        connection.RollbackTrans();
      } catch (...) {
        // The row fails with the statement's error, not the rollback's.
      }
    }
    throw;
  }
}

// The relation check a row asks for: the relations of its table or column for a table
// action, those relying on the key for a key's drop; none for anything else.
RelationCheckOutcome CheckRelationsOf(ActionKind kind, ActionList& list, RunTarget& target,
                                      RunOutput& out) {
  switch (kind) {
    case ActionKind::kDropTable: {
      const std::string table = list.Text("TableName");
      return CheckRelations(target.connection, target.qRef, TableRelationFilter(table), table,
                            std::nullopt, out);
    }
    case ActionKind::kChangeColumn: {
      const std::string table = list.Text("TableName");
      const std::string column = list.Text("FieldName");
      return CheckRelations(target.connection, target.qRef, ColumnRelationFilter(table, column),
                            table, column, out);
    }
    case ActionKind::kDropKey: {
      const std::string table = list.Text("TABLE_NAME");
      const std::string column = list.Text("COLUMN_NAME");
      return CheckRelations(target.connection, target.qRef, KeyRelationFilter(table, column), table,
                            column, out);
    }
    default:
      return RelationCheckOutcome::kGoOn;
  }
}

// One statement, executed whole: a ";" in it is the engine's to refuse, never a place to
// split.
void RunSingleStatement(ActionKind kind, const std::string& s, ActionList& list, RunTarget& target,
                        RunOutput& out) {
  switch (CheckRelationsOf(kind, list, target, out)) {
    case RelationCheckOutcome::kStop:
      throw RunCancelled{};
    case RelationCheckOutcome::kDropped:
      out.tally.relations_dropped = true;
      break;
    case RelationCheckOutcome::kGoOn:
      break;
  }
  target.connection.Execute(s);
}

}  // namespace

void RunTickedRows(ListId id, ActionList& list, RunTarget& target, RunOutput& out) {
  list.First();
  while (!list.AtEnd()) {
    if (!list.Boolean(kTickColumn)) {
      list.Next();
      continue;
    }
    const std::string s = list.Text("SQL");
    if (std::binary_search(target.skipped.begin(), target.skipped.end(), list.CurrentRow())) {
      out.append(std::string(texts::kDataLossSkippedLine) + s, MessageColor::kGrayText);
      ++out.tally.skipped;
      list.Next();
      continue;
    }
    try {
      const ActionKind kind = KindOfAction(id, list);
      if (IsDaoAction(kind)) {
        RunDaoCommand(kind, list, target);
      } else if (kind == ActionKind::kTwoStatements) {
        RunTwoStatements(s, target.connection);
      } else {
        RunSingleStatement(kind, s, list, target, out);
      }
      out.append(std::string(texts::kSuccessPrefix) + s, MessageColor::kWindowText);
      ++out.tally.succeeded;
    } catch (const RunCancelled&) {
      out.tally.stopped = true;
      return;
    } catch (const std::exception& error) {
      ++out.tally.failed;
      out.append(std::string(texts::kErrorPrefix) + s, MessageColor::kRed);
      const std::string question = std::string(texts::kRunErrorText) + s + "\r" +
                                   std::string(texts::kErrorTextRule) + "\r" + error.what() + "\r" +
                                   std::string(texts::kErrorTextRule) + "\r" +
                                   std::string(texts::kContinueQuestion);
      if (out.ui.Ask(Question::kRowFailed, std::string(texts::kRunErrorCaption), question) !=
          Answer::kYes) {
        out.tally.stopped = true;
        return;
      }
    }
    list.Next();
  }
}

}  // namespace actions
