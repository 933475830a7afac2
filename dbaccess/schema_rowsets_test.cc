#include "dbaccess/schema_rowsets.h"

#include <gtest/gtest.h>

#include "dbaccess/jet_error.h"

namespace dbaccess {
namespace {

Column Col(std::string name, DataType type, int size = 0, bool required = false,
           std::optional<std::string> default_value = std::nullopt) {
  Column c;
  c.name = std::move(name);
  c.type = type;
  c.size = size;
  c.required = required;
  c.default_value = std::move(default_value);
  return c;
}

Index Idx(std::string name, std::vector<std::string> columns, bool primary, bool unique) {
  Index index;
  index.name = std::move(name);
  for (auto& c : columns) index.columns.push_back({std::move(c), false});
  index.primary = primary;
  index.unique = unique || primary;
  index.required = primary;
  return index;
}

Relationship Rel(std::string name, std::string pk_table, std::vector<std::string> pk_columns,
                 std::string fk_table, std::vector<std::string> fk_columns,
                 Rule update = Rule::kNoAction, Rule del = Rule::kNoAction, bool enforced = true) {
  Relationship r;
  r.name = std::move(name);
  r.primary_table = std::move(pk_table);
  r.primary_columns = std::move(pk_columns);
  r.foreign_table = std::move(fk_table);
  r.foreign_columns = std::move(fk_columns);
  r.update_rule = update;
  r.delete_rule = del;
  r.enforced = enforced;
  return r;
}

Table Tbl(std::string name, TableKind kind = TableKind::kUser) {
  Table table;
  table.name = std::move(name);
  table.kind = kind;
  return table;
}

// A small shop: customers, orders with two-column lines, a Cyrillic table, a system table,
// a link, and queries of every kind.
Catalog Shop() {
  Catalog catalog;
  Table customers = Tbl("Customers");
  customers.columns = {Col("ID", DataType::kLong, 0, true), Col("Name", DataType::kText, 50),
                       Col("Note", DataType::kMemo), Col("Code", DataType::kText, 10)};
  customers.columns[0].auto_increment = true;
  customers.indexes = {Idx("PrimaryKey", {"ID"}, true, false),
                       Idx("ux_code", {"Code"}, false, true)};
  Table orders = Tbl("orders");
  orders.columns = {Col("OrderID", DataType::kLong, 0, true), Col("CustomerID", DataType::kLong),
                    Col("Amount", DataType::kCurrency, 0, false, "0"),
                    Col("Created", DataType::kDateTime, 0, true, "Now()"),
                    Col("Label", DataType::kText, 20, false, "\"n/a\"")};
  orders.columns[2].extra_properties["Description"] = "Sum of the lines";
  orders.indexes = {Idx("PrimaryKey", {"OrderID"}, true, false),
                    Idx("ix_created", {"Created"}, false, false)};
  Table lines = Tbl("Lines");
  lines.columns = {Col("OrderID", DataType::kLong, 0, true),
                   Col("LineNo", DataType::kShort, 0, true), Col("Qty", DataType::kDecimal),
                   Col("Blob", DataType::kLongBinary),
                   Col("Flag", DataType::kBit, 0, true, "False")};
  lines.columns[2].precision = 12;
  lines.columns[2].scale = 3;
  lines.indexes = {Idx("pk_lines", {"OrderID", "LineNo"}, true, false)};
  lines.indexes[0].columns[1].descending = true;
  Table zakazy = Tbl("Заказы");
  zakazy.columns = {Col("Код", DataType::kLong, 0, true), Col("Клиент", DataType::kLong)};
  zakazy.indexes = {Idx("Ключ", {"Код"}, true, false)};
  Table system = Tbl("MSysObjects", TableKind::kSystem);
  system.columns = {Col("Id", DataType::kLong, 0, true)};
  Table link = Tbl("Remote", TableKind::kLinked);
  link.columns = {Col("X", DataType::kByte)};

  for (Table* t : {&orders, &customers, &lines, &zakazy, &system, &link}) {
    catalog.AddTable(std::move(*t));
  }
  catalog.relationships() = {
      Rel("CustomersOrders", "Customers", {"ID"}, "orders", {"CustomerID"}, Rule::kCascade,
          Rule::kSetNull),
      Rel("OrdersLines", "orders", {"OrderID"}, "Lines", {"OrderID"}, Rule::kNoAction,
          Rule::kCascade),
      Rel("Drawn", "Customers", {"ID"}, "Заказы", {"Клиент"}, Rule::kNoAction, Rule::kNoAction,
          false),
      Rel("ByCode", "Customers", {"Code"}, "Заказы", {"Клиент"}),
  };
  catalog.AddQuery({"Big orders", "SELECT * FROM orders WHERE Amount > 100;"});
  catalog.AddQuery({"all names", "SELECT Name FROM Customers UNION SELECT Label FROM orders;"});
  catalog.AddQuery({"By year", "PARAMETERS y Short;\r\nSELECT * FROM orders;"});
  catalog.AddQuery({"Archive", "SELECT * INTO Old FROM orders;"});
  catalog.AddQuery({"Purge", "DELETE FROM orders;"});
  return catalog;
}

// The rowset's value of `column` in row `row`.
const Variant& At(const SchemaRowset& rs, size_t row, const std::string& column) {
  for (size_t i = 0; i < rs.columns.size(); ++i) {
    if (rs.columns[i] == column) return rs.rows.at(row).at(i);
  }
  throw std::out_of_range(column);
}

std::vector<std::string> Column(const SchemaRowset& rs, const std::string& column) {
  std::vector<std::string> out;
  for (size_t r = 0; r < rs.rows.size(); ++r) out.push_back(At(rs, r, column).DisplayText());
  return out;
}

using Strings = std::vector<std::string>;

TEST(SchemaRowsetsTest, TablesListTablesByKindAndViewsNotProcedures) {
  const Catalog catalog = Shop();
  const SchemaRowset rs = TablesRowset(catalog);
  EXPECT_EQ(rs.columns,
            (Strings{"TABLE_CATALOG", "TABLE_SCHEMA", "TABLE_NAME", "TABLE_TYPE", "TABLE_GUID",
                     "DESCRIPTION", "TABLE_PROPID", "DATE_CREATED", "DATE_MODIFIED"}));
  EXPECT_EQ(Column(rs, "TABLE_NAME"), (Strings{"Remote", "MSysObjects", "Customers", "Lines",
                                               "orders", "Заказы", "all names", "Big orders"}));
  EXPECT_EQ(Column(rs, "TABLE_TYPE"),
            (Strings{"LINK", "SYSTEM TABLE", "TABLE", "TABLE", "TABLE", "TABLE", "VIEW", "VIEW"}));
  EXPECT_TRUE(At(rs, 0, "TABLE_CATALOG").IsNull());
  EXPECT_TRUE(At(rs, 0, "DATE_CREATED").IsNull());

  EXPECT_EQ(
      Column(TablesRowset(catalog, {Variant(), Variant(), Variant::Text("ORDERS")}), "TABLE_NAME"),
      (Strings{"orders"}));
  EXPECT_EQ(Column(TablesRowset(catalog, {Variant::Null(), Variant::Text(""), Variant(),
                                          Variant::Text("view")}),
                   "TABLE_NAME"),
            (Strings{"all names", "Big orders"}));
  EXPECT_EQ(
      Column(TablesRowset(catalog, {Variant(), Variant(), Variant::Text("заказы")}), "TABLE_NAME"),
      (Strings{"Заказы"}));
  EXPECT_TRUE(TablesRowset(catalog, {Variant::Text("somecatalog")}).rows.empty());
  EXPECT_TRUE(TablesRowset(Catalog()).rows.empty());
  EXPECT_THROW(TablesRowset(catalog, std::vector<Variant>(5)), JetError);
}

TEST(SchemaRowsetsTest, ColumnsCarryTypeCodesLengthsNullabilityAndDefaults) {
  const Catalog catalog = Shop();
  const SchemaRowset all = ColumnsRowset(catalog);
  ASSERT_EQ(all.columns.size(), 28u);
  EXPECT_EQ(all.columns[3], "COLUMN_NAME");
  EXPECT_EQ(all.columns[6], "ORDINAL_POSITION");
  EXPECT_EQ(all.columns[11], "DATA_TYPE");
  EXPECT_EQ(all.columns[13], "CHARACTER_MAXIMUM_LENGTH");
  EXPECT_EQ(all.columns[27], "DESCRIPTION");
  // Tables by name, then ordinal position; system and linked tables too.
  EXPECT_EQ(Column(all, "TABLE_NAME"),
            (Strings{"Customers", "Customers", "Customers", "Customers", "Lines", "Lines", "Lines",
                     "Lines", "Lines", "MSysObjects", "orders", "orders", "orders", "orders",
                     "orders", "Remote", "Заказы", "Заказы"}));

  const SchemaRowset rs = ColumnsRowset(catalog, {Variant(), Variant(), Variant::Text("ORDERS")});
  EXPECT_EQ(Column(rs, "COLUMN_NAME"),
            (Strings{"OrderID", "CustomerID", "Amount", "Created", "Label"}));
  EXPECT_EQ(Column(rs, "ORDINAL_POSITION"), (Strings{"1", "2", "3", "4", "5"}));
  EXPECT_EQ(Column(rs, "DATA_TYPE"), (Strings{"3", "3", "6", "7", "130"}));
  EXPECT_EQ(Column(rs, "IS_NULLABLE"), (Strings{"False", "True", "True", "False", "True"}));
  EXPECT_EQ(Column(rs, "COLUMN_HASDEFAULT"), (Strings{"False", "False", "True", "True", "True"}));
  EXPECT_TRUE(At(rs, 0, "COLUMN_DEFAULT").IsNull());  // null, not ""
  EXPECT_EQ(At(rs, 2, "COLUMN_DEFAULT"), Variant::Text("0"));
  EXPECT_EQ(At(rs, 3, "COLUMN_DEFAULT"), Variant::Text("Now()"));
  EXPECT_EQ(At(rs, 4, "COLUMN_DEFAULT"), Variant::Text("\"n/a\""));
  EXPECT_EQ(At(rs, 4, "CHARACTER_MAXIMUM_LENGTH"), Variant::Integer(20));
  EXPECT_EQ(At(rs, 4, "CHARACTER_OCTET_LENGTH"), Variant::Integer(40));
  EXPECT_TRUE(At(rs, 0, "CHARACTER_MAXIMUM_LENGTH").IsNull());
  EXPECT_EQ(At(rs, 0, "NUMERIC_PRECISION"), Variant::Integer(10));
  EXPECT_EQ(At(rs, 3, "DATETIME_PRECISION"), Variant::Integer(0));
  EXPECT_EQ(At(rs, 2, "DESCRIPTION"), Variant::Text("Sum of the lines"));
  EXPECT_TRUE(At(rs, 0, "DESCRIPTION").IsNull());
  EXPECT_TRUE(At(rs, 0, "COLUMN_GUID").IsNull());
  // Required long: fixed length, not nullable; nullable text: nullable, not fixed.
  EXPECT_EQ(At(rs, 0, "COLUMN_FLAGS"), Variant::Integer(0x5A));
  EXPECT_EQ(At(rs, 4, "COLUMN_FLAGS"), Variant::Integer(0x6A));

  const SchemaRowset customers =
      ColumnsRowset(catalog, {Variant(), Variant(), Variant::Text("customers")});
  EXPECT_EQ(At(customers, 2, "DATA_TYPE"), Variant::Integer(130));  // Memo
  EXPECT_EQ(At(customers, 2, "CHARACTER_MAXIMUM_LENGTH"), Variant::Integer(0));
  EXPECT_EQ(At(customers, 2, "COLUMN_FLAGS").AsInteger() & kColumnFlagIsLong, kColumnFlagIsLong);
  EXPECT_EQ(At(customers, 1, "COLUMN_FLAGS").AsInteger() & kColumnFlagIsLong, 0);

  const SchemaRowset lines = ColumnsRowset(catalog, {Variant(), Variant(), Variant::Text("Lines")});
  EXPECT_EQ(Column(lines, "DATA_TYPE"), (Strings{"3", "2", "131", "128", "11"}));
  EXPECT_EQ(At(lines, 2, "NUMERIC_PRECISION"), Variant::Integer(12));
  EXPECT_EQ(At(lines, 2, "NUMERIC_SCALE"), Variant::Integer(3));
  EXPECT_TRUE(At(lines, 1, "NUMERIC_SCALE").IsNull());
  EXPECT_EQ(At(lines, 3, "COLUMN_FLAGS").AsInteger() & kColumnFlagIsLong, kColumnFlagIsLong);
  EXPECT_EQ(At(lines, 4, "COLUMN_DEFAULT"), Variant::Text("False"));

  // Restrictions by table and column, matched like Jet names (Cyrillic folded too).
  const SchemaRowset one = ColumnsRowset(
      catalog, {Variant(), Variant(), Variant::Text("заказы"), Variant::Text("КЛИЕНТ")});
  ASSERT_EQ(one.rows.size(), 1u);
  EXPECT_EQ(At(one, 0, "COLUMN_NAME"), Variant::Text("Клиент"));
  EXPECT_EQ(At(one, 0, "ORDINAL_POSITION"), Variant::Integer(2));
  EXPECT_EQ(ColumnsRowset(catalog, {Variant(), Variant(), Variant(), Variant::Text("orderid")})
                .rows.size(),
            2u);
  EXPECT_TRUE(ColumnsRowset(catalog, {Variant(), Variant(), Variant::Text("Nope")}).rows.empty());
}

TEST(SchemaRowsetsTest, IndexesIncludeHiddenRelationshipIndexes) {
  const Catalog catalog = Shop();
  const SchemaRowset all = IndexesRowset(catalog);
  ASSERT_EQ(all.columns.size(), 25u);
  EXPECT_EQ(all.columns[5], "INDEX_NAME");
  EXPECT_EQ(all.columns[16], "ORDINAL_POSITION");
  EXPECT_EQ(all.columns[17], "COLUMN_NAME");
  EXPECT_EQ(Column(all, "TABLE_NAME"), (Strings{"Customers", "Customers", "Lines", "Lines", "Lines",
                                                "orders", "orders", "orders", "Заказы", "Заказы"}));
  EXPECT_EQ(Column(all, "INDEX_NAME"),
            (Strings{"PrimaryKey", "ux_code", "OrdersLines", "pk_lines", "pk_lines",
                     "CustomersOrders", "ix_created", "PrimaryKey", "ByCode", "Ключ"}));
  EXPECT_EQ(Column(all, "PRIMARY_KEY"), (Strings{"True", "False", "False", "True", "True", "False",
                                                 "False", "True", "False", "True"}));
  EXPECT_EQ(Column(all, "UNIQUE"), (Strings{"True", "True", "False", "True", "True", "False",
                                            "False", "True", "False", "True"}));
  EXPECT_EQ(Column(all, "COLUMN_NAME"),
            (Strings{"ID", "Code", "OrderID", "OrderID", "LineNo", "CustomerID", "Created",
                     "OrderID", "Клиент", "Код"}));
  EXPECT_EQ(Column(all, "ORDINAL_POSITION"),
            (Strings{"1", "1", "1", "1", "2", "1", "1", "1", "1", "1"}));
  EXPECT_EQ(At(all, 4, "COLLATION"), Variant::Integer(kCollationDescending));
  EXPECT_EQ(At(all, 0, "NULLS"), Variant::Integer(kIndexNullsDisallow));
  EXPECT_EQ(At(all, 1, "NULLS"), Variant::Integer(kIndexNullsAllow));
  EXPECT_EQ(At(all, 0, "TYPE"), Variant::Integer(kIndexTypeBtree));
  EXPECT_EQ(At(all, 0, "CLUSTERED"), Variant::Boolean(false));

  // The comparisons' call: four empty restrictions, then the table name.
  const SchemaRowset orders =
      IndexesRowset(catalog, {Variant(), Variant(), Variant(), Variant(), Variant::Text("ORDERS")});
  EXPECT_EQ(Column(orders, "INDEX_NAME"), (Strings{"CustomersOrders", "ix_created", "PrimaryKey"}));
  EXPECT_EQ(Column(IndexesRowset(catalog, {Variant(), Variant(), Variant::Text("primarykey")}),
                   "TABLE_NAME"),
            (Strings{"Customers", "orders"}));
  EXPECT_EQ(
      IndexesRowset(catalog, {Variant(), Variant(), Variant(), Variant::Integer(1)}).rows.size(),
      10u);
  EXPECT_TRUE(
      IndexesRowset(catalog, {Variant(), Variant(), Variant(), Variant::Integer(2)}).rows.empty());

  // A storage that keeps the hidden index itself gets no second one.
  Catalog kept = Shop();
  Index hidden = Idx("CustomersOrders", {"CustomerID"}, false, false);
  hidden.foreign = true;
  kept.FindTable("orders")->indexes.push_back(hidden);
  EXPECT_EQ(
      IndexesRowset(kept, {Variant(), Variant(), Variant(), Variant(), Variant::Text("orders")})
          .rows.size(),
      3u);
}

TEST(SchemaRowsetsTest, ForeignKeysListEnforcedRelationshipsWithRules) {
  Catalog catalog = Shop();
  catalog.relationships().push_back(Rel("Pair", "Lines", {"OrderID", "LineNo"}, "Заказы",
                                        {"Код", "Клиент"}, Rule::kSetDefault, Rule::kNoAction));
  const SchemaRowset rs = ForeignKeysRowset(catalog);
  ASSERT_EQ(rs.columns.size(), 18u);
  EXPECT_EQ(rs.columns[2], "PK_TABLE_NAME");
  EXPECT_EQ(rs.columns[16], "FK_NAME");
  EXPECT_EQ(rs.columns[17], "DEFERRABILITY");
  // By foreign table, then primary table, then name; "Drawn" is not enforced.
  EXPECT_EQ(Column(rs, "FK_NAME"),
            (Strings{"OrdersLines", "CustomersOrders", "ByCode", "Pair", "Pair"}));
  EXPECT_EQ(Column(rs, "FK_TABLE_NAME"),
            (Strings{"Lines", "orders", "Заказы", "Заказы", "Заказы"}));
  EXPECT_EQ(Column(rs, "FK_COLUMN_NAME"),
            (Strings{"OrderID", "CustomerID", "Клиент", "Код", "Клиент"}));
  EXPECT_EQ(Column(rs, "PK_COLUMN_NAME"), (Strings{"OrderID", "ID", "Code", "OrderID", "LineNo"}));
  EXPECT_EQ(Column(rs, "ORDINAL"), (Strings{"1", "1", "1", "1", "2"}));
  EXPECT_EQ(Column(rs, "UPDATE_RULE"),
            (Strings{"NO ACTION", "CASCADE", "NO ACTION", "SET DEFAULT", "SET DEFAULT"}));
  EXPECT_EQ(Column(rs, "DELETE_RULE"),
            (Strings{"CASCADE", "SET NULL", "NO ACTION", "NO ACTION", "NO ACTION"}));
  EXPECT_EQ(Column(rs, "PK_NAME"),
            (Strings{"PrimaryKey", "PrimaryKey", "ux_code", "pk_lines", "pk_lines"}));
  EXPECT_EQ(At(rs, 0, "DEFERRABILITY"), Variant::Integer(kNotDeferrable));

  const std::vector<Variant> by_pk = {Variant(), Variant(), Variant::Text("CUSTOMERS")};
  EXPECT_EQ(Column(ForeignKeysRowset(catalog, by_pk), "FK_NAME"),
            (Strings{"CustomersOrders", "ByCode"}));
  const std::vector<Variant> by_fk = {Variant(), Variant(), Variant(),
                                      Variant(), Variant(), Variant::Text("заказы")};
  EXPECT_EQ(ForeignKeysRowset(catalog, by_fk).rows.size(), 3u);
  EXPECT_THROW(ForeignKeysRowset(catalog, std::vector<Variant>(7)), JetError);
}

}  // namespace
}  // namespace dbaccess
