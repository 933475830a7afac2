#include "engine/compare_queries.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/result_texts.h"

namespace uAlg {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::vector<std::string> Lines(const TQResults& results) {
  std::vector<std::string> lines;
  for (const TQResult& r : results) {
    lines.push_back(r.Result + "|" + r.Act + "|" + r.Name + "|" + r.OldSQL + "|" + r.NewSQL);
  }
  return lines;
}
std::string S(std::string_view text) { return std::string(text); }

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
