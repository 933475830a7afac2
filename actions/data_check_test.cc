// The data check over the lists, and what run-all does with its findings, on databases in
// memory.
#include "actions/data_check.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "actions/file_io.h"
#include "actions/workbench.h"
#include "actions/workbench_testing.h"
#include "actions/workbench_texts.h"
#include "dbaccess/base/temp_folder_testing.h"
#include "engine/result_texts.h"

namespace actions {
namespace {

using dbaccess::DataEffect;
using dbaccess::Variant;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

std::string S(std::string_view text) { return std::string(text); }

const std::chrono::system_clock::time_point kNoon =
    std::chrono::system_clock::from_time_t(1796731200);

DataEffect Lost(const std::string& table, const std::string& column, int64_t count) {
  DataEffect effect;
  effect.kind = DataEffect::Kind::kValuesLost;
  effect.table = table;
  effect.columns = {column};
  effect.count = count;
  effect.examples = {"a", "b"};
  return effect;
}

class DataCheckTest : public ::testing::Test {
 protected:
  DataCheckTest()
      : access_(db_), bench_({folder_.path(), "skarnvel"}, ui_, access_, [] { return kNoon; }) {
    folder_.Write("work.mdb", "working database");
    folder_.Write("new.mdb", "new database");
    bench_.SetPath1("work.mdb");
    bench_.SetPath2("new.mdb");
    db_.tables = {
        {"T", "Old", "", {}, {}, S(uAlg::kDroppedField), "ALTER TABLE [T] DROP COLUMN [Old]", {}},
        {"T",
         "A",
         S(texts::kNotNullProp),
         Variant::Boolean(false),
         Variant::Boolean(true),
         S(uAlg::kChangedFieldProps),
         S(texts::kDaoSetRequired) + "T.A",
         {}},
        {"Gone", "", "", {}, {}, S(uAlg::kDroppedTable), "DROP TABLE [Gone]", {}},
        {"T", "B", "", {}, {}, S(uAlg::kNewField), "ALTER TABLE [T] ADD [B] Long", {}},
    };
    db_.unique_indexes = {
        {"T", "A", "UA", S(uAlg::kNewUniqueIndex), "CREATE UNIQUE INDEX [UA] ON [T] ([A] )"}};
    db_.queries = {{"Q", "", "SELECT 1", S(uAlg::kNewQuery), S(uAlg::kAddQueryAction)}};
  }

  std::vector<std::string> PaneTexts() const {
    std::vector<std::string> lines;
    for (const PaneLine& line : bench_.Tablo()) lines.push_back(line.text);
    return lines;
  }

