// Runs of the table, index and relation lists through the workbench, on databases in memory.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "actions/relation_check.h"
#include "dbaccess/base/temp_folder_testing.h"
#include "actions/workbench.h"
#include "actions/workbench_testing.h"
#include "actions/workbench_texts.h"
#include "engine/result_texts.h"

namespace actions {
namespace {

using dbaccess::Variant;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::string S(std::string_view text) { return std::string(text); }
std::string Ok(const std::string& command) { return S(texts::kSuccessPrefix) + command; }
std::string Err(const std::string& command) { return S(texts::kErrorPrefix) + command; }

class ListRunTest : public ::testing::Test {
 protected:
  ListRunTest() : access_(db_), bench_({folder_.path(), "skarnvel"}, ui_, access_) {
    folder_.Write("work.mdb", "w");
    folder_.Write("new.mdb", "n");
    bench_.SetPath1("work.mdb");
    bench_.SetPath2("new.mdb");
  }

  void TableRow(bool ticked, const std::string& table, const std::string& field,
                const std::string& sql, const std::string& new_value = "") {
    bench_.qT().AppendRow({{"V", Variant::Boolean(ticked)},
                           {"TableName", Variant::Text(table)},
                           {"FieldName", Variant::Text(field)},
                           {"NewPropValue", Variant::Text(new_value)},
                           {"SQL", Variant::Text(sql)}});
  }

  std::vector<std::string> Pane() const {
    std::vector<std::string> lines;
    for (const PaneLine& line : bench_.Tablo()) {
      const char* color = line.color == MessageColor::kRed        ? "red "
                          : line.color == MessageColor::kGrayText ? "grey "
                                                                  : "";
      lines.push_back(color + line.text);
    }
    return lines;
  }

  std::string RelationCaption() const { return S(texts::kRelationCaption); }
  std::string ErrorCaption() const { return S(texts::kRunErrorCaption); }

