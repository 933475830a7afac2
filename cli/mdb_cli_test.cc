// skarnvel-cli on .mdb files: rowsets, the query list and schema read them; schema's script
// opens as a text database with the same structure; exec and dao change them, and what is
// not written yet is refused.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cli/run_cli_testing.h"
#include "dbaccess/base/temp_folder_testing.h"
#include "dbaccess/base/testdata_testing.h"
#include "dbaccess/storage/mdb/mdb_reader_testing.h"
#include "dbaccess/storage/mdb/mdb_storage.h"
#include "dbaccess/storage/mdb/mdbtools_testing.h"

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
  Result Run(const std::vector<std::string>& args, const fs::path& out_file = {}) {
    const fs::path out = out_file.empty() ? dir_ / "stdout" : out_file, err = dir_ / "stderr";
    return cli_test::RunCli(args, out, err);
  }

  dbaccess::testing::TempFolder folder_;
  const fs::path dir_{folder_.path()};
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

// exec and dao change a new database and a copy of a real one: the changes are there when
// the file is read again, and check finds it sound.
TEST_F(MdbCliTest, ExecAndDaoChangeTheFile) {
  const fs::path made = dir_ / "made.mdb";
  ASSERT_EQ(Run({"create", made.string()}).code, 0);
  const fs::path script = dir_ / "script.sql";
  {
    std::ofstream out(script);
    out << "CREATE TABLE Kinds (Id COUNTER CONSTRAINT pk PRIMARY KEY, Flag BIT, Small BYTE,\n"
           "  Short SHORT NOT NULL DEFAULT 7, Whole LONG, Amount CURRENCY, Ratio SINGLE,\n"
           "  Measure DOUBLE, [When] DATETIME, Code TEXT(20) CONSTRAINT ByCode UNIQUE,\n"
           "  Notes MEMO, Raw BINARY(8), Picture LONGBINARY, Key GUID, Price DECIMAL(12,2));\n"
           "INSERT INTO Kinds (Flag, Small, Whole, Amount, Ratio, Measure, [When], Code, Notes,\n"
           "  Raw, Picture, Key, Price) VALUES (True, 7, 70000, 12.5, 1.5, -2.25,\n"
           "  #2024-05-06 07:08:09#, 'Заказ', 'memo', 0x0102, 0x0A0B0C,\n"
           "  '{12345678-9ABC-DEF0-1234-56789ABCDEF0}', 10.25);\n"
           "INSERT INTO Kinds (Code) VALUES ('second');\n"
           "ALTER TABLE Kinds ADD COLUMN Later TEXT(10);\n"
           "ALTER TABLE Kinds ALTER COLUMN Whole TEXT(12);\n"
           "ALTER TABLE Kinds DROP COLUMN Ratio;\n"
           "CREATE INDEX ByWhen ON Kinds ([When] DESC, Short);\n";
  }
  const Result exec = Run({"exec", made.string(), "--file", script.string()});
  ASSERT_EQ(exec.code, 0) << exec.err;
  EXPECT_EQ(Run({"dao", made.string(), "rename", "Kinds", "Code", "Label"}).code, 0);
  EXPECT_EQ(Run({"dao", made.string(), "required", "Kinds", "Label", "true"}).code, 0);
  const Result columns = Run({"rowset", made.string(), "columns"});
  EXPECT_NE(columns.out.find("\tKinds\tLabel\t"), std::string::npos) << columns.out;
  EXPECT_NE(columns.out.find("\tKinds\tLater\t"), std::string::npos) << columns.out;
  EXPECT_EQ(columns.out.find("\tKinds\tRatio\t"), std::string::npos) << columns.out;
  const Result indexes = Run({"rowset", made.string(), "indexes"});
  EXPECT_NE(indexes.out.find("\tByWhen\t"), std::string::npos) << indexes.out;
  const Result sound = Run({"check", made.string()});
  EXPECT_EQ(sound.out, "ok\n") << sound.err;

  if (!skarnvel_test::HaveTestData()) return;
  const fs::path copy = dir_ / "copy.mdb";
  fs::copy_file(TestFile("queryTestV2000.mdb"), copy);
  fs::permissions(copy, fs::perms::owner_write, fs::perm_options::add);
  EXPECT_EQ(Run({"exec", copy.string(), "ALTER TABLE Table1 ADD COLUMN x LONG"}).code, 0);
  EXPECT_EQ(Run({"dao", copy.string(), "rename", "Table1", "col1", "c1"}).code, 0);
  EXPECT_EQ(Run({"dao", copy.string(), "required", "Table1", "c1", "false"}).code, 0);
  const Result real = Run({"rowset", copy.string(), "columns"});
  EXPECT_NE(real.out.find("\tTable1\tc1\t"), std::string::npos) << real.out;
  EXPECT_NE(real.out.find("\tTable1\tx\t"), std::string::npos) << real.out;
  EXPECT_EQ(Run({"check", copy.string()}).out, "ok\n");
}

