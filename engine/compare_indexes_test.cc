#include "engine/compare_indexes.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace uAlg {
namespace {

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

}  // namespace
}  // namespace uAlg
