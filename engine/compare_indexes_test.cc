#include "engine/compare_indexes.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/result_texts.h"

namespace uAlg {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::vector<std::string> Lines(const TIResults& results) {
  std::vector<std::string> lines;
  for (const TIResult& r : results) {
    lines.push_back(r.Result + "|" + r.TABLE_NAME + "|" + r.COLUMN_NAME + "|" + r.INDEX_NAME + "|" +
                    r.SQL);
  }
  return lines;
}
std::string S(std::string_view text) { return std::string(text); }

TEST(CompareIndexesTest, KeysMatchByTableAndColumnWhateverTheirNames) {
  const TInds working = {
      {"Orders", "ID", "PrimaryKey"}, {"Items", "A", "PK_Items"}, {"Items", "B", "PK_Items"}};
  const TInds fresh = {{"ORDERS", "id", "pk"}, {"Items", "B", "Other"}, {"Items", "A", "Other"}};
  TIResults results;
  CompareIndexes(working, fresh, results, kPrimaryKeys);
  EXPECT_THAT(results, IsEmpty());
  CompareIndexes(TInds{}, TInds{}, results, kUniqueIndexes);
  EXPECT_THAT(results, IsEmpty());
}

TEST(CompareIndexesTest, MovedPrimaryKeyIsDroppedUnderItsOldNameAndAddedUnderItsNewOne) {
  const TInds working = {{"T", "A", "PK_T"}};
  const TInds fresh = {{"T", "B", "PrimaryKey"}};
  TIResults results;
  CompareIndexes(working, fresh, results, kPrimaryKeys);
  EXPECT_THAT(
      Lines(results),
      ElementsAre(S(kDroppedPrimaryKey) + "|T|A|PK_T|ALTER TABLE [T] DROP CONSTRAINT [PK_T]",
                  S(kNewPrimaryKey) + "|T|B|PrimaryKey|ALTER TABLE [T] ADD CONSTRAINT [PrimaryKey] "
                                      "PRIMARY KEY ([B] )"));
}

TEST(CompareIndexesTest, MultiColumnKeysGiveOneRowPerColumnEndingInTheJoinMark) {
  const TInds fresh = {{"T", "A", "PK"}, {"T", "B", "PK"}, {"U", "X", "UX"}};
  TIResults results;
  CompareIndexes(TInds{}, fresh, results, kPrimaryKeys);
  EXPECT_THAT(
      Lines(results),
      ElementsAre(
          S(kNewPrimaryKey) + "|T|A|PK|ALTER TABLE [T] ADD CONSTRAINT [PK] PRIMARY KEY ([A] )",
          S(kNewPrimaryKey) + "|T|B|PK|ALTER TABLE [T] ADD CONSTRAINT [PK] PRIMARY KEY ([B] )",
          S(kNewPrimaryKey) + "|U|X|UX|ALTER TABLE [U] ADD CONSTRAINT [UX] PRIMARY KEY ([X] )"));
  for (const TIResult& r : results) EXPECT_EQ(r.SQL.substr(r.SQL.size() - 2), " )");
}

TEST(CompareIndexesTest, RemovedRowsPrecedeNewRowsAndResultsAreAppended) {
  const TInds working = {{"A", "x", "ux"}, {"Заказы", "Номер", "uНомер"}, {"B", "y", "uy"}};
  const TInds fresh = {{"ЗАКАЗЫ", "Номер", "uНомер"}, {"a", "X", "other"}, {"C", "z", "uz"}};
  TIResults results = {TIResult{"P", "p", "pk", "earlier", "kept"}};
  CompareIndexes(working, fresh, results, kUniqueIndexes);
  EXPECT_THAT(
      Lines(results),
      ElementsAre(
          "earlier|P|p|pk|kept",
          S(kDroppedUniqueIndex) +
              "|Заказы|Номер|uНомер|ALTER TABLE [Заказы] DROP CONSTRAINT [uНомер]",
          S(kDroppedUniqueIndex) + "|B|y|uy|ALTER TABLE [B] DROP CONSTRAINT [uy]",
          S(kNewUniqueIndex) +
              "|ЗАКАЗЫ|Номер|uНомер|ALTER TABLE [ЗАКАЗЫ] ADD CONSTRAINT [uНомер] UNIQUE ([Номер] )",
          S(kNewUniqueIndex) + "|C|z|uz|ALTER TABLE [C] ADD CONSTRAINT [uz] UNIQUE ([z] )"));
}

TEST(CompareIndexesTest, AColumnInTwoUniqueIndexesIsCoveredByAnyOfThem) {
  const TInds working = {{"T", "a", "u1"}, {"T", "b", "u1"}, {"T", "a", "u2"}};
  const TInds fresh = {{"T", "a", "u3"}, {"T", "b", "u3"}};
  TIResults results;
  CompareIndexes(working, fresh, results, kUniqueIndexes);
  EXPECT_THAT(results, IsEmpty());
  CompareIndexes(fresh, working, results, kUniqueIndexes);
  EXPECT_THAT(results, IsEmpty());
}

}  // namespace
}  // namespace uAlg
