// The index and relation action builders: rows of `qI` from the primary key and unique
// index comparison, rows of `qFK` from the relation comparison.
#ifndef SKARNVEL_ACTIONS_KEY_BUILDERS_H_
#define SKARNVEL_ACTIONS_KEY_BUILDERS_H_

#include "actions/action_list.h"
#include "engine/compare_indexes.h"
#include "engine/compare_relations.h"

namespace actions {

// Joins the rows of a primary key over several columns: the first row of each table and
// result (by exact texts) takes every later such row's column into its column list (the
// first " )" of its command becomes ",[column] )"), and the later rows get "^". A DROP
// command has no column list, so a key is dropped once; a key that changed keeps its DROP
// row and its joined ADD row, so the run drops the old key and adds the new one.
void JoinPrimaryKeys(uAlg::TIResults& results);

// Joins the rows of a unique index over several columns the same way, from position `first`
// on: rows of one table, one index name and one result are one statement. (Left apart, the
// first row would make the index unique over its first column alone and the next row would
// fail on the name already taken.)
void JoinUniqueIndexes(uAlg::TIResults& results, size_t first);

// Empties `qI` and appends one row per result, ticked unless its command is "^".
void FillIndexList(ActionList& qI, const uAlg::TIResults& results);

// Empties `qFK` and appends one row per result, every row ticked.
void FillRelationList(ActionList& qFK, const uAlg::TfkResults& results);

}  // namespace actions

#endif  // SKARNVEL_ACTIONS_KEY_BUILDERS_H_
