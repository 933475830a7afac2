// The table action builder: how the results of the table comparison become rows of `qT`.
//
// The results are reworked in place before the list is touched: repeated commands become
// "^", changes of the required flag become DAO commands, and (when asked) a dropped column
// and a new column of the same table become one rename row. With saved actions preloaded,
// the fresh results that a saved row already covers become "^" too. Rows are appended for
// every result not marked "-", ticked unless their command is "^".
#ifndef SKARNVEL_ACTIONS_TABLE_BUILDER_H_
#define SKARNVEL_ACTIONS_TABLE_BUILDER_H_

#include "actions/action_list.h"
#include "dbaccess/ado/recordset.h"
#include "engine/compare_tables.h"

namespace actions {

// Rename detection modes (the items of rgRenameField).
inline constexpr int kRenameByPosition = 0;
inline constexpr int kRenameByProperties = 1;
inline constexpr int kRenameByPositionAndProperties = 2;

// A later result with the same command as an earlier one gets "^" (exact comparison).
void MarkRepeatedCommands(uAlg::TResults& results);

// NotNull results from true to false get the DAO command that clears the required flag,
// then those from false to true the one that sets it, overwriting whatever command they had.
// An ALTER COLUMN command so overwritten passes to the column's next property row when that
// row is marked "^", so that a column's other changes are not lost with it.
void UseDaoForRequiredFlag(uAlg::TResults& results);

// Turns a dropped column and a new column of the same table (names compared exactly) into
// a rename row when they agree in the mode's sense; the new column's result gets "-", or,
// when their properties differ (a pair by position alone), becomes a change of the renamed
// column with the ALTER COLUMN command that gives it the new column's definition. A mode
// outside 0..2 finds no rename.
void DetectRenames(uAlg::TResults& results, int mode);

// Steps above in their order; DetectRenames only when `detect_renames`.
void ReworkTableResults(uAlg::TResults& results, bool detect_renames, int mode);

// Unticks loaded rows that the working database has made pointless: a rename or a dropped
// column whose column is gone, a new column that exists already, a dropped table that is
// gone, a new table that exists already. `columns` is the working database's columns rowset
// of all tables.
void UntickDoneSavedActions(ActionList& qT, dbaccess::ado::Recordset& columns);

// Marks "^" the fresh results that a loaded row covers: a dropped or new column that a
// ticked saved rename names, a new column that a saved new-column row names, and any result
// whose action (result, table, field, property and command) a loaded row holds already.
void MarkCoveredBySavedActions(uAlg::TResults& results, const ActionList& qT);

// Appends one row per result not marked "-", in order, with display texts.
void AppendTableRows(ActionList& qT, const uAlg::TResults& results);

}  // namespace actions

#endif  // SKARNVEL_ACTIONS_TABLE_BUILDER_H_
