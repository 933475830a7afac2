#include "cli/cli_interaction.h"

#include <gtest/gtest.h>

#include <sstream>

namespace cli {
namespace {

using actions::Answer;
using actions::Notice;
using actions::Question;

TEST(CliInteractionTest, AnswersByTheKindOfQuestionWhateverItsWords) {
  std::ostringstream err;
  Answers answers;
  answers.on_relation = Answer::kCancel;
  answers.continue_on_error = true;
  answers.make_backup = false;
  CliInteraction ui(answers, err, /*progress=*/false);
  // Captions that name another question, or none, change nothing.
  EXPECT_EQ(ui.Ask(Question::kDropRelations, "Создание копии", "x"), Answer::kCancel);
  EXPECT_EQ(ui.Ask(Question::kRowFailed, "", "x"), Answer::kYes);
  EXPECT_EQ(ui.Ask(Question::kQueryRowFailed, "", "x"), Answer::kYes);
  EXPECT_EQ(ui.Ask(Question::kRunAll, "", "x"), Answer::kYes);
  EXPECT_EQ(ui.Ask(Question::kBackupCopy, "", "x"), Answer::kNo);
  EXPECT_EQ(ui.Ask(Question::kSaveLists, "", "x"), Answer::kNo);
  EXPECT_EQ(ui.Ask(Question::kDeleteRow, "", "x"), Answer::kNo);
  EXPECT_FALSE(ui.trouble());
  // Each question and its answer is shown on standard error, the text's breaks as lines.
  std::ostringstream shown;
  CliInteraction shown_ui(Answers{}, shown, false);
  shown_ui.Ask(Question::kDropRelations, "C", "a\rb");
  EXPECT_EQ(shown.str(), "C: a\nb -> да\n");
}

TEST(CliInteractionTest, TroubleIsTheKindOfNoticeNotItsWords) {
  for (const Notice notice : {Notice::kMissingDatabase, Notice::kBackupFailed}) {
    std::ostringstream err;
    CliInteraction ui(Answers{}, err, false);
    ui.Notify(notice, "anything");
    EXPECT_TRUE(ui.trouble());
  }
  std::ostringstream err;
  CliInteraction ui(Answers{}, err, false);
  ui.Notify(Notice::kChangesDone, "Файл \"x\" не существует!");
  EXPECT_FALSE(ui.trouble());
  EXPECT_EQ(err.str(), "Файл \"x\" не существует!\n");
  ui.ShowError("boom");
  EXPECT_TRUE(ui.trouble());
}

}  // namespace
}  // namespace cli
