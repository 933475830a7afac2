// The saved-query actions: rows of `qQ` from the query comparison, and the query run, which
// deletes, creates or replaces saved queries of the working database through DAO by each
// ticked row's Result, taking the text from NewSQL.
//
// A replacement deletes the old query and creates the new one; when the creation fails the
// old query is created again, so a failed row never loses the query it was to replace.
#ifndef SKARNVEL_ACTIONS_QUERY_ACTIONS_H_
#define SKARNVEL_ACTIONS_QUERY_ACTIONS_H_

#include "actions/action_list.h"
#include "actions/database_access.h"
#include "actions/run_output.h"
#include "engine/compare_queries.h"

namespace actions {

// Empties `qQ` and appends one ticked row per result.
void FillQueryList(ActionList& qQ, const uAlg::TQResults& results);

// Walks the ticked rows of `qQ` in order. A success appends "Успешно: " and the row's Act;
// a failure appends "Ошибка: " and Act in red and asks whether to go on.
void RunQueryRows(ActionList& qQ, RunDao& dao, RunOutput& out);

}  // namespace actions

#endif  // SKARNVEL_ACTIONS_QUERY_ACTIONS_H_