// Saved queries are written; a file the user may not write is not written.
TEST_F(MdbCliTest, WritesQueriesAndLeavesAReadOnlyFileAsItWas) {
  SKIP_WITHOUT_TEST_DATA();
  const fs::path copy = dir_ / "copy.mdb";
  fs::copy_file(TestFile("queryTestV2000.mdb"), copy);
  fs::permissions(copy, fs::perms::owner_write, fs::perm_options::add);
  EXPECT_EQ(Run({"query", copy.string(), "create", "New", "SELECT 1;"}).code, 0);
  EXPECT_EQ(Run({"query", copy.string(), "delete", "SelectQuery"}).code, 0);
  const Result listed = Run({"query", copy.string(), "list"});
  EXPECT_NE(listed.out.find("New"), std::string::npos) << listed.out;
  EXPECT_EQ(listed.out.find("SelectQuery"), std::string::npos) << listed.out;
  EXPECT_EQ(Run({"check", copy.string()}).out, "ok\n");
  const std::string before = ReadFile(copy);

  fs::permissions(copy, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  const Result r = Run({"exec", copy.string(), "DROP TABLE Table1"});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err, "Cannot update.  Database or object is read-only.\n");
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

// The whole cycle on copies of real files: one sync brings the working database into line
// (tables, keys, relationships and queries made, changed and dropped), a second comparison
// finds nothing, the backup is the file as it was, and mdbtools and mdb-reader read what
// our reader reads.
TEST_F(MdbCliTest, OneSyncBringsARealWorkingFileIntoLine) {
  SKIP_WITHOUT_TEST_DATA();
  const std::pair<const char*, const char*> pairs[] = {
      {"empty2000.mdb", "indexTestV2000.mdb"},  {"empty2000.mdb", "queryTestV2000.mdb"},
      {"test2V2000.mdb", "indexTestV2000.mdb"}, {"noRoman.mdb", "testIndexPropertiesV2000.mdb"},
      {"queryTestV2000.mdb", "test2V2000.mdb"}, {"indexTestV2000.mdb", "empty2003.mdb"}};
  for (const auto& [work_name, new_name] : pairs) {
    SCOPED_TRACE(std::string(work_name) + " <- " + new_name);
    const fs::path folder = dir_ / (std::string(work_name) + "-" + new_name);
    fs::create_directories(folder);
    const fs::path work = folder / "work.mdb", wanted = folder / "new.mdb";
    fs::copy_file(TestFile(work_name), work);
    fs::copy_file(TestFile(new_name), wanted);
    fs::permissions(work, fs::perms::owner_write, fs::perm_options::add);
    const std::string original = ReadFile(work);
    // These pairs drop tables and columns that hold rows: the run is told to go ahead. A
    // trial first leaves the file as it was and foretells the outcome.
    const Result trial = Run({"sync", work.string(), wanted.string(), "--on-data-loss", "run",
                              "--trial", "--lists", folder.string()});
    EXPECT_EQ(ReadFile(work), original);
    EXPECT_NE(trial.out.find("trial: no differences left"), std::string::npos) << trial.out;
    const Result synced = Run({"sync", work.string(), wanted.string(), "--on-data-loss", "run",
                               "--lists", folder.string()});
    EXPECT_EQ(synced.code, 0) << synced.out << synced.err;
    EXPECT_EQ(trial.code, synced.code) << trial.out << trial.err;
    const Result again =
        Run({"compare", work.string(), wanted.string(), "--lists", (folder / "again").string()});
    EXPECT_EQ(again.code, 0) << again.out;
    EXPECT_EQ(Run({"check", work.string()}).out, "ok\n");
    bool backed_up = false;
    for (const auto& entry : fs::directory_iterator(folder)) {
      const std::string name = entry.path().filename().string();
      if (name.rfind("work_", 0) != 0 || entry.path().extension() != ".mdb") continue;
      backed_up = true;
      EXPECT_EQ(ReadFile(entry.path()), original) << name;
    }
    EXPECT_TRUE(backed_up);
    const dbaccess::Catalog ours = dbaccess::mdb::MdbStorage(work.string(), "").Load();
    if (dbaccess::mdb::testing::MdbToolsInstalled()) {
      dbaccess::mdb::testing::ExpectSameAsMdbTools(work.string(), ours);
      std::set<std::string> listed, queries;
      std::istringstream names(
          dbaccess::mdb::testing::RunCommand("mdb-queries '" + work.string() + "'").out);
      for (std::string name; names >> name;) listed.insert(name);
      for (const dbaccess::Query& q : ours.queries()) queries.insert(q.name);
      EXPECT_EQ(listed, queries);
    }
    if (dbaccess::mdb::testing::WhyNoMdbReader().empty()) {
      dbaccess::mdb::testing::ExpectSameAsMdbReader(work.string(), "");
    }
  }
}
