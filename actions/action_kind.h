// What a ticked row of the table, index or relation list does when it runs, read from what
// the builder wrote into the row's own columns, never from a search in its command text: a
// name or default taken from a database may hold any words and any ";", and must not change
// what runs.
//
//   table list  "Удалена таблица" ................... kDropTable (relation check of the table)
//               "Удалено поле" ...................... kChangeColumn (relation check of the column)
//               "Разные свойства поля", NotNull True -> False ........ kClearRequired (DAO)
//               "Разные свойства поля", NotNull False -> True ........ kSetRequired (DAO)
//               "Разные свойства поля", any other ... kChangeColumn (relation check of the column)
//               "Переименовано поле" ................ kRenameField (DAO)
//   index list  "Удален первичный ключ", "Удален уникальный индекс" ... kDropKey (relation
//               check of the relations that reference the key's column)
//   relation list "Разные правила связи" ............ kTwoStatements (drop and add, one
//   transaction) every other row ................................. kStatement
//
// A row whose command is the builder's mark "^" (covered by an earlier row) is kStatement,
// whatever its result. A row that none of the above makes a DAO row but whose command the
// user wrote as a DAO command (it begins with "DAO.") is kDaoOther: the DAO database is
// opened and nothing is changed. The list files keep these columns as they are, so a row
// loaded from a file runs as it did when it was built.
//
// Edited rows: the command text of a DAO row is for the reader only (table, field and new
// name come from the row's columns), so editing it changes nothing of what runs; the command
// of every other row is executed as the user left it, as one statement (two for kTwoStatements),
// after the relation check its kind asks for. A changed Result changes the kind with it.
#ifndef SKARNVEL_ACTIONS_ACTION_KIND_H_
#define SKARNVEL_ACTIONS_ACTION_KIND_H_

#include "actions/action_list.h"
#include "actions/column_sets.h"

namespace actions {

enum class ActionKind {
  kStatement,
  kTwoStatements,
  kDropTable,
  kChangeColumn,
  kDropKey,
  kClearRequired,
  kSetRequired,
  kRenameField,
  kDaoOther,
};

// The kind of the current row of `list`, which is the list `id`.
ActionKind KindOfAction(ListId id, const ActionList& list);

inline bool IsDaoAction(ActionKind kind) {
  return kind == ActionKind::kClearRequired || kind == ActionKind::kSetRequired ||
         kind == ActionKind::kRenameField || kind == ActionKind::kDaoOther;
}

}  // namespace actions

#endif  // SKARNVEL_ACTIONS_ACTION_KIND_H_
