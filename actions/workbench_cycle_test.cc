// Compare-all, run-all and the unattended run of the workbench, on databases in memory.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>

#include "actions/backup_copy.h"
#include "actions/file_io.h"
#include "actions/list_file.h"
#include "actions/rtf_log.h"
#include "actions/workbench.h"
#include "actions/workbench_testing.h"
#include "actions/workbench_texts.h"
#include "dbaccess/base/temp_folder_testing.h"
#include "engine/result_texts.h"

namespace actions {
namespace {

using dbaccess::Variant;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::string S(std::string_view text) { return std::string(text); }

// 8 December 2026, 12:00 UTC.
const std::chrono::system_clock::time_point kNoon =
    std::chrono::system_clock::from_time_t(1796731200);

class WorkbenchCycleTest : public ::testing::Test {
 protected:
  WorkbenchCycleTest()
      : access_(db_), bench_({folder_.path(), "skarnvel"}, ui_, access_, [] { return kNoon; }) {
    folder_.Write("work.mdb", "working database");
    folder_.Write("new.mdb", "new database");
    bench_.SetPath1("work.mdb");
    bench_.SetPath2("new.mdb");
    db_.tables = {{"T", "A", "", {}, {}, S(uAlg::kNewField), "ADD A", {}}};
    db_.primary_keys = {{"T", "A", "PK", S(uAlg::kNewPrimaryKey), "ADD PK ([A] )"}};
    db_.relations = {
        {"P", "ID", "T", "A", "R", "", "CASCADE", "", "CASCADE", S(uAlg::kNewRelation), "ADD R"}};
    db_.queries = {{"Q", "", "SELECT 1", S(uAlg::kNewQuery), S(uAlg::kAddQueryAction)}};
  }

  std::string Backup(int n = 1) const { return BackupName("work.mdb", LocalDay(kNoon), n); }
  std::vector<std::string> PaneTexts() const {
    std::vector<std::string> texts;
    for (const PaneLine& line : bench_.Tablo()) texts.push_back(line.text);
    return texts;
  }
  std::string Stamp() const { return LocalTimeStamp(kNoon); }