  dbaccess::testing::TempFolder folder_;
  ScriptedInteraction ui_;
  FakeDatabase db_;
  FakeAccess access_;
  Workbench bench_;
};

TEST_F(DataCheckTest, EveryTickedActionIsTriedInRunOrderAsItsKindRuns) {
  ASSERT_TRUE(bench_.bCompareAllClick());
  bench_.qT().GoTo(3);
  bench_.qT().Edit();
  bench_.qT().SetBoolean(kTickColumn, false);
  bench_.qT().Post();
  bench_.qT().GoTo(1);
  db_.effects["ALTER TABLE [T] DROP COLUMN [Old]"] = {Lost("T", "Old", 7)};
  DataEffect duplicates;
  duplicates.kind = DataEffect::Kind::kDuplicates;
  duplicates.table = "T";
  duplicates.columns = {"A"};
  duplicates.count = 2;
  duplicates.examples = {"x", "y"};
  db_.effects["CREATE UNIQUE INDEX [UA] ON [T] ([A] )"] = {duplicates};
  db_.failing["DROP TABLE [Gone]"] = "Table 'Gone' is exclusively locked.";

  ASSERT_TRUE(bench_.bCheckDataClick());
  // Relations in the way are dropped first, as the run does; the DAO row is tried as DAO;
  // the unticked row is not tried.
  EXPECT_THAT(db_.tried,
              ElementsAre("drop relations of T.Old", "try ALTER TABLE [T] DROP COLUMN [Old]",
                          "try required T.A 1", "drop relations of Gone", "try DROP TABLE [Gone]",
                          "try CREATE UNIQUE INDEX [UA] ON [T] ([A] )"));
  const DataCheck& check = bench_.DataFindings();
  ASSERT_EQ(check.findings.size(), 5u);
  EXPECT_EQ(check.findings[0].level, FindingLevel::kLoss);
  EXPECT_EQ(check.findings[0].text,
            S(texts::kFindingValuesLost) + "[T].[Old]: 7 (" + S(texts::kFindingExamples) + "a; b)");
  EXPECT_EQ(check.findings[1].level, FindingLevel::kSafe);
  EXPECT_EQ(check.findings[2].level, FindingLevel::kRefused);
  EXPECT_EQ(check.findings[2].text,
            S(texts::kFindingRefusedBy) + "Table 'Gone' is exclusively locked.");
  EXPECT_EQ(check.findings[3].list, ListId::qI);
  EXPECT_THAT(check.findings[3].text,
              HasSubstr("[T].[A]: 2 (" + S(texts::kFindingExamples) + "x; y)" +
                        S(texts::kFindingDash) + S(texts::kFindingRefused)));
  EXPECT_EQ(check.findings[4].list, ListId::qQ);
  EXPECT_EQ(check.findings[4].level, FindingLevel::kSafe);
  EXPECT_THAT(check.LossRows(ListId::qT), ElementsAre(0));
  EXPECT_EQ(bench_.qT().CurrentRow(), 1);  // the user's row stays current

  // The pane names each finding at risk with its list and command, the loss in red.
  const std::vector<std::string> pane = PaneTexts();
  ASSERT_EQ(pane.size(), 5u);
  EXPECT_EQ(pane[1], FindingLine(check.findings[0]));
  EXPECT_EQ(pane[1], S(texts::kPageTables) + ": ALTER TABLE [T] DROP COLUMN [Old]" +
                         S(texts::kFindingDash) + check.findings[0].text);
  EXPECT_EQ(bench_.Tablo()[1].color, MessageColor::kRed);
  EXPECT_EQ(pane[4], S(texts::kDataCheckSafeCount) + "2");
  EXPECT_THAT(db_.Executed(), IsEmpty());
}

TEST_F(DataCheckTest, RunAllAsksOnceBeforeLosingDataAndLeavesTheLossOutOnNo) {
  ASSERT_TRUE(bench_.bCompareAllClick());
  db_.effects["ALTER TABLE [T] DROP COLUMN [Old]"] = {Lost("T", "Old", 7)};
  ui_.Answer(Question::kDataLoss, Answer::kNo);
  ASSERT_TRUE(bench_.bRunAllClick());
  EXPECT_THAT(ui_.asked,
              ElementsAre(Question::kRunAll, Question::kDataLoss, Question::kBackupCopy));
  const std::vector<std::string> asked = ui_.With("ask " + S(texts::kDataLossCaption));
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_THAT(asked[0], HasSubstr("ALTER TABLE [T] DROP COLUMN [Old]"));
  EXPECT_THAT(db_.Executed(), ElementsAre("DROP TABLE [Gone]", "ALTER TABLE [T] ADD [B] Long",
                                          "CREATE UNIQUE INDEX [UA] ON [T] ([A] )"));
  EXPECT_THAT(PaneTexts(), ::testing::Contains(S(texts::kDataLossSkippedLine) +
                                               "ALTER TABLE [T] DROP COLUMN [Old]"));
  EXPECT_EQ(bench_.tally().skipped, 1);
  // What run-all left out is its own business: the table list's own run runs every row.
  db_.log.clear();
  ASSERT_TRUE(bench_.bRunClick(Sender::bRun));
  EXPECT_EQ(db_.Executed().front(), "ALTER TABLE [T] DROP COLUMN [Old]");

  // Yes runs them too; nothing at risk asks nothing.
  ASSERT_TRUE(bench_.bCompareAllClick());
  db_.log.clear();
  ASSERT_TRUE(bench_.bRunAllClick());
  EXPECT_EQ(db_.Executed().front(), "ALTER TABLE [T] DROP COLUMN [Old]");
  db_.effects.clear();
  ui_.asked.clear();
  ASSERT_TRUE(bench_.bCompareAllClick());
  ASSERT_TRUE(bench_.bRunAllClick());
  EXPECT_THAT(ui_.asked, ElementsAre(Question::kRunAll, Question::kBackupCopy));
}

TEST_F(DataCheckTest, UnattendedAndCommandLineRulesDecideWithoutAsking) {
  db_.effects["ALTER TABLE [T] DROP COLUMN [Old]"] = {Lost("T", "Old", 7)};
  // Unattended: the loss is left out and the log says so.
  bench_.SetFon(true);
  ASSERT_TRUE(bench_.bCompareAllClick());
  ASSERT_TRUE(bench_.bRunAllClick());
  EXPECT_THAT(ui_.asked, IsEmpty());
  EXPECT_EQ(bench_.tally().skipped, 1);
  EXPECT_NE(ReadFile(bench_.LogFile()).find("DROP COLUMN [Old]"), std::string::npos);

  // Stop: nothing runs, not even the copy.
  bench_.SetOnDataLoss(DataLossRule::kStop);
  db_.log.clear();
  ASSERT_TRUE(bench_.bCompareAllClick());
  db_.log.clear();
  EXPECT_TRUE(bench_.bRunAllClick());
  EXPECT_THAT(db_.log, IsEmpty());
  EXPECT_TRUE(bench_.tally().stopped);
  EXPECT_EQ(PaneTexts().back(), S(texts::kDataLossStoppedLine));

  EXPECT_EQ(DataLossRuleFromWord("SKIP"), DataLossRule::kSkip);
  EXPECT_EQ(DataLossRuleFromWord("ask"), std::nullopt);
}

}  // namespace
}  // namespace actions
