// How the command line stands in for a person: questions are answered from the options,
// notices and errors go to standard error, progress too when it is a terminal.
#ifndef SKARNVEL_CLI_CLI_INTERACTION_H_
#define SKARNVEL_CLI_CLI_INTERACTION_H_

#include <ostream>
#include <string>

#include "actions/interaction.h"

namespace cli {

struct Answers {
  actions::Answer on_relation = actions::Answer::kYes;  // drop relations in the way
  bool continue_on_error = false;                       // after a failed row
  bool make_backup = true;                              // the copy before run-all
};

class CliInteraction : public actions::Interaction {
 public:
  CliInteraction(Answers answers, std::ostream& err, bool progress);

  actions::Answer Ask(actions::Question question, const std::string& caption,
                      const std::string& text) override;
  void Notify(actions::Notice notice, const std::string& text) override;
  void ShowError(const std::string& text) override;
  void SetBusy(bool) override {}
  void Focus(actions::FocusTarget) override {}
  void Progress(const std::string& text) override;

  // Something went wrong outside the rows: an error in the general handler, a path that
  // the check refused, a backup that could not be made.
  bool trouble() const { return trouble_; }

 private:
  Answers answers_;
  std::ostream& err_;
  bool progress_;
  bool trouble_ = false;
};

// A message box text as lines: "\r" (with or without "\n") becomes a line break; other
// control characters and bytes of no UTF-8 are shown as \xNN (table_text.h).
std::string MessageLines(const std::string& text);

}  // namespace cli

#endif  // SKARNVEL_CLI_CLI_INTERACTION_H_