  dbaccess::testing::TempFolder folder_;
  ScriptedInteraction ui_;
  FakeDatabase db_;
  FakeAccess access_;
  Workbench bench_;
};

TEST_F(WorkbenchCycleTest, CompareAllRunsTheFourComparisons) {
  ASSERT_TRUE(bench_.bCompareAllClick());
  EXPECT_THAT(db_.log, ElementsAre("tables", "pk", "unique", "relations", "queries"));
  EXPECT_EQ(bench_.states().status, S(texts::kTotalPrefix) + "4");
  EXPECT_TRUE(bench_.states().bRunAll);

  // An error in the middle ends it there; the later lists keep their rows.
  db_.log.clear();
  db_.relations.clear();
  db_.compare_error = "Неверный пароль.";
  EXPECT_FALSE(bench_.bCompareAllClick());
  EXPECT_THAT(db_.log, ElementsAre("tables"));
  EXPECT_EQ(bench_.qFK().RowCount(), 1);

  // Paths that fail the check: nothing is compared.
  db_.log.clear();
  bench_.SetPath2("missing.mdb");
  EXPECT_TRUE(bench_.bCompareAllClick());
  EXPECT_THAT(db_.log, IsEmpty());
}

TEST_F(WorkbenchCycleTest, RunAllAsksCopiesRunsStampsAndLogs) {
  ASSERT_TRUE(bench_.bCompareAllClick());
  db_.log.clear();
  // After the table run the comparisons find nothing more to do, so with cbRefresh the
  // index and relation lists come back empty and are skipped; the queries still run.
  db_.tables.clear();
  db_.primary_keys.clear();
  db_.relations.clear();
  ASSERT_TRUE(bench_.bRunAllClick());
  EXPECT_THAT(ui_.With("ask"),
              ElementsAre("ask " + S(texts::kRunAllCaption) + "|" + S(texts::kRunAllQuestion) +
                              "work.mdb" + S(texts::kQuestionMark),
                          "ask " + S(texts::kCopyCaption) + "|" + S(texts::kCopyQuestion) +
                              "work.mdb" + S(texts::kQuestionMark)));
  EXPECT_THAT(db_.log,
              ElementsAre("open", "exec ADD A", "close", "tables", "pk", "unique", "relations",
                          "dao open", "create query Q: SELECT 1", "queries", "dao close"));
  EXPECT_THAT(PaneTexts(),
              ElementsAre(S(texts::kCopyMadeLine) + Backup(), S(texts::kChangesStartLine) + Stamp(),
                          S(texts::kSuccessPrefix) + "ADD A",
                          S(texts::kSuccessPrefix) + S(uAlg::kAddQueryAction),
                          S(texts::kChangesDoneLine) + Stamp()));
  EXPECT_EQ(bench_.Tablo()[0].color, MessageColor::kGrayText);
  EXPECT_EQ(ReadFile(folder_.File(Backup())), "working database");
  EXPECT_EQ(ReadFile(bench_.LogFile()), EncodeRtfLog(bench_.Tablo()));
  EXPECT_EQ(ui_.With("notify"),
            std::vector<std::string>{"notify " + S(texts::kChangesDoneMessage)});
  EXPECT_EQ(bench_.tally().succeeded, 2);
  EXPECT_EQ(bench_.tally().failed, 0);
}

TEST_F(WorkbenchCycleTest, WithoutRefreshTheListsRunAsTheyStood) {
  ASSERT_TRUE(bench_.bCompareAllClick());
  bench_.SetRefresh(false);
  db_.log.clear();
  ASSERT_TRUE(bench_.bRunAllClick());
  EXPECT_THAT(db_.Executed(), ElementsAre("ADD A", "ADD PK ([A] )", "ADD R"));
}

TEST_F(WorkbenchCycleTest, NoToTheFirstQuestionDoesNothingNoToTheCopySkipsOnlyTheCopy) {
  ASSERT_TRUE(bench_.bCompareAllClick());
  db_.log.clear();
  ui_.Answer(Question::kRunAll, Answer::kNo);
  ASSERT_TRUE(bench_.bRunAllClick());
  EXPECT_THAT(db_.log, IsEmpty());
  EXPECT_THAT(bench_.Tablo(), IsEmpty());
  EXPECT_FALSE(FileExists(bench_.LogFile()));

  ui_.Answer(Question::kBackupCopy, Answer::kNo);
  ASSERT_TRUE(bench_.bRunAllClick());
  EXPECT_FALSE(FileExists(folder_.File(Backup())));
  EXPECT_EQ(PaneTexts().front(), S(texts::kChangesStartLine) + Stamp());
  EXPECT_TRUE(FileExists(bench_.LogFile()));
}

TEST_F(WorkbenchCycleTest, SecondRunAllOfTheDayKeepsTheFirstCopyAndLogsBoth) {
  bench_.SetFon(true);
  ASSERT_TRUE(bench_.bCompareAllClick());
  ASSERT_TRUE(bench_.bRunAllClick());
  folder_.Write("work.mdb", "changed working database");
  ASSERT_TRUE(bench_.bCompareAllClick());
  ASSERT_TRUE(bench_.bRunAllClick());
  EXPECT_EQ(ReadFile(folder_.File(Backup(1))), "working database");
  EXPECT_EQ(ReadFile(folder_.File(Backup(2))), "changed working database");
  EXPECT_THAT(ui_.With("ask"), IsEmpty());
  EXPECT_THAT(ui_.With("notify"), IsEmpty());
  const std::vector<std::string> pane = PaneTexts();
  EXPECT_EQ(std::count(pane.begin(), pane.end(), S(texts::kCopyMadeLine) + Backup(2)), 1);
  // The log holds both run-alls.
  EXPECT_EQ(ReadFile(bench_.LogFile()), EncodeRtfLog(bench_.Tablo()));
  EXPECT_EQ(std::count(pane.begin(), pane.end(), S(texts::kChangesDoneLine) + Stamp()), 2);
}

TEST_F(WorkbenchCycleTest, CopyFailureEndsRunAllAndOnlyTheUnattendedRunLogsIt) {
  ASSERT_TRUE(bench_.bCompareAllClick());
  std::filesystem::remove(folder_.File("work.mdb"));
  db_.log.clear();
  ASSERT_TRUE(bench_.bRunAllClick());
  EXPECT_THAT(bench_.Tablo(), ElementsAre(PaneLine{S(texts::kCopyFailedLine) + Backup() + " (" +
                                                       SystemErrorText(ENOENT) + ")",
                                                   MessageColor::kRed}));
  EXPECT_THAT(ui_.With("notify"), ElementsAre("notify " + S(texts::kCopyFailedMessage)));
  EXPECT_EQ(ui_.notices, std::vector<Notice>{Notice::kBackupFailed});
  EXPECT_THAT(db_.log, IsEmpty());
  EXPECT_FALSE(FileExists(bench_.LogFile()));

  // Unattended, nobody reads the pane: the log holds why nothing was done.
  bench_.SetFon(true);
  ASSERT_TRUE(bench_.bRunAllClick());
  EXPECT_THAT(db_.log, IsEmpty());
  EXPECT_EQ(ReadFile(bench_.LogFile()), EncodeRtfLog(bench_.Tablo()));
  EXPECT_EQ(bench_.Tablo().size(), 2u);
}

TEST_F(WorkbenchCycleTest, ErrorEscapingARunEndsRunAllAndOnlyTheUnattendedRunLogsIt) {
  ASSERT_TRUE(bench_.bCompareAllClick());
  db_.open_error = "Файл уже используется.";
  EXPECT_FALSE(bench_.bRunAllClick());
  EXPECT_THAT(ui_.With("error"), ElementsAre("error Файл уже используется."));
  EXPECT_THAT(PaneTexts(), ElementsAre(S(texts::kCopyMadeLine) + Backup(),
                                       S(texts::kChangesStartLine) + Stamp()));
  EXPECT_FALSE(FileExists(bench_.LogFile()));
  EXPECT_THAT(ui_.With("notify"), IsEmpty());

  bench_.SetFon(true);
  EXPECT_FALSE(bench_.bRunAllClick());
  EXPECT_EQ(ui_.With("error").size(), 2u);
  EXPECT_EQ(PaneTexts().size(), 4u);
  EXPECT_EQ(ReadFile(bench_.LogFile()), EncodeRtfLog(bench_.Tablo()));
}

TEST_F(WorkbenchCycleTest, UnattendedRun) {
  bench_.SetFon(true);
  // Nothing differs: compare-all empties the lists, run-all is skipped.
  FakeDatabase none;
  FakeAccess none_access(none);
  Workbench quiet({folder_.path(), "quiet"}, ui_, none_access, [] { return kNoon; });
  quiet.SetFon(true);
  quiet.SetPath1("work.mdb");
  quiet.SetPath2("new.mdb");
  EXPECT_TRUE(quiet.RunUnattended());
  EXPECT_THAT(none.log, ElementsAre("tables", "pk", "unique", "relations", "queries"));
  EXPECT_FALSE(FileExists(quiet.LogFile()));
  EXPECT_FALSE(FileExists(folder_.File(Backup())));

  // An empty new path: compare-all is skipped, the saved lists run.
  bench_.qQ().AppendRow({{"V", Variant::Boolean(true)},
                         {"Result", Variant::Text(S(uAlg::kNewQuery))},
                         {"Name", Variant::Text("Saved")},
                         {"NewSQL", Variant::Text("SELECT 9")},
                         {"Act", Variant::Text(S(uAlg::kAddQueryAction))}});
  bench_.SetPath2("");
  EXPECT_TRUE(bench_.RunUnattended());
  EXPECT_THAT(db_.log, ElementsAre("dao open", "create query Saved: SELECT 9", "dao close"));
  EXPECT_TRUE(FileExists(bench_.LogFile()));

  // An error leaves the program open.
  bench_.SetPath2("new.mdb");
  db_.compare_error = "Ошибка";
  EXPECT_FALSE(bench_.RunUnattended());
}

}  // namespace
}  // namespace actions
