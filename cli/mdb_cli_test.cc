// skarnvel-cli on real .mdb files: rowsets, the query list and schema read them; schema's
// script opens as a text database with the same structure; changes are refused.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/run_cli_testing.h"
#include "dbaccess/base/testdata_testing.h"

namespace {

namespace fs = std::filesystem;

using cli_test::ReadFile;
using cli_test::Result;

std::string TestFile(const std::string& name) { return skarnvel_test::TestDataFile(name); }

// The lines of a rowset's output that are not about system tables.
std::string WithoutSystemTables(const std::string& tsv) {
  std::istringstream in(tsv);
  std::string kept;
  for (std::string line; std::getline(in, line);) {
    if (line.find("\tMSys") == std::string::npos) kept += line + "\n";
  }
  return kept;
}

class MdbCliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "skarnvel-mdb-cli-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { fs::remove_all(dir_); }

  Result Run(const std::vector<std::string>& args, const fs::path& out_file = {}) {
    const fs::path out = out_file.empty() ? dir_ / "stdout" : out_file, err = dir_ / "stderr";
    return cli_test::RunCli(args, out, err);
  }

  fs::path dir_;
};

TEST_F(MdbCliTest, ReadsRowsetsAndQueriesOfARealFile) {
  SKIP_WITHOUT_TEST_DATA();
  const Result tables = Run({"rowset", TestFile("queryTestV2000.mdb"), "tables"});
  EXPECT_EQ(tables.code, 0) << tables.err;
  EXPECT_NE(tables.out.find("\tTable1\tTABLE\t"), std::string::npos);
  EXPECT_NE(tables.out.find("\tMSysObjects\tSYSTEM TABLE\t"), std::string::npos);
  EXPECT_NE(tables.out.find("\tSelectQuery\tVIEW\t"), std::string::npos);

  const Result queries = Run({"query", TestFile("queryTestV2000.mdb"), "list"});
  EXPECT_EQ(queries.code, 0) << queries.err;
  EXPECT_NE(queries.out.find("DeleteQuery\tDELETE Table1.col1, Table1.col2, Table1.col3\\r\\n"
                             "FROM Table1\\r\\nWHERE (((Table1.col1)>\"blah\"));\n"),
            std::string::npos);

  const Result locked = Run({"rowset", TestFile("V2000_with-password.mdb"), "tables"});
  EXPECT_EQ(locked.code, 1);
  EXPECT_EQ(locked.err, "Not a valid password.\n");
  EXPECT_EQ(
      Run({"rowset", TestFile("V2000_with-password.mdb"), "--password", "password", "foreign_keys"})
          .code,
      0);
}

TEST_F(MdbCliTest, SchemaMakesATextDatabaseWithTheSameStructure) {
  SKIP_WITHOUT_TEST_DATA();
  for (const char* name : {"indexTestV2000.mdb", "queryTestV1997.mdb", "testV2000.mdb"}) {
    SCOPED_TRACE(name);
    const fs::path copy = dir_ / (std::string(name) + ".skdb");
    ASSERT_EQ(Run({"schema", TestFile(name)}, copy).code, 0);
    for (const char* rowset : {"tables", "columns", "indexes", "foreign_keys"}) {
      const Result real = Run({"rowset", TestFile(name), rowset});
      const Result text = Run({"rowset", copy.string(), rowset});
      ASSERT_EQ(text.code, 0) << text.err;
      EXPECT_EQ(WithoutSystemTables(text.out), WithoutSystemTables(real.out)) << rowset;
    }
    EXPECT_EQ(Run({"query", copy.string(), "list"}).out,
              Run({"query", TestFile(name), "list"}).out);
  }
}

// A real database's queries go into the query list file like any others (Access ends the
// stored text of a data-definition query with a NUL, which once stopped the list's save).
TEST_F(MdbCliTest, ComparesRealDatabasesAndSavesTheirLists) {
  SKIP_WITHOUT_TEST_DATA();
  const fs::path lists = dir_ / "lists";
  fs::create_directories(lists);
  const Result r = Run({"compare", TestFile("queryTestV2000.mdb"), TestFile("indexTestV2000.mdb"),
                        "--lists", lists.string()});
  EXPECT_EQ(r.code, 1) << r.out << r.err;  // different
  const std::string queries = ReadFile(lists / "updQuery.xml");
  EXPECT_NE(queries.find("CREATE TABLE Table5 (col1 CHAR, col2 CHAR);"), std::string::npos);

  const fs::path copy = dir_ / "copy.skdb";
  ASSERT_EQ(Run({"schema", TestFile("queryTestV2000.mdb")}, copy).code, 0);
  const Result same =
      Run({"compare", TestFile("queryTestV2000.mdb"), copy.string(), "--lists", lists.string()});
  EXPECT_EQ(same.code, 0) << same.out << same.err;
}

TEST_F(MdbCliTest, RefusesChangesAndLeavesTheFileAsItWas) {
  SKIP_WITHOUT_TEST_DATA();
  const fs::path copy = dir_ / "copy.mdb";
  fs::copy_file(TestFile("queryTestV2000.mdb"), copy);
  const std::string before = ReadFile(copy);
  const std::string refusal = "Changing a Jet database file is not supported yet; '" +
                              copy.string() + "' was not changed.\n";
  const std::vector<std::vector<std::string>> changes = {
      {"exec", copy.string(), "DROP TABLE Table1"},
      {"query", copy.string(), "create", "New", "SELECT 1;"},
      {"query", copy.string(), "delete", "SelectQuery"},
      {"dao", copy.string(), "required", "Table1", "col1", "true"},
      {"dao", copy.string(), "rename", "Table1", "col1", "c1"}};
  for (const auto& change : changes) {
    const Result r = Run(change);
    EXPECT_EQ(r.code, 1) << change[0];
    EXPECT_EQ(r.err, refusal) << change[0];
  }
  EXPECT_EQ(ReadFile(copy), before);
}

