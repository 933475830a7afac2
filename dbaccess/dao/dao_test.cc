#include "dbaccess/dao/dao.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "dbaccess/ado/connection.h"
#include "dbaccess/base/jet_error.h"
#include "dbaccess/base/temp_folder_testing.h"
#include "dbaccess/files/database_file.h"

namespace dbaccess::dao {
namespace {

namespace fs = std::filesystem;
using ado::Connection;
using ado::ConnectionText;
using ado::Recordset;

class DaoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = (dir_ / "shop.skdb").string();
    DatabaseFile::CreateText(path_, "");
    Connection c;
    c.Open(ConnectionText(path_, ""));
    c.Execute("CREATE TABLE Customers (ID LONG NOT NULL CONSTRAINT pk PRIMARY KEY, Name TEXT(50))");
    c.Execute("CREATE TABLE Orders (ID LONG, CustomerID LONG, Note TEXT(20))");
    c.Execute("CREATE INDEX ix_customer ON Orders (CustomerID)");
    c.Execute(
        "ALTER TABLE Orders ADD CONSTRAINT rel FOREIGN KEY (CustomerID) REFERENCES Customers (ID)");
  }

  // The program's four steps.
  std::unique_ptr<DaoDatabase> Open(const std::string& path, const std::string& password = "",
                                    bool read_only = false) {
    std::unique_ptr<DBEngine> engine = CreateOleObject(kDbEngineClass);
    engine->SetDefaultType(dbUseJet);
    return engine->Workspaces(0).OpenDatabase(path, false, read_only, ";PWD=" + password);
  }

  static JetError Error(const std::function<void()>& f) {
    try {
      f();
    } catch (const JetError& e) {
      return e;
    }
    return JetError(-1, "no error");
  }

  dbaccess::testing::TempFolder folder_;
  const fs::path dir_{folder_.path()};
  std::string path_;
};

TEST_F(DaoTest, SavedQueriesKeepCreationOrderAndTheirText) {
  std::unique_ptr<DaoDatabase> db = Open(path_);
  EXPECT_EQ(db->QueryDefs().Count(), 0);
  const std::string text = "SELECT *\r\nFROM Orders\r\nWHERE Note='a;b';\r\n";
  db->CreateQueryDef("Zeta", text);
  db->CreateQueryDef("Альфа", "SELECT Name FROM Customers;");
  db->CreateQueryDef("Mid", "PARAMETERS p Long;\r\nSELECT * FROM Orders WHERE ID=p;");
  DaoQueryDefs queries = db->QueryDefs();
  ASSERT_EQ(queries.Count(), 3);
  EXPECT_EQ(queries.Item(0).Name(), "Zeta");
  EXPECT_EQ(queries.Item(0).SQL(), text);
  EXPECT_EQ(queries.Item(1).Name(), "Альфа");
  EXPECT_EQ(queries.Item(2).Name(), "Mid");

  queries.Delete("zeta");
  ASSERT_EQ(queries.Count(), 2);
  EXPECT_EQ(queries.Item(0).Name(), "Альфа");
  EXPECT_EQ(Error([&] { queries.Delete("Zeta"); }).number(), 3265);
  EXPECT_EQ(Error([&] { queries.Item(2); }).number(), 3265);
  EXPECT_EQ(Error([&] { queries.Item(-1); }).number(), 3265);

  // Select queries without parameters are views of the TABLES rowset; the rest are not.
  Connection c;
  c.Open(ConnectionText(path_, ""));
  Recordset tables = c.OpenSchema(ado::adSchemaTables);
  tables.SetFilter("TABLE_TYPE='VIEW'");
  ASSERT_EQ(tables.RecordCount(), 1);
  EXPECT_EQ(tables.Field("TABLE_NAME").AsText(), "Альфа");
}

TEST_F(DaoTest, FieldsRequiredAndNameAreStoredAtOnce) {
  std::unique_ptr<DaoDatabase> db = Open(path_);
  DaoField note = db->TableDefs("orders").Fields("NOTE");
  EXPECT_EQ(note.Name(), "Note");
  EXPECT_FALSE(note.Required());
  note.SetRequired(true);
  EXPECT_TRUE(db->TableDefs("Orders").Fields("Note").Required());
  note.SetName("Comment");
  EXPECT_EQ(note.Name(), "Comment");
  EXPECT_TRUE(note.Required());
  note.SetRequired(false);

  // Indexes and relationships follow a renamed column.
  DaoField customer = db->TableDefs("Orders").Fields("CustomerID");
  customer.SetName("ClientID");
  Connection c;
  c.Open(ConnectionText(path_, ""));
  Recordset fk = c.OpenSchema(ado::adSchemaForeignKeys);
  ASSERT_EQ(fk.RecordCount(), 1);
  EXPECT_EQ(fk.Field("FK_COLUMN_NAME").AsText(), "ClientID");
  Recordset ix =
      c.OpenSchema(ado::adSchemaIndexes, {Variant(), Variant(), Variant::Text("ix_customer")});
  ASSERT_EQ(ix.RecordCount(), 1);
  EXPECT_EQ(ix.Field("COLUMN_NAME").AsText(), "ClientID");

  // Stored in the file, not only in memory.
  c.Close();
  db.reset();
  std::unique_ptr<DaoDatabase> again = Open(path_);
  EXPECT_EQ(again->TableDefs("Orders").Fields("comment").Name(), "Comment");
  EXPECT_FALSE(again->TableDefs("Orders").Fields("comment").Required());
}

