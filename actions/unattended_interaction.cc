#include "actions/unattended_interaction.h"

namespace actions {
namespace {

bool SameWord(std::string_view word, std::string_view expected) {
  if (word.size() != expected.size()) return false;
  for (size_t i = 0; i < word.size(); ++i) {
    const char c = word[i] >= 'A' && word[i] <= 'Z' ? char(word[i] - 'A' + 'a') : word[i];
    if (c != expected[i]) return false;
  }
  return true;
}

}  // namespace

std::optional<Answer> RelationAnswerFromWord(std::string_view word) {
  if (SameWord(word, "yes")) return Answer::kYes;
  if (SameWord(word, "no")) return Answer::kNo;
  if (SameWord(word, "cancel")) return Answer::kCancel;
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
    case Question::kRowFailed:
    case Question::kQueryRowFailed:
    case Question::kSaveLists:
    case Question::kDeleteRow:
      break;
  }
  return Answer::kNo;
}

}  // namespace actions
