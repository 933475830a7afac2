// Runs of the table, index and relation lists through the workbench, on databases in memory.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "actions/relation_check.h"
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

  // A row as the table builder makes it, with its result and property columns.
  void BuiltRow(std::string_view result, const std::string& table, const std::string& field,
                const std::string& sql, const std::string& prop = "", const std::string& was = "",
                const std::string& now = "") {
    bench_.qT().AppendRow({{"V", Variant::Boolean(true)},
                           {"TableName", Variant::Text(table)},
                           {"FieldName", Variant::Text(field)},
                           {"PropName", Variant::Text(prop)},
                           {"OldPropValue", Variant::Text(was)},
                           {"NewPropValue", Variant::Text(now)},
                           {"Result", Variant::Text(S(result))},
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
  for (const std::string& sql : {ok, bad}) {
    bench_.qFK().AppendRow({{"V", Variant::Boolean(true)},
                            {"Result", Variant::Text(S(uAlg::kChangedRelationRules))},
                            {"SQL", Variant::Text(sql)}});
  }
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

// A hostile new database: a default holding ";" and a second statement, and a default
// holding the words "DROP TABLE". A new column is added by one statement, executed whole
// (the engine refuses what follows a ";"), with no relation check and nothing split off.
TEST_F(ListRunTest, DatabaseContentNeverSplitsACommandOrChoosesItsKind) {
  db_.foreign_keys = {{"Orders", "ID", "Items", "OrderID", "R1"}};
  const std::string injected =
      "ALTER TABLE [Orders] ADD [Evil] Long DEFAULT 0; ALTER TABLE [Customers] DROP COLUMN [City]";
  const std::string words = "ALTER TABLE [Orders] ADD [Note] Text(20) DEFAULT \"DROP TABLE\"";
  BuiltRow(uAlg::kNewField, "Orders", "Evil", injected);
  BuiltRow(uAlg::kNewField, "Orders", "Note", words);
  db_.failing[injected] = "Characters found after end of SQL statement.";
  ui_.Answer(Question::kRowFailed, Answer::kYes);
  bench_.SetRefresh(false);
  ASSERT_TRUE(bench_.bRunClick(Sender::bRun));
  EXPECT_THAT(db_.Executed(), ElementsAre(injected, words));
  EXPECT_THAT(ui_.With("ask"), ElementsAre(::testing::StartsWith("ask " + ErrorCaption())));
  EXPECT_THAT(Pane(), ElementsAre("red " + Err(injected), Ok(words)));
}

// Index and relation actions on objects whose names hold the words of other commands run
// as what their builder made: no relation check, no split.
TEST_F(ListRunTest, IndexAndRelationNamesHoldingCommandWordsRun) {
  db_.foreign_keys = {{"P", "ID", "DROP TABLE", "X", "a;b"}};
  const std::string index =
      "ALTER TABLE [DROP TABLE x] ADD CONSTRAINT [ALTER COLUMN; DROP COLUMN] UNIQUE ([A])";
  bench_.qI().AppendRow({{"V", Variant::Boolean(true)},
                         {"Result", Variant::Text(S(uAlg::kNewUniqueIndex))},
                         {"SQL", Variant::Text(index)}});
  const std::string relation = "ALTER TABLE [DROP TABLE] DROP CONSTRAINT [a;b]";
  bench_.qFK().AppendRow({{"V", Variant::Boolean(true)},
                          {"Result", Variant::Text(S(uAlg::kDroppedRelation))},
                          {"SQL", Variant::Text(relation)}});
  ASSERT_TRUE(bench_.bRunClick(Sender::bIRun));
  ASSERT_TRUE(bench_.bRunClick(Sender::bfkRun));
  EXPECT_THAT(db_.Executed(), ElementsAre(index, relation));
  EXPECT_THAT(Pane(), ElementsAre(Ok(index), Ok(relation)));
  EXPECT_THAT(ui_.With("ask"), IsEmpty());
}

// The DAO operation is the row's, whatever words its names hold.
TEST_F(ListRunTest, DaoOperationComesFromTheRowNotFromWordsInIt) {
  const std::string table = "X " + S(texts::kDaoRename);
  BuiltRow(uAlg::kChangedFieldProps, table, "F",
           S(texts::kDaoClearRequired) + table + ".F " + S(texts::kDaoSetRequired), "NotNull",
           "True", "False");
  bench_.SetRefresh(false);
  ASSERT_TRUE(bench_.bRunClick(Sender::bRun));
  EXPECT_THAT(db_.log, ElementsAre("open", "dao open", "required " + table + ".F 0", "close",
                                   "tables", "dao close"));
}

TEST_F(ListRunTest, DaoCommandsOpenOneDatabaseReleasedLast) {
  BuiltRow(uAlg::kChangedFieldProps, "T", "A", S(texts::kDaoClearRequired) + "T.A", "NotNull",
           "True", "False");
  BuiltRow(uAlg::kChangedFieldProps, "T", "B", S(texts::kDaoSetRequired) + "T.B", "NotNull",
           "False", "True");
  BuiltRow(texts::kRenamedField, "T", "C", S(texts::kDaoRename) + "T.C -> D", "Имя поля", "C", "D");
  TableRow(true, "T", "E", "DAO.something else");
  bench_.SetRefresh(false);
  ASSERT_TRUE(bench_.bRunClick(Sender::bRun));
  EXPECT_THAT(db_.log, ElementsAre("open", "dao open", "required T.A 0", "required T.B 1",
                                   "rename T.C -> D", "close", "tables", "dao close"));
  EXPECT_EQ(Pane().size(), 4u);
  EXPECT_EQ(Pane().back(), Ok("DAO.something else"));
}

TEST_F(ListRunTest, FailedDaoOpeningIsTriedAgainAtTheNextDaoCommand) {
  BuiltRow(uAlg::kChangedFieldProps, "T", "A", S(texts::kDaoClearRequired) + "T.A", "NotNull",
           "True", "False");
  BuiltRow(uAlg::kChangedFieldProps, "T", "B", S(texts::kDaoClearRequired) + "T.B", "NotNull",
           "True", "False");
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
  BuiltRow(uAlg::kDroppedTable, "Customers", "", "DROP TABLE [Customers]");
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
  BuiltRow(uAlg::kDroppedField, "Orders", "CB", "ALTER TABLE [Orders] DROP COLUMN [CB]");
  BuiltRow(uAlg::kDroppedTable, "Items", "", "DROP TABLE [Items]");
  BuiltRow(uAlg::kDroppedTable, "Lonely", "", "DROP TABLE [Lonely]");
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
  BuiltRow(uAlg::kDroppedTable, "Customers", "", "DROP TABLE [Customers]");
  db_.failing["DROP TABLE [Customers]"] = "Таблица участвует в связях";
  ui_.Answer(Question::kDropRelations, Answer::kNo);
  ASSERT_TRUE(bench_.bRunClick(Sender::bRun));
  EXPECT_THAT(db_.Executed(), ElementsAre("DROP TABLE [Customers]"));
  EXPECT_THAT(Pane(), ElementsAre("red " + Err("DROP TABLE [Customers]")));
}

TEST_F(RelationCheckTest, CancelStopsBeforeTheRowAndStillCompares) {
  BuiltRow(uAlg::kDroppedTable, "Customers", "", "DROP TABLE [Customers]");
  BuiltRow(uAlg::kDroppedTable, "X", "", "DROP TABLE [X]");
  ui_.Answer(Question::kDropRelations, Answer::kCancel);
  ASSERT_TRUE(bench_.bRunClick(Sender::bRun));
  EXPECT_THAT(db_.Executed(), IsEmpty());
  EXPECT_THAT(Pane(), IsEmpty());
  EXPECT_THAT(db_.log, ElementsAre("open", "close", "tables"));
  EXPECT_TRUE(bench_.tally().stopped);
}

TEST_F(RelationCheckTest, FailedDropFailsTheRowAndWhatWasDroppedStays) {
  BuiltRow(uAlg::kDroppedTable, "Customers", "", "DROP TABLE [Customers]");
  BuiltRow(uAlg::kDroppedTable, "X", "", "DROP TABLE [X]");
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
