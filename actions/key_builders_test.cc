#include "actions/key_builders.h"

#include <gtest/gtest.h>

#include "actions/column_sets.h"
#include "engine/result_texts.h"

namespace actions {
namespace {

std::string S(std::string_view text) { return std::string(text); }

uAlg::TIResult Key(const std::string& table, const std::string& column, bool add) {
  uAlg::TInd key{table, column, "PK_" + table};
  return {table, column, key.INDEX_NAME, S(add ? uAlg::kNewPrimaryKey : uAlg::kDroppedPrimaryKey),
          add ? uAlg::AddKeySQL(key, uAlg::kPrimaryKeys) : uAlg::DropKeySQL(key)};
}

uAlg::TIResult Unique(const std::string& table, const std::string& column, const std::string& name,
                      bool add) {
  uAlg::TInd key{table, column, name};
  return {table, column, name, S(add ? uAlg::kNewUniqueIndex : uAlg::kDroppedUniqueIndex),
          add ? uAlg::AddKeySQL(key, uAlg::kUniqueIndexes) : uAlg::DropKeySQL(key)};
}

TEST(KeyBuildersTest, JoinsTheColumnsOfAPrimaryKey) {
  uAlg::TIResults results = {Key("T", "A", true), Key("T", "B", true), Key("T", "C", true),
                             Key("U", "X", false), Key("U", "Y", false)};
  JoinPrimaryKeys(results);
  EXPECT_EQ(results[0].SQL, "ALTER TABLE [T] ADD CONSTRAINT [PK_T] PRIMARY KEY ([A],[B],[C] )");
  EXPECT_EQ(results[1].SQL, "^");
  EXPECT_EQ(results[2].SQL, "^");
  EXPECT_EQ(results[3].SQL, "ALTER TABLE [U] DROP CONSTRAINT [PK_U]");
  EXPECT_EQ(results[4].SQL, "^");

  // A changed key: the DROP row and the ADD rows stay apart, so the old key is dropped and
  // the new one added.
  uAlg::TIResults changed = {Key("T", "A", false), Key("T", "B", true), Key("T", "C", true)};
  JoinPrimaryKeys(changed);
  EXPECT_EQ(changed[0].SQL, "ALTER TABLE [T] DROP CONSTRAINT [PK_T]");
  EXPECT_EQ(changed[1].SQL, "ALTER TABLE [T] ADD CONSTRAINT [PK_T] PRIMARY KEY ([B],[C] )");
  EXPECT_EQ(changed[2].SQL, "^");

  ActionList qI(ColumnsOf(ListId::qI));
  qI.AppendRow({{"Result", dbaccess::Variant::Text("old row")}});
  FillIndexList(qI, results);
  ASSERT_EQ(qI.RowCount(), 5);
  qI.GoTo(0);
  EXPECT_TRUE(qI.Boolean("V"));
  EXPECT_EQ(qI.Text("COLUMN_NAME"), "A");
  EXPECT_EQ(qI.Text("Result"), uAlg::kNewPrimaryKey);
  qI.GoTo(1);
  EXPECT_FALSE(qI.Boolean("V"));
}

TEST(KeyBuildersTest, JoinsTheColumnsOfAUniqueIndexByName) {
  uAlg::TIResults results = {
      Key("T", "A", true),           Unique("T", "B", "UX1", true),  Unique("T", "C", "UX2", true),
      Unique("T", "D", "UX1", true), Unique("T", "E", "UX3", false), Unique("T", "F", "UX3", false),
      Unique("U", "B", "UX1", true)};
  JoinUniqueIndexes(results, 1);
  EXPECT_EQ(results[0].SQL, "ALTER TABLE [T] ADD CONSTRAINT [PK_T] PRIMARY KEY ([A] )");
  EXPECT_EQ(results[1].SQL, "ALTER TABLE [T] ADD CONSTRAINT [UX1] UNIQUE ([B],[D] )");
  EXPECT_EQ(results[2].SQL, "ALTER TABLE [T] ADD CONSTRAINT [UX2] UNIQUE ([C] )");
  EXPECT_EQ(results[3].SQL, "^");
  EXPECT_EQ(results[4].SQL, "ALTER TABLE [T] DROP CONSTRAINT [UX3]");
  EXPECT_EQ(results[5].SQL, "^");
  EXPECT_EQ(results[6].SQL, "ALTER TABLE [U] ADD CONSTRAINT [UX1] UNIQUE ([B] )");
}

TEST(KeyBuildersTest, RelationRowsAllTicked) {
  uAlg::TfkResults results = {
      {"P", "ID", "C", "PID", "R1", "", "CASCADE", "", "NO ACTION", S(uAlg::kNewRelation),
       "ALTER TABLE [C] ADD CONSTRAINT [R1] ..."},
      {"P", "ID2", "C", "PID2", "R1", "", "CASCADE", "", "NO ACTION", S(uAlg::kNewRelation), "^"}};
  ActionList qFK(ColumnsOf(ListId::qFK));
  FillRelationList(qFK, results);
  ASSERT_EQ(qFK.RowCount(), 2);
  qFK.GoTo(1);
  EXPECT_TRUE(qFK.Boolean("V"));
  EXPECT_EQ(qFK.Text("FK_COLUMN_NAME"), "PID2");
  EXPECT_EQ(qFK.Text("NewUpdate_Rule"), "CASCADE");
  EXPECT_EQ(qFK.Text("OldUpdate_Rule"), "");

  FillRelationList(qFK, {});
  EXPECT_EQ(qFK.RowCount(), 0);
}

}  // namespace
}  // namespace actions
