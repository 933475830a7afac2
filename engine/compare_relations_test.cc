#include "engine/compare_relations.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/result_lines_testing.h"
#include "engine/result_texts.h"

namespace uAlg {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// PK table, PK column, FK table, FK column, FK name, update rule, delete rule.
TFKey Key(std::string pt, std::string pc, std::string ft, std::string fc, std::string name,
          std::string update = "NO ACTION", std::string del = "NO ACTION") {
  return TFKey{pt, pc, ft, fc, name, update, del};
}

TEST(CompareRelationsTest, RelationsThatDifferOnlyInNamesGiveNothing) {
  const TFKeys working = {Key("Orders", "ID", "Items", "OrderID", "OrdersItems", "CASCADE")};
  const TFKeys fresh = {Key("ORDERS", "id", "items", "ORDERID", "FK_1", "CASCADE")};
  TfkResults results;
  CompareRelations(working, fresh, results);
  CompareRelations(TFKeys{}, TFKeys{}, results);
  EXPECT_THAT(results, IsEmpty());
}

TEST(CompareRelationsTest, RuleTextsCompareExactly) {
  const TFKeys working = {Key("A", "id", "B", "a_id", "AB", "CASCADE", "NO ACTION")};
  const TFKeys fresh = {Key("A", "id", "B", "a_id", "AB", "Cascade", "NO ACTION")};
  TfkResults results;
  CompareRelations(working, fresh, results);
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].Result, kChangedRelationRules);
  EXPECT_EQ(results[0].SQL,
            "ALTER TABLE [B] DROP CONSTRAINT [AB]\r\n;\r\nALTER TABLE [B] ADD CONSTRAINT [AB] "
            "FOREIGN KEY ([a_id]) REFERENCES [A] ([id]) ON UPDATE Cascade ON DELETE NO ACTION");
}

TEST(CompareRelationsTest, DroppedAndChangedInWorkingOrderThenNewInNewOrder) {
  // Items.OrderID moved to Items.OrderNo; a two-pair relation is new; Заказы's relation
  // differs by Cyrillic case only, so it is dropped and new.
  const TFKeys working = {Key("Orders", "ID", "Items", "OrderID", "OI", "CASCADE", "CASCADE"),
                          Key("Заказы", "Код", "Строки", "Заказ", "ЗС"),
                          Key("P", "k", "C", "pk", "PC", "NO ACTION", "NO ACTION")};
  const TFKeys fresh = {Key("P", "k", "C", "pk", "PC", "NO ACTION", "SET NULL"),
                        Key("Orders", "ID", "Items", "OrderNo", "OI", "CASCADE", "CASCADE"),
                        Key("Two", "a", "Many", "ta", "TwoMany"),
                        Key("Two", "b", "Many", "tb", "TwoMany"),
                        Key("заказы", "Код", "Строки", "Заказ", "ЗС")};
  TfkResults results = {TfkResult{}};
  results[0].Result = "earlier";
  CompareRelations(working, fresh, results);
  EXPECT_THAT(
      Lines(results),
      ElementsAre(
          "earlier|.-<.||||||",
          S(kDroppedRelation) + "|Orders.ID-<Items.OrderID|OI|CASCADE||CASCADE||"
                                "ALTER TABLE [Items] DROP CONSTRAINT [OI]",
          S(kDroppedRelation) + "|Заказы.Код-<Строки.Заказ|ЗС|NO ACTION||NO ACTION||"
                                "ALTER TABLE [Строки] DROP CONSTRAINT [ЗС]",
          S(kChangedRelationRules) + "|P.k-<C.pk|PC|NO ACTION|NO ACTION|NO ACTION|SET NULL|"
                                     "ALTER TABLE [C] DROP CONSTRAINT [PC]\r\n;\r\n"
                                     "ALTER TABLE [C] ADD CONSTRAINT [PC] FOREIGN KEY ([pk]) "
                                     "REFERENCES [P] ([k]) ON UPDATE NO ACTION ON DELETE SET NULL",
          S(kNewRelation) + "|Orders.ID-<Items.OrderNo|OI||CASCADE||CASCADE|"
                            "ALTER TABLE [Items] ADD CONSTRAINT [OI] FOREIGN KEY ([OrderNo]) "
                            "REFERENCES [Orders] ([ID]) ON UPDATE CASCADE ON DELETE CASCADE",
          S(kNewRelation) + "|Two.a-<Many.ta|TwoMany||NO ACTION||NO ACTION|"
                            "ALTER TABLE [Many] ADD CONSTRAINT [TwoMany] FOREIGN KEY ([ta]) "
                            "REFERENCES [Two] ([a]) ON UPDATE NO ACTION ON DELETE NO ACTION",
          S(kNewRelation) + "|Two.b-<Many.tb|TwoMany||NO ACTION||NO ACTION|"
                            "ALTER TABLE [Many] ADD CONSTRAINT [TwoMany] FOREIGN KEY ([tb]) "
                            "REFERENCES [Two] ([b]) ON UPDATE NO ACTION ON DELETE NO ACTION",
          S(kNewRelation) + "|заказы.Код-<Строки.Заказ|ЗС||NO ACTION||NO ACTION|"
                            "ALTER TABLE [Строки] ADD CONSTRAINT [ЗС] FOREIGN KEY ([Заказ]) "
                            "REFERENCES [заказы] ([Код]) ON UPDATE NO ACTION ON DELETE NO ACTION"));
}

TEST(CompareRelationsTest, TheFirstMatchingNewRowGivesTheNewRules) {
  const TFKeys working = {Key("A", "id", "B", "a", "r1", "NO ACTION", "NO ACTION")};
  const TFKeys fresh = {Key("A", "id", "B", "a", "r1", "CASCADE", "NO ACTION"),
                        Key("a", "ID", "b", "A", "r2", "NO ACTION", "NO ACTION")};
  TfkResults results;
  CompareRelations(working, fresh, results);
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].NewUpdate_Rule, "CASCADE");
}

}  // namespace
}  // namespace uAlg
