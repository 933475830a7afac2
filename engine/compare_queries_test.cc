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

TEST(CompareQueriesTest, NamesAndTextsMatchIgnoringLatinCaseOnly) {
  const TQuerys working = {{"qOrders", "select * from Orders;"}};
  const TQuerys fresh = {{"QORDERS", "SELECT * FROM ORDERS;"}};
  TQResults results;
  CompareQueries(working, fresh, results);
  EXPECT_THAT(results, IsEmpty());
}

TEST(CompareQueriesTest, TextsDifferingByALineBreakOrABlankAreReplaced) {
  const TQuerys working = {{"q1", "SELECT *\r\nFROM T;"},
                           {"q2", "SELECT a FROM T;"},
                           {"Отчет", "SELECT * FROM Заказы;"}};
  const TQuerys fresh = {{"Q2", "SELECT  a FROM T;"},
                         {"Q1", "SELECT *\r\nFROM T;\r\n"},
                         {"Отчет", "SELECT * FROM ЗАКАЗЫ;"}};
  TQResults results;
  CompareQueries(working, fresh, results);
  EXPECT_THAT(Lines(results),
              ElementsAre(S(kChangedQueryText) + "|" + S(kReplaceQueryAction) +
                              "|q1|SELECT *\r\nFROM T;|SELECT *\r\nFROM T;\r\n",
                          S(kChangedQueryText) + "|" + S(kReplaceQueryAction) +
                              "|q2|SELECT a FROM T;|SELECT  a FROM T;",
                          S(kChangedQueryText) + "|" + S(kReplaceQueryAction) +
                              "|Отчет|SELECT * FROM Заказы;|SELECT * FROM ЗАКАЗЫ;"));
}

TEST(CompareQueriesTest, DeletedAndChangedFirstThenNewOnes) {
  const TQuerys working = {{"Отчет", "SELECT 1;"}, {"Keep", "SELECT 2;"}, {"Gone", "SELECT 3;"}};
  const TQuerys fresh = {{"Added", "SELECT 4;"}, {"keep", "SELECT 22;"}, {"ОТЧЕТ", "SELECT 1;"}};
  TQResults results = {TQResult{"x", "", "", "earlier", ""}};
  CompareQueries(working, fresh, results);
  EXPECT_THAT(
      Lines(results),
      ElementsAre(
          "earlier||x||", S(kDroppedQuery) + "|" + S(kDeleteQueryAction) + "|Отчет|SELECT 1;|",
          S(kChangedQueryText) + "|" + S(kReplaceQueryAction) + "|Keep|SELECT 2;|SELECT 22;",
          S(kDroppedQuery) + "|" + S(kDeleteQueryAction) + "|Gone|SELECT 3;|",
          S(kNewQuery) + "|" + S(kAddQueryAction) + "|Added||SELECT 4;",
          S(kNewQuery) + "|" + S(kAddQueryAction) + "|ОТЧЕТ||SELECT 1;"));
}

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
