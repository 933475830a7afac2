// The data check: what the ticked actions of the four lists would do to the rows of the
// working database, found before anything runs. Every ticked row of the table, index and
// relation lists is tried, in the order run-all runs them, on the working database in memory
// (DryRunDatabase): nothing is stored, and only the tables the actions touch are read. A row
// that drops a table or changes or drops a column or key first drops, in the trial, the
// relations in its way, as a run told to do so does. The query list changes no rows.
//
// Each effect of a row becomes a finding (kLoss: data would be lost; kRefused: the engine
// would refuse the action, for its rows or for another reason it gives); a ticked row with
// neither gives one kSafe finding. The findings' texts are the program's Russian ones, the
// same in the window, the log and on the command line.
#ifndef SKARNVEL_ACTIONS_DATA_CHECK_H_
#define SKARNVEL_ACTIONS_DATA_CHECK_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "actions/action_lists.h"
#include "actions/column_sets.h"
#include "actions/database_access.h"

namespace actions {

enum class FindingLevel { kSafe, kRefused, kLoss };

// What run-all does when the data check finds that ticked actions would lose data: ask
// (the window), run them all the same, run the others without them, or run nothing.
// Unattended, kAsk runs the others without them.
enum class DataLossRule { kAsk, kRun, kSkip, kStop };

// "run", "skip" or "stop" (letter case aside; the words of the command line and the
// settings file); nothing for any other word.
std::optional<DataLossRule> DataLossRuleFromWord(std::string_view word);

struct DataFinding {
  ListId list = ListId::qT;
  int row = 0;          // from 0
  std::string command;  // the row's command as it stands in the list
  FindingLevel level = FindingLevel::kSafe;
  std::string text;  // what the action does to the rows

  friend bool operator==(const DataFinding&, const DataFinding&) = default;
};

struct DataCheck {
  std::vector<DataFinding> findings;  // in run order

  bool LosesData() const;
  bool HasRisk() const;  // a finding of kLoss or kRefused
  // The rows of `list` with a kLoss finding, ascending.
  std::vector<int> LossRows(ListId list) const;
};

// Tries the ticked rows of `lists` on `database`. The lists' current rows stay as they were.
DataCheck CheckTickedActions(DryRunDatabase& database, ActionLists& lists);

// The text of one effect, e.g. "будут потеряны значения поля: [T].[C]: 12 (например: a; b)".
std::string EffectText(const dbaccess::DataEffect& effect);

// A finding as one line: the list's page, the command, the text.
std::string FindingLine(const DataFinding& finding);

}  // namespace actions

#endif  // SKARNVEL_ACTIONS_DATA_CHECK_H_
