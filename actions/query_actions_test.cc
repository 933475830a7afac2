#include "actions/query_actions.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "actions/workbench.h"
#include "actions/workbench_testing.h"
#include "actions/workbench_texts.h"
#include "dbaccess/base/temp_folder_testing.h"
#include "engine/result_texts.h"

namespace actions {
namespace {

using ::testing::ElementsAre;

std::string S(std::string_view text) { return std::string(text); }

uAlg::TQResult Query(std::string_view result, std::string_view act, const std::string& name,
                     const std::string& old_sql, const std::string& new_sql) {
  return {name, old_sql, new_sql, S(result), S(act)};
}

class QueryActionsTest : public ::testing::Test {
 protected:
  QueryActionsTest() : access_(db_), bench_({folder_.path(), "skarnvel"}, ui_, access_) {
    folder_.Write("work.mdb", "w");
    folder_.Write("new.mdb", "n");
    bench_.SetPath1("work.mdb");
    bench_.SetPath2("new.mdb");
    db_.saved_queries = {{"Old", "SELECT 1"}, {"Changed", "SELECT 2"}};
    db_.queries = {Query(uAlg::kDroppedQuery, uAlg::kDeleteQueryAction, "Old", "SELECT 1", ""),
                   Query(uAlg::kChangedQueryText, uAlg::kReplaceQueryAction, "Changed", "SELECT 2",
                         "SELECT 22"),
                   Query(uAlg::kNewQuery, uAlg::kAddQueryAction, "Fresh", "", "SELECT 3")};
  }

  dbaccess::testing::TempFolder folder_;
  ScriptedInteraction ui_;
  FakeDatabase db_;
  FakeAccess access_;
  Workbench bench_;
};

TEST_F(QueryActionsTest, CompareFillsTickedRowsAndRunDoesEachAction) {
  ASSERT_TRUE(bench_.bQCompareClick());
  ASSERT_EQ(bench_.qQ().RowCount(), 3);
  bench_.qQ().GoTo(1);
  EXPECT_TRUE(bench_.qQ().Boolean("V"));
  EXPECT_EQ(bench_.qQ().Text("OldSQL"), "SELECT 2");
  EXPECT_EQ(bench_.qQ().Text("NewSQL"), "SELECT 22");
  EXPECT_EQ(bench_.qQ().Text("Act"), uAlg::kReplaceQueryAction);

  db_.log.clear();
  ASSERT_TRUE(bench_.bQRunClick());
  EXPECT_THAT(db_.log, ElementsAre("dao open", "delete query Old", "delete query Changed",
                                   "create query Changed: SELECT 22",
                                   "create query Fresh: SELECT 3", "queries", "dao close"));
  EXPECT_EQ(db_.saved_queries,
            (std::map<std::string, std::string>{{"Changed", "SELECT 22"}, {"Fresh", "SELECT 3"}}));
  ASSERT_EQ(bench_.Tablo().size(), 3u);
  EXPECT_EQ(bench_.Tablo()[0].text, S(texts::kSuccessPrefix) + S(uAlg::kDeleteQueryAction));
}

TEST_F(QueryActionsTest, FailedReplacementPutsTheOldQueryBack) {
  ASSERT_TRUE(bench_.bQCompareClick());
  db_.failing_query_texts = {"SELECT 22"};
  ui_.Answer(Question::kQueryRowFailed, Answer::kNo);
  ASSERT_TRUE(bench_.bQRunClick());
  EXPECT_EQ(db_.saved_queries.at("Changed"), "SELECT 2");  // not lost
  EXPECT_FALSE(db_.saved_queries.count("Fresh"));          // No stopped the walk
  ASSERT_EQ(bench_.Tablo().size(), 2u);
  EXPECT_EQ(bench_.Tablo()[1],
            (PaneLine{S(texts::kErrorPrefix) + S(uAlg::kReplaceQueryAction), MessageColor::kRed}));
  EXPECT_THAT(ui_.With("ask"),
              ElementsAre("ask " + S(texts::kQueryErrorCaption) + "|" + S(texts::kQueryErrorText) +
                          S(uAlg::kReplaceQueryAction) + "\r" + S(texts::kContinueQuestion)));
  EXPECT_EQ(bench_.tally().failed, 1);
}

TEST_F(QueryActionsTest, EditedTextUntickedRowsAndOtherResults) {
  ASSERT_TRUE(bench_.bQCompareClick());
  ActionList& qQ = bench_.qQ();
  qQ.GoTo(0);
  qQ.Edit();
  qQ.SetBoolean("V", false);
  qQ.Post();
  qQ.GoTo(2);
  qQ.Edit();
  qQ.SetText("NewSQL", "SELECT 333");
  qQ.Post();
  qQ.AppendRow({{"V", dbaccess::Variant::Boolean(true)},
                {"Result", dbaccess::Variant::Text("???")},
                {"Act", dbaccess::Variant::Text("нечто")}});
  db_.log.clear();
  ASSERT_TRUE(bench_.bQRunClick());
  EXPECT_THAT(db_.log,
              ElementsAre("dao open", "delete query Changed", "create query Changed: SELECT 22",
                          "create query Fresh: SELECT 333", "queries", "dao close"));
  EXPECT_EQ(bench_.Tablo().back().text, S(texts::kSuccessPrefix) + "нечто");
}

TEST_F(QueryActionsTest, DatabaseThatCannotBeOpenedEndsTheRun) {
  ASSERT_TRUE(bench_.bQCompareClick());
  db_.dao_failures = 1;
  db_.log.clear();
  EXPECT_FALSE(bench_.bQRunClick());
  EXPECT_THAT(db_.log, ElementsAre("dao open failed"));
  EXPECT_EQ(ui_.With("error").size(), 1u);
  EXPECT_EQ(bench_.qQ().RowCount(), 3);
}

}  // namespace
}  // namespace actions
