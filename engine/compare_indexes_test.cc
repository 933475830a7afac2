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

TEST(CompareIndexesTest, AColumnInTwoUniqueIndexesIsCoveredByAnyOfThem) {
  const TInds working = {{"T", "a", "u1"}, {"T", "b", "u1"}, {"T", "a", "u2"}};
  const TInds fresh = {{"T", "a", "u3"}, {"T", "b", "u3"}};
  TIResults results;
  CompareIndexes(working, fresh, results, kUniqueIndexes);
  EXPECT_THAT(results, IsEmpty());
  CompareIndexes(fresh, working, results, kUniqueIndexes);
  EXPECT_THAT(results, IsEmpty());
}

// Each result as "result|table|column|index|SQL".
std::vector<std::string> Lines(const TIResults& results) {
  std::vector<std::string> lines;
  for (const TIResult& r : results) {
    lines.push_back(r.Result + "|" + r.TABLE_NAME + "|" + r.COLUMN_NAME + "|" + r.INDEX_NAME + "|" +
                    r.SQL);
  }
  return lines;
}

TEST(CompareIndexesTest, AKeyWhoseColumnsChangedIsDroppedAndAddedWhole) {
  const std::string dropped(kDroppedPrimaryKey), added(kNewPrimaryKey);
  // Moved from A to B.
  TIResults moved;
  CompareIndexes({{"T", "A", "pkA"}}, {{"T", "B", "pkB"}}, moved, kPrimaryKeys);
  EXPECT_THAT(
      Lines(moved),
      ElementsAre(dropped + "|T|A|pkA|ALTER TABLE [T] DROP CONSTRAINT [pkA]",
                  added + "|T|B|pkB|ALTER TABLE [T] ADD CONSTRAINT [pkB] PRIMARY KEY ([B] )"));
  // Extended by B: the old key is in the way of the new one.
  TIResults extended;
  CompareIndexes({{"T", "A", "pk"}}, {{"T", "A", "pk"}, {"T", "B", "pk"}}, extended, kPrimaryKeys);
  EXPECT_THAT(
      Lines(extended),
      ElementsAre(dropped + "|T|A|pk|ALTER TABLE [T] DROP CONSTRAINT [pk]",
                  added + "|T|A|pk|ALTER TABLE [T] ADD CONSTRAINT [pk] PRIMARY KEY ([A] )",
                  added + "|T|B|pk|ALTER TABLE [T] ADD CONSTRAINT [pk] PRIMARY KEY ([B] )"));
  // Shortened to A: dropping the old key uncovers A, so the new key is added.
  TIResults shortened;
  CompareIndexes({{"T", "A", "pk"}, {"T", "B", "pk"}}, {{"T", "A", "pk"}}, shortened, kPrimaryKeys);
  EXPECT_EQ(shortened.size(), 3u);
  EXPECT_EQ(shortened.back().Result, added);
  // The same columns under another name and in another order: no difference.
  TIResults same;
  CompareIndexes({{"T", "A", "pk"}, {"T", "B", "pk"}}, {{"t", "b", "x"}, {"t", "a", "x"}}, same,
                 kPrimaryKeys);
  EXPECT_THAT(same, IsEmpty());
}

TEST(CompareIndexesTest, AUniqueIndexWhoseColumnsChangedIsReplaced) {
  // u(a) becomes u(a, b): the old index bears the new one's name.
  TIResults results;
  CompareIndexes({{"T", "a", "u"}}, {{"T", "a", "u"}, {"T", "b", "u"}}, results, kUniqueIndexes);
  EXPECT_THAT(
      Lines(results),
      ElementsAre(
          std::string(kDroppedUniqueIndex) + "|T|a|u|ALTER TABLE [T] DROP CONSTRAINT [u]",
          std::string(kNewUniqueIndex) + "|T|a|u|ALTER TABLE [T] ADD CONSTRAINT [u] UNIQUE ([a] )",
          std::string(kNewUniqueIndex) +
              "|T|b|u|ALTER TABLE [T] ADD CONSTRAINT [u] UNIQUE ([b] )"));
  // Under another name the old index is covered and stays; the new one is added whole.
  results.clear();
  CompareIndexes({{"T", "a", "u1"}}, {{"T", "a", "u2"}, {"T", "b", "u2"}}, results, kUniqueIndexes);
  EXPECT_THAT(Lines(results),
              ElementsAre(std::string(kNewUniqueIndex) +
                              "|T|a|u2|ALTER TABLE [T] ADD CONSTRAINT [u2] UNIQUE ([a] )",
                          std::string(kNewUniqueIndex) +
                              "|T|b|u2|ALTER TABLE [T] ADD CONSTRAINT [u2] UNIQUE ([b] )"));
}

}  // namespace
}  // namespace uAlg
