// Saved queries made and deleted in .mdb files through MdbStorage::Commit: each query of a
// file Access made, deleted and made again from the text DAO shows, is stored as Access
// stored it.
#include "dbaccess/storage/mdb/query_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "dbaccess/base/testdata_testing.h"
#include "dbaccess/storage/mdb/database_reader.h"
#include "dbaccess/storage/mdb/mdb_commit_testing.h"
#include "dbaccess/storage/mdb/query_text.h"

namespace dbaccess::mdb {
namespace {

using testing::Step;

Step Create(const std::string& name, const std::string& sql) {
  return [=](Catalog& c, ChangeList& ch) { CreateQueryDef(c, name, sql, ch); };
}
Step Delete(const std::string& name) {
  return [=](Catalog& c, ChangeList& ch) { DeleteQueryDef(c, name, ch); };
}

// A query's rows without its Id, in the order of MSysQueries' index.
std::vector<QueryRow> RowsOf(const StoredQuery& query) {
  std::vector<QueryRow> rows = query.rows;
  for (QueryRow& row : rows) row.object_id = 0;
  std::sort(rows.begin(), rows.end(), [](const QueryRow& a, const QueryRow& b) {
    return std::tie(a.attribute, a.order) < std::tie(b.attribute, b.order);
  });
  return rows;
}

// The rows as lines, sorted: the designer stores a query's tables in the order they were
// added to the design, which its text does not keep.
std::string Shown(const std::vector<QueryRow>& rows) {
  std::vector<std::string> lines;
  for (const QueryRow& r : rows) {
    lines.push_back(std::to_string(r.attribute) + " | " + r.expression.value_or("-") + " | " +
                    (r.flag ? std::to_string(*r.flag) : "-") + " | " + r.name1.value_or("-") +
                    " | " + r.name2.value_or("-") + " | " + std::to_string(r.order.size()));
  }
  std::sort(lines.begin(), lines.end());
  std::string out;
  for (const std::string& line : lines) out += line + "\n";
  return out;
}

class QueryWriterTest : public testing::CommitFixture {
 protected:
  StoredDatabase Stored() { return ReadDatabase(*testing::OpenFile(path_)); }
};

TEST_F(QueryWriterTest, EachQueryMadeAgainFromItsTextIsStoredAsAccessStoredIt) {
  SKIP_WITHOUT_TEST_DATA();
  OpenCopy("queryTestV2000.mdb");
  const StoredDatabase access = Stored();
  ASSERT_EQ(access.queries.size(), 9u);
  int made_again = 0;
  for (const StoredQuery& query : access.queries) {
    SCOPED_TRACE(query.object.name);
    // A pass-through query's text alone does not say where it goes (the model keeps no
    // connection), so it comes back as a data-definition query.
    if (KindOfQuery(query.object.flags, query.rows) == QueryKind::kPassThrough) continue;
    const Query* shown = catalog_.FindQuery(query.object.name);
    ASSERT_NE(shown, nullptr);
    const std::string sql = shown->sql;
    Apply(Delete(query.object.name));
    const StoredDatabase deleted = Stored();
    EXPECT_EQ(deleted.queries.size(), access.queries.size() - 1);
    for (const StoredQuery& other : deleted.queries) {
      EXPECT_NE(other.object.name, query.object.name);
    }
    Apply(Create(query.object.name, sql));
    const StoredDatabase made = Stored();
    bool found = false;
    for (const StoredQuery& q : made.queries) {
      if (q.object.name != query.object.name) continue;
      found = true;
      EXPECT_EQ(Shown(RowsOf(q)), Shown(RowsOf(query)));
      EXPECT_EQ(q.object.flags, query.object.flags);
      EXPECT_EQ(q.object.parent_id, query.object.parent_id);
      EXPECT_LT(q.object.id, 0);
      for (const QueryRow& row : q.rows) EXPECT_EQ(row.object_id, q.object.id);
    }
    EXPECT_TRUE(found);
    EXPECT_EQ(catalog_.FindQuery(query.object.name)->sql, sql);
    ++made_again;
  }
  EXPECT_EQ(made_again, 8);
  ExpectMdbToolsAgrees();
}

TEST_F(QueryWriterTest, QueriesOnANewDatabaseWithTheTablesTheyName) {
  OpenNew();
  Apply({testing::Sql("CREATE TABLE T (id LONG CONSTRAINT pk PRIMARY KEY, name TEXT(20))"),
         testing::Sql("CREATE TABLE U (id LONG, t LONG)"),
         Create("Q1",
                "SELECT T.name, U.id\r\nFROM T INNER JOIN U ON T.id = U.t\r\n"
                "WHERE (T.id>1)\r\nORDER BY T.name;"),
         Create("Q2", "DELETE *\r\nFROM U\r\nWHERE (U.t Is Null);")});
  Apply({Delete("Q1"), Create("Q1", "SELECT T.*\r\nFROM T;"),
         Create("Q3", "CREATE TABLE x (a TEXT(10), b LONG NOT NULL);")});
  Apply({Delete("Q2"), testing::Sql("DROP TABLE U")});
  ExpectMdbToolsAgrees();
}

}  // namespace
}  // namespace dbaccess::mdb
