// Runs the built skarnvel-cli as a user would and checks its outputs and exit codes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/run_cli_testing.h"
#include "dbaccess/base/temp_folder_testing.h"

namespace {

namespace fs = std::filesystem;

using cli_test::Result;

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override { db_ = (dir_ / "shop.skdb").string(); }

  Result Run(const std::vector<std::string>& args) {
    const fs::path out = dir_ / "stdout", err = dir_ / "stderr";
    return cli_test::RunCli(args, out, err);
  }

  // Runs and expects success.
  std::string Ok(const std::vector<std::string>& args) {
    const Result r = Run(args);
    EXPECT_EQ(r.code, 0) << r.err;
    return r.out;
  }

  dbaccess::testing::TempFolder folder_;
  const fs::path dir_{folder_.path()};
  std::string db_;
};

// A database whose texts hold terminal escape sequences: the tables show every control
// character as \xNN, so nothing from the database is sent to the terminal raw.
TEST_F(CliTest, ControlCharactersFromADatabaseArePrintedEscaped) {
  Ok({"create", db_});
  Ok({"exec", db_, "CREATE TABLE T (A TEXT(20) DEFAULT \"\x1b[2J\x07\")"});
  Ok({"query", db_, "create", "Q", "SELECT '\x1b]0;owned\x07' & \"\xc2\x9b\""});
  const std::string columns = Ok({"rowset", db_, "columns"});
  EXPECT_NE(columns.find("\\x1B[2J\\x07"), std::string::npos) << columns;
  const std::string queries = Ok({"query", db_, "list"});
  EXPECT_NE(queries.find("\\x1B]0;owned\\x07"), std::string::npos) << queries;
  EXPECT_NE(queries.find("\\x9B"), std::string::npos) << queries;
  for (const std::string& out : {columns, queries}) {
    for (char c : out) {
      const auto u = static_cast<unsigned char>(c);
      EXPECT_TRUE(u >= 0x20 || c == '\t' || c == '\n') << "raw control character " << int(u);
      EXPECT_NE(u, 0xC2) << "raw C1 control character";
    }
  }
}

TEST_F(CliTest, CreatesExecutesAndPrintsRowsets) {
  Ok({"create", db_});
  EXPECT_EQ(Ok({"rowset", db_, "tables"}),
            "TABLE_CATALOG\tTABLE_SCHEMA\tTABLE_NAME\tTABLE_TYPE\tTABLE_GUID\tDESCRIPTION\t"
            "TABLE_PROPID\tDATE_CREATED\tDATE_MODIFIED\n");
  Ok({"exec", db_, "CREATE TABLE Заказы (Код LONG NOT NULL, Note TEXT(20) DEFAULT \"a\\b\")"});
  EXPECT_EQ(Ok({"rowset", db_, "tables"}),
            "TABLE_CATALOG\tTABLE_SCHEMA\tTABLE_NAME\tTABLE_TYPE\tTABLE_GUID\tDESCRIPTION\t"
            "TABLE_PROPID\tDATE_CREATED\tDATE_MODIFIED\n"
            "\\N\t\\N\tЗаказы\tTABLE\t\\N\t\\N\t\\N\t\\N\t\\N\n");
  std::istringstream columns(Ok({"rowset", db_, "columns"}));
  std::string header, first, second;
  std::getline(columns, header);
  std::getline(columns, first);
  std::getline(columns, second);
  EXPECT_EQ(header.substr(0, header.find("\tCOLUMN_GUID")),
            "TABLE_CATALOG\tTABLE_SCHEMA\tTABLE_NAME\tCOLUMN_NAME");
  EXPECT_EQ(first.substr(0, first.find("\t\\N\t\\N\t1\t")), "\\N\t\\N\tЗаказы\tКод");
  EXPECT_NE(first.find("\tFalse\t3\t"), std::string::npos);              // IS_NULLABLE, DATA_TYPE
  EXPECT_NE(second.find("\t2\tTrue\t\"a\\\\b\"\t"), std::string::npos);  // backslash escaped

  // The script of the text storage, which rebuilds the database.
  const std::string script = Ok({"schema", db_});
  EXPECT_EQ(script.substr(0, script.find('\n')), "-- Skarnvel text database 2");
  EXPECT_NE(script.find("CREATE TABLE [Заказы] ("), std::string::npos);
  const std::string copy = (dir_ / "copy.skdb").string();
  Ok({"create", copy});
  const fs::path file = dir_ / "script.sql";
  std::ofstream(file, std::ios::binary) << script;
  Ok({"exec", copy, "-f", file.string()});
  EXPECT_EQ(Ok({"rowset", copy, "columns"}), Ok({"rowset", db_, "columns"}));
}

