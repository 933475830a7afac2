#include "dbaccess/ado/recordset.h"

#include <gtest/gtest.h>

#include <functional>

#include "dbaccess/base/jet_error.h"

namespace dbaccess::ado {
namespace {

Variant T(const char* s) { return Variant::Text(s); }
Variant I(int64_t v) { return Variant::Integer(v); }
Variant B(bool v) { return Variant::Boolean(v); }

// Reads one text field of every visible row, walking from the first to EOF.
std::vector<std::string> Walk(Recordset& rs, const char* field) {
  std::vector<std::string> out;
  for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) out.push_back(rs.Field(field).DisplayText());
  return out;
}

int ErrorNumber(const std::function<void()>& f) {
  try {
    f();
  } catch (const JetError& e) {
    return e.number();
  }
  return -1;
}

// Rows shaped like the INDEXES and FOREIGN_KEYS rowsets the comparisons filter.
Recordset Indexes() {
  return Recordset({"TABLE_NAME", "INDEX_NAME", "PRIMARY_KEY", "UNIQUE", "COLUMN_NAME"},
                   {{T("Orders"), T("PrimaryKey"), B(true), B(true), T("ID")},
                    {T("Orders"), T("ux"), B(false), B(true), T("Code")},
                    {T("Orders"), T("ix"), B(false), B(false), T("Date")},
                    {T("Заказы"), T("pk"), B(true), B(true), T("Код")}});
}

Recordset ForeignKeys() {
  return Recordset(
      {"PK_TABLE_NAME", "PK_COLUMN_NAME", "FK_TABLE_NAME", "FK_COLUMN_NAME", "FK_NAME"},
      {{T("Customers"), T("ID"), T("Orders"), T("CustomerID"), T("r1")},
       {T("O'Brien"), T("ID"), T("Notes"), T("OB"), T("r2")},
       {T("Orders"), T("ID"), T("Lines"), T("OrderID"), T("r3")},
       {T("Клиенты"), T("Код"), T("Заказы"), T("Клиент"), T("r4")},
       {T("Tree"), T("ID"), T("Tree"), T("Parent"), T("r5")}});
}

TEST(RecordsetTest, FiltersTheComparisonsUse) {
  Recordset rs = Indexes();
  rs.SetFilter("PRIMARY_KEY=True");
  EXPECT_EQ(rs.RecordCount(), 2);
  EXPECT_EQ(Walk(rs, "INDEX_NAME"), (std::vector<std::string>{"PrimaryKey", "pk"}));
  rs.SetFilter("(PRIMARY_KEY=False) and (UNIQUE=True)");
  EXPECT_EQ(Walk(rs, "index_name"), (std::vector<std::string>{"ux"}));
  rs.SetFilter("(primary_key = false)AND(unique=TRUE)");  // blanks and case do not matter
  EXPECT_EQ(rs.RecordCount(), 1);
  rs.SetFilter("");
  EXPECT_EQ(rs.RecordCount(), 4);

  Recordset fk = ForeignKeys();
  fk.SetFilter("(PK_TABLE_NAME='Orders') or (FK_TABLE_NAME='Orders')");
  EXPECT_EQ(Walk(fk, "FK_NAME"), (std::vector<std::string>{"r1", "r3"}));
  fk.SetFilter(
      "(PK_TABLE_NAME='orders' and PK_COLUMN_NAME='id') or "
      "(FK_TABLE_NAME='ORDERS' and FK_COLUMN_NAME='customerid')");
  EXPECT_EQ(Walk(fk, "FK_NAME"), (std::vector<std::string>{"r1", "r3"}));
  fk.SetFilter("(PK_TABLE_NAME='Tree') or (FK_TABLE_NAME='Tree')");
  EXPECT_EQ(fk.RecordCount(), 1);  // a relationship of a table with itself is one row
}

TEST(RecordsetTest, FilterTextsHandleQuotesCyrillicAndPrecedence) {
  Recordset fk = ForeignKeys();
  fk.SetFilter("PK_TABLE_NAME='o''brien'");
  EXPECT_EQ(Walk(fk, "FK_NAME"), (std::vector<std::string>{"r2"}));
  fk.SetFilter("(PK_TABLE_NAME='КЛИЕНТЫ' and PK_COLUMN_NAME='код')");
  EXPECT_EQ(Walk(fk, "FK_NAME"), (std::vector<std::string>{"r4"}));
  fk.SetFilter("FK_TABLE_NAME = \"заказы\"");
  EXPECT_EQ(fk.RecordCount(), 1);
  // AND binds tighter than OR.
  fk.SetFilter("FK_NAME='r1' or FK_NAME='r2' and PK_TABLE_NAME='nobody'");
  EXPECT_EQ(Walk(fk, "FK_NAME"), (std::vector<std::string>{"r1"}));
  fk.SetFilter("([FK_NAME]<>'r1') and (FK_NAME<='r3')");
  EXPECT_EQ(Walk(fk, "FK_NAME"), (std::vector<std::string>{"r2", "r3"}));
  fk.SetFilter("PK_TABLE_NAME like 'c*' or FK_TABLE_NAME LIKE '_ote%'");
  EXPECT_EQ(Walk(fk, "FK_NAME"), (std::vector<std::string>{"r1", "r2"}));
  fk.SetFilter("FK_NAME='nothing'");
  EXPECT_EQ(fk.RecordCount(), 0);
  EXPECT_TRUE(fk.Eof());
}

TEST(RecordsetTest, FilterComparesNumbersAndNulls) {
  Recordset rs({"COLUMN_NAME", "ORDINAL_POSITION", "COLUMN_DEFAULT", "IS_NULLABLE"},
               {{T("a"), I(1), Variant::Null(), B(true)},
                {T("b"), I(10), T("0"), B(false)},
                {T("c"), I(9), T("'x'"), B(true)}});
  rs.SetFilter("ORDINAL_POSITION > 2");
  EXPECT_EQ(Walk(rs, "COLUMN_NAME"), (std::vector<std::string>{"b", "c"}));
  rs.SetFilter("ORDINAL_POSITION >= -1 and ORDINAL_POSITION < 10");
  EXPECT_EQ(Walk(rs, "COLUMN_NAME"), (std::vector<std::string>{"a", "c"}));
  rs.SetFilter("COLUMN_DEFAULT = Null");
  EXPECT_EQ(Walk(rs, "COLUMN_NAME"), (std::vector<std::string>{"a"}));
  rs.SetFilter("COLUMN_DEFAULT <> null");
  EXPECT_EQ(rs.RecordCount(), 2);
  rs.SetFilter("COLUMN_DEFAULT > ''");  // a null satisfies no ordering
  EXPECT_EQ(rs.RecordCount(), 2);
  rs.SetFilter("IS_NULLABLE = -1");  // True read as a number, as ADO reads it
  EXPECT_EQ(rs.RecordCount(), 2);
  rs.SetFilter("ORDINAL_POSITION = '9'");
  EXPECT_EQ(Walk(rs, "COLUMN_NAME"), (std::vector<std::string>{"c"}));
}

TEST(RecordsetTest, BadFiltersAndUnknownFieldsThrowAndKeepTheFilter) {
  Recordset rs = Indexes();
  rs.SetFilter("UNIQUE=True");
  for (const char* bad :
       {"PRIMARY_KEY", "PRIMARY_KEY=", "=True", "(PRIMARY_KEY=True", "PRIMARY_KEY=True)",
        "TABLE_NAME='open", "PRIMARY_KEY=True and", "PRIMARY_KEY == True", "UNIQUE=1.5",
        "TABLE_NAME > Null", "UNIQUE like 1"}) {
    EXPECT_EQ(ErrorNumber([&] { rs.SetFilter(bad); }), 3001) << bad;
  }
  EXPECT_EQ(ErrorNumber([&] { rs.SetFilter("PRIMARY_KEY='maybe'"); }), 3001);
  EXPECT_EQ(ErrorNumber([&] { rs.SetFilter("NO_SUCH_FIELD=1"); }), 3265);
  EXPECT_EQ(rs.RecordCount(), 3);  // the filter it had
  EXPECT_EQ(ErrorNumber([&] { rs.Field("NO_SUCH_FIELD"); }), 3265);
  EXPECT_EQ(ErrorNumber([&] { rs.SetSort("NO_SUCH_FIELD"); }), 3265);
  EXPECT_EQ(ErrorNumber([&] { rs.SetSort("TABLE_NAME sideways"); }), 3001);
  EXPECT_EQ(ErrorNumber([&] { rs.Locate("NO_SUCH_FIELD", {T("x")}); }), 3265);
  EXPECT_EQ(ErrorNumber([&] { rs.Locate("TABLE_NAME;INDEX_NAME", {T("x")}); }), 3001);
}

TEST(RecordsetTest, SortsNumericallyStablyAndKeepsTheFilter) {
  Recordset rs({"TABLE_NAME", "COLUMN_NAME", "ORDINAL_POSITION"},
               {{T("t"), T("ten"), I(10)},
                {T("t"), T("two"), I(2)},
                {T("u"), T("one"), I(1)},
                {T("t"), T("nine"), I(9)},
                {T("t"), T("none"), Variant::Null()}});
  rs.SetSort("Ordinal_Position");
  EXPECT_EQ(Walk(rs, "COLUMN_NAME"),
            (std::vector<std::string>{"none", "one", "two", "nine", "ten"}));
  rs.SetFilter("TABLE_NAME='T'");
  EXPECT_EQ(Walk(rs, "COLUMN_NAME"), (std::vector<std::string>{"none", "two", "nine", "ten"}));
  rs.SetSort("[table_name] DESC, ordinal_position asc");
  EXPECT_EQ(Walk(rs, "COLUMN_NAME"), (std::vector<std::string>{"none", "two", "nine", "ten"}));
  rs.SetFilter("");
  EXPECT_EQ(Walk(rs, "COLUMN_NAME"),
            (std::vector<std::string>{"one", "none", "two", "nine", "ten"}));
  rs.SetSort("");
  EXPECT_EQ(Walk(rs, "COLUMN_NAME"),
            (std::vector<std::string>{"ten", "two", "one", "nine", "none"}));
}

TEST(RecordsetTest, LocatesByExactValuesAndWalksToEof) {
  Recordset rs({"TABLE_NAME", "COLUMN_NAME", "DATA_TYPE"}, {{T("Orders"), T("ID"), I(3)},
                                                            {T("Orders"), T("Name"), I(130)},
                                                            {T("orders"), T("name"), I(2)}});
  EXPECT_EQ(rs.RecordCount(), 3);
  EXPECT_EQ(rs.AbsolutePosition(), 1);
  ASSERT_TRUE(rs.Locate("TABLE_NAME;COLUMN_NAME", {T("orders"), T("name")}));
  EXPECT_EQ(rs.Field("data_type").AsInteger(), 2);  // exact: not the "Orders"/"Name" row
  EXPECT_EQ(rs.AbsolutePosition(), 3);
  EXPECT_FALSE(rs.Locate("TABLE_NAME;COLUMN_NAME", {T("ORDERS"), T("NAME")}));
  EXPECT_EQ(rs.AbsolutePosition(), 3);  // unchanged
  ASSERT_TRUE(rs.Locate("[TABLE_NAME] ; COLUMN_NAME", {T("Orders"), T("Name")}));
  EXPECT_EQ(rs.Field("DATA_TYPE").AsInteger(), 130);

  rs.MoveNext();
  rs.MoveNext();
  EXPECT_TRUE(rs.Eof());
  EXPECT_EQ(ErrorNumber([&] { rs.Field("DATA_TYPE"); }), 3021);
  EXPECT_EQ(ErrorNumber([&] { rs.MoveNext(); }), 3021);
  rs.MoveFirst();
  EXPECT_EQ(rs.Field("COLUMN_NAME").AsText(), "ID");

  Recordset empty({"A"}, {});
  EXPECT_TRUE(empty.Eof());
  EXPECT_EQ(empty.RecordCount(), 0);
  EXPECT_EQ(empty.FieldName(0), "A");
  EXPECT_EQ(ErrorNumber([&] { empty.FieldName(1); }), 3265);
}

}  // namespace
}  // namespace dbaccess::ado
