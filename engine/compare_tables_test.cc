#include "engine/compare_tables.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "dbaccess/base/jet_error.h"
#include "dbaccess/sql/one_expression.h"
#include "engine/default_check.h"
#include "engine/result_lines_testing.h"
#include "engine/result_texts.h"

namespace uAlg {
namespace {

using dbaccess::Variant;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

// A column as LoadTables fills it. `size` 0 means empty, as for every type but Text.
TField Col(const std::string& name, int position, const std::string& type, int size = 0,
           bool not_null = false, std::optional<std::string> default_value = std::nullopt) {
  TField f;
  f.Name = name;
  for (int k = 0; k < kPropCount; ++k) f.Props[k].Name = std::string(kPropNames[k]);
  f.Props[kOrdinalPositionProp].Value = Variant::Integer(position);
  f.Props[kTypeProp].Value = Variant::Text(type);
  if (size > 0) f.Props[kSizeProp].Value = Variant::Integer(size);
  f.Props[kNotNullProp].Value = Variant::Boolean(not_null);
  f.Props[kDefaultValueProp].Value =
      default_value ? Variant::Text(*default_value) : Variant::Null();
  return f;
}

TTable Table(const std::string& name, std::vector<TField> fields) { return {name, fields}; }

// One result as "Result|TableName|FieldName|PropName|old|new|SQL", for readable failures.
std::string Line(const TResult& r) {
  return r.Result + "|" + r.TableName + "|" + r.FieldName + "|" + r.PropName + "|" +
         r.OldPropValue.DisplayText() + "|" + r.NewPropValue.DisplayText() + "|" + r.SQL;
}
std::vector<std::string> Lines(const TResults& results) {
  std::vector<std::string> lines;
  for (const TResult& r : results) lines.push_back(Line(r));
  return lines;
}

TEST(FieldSqlTest, WritesNameTypeSizeRequiredAndDefault) {
  EXPECT_EQ(FieldSQL(Col("Qty", 1, "Long", 0, true, "0")), "[Qty] Long NOT NULL DEFAULT 0");
  EXPECT_EQ(FieldSQL(Col("Name", 2, "Text", 50)), "[Name] Text(50)");
  EXPECT_EQ(FieldSQL(Col("Когда", 3, "DateTime", 0, false, "Now()")),
            "[Когда] DateTime DEFAULT Now()");
  EXPECT_EQ(FieldSQL(Col("Note", 4, "Text", 0, false, "\"a b\"")), "[Note] Text DEFAULT \"a b\"");
  // An empty default text writes no DEFAULT clause, like a null one.
  EXPECT_EQ(FieldSQL(Col("X", 5, "Byte", 0, false, "")), "[X] Byte");
  // An unknown type gives an empty type word; a size kept as text still counts.
  TField odd = Col("G", 6, "");
  odd.Props[kSizeProp].Value = Variant::Text("16");
  EXPECT_EQ(FieldSQL(odd), "[G] (16)");
  odd.Props[kSizeProp].Value = Variant::Text("n/a");
  EXPECT_EQ(FieldSQL(odd), "[G] ");
}

TEST(CreateTableSqlTest, BracketsTheTableNameAndPutsEachColumnOnItsOwnLine) {
  EXPECT_EQ(
      CreateTableSQL(Table("Orders", {Col("ID", 1, "Long", 0, true), Col("Note", 2, "Text", 100)})),
      "CREATE TABLE [Orders] (\r\n[ID] Long NOT NULL,\r\n[Note] Text(100))");
  // Blanks and reserved words in the name need the brackets.
  EXPECT_EQ(CreateTableSQL(Table("Order Details", {Col("Order", 1, "Long")})),
            "CREATE TABLE [Order Details] (\r\n[Order] Long)");
  // A table without columns (Jet keeps none such) must not lose its parenthesis.
  EXPECT_EQ(CreateTableSQL(Table("Empty", {})), "CREATE TABLE [Empty] ()");
}

TEST(CompareTablesTest, TablesAndColumnsMatchByFoldedLatinLettersOnly) {
  const TTables working = {Table("ORDERS", {Col("QTY", 1, "Long")}),
                           Table("Заказы", {Col("Сумма", 1, "Currency")})};
  const TTables fresh = {Table("Orders", {Col("qty", 1, "Long")}),
                         Table("заказы", {Col("Сумма", 1, "Currency")})};
  EXPECT_THAT(
      Lines(CompareTables(working, fresh)),
      ElementsAre(S(kDroppedTable) + "|Заказы|||||DROP TABLE [Заказы]",
                  S(kNewTable) + "|заказы|||||CREATE TABLE [заказы] (\r\n[Сумма] Currency)"));

  // Column names too: Cyrillic case counts.
  const TTables w2 = {Table("T", {Col("Имя", 1, "Text", 10)})};
  const TTables n2 = {Table("t", {Col("ИМЯ", 1, "Text", 10)})};
  EXPECT_THAT(Lines(CompareTables(w2, n2)),
              ElementsAre(S(kDroppedField) + "|T|Имя||||ALTER TABLE [T] DROP COLUMN [Имя]",
                          S(kNewField) + "|t|ИМЯ||||ALTER TABLE [t] ADD [ИМЯ] Text(10)"));
}

TEST(CompareTablesTest, OrdinalPositionAloneIsNoDifference) {
  const TTables working = {Table("T", {Col("a", 1, "Long"), Col("b", 2, "Long")})};
  const TTables fresh = {Table("T", {Col("b", 1, "Long"), Col("a", 2, "Long")})};
  EXPECT_THAT(CompareTables(working, fresh), IsEmpty());
}

TEST(CompareTablesTest, ColumnResultsInterleaveInWorkingOrderThenNewColumnsInNewOrder) {
  const TTables working = {
      Table("T", {Col("a", 1, "Long"), Col("gone", 2, "Long", 0, true, "1"), Col("c", 3, "Long")}),
      Table("U", {Col("x", 1, "Long")})};
  const TTables fresh = {Table("U", {Col("x", 1, "Short"), Col("y", 2, "Bit")}),
                         Table("T", {Col("z", 1, "Byte"), Col("c", 2, "Short"),
                                     Col("A", 3, "Short"), Col("w", 4, "Text", 8)})};
  const TResults results = CompareTables(working, fresh);
  EXPECT_THAT(
      Lines(results),
      ElementsAre(
          S(kChangedFieldProps) + "|T|a|TYPE|Long|Short|ALTER TABLE [T] ALTER COLUMN [A] Short",
          S(kDroppedField) + "|T|gone||||ALTER TABLE [T] DROP COLUMN [gone]",
          S(kChangedFieldProps) + "|T|c|TYPE|Long|Short|ALTER TABLE [T] ALTER COLUMN [c] Short",
          S(kNewField) + "|T|z||||ALTER TABLE [T] ADD [z] Byte",
          S(kNewField) + "|T|w||||ALTER TABLE [T] ADD [w] Text(8)",
          S(kChangedFieldProps) + "|U|x|TYPE|Long|Short|ALTER TABLE [U] ALTER COLUMN [x] Short",
          S(kNewField) + "|U|y||||ALTER TABLE [U] ADD [y] Bit"));
  // A dropped or new column carries its five values, without property names.
  const TProps& gone = results[1].Props;
  EXPECT_EQ(gone[kOrdinalPositionProp].Value, Variant::Integer(2));
  EXPECT_EQ(gone[kTypeProp].Value, Variant::Text("Long"));
  EXPECT_TRUE(gone[kSizeProp].Value.IsEmpty());
  EXPECT_EQ(gone[kNotNullProp].Value, Variant::Boolean(true));
  EXPECT_EQ(gone[kDefaultValueProp].Value, Variant::Text("1"));
  for (const TProp& p : gone) EXPECT_EQ(p.Name, "");
  EXPECT_EQ(results[4].Props[kSizeProp].Value, Variant::Integer(8));
  EXPECT_EQ(results[4].Props[kOrdinalPositionProp].Value, Variant::Integer(4));
}

TEST(CompareTablesTest, TheFirstOfSeveralMatchingNamesWins) {
  // The engine never lists two such names, but the comparison must stay well defined.
  const TTables working = {Table("t", {Col("a", 1, "Long")}), Table("T", {Col("a", 1, "Short")})};
  const TTables fresh = {Table("T", {Col("a", 1, "Short"), Col("A", 2, "Long")})};
  EXPECT_THAT(Lines(CompareTables(working, fresh)),
              ElementsAre(S(kChangedFieldProps) +
                          "|t|a|TYPE|Long|Short|ALTER TABLE [t] ALTER COLUMN [a] Short"));
}

}  // namespace
}  // namespace uAlg

