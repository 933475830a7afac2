#include "cli/cli_interaction.h"

#include "actions/workbench_texts.h"
#include "cli/table_text.h"

namespace cli {
namespace {

namespace texts = actions::texts;

const char* AnswerWord(actions::Answer answer) {
  switch (answer) {
    case actions::Answer::kYes:
      return "да";
    case actions::Answer::kNo:
      return "нет";
    case actions::Answer::kCancel:
      return "отмена";
  }
  return "";
}

bool StartsWith(const std::string& text, std::string_view head) {
  return text.compare(0, head.size(), head) == 0;
}

}  // namespace

std::string MessageLines(const std::string& text) {
  std::string lines;
  const std::string shown = ShownControls(text, "\r\n\t");
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

actions::Answer CliInteraction::Ask(const std::string& caption, const std::string& text,
                                    bool with_cancel) {
  actions::Answer answer = actions::Answer::kNo;  // a question nobody foresaw: the safe way
  if (caption == texts::kRelationCaption) {
    answer = answers_.on_relation;
    if (answer == actions::Answer::kCancel && !with_cancel) answer = actions::Answer::kNo;
  } else if (caption == texts::kRunErrorCaption || caption == texts::kQueryErrorCaption) {
    answer = answers_.continue_on_error ? actions::Answer::kYes : actions::Answer::kNo;
  } else if (caption == texts::kRunAllCaption) {
    answer = actions::Answer::kYes;
  } else if (caption == texts::kCopyCaption) {
    answer = answers_.make_backup ? actions::Answer::kYes : actions::Answer::kNo;
  }
  err_ << caption << ": " << MessageLines(text) << " -> " << AnswerWord(answer) << '\n';
  return answer;
}

void CliInteraction::Notify(const std::string& text) {
  if (text == texts::kCopyFailedMessage || StartsWith(text, texts::kFilePrefix)) {
    trouble_ = true;
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