TEST_F(DaoTest, AdoAndDaoOnOneFileSeeEachOtherAtOnce) {
  Connection c;
  c.Open(ConnectionText(path_, ""));
  std::unique_ptr<DaoDatabase> db = Open(path_);

  db->TableDefs("Customers").Fields("Name").SetRequired(true);
  Recordset columns =
      c.OpenSchema(ado::adSchemaColumns, {Variant(), Variant(), Variant::Text("Customers")});
  ASSERT_TRUE(columns.Locate("TABLE_NAME;COLUMN_NAME",
                             {Variant::Text("Customers"), Variant::Text("Name")}));
  EXPECT_FALSE(columns.Field("IS_NULLABLE").AsBoolean());

  c.Execute("ALTER TABLE Customers ADD COLUMN Phone TEXT(20)");
  EXPECT_EQ(db->TableDefs("Customers").Fields("Phone").Name(), "Phone");
  c.Execute("ALTER TABLE Orders DROP CONSTRAINT rel");
  c.Execute("DROP TABLE Orders");
  EXPECT_EQ(Error([&] { db->TableDefs("Orders"); }).number(), 3265);

  db->CreateQueryDef("All customers", "SELECT * FROM Customers;");
  Recordset views =
      c.OpenSchema(ado::adSchemaTables, {Variant(), Variant(), Variant(), Variant::Text("VIEW")});
  EXPECT_EQ(views.RecordCount(), 1);

  // DAO changes go straight to the file, beside an open ADO transaction.
  c.BeginTrans();
  c.Execute("ALTER TABLE Customers ADD COLUMN Fax TEXT(20)");
  db->TableDefs("Customers").Fields("Phone").SetName("Tel");
  c.RollbackTrans();
  Recordset after =
      c.OpenSchema(ado::adSchemaColumns, {Variant(), Variant(), Variant::Text("Customers")});
  after.SetSort("Ordinal_Position");
  std::vector<std::string> names;
  for (; !after.Eof(); after.MoveNext()) names.push_back(after.Field("COLUMN_NAME").AsText());
  EXPECT_EQ(names, (std::vector<std::string>{"ID", "Name", "Tel"}));
}

TEST_F(DaoTest, ErrorsCarryJetsTexts) {
  EXPECT_STREQ(Error([] { CreateOleObject("DAO.DBEngine.35"); }).what(), "Invalid class string");
  EXPECT_STREQ(Error([] { CreateOleObject(""); }).what(), "Invalid class string");
  EXPECT_NE(CreateOleObject("dao.dbengine.36"), nullptr);
  DBEngine engine;
  EXPECT_EQ(engine.DefaultType(), dbUseJet);
  const JetError missing = Error([&] { engine.Workspaces(1); });
  EXPECT_EQ(missing.number(), 3265);
  EXPECT_STREQ(missing.what(), "Item not found in this collection.");

  std::unique_ptr<DaoDatabase> db = Open(path_);
  EXPECT_STREQ(Error([&] { db->TableDefs("Nope"); }).what(), "Item not found in this collection.");
  EXPECT_EQ(Error([&] { db->TableDefs("Orders").Fields("Nope"); }).number(), 3265);
  EXPECT_EQ(Error([&] { db->TableDefs("Orders").Fields("Note").SetName("ID"); }).number(), 3191);
  DaoField stale = db->TableDefs("Orders").Fields("Note");
  db->TableDefs("Orders").Fields("Note").SetName("Memo1");
  EXPECT_EQ(Error([&] { stale.Required(); }).number(), 3265);

  EXPECT_EQ(Error([&] { Open((dir_ / "missing.skdb").string()); }).number(), 3024);

  // Read-only: reads work, changes are refused.
  std::unique_ptr<DaoDatabase> ro = Open(path_, "", true);
  EXPECT_EQ(ro->QueryDefs().Count(), 0);
  EXPECT_EQ(Error([&] { ro->CreateQueryDef("q", "SELECT 1;"); }).number(), 3027);
  EXPECT_EQ(Error([&] { ro->TableDefs("Orders").Fields("ID").SetRequired(true); }).number(), 3027);
}

TEST_F(DaoTest, ConnectTextCarriesThePassword) {
  // ";PWD=" with nothing after it is no password at all.
  EXPECT_EQ(Open(path_, "")->QueryDefs().Count(), 0);
  const std::string locked = (dir_ / "locked.skdb").string();
  DatabaseFile::CreateText(locked, "pa;ss=word");
  EXPECT_EQ(Error([&] { Open(locked, ""); }).number(), 3031);
  EXPECT_EQ(Error([&] { Open(locked, "pa"); }).number(), 3031);
  EXPECT_EQ(Open(locked, "pa;ss=word")->QueryDefs().Count(), 0);
  DBEngine engine;
  EXPECT_EQ(engine.Workspaces(0)
                .OpenDatabase(locked, false, false, "MS Access;pwd=pa;ss=word")
                ->QueryDefs()
                .Count(),
            0);
}

}  // namespace
}  // namespace dbaccess::dao