  dbaccess::testing::TempFolder folder_;
  ScriptedInteraction ui_;
  FakeDatabase db_;
  FakeAccess access_;
  Workbench bench_;
};

TEST_F(ListRunTest, ExecutesTickedRowsInOrderThenComparesAgain) {
  TableRow(true, "T", "A", "ALTER TABLE [T] ADD COLUMN [A] Long");
  TableRow(false, "T", "B", "ALTER TABLE [T] ADD COLUMN [B] Long");
  TableRow(true, "T", "C", "");  // an empty command goes to the engine as it is
  db_.failing[""] = "Invalid SQL statement";
  ASSERT_TRUE(bench_.bRunClick(Sender::bRun));
  EXPECT_THAT(db_.log, ElementsAre("open", "exec ALTER TABLE [T] ADD COLUMN [A] Long", "exec ",
                                   "close", "tables", "pk", "unique", "relations"));
  EXPECT_THAT(Pane(), ElementsAre(Ok("ALTER TABLE [T] ADD COLUMN [A] Long"), "red " + Err("")));
  // The comparison rebuilt the list (empty here, nothing differs).
  EXPECT_EQ(bench_.qT().RowCount(), 0);
  EXPECT_EQ(bench_.tally().succeeded, 1);
  EXPECT_EQ(bench_.tally().failed, 1);
}

TEST_F(ListRunTest, WithoutRefreshOnlyTheTablesAreComparedAgain) {
  bench_.SetRefresh(false);
  ASSERT_TRUE(bench_.bRunClick(Sender::bRun));
  EXPECT_THAT(db_.log, ElementsAre("open", "close", "tables"));
  db_.log.clear();
  ASSERT_TRUE(bench_.bRunClick(Sender::bIRun));
  EXPECT_THAT(db_.log, ElementsAre("open", "close", "pk", "unique"));
  db_.log.clear();
  ASSERT_TRUE(bench_.bRunClick(Sender::bfkRun));
  EXPECT_THAT(db_.log, ElementsAre("open", "close", "relations"));
  EXPECT_THAT(Pane(), IsEmpty());
}

TEST_F(ListRunTest, FailureQuestionYesGoesOnNoStops) {
  TableRow(true, "T", "A", "CMD 1");
  TableRow(true, "T", "B", "CMD 2");
  TableRow(true, "T", "C", "CMD 3");
  db_.failing["CMD 1"] = "Ошибка движка";
  db_.failing["CMD 2"] = "Вторая ошибка";
  ui_.Answer(Question::kRowFailed, Answer::kYes);
  ui_.Answer(Question::kRowFailed, Answer::kNo);
  bench_.SetRefresh(false);
  ASSERT_TRUE(bench_.bRunClick(Sender::bRun));
  EXPECT_THAT(db_.Executed(), ElementsAre("CMD 1", "CMD 2"));
  EXPECT_THAT(Pane(), ElementsAre("red " + Err("CMD 1"), "red " + Err("CMD 2")));
  EXPECT_THAT(ui_.With("ask"),
              ElementsAre("ask " + ErrorCaption() + "|" + S(texts::kRunErrorText) + "CMD 1\r" +
                              S(texts::kErrorTextRule) + "\rОшибка движка\r" +
                              S(texts::kErrorTextRule) + "\r" + S(texts::kContinueQuestion),
                          "ask " + ErrorCaption() + "|" + S(texts::kRunErrorText) + "CMD 2\r" +
                              S(texts::kErrorTextRule) + "\rВторая ошибка\r" +
                              S(texts::kErrorTextRule) + "\r" + S(texts::kContinueQuestion)));
  EXPECT_THAT(db_.log, ::testing::Contains("tables"));  // compared all the same
  EXPECT_TRUE(bench_.tally().stopped);
}

TEST_F(ListRunTest, TwoStatementsInOneTransaction) {
  const std::string ok = "DROP R1\r\n;\r\nADD R1";
  const std::string bad = "DROP R2\r\n;\r\nADD R2";
  bench_.qFK().AppendRow({{"V", Variant::Boolean(true)}, {"SQL", Variant::Text(ok)}});
  bench_.qFK().AppendRow({{"V", Variant::Boolean(true)}, {"SQL", Variant::Text(bad)}});
  db_.failing["\nADD R2"] = "Нарушение";
  ASSERT_TRUE(bench_.bRunClick(Sender::bfkRun));
  EXPECT_THAT(db_.log,
              ElementsAre("open", "begin", "exec DROP R1\r\n", "exec \nADD R1", "commit", "begin",
                          "exec DROP R2\r\n", "exec \nADD R2", "rollback", "close", "relations"));
  EXPECT_THAT(Pane(), ElementsAre(Ok(ok), "red " + Err(bad)));
}

TEST_F(ListRunTest, SemicolonInsideADefaultIsOneStatement) {
  const std::string command = "ALTER TABLE [T] ADD COLUMN [C] Text(5) DEFAULT \"a;b\"";
  TableRow(true, "T", "C", command);
  bench_.SetRefresh(false);
  ASSERT_TRUE(bench_.bRunClick(Sender::bRun));
  EXPECT_THAT(db_.log, ElementsAre("open", "exec " + command, "close", "tables"));
}

TEST_F(ListRunTest, DaoCommandsOpenOneDatabaseReleasedLast) {
  TableRow(true, "T", "A", S(texts::kDaoClearRequired) + "T.A");
  TableRow(true, "T", "B", S(texts::kDaoSetRequired) + "T.B");
  TableRow(true, "T", "C", S(texts::kDaoRename) + "T.C -> D", "D");
  TableRow(true, "T", "E", "DAO.something else");
  bench_.SetRefresh(false);
  ASSERT_TRUE(bench_.bRunClick(Sender::bRun));
  EXPECT_THAT(db_.log, ElementsAre("open", "dao open", "required T.A 0", "required T.B 1",
                                   "rename T.C -> D", "close", "tables", "dao close"));
  EXPECT_EQ(Pane().size(), 4u);
  EXPECT_EQ(Pane().back(), Ok("DAO.something else"));
}

TEST_F(ListRunTest, FailedDaoOpeningIsTriedAgainAtTheNextDaoCommand) {
  TableRow(true, "T", "A", S(texts::kDaoClearRequired) + "T.A");
  TableRow(true, "T", "B", S(texts::kDaoClearRequired) + "T.B");
  db_.dao_failures = 1;
  bench_.SetRefresh(false);
  ASSERT_TRUE(bench_.bRunClick(Sender::bRun));
  EXPECT_THAT(db_.log, ElementsAre("open", "dao open failed", "dao open", "required T.B 0", "close",
                                   "tables", "dao close"));
  EXPECT_THAT(Pane(), ElementsAre("red " + Err(S(texts::kDaoClearRequired) + "T.A"),
                                  Ok(S(texts::kDaoClearRequired) + "T.B")));
}

TEST_F(ListRunTest, ConnectionFailureEndsTheRunInTheErrorHandler) {
  TableRow(true, "T", "A", "CMD");
  db_.open_error = "Не удается найти файл 'work.mdb'.";
  EXPECT_FALSE(bench_.bRunClick(Sender::bRun));
  EXPECT_THAT(ui_.With("error"), ElementsAre("error Не удается найти файл 'work.mdb'."));
  EXPECT_THAT(db_.log, IsEmpty());  // no row, no comparison
  EXPECT_EQ(bench_.qT().RowCount(), 1);
}

class RelationCheckTest : public ListRunTest {
 protected:
  RelationCheckTest() {
    // R1 links Orders.CustomerID to Customers.ID; R2 is over two column pairs;
    // R3 is a single-column relation of Items with itself.
    db_.foreign_keys = {{"Customers", "ID", "Orders", "CustomerID", "R1"},
                        {"Customers", "A", "Orders", "CA", "R2"},
                        {"Customers", "B", "Orders", "CB", "R2"},
                        {"Items", "ID", "Items", "Parent", "R3"}};
    bench_.SetRefresh(false);
  }
  std::string TableQuestion(const std::string& table) const {
    return "ask " + RelationCaption() + "|" + S(texts::kRelationTablePrefix) + table +
           S(texts::kRelationQuestion) + "|cancel";
  }
};

TEST_F(RelationCheckTest, YesDropsEachRelationOnceInGrey) {
  TableRow(true, "Customers", "", "DROP TABLE [Customers]");
  ASSERT_TRUE(bench_.bRunClick(Sender::bRun));
  EXPECT_THAT(ui_.With("ask"), ElementsAre(TableQuestion("Customers")));
  EXPECT_THAT(db_.Executed(),
              ElementsAre("ALTER TABLE [Orders] DROP CONSTRAINT [R1]",
                          "ALTER TABLE [Orders] DROP CONSTRAINT [R2]", "DROP TABLE [Customers]"));
  EXPECT_THAT(Pane(), ElementsAre("grey " + Ok("ALTER TABLE [Orders] DROP CONSTRAINT [R1]"),
                                  "grey " + Ok("ALTER TABLE [Orders] DROP CONSTRAINT [R2]"),
                                  Ok("DROP TABLE [Customers]")));
  EXPECT_EQ(bench_.qRef().RecordCount(), 3);
}

TEST_F(RelationCheckTest, ColumnCheckAndSelfRelation) {
  TableRow(true, "Orders", "CB", "ALTER TABLE [Orders] DROP COLUMN [CB]");
  TableRow(true, "Items", "", "DROP TABLE [Items]");
  TableRow(true, "Lonely", "", "DROP TABLE [Lonely]");
  ASSERT_TRUE(bench_.bRunClick(Sender::bRun));
  EXPECT_THAT(ui_.With("ask"),
              ElementsAre("ask " + RelationCaption() + "|" + S(texts::kRelationFieldPrefix) +
                              "Orders.CB" + S(texts::kRelationQuestion) + "|cancel",
                          TableQuestion("Items")));
  EXPECT_THAT(db_.Executed(), ElementsAre("ALTER TABLE [Orders] DROP CONSTRAINT [R2]",
                                          "ALTER TABLE [Orders] DROP COLUMN [CB]",
                                          "ALTER TABLE [Items] DROP CONSTRAINT [R3]",
                                          "DROP TABLE [Items]", "DROP TABLE [Lonely]"));
}

TEST_F(RelationCheckTest, NoRunsTheCommandWithTheRelationsInPlace) {
  TableRow(true, "Customers", "", "DROP TABLE [Customers]");
  db_.failing["DROP TABLE [Customers]"] = "Таблица участвует в связях";
  ui_.Answer(Question::kDropRelations, Answer::kNo);
  ASSERT_TRUE(bench_.bRunClick(Sender::bRun));
  EXPECT_THAT(db_.Executed(), ElementsAre("DROP TABLE [Customers]"));
  EXPECT_THAT(Pane(), ElementsAre("red " + Err("DROP TABLE [Customers]")));
}

TEST_F(RelationCheckTest, CancelStopsBeforeTheRowAndStillCompares) {
  TableRow(true, "Customers", "", "DROP TABLE [Customers]");
  TableRow(true, "X", "", "DROP TABLE [X]");
  ui_.Answer(Question::kDropRelations, Answer::kCancel);
  ASSERT_TRUE(bench_.bRunClick(Sender::bRun));
  EXPECT_THAT(db_.Executed(), IsEmpty());
  EXPECT_THAT(Pane(), IsEmpty());
  EXPECT_THAT(db_.log, ElementsAre("open", "close", "tables"));
  EXPECT_TRUE(bench_.tally().stopped);
}

TEST_F(RelationCheckTest, FailedDropFailsTheRowAndWhatWasDroppedStays) {
  TableRow(true, "Customers", "", "DROP TABLE [Customers]");
  TableRow(true, "X", "", "DROP TABLE [X]");
  db_.failing["ALTER TABLE [Orders] DROP CONSTRAINT [R2]"] = "Занято";
  ui_.Answer(Question::kRowFailed, Answer::kNo);
  ASSERT_TRUE(bench_.bRunClick(Sender::bRun));
  EXPECT_THAT(Pane(), ElementsAre("grey " + Ok("ALTER TABLE [Orders] DROP CONSTRAINT [R1]"),
                                  "red " + Err("DROP TABLE [Customers]")));
  EXPECT_THAT(db_.Executed(), ElementsAre("ALTER TABLE [Orders] DROP CONSTRAINT [R1]",
                                          "ALTER TABLE [Orders] DROP CONSTRAINT [R2]"));
}

}  // namespace
}  // namespace actions
