// The row loop of a run of the table, index or relation list: the ticked rows in list order,
// each executed by its kind (action_kind.h: DAO command, two statements in one transaction,
// one statement after the relation check of a table action), each reported in the message
// pane. An error of
// a row appends "Ошибка: " and the command in red and asks whether to go on; what the row
// did before the error stays done, except that two statements are rolled back as one.
#ifndef SKARNVEL_ACTIONS_LIST_RUN_H_
#define SKARNVEL_ACTIONS_LIST_RUN_H_

#include <memory>
#include <string>
#include <vector>

#include "actions/action_list.h"
#include "actions/column_sets.h"
#include "actions/database_access.h"
#include "actions/run_output.h"
#include "dbaccess/ado/recordset.h"

namespace actions {

struct RunTarget {
  RunConnection& connection;
  // Opens the DAO database of the working database; called at a DAO command while `dao`
  // is empty, so a failed opening is tried again at the next DAO command.
  std::function<std::unique_ptr<RunDao>()> open_dao;
  // The DAO database, kept by the caller so that it is released after the comparisons.
  std::unique_ptr<RunDao>& dao;
  // The table list.
  ActionList& qT;
  // The foreign-key rowset of the last relation check.
  dbaccess::ado::Recordset& qRef;
  // Ticked rows left out (from 0, ascending), each reported as left out because it would
  // lose data.
  std::vector<int> skipped = {};
};

// Runs the ticked rows of `list`, the list `id`. Stops early when an answer says so
// (tally.stopped).
void RunTickedRows(ListId id, ActionList& list, RunTarget& target, RunOutput& out);

}  // namespace actions

#endif  // SKARNVEL_ACTIONS_LIST_RUN_H_