TEST_F(MdbCliTest, RefusesChangesOfAnAccess97FileSayingItIsReadOnly) {
  SKIP_WITHOUT_TEST_DATA();
  const fs::path copy = dir_ / "copy97.mdb";
  fs::copy_file(TestFile("queryTestV1997.mdb"), copy);
  const std::string before = ReadFile(copy);
  const Result r = Run({"exec", copy.string(), "DROP TABLE Table1"});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err, "'" + copy.string() +
                       "' is an Access 97 (Jet 3) database, which can be read here but not "
                       "changed; it was not changed.  Convert it to the Access 2000 format in "
                       "Access to change it.\n");
  EXPECT_EQ(ReadFile(copy), before);
}

}  // namespace

TEST_F(MdbCliTest, CheckSaysOkFindsDamageAndTellsTroubleApart) {
  if (!fs::exists(TestFile("testV2000.mdb"))) GTEST_SKIP() << "test databases not found";
  const Result sound = Run({"check", TestFile("testV2000.mdb")});
  EXPECT_EQ(sound.code, 0) << sound.err;
  EXPECT_EQ(sound.out, "ok\n");

  const Result jet3 = Run({"check", TestFile("testV1997.mdb")});
  EXPECT_EQ(jet3.code, 0) << jet3.err;
  EXPECT_NE(jet3.out.find("not checked: Jet 3"), std::string::npos) << jet3.out;
  EXPECT_NE(jet3.out.find("\nok\n"), std::string::npos) << jet3.out;

  // A copy with one byte changed in the first key of an index leaf of the catalog (page 7).
  const fs::path copy = dir_ / "damaged.mdb";
  fs::copy_file(TestFile("testV2000.mdb"), copy);
  {
    std::fstream f(copy, std::ios::in | std::ios::out | std::ios::binary);
    constexpr std::streamoff kFirstKeyByte = 7 * 4096 + 480 + 1;
    f.seekg(kFirstKeyByte);
    char byte = 0;
    f.read(&byte, 1);
    f.seekp(kFirstKeyByte);
    byte = static_cast<char>(byte ^ 0x01);
    f.write(&byte, 1);
  }
  const Result damaged = Run({"check", copy.string()});
  EXPECT_EQ(damaged.code, 1) << damaged.err;
  EXPECT_EQ(damaged.out.rfind("table 'MSysObjects', index '", 0), 0u) << damaged.out;
  EXPECT_NE(damaged.out.find(", page 7: "), std::string::npos) << damaged.out;
  EXPECT_EQ(damaged.out.find("ok\n"), std::string::npos) << damaged.out;

  const Result missing = Run({"check", (dir_ / "none.mdb").string()});
  EXPECT_EQ(missing.code, 2);
  EXPECT_FALSE(missing.err.empty());
  const Result wrong = Run({"check", TestFile("V2000_with-password.mdb"), "--password", "x"});
  EXPECT_EQ(wrong.code, 2);
}

// create of a name ending in .mdb makes a Jet 4 database of our own, with no test file
// behind it: sound to check, guarded by its password, read by mdbtools, never overwritten.
TEST_F(MdbCliTest, CreateMakesAnEmptyJet4Database) {
  const fs::path path = dir_ / "new.MDB";
  ASSERT_EQ(Run({"create", path.string(), "--password", "Пароль"}).code, 0);
  const std::string made = ReadFile(path);
  EXPECT_EQ(made.size(), 16u * 4096);

  const Result sound = Run({"check", path.string(), "--password", "Пароль"});
  EXPECT_EQ(sound.code, 0) << sound.err;
  EXPECT_EQ(sound.out, "ok\n");
  const Result tables = Run({"rowset", path.string(), "--password", "Пароль", "tables"});
  EXPECT_EQ(tables.code, 0) << tables.err;
  EXPECT_NE(tables.out.find("\tMSysObjects\tSYSTEM TABLE"), std::string::npos) << tables.out;
  EXPECT_EQ(Run({"rowset", path.string(), "tables"}).code, 1);  // no password

  const Result again = Run({"create", path.string()});
  EXPECT_EQ(again.code, 1);
  EXPECT_EQ(ReadFile(path), made);
  EXPECT_EQ(Run({"create", (dir_ / "long.mdb").string(), "--password", std::string(21, 'x')}).code,
            1);
  EXPECT_FALSE(fs::exists(dir_ / "long.mdb"));

  if (std::system("command -v mdb-ver >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "mdbtools is not installed";
  }
  const fs::path plain = dir_ / "plain.mdb";
  ASSERT_EQ(Run({"create", plain.string()}).code, 0);
  EXPECT_EQ(std::system(("mdb-ver '" + plain.string() + "' | grep -qx JET4").c_str()), 0);
  EXPECT_EQ(std::system(("mdb-tables -S '" + plain.string() +
                         "' | grep -q 'MSysObjects MSysACEs MSysQueries MSysRelationships'")
                            .c_str()),
            0);
}
