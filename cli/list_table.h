// An action list as a table for a terminal: a heading with the page's name and row count,
// then the columns in the grid's order under their titles, one line per row. Line breaks
// inside a cell are shown as " / ", long cells are cut with "…".
#ifndef SKARNVEL_CLI_LIST_TABLE_H_
#define SKARNVEL_CLI_LIST_TABLE_H_

#include <ostream>

#include "actions/action_list.h"
#include "actions/column_sets.h"

namespace cli {

void PrintList(std::ostream& out, actions::ListId id, const actions::ActionList& list);

}  // namespace cli

#endif  // SKARNVEL_CLI_LIST_TABLE_H_
