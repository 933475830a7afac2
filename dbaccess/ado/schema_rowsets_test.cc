#include "dbaccess/ado/schema_rowsets.h"

#include <gtest/gtest.h>

#include "dbaccess/base/jet_error.h"
#include "dbaccess/exec/executor.h"

namespace dbaccess {
namespace {

// A small shop: customers, orders with two-column lines, a Cyrillic table, a system table,
// a link, relationships with every rule, one without referential integrity, and queries of
// every kind.
Catalog Shop() {
  Catalog catalog;
  ChangeList changes;
  for (const char* sql : {
           "CREATE TABLE orders (OrderID LONG NOT NULL CONSTRAINT PrimaryKey PRIMARY KEY, "
           "CustomerID LONG, Amount CURRENCY DEFAULT 0, Created DATETIME NOT NULL DEFAULT "
           "Now(), Label TEXT(20) DEFAULT \"n/a\")",
           "CREATE TABLE Customers (ID COUNTER CONSTRAINT PrimaryKey PRIMARY KEY, Name TEXT(50), "
           "Note MEMO, Code TEXT(10) CONSTRAINT ux_code UNIQUE)",
           "CREATE TABLE Lines (OrderID LONG NOT NULL, LineNo SHORT NOT NULL, Qty DECIMAL(12, 3), "
           "Blob LONGBINARY, Flag BIT NOT NULL DEFAULT False)",
           "CREATE UNIQUE INDEX pk_lines ON Lines (OrderID, LineNo DESC) WITH PRIMARY",
           "CREATE TABLE Заказы (Код LONG NOT NULL CONSTRAINT Ключ PRIMARY KEY, Клиент TEXT(10))",
           "CREATE INDEX ix_created ON orders (Created)",
           "ALTER TABLE orders ADD CONSTRAINT CustomersOrders FOREIGN KEY (CustomerID) "
           "REFERENCES Customers (ID) ON UPDATE CASCADE ON DELETE SET NULL",
           "ALTER TABLE Lines ADD CONSTRAINT OrdersLines FOREIGN KEY (OrderID) "
           "REFERENCES orders (OrderID) ON DELETE CASCADE",
           "ALTER TABLE Заказы ADD CONSTRAINT ByCode FOREIGN KEY (Клиент) "
           "REFERENCES Customers (Code)",
       }) {
    ExecuteSql(catalog, sql, changes);
  }
  catalog.FindTable("orders")->FindColumn("Amount")->extra_properties["Description"] =
      "Sum of the lines";
  for (auto [name, kind] :
       {std::pair{"MSysObjects", TableKind::kSystem}, std::pair{"Remote", TableKind::kLinked}}) {
    Table table;
    table.name = name;
    table.kind = kind;
    table.columns.emplace_back().name = "Id";
    catalog.AddTable(std::move(table));
  }
  Relationship drawn;  // drawn in Access without referential integrity
  drawn.name = "Drawn";
  drawn.primary_table = "Customers";
  drawn.primary_columns = {"ID"};
  drawn.foreign_table = "Заказы";
  drawn.foreign_columns = {"Клиент"};
  drawn.enforced = false;
  catalog.relationships().push_back(drawn);
  for (auto [name, sql] : {
           std::pair{"Big orders", "SELECT * FROM orders WHERE Amount > 100;"},
           {"all names", "SELECT Name FROM Customers UNION SELECT Label FROM orders;"},
           {"By year", "PARAMETERS y Short;\r\nSELECT * FROM orders;"},
           {"Archive", "SELECT * INTO Old FROM orders;"},
           {"Purge", "DELETE FROM orders;"},
       }) {
    CreateQueryDef(catalog, name, sql, changes);
  }
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
  ASSERT_EQ(all.columns.size(), 29u);
  EXPECT_EQ(all.columns[3], "COLUMN_NAME");
  EXPECT_EQ(all.columns[6], "ORDINAL_POSITION");
  EXPECT_EQ(all.columns[11], "DATA_TYPE");
  EXPECT_EQ(all.columns[13], "CHARACTER_MAXIMUM_LENGTH");
  EXPECT_EQ(all.columns[27], "DESCRIPTION");
  EXPECT_EQ(all.columns[28], "AUTOINCREMENT");
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
  EXPECT_EQ(Column(customers, "AUTOINCREMENT"), (Strings{"True", "False", "False", "False"}));
  EXPECT_EQ(At(customers, 0, "DATA_TYPE"), Variant::Integer(3));  // an AutoNumber is a Long

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

  // A storage that does not keep the hidden index gets it all the same, once.
  Catalog bare = Shop();
  std::erase_if(bare.FindTable("orders")->indexes, [](const Index& i) { return i.foreign; });
  EXPECT_EQ(Column(IndexesRowset(
                       bare, {Variant(), Variant(), Variant(), Variant(), Variant::Text("orders")}),
                   "INDEX_NAME"),
            (Strings{"CustomersOrders", "ix_created", "PrimaryKey"}));
}

TEST(SchemaRowsetsTest, ForeignKeysListEnforcedRelationshipsWithRules) {
  Catalog catalog = Shop();
  Relationship pair;  // as a storage may hold it: SET DEFAULT, no hidden index kept
  pair.name = "Pair";
  pair.primary_table = "Lines";
  pair.primary_columns = {"OrderID", "LineNo"};
  pair.foreign_table = "Заказы";
  pair.foreign_columns = {"Код", "Клиент"};
  pair.update_rule = Rule::kSetDefault;
  catalog.relationships().push_back(pair);
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

// What a sink was given, in order: "columns" once per call, then one entry per row.
class RecordingSink final : public SchemaRowSink {
 public:
  void Columns(const std::vector<std::string>& names) override {
    calls.push_back("columns");
    rowset.columns = names;
  }
  void Row(std::vector<Variant>&& row) override {
    calls.push_back("row");
    rowset.rows.push_back(std::move(row));
  }
  std::vector<std::string> calls;
  SchemaRowset rowset;
};

TEST(SchemaRowsetsTest, StreamedRowsetsAreTheWholeOnesRowByRow) {
  const Catalog catalog = Shop();
  using Whole = SchemaRowset (*)(const Catalog&, const std::vector<Variant>&);
  using Streamed = void (*)(const Catalog&, const std::vector<Variant>&, SchemaRowSink&);
  const struct {
    Whole whole;
    Streamed streamed;
    size_t restrictions;  // how many the rowset takes
  } kRowsets[] = {{TablesRowset, TablesRowset, 4},
                  {ColumnsRowset, ColumnsRowset, 4},
                  {IndexesRowset, IndexesRowset, 5},
                  {ForeignKeysRowset, ForeignKeysRowset, 6}};
  const Variant orders = Variant::Text("ORDERS");
  for (const auto& rowset : kRowsets) {
    // Unrestricted, restricted to one table in each place a table may be named, and
    // restricted to nothing (a catalog).
    std::vector<std::vector<Variant>> cases = {{}, {Variant::Text("x")}};
    for (size_t at = 2; at < rowset.restrictions; ++at) {
      std::vector<Variant> restriction(at + 1);
      restriction[at] = orders;
      cases.push_back(restriction);
    }
    for (const std::vector<Variant>& restrictions : cases) {
      RecordingSink sink;
      rowset.streamed(catalog, restrictions, sink);
      const SchemaRowset whole = rowset.whole(catalog, restrictions);
      EXPECT_EQ(sink.rowset.columns, whole.columns);
      EXPECT_EQ(sink.rowset.rows, whole.rows);
      std::vector<std::string> expected = {"columns"};
      expected.resize(1 + whole.rows.size(), "row");
      EXPECT_EQ(sink.calls, expected);
    }
    // Too many restrictions: refused before the sink hears of the rowset at all.
    RecordingSink refused;
    EXPECT_THROW(rowset.streamed(catalog, std::vector<Variant>(rowset.restrictions + 1), refused),
                 JetError);
    EXPECT_TRUE(refused.calls.empty());
  }
}

}  // namespace
}  // namespace dbaccess
