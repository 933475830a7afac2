#include "dbaccess/ado/connection.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "dbaccess/base/jet_error.h"
#include "dbaccess/base/temp_folder_testing.h"
#include "dbaccess/files/database_file.h"

namespace dbaccess::ado {
namespace {

namespace fs = std::filesystem;

class ConnectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = (dir_ / "shop.skdb").string();
    DatabaseFile::CreateText(path_, "");
  }

  static int ErrorNumber(const std::function<void()>& f) {
    try {
      f();
    } catch (const JetError& e) {
      return e.number();
    }
    return -1;
  }

  // The names of the tables the connection sees.
  static std::vector<std::string> Tables(Connection& c) {
    Recordset rs = c.OpenSchema(adSchemaTables);
    rs.SetFilter("TABLE_TYPE='TABLE'");
    std::vector<std::string> names;
    for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) names.push_back(rs.Field("TABLE_NAME").AsText());
    return names;
  }

  dbaccess::testing::TempFolder folder_;
  const fs::path dir_{folder_.path()};
  std::string path_;
};

using Names = std::vector<std::string>;

TEST_F(ConnectionTest, OpensExecutesAndReadsRowsets) {
  Connection c;
  EXPECT_FALSE(c.IsOpen());
  c.Open(ConnectionText(path_, ""));
  EXPECT_TRUE(c.IsOpen());
  c.Execute("CREATE TABLE Orders (ID LONG NOT NULL CONSTRAINT pk PRIMARY KEY, Note TEXT(40))");
  c.Execute("CREATE TABLE Заказы (Код LONG)");
  EXPECT_EQ(Tables(c), (Names{"Orders", "Заказы"}));

  Recordset columns =
      c.OpenSchema(adSchemaColumns, {Variant(), Variant(), Variant::Text("orders")});
  columns.SetSort("Ordinal_Position");
  ASSERT_EQ(columns.RecordCount(), 2);
  EXPECT_EQ(columns.Field("COLUMN_NAME").AsText(), "ID");
  EXPECT_FALSE(columns.Field("IS_NULLABLE").AsBoolean());
  ASSERT_TRUE(
      columns.Locate("TABLE_NAME;COLUMN_NAME", {Variant::Text("Orders"), Variant::Text("Note")}));
  EXPECT_EQ(columns.Field("CHARACTER_MAXIMUM_LENGTH").AsInteger(), 40);

  Recordset indexes = c.OpenSchema(
      adSchemaIndexes, {Variant(), Variant(), Variant(), Variant(), Variant::Text("Orders")});
  indexes.SetFilter("PRIMARY_KEY=True");
  EXPECT_EQ(indexes.RecordCount(), 1);
  EXPECT_EQ(ErrorNumber([&] { c.Execute("DROP TABLE Nowhere"); }), 3376);
  EXPECT_EQ(ErrorNumber([&] { c.Open(ConnectionText(path_, "")); }), 3705);
  c.Close();

  // Stored: a new connection sees it.
  Connection again;
  again.Open(ConnectionText(path_, ""));
  EXPECT_EQ(Tables(again), (Names{"Orders", "Заказы"}));
}

TEST_F(ConnectionTest, ClosedConnectionsAndBadFilesGiveClearErrors) {
  Connection c;
  EXPECT_EQ(ErrorNumber([&] { c.Execute("CREATE TABLE t (a LONG)"); }), 3704);
  EXPECT_EQ(ErrorNumber([&] { c.OpenSchema(adSchemaTables); }), 3704);
  EXPECT_EQ(ErrorNumber([&] { c.BeginTrans(); }), 3704);
  EXPECT_EQ(ErrorNumber([&] { c.CommitTrans(); }), 3704);
  EXPECT_EQ(ErrorNumber([&] { c.Close(); }), 3704);
  EXPECT_EQ(ErrorNumber([&] { c.Open(ConnectionText((dir_ / "missing.skdb").string(), "")); }),
            3024);
  EXPECT_EQ(ErrorNumber([&] { c.Open("Provider=SQLOLEDB;Data Source=x"); }), 3706);
  EXPECT_FALSE(c.IsOpen());

  // A database password, also one that needs quoting in the connection text.
  const std::string locked = (dir_ / "locked; \"odd\" name.skdb").string();
  DatabaseFile::CreateText(locked, " p;w\"d ");
  EXPECT_EQ(ErrorNumber([&] { c.Open(ConnectionText(locked, "")); }), 3031);
  EXPECT_EQ(ErrorNumber([&] { c.Open(ConnectionText(locked, "p;w\"d")); }), 3031);
  c.Open(ConnectionText(locked, " p;w\"d "));
  EXPECT_TRUE(c.IsOpen());
}

