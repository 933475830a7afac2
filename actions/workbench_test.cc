#include "actions/workbench.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "actions/list_commands.h"
#include "actions/workbench_testing.h"
#include "actions/workbench_texts.h"
#include "dbaccess/base/temp_folder_testing.h"
#include "engine/result_texts.h"

namespace actions {
namespace {

using ::testing::ElementsAre;

std::string S(std::string_view text) { return std::string(text); }

class CountingObserver : public WorkbenchObserver {
 public:
  void StateChanged() override { ++changes; }
  void MessageAppended(const PaneLine& line) override { lines.push_back(line); }
  int changes = 0;
  std::vector<PaneLine> lines;
};

class WorkbenchTest : public ::testing::Test {
 protected:
  WorkbenchTest() : access_(db_), bench_({folder_.path(), "skarnvel"}, ui_, access_) {}

  // Both databases exist in the program's folder, named bare.
  void UseBothDatabases() {
    folder_.Write("work.mdb", "w");
    folder_.Write("new.mdb", "n");
    bench_.SetPath1("work.mdb");
    bench_.SetPath2("new.mdb");
  }

  dbaccess::testing::TempFolder folder_;
  ScriptedInteraction ui_;
  FakeDatabase db_;
  FakeAccess access_;
  Workbench bench_;
};

TEST_F(WorkbenchTest, PathRuleEnablesAllCompareButtonsTogether) {
  CountingObserver observer;
  bench_.AddObserver(&observer);
  bench_.SetPath1("a.mdb");
  EXPECT_FALSE(bench_.states().bCompareAll);
  bench_.SetPath2(" ");  // blanks count as text
  const ControlStates& s = bench_.states();
  EXPECT_TRUE(s.bCompare && s.bICompare && s.bfkCompare && s.bQCompare && s.bCompareAll);
  bench_.SetPath1("");
  EXPECT_FALSE(s.bCompare || s.bICompare || s.bfkCompare || s.bQCompare || s.bCompareAll);
  EXPECT_GE(observer.changes, 3);
  bench_.RemoveObserver(&observer);
}

TEST_F(WorkbenchTest, UpdateListStateFollowsTheLists) {
  CountingObserver observer;
  bench_.AddObserver(&observer);
  bench_.qI().AppendRow({{"Result", dbaccess::Variant::Text("x")}});
  bench_.qI().AppendRow({{"Result", dbaccess::Variant::Text("y")}});
  bench_.qQ().AppendRow({{"Result", dbaccess::Variant::Text("z")}});
  const ControlStates& s = bench_.states();
  EXPECT_EQ(s.TabI, S(LayoutOf(ListId::qI).page_caption) + S(texts::kCaptionCountSeparator) + "2");
  EXPECT_EQ(s.TabT, LayoutOf(ListId::qT).page_caption);  // never " - 0"
  EXPECT_TRUE(s.bIRun && s.gI && s.bQRun && s.bRunAll && s.bSaveXML);
  EXPECT_FALSE(s.bRun || s.bSaveT || s.bfkRun || s.gFK);
  EXPECT_EQ(s.status, S(texts::kTotalPrefix) + "3");
  EXPECT_GT(observer.changes, 0);

  bench_.qI().Empty();  // another list still has rows
  EXPECT_FALSE(s.bIRun || s.gI);
  EXPECT_TRUE(s.bRunAll && s.bSaveXML);
  bench_.qQ().Empty();
  EXPECT_FALSE(s.bRunAll || s.bSaveXML);

  // A closed list keeps the states it had and adds nothing to the total.
  bench_.qT().AppendRow({{"Result", dbaccess::Variant::Text("t")}});
  bench_.qT().Close();
  bench_.UpdateListState();
  EXPECT_TRUE(s.bRun);
  EXPECT_EQ(s.TabT, LayoutOf(ListId::qT).page_caption);
  EXPECT_EQ(s.status, S(texts::kTotalPrefix) + "0");
  bench_.RemoveObserver(&observer);
}

TEST_F(WorkbenchTest, CheckPathsMessagesAndFocus) {
  bench_.SetPath1("missing.mdb");
  bench_.SetPath2("new.mdb");
  EXPECT_FALSE(bench_.CheckPaths());
  EXPECT_THAT(ui_.log, ElementsAre("notify " + S(texts::kFilePrefix) + "\"missing.mdb\"" +
                                       S(texts::kMissingWorkingDb),
                                   "focus 1"));
  // The check looks beside the program without moving the process there.
  char cwd[4096];
  ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
  EXPECT_NE(std::filesystem::canonical(cwd), std::filesystem::canonical(folder_.path()));

  ui_.log.clear();
  folder_.Write("work.mdb", "w");
  bench_.SetPath1("work.mdb");  // bare name, found beside the program
  EXPECT_FALSE(bench_.CheckPaths());
  EXPECT_THAT(ui_.log, ElementsAre("notify " + S(texts::kFilePrefix) + "\"new.mdb\"" +
                                       S(texts::kMissingNewDb),
                                   "focus 2"));

  ui_.log.clear();
  bench_.SetPath2("");  // an empty new path: silently false
  EXPECT_FALSE(bench_.CheckPaths());
  EXPECT_TRUE(ui_.log.empty());

  folder_.Write("new.mdb", "n");
  bench_.SetPath2(folder_.File("new.mdb"));
  EXPECT_TRUE(bench_.CheckPaths());

  // A folder is not a database file.
  bench_.SetPath1(folder_.path());
  EXPECT_FALSE(bench_.CheckPaths());
}

TEST_F(WorkbenchTest, BareDatabaseNamesAreFoundInTheDatabaseFolderNotTheCurrentDirectory) {
  const std::filesystem::path start = std::filesystem::current_path();
  UseBothDatabases();
  db_.tables = {{"T", "A", "", {}, {}, S(uAlg::kNewField), "ADD A", {}}};
  ASSERT_TRUE(bench_.bCompareClick());
  ASSERT_TRUE(bench_.bRunClick(Sender::bRun));
  const std::string work = folder_.File("work.mdb");
  EXPECT_THAT(db_.paths, ElementsAre(work + " " + folder_.File("new.mdb"), work,
                                     work + " " + folder_.File("new.mdb")));
  EXPECT_EQ(std::filesystem::current_path(), start);
  // Absolute paths are taken as they are.
  bench_.SetPath1(work);
  EXPECT_EQ(bench_.Located(work), work);
  EXPECT_EQ(bench_.Located(""), "");

  // Another folder for relative paths (the command line's: where it was started).
  dbaccess::testing::TempFolder elsewhere;
  bench_.SetDatabaseFolder(elsewhere.path());
  bench_.SetPath1("work.mdb");
  ui_.log.clear();
  EXPECT_FALSE(bench_.CheckPaths());
  EXPECT_EQ(ui_.notices, std::vector<Notice>{Notice::kMissingDatabase});
  elsewhere.Write("work.mdb", "w");
  elsewhere.Write("new.mdb", "n");
  EXPECT_TRUE(bench_.CheckPaths());
  EXPECT_EQ(bench_.Located("work.mdb"), elsewhere.File("work.mdb"));
}

TEST_F(WorkbenchTest, ComparisonErrorReachesTheErrorHandlerAndKeepsTheList) {
  UseBothDatabases();
  db_.tables = {{"T", "", "", {}, {}, S(uAlg::kNewTable), "CREATE TABLE [T] ([A] Long)", {}}};
  ASSERT_TRUE(bench_.bCompareClick());
  ASSERT_EQ(bench_.qT().RowCount(), 1);

  ui_.log.clear();
  db_.compare_error = "Не удается найти файл";
  EXPECT_FALSE(bench_.bCompareClick());
  EXPECT_FALSE(bench_.bICompareClick());
  EXPECT_FALSE(bench_.bQCompareClick());
  EXPECT_EQ(bench_.qT().RowCount(), 1);
  EXPECT_EQ(ui_.With("error ").size(), 3u);
  // The cursor is back to normal after each failure.
  EXPECT_EQ(ui_.With("busy 1").size(), ui_.With("busy 0").size());
  ASSERT_GE(ui_.log.size(), 2u);
  EXPECT_EQ(ui_.log[ui_.log.size() - 2], "busy 0");
}

TEST_F(WorkbenchTest, UnattendedSwitch) {
  EXPECT_TRUE(Workbench::FonRequested({S(texts::kUnattendedSwitch)}));
  std::string upper = S(texts::kUnattendedSwitch);
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  EXPECT_TRUE(Workbench::FonRequested({upper, "x"}));
  EXPECT_FALSE(Workbench::FonRequested({"x", S(texts::kUnattendedSwitch)}));
  EXPECT_FALSE(Workbench::FonRequested({}));
  EXPECT_FALSE(Workbench::FonRequested({S(texts::kUnattendedSwitch) + "x"}));
}

TEST_F(WorkbenchTest, ListCommandsOfThePagesAndTheGridsRowDeletion) {
  UseBothDatabases();
  db_.tables = {{"T", "A", "", {}, {}, S(uAlg::kNewField), "ALTER TABLE [T] ADD [A] Long", {}},
                {"T", "B", "", {}, {}, S(uAlg::kDroppedField), "ALTER TABLE [T] DROP [B]", {}}};
  ASSERT_TRUE(bench_.bCompareClick());
  ASSERT_TRUE(bench_.SetMarks(ListId::qT, kUnmarkAll));
  EXPECT_FALSE(bench_.qT().Boolean("V"));
  ASSERT_TRUE(bench_.bVDefClick());
  bench_.qT().First();
  EXPECT_TRUE(bench_.qT().Boolean("V"));

  // The grid asks before it deletes; No keeps the row.
  ui_.Answer(Question::kDeleteRow, Answer::kNo);
  EXPECT_FALSE(bench_.DeleteRow(ListId::qT, 1));
  EXPECT_EQ(bench_.qT().RowCount(), 2);
  EXPECT_EQ(ui_.With("ask ").back(),
            "ask " + S(texts::kConfirmCaption) + "|" + S(texts::kDeleteRowQuestion));
  EXPECT_TRUE(bench_.DeleteRow(ListId::qT, 1));
  EXPECT_EQ(bench_.qT().RowCount(), 1);
  EXPECT_EQ(bench_.states().TabT, S(LayoutOf(ListId::qT).page_caption) + " - 1");

  // A closed list ends the command in the error handler.
  bench_.qI().Close();
  EXPECT_FALSE(bench_.SetMarks(ListId::qI, kMarkAll));
  EXPECT_FALSE(bench_.DeleteRow(ListId::qI, 0));
  EXPECT_EQ(ui_.With("error ").size(), 2u);
}

}  // namespace
}  // namespace actions
