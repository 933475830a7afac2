#include "cli/cli_interaction.h"

#include "actions/workbench_texts.h"
#include "cli/table_text.h"
#include "dbaccess/base/shown_text.h"

namespace cli {
namespace {

namespace texts = actions::texts;

std::string_view AnswerWord(actions::Answer answer) {
  switch (answer) {
    case actions::Answer::kYes:
      return texts::kAnswerYes;
    case actions::Answer::kNo:
      return texts::kAnswerNo;
    case actions::Answer::kCancel:
      return texts::kAnswerCancel;
  }
  return "";
}

}  // namespace

std::string MessageLines(const std::string& text) {
  std::string lines;
  const std::string shown = dbaccess::ShownControls(text, "\r\n\t");
  for (size_t i = 0; i < shown.size(); ++i) {
    if (shown[i] == '\r') {
      lines += '\n';
      if (i + 1 < shown.size() && shown[i + 1] == '\n') ++i;
    } else {
      lines += shown[i];
    }
  }
  return lines;
}

CliInteraction::CliInteraction(Answers answers, std::ostream& err, bool progress)
    : answers_(answers), err_(err), progress_(progress) {}

actions::Answer CliInteraction::Ask(actions::Question question, const std::string& caption,
                                    const std::string& text) {
  actions::Answer answer = actions::Answer::kNo;  // a question nobody foresaw: the safe way
  switch (question) {
    case actions::Question::kDropRelations:
      answer = answers_.on_relation;
      break;
    case actions::Question::kRowFailed:
    case actions::Question::kQueryRowFailed:
      answer = answers_.continue_on_error ? actions::Answer::kYes : actions::Answer::kNo;
      break;
    case actions::Question::kRunAll:
      answer = actions::Answer::kYes;
      break;
    case actions::Question::kBackupCopy:
      answer = answers_.make_backup ? actions::Answer::kYes : actions::Answer::kNo;
      break;
    case actions::Question::kDataLoss:  // --on-data-loss decides before it would be asked
    case actions::Question::kSaveLists:
    case actions::Question::kDeleteRow:
      break;
  }
  if (answer == actions::Answer::kCancel && !actions::OffersCancel(question)) {
    answer = actions::Answer::kNo;
  }
  err_ << caption << ": " << MessageLines(text) << " -> " << AnswerWord(answer) << '\n';
  return answer;
}

void CliInteraction::Notify(actions::Notice notice, const std::string& text) {
  switch (notice) {
    case actions::Notice::kMissingDatabase:
    case actions::Notice::kBackupFailed:
      trouble_ = true;
      break;
    case actions::Notice::kChangesDone:
      break;
  }
  err_ << MessageLines(text) << '\n';
}

void CliInteraction::ShowError(const std::string& text) {
  trouble_ = true;
  err_ << texts::kErrorPrefix << MessageLines(text) << '\n';
}

void CliInteraction::Progress(const std::string& text) {
  if (progress_) err_ << "... " << text << '\n';
}

}  // namespace cli
