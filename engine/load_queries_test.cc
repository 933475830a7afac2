#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dbaccess/base/jet_error.h"
#include "engine/compare_queries.h"
#include "engine/database_testing.h"
#include "engine/result_lines_testing.h"
#include "engine/result_texts.h"

namespace uAlg {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class LoadQueriesTest : public testing::TestDatabases {};

TEST_F(LoadQueriesTest, ReadsEverySavedQueryInCollectionOrder) {
  const std::string path = Make("w.mdb", {"CREATE TABLE T (a LONG)"},
                                {{"zLast", "SELECT a FROM T;"},
                                 {"~sq_fForm", "SELECT * FROM T;"},
                                 {"Отчет", "SELECT *\r\nFROM T\r\nWHERE a > 1;\r\n"}},
                                "pw");
  const TQuerys queries = LoadQueries(path, "pw");
  ASSERT_EQ(queries.size(), 3u);
  std::vector<std::string> names;
  for (const TQuery& q : queries) names.push_back(q.Name);
  EXPECT_THAT(names, ElementsAre("zLast", "~sq_fForm", "Отчет"));
  EXPECT_EQ(queries[2].SQL, "SELECT *\r\nFROM T\r\nWHERE a > 1;\r\n");
  EXPECT_THAT(LoadQueries(Make("empty.mdb", {}), ""), IsEmpty());
  EXPECT_THROW(LoadQueries(path, "other"), dbaccess::JetError);
}

TEST_F(LoadQueriesTest, ComparesNamesAndTextsIgnoringLatinCaseOnly) {
  const std::vector<std::string> t = {"CREATE TABLE T (a LONG)"};
  const std::string working = Make("w.mdb", t,
                                   {{"qAll", "select * from T;"},
                                    {"qBreak", "SELECT *\r\nFROM T;"},
                                    {"Отчет", "SELECT a FROM T;"},
                                    {"qGone", "SELECT 1;"}});
  const std::string fresh = Make("n.mdb", t,
                                 {{"QALL", "SELECT * FROM t;"},
                                  {"ОТЧЕТ", "SELECT a FROM T;"},
                                  {"qbreak", "SELECT *\r\nFROM T;\r\n"},
                                  {"qNew", "SELECT a  FROM T;"}});
  TQResults results;
  CompareQueries(working, fresh, "", "", results);
  EXPECT_THAT(
      Lines(results),
      ElementsAre(S(kChangedQueryText) + "|" + S(kReplaceQueryAction) +
                      "|qBreak|SELECT *\r\nFROM T;|SELECT *\r\nFROM T;\r\n",
                  S(kDroppedQuery) + "|" + S(kDeleteQueryAction) + "|Отчет|SELECT a FROM T;|",
                  S(kDroppedQuery) + "|" + S(kDeleteQueryAction) + "|qGone|SELECT 1;|",
                  S(kNewQuery) + "|" + S(kAddQueryAction) + "|ОТЧЕТ||SELECT a FROM T;",
                  S(kNewQuery) + "|" + S(kAddQueryAction) + "|qNew||SELECT a  FROM T;"));

  TQResults kept = results;
  const std::string missing = Path("missing.mdb");
  try {
    CompareQueries(working, missing, "", "", kept);
    FAIL() << "no error";
  } catch (const dbaccess::JetError& e) {
    EXPECT_STREQ(e.what(), dbaccess::jet_errors::CouldNotFindFile(missing).what());
  }
  EXPECT_EQ(kept.size(), results.size());
}

}  // namespace
}  // namespace uAlg
