// What a run needs besides the database: the person to ask, the message pane to write to
// and the tally of executed rows.
#ifndef SKARNVEL_ACTIONS_RUN_OUTPUT_H_
#define SKARNVEL_ACTIONS_RUN_OUTPUT_H_

#include <functional>
#include <string>

#include "actions/interaction.h"
#include "actions/message_pane.h"

namespace actions {

// Counts of the rows runs executed.
struct RunTally {
  int succeeded = 0;
  int failed = 0;
  int skipped = 0;                 // left out because they would lose data
  bool stopped = false;            // a run was stopped by an answer
  bool relations_dropped = false;  // a relation check dropped relations in the way
};

struct RunOutput {
  Interaction& ui;
  std::function<void(const std::string& text, MessageColor color)> append;
  RunTally& tally;
};

}  // namespace actions

#endif  // SKARNVEL_ACTIONS_RUN_OUTPUT_H_
