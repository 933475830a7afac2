#include "dbaccess/storage/mdb/query_text.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace dbaccess::mdb {
namespace {

struct R {
  int attribute = 0;
  std::optional<std::string> expression = std::nullopt;
  std::optional<int> flag = std::nullopt;
  std::optional<std::string> name1 = std::nullopt;
  std::optional<std::string> name2 = std::nullopt;
  std::optional<int> extra = std::nullopt;
};

std::vector<QueryRow> Rows(std::initializer_list<R> rows) {
  std::vector<QueryRow> out;
  for (const R& r : rows) {
    QueryRow q;
    q.attribute = r.attribute;
    q.expression = r.expression;
    q.flag = r.flag;
    q.name1 = r.name1;
    q.name2 = r.name2;
    q.extra = r.extra;
    out.push_back(q);
  }
  return out;
}

constexpr auto N = std::nullopt;

TEST(QueryTextTest, BuildsSelectClausesOnLinesOfTheirOwn) {
  const auto rows = Rows({{kQueryStart},
                          {kQueryType, N, 1},
                          {kQueryFlag, N, 0x10 | 0x20 | 0x02, "25"},
                          {kQueryTable, N, N, "Заказы", "З"},
                          {kQueryTable, N, N, "Order Details", N},
                          {kQueryColumn, "З.Номер", 0},
                          {kQueryColumn, "Sum([Order Details].Qty)", 0, "Total Qty"},
                          {kQueryWhere, "(З.Номер>10)"},
                          {kQueryGroupBy, "З.Номер"},
                          {kQueryHaving, "(Sum([Order Details].Qty)>1)"},
                          {kQueryOrderBy, "З.Номер", N, "D"},
                          {kQueryOrderBy, "Sum([Order Details].Qty)", N, "A"},
                          {kQueryEnd}});
  EXPECT_EQ(RebuildQuerySql(0, rows),
            "SELECT DISTINCT TOP 25 PERCENT З.Номер, Sum([Order Details].Qty) AS [Total Qty]\r\n"
            "FROM Заказы AS З, [Order Details]\r\n"
            "WHERE (З.Номер>10)\r\n"
            "GROUP BY З.Номер\r\n"
            "HAVING (Sum([Order Details].Qty)>1)\r\n"
            "ORDER BY З.Номер DESC, Sum([Order Details].Qty);");
}

TEST(QueryTextTest, AddsParametersStarOwnerAccessAndExternalDatabase) {
  const auto rows = Rows({{kQueryType, N, 1},
                          {kQueryParameter, N, 10, "Start Name", N, 50},
                          {kQueryParameter, N, 8, "[From]"},
                          {kQueryParameter, N, 0, "Anything"},
                          {kQueryFlag, N, 0x01 | 0x04 | 0x08},
                          {kQueryRemoteDatabase, "dBase IV;", N, "C:\\data"},
                          {kQueryTable, N, N, "T1"}});
  EXPECT_EQ(RebuildQuerySql(0, rows),
            "PARAMETERS Start Name Text(50), [From] DateTime, Anything Value;\r\n"
            "SELECT DISTINCTROW *\r\n"
            "FROM T1 IN 'C:\\data' [dBase IV;]\r\n"
            "WITH OWNERACCESS OPTION;");
}

TEST(QueryTextTest, NestsJoinsAndCombinesConditionsOfOneJoin) {
  const auto rows = Rows({{kQueryType, N, 1},
                          {kQueryTable, N, N, "A"},
                          {kQueryTable, N, N, "B"},
                          {kQueryTable, N, N, "C"},
                          {kQueryTable, N, N, "D"},
                          {kQueryColumn, "A.x", 0},
                          {kQueryJoin, "A.id = B.id", 2, "A", "B"},
                          {kQueryJoin, "A.k = B.k", 2, "A", "B"},
                          {kQueryJoin, "B.id = C.id", 3, "B", "C"},
                          {kQueryJoin, "D.id = C.id", 1, "D", "C"}});
  EXPECT_EQ(RebuildQuerySql(0, rows),
            "SELECT A.x\r\n"
            "FROM D INNER JOIN ((A LEFT JOIN B ON (A.k = B.k) AND (A.id = B.id)) "
            "RIGHT JOIN C ON B.id = C.id) ON D.id = C.id;");
}

// Rows come in the order of MSysQueries' index, (Attribute, Order), not in the order they
// lie in the file: a file whose rows lie elsewhere gives the same text.
TEST(QueryTextTest, TakesRowsInTheOrderOfTheirIndex) {
  auto rows = Rows({{kQueryType, N, 1},
                    {kQueryTable, N, N, "A"},
                    {kQueryTable, N, N, "B"},
                    {kQueryColumn, "A.x", 0},
                    {kQueryColumn, "B.y", 0},
                    {kQueryJoin, "A.id = B.id", 1, "A", "B"},
                    {kQueryJoin, "A.k = B.k", 1, "A", "B"},
                    {kQueryOrderBy, "A.x"},
                    {kQueryOrderBy, "B.y"}});
  // Order: a 4-byte big-endian count within each attribute.
  int count = 0;
  int last_attribute = -1;
  for (QueryRow& row : rows) {
    count = row.attribute == last_attribute ? count + 1 : 1;
    last_attribute = row.attribute;
    row.order = {0, 0, 0, static_cast<uint8_t>(count)};
  }
  const std::string expected =
      "SELECT A.x, B.y\r\nFROM A INNER JOIN B ON (A.k = B.k) AND (A.id = B.id)\r\n"
      "ORDER BY A.x, B.y;";
  EXPECT_EQ(RebuildQuerySql(0, rows), expected);
  std::reverse(rows.begin(), rows.end());
  EXPECT_EQ(RebuildQuerySql(0, rows), expected);
}

TEST(QueryTextTest, BuildsActionQueries) {
  // An append query keeps the columns it fills, each named as it needs.
  EXPECT_EQ(RebuildQuerySql(64, Rows({{kQueryType, N, 3, "Table3"},
                                      {kQueryTable, N, N, "Table1"},
                                      {kQueryColumn, "[Table1].[col2]", 0, N, "col2"},
                                      {kQueryColumn, "[Table1].[col3]", 0, N, "Unit Price"}})),
            "INSERT INTO Table3 (col2, [Unit Price])\r\n"
            "SELECT [Table1].[col2], [Table1].[col3]\r\nFROM Table1;");
  EXPECT_EQ(RebuildQuerySql(64, Rows({{kQueryType, N, 3, "Log", "C:\\other.mdb"},
                                      {kQueryColumn, "1", 0x8000},
                                      {kQueryColumn, "\"x\"", 0x8000}})),
            "INSERT INTO Log IN 'C:\\other.mdb'\r\nVALUES (1, \"x\");");
  EXPECT_EQ(RebuildQuerySql(32, Rows({{kQueryType, N, 5},
                                      {kQueryFlag, N, 1},
                                      {kQueryTable, N, N, "Old Rows"},
                                      {kQueryWhere, "([Old Rows].d<#1/1/2000#)"}})),
            "DELETE *\r\nFROM [Old Rows]\r\nWHERE ([Old Rows].d<#1/1/2000#);");
  EXPECT_EQ(RebuildQuerySql(48, Rows({{kQueryType, N, 4},
                                      {kQueryTable, N, N, "T"},
                                      {kQueryColumn, "0", 0, N, "T.[Total Sum]"}})),
            "UPDATE T\r\nSET T.[Total Sum] = 0;");
  EXPECT_EQ(RebuildQuerySql(80, Rows({{kQueryType, N, 2, "New Table"},
                                      {kQueryTable, N, N, "T"},
                                      {kQueryColumn, "T.a", 0}})),
            "SELECT T.a INTO [New Table]\r\nFROM T;");
}

TEST(QueryTextTest, UnionAllTrimsItsPartsAndDataDefinitionIsGivenBack) {
  EXPECT_EQ(RebuildQuerySql(128, Rows({{kQueryType, N, 9},
                                       {kQueryFlag, N, 0},
                                       {kQueryTable, "  SELECT a FROM T\n\n", N, N, "X7YZ_____1"},
                                       {kQueryTable, "SELECT b\rFROM U ", N, N, "X7YZ_____2"},
                                       {kQueryOrderBy, "1"}})),
            "SELECT a FROM T\r\nUNION ALL SELECT b\r\nFROM U\r\nORDER BY 1;");
  EXPECT_EQ(RebuildQuerySql(96, Rows({{kQueryType, "DROP TABLE x", 7}})), "DROP TABLE x");
  EXPECT_EQ(RebuildQuerySql(112, Rows({{kQueryType, "exec sp_who", 8, "ODBC;DSN=x"}})),
            "exec sp_who");
  EXPECT_EQ(RebuildQuerySql(112, Rows({})), "");
}

TEST(QueryTextTest, TakesTheKindFromTheTypeRowFirst) {
  EXPECT_EQ(KindOfQuery(0, Rows({{kQueryType, N, 6}})), QueryKind::kCrosstab);
  EXPECT_EQ(KindOfQuery(16, Rows({})), QueryKind::kCrosstab);
  EXPECT_EQ(KindOfQuery(16 | 3, Rows({{kQueryType, N, 99}})), QueryKind::kCrosstab);
  EXPECT_EQ(KindOfQuery(0, Rows({})), QueryKind::kSelect);
}

TEST(QueryTextTest, DropsTheNulAccessEndsStoredTextsWith) {
  TableDefinition def;
  for (const char* name : {"ObjectId", "Attribute", "Expression", "Flag", "Name1"}) {
    ColumnDefinition c;
    c.name = name;
    def.columns.push_back(c);
  }
  const Row row = {int64_t{7}, int64_t{kQueryType}, std::string("DROP TABLE x;\0\0", 15),
                   int64_t{7}, std::string("ODBC;\0", 6)};
  const QueryRow q = QueryRowDecoder(def).Decode(row);
  EXPECT_EQ(q.expression, "DROP TABLE x;");
  EXPECT_EQ(q.name1, "ODBC;");
  EXPECT_EQ(RebuildQuerySql(96, {q}), "DROP TABLE x;");
}

TEST(QueryTextTest, NeverFailsOnOddRows) {
  // Joins naming unknown tables, a join kind Jet does not have, rows without values.
  const auto rows = Rows({{kQueryType, N, 1},
                          {kQueryColumn},
                          {kQueryJoin, N, 7, "P", N},
                          {kQueryJoin, "x", 1, "P", "Q"},
                          {kQueryOrderBy}});
  EXPECT_EQ(RebuildQuerySql(0, rows), "SELECT \r\nFROM (P INNER JOIN  ON ) INNER JOIN Q ON x;");
  std::vector<QueryRow> many = Rows({{kQueryType, N, 1}});
  for (int i = 0; i < 2000; ++i) many.push_back(Rows({{kQueryJoin, "c", 1, "A", "B"}})[0]);
  EXPECT_THROW(RebuildQuerySql(0, many), FormatError);
}

}  // namespace
}  // namespace dbaccess::mdb
