#include "actions/list_run.h"

#include <exception>

#include "actions/column_sets.h"
#include "actions/command_text.h"
#include "actions/relation_check.h"
#include "actions/workbench_texts.h"

namespace actions {
namespace {

// Thrown inside a row's handling when the relation question is cancelled.
struct RunCancelled {};

void RunDaoCommand(const std::string& s, ActionList& list, RunTarget& target) {
  if (!target.dao) target.dao = target.open_dao();
  if (s.find(texts::kDaoClearRequiredWord) != std::string::npos) {
    target.dao->SetRequired(list.Text("TableName"), list.Text("FieldName"), false);
  }
  if (s.find(texts::kDaoSetRequiredWord) != std::string::npos) {
    target.dao->SetRequired(list.Text("TableName"), list.Text("FieldName"), true);
  }
  if (s.find(texts::kDaoRenameWord) != std::string::npos) {
    target.dao->RenameField(list.Text("TableName"), list.Text("FieldName"),
                            list.Text("NewPropValue"));
  }
}

void RunTwoStatements(const std::string& s, RunConnection& connection) {
  const StatementPair pair = SplitStatements(s);
  connection.BeginTrans();
  bool open = true;
  try {
    connection.Execute(pair.first);
    connection.Execute(pair.second);
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

void RunSingleStatement(const std::string& s, RunTarget& target, RunOutput& out) {
  if (s.find(texts::kDropTable) != std::string::npos) {
    if (CheckRelations(target.connection, target.qRef, target.qT.Text("TableName"), std::nullopt,
                       out) == RelationCheckOutcome::kStop) {
      throw RunCancelled{};
    }
  }
  if (s.find(texts::kAlterColumn) != std::string::npos ||
      s.find(texts::kDropColumn) != std::string::npos) {
    if (CheckRelations(target.connection, target.qRef, target.qT.Text("TableName"),
                       target.qT.Text("FieldName"), out) == RelationCheckOutcome::kStop) {
      throw RunCancelled{};
    }
  }
  target.connection.Execute(s);
}

}  // namespace

void RunTickedRows(ActionList& list, RunTarget& target, RunOutput& out) {
  list.First();
  while (!list.AtEnd()) {
    if (!list.Boolean(kTickColumn)) {
      list.Next();
      continue;
    }
    const std::string s = list.Text("SQL");
    try {
      switch (KindOfCommand(s)) {
        case CommandKind::kDao:
          RunDaoCommand(s, list, target);
          break;
        case CommandKind::kTwoStatements:
          RunTwoStatements(s, target.connection);
          break;
        case CommandKind::kSingleStatement:
          RunSingleStatement(s, target, out);
          break;
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
