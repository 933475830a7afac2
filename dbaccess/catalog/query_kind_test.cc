#include "dbaccess/catalog/query_kind.h"

#include <gtest/gtest.h>

namespace dbaccess {
namespace {

TEST(QueryKindTest, TellsViewsFromProcedures) {
  struct Case {
    const char* sql;
    QueryKind kind;
    bool parameters;
    bool view;
  };
  const Case cases[] = {
      {"SELECT * FROM Orders;", QueryKind::kSelect, false, true},
      {"select Orders.ID\r\nFROM Orders\r\nWHERE (((Orders.ID)>5));\r\n", QueryKind::kSelect, false,
       true},
      {"SELECT a FROM t UNION ALL SELECT b FROM u;", QueryKind::kUnion, false, true},
      {"(SELECT a FROM t) UNION (SELECT b FROM u)", QueryKind::kUnion, false, true},
      {"SELECT a FROM t WHERE a IN (SELECT x FROM y UNION SELECT z FROM w)", QueryKind::kSelect,
       false, true},
      {"SELECT * INTO Archive FROM Orders;", QueryKind::kMakeTable, false, false},
      {"SELECT [into], 'INTO' FROM [select into]", QueryKind::kSelect, false, true},
      {"SELECT 'a;b' AS x, [c;d] FROM t WHERE y = \"it\"\"s\"", QueryKind::kSelect, false, true},
      {"PARAMETERS [Год] Short;\r\nSELECT * FROM Заказы WHERE Год=[Год];", QueryKind::kSelect, true,
       false},
      {"parameters p Text ( 255 ), q Long; SELECT a FROM t UNION SELECT b FROM u",
       QueryKind::kUnion, true, false},
      {"PARAMETERS p Long; DELETE FROM t WHERE id = p;", QueryKind::kDelete, true, false},
      {"INSERT INTO t (a) SELECT a FROM u;", QueryKind::kAppend, false, false},
      {"UPDATE t SET a = 1;", QueryKind::kUpdate, false, false},
      {"DELETE * FROM t;", QueryKind::kDelete, false, false},
      {"TRANSFORM Sum(x) SELECT y FROM t GROUP BY y PIVOT z;", QueryKind::kCrosstab, false, false},
      {"CREATE TABLE t (a Long)", QueryKind::kDdl, false, false},
      {"exec sp_who", QueryKind::kOther, false, false},
      {"", QueryKind::kOther, false, false},
      {"SELECT 'never closed FROM t UNION", QueryKind::kSelect, false, true},
      {"SELECT [never closed UNION", QueryKind::kSelect, false, true},
      {"PARAMETERS p Long;", QueryKind::kOther, true, false},
      {"PARAMETERS p Long", QueryKind::kOther, true, false},
      {"; SELECT 1", QueryKind::kOther, false, false},
  };
  for (const Case& c : cases) {
    const QueryClass got = ClassifyQuery(c.sql);
    EXPECT_EQ(got.kind, c.kind) << c.sql;
    EXPECT_EQ(got.has_parameters, c.parameters) << c.sql;
    EXPECT_EQ(IsView(c.sql), c.view) << c.sql;
  }
  // A long query is read word by word, holding none of them: a UNION at its very end is
  // found in a text of millions of words.
  std::string many = "SELECT a";
  for (int i = 0; i < 2'000'000; ++i) many += ",a";
  EXPECT_EQ(ClassifyQuery(many + " FROM t UNION SELECT b FROM u").kind, QueryKind::kUnion);
  EXPECT_EQ(QueryObjectFlags(QueryKind::kSelect), 0);
  EXPECT_EQ(QueryObjectFlags(QueryKind::kUnion), 128);
  EXPECT_EQ(QueryObjectFlags(QueryKind::kMakeTable), 80);
  EXPECT_EQ(QueryObjectFlags(QueryKind::kDdl), 96);
}

}  // namespace
}  // namespace dbaccess