TEST_F(ConnectionTest, TransactionsAreSeenByTheirConnectionFirst) {
  Connection a, b;
  a.Open(ConnectionText(path_, ""));
  b.Open(ConnectionText(path_, ""));
  EXPECT_EQ(a.BeginTrans(), 1);
  a.Execute("CREATE TABLE T1 (x LONG)");
  a.Execute("CREATE TABLE T2 (y LONG)");
  EXPECT_EQ(Tables(a), (Names{"T1", "T2"}));
  EXPECT_EQ(Tables(b), Names{});
  EXPECT_EQ(ErrorNumber([&] { a.BeginTrans(); }), 0);  // no nesting
  a.CommitTrans();
  EXPECT_EQ(Tables(b), (Names{"T1", "T2"}));

  a.BeginTrans();
  a.Execute("DROP TABLE T1");
  EXPECT_EQ(Tables(a), (Names{"T2"}));
  a.RollbackTrans();
  EXPECT_EQ(Tables(a), (Names{"T1", "T2"}));
  EXPECT_EQ(ErrorNumber([&] { a.CommitTrans(); }), 3034);
  EXPECT_EQ(ErrorNumber([&] { a.RollbackTrans(); }), 3034);

  // A failed statement inside a transaction changes nothing; the transaction goes on.
  a.BeginTrans();
  a.Execute("ALTER TABLE T2 ADD COLUMN z TEXT(10)");
  EXPECT_EQ(ErrorNumber([&] { a.Execute("ALTER TABLE T2 ADD COLUMN z TEXT(10)"); }), 3380);
  a.CommitTrans();
  Recordset columns = b.OpenSchema(adSchemaColumns, {Variant(), Variant(), Variant::Text("T2")});
  EXPECT_EQ(columns.RecordCount(), 2);

  // Closing, or destroying, a connection rolls its open transaction back.
  a.BeginTrans();
  a.Execute("DROP TABLE T2");
  a.Close();
  {
    Connection c;
    c.Open(ConnectionText(path_, ""));
    c.BeginTrans();
    c.Execute("DROP TABLE T1");
  }
  EXPECT_EQ(Tables(b), (Names{"T1", "T2"}));
}

TEST_F(ConnectionTest, TwoStatementCommandsRunAsOneTransaction) {
  Connection c;
  c.Open(ConnectionText(path_, ""));
  c.Execute("CREATE TABLE P (ID LONG CONSTRAINT pk PRIMARY KEY)");
  c.Execute("CREATE TABLE F (PID LONG)");
  c.Execute("ALTER TABLE F ADD CONSTRAINT r FOREIGN KEY (PID) REFERENCES P (ID)");
  // The run's way of changing a relationship's rules: drop and add in one transaction.
  c.BeginTrans();
  c.Execute("ALTER TABLE [F] DROP CONSTRAINT [r]");
  c.Execute(
      "ALTER TABLE [F] ADD CONSTRAINT [r] FOREIGN KEY ([PID]) REFERENCES [P] ([ID]) ON UPDATE "
      "CASCADE ON DELETE CASCADE");
  c.CommitTrans();
  Recordset fk = c.OpenSchema(adSchemaForeignKeys);
  ASSERT_EQ(fk.RecordCount(), 1);
  EXPECT_EQ(fk.Field("UPDATE_RULE").AsText(), "CASCADE");
  EXPECT_EQ(fk.Field("DELETE_RULE").AsText(), "CASCADE");

  // A failing second statement takes the first back with it.
  c.BeginTrans();
  c.Execute("ALTER TABLE [F] DROP CONSTRAINT [r]");
  EXPECT_NE(ErrorNumber([&] { c.Execute("ALTER TABLE [F] ADD CONSTRAINT [r] FOREIGN KEY"); }), -1);
  c.RollbackTrans();
  EXPECT_EQ(c.OpenSchema(adSchemaForeignKeys).RecordCount(), 1);
}

}  // namespace
}  // namespace dbaccess::ado
