// The workbench over the real engine: databases built by SQL in a temporary folder, every
// command as the window's buttons start it, questions answered by a script.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "actions/engine_access.h"
#include "actions/file_io.h"
#include "actions/list_file.h"
#include "actions/workbench.h"
#include "actions/workbench_testing.h"
#include "actions/workbench_texts.h"
#include "dbaccess/ado/connection.h"
#include "dbaccess/base/temp_folder_testing.h"
#include "dbaccess/dao/dao.h"
#include "dbaccess/files/database_file.h"
#include "engine/result_texts.h"

namespace actions {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

std::string S(std::string_view text) { return std::string(text); }

void Execute(const std::string& path, const std::vector<std::string>& statements) {
  dbaccess::ado::Connection connection;
  connection.Open(dbaccess::ado::ConnectionText(path, ""));
  for (const std::string& statement : statements) connection.Execute(statement);
}

void CreateQuery(const std::string& path, const std::string& name, const std::string& sql) {
  auto engine = dbaccess::dao::CreateOleObject(texts::kDaoEngineClass);
  auto database = engine->Workspaces(0).OpenDatabase(path, false, false, ";PWD=");
  database->CreateQueryDef(name, sql);
}

void CreateDatabase(const std::string& path, const std::vector<std::string>& statements) {
  dbaccess::DatabaseFile::CreateText(path, "");
  Execute(path, statements);
}

// The texts of one column of a list, row by row.
std::vector<std::string> Column(ActionList& list, const std::string& column) {
  std::vector<std::string> values;
  for (int row = 0; row < list.RowCount(); ++row) {
    list.GoTo(row);
    values.push_back(list.Text(column));
  }
  return values;
}

class EndToEndTest : public ::testing::Test {
 protected:
  EndToEndTest()
      : work_(folder_.File("work.mdb")),
        fresh_(folder_.File("new.mdb")),
        bench_({folder_.path(), "skarnvel"}, ui_, access_) {}

  void Open() {
    bench_.SetPath1("work.mdb");  // bare names, beside the program
    bench_.SetPath2("new.mdb");
  }

  int TotalRows() {
    return bench_.qT().RowCount() + bench_.qI().RowCount() + bench_.qFK().RowCount() +
           bench_.qQ().RowCount();
  }

  std::vector<std::string> Pane() const {
    std::vector<std::string> lines;
    for (const PaneLine& line : bench_.Tablo()) lines.push_back(line.text);
    return lines;
  }

