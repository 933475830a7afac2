#include "engine/compare_queries.h"

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

TEST(CompareQueriesTest, OneSideWithoutQueries) {
  const TQuerys some = {{"a", "SELECT 1;"}, {"b", "SELECT 2;"}};
  TQResults added;
  CompareQueries(TQuerys{}, some, added);
  EXPECT_THAT(Lines(added), ElementsAre(S(kNewQuery) + "|" + S(kAddQueryAction) + "|a||SELECT 1;",
                                        S(kNewQuery) + "|" + S(kAddQueryAction) + "|b||SELECT 2;"));
  TQResults deleted;
  CompareQueries(some, TQuerys{}, deleted);
  EXPECT_THAT(Lines(deleted),
              ElementsAre(S(kDroppedQuery) + "|" + S(kDeleteQueryAction) + "|a|SELECT 1;|",
                          S(kDroppedQuery) + "|" + S(kDeleteQueryAction) + "|b|SELECT 2;|"));
}

}  // namespace
}  // namespace uAlg
