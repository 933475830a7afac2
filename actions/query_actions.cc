#include "actions/query_actions.h"

#include <exception>
#include <optional>
#include <string>

#include "actions/column_sets.h"
#include "actions/workbench_texts.h"
#include "engine/result_texts.h"

namespace actions {
namespace {

using dbaccess::Variant;

// Deletes the query and creates it with the new text; puts the old one back when the
// creation fails, then lets the failure pass.
void ReplaceQuery(RunDao& dao, const std::string& name, const std::string& sql) {
  const std::optional<std::string> old_sql = dao.QuerySQL(name);
  dao.DeleteQuery(name);
  try {
    dao.CreateQuery(name, sql);
  } catch (...) {
    if (old_sql) {
      try {
        dao.CreateQuery(name, *old_sql);
      } catch (...) {
        // The row fails with the first error; the comparison afterwards shows the rest.
      }
    }
    throw;
  }
}

}  // namespace

void FillQueryList(ActionList& qQ, const uAlg::TQResults& results) {
  ScopedSuspend suspend(qQ);
  qQ.Empty();
  for (const uAlg::TQResult& r : results) {
    qQ.AppendRow({{"Name", Variant::Text(r.Name)},
                  {kResultColumn, Variant::Text(r.Result)},
                  {"NewSQL", Variant::Text(r.NewSQL)},
                  {"OldSQL", Variant::Text(r.OldSQL)},
                  {"Act", Variant::Text(r.Act)},
                  {kTickColumn, Variant::Boolean(true)}});
  }
}

void RunQueryRows(ActionList& qQ, RunDao& dao, RunOutput& out) {
  qQ.First();
  while (!qQ.AtEnd()) {
    if (!qQ.Boolean(kTickColumn)) {
      qQ.Next();
      continue;
    }
    const std::string act = qQ.Text("Act");
    try {
      const std::string result = qQ.Text(kResultColumn);
      const std::string name = qQ.Text("Name");
      if (result == uAlg::kDroppedQuery) {
        dao.DeleteQuery(name);
      } else if (result == uAlg::kNewQuery) {
        dao.CreateQuery(name, qQ.Text("NewSQL"));
      } else if (result == uAlg::kChangedQueryText) {
        ReplaceQuery(dao, name, qQ.Text("NewSQL"));
      }
      out.append(std::string(texts::kSuccessPrefix) + act, MessageColor::kWindowText);
      ++out.tally.succeeded;
    } catch (const std::exception&) {
      ++out.tally.failed;
      out.append(std::string(texts::kErrorPrefix) + act, MessageColor::kRed);
      const std::string question =
          std::string(texts::kQueryErrorText) + act + "\r" + std::string(texts::kContinueQuestion);
      if (out.ui.Ask(Question::kQueryRowFailed, std::string(texts::kQueryErrorCaption), question) !=
          Answer::kYes) {
        out.tally.stopped = true;
        break;
      }
    }
    qQ.Next();
  }
}

}  // namespace actions
