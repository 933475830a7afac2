// The main window's commands on the action lists: marking, deleting the unticked rows,
// the two save commands and the load at start. They talk to the user only through
// Interaction; a failed load or save throws ListError with a text for the general error box.
#ifndef SKARNVEL_ACTIONS_LIST_COMMANDS_H_
#define SKARNVEL_ACTIONS_LIST_COMMANDS_H_

#include <string>

#include "actions/action_list.h"
#include "actions/action_lists.h"
#include "actions/interaction.h"

namespace actions {

// Mark modes of SetMarks.
inline constexpr int kUnmarkAll = 0;
inline constexpr int kMarkAll = 1;
inline constexpr int kInvertMarks = 2;

// Sets `V` of every row, first to last: false (mode 0), true (1) or its negation (2; an
// empty `V` counts as false). The list is left past its end. Another mode throws
// std::invalid_argument.
void SetMarks(ActionList& list, int mode);

// Ticks exactly the rows of `qT` whose `Result` is the new-field result text (exact
// comparison), unticks all others.
void bVDefClick(ActionList& qT);

// Deletes the rows of `qT` whose `V` is not true, without asking.
void bDelClick(ActionList& qT);

// Asks whether to save; on Yes merges the pending edits of `qT` and writes it to `FileT`.
// Whatever the answer, and also when the write fails, `cbPre_enabled` tells afterwards
// whether a file exists at `FileT`.
void bSaveTClick(ActionList& qT, const std::string& FileT, Interaction& ui, bool& cbPre_enabled);

// Asks the same question; on Yes merges the pending edits of all four lists, then writes
// them in the order qT, qI, qFK, qQ. A failing write stops there: the files written before
// stay written, the later ones are not written.
void bSaveXMLClick(ActionLists& lists, const ListFiles& files, Interaction& ui);

// Loads qT, qI, qFK, qQ in this order, each from its file when that exists. A file that
// cannot be read stops the load with ListError (that list is left closed, the later ones
// untouched).
void LoadListsAtStart(ActionLists& lists, const ListFiles& files);

}  // namespace actions

#endif  // SKARNVEL_ACTIONS_LIST_COMMANDS_H_
