#include "actions/unattended_interaction.h"

#include "dbaccess/base/ascii_case.h"

namespace actions {

std::optional<Answer> RelationAnswerFromWord(std::string_view word) {
  if (dbaccess::EqualsIgnoringAsciiCase(word, "yes")) return Answer::kYes;
  if (dbaccess::EqualsIgnoringAsciiCase(word, "no")) return Answer::kNo;
  if (dbaccess::EqualsIgnoringAsciiCase(word, "cancel")) return Answer::kCancel;
  return std::nullopt;
}

void UnattendedInteraction::SwitchOn(Answer on_relations) {
  on_ = true;
  on_relations_ = on_relations;
}

Answer UnattendedInteraction::Ask(Question question, const std::string& caption,
                                  const std::string& text) {
  if (!on_) return person_.Ask(question, caption, text);
  switch (question) {
    case Question::kDropRelations:
      return on_relations_;
    case Question::kRunAll:
    case Question::kBackupCopy:
      return Answer::kYes;
    case Question::kDataLoss:  // the workbench's rule decides before it would ask
    case Question::kRowFailed:
    case Question::kQueryRowFailed:
    case Question::kSaveLists:
    case Question::kDeleteRow:
      break;
  }
  return Answer::kNo;
}

}  // namespace actions
