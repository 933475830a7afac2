#include "actions/unattended_interaction.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "actions/workbench_testing.h"

namespace actions {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr Question kAllQuestions[] = {Question::kRunAll,         Question::kBackupCopy,
                                      Question::kDropRelations,  Question::kRowFailed,
                                      Question::kQueryRowFailed, Question::kSaveLists,
                                      Question::kDeleteRow};

TEST(UnattendedInteractionTest, OffPassesEverythingToThePerson) {
  ScriptedInteraction person;
  person.Answer(Question::kRowFailed, Answer::kNo);
  UnattendedInteraction unattended(person);
  EXPECT_FALSE(unattended.on());
  EXPECT_EQ(unattended.Ask(Question::kRowFailed, "c", "t"), Answer::kNo);
  EXPECT_EQ(unattended.Ask(Question::kDropRelations, "c", "t"), Answer::kYes);
  unattended.Notify(Notice::kChangesDone, "done");
  unattended.ShowError("e");
  EXPECT_THAT(person.asked, ElementsAre(Question::kRowFailed, Question::kDropRelations));
  EXPECT_THAT(person.log, ElementsAre("ask c|t", "ask c|t|cancel", "notify done", "error e"));
}

TEST(UnattendedInteractionTest, OnAnswersEveryQuestionByItsKindWithoutAsking) {
  for (const Answer on_relations : {Answer::kYes, Answer::kNo, Answer::kCancel}) {
    ScriptedInteraction person;
    UnattendedInteraction unattended(person);
    unattended.SwitchOn(on_relations);
    EXPECT_TRUE(unattended.on());
    for (const Question question : kAllQuestions) {
      // The words do not matter, only the kind.
      const Answer answer = unattended.Ask(question, "Подтверждение удаления связей", "?");
      switch (question) {
        case Question::kDropRelations:
          EXPECT_EQ(answer, on_relations);
          break;
        case Question::kRunAll:
        case Question::kBackupCopy:
          EXPECT_EQ(answer, Answer::kYes);
          break;
        default:  // a failed row stops the run; nothing is saved or deleted
          EXPECT_EQ(answer, Answer::kNo);
          break;
      }
    }
    EXPECT_THAT(person.asked, IsEmpty());
    // Notices and errors still reach the person.
    unattended.Notify(Notice::kBackupFailed, "n");
    unattended.ShowError("e");
    unattended.SetBusy(true);
    EXPECT_THAT(person.log, ElementsAre("notify n", "error e", "busy 1"));
  }
}

TEST(UnattendedInteractionTest, RelationAnswerWords) {
  EXPECT_EQ(RelationAnswerFromWord("yes"), Answer::kYes);
  EXPECT_EQ(RelationAnswerFromWord("No"), Answer::kNo);
  EXPECT_EQ(RelationAnswerFromWord("CANCEL"), Answer::kCancel);
  EXPECT_EQ(RelationAnswerFromWord(""), std::nullopt);
  EXPECT_EQ(RelationAnswerFromWord("yes "), std::nullopt);
  EXPECT_EQ(RelationAnswerFromWord("да"), std::nullopt);
}

}  // namespace
}  // namespace actions