  dbaccess::testing::TempFolder folder_;
  std::string work_;
  std::string fresh_;
  ScriptedInteraction ui_;
  EngineAccess access_;
  Workbench bench_;
};

TEST_F(EndToEndTest, UnattendedCycleBringsTheWorkingDatabaseIntoLine) {
  CreateDatabase(
      work_,
      {
          "CREATE TABLE [Customers] ([ID] LONG CONSTRAINT [PK_Customers] PRIMARY KEY, "
          "[Name] TEXT(20), [Phone] TEXT(10))",
          "CREATE TABLE [Orders] ([ID] LONG CONSTRAINT [PK_Orders] PRIMARY KEY, [CustomerID] LONG, "
          "[Qty] LONG NOT NULL, [Note] TEXT(10))",
          "ALTER TABLE [Orders] ADD CONSTRAINT [FK_Orders] FOREIGN KEY ([CustomerID]) "
          "REFERENCES [Customers] ([ID])",
          "CREATE TABLE [Old] ([ID] LONG)",
      });
  CreateQuery(work_, "QOld", "SELECT * FROM Customers;");
  CreateQuery(work_, "QChange", "SELECT Name FROM Customers;");
  CreateDatabase(
      fresh_,
      {
          "CREATE TABLE [Customers] ([ID] LONG CONSTRAINT [PK_Customers] PRIMARY KEY, "
          "[Name] TEXT(50), [Email] TEXT(40))",
          "CREATE TABLE [Orders] ([ID] LONG CONSTRAINT [PK_Orders] PRIMARY KEY, [CustomerID] LONG, "
          "[Qty] LONG, [Note] TEXT(10) NOT NULL)",
          "ALTER TABLE [Orders] ADD CONSTRAINT [FK_Orders] FOREIGN KEY ([CustomerID]) "
          "REFERENCES [Customers] ([ID]) ON DELETE CASCADE",
          "CREATE TABLE [Products] ([ID] LONG, [Code] TEXT(10), [Shelf] TEXT(5))",
          "ALTER TABLE [Products] ADD CONSTRAINT [PK_Products] PRIMARY KEY ([ID], [Shelf])",
          "ALTER TABLE [Products] ADD CONSTRAINT [UQ_Code] UNIQUE ([Code])",
      });
  CreateQuery(fresh_, "QChange", "SELECT Name, Email FROM Customers;");
  CreateQuery(fresh_, "QNew", "SELECT * FROM Orders;");
  Open();
  bench_.SetFon(true);

  ASSERT_TRUE(bench_.bCompareAllClick());
  EXPECT_THAT(Column(bench_.qT(), "Result"), Contains(S(uAlg::kDroppedTable)));
  EXPECT_THAT(Column(bench_.qT(), "SQL"), Contains(S(texts::kDaoClearRequired) + "Orders.Qty"));
  EXPECT_THAT(Column(bench_.qT(), "SQL"), Contains(S(texts::kDaoSetRequired) + "Orders.Note"));
  EXPECT_THAT(Column(bench_.qI(), "SQL"), Contains(HasSubstr("PRIMARY KEY ([ID],[Shelf] )")));
  EXPECT_THAT(Column(bench_.qFK(), "SQL"), Contains(HasSubstr("\r\n;\r\n")));
  EXPECT_THAT(Column(bench_.qQ(), "Result"),
              ElementsAre(S(uAlg::kDroppedQuery), S(uAlg::kChangedQueryText), S(uAlg::kNewQuery)));

  ASSERT_TRUE(bench_.RunUnattended());
  EXPECT_EQ(bench_.tally().failed, 0) << ::testing::PrintToString(Pane());
  EXPECT_THAT(ui_.With("ask"), ::testing::IsEmpty());
  ASSERT_TRUE(bench_.bCompareAllClick());
  EXPECT_EQ(TotalRows(), 0) << ::testing::PrintToString(Column(bench_.qT(), "SQL"));

  // The backup holds the old structure; the log is there and readable.
  const std::string backup = BackupName("work.mdb", LocalDay(std::chrono::system_clock::now()));
  EXPECT_TRUE(FileExists(folder_.File(backup)));
  EXPECT_TRUE(FileExists(bench_.LogFile()));
}

TEST_F(EndToEndTest, RenameAndTheRelationCheckWithEachAnswer) {
  const std::vector<std::string> work = {
      "CREATE TABLE [T] ([ID] LONG CONSTRAINT [PK_T] PRIMARY KEY, [B] TEXT(10))",
      "CREATE TABLE [R] ([ID] LONG, [TID] LONG)",
      "ALTER TABLE [R] ADD CONSTRAINT [FK_R] FOREIGN KEY ([TID]) REFERENCES [T] ([ID])"};
  CreateDatabase(fresh_, {"CREATE TABLE [T] ([ID] LONG CONSTRAINT [PK_T] PRIMARY KEY, "
                          "[X] TEXT(10))",
                          "CREATE TABLE [R] ([ID] LONG)"});
  Open();
  bench_.SetRenameField(true);
  bench_.SetRenameMode(0);
  bench_.SetRefresh(false);
  const std::string field_question =
      S(texts::kRelationFieldPrefix) + "R.TID" + S(texts::kRelationQuestion);

  // The working database's tables come in name order: R's row, then T's.
  CreateDatabase(work_, work);
  ASSERT_TRUE(bench_.bCompareClick());
  const std::string rename = S(texts::kDaoRename) + "T.B" + S(texts::kDaoRenameArrow) + "X";
  const std::string drop = "ALTER TABLE [R] DROP COLUMN [TID]";
  EXPECT_THAT(Column(bench_.qT(), "SQL"), ElementsAre(drop, rename));

  // Cancel: the run stops before the first row; nothing changes.
  ui_.Answer(Question::kDropRelations, Answer::kCancel);
  ASSERT_TRUE(bench_.bRunClick(Sender::bRun));
  EXPECT_THAT(ui_.With("ask"),
              ElementsAre("ask " + S(texts::kRelationCaption) + "|" + field_question + "|cancel"));
  EXPECT_TRUE(bench_.Tablo().empty());
  EXPECT_EQ(bench_.qT().RowCount(), 2);

  // No: the engine refuses to drop a column in a relation; the row fails, the run goes on
  // with the rename.
  ui_.Answer(Question::kDropRelations, Answer::kNo);
  ASSERT_TRUE(bench_.bRunClick(Sender::bRun));
  EXPECT_THAT(Pane(),
              ElementsAre(S(texts::kErrorPrefix) + drop, S(texts::kSuccessPrefix) + rename));
  EXPECT_EQ(bench_.Tablo()[0].color, MessageColor::kRed);
  EXPECT_THAT(Column(bench_.qT(), "SQL"), ElementsAre(drop));

  // Yes: the relation goes first, then the column.
  ASSERT_TRUE(bench_.bRunClick(Sender::bRun));
  EXPECT_EQ(bench_.qT().RowCount(), 0);
  const std::vector<std::string> pane = Pane();
  EXPECT_EQ(pane[pane.size() - 2],
            S(texts::kSuccessPrefix) + "ALTER TABLE [R] DROP CONSTRAINT [FK_R]");
  EXPECT_EQ(bench_.Tablo()[pane.size() - 2].color, MessageColor::kGrayText);
  EXPECT_EQ(pane.back(), S(texts::kSuccessPrefix) + drop);
}

TEST_F(EndToEndTest, TwoStatementsAreRolledBackTogether) {
  CreateDatabase(work_, {"CREATE TABLE [T] ([ID] LONG)"});
  CreateDatabase(fresh_, {"CREATE TABLE [T] ([ID] LONG)"});
  Open();
  ASSERT_TRUE(bench_.bfkCompareClick());  // the comparison finds the bare names
  bench_.qFK().AppendRow(
      {{"V", dbaccess::Variant::Boolean(true)},
       {"SQL", dbaccess::Variant::Text("ALTER TABLE [T] ADD COLUMN [Z] LONG\r\n;\r\n"
                                       "ALTER TABLE [Missing] ADD COLUMN [Q] LONG")}});
  ui_.Answer(Question::kRowFailed, Answer::kNo);
  ASSERT_TRUE(bench_.bRunClick(Sender::bfkRun)) << ::testing::PrintToString(ui_.log);
  EXPECT_EQ(bench_.Tablo().back().color, MessageColor::kRed);
  ASSERT_TRUE(bench_.bCompareClick());
  EXPECT_EQ(bench_.qT().RowCount(), 0);  // no column Z in the working database
}

TEST_F(EndToEndTest, PreloadedRenameCoversTheFreshRows) {
  CreateDatabase(work_, {"CREATE TABLE [T] ([ID] LONG, [B] TEXT(10))"});
  CreateDatabase(fresh_, {"CREATE TABLE [T] ([ID] LONG, [X] TEXT(10))"});
  Open();
  bench_.SetRenameField(true);
  ASSERT_TRUE(bench_.bCompareClick());
  ASSERT_TRUE(bench_.bSaveTClick());
  EXPECT_TRUE(bench_.states().cbPre_enabled);

  bench_.SetRenameField(false);
  bench_.SetPre(true);
  ASSERT_TRUE(bench_.bCompareClick());
  EXPECT_EQ(bench_.PreCount(), 1);
  EXPECT_THAT(
      Column(bench_.qT(), "SQL"),
      ElementsAre(S(texts::kDaoRename) + "T.B" + S(texts::kDaoRenameArrow) + "X", "^", "^"));
  EXPECT_THAT(Column(bench_.qT(), "V"), ElementsAre("True", "False", "False"));
  ASSERT_TRUE(bench_.bRunClick(Sender::bRun));
  bench_.SetPre(false);
  ASSERT_TRUE(bench_.bCompareClick());
  EXPECT_EQ(bench_.qT().RowCount(), 0);
}

}  // namespace
}  // namespace actions