TEST_F(CliTest, ExecutesScriptFilesAllOrNothing) {
  Ok({"create", db_});
  const fs::path good = dir_ / "good.sql";
  std::ofstream(good) << "-- two tables\r\n"
                         "CREATE TABLE P (\r\n  ID LONG CONSTRAINT pk PRIMARY KEY,\r\n"
                         "  Name TEXT(10) DEFAULT \"x;y\"\r\n);\r\n"
                         "\n"
                         "CREATE TABLE F (PID LONG);\n"
                         "ALTER TABLE F ADD CONSTRAINT r FOREIGN KEY (PID) REFERENCES P (ID)\n";
  EXPECT_EQ(Ok({"exec", db_, "-f", good.string()}), "3 statements executed\n");
  const std::string fk = Ok({"rowset", db_, "foreign_keys"});
  const std::string pk_side = "\\N\t\\N\tP\tID\t\\N\t";
  EXPECT_EQ(fk.substr(fk.find('\n') + 1, pk_side.size()), pk_side);
  EXPECT_NE(Ok({"rowset", db_, "columns"}).find("\"x;y\""), std::string::npos);

  const fs::path bad = dir_ / "bad.sql";
  std::ofstream(bad) << "CREATE TABLE Q (a LONG);\nDROP TABLE Nowhere;\nCREATE TABLE R (b LONG);\n";
  const Result r = Run({"exec", db_, "-f", bad.string()});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err.substr(0, r.err.find('\n')), "Table 'Nowhere' does not exist.");
  EXPECT_NE(r.err.find("bad.sql:2: DROP TABLE Nowhere"), std::string::npos);
  const std::string tables = Ok({"rowset", db_, "tables"});
  EXPECT_EQ(tables.find("\tQ\t"), std::string::npos);  // the first statement went back too
  EXPECT_NE(tables.find("\tP\t"), std::string::npos);
}

TEST_F(CliTest, ManagesSavedQueriesAndFieldsThroughDao) {
  Ok({"create", db_, "--password", "пароль"});
  Ok({"exec", db_, "--password", "пароль", "CREATE TABLE T (a LONG, b TEXT(5))"});
  Ok({"query", db_, "--password", "пароль", "create", "Все", "SELECT *\r\nFROM T\tx;"});
  Ok({"query", db_, "--password", "пароль", "create", "Second", "SELECT a FROM T;"});
  EXPECT_EQ(Ok({"query", db_, "--password", "пароль", "list"}),
            "Name\tSQL\nВсе\tSELECT *\\r\\nFROM T\\tx;\nSecond\tSELECT a FROM T;\n");
  Ok({"query", db_, "--password", "пароль", "delete", "все"});
  EXPECT_EQ(Ok({"query", db_, "--password", "пароль", "list"}),
            "Name\tSQL\nSecond\tSELECT a FROM T;\n");
  const Result missing = Run({"query", db_, "--password", "пароль", "delete", "Все"});
  EXPECT_EQ(missing.code, 1);
  EXPECT_EQ(missing.err, "Item not found in this collection.\n");

  Ok({"dao", db_, "--password", "пароль", "required", "T", "b", "true"});
  Ok({"dao", db_, "--password", "пароль", "rename", "T", "b", "Имя"});
  const std::string columns = Ok({"rowset", db_, "--password", "пароль", "columns"});
  EXPECT_NE(columns.find("\tT\tИмя\t\\N\t\\N\t2\tFalse\t\\N\t"), std::string::npos) << columns;
  EXPECT_EQ(Run({"dao", db_, "--password", "пароль", "rename", "T", "nope", "x"}).code, 1);
  Ok({"dao", db_, "--password", "пароль", "required", "T", "Имя", "FALSE"});
}

TEST_F(CliTest, ExitCodesTellRefusalsFromUsageErrors) {
  Result r = Run({"rowset", (dir_ / "missing.skdb").string(), "tables"});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err, "Could not find file '" + (dir_ / "missing.skdb").string() + "'.\n");
  Ok({"create", db_, "--password", "p"});
  r = Run({"rowset", db_, "tables"});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err, "Not a valid password.\n");
  EXPECT_EQ(Run({"create", db_}).code, 1);  // never overwrites
  EXPECT_EQ(Run({"exec", db_, "--password", "p", "CREATE TABLE"}).code, 1);

  EXPECT_EQ(Run({}).code, 2);
  EXPECT_EQ(Run({"frobnicate"}).code, 2);
  EXPECT_EQ(Run({"rowset", db_, "procedures"}).code, 2);
  EXPECT_EQ(Run({"rowset"}).code, 2);
  EXPECT_EQ(Run({"exec", db_}).code, 2);
  EXPECT_EQ(Run({"exec", db_, "-f", (dir_ / "none.sql").string()}).code, 2);
  EXPECT_EQ(Run({"query", db_}).code, 2);
  EXPECT_EQ(Run({"dao", db_, "required", "T", "a", "maybe"}).code, 2);
  r = Run({"--help"});
  EXPECT_EQ(r.code, 0);
  EXPECT_NE(r.out.find("rowset"), std::string::npos);
}

// The script of a protected database must not make an unprotected copy of it.
TEST_F(CliTest, SchemaOfAProtectedDatabaseKeepsItsPassword) {
  Ok({"create", db_, "--password", "Пароль1"});
  Ok({"exec", db_, "--password", "Пароль1", "CREATE TABLE T (a LONG)"});
  const std::string script = Ok({"schema", db_, "--password", "Пароль1"});
  EXPECT_EQ(script.find("Пароль1"), std::string::npos);  // never in clear
  const std::string copy = (dir_ / "copy.skdb").string();
  std::ofstream(copy, std::ios::binary) << script;
  const Result without = Run({"rowset", copy, "tables"});
  EXPECT_EQ(without.code, 1);
  EXPECT_NE(without.err.find("Not a valid password."), std::string::npos) << without.err;
  EXPECT_NE(Ok({"rowset", copy, "--password", "Пароль1", "tables"}).find("\tT\t"),
            std::string::npos);
  // Leaving the protection out is said on purpose.
  const std::string open = Ok({"schema", db_, "--password", "Пароль1", "--no-password"});
  const std::string open_copy = (dir_ / "open.skdb").string();
  std::ofstream(open_copy, std::ios::binary) << open;
  EXPECT_NE(Ok({"rowset", open_copy, "tables"}).find("\tT\t"), std::string::npos);
}

}  // namespace
