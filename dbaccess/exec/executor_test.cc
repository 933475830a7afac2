#include "dbaccess/exec/executor.h"

#include <gtest/gtest.h>

#include "dbaccess/exec/executor_testing.h"

namespace dbaccess {
namespace {

using testing::CatchJetError;
using testing::Database;
using testing::Exec;
using testing::Refusal;

const Table& T(const Catalog& c, std::string_view name) {
  const Table* t = c.FindTable(name);
  if (t == nullptr) throw std::logic_error("no table " + std::string(name));
  return *t;
}

// Customers 1..3, Orders referring to them, as most cases below start.
Catalog Shop() {
  return Database({
      "CREATE TABLE Customers ([ID] COUNTER CONSTRAINT PrimaryKey PRIMARY KEY, "
      "[Name] Text(50) NOT NULL, [City] Text(30))",
      "CREATE TABLE Orders ([No] Long CONSTRAINT pk PRIMARY KEY, [Customer] Long, "
      "[Qty] Short DEFAULT 1, [Price] Currency)",
      "INSERT INTO Customers (Name, City) VALUES ('Ann', 'Oslo')",
      "INSERT INTO Customers (Name, City) VALUES ('Bob', Null)",
      "INSERT INTO Customers (Name) VALUES ('Cy')",
      "INSERT INTO Orders VALUES (1, 1, 2, 9.5)",
      "INSERT INTO Orders (No, Customer) VALUES (2, 3)",
      "ALTER TABLE [Orders] ADD CONSTRAINT [CustomersOrders] FOREIGN KEY ([Customer]) "
      "REFERENCES [Customers] ([ID]) ON UPDATE CASCADE ON DELETE NO ACTION",
  });
}

TEST(ExecutorTest, CreatesTablesWithColumnsIndexesAndRelationships) {
  const Catalog c = Shop();
  const Table& customers = T(c, "customers");
  ASSERT_EQ(customers.columns.size(), 3u);
  EXPECT_TRUE(customers.columns[0].auto_increment);
  EXPECT_EQ(customers.columns[0].type, DataType::kLong);
  EXPECT_TRUE(customers.columns[1].required);
  EXPECT_EQ(customers.columns[1].size, 50);
  ASSERT_EQ(customers.rows.size(), 3u);
  EXPECT_EQ(customers.rows[2][0], Cell(int64_t{3}));  // AutoNumbers count on
  EXPECT_TRUE(IsNull(customers.rows[2][2]));
  ASSERT_NE(customers.PrimaryKey(), nullptr);
  EXPECT_EQ(customers.PrimaryKey()->name, "PrimaryKey");
  EXPECT_TRUE(customers.PrimaryKey()->required);

  const Table& orders = T(c, "Orders");
  EXPECT_EQ(orders.columns[2].default_value, "1");
  EXPECT_EQ(orders.rows[1][2], Cell(int64_t{1}));      // the DEFAULT of a left-out field
  EXPECT_EQ(orders.rows[0][3], Cell(int64_t{95000}));  // Currency in ten-thousandths
  ASSERT_EQ(c.relationships().size(), 1u);
  const Relationship& r = c.relationships()[0];
  EXPECT_EQ(r.primary_table, "Customers");
  EXPECT_EQ(r.foreign_columns, std::vector<std::string>{"Customer"});
  EXPECT_EQ(r.update_rule, Rule::kCascade);
  // The relationship's hidden index on the foreign table, after the table's own.
  ASSERT_EQ(orders.indexes.size(), 2u);
  EXPECT_EQ(orders.indexes[1].name, "CustomersOrders");
  EXPECT_TRUE(orders.indexes[1].foreign);
  EXPECT_FALSE(orders.indexes[1].unique);
}

TEST(ExecutorTest, ReportsTypedChanges) {
  Catalog c = Shop();
  ChangeList changes;
  ExecuteSql(c, "ALTER TABLE Orders ADD Note Text(10) CONSTRAINT u UNIQUE", changes);
  ExecuteSql(c, "CREATE INDEX ix ON Orders (Qty)", changes);
  ExecuteSql(c, "ALTER TABLE Orders DROP CONSTRAINT CustomersOrders", changes);
  SetColumnRequired(c, "Orders", "Qty", true, changes);
  ASSERT_EQ(changes.size(), 5u);
  EXPECT_EQ(std::get<change::AddColumn>(changes[0]).column, "Note");
  EXPECT_EQ(std::get<change::AddIndex>(changes[1]).index, "u");
  EXPECT_EQ(std::get<change::AddIndex>(changes[2]).index, "ix");
  EXPECT_EQ(std::get<change::DropRelationship>(changes[3]).name, "CustomersOrders");
  EXPECT_TRUE(std::get<change::SetRequired>(changes[4]).required);
  // The hidden index went with the relationship; the new index stands before none.
  EXPECT_EQ(T(c, "Orders").indexes.size(), 3u);
  EXPECT_EQ(T(c, "Orders").indexes.back().name, "ix");
}

TEST(ExecutorTest, NamesAreCaseInsensitiveCyrillicIncluded) {
  Catalog c = Database({
      "CREATE TABLE Заказы (Код Long, Сумма Currency)",
      "CREATE UNIQUE INDEX ключ ON ЗАКАЗЫ (КОД)",
      "INSERT INTO заказы (код, СУММА) VALUES (1, 2)",
      "ALTER TABLE [ЗАКАЗЫ] DROP CONSTRAINT [КЛЮЧ]",
      "ALTER TABLE заказы ADD Примечание Memo",
  });
  const Table& t = T(c, "ЗАКАЗЫ");
  EXPECT_EQ(t.name, "Заказы");  // names keep the letters they were made with
  EXPECT_EQ(t.columns[2].name, "Примечание");
  EXPECT_TRUE(t.indexes.empty());
  EXPECT_EQ(Refusal(c, "CREATE TABLE ЗаКаЗы (x Long)").number, 3010);
  EXPECT_EQ(Refusal(c, "ALTER TABLE Заказы ADD КОД Long").text,
            "Field 'КОД' already exists in table 'Заказы'.");
}

TEST(ExecutorTest, RefusesWithJetsNumbersAndTextsChangingNothing) {
  struct Case {
    std::string sql;
    int number;
    const char* text;  // nullptr: only the number is checked
  };
  const Case cases[] = {
      // Tables and the shared namespace of tables and queries.
      {"CREATE TABLE Orders (x Long)", 3010, "Table 'Orders' already exists."},
      {"CREATE TABLE [All] (x Long)", 3010, "Table 'All' already exists."},
      {"CREATE TABLE N (a Long, A Text(5))", 3191, "Cannot define field more than once."},
      {"DROP TABLE Nowhere", 3376, "Table 'Nowhere' does not exist."},
      {"ALTER TABLE Nowhere ADD x Long", 3376, "Table 'Nowhere' does not exist."},
      {"CREATE INDEX i ON Nowhere (x)", 3376, nullptr},
      {"INSERT INTO Nowhere VALUES (1)", 3078,
       "The Microsoft Jet database engine cannot find the input table or query 'Nowhere'.  "
       "Make sure it exists and that its name is spelled correctly."},
      {"CREATE TABLE [A.B] (x Long)", 3125,
       "'A.B' is not a valid name. Make sure that it does not include invalid characters or "
       "punctuation and that it is not too long."},
      {"CREATE TABLE [ lead] (x Long)", 3125, nullptr},
      {"CREATE TABLE N ([a!b] Long)", 3125, nullptr},
      // Fields.
      {"ALTER TABLE Orders ADD [qty] Long", 3380, "Field 'qty' already exists in table 'Orders'."},
      {"ALTER TABLE Orders DROP COLUMN Nothing", 3265, "Item not found in this collection."},
      {"ALTER TABLE Orders ALTER COLUMN Nothing Long", 3265, nullptr},
      {"ALTER TABLE Orders DROP COLUMN No", 3280,
       "Cannot delete a field that is part of an index or is needed by the system."},
      {"ALTER TABLE Orders DROP COLUMN Customer", 3383,
       "Cannot delete field 'Customer'. It is part of one or more relationships."},
      {"ALTER TABLE Customers DROP COLUMN id", 3383,
       "Cannot delete field 'ID'. It is part of one or more relationships."},
      {"ALTER TABLE Orders ALTER COLUMN Customer Text(10)", 3720,
       "Cannot change field 'Customer'. It is part of one or more relationships."},
      {"ALTER TABLE Orders ADD Extra Long NOT NULL", 3314,
       "The field 'Orders.Extra' cannot contain a Null value because the Required property "
       "for this field is set to True. Enter a value in this field."},
      // Indexes and constraints.
      {"ALTER TABLE Orders ADD CONSTRAINT pk2 PRIMARY KEY (Qty)", 3283,
       "Primary key already exists."},
      {"CREATE INDEX p ON Orders (Qty) WITH PRIMARY", 3283, nullptr},
      {"CREATE INDEX [PK] ON Orders (Qty)", 3375,
       "Table 'Orders' already has an index named 'PK'."},
      {"CREATE INDEX i ON Orders (Nothing)", 3409,
       "Invalid field name 'Nothing' in definition of index or relationship."},
      {"CREATE INDEX i ON Orders (Qty, qty)", 3191, nullptr},
      // Jet indexes no OLE Object field, made so or altered into one.
      {"CREATE TABLE N (a Long, p LongBinary CONSTRAINT u UNIQUE)", 3409,
       "Invalid field name 'p' in definition of index or relationship."},
      {"ALTER TABLE Orders ALTER COLUMN No LongBinary", 3409, nullptr},
      {"CREATE INDEX i ON Orders (No,Customer,Qty,Price,No,No,No,No,No,No,No)", 3277, nullptr},
      {"ALTER TABLE Orders DROP CONSTRAINT Nothing", 3371, "Cannot find table or constraint."},
      {"DROP INDEX Nothing ON Orders", 3371, nullptr},
      {"DROP INDEX PrimaryKey ON Customers", 3281,
       "Cannot delete this index or table.  It is either the current index or is used in a "
       "relationship."},
      {"ALTER TABLE Customers DROP CONSTRAINT PrimaryKey", 3281, nullptr},
      {"DROP INDEX CustomersOrders ON Orders", 3281, nullptr},
      {"DROP TABLE Customers", 3281, nullptr},
      {"DROP TABLE Orders", 3281, nullptr},
      {"ALTER TABLE Customers DROP CONSTRAINT CustomersOrders", 3377,
       "No such relationship 'CustomersOrders' on table 'Customers'."},
      // Relationships.
      {"ALTER TABLE Orders ADD CONSTRAINT CustomersOrders FOREIGN KEY (Qty) REFERENCES Customers",
       3378, "There is already a relationship named 'CustomersOrders' in the current database."},
      {"ALTER TABLE Orders ADD CONSTRAINT r FOREIGN KEY (Customer) REFERENCES Nowhere", 3376,
       nullptr},
      {"ALTER TABLE Orders ADD CONSTRAINT r FOREIGN KEY (Customer) REFERENCES Customers (Name)",
       3368, "Relationship must be on the same number of fields with the same data types."},
      {"ALTER TABLE Orders ADD CONSTRAINT r FOREIGN KEY (Customer, Qty) REFERENCES Customers", 3368,
       nullptr},
      {"ALTER TABLE Orders ADD CONSTRAINT r FOREIGN KEY (Customer) REFERENCES Customers (Nothing)",
       3409, nullptr},
      {"ALTER TABLE Customers ADD CONSTRAINT r FOREIGN KEY (City) REFERENCES Customers (Name)",
       3609, "No unique index found for the referenced field of the primary table."},
      {"ALTER TABLE Customers ADD CONSTRAINT r FOREIGN KEY (ID) REFERENCES [All Orders]", 3376,
       nullptr},
      {"ALTER TABLE Orders ADD CONSTRAINT r FOREIGN KEY (Qty) REFERENCES Customers (ID)", 3368,
       nullptr},
      {"ALTER TABLE Orders ADD CONSTRAINT pk FOREIGN KEY (No) REFERENCES Customers", 3375, nullptr},
      {"CREATE TABLE N (a Long REFERENCES NoKey)", 3373,
       "Cannot create relationship. Referenced table 'NoKey' does not have a primary key."},
      // Data.
      {"INSERT INTO Customers (Name) VALUES (Null)", 3314, nullptr},
      {"INSERT INTO Customers (ID, Name) VALUES (1, 'Dup')", 3022,
       "The changes you requested to the table were not successful because they would create "
       "duplicate values in the index, primary key, or relationship."},
      {"INSERT INTO Orders (No, Customer) VALUES (Null, 1)", 3058,
       "Index or primary key cannot contain a Null value."},
      {"INSERT INTO Orders (No, Customer) VALUES (9, 99)", 3201,
       "You cannot add or change a record because a related record is required in table "
       "'Customers'."},
      {"INSERT INTO Orders (No, Qty) VALUES (9, 'many')", 3464,
       "Data type mismatch in criteria expression."},
      {"INSERT INTO Orders (No, Qty) VALUES (9, 40000)", 3349, "Numeric field overflow."},
      {"INSERT INTO Customers (Name) VALUES ('" + std::string(51, 'x') + "')", 3163,
       "The field is too small to accept the amount of data you attempted to add.  Try "
       "inserting or pasting less data."},
      {"INSERT INTO Orders (No, Nothing) VALUES (9, 1)", 3127,
       "The INSERT INTO statement contains the following unknown field name: 'Nothing'.  Make "
       "sure you have typed the name correctly, and try the operation again."},
      {"INSERT INTO Orders (No, no) VALUES (9, 1)", 3063, nullptr},
      {"INSERT INTO Orders (No) VALUES (9, 1)", 3346,
       "Number of query values and destination fields are not the same."},
      {"INSERT INTO Orders VALUES (9)", 3346, nullptr},
      {"INSERT INTO Orders (No) VALUES (Foo(1))", 3085, "Undefined function 'Foo' in expression."},
      {"INSERT INTO Orders (No) VALUES (Qty)", 3061, "Too few parameters. Expected 1."},
      {"CREATE UNIQUE INDEX u ON Customers (City, Name) WITH DISALLOW NULL", 3058, nullptr},
  };
  Catalog c = Shop();
  Exec(c, {"CREATE TABLE NoKey (k Long)"});
  ChangeList changes;
  CreateQueryDef(c, "All", "SELECT * FROM Customers", changes);
  for (const Case& k : cases) {
    const testing::Caught caught = Refusal(c, k.sql);
    EXPECT_EQ(caught.number, k.number) << k.sql << "\n  -> " << caught.text;
    if (k.text != nullptr) {
      EXPECT_EQ(caught.text, k.text) << k.sql;
    }
  }
}

TEST(ExecutorTest, LimitsOfFieldsAndIndexes) {
  std::string create = "CREATE TABLE Wide (";
  for (int i = 0; i < 255; ++i) create += (i ? ", c" : "c") + std::to_string(i) + " Long";
  Catalog c = Database({create + ")"});
  EXPECT_EQ(Refusal(c, "ALTER TABLE Wide ADD extra Long").text, "Too many fields defined.");
  EXPECT_EQ(Refusal(c, create.replace(13, 4, "Wid2") + ", c255 Long)").number, 3190);
  for (int i = 0; i < 32; ++i)
    Exec(c, {"CREATE INDEX i" + std::to_string(i) + " ON Wide (c" + std::to_string(i) + ")"});
  EXPECT_EQ(Refusal(c, "CREATE INDEX more ON Wide (c40)").text,
            "Could not create index; too many indexes already defined.");
}

TEST(ExecutorTest, UniqueIndexesMeetExistingRows) {
  Catalog c = Database({
      "CREATE TABLE People (Name Text(20), Town Text(20), Age Long)",
      "INSERT INTO People VALUES ('ann', 'Oslo', 30)",
      "INSERT INTO People VALUES ('ANN', Null, 31)",
      "INSERT INTO People VALUES ('Bob', Null, Null)",
  });
  // Text keys compare without regard to case.
  EXPECT_EQ(Refusal(c, "CREATE UNIQUE INDEX u ON People (Name)").number, 3022);
  // Several nulls may stand in a unique index, not in a primary key.
  Exec(c, {"CREATE UNIQUE INDEX u ON People (Town)"});
  Exec(c, {"CREATE UNIQUE INDEX ua ON People (Name, Town)"});
  EXPECT_EQ(Refusal(c, "ALTER TABLE People ADD CONSTRAINT pk PRIMARY KEY (Town)").number, 3058);
  EXPECT_EQ(Refusal(c, "CREATE INDEX a ON People (Age) WITH DISALLOW NULL").number, 3058);
  Exec(c, {"CREATE INDEX a ON People (Age) WITH IGNORE NULL"});
  // A new row meets the unique index the same way.
  EXPECT_EQ(Refusal(c, "INSERT INTO People (Name, Town) VALUES ('x', 'OSLO')").number, 3022);
  Exec(c, {"INSERT INTO People (Name, Town) VALUES ('x', Null)"});
  EXPECT_EQ(Refusal(c, "CREATE UNIQUE INDEX pk ON People (Age) WITH PRIMARY").number, 3058);
  // A text key holds the first 255 characters without trailing spaces.
  EXPECT_EQ(Refusal(c, "INSERT INTO People (Town) VALUES ('oslo  ')").number, 3022);
  Exec(c, {"CREATE TABLE Notes (Body Memo CONSTRAINT u UNIQUE)",
           "INSERT INTO Notes VALUES ('" + std::string(255, 'n') + "a')"});
  EXPECT_EQ(Refusal(c, "INSERT INTO Notes VALUES ('" + std::string(255, 'N') + "b')").number, 3022);
  Exec(c, {"INSERT INTO Notes VALUES ('" + std::string(254, 'n') + "b')"});
}

TEST(ExecutorTest, RelationshipsMeetExistingRows) {
  Catalog c = Database({
      "CREATE TABLE P (Code Text(5) CONSTRAINT pk PRIMARY KEY, Alt Long CONSTRAINT ua UNIQUE)",
      "CREATE TABLE F (Code Text(9), Alt Long)",
      "INSERT INTO P VALUES ('ab', 1)",
      "INSERT INTO F VALUES ('AB', Null)",  // text keys fold case
      "INSERT INTO F VALUES (Null, 2)",
  });
  Exec(c, {"ALTER TABLE F ADD CONSTRAINT r1 FOREIGN KEY (Code) REFERENCES P"});
  EXPECT_EQ(Refusal(c, "ALTER TABLE F ADD CONSTRAINT r2 FOREIGN KEY (Alt) REFERENCES P (Alt)").text,
            "Cannot create relationships to enforce referential integrity. Existing data in "
            "table 'F' violates referential integrity rules in table 'P'.");
  Exec(c, {"INSERT INTO P VALUES ('zz', 2)",
           "ALTER TABLE F ADD CONSTRAINT r2 FOREIGN KEY (Alt) REFERENCES P (Alt)"});
  // The unique index r2 leans on cannot go while it is the only one over Alt.
  EXPECT_EQ(Refusal(c, "DROP INDEX ua ON P").number, 3281);
  Exec(c, {"CREATE UNIQUE INDEX ua2 ON P (Alt)", "DROP INDEX ua ON P"});
  // Rows may refer to a null, and a table to itself.
  Exec(c, {"CREATE TABLE Tree (ID Long CONSTRAINT pk PRIMARY KEY, Parent Long "
           "CONSTRAINT up REFERENCES Tree (ID))",
           "INSERT INTO Tree VALUES (1, Null)", "INSERT INTO Tree VALUES (2, 1)",
           "INSERT INTO Tree VALUES (3, 3)"});
  EXPECT_EQ(Refusal(c, "INSERT INTO Tree VALUES (4, 9)").number, 3201);
  EXPECT_EQ(Refusal(c, "DROP TABLE Tree").number, 3281);
  Exec(c, {"ALTER TABLE Tree DROP CONSTRAINT up", "DROP TABLE Tree"});
  EXPECT_EQ(c.FindTable("Tree"), nullptr);
  EXPECT_EQ(c.FindRelationship("up"), nullptr);
}

TEST(ExecutorTest, UnnamedConstraintsGetDeterministicNames) {
  const Catalog c = Database({
      "CREATE TABLE Customers (ID Long PRIMARY KEY, Mail Text(50) UNIQUE, Phone Text(20), "
      "UNIQUE (Phone))",
      "CREATE TABLE Orders (No Long, Customer Long REFERENCES Customers, "
      "Other Long, FOREIGN KEY (Other) REFERENCES Customers (ID))",
      "ALTER TABLE Orders ADD PRIMARY KEY (No)",
  });
  const Table& customers = T(c, "Customers");
  ASSERT_EQ(customers.indexes.size(), 3u);
  EXPECT_EQ(customers.indexes[0].name, "PrimaryKey");
  EXPECT_EQ(customers.indexes[1].name, "Index_1");
  EXPECT_EQ(customers.indexes[2].name, "Index_2");
  ASSERT_EQ(c.relationships().size(), 2u);
  EXPECT_EQ(c.relationships()[0].name, "CustomersOrders");
  EXPECT_EQ(c.relationships()[1].name, "CustomersOrders1");
  EXPECT_EQ(T(c, "Orders").indexes[0].name, "PrimaryKey");
  EXPECT_EQ(T(c, "Orders").indexes[0].columns[0].name, "No");
}

TEST(ExecutorTest, AddColumnFillsExistingRows) {
  Catalog c = Database(
      {"CREATE TABLE T (a Text(5))", "INSERT INTO T VALUES ('x')", "INSERT INTO T VALUES ('y')"});
  Exec(c, {"ALTER TABLE T ADD n Long", "ALTER TABLE T ADD id COUNTER",
           "ALTER TABLE T ADD flag Bit NOT NULL DEFAULT Yes",
           "ALTER TABLE T ADD made DateTime DEFAULT Now()"});
  const Table& t = T(c, "T");
  for (size_t i = 0; i < 2; ++i) {
    EXPECT_TRUE(IsNull(t.rows[i][1]));
    EXPECT_EQ(t.rows[i][2], Cell(static_cast<int64_t>(i + 1)));
    EXPECT_EQ(t.rows[i][3], Cell(true));
    EXPECT_TRUE(IsNull(t.rows[i][4]));  // only a Required field takes its default
  }
  EXPECT_EQ(Refusal(c, "ALTER TABLE T ADD bad Long NOT NULL DEFAULT 'x'").number, 3464);
  EXPECT_EQ(Refusal(c, "ALTER TABLE T ADD k Long CONSTRAINT pk PRIMARY KEY").number, 3058);
  Exec(c, {"INSERT INTO T (a) VALUES ('z')"});
  EXPECT_EQ(T(c, "T").rows[2][2], Cell(int64_t{3}));
  EXPECT_TRUE(std::holds_alternative<double>(T(c, "T").rows[2][4]));  // Now()
}

TEST(ExecutorTest, YesNoFieldsAreNeverNull) {
  Catalog c =
      Database({"CREATE TABLE T (a Long, t Text(5))", "INSERT INTO T (a) VALUES (1)",
                "ALTER TABLE T ADD b Bit NOT NULL", "INSERT INTO T (a) VALUES (2)",
                "INSERT INTO T (a, b) VALUES (3, Null)", "ALTER TABLE T ALTER COLUMN t Bit"});
  for (const Row& row : T(c, "T").rows) {
    EXPECT_EQ(row[2], Cell(false));
    EXPECT_EQ(row[1], Cell(false));
  }
}

TEST(ExecutorTest, AlterColumnConvertsEveryValueOrNothing) {
  Catalog c = Database({
      "CREATE TABLE T (k Long, t Text(20), d Double, m Currency, s Text(30))",
      "INSERT INTO T VALUES (1, '42', 2.5, 1.23456, '2020-01-31')",
      "INSERT INTO T VALUES (2, ' 7 ', 3.5, -0.00005, '1/2/2021 1:05 PM')",
      "INSERT INTO T VALUES (3, Null, -1e300, 5, Null)",
  });
  EXPECT_EQ(T(c, "T").rows[0][3], Cell(int64_t{12346}));  // rounded half to even
  EXPECT_EQ(T(c, "T").rows[1][3], Cell(int64_t{0}));
  Exec(c, {"ALTER TABLE T ALTER COLUMN t Long"});
  EXPECT_EQ(T(c, "T").rows[0][1], Cell(int64_t{42}));
  EXPECT_EQ(T(c, "T").rows[1][1], Cell(int64_t{7}));
  EXPECT_TRUE(IsNull(T(c, "T").rows[2][1]));

  // Refusals leave every row as it was.
  EXPECT_EQ(Refusal(c, "ALTER TABLE T ALTER COLUMN d Long").text, "Numeric field overflow.");
  EXPECT_EQ(Refusal(c, "ALTER TABLE T ALTER COLUMN d IEEESingle").number, 3349);
  EXPECT_EQ(Refusal(c, "ALTER TABLE T ALTER COLUMN t Text(1)").number, 3163);
  EXPECT_EQ(Refusal(c, "ALTER TABLE T ALTER COLUMN t Long NOT NULL").number, 3314);
  EXPECT_EQ(Refusal(c, "ALTER TABLE T ALTER COLUMN k COUNTER").text,
            "Operation not supported on a table that contains data.");
  Exec(c, {"ALTER TABLE T ALTER COLUMN s Text(30) DEFAULT 'x'"});
  EXPECT_EQ(Refusal(c, "ALTER TABLE T ALTER COLUMN k GUID").text, "Data type conversion error.");

  // Conversions that work.
  Exec(c, {"ALTER TABLE T ALTER COLUMN s DateTime", "ALTER TABLE T ALTER COLUMN m Text(10)",
           "ALTER TABLE T ALTER COLUMN k Text(1)"});
  const Table& t = T(c, "T");
  EXPECT_EQ(t.rows[1][4], Cell(44198.0 + (13 * 3600 + 5 * 60) / 86400.0));
  EXPECT_EQ(t.rows[0][3], Cell(std::string("1.2346")));
  EXPECT_EQ(t.rows[2][0], Cell(std::string("3")));
  Exec(c, {"ALTER TABLE T ALTER COLUMN s Text(20)"});
  EXPECT_EQ(T(c, "T").rows[0][4], Cell(std::string("2020-01-31")));
  EXPECT_EQ(T(c, "T").rows[1][4], Cell(std::string("2021-01-02 13:05:00")));
  EXPECT_FALSE(T(c, "T").columns[4].default_value.has_value());  // the definition as written

  // Halves round to even; an index over the field is checked again.
  Catalog u =
      Database({"CREATE TABLE U (d Double CONSTRAINT ud UNIQUE)", "INSERT INTO U VALUES (2.5)",
                "INSERT INTO U VALUES (3.5)", "INSERT INTO U VALUES (1.6)"});
  EXPECT_EQ(Refusal(u, "ALTER TABLE U ALTER COLUMN d Long").number, 3022);  // 2.5, 1.6 -> 2
  Catalog v = Database(
      {"CREATE TABLE V (d Double)", "INSERT INTO V VALUES (2.5)", "INSERT INTO V VALUES (3.5)"});
  Exec(v, {"ALTER TABLE V ALTER COLUMN d Long"});
  EXPECT_EQ(T(v, "V").rows[0][0], Cell(int64_t{2}));
  EXPECT_EQ(T(v, "V").rows[1][0], Cell(int64_t{4}));
}

TEST(ExecutorTest, DaoRequiredAndRenameFollowIndexesAndRelationships) {
  Catalog c = Shop();
  ChangeList changes;
  EXPECT_EQ(CatchJetError([&] { SetColumnRequired(c, "Customers", "City", true, changes); }).number,
            3314);
  EXPECT_EQ(CatchJetError([&] { SetColumnRequired(c, "Nowhere", "City", true, changes); }).text,
            "Item not found in this collection.");
  EXPECT_EQ(CatchJetError([&] { SetColumnRequired(c, "Customers", "Nope", true, changes); }).number,
            3265);
  SetColumnRequired(c, "customers", "name", false, changes);
  EXPECT_FALSE(T(c, "Customers").columns[1].required);
  SetColumnRequired(c, "Orders", "Customer", true, changes);  // a related field may change so
  EXPECT_TRUE(T(c, "Orders").columns[1].required);

  RenameColumn(c, "Customers", "id", "Код", changes);
  RenameColumn(c, "Orders", "CUSTOMER", "Клиент", changes);
  EXPECT_EQ(T(c, "Customers").columns[0].name, "Код");
  EXPECT_EQ(T(c, "Customers").PrimaryKey()->columns[0].name, "Код");
  const Relationship& r = *c.FindRelationship("CustomersOrders");
  EXPECT_EQ(r.primary_columns, std::vector<std::string>{"Код"});
  EXPECT_EQ(r.foreign_columns, std::vector<std::string>{"Клиент"});
  EXPECT_EQ(T(c, "Orders").indexes[1].columns[0].name, "Клиент");
  // The relationship still works under the new names.
  EXPECT_EQ(Refusal(c, "INSERT INTO Orders (No, Клиент) VALUES (7, 99)").number, 3201);
  RenameColumn(c, "Orders", "Клиент", "КЛИЕНТ", changes);  // a change of case only
  EXPECT_EQ(CatchJetError([&] { RenameColumn(c, "Orders", "Qty", "price", changes); }).number,
            3191);
  EXPECT_EQ(CatchJetError([&] { RenameColumn(c, "Orders", "Qty", "a.b", changes); }).number, 3125);
}

TEST(ExecutorTest, QueriesShareTheNamespaceOfTables) {
  Catalog c = Shop();
  ChangeList changes;
  CreateQueryDef(c, "Big orders", "SELECT *\r\nFROM Orders\r\nWHERE Qty > 1;", changes);
  CreateQueryDef(c, "Another", "", changes);
  ASSERT_EQ(c.queries().size(), 2u);
  EXPECT_EQ(c.queries()[0].sql, "SELECT *\r\nFROM Orders\r\nWHERE Qty > 1;");
  EXPECT_EQ(CatchJetError([&] { CreateQueryDef(c, "BIG ORDERS", "x", changes); }).text,
            "Object 'BIG ORDERS' already exists.");
  EXPECT_EQ(CatchJetError([&] { CreateQueryDef(c, "orders", "x", changes); }).number, 3012);
  EXPECT_EQ(Refusal(c, "CREATE TABLE [big orders] (x Long)").number, 3010);
  DeleteQueryDef(c, "big Orders", changes);
  EXPECT_EQ(c.queries().size(), 1u);
  EXPECT_EQ(CatchJetError([&] { DeleteQueryDef(c, "big Orders", changes); }).number, 3265);
}

}  // namespace
}  // namespace dbaccess
