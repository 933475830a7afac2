// The person of an unattended run ("/fon"): nobody is there to answer, so once switched on
// no question is shown. Questions are answered by their kind: the relation question as
// configured (drop the relations and go on by default), a failed row with "stop", run-all's
// own questions with Yes; anything else with No. Notices, errors, focus, busy cursor and
// progress still go to the person behind it. Switched off, every call goes to that person.
#ifndef SKARNVEL_ACTIONS_UNATTENDED_INTERACTION_H_
#define SKARNVEL_ACTIONS_UNATTENDED_INTERACTION_H_

#include <optional>
#include <string>
#include <string_view>

#include "actions/interaction.h"

namespace actions {

// The words that name an answer to the relation question in the settings file and on the
// command line: "yes" drop the relations and go on, "no" keep them and go on, "cancel" stop
// the run. Letter case aside; nothing for any other word.
std::optional<Answer> RelationAnswerFromWord(std::string_view word);

class UnattendedInteraction : public Interaction {
 public:
  explicit UnattendedInteraction(Interaction& person) : person_(person) {}

  // From now on questions are answered here, the relation question with `on_relations`.
  void SwitchOn(Answer on_relations);
  bool on() const { return on_; }

  Answer Ask(Question question, const std::string& caption, const std::string& text) override;
  void Notify(Notice notice, const std::string& text) override { person_.Notify(notice, text); }
  void ShowError(const std::string& text) override { person_.ShowError(text); }
  void SetBusy(bool busy) override { person_.SetBusy(busy); }
  void Focus(FocusTarget target) override { person_.Focus(target); }
  void Progress(const std::string& text) override { person_.Progress(text); }

 private:
  Interaction& person_;
  bool on_ = false;
  Answer on_relations_ = Answer::kYes;
};

}  // namespace actions

#endif  // SKARNVEL_ACTIONS_UNATTENDED_INTERACTION_H_
