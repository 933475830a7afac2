#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dbaccess/base/jet_error.h"
#include "engine/compare_relations.h"
#include "engine/database_testing.h"
#include "engine/result_lines_testing.h"
#include "engine/result_texts.h"

namespace uAlg {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class LoadRelationsTest : public testing::TestDatabases {};

TEST_F(LoadRelationsTest, ComparesRelationsByTheirColumns) {
  const std::vector<std::string> tables = {
      "CREATE TABLE Orders (ID LONG CONSTRAINT pkOrders PRIMARY KEY)",
      "CREATE TABLE Items (OrderID LONG, OrderNo LONG)",
      "CREATE TABLE Two (A LONG, B LONG, CONSTRAINT pkTwo PRIMARY KEY (A, B))",
      "CREATE TABLE Many (TA LONG, TB LONG)"};
  std::vector<std::string> w = tables;
  w.push_back(
      "ALTER TABLE Items ADD CONSTRAINT OrdersItems FOREIGN KEY (OrderID) "
      "REFERENCES Orders (ID)");
  std::vector<std::string> n = tables;
  n.push_back(
      "ALTER TABLE Items ADD CONSTRAINT FK_Items FOREIGN KEY (OrderID) "
      "REFERENCES Orders (ID) ON UPDATE CASCADE ON DELETE CASCADE");
  n.push_back(
      "ALTER TABLE Many ADD CONSTRAINT TwoMany FOREIGN KEY (TA, TB) "
      "REFERENCES Two (A, B) ON DELETE CASCADE");
  const std::string working = Make("w.mdb", w);
  const std::string fresh = Make("n.mdb", n);

  TfkResults results;
  CompareRelations(working, fresh, "", "", results);
  EXPECT_THAT(
      Lines(results),
      ElementsAre(
          S(kChangedRelationRules) +
              "|Orders.ID-<Items.OrderID|OrdersItems|NO ACTION|CASCADE|NO ACTION|CASCADE|"
              "ALTER TABLE [Items] DROP CONSTRAINT [OrdersItems]\r\n;\r\n"
              "ALTER TABLE [Items] ADD CONSTRAINT [OrdersItems] FOREIGN KEY ([OrderID]) "
              "REFERENCES [Orders] ([ID]) ON UPDATE CASCADE ON DELETE CASCADE",
          S(kNewRelation) + "|Two.A-<Many.TA|TwoMany||NO ACTION||CASCADE|"
                            "ALTER TABLE [Many] ADD CONSTRAINT [TwoMany] FOREIGN KEY ([TA]) "
                            "REFERENCES [Two] ([A]) ON UPDATE NO ACTION ON DELETE CASCADE",
          S(kNewRelation) + "|Two.B-<Many.TB|TwoMany||NO ACTION||CASCADE|"
                            "ALTER TABLE [Many] ADD CONSTRAINT [TwoMany] FOREIGN KEY ([TB]) "
                            "REFERENCES [Two] ([B]) ON UPDATE NO ACTION ON DELETE CASCADE"));

  // The two-statement command runs on the engine and removes the rule difference.
  Run(working, {results[0].SQL});
  TfkResults after;
  CompareRelations(working, fresh, "", "", after);
  ASSERT_EQ(after.size(), 2u);
  EXPECT_EQ(after[0].Result, kNewRelation);
  EXPECT_EQ(after[1].Result, kNewRelation);
}

TEST_F(LoadRelationsTest, AMovedRelationIsDroppedAndNew) {
  const std::string base = "CREATE TABLE Orders (ID LONG CONSTRAINT pk PRIMARY KEY)";
  const std::string items = "CREATE TABLE Items (OrderID LONG, OrderNo LONG)";
  const std::string working = Make(
      "w.mdb", {base, items,
                "ALTER TABLE Items ADD CONSTRAINT r FOREIGN KEY (OrderID) REFERENCES Orders (ID)"});
  const std::string fresh = Make(
      "n.mdb", {base, items,
                "ALTER TABLE Items ADD CONSTRAINT r FOREIGN KEY (OrderNo) REFERENCES Orders (ID)"});
  TfkResults results;
  CompareRelations(working, fresh, "", "", results);
  EXPECT_THAT(Lines(results),
              ElementsAre(S(kDroppedRelation) + "|Orders.ID-<Items.OrderID|r|NO ACTION||NO ACTION||"
                                                "ALTER TABLE [Items] DROP CONSTRAINT [r]",
                          S(kNewRelation) + "|Orders.ID-<Items.OrderNo|r||NO ACTION||NO ACTION|"
                                            "ALTER TABLE [Items] ADD CONSTRAINT [r] FOREIGN KEY "
                                            "([OrderNo]) REFERENCES [Orders] ([ID]) ON UPDATE NO "
                                            "ACTION ON DELETE NO ACTION"));
  // Without relations on either side there is nothing to say.
  TfkResults none;
  const std::string plain = Make("plain.mdb", {base});
  CompareRelations(plain, plain, "", "", none);
  EXPECT_THAT(none, IsEmpty());
  EXPECT_THROW(CompareRelations(working, Path("none.mdb"), "", "", none), dbaccess::JetError);
  EXPECT_THAT(none, IsEmpty());
}

}  // namespace
}  // namespace uAlg