namespace uAlg {
namespace {

// A hostile new database: defaults that are not one expression never reach a command, be it
// a new column, a changed default or a new table; the comparison is refused, naming the
// column. One expression passes, whatever words or ";" its literals hold.
TEST(CompareTablesTest, DefaultThatIsNotOneExpressionIsRefused) {
  const std::string injected = "0; ALTER TABLE [Customers] DROP COLUMN [City]";
  const TTables working = {Table("Orders", {Col("ID", 1, "Long", 0, false, "1")})};
  const std::vector<TTables> hostile = {
      {Table("Orders",
             {Col("ID", 1, "Long", 0, false, "1"), Col("Evil", 2, "Long", 0, false, injected)})},
      {Table("Orders", {Col("ID", 1, "Long", 0, false, injected)})},
      {Table("Orders", {Col("ID", 1, "Long", 0, false, "1")}),
       Table("New", {Col("A", 1, "Long", 0, false, injected)})},
      {Table("Orders", {Col("ID", 1, "Long", 0, false,
                            std::string(2000, '(') + "1" + std::string(2000, ')'))})},
  };
  for (const TTables& fresh : hostile) {
    try {
      CompareTables(working, fresh);
      ADD_FAILURE() << "a hostile default was accepted";
    } catch (const dbaccess::JetError& e) {
      EXPECT_EQ(e.number(), 3292);
      EXPECT_THAT(e.what(), ::testing::HasSubstr("is not one expression"));
    }
  }
  const TTables fine = {Table("Orders", {Col("ID", 1, "Long", 0, false, "1"),
                                         Col("Note", 2, "Text", 9, false, "\"DROP TABLE; x\""),
                                         Col("When", 3, "DateTime", 0, false, "=Date()")})};
  EXPECT_EQ(CompareTables(working, fine).size(), 2u);
  EXPECT_TRUE(dbaccess::sql::IsOneExpression(" Now() "));
  EXPECT_FALSE(dbaccess::sql::IsOneExpression("1 2"));
  EXPECT_FALSE(dbaccess::sql::IsOneExpression("'a';"));
}

}  // namespace
}  // namespace uAlg
