#include "dbaccess/storage/mdb/query_rows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "dbaccess/base/jet_error.h"
#include "dbaccess/sql/saved_query.h"
#include "dbaccess/storage/mdb/database_reader.h"
#include "dbaccess/storage/mdb/mdb_testing.h"
#include "dbaccess/storage/mdb/table_reader.h"
#include "dbaccess/storage/mdb/text_codec.h"

namespace dbaccess::mdb {
namespace {

std::string Shown(const std::optional<std::string>& text) {
  if (!text) return "-";
  std::string out = "<";
  for (char c : *text) {
    if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\0') {
      out += "\\0";
    } else {
      out += c;
    }
  }
  return out + ">";
}

// One row on a line: attribute/order flag extra name1 name2 expression.
std::string Shown(const QueryRow& r) {
  uint32_t order = 0;
  for (uint8_t b : r.order) order = order << 8 | b;
  std::string out = std::to_string(r.attribute) + "/" + std::to_string(order);
  if (r.order.size() != 4) out += "(" + std::to_string(r.order.size()) + " bytes)";
  out += " flag=" + (r.flag ? std::to_string(*r.flag) : "-");
  out += " extra=" + (r.extra ? std::to_string(*r.extra) : "-");
  return out + " " + Shown(r.name1) + " " + Shown(r.name2) + " " + Shown(r.expression);
}

// In the order of MSysQueries' index, as the reader gives them (no NUL after a text).
std::vector<std::string> Shown(std::vector<QueryRow> rows) {
  std::stable_sort(rows.begin(), rows.end(), [](const QueryRow& a, const QueryRow& b) {
    return a.attribute != b.attribute ? a.attribute < b.attribute : a.order < b.order;
  });
  std::vector<std::string> out;
  for (QueryRow& r : rows) {
    for (std::optional<std::string>* text : {&r.expression, &r.name1, &r.name2}) {
      while (*text && !(*text)->empty() && (*text)->back() == '\0') (*text)->pop_back();
    }
    out.push_back(Shown(r));
  }
  return out;
}

QueryDefinitionRows Made(const StoredQuery& q, const std::string& text) {
  if (KindOfQuery(q.object.flags, q.rows) != QueryKind::kPassThrough) return QueryRowsFromSql(text);
  for (const QueryRow& r : q.rows) {
    if (r.attribute == kQueryType) return PassThroughQueryRows(text, r.name1.value_or(""));
  }
  return PassThroughQueryRows(text, "");
}

std::vector<std::string> TableNames(const std::vector<std::string>& shown) {
  std::vector<std::string> out;
  for (const std::string& row : shown) {
    if (row.rfind("5/", 0) == 0) out.push_back(row.substr(row.find('<')));
  }
  return out;
}

// Every saved query of Access's files: its text as DAO shows it, parsed, gives Access's
// own rows field for field, and the rows give the text back. The Access 2003 file joins
// in when it is in the test folder.
TEST(QueryRowsTest, RecreatesAccesssOwnRowsFromEachQuerysText) {
  SKIP_WITHOUT_TEST_DATA();
  int checked = 0;
  for (const std::string name :
       {"queryTestV2000.mdb", "queryTestV1997.mdb", "queryTestV2003.mdb"}) {
    const std::string path = testing::TestFile(name);
    if (!std::filesystem::exists(path)) continue;
    PageFile file(MemorySource(testing::ReadBytes(path)));
    for (const StoredQuery& q : ReadDatabase(file, {.user_table_rows = false}).queries) {
      SCOPED_TRACE(name + " " + q.object.name);
      const std::string text = RebuildQuerySql(q.object.flags, q.rows);
      const QueryDefinitionRows made = Made(q, text);
      EXPECT_EQ(made.object_flags, q.object.flags);
      EXPECT_EQ(made.kind, KindOfQuery(q.object.flags, q.rows));
      const std::vector<std::string> access = Shown(q.rows);
      std::vector<std::string> ours = Shown(made.rows);
      if (q.object.name == "SelectQuery") {
        // The designer stored the tables in the order they were added to the design; the
        // text names them in the order of its joins. Everything else is the same.
        EXPECT_EQ(TableNames(access),
                  (std::vector<std::string>{"<Table1> - -", "<Table2> - -", "<Table3> - -"}));
        EXPECT_EQ(TableNames(ours),
                  (std::vector<std::string>{"<Table1> - -", "<Table3> - -", "<Table2> - -"}));
        for (size_t i = 0; i < ours.size(); ++i) {
          if (ours[i].rfind("5/", 0) == 0) ours[i] = access[i];
        }
      }
      EXPECT_EQ(ours, access);
      EXPECT_EQ(RebuildQuerySql(made.object_flags, made.rows), text);
      ++checked;
    }
  }
  RecordProperty("queries", checked);
  EXPECT_GE(checked, 18);
}

// The whole text of a data-definition or pass-through query is stored with a NUL after
// it, as in Access's files (the reader drops it).
TEST(QueryRowsTest, EndsAWholeTextWithTheNulAccessStores) {
  SKIP_WITHOUT_TEST_DATA();
  PageFile file(MemorySource(testing::ReadBytes(testing::TestFile("queryTestV2000.mdb"))));
  const StoredDatabase db = ReadDatabase(file, {.user_table_rows = false});
  const TextDecoder text(db.header.version, db.header.code_page);
  TableReader reader(file, text, ReadLimits::ForFileSize(file.byte_size()));
  std::vector<std::string> stored;
  for (const StoredTable& t : db.tables) {
    if (t.object.name != "MSysQueries") continue;
    reader.ForEachRow(t.definition, [&](Row&& row) {
      const RowFields fields(t.definition, row);
      const auto expression = fields.OptionalText("Expression");
      if (fields.Integer("Attribute") == kQueryType && expression) stored.push_back(*expression);
    });
  }
  std::sort(stored.begin(), stored.end());
  const std::vector<std::string> ours = {
      PassThroughQueryRows("ALTER TABLE Table4 DROP COLUMN col5;", "ODBC;")
          .rows[1]
          .expression.value(),
      QueryRowsFromSql("CREATE TABLE Table5 (col1 CHAR, col2 CHAR);").rows[1].expression.value()};
  EXPECT_EQ(stored, ours);
}

// Texts as DAO shows them, of every kind: parsed and shown again, each comes back as it
// was, and so do its rows.
TEST(QueryRowsTest, GivesBackTheTextOfEveryKind) {
  const char* const texts[] = {
      "SELECT DISTINCT TOP 25 PERCENT З.Номер, Sum([Order Details].Qty) AS [Total Qty]\r\n"
      "FROM Заказы AS З, [Order Details]\r\n"
      "WHERE (З.Номер>10)\r\n"
      "GROUP BY З.Номер\r\n"
      "HAVING (Sum([Order Details].Qty)>1)\r\n"
      "ORDER BY З.Номер DESC, Sum([Order Details].Qty);",
      "PARAMETERS Start Date DateTime, Name Text(50), [a, b] Long, Anything Value;\r\n"
      "SELECT DISTINCTROW *\r\n"
      "FROM T1 IN 'C:\\data' [dBase IV;]\r\n"
      "WHERE T1.d>[Start Date] And T1.n=[Name]\r\n"
      "WITH OWNERACCESS OPTION;",
      "SELECT A.x, Count(*) AS n\r\n"
      "FROM D INNER JOIN ((A LEFT JOIN B ON (A.k = B.k) AND (A.id = B.id)) RIGHT JOIN C ON "
      "B.id = C.id) ON D.id = C.id\r\n"
      "GROUP BY A.x;",
      "SELECT X.a, [Y Z].b\r\n"
      "FROM [SELECT a FROM T WHERE a > 1]. AS X, (SELECT [b c] AS b FROM U) AS [Y Z]\r\n"
      "WHERE X.a IN (SELECT a FROM V) And Not Exists (SELECT * FROM W WHERE W.a = X.a);",
      "SELECT T.*, Left$(T.a,1) AS l, -T.n^2 Mod 3 AS m\r\n"
      "FROM [C:\\db\\other.mdb].T\r\n"
      "WHERE (((T.a) Between 1 And 5) AND ((T.b) Like \"x*\") AND (Not (T.c) Is Null) "
      "AND T.d<>#1/2/2003# AND T.e In (1,2,3));",
      "SELECT 1+1 AS two;",
      "SELECT T.a, T.b INTO [New Table] IN 'C:\\o''ther.mdb'\r\nFROM T;",
      "INSERT INTO Table3 (col2, [Unit Price])\r\n"
      "SELECT [Table1].[col2], [Table1].[col3]\r\nFROM Table1;",
      "INSERT INTO Log (a, b) IN 'C:\\other.mdb'\r\nVALUES (1, \"x\");",
      "INSERT INTO Log\r\nSELECT *\r\nFROM Old\r\nWHERE Old.d<#1/1/2000#;",
      "UPDATE T INNER JOIN U ON T.id = U.id\r\n"
      "SET T.a = U.b, T.[c d] = 0, [e] = [Enter value]\r\n"
      "WHERE (U.x Is Not Null);",
      "DELETE DISTINCTROW T.*\r\nFROM T INNER JOIN U ON T.id = U.id\r\nWHERE (U.x=1);",
      "DELETE *\r\nFROM [Old Rows]\r\nWHERE ([Old Rows].d<#1/1/2000#);",
      "TRANSFORM Sum(T.v) AS SumOfv\r\n"
      "SELECT T.r, Sum(T.v) AS Total\r\nFROM T\r\nGROUP BY T.r\r\nPIVOT T.c In (\"a\",\"b\");",
      "PARAMETERS p Short;\r\n"
      "SELECT a FROM T WHERE a=p\r\nUNION SELECT b FROM U\r\nORDER BY 1\r\n"
      "WITH OWNERACCESS OPTION;",
      "(SELECT a FROM T)\r\nUNION ALL (SELECT b FROM U ORDER BY b)\r\nORDER BY 1;",
      "CREATE TABLE x (a TEXT(10), b LONG NOT NULL);",
  };
  for (const char* text : texts) {
    SCOPED_TRACE(text);
    QueryDefinitionRows made;
    try {
      made = QueryRowsFromSql(text);
    } catch (const JetError& e) {
      ADD_FAILURE() << e.number() << " " << e.what();
      continue;
    }
    const std::string shown = RebuildQuerySql(made.object_flags, made.rows);
    EXPECT_EQ(shown, text);
    EXPECT_EQ(Shown(QueryRowsFromSql(shown).rows), Shown(made.rows));
  }
}

// What a user types is stored as Jet stores it and shown in DAO's way; shown once, the
// text stays as it is.
TEST(QueryRowsTest, ShowsTypedTextsTheWayDaoDoes) {
  const std::pair<const char*, const char*> cases[] = {
      {"select * from T where a=1", "SELECT *\r\nFROM T\r\nWHERE a=1;"},
      {"  SELECT a, * FROM T ORDER BY a ASC;  ", "SELECT a, *\r\nFROM T\r\nORDER BY a;"},
      {"DELETE FROM T WHERE x = 1;", "DELETE *\r\nFROM T\r\nWHERE x = 1;"},
      {"SELECT * FROM A INNER JOIN B ON A.x=B.x AND A.y=B.y",
       "SELECT *\r\nFROM A INNER JOIN B ON (A.x=B.x) AND (A.y=B.y);"},
      {"SELECT * FROM A LEFT OUTER JOIN B ON A.x=B.x OR A.y=B.y",
       "SELECT *\r\nFROM A LEFT JOIN B ON A.x=B.x OR A.y=B.y;"},
      {"SELECT * FROM A T1, B T2 WHERE T1.x=T2.x",
       "SELECT *\r\nFROM A AS T1, B AS T2\r\nWHERE T1.x=T2.x;"},
      {"PARAMETERS [Start Date] DateTime, [x] Text ( 20 ); SELECT 1",
       "PARAMETERS Start Date DateTime, x Text(20);\r\nSELECT 1;"},
      {"SELECT * FROM (SELECT a FROM T)", "SELECT *\r\nFROM [SELECT a FROM T]. AS [%$##@_Alias];"},
      {"INSERT INTO T SELECT * FROM U", "INSERT INTO T\r\nSELECT *\r\nFROM U;"},
      {"SELECT a FROM T UNION SELECT b FROM U UNION ALL SELECT c FROM V;",
       "SELECT a FROM T UNION SELECT b FROM U\r\nUNION ALL SELECT c FROM V;"},
      {"create index i on T (a)", "create index i on T (a)"},
  };
  for (const auto& [typed, shown] : cases) {
    SCOPED_TRACE(typed);
    QueryDefinitionRows made;
    try {
      made = QueryRowsFromSql(typed);
    } catch (const JetError& e) {
      ADD_FAILURE() << e.number() << " " << e.what();
      continue;
    }
    EXPECT_EQ(RebuildQuerySql(made.object_flags, made.rows), shown);
    const QueryDefinitionRows again = QueryRowsFromSql(shown);
    EXPECT_EQ(RebuildQuerySql(again.object_flags, again.rows), shown);
  }
}

// The rows Access keeps for what the test files do not show: options, external databases,
// parameters with a size, VALUES, subqueries, a plain UNION, a join that cannot be split.
TEST(QueryRowsTest, FillsEachFieldAsAccessDoes) {
  EXPECT_EQ(Shown(QueryRowsFromSql("PARAMETERS [x y] Text(50), n Long; SELECT TOP 5 PERCENT "
                                   "T.a AS b FROM T IN 'C:\\x.mdb' [MS Access;] ORDER BY T.a DESC")
                      .rows),
            (std::vector<std::string>{
                "0/1 flag=0 extra=- - - -", "1/1 flag=1 extra=- - - -",
                "2/1 flag=10 extra=50 <x y> - -", "2/2 flag=4 extra=- <n> - -",
                "3/1 flag=48 extra=- <5> - -", "4/1 flag=- extra=- <C:\\x.mdb> - <MS Access;>",
                "5/1 flag=- extra=- <T> - -", "6/1 flag=0 extra=- <b> - <T.a>",
                "11/1 flag=- extra=- <D> - <T.a>", "255/1 flag=- extra=- - - -"}));
  EXPECT_EQ(
      Shown(QueryRowsFromSql("INSERT INTO L (a, [b c]) IN '' [dBase IV;] VALUES (1, 'x')").rows),
      (std::vector<std::string>{"0/1 flag=0 extra=- - - -", "1/1 flag=3 extra=- <L> - <dBase IV;>",
                                "6/1 flag=-32768 extra=- - <a> <1>",
                                "6/2 flag=-32768 extra=- - <[b c]> <'x'>",
                                "255/1 flag=- extra=- - - -"}));
  EXPECT_EQ(Shown(QueryRowsFromSql("SELECT X.a INTO N FROM (SELECT a FROM T) X, [SELECT b FROM U]. "
                                   "INNER JOIN V ON V.b = [%$##@_Alias].b")
                      .rows),
            (std::vector<std::string>{
                "0/1 flag=0 extra=- - - -", "1/1 flag=2 extra=- <N> - -",
                "3/1 flag=0 extra=- - - -", "5/1 flag=- extra=- - <X> <SELECT a FROM T>",
                "5/2 flag=- extra=- - <%$##@_Alias> <SELECT b FROM U>",
                "5/3 flag=- extra=- <V> - -", "6/1 flag=0 extra=- - - <X.a>",
                "7/1 flag=1 extra=- <%$##@_Alias> <V> <V.b = [%$##@_Alias].b>",
                "255/1 flag=- extra=- - - -"}));
  EXPECT_EQ(
      Shown(QueryRowsFromSql("SELECT a FROM T UNION SELECT b FROM U").rows),
      (std::vector<std::string>{
          "0/1 flag=0 extra=- - - -", "1/1 flag=9 extra=- - - -", "3/1 flag=3 extra=- - - -",
          "5/1 flag=- extra=- - <X7YZ_____1> <SELECT a FROM T >",
          "5/2 flag=- extra=- - <X7YZ_____2> <SELECT b FROM U>", "255/1 flag=- extra=- - - -"}));
  // A condition of one side only: the ON stays one row, its tables named by the other
  // conditions; unqualified columns: the first table of each side.
  EXPECT_EQ(
      Shown(QueryRowsFromSql("SELECT * FROM (A INNER JOIN B ON x = y) LEFT JOIN C ON "
                             "(C.k = B.k) AND (C.f = 1)")
                .rows),
      (std::vector<std::string>{
          "0/1 flag=0 extra=- - - -", "1/1 flag=1 extra=- - - -", "3/1 flag=1 extra=- - - -",
          "5/1 flag=- extra=- <A> - -", "5/2 flag=- extra=- <B> - -", "5/3 flag=- extra=- <C> - -",
          "7/1 flag=1 extra=- <A> <B> <x = y>",
          "7/2 flag=2 extra=- <B> <C> <(C.k = B.k) AND (C.f = 1)>", "255/1 flag=- extra=- - - -"}));
  EXPECT_EQ(QueryRowsFromSql("SELECT 1").object_flags, 0u);
  EXPECT_EQ(QueryRowsFromSql("DROP TABLE x").object_flags, 96u);
  EXPECT_EQ(PassThroughQueryRows("exec sp_who", "ODBC;DSN=x").object_flags, 112u);
}

int ErrorOf(const std::string& text, std::string* message = nullptr) {
  try {
    QueryRowsFromSql(text);
  } catch (const JetError& e) {
    if (message != nullptr) *message = e.what();
    return e.number();
  }
  return 0;
}

TEST(QueryRowsTest, RefusesWhatJetWouldNotStoreWithItsError) {
  const std::pair<const char*, int> cases[] = {
      {"", 3129},
      {"exec sp_who", 3129},
      {"(SELECT a FROM T)", 3129},
      {"SELECT FROM T", 3141},
      {"SELECT a FROM T WITH x", 3141},
      {"SELECT a FROM", 3131},
      {"SELECT a FROM T JOIN U ON T.a = U.a", 3131},
      {"SELECT a FROM T INNER JOIN U", 3135},
      {"SELECT a FROM T WHERE", 3145},
      {"SELECT a FROM T GROUP a", 3132},
      {"SELECT a FROM T HAVING", 3133},
      {"SELECT a FROM T ORDER a", 3138},
      {"PARAMETERS x Foo; SELECT 1", 3139},
      {"PARAMETERS x Text(300); SELECT 1", 3139},
      {"PARAMETERS Long; SELECT 1", 3139},
      {"PARAMETERS x Long SELECT 1", 3139},
      {"SELECT a FROM T; x", 3142},
      {"SELECT (a FROM T", 3075},
      {"SELECT 'abc FROM T", 3075},
      {"SELECT a FROM T WHERE a BETWEEN 1", 3075},
      {"INSERT T VALUES (1)", 3134},
      {"INSERT INTO T (a, b) VALUES (1)", 3346},
      {"INSERT INTO T (a) SELECT * FROM U", 3346},
      {"UPDATE T a = 1", 3144},
      {"DELETE FROM", 3131},
      {"DELETE TOP 5 * FROM T", 3130},
      {"TRANSFORM Sum(x) SELECT a FROM T GROUP BY a", 3143},
      {"SELECT a FROM T UNION", 3319},
      {"SELECT a FROM T UNION (SELECT b FROM U", 3319},
      {"CREATE TABLE", 3290},
      {"PARAMETERS x Long; DROP TABLE T", 3129},
  };
  for (const auto& [text, number] : cases) {
    EXPECT_EQ(ErrorOf(text), number) << text;
  }
  std::string message;
  EXPECT_EQ(ErrorOf("SELECT a b FROM T", &message), 3075);
  EXPECT_EQ(message, "Syntax error (missing operator) in query expression 'a b'.");
  EXPECT_EQ(ErrorOf("SELECT * FROM A INNER JOIN B ON A.x=B.x INNER JOIN C ON B.y=C.y", &message),
            3075);
  EXPECT_EQ(message, "Syntax error (missing operator) in query expression 'A.x=B.x INNER'.");
  EXPECT_EQ(ErrorOf("SELECT a FROM T WHERE a = (1 +", &message), 3075);
  EXPECT_EQ(message, "Syntax error in query expression 'a = (1 +'.");
}

// Hostile texts: nesting beyond the bound is refused, long flat texts are read, nothing
// runs out of stack.
TEST(QueryRowsTest, BoundsNestingAndReadsLongFlatTexts) {
  const int deep = 10000;
  EXPECT_EQ(ErrorOf("SELECT " + std::string(deep, '(') + "1" + std::string(deep, ')')), 3071);
  EXPECT_EQ(ErrorOf("SELECT " + std::string(deep, '-') + "1"), 3071);
  const int beyond = sql::kMaxQueryNesting + 1;
  std::string subqueries = "SELECT 1";
  for (int i = 0; i < beyond; ++i) subqueries = "SELECT * FROM (" + subqueries + ")";
  EXPECT_EQ(ErrorOf(subqueries), 3071);
  std::string joins = "T0";
  for (int i = 1; i < beyond; ++i) {
    joins = "(" + joins + " INNER JOIN T" + std::to_string(i) + " ON a=b)";
  }
  EXPECT_EQ(ErrorOf("SELECT * FROM " + joins), 3071);
  std::string parameters = "PARAMETERS ";
  std::string sum = "1";
  std::string unions = "SELECT 1";
  for (int i = 0; i < deep; ++i) {
    sum += "+1";
    unions += " UNION SELECT 1";
    parameters += "p" + std::to_string(i) + " Long, ";
  }
  EXPECT_EQ(ErrorOf("SELECT " + sum), 0);
  EXPECT_EQ(ErrorOf("SELECT " + sum + " FROM T WHERE " + sum + " AND " + sum), 0);
  EXPECT_EQ(ErrorOf(unions), 0);
  EXPECT_EQ(ErrorOf(parameters + "q Long; SELECT 1"), 0);
}

}  // namespace
}  // namespace dbaccess::mdb
