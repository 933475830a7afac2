#include "dbaccess/storage/mdb/mdb_storage.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include "dbaccess/base/jet_error.h"
#include "dbaccess/base/temp_folder_testing.h"
#include "dbaccess/base/testdata_testing.h"
#include "dbaccess/exec/executor.h"
#include "dbaccess/storage/mdb/catalog_mapping.h"
#include "dbaccess/storage/mdb/database_reader.h"
#include "dbaccess/storage/mdb/mdb_testing.h"
#include "dbaccess/storage/mdb/new_database.h"
#include "dbaccess/storage/mdb/page_file.h"
#include "dbaccess/storage/mdb/page_journal.h"
#include "dbaccess/storage/mdb/page_writer.h"
#include "dbaccess/storage/text/text_script.h"

namespace dbaccess::mdb {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::TestFile;
using testing::WriteBytes;

// The passwords of the test files (MANIFEST.md).
std::string PasswordOf(const std::string& file) {
  if (file == "V2000_with-password.mdb") return "password";
  if (file == "password_ucanaccess.mdb") return "ucanaccess";
  return "";
}

Catalog LoadFile(const std::string& file) {
  return OpenMdbStorage(TestFile(file), PasswordOf(file))->Load();
}

int ErrorNumberOf(const std::string& path, const std::string& password = "") {
  try {
    OpenMdbStorage(path, password)->Load();
  } catch (const JetError& e) {
    return e.number();
  }
  return 0;
}

std::vector<std::string> UserTables(const Catalog& catalog) {
  std::vector<std::string> names;
  for (const Table& t : catalog.tables()) {
    if (t.kind == TableKind::kUser) names.push_back(t.name);
  }
  return names;
}

class TempDir {
 public:
  TempDir() {
    path_ = fs::temp_directory_path() /
            ("skarnvel-mdb-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++));
    fs::create_directories(path_);
  }
  ~TempDir() { fs::remove_all(path_); }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  static inline int counter_ = 0;
  fs::path path_;
};

TEST(MdbStorageTest, OpensEveryTestFileWithTheTablesAndQueriesItHolds) {
  SKIP_WITHOUT_TEST_DATA();
  // user tables, saved queries, relationships between user tables
  const std::map<std::string, std::tuple<size_t, size_t, size_t>> expected = {
      {"adox_jet4.mdb", {0, 0, 0}},
      {"empty2000.mdb", {0, 0, 0}},
      {"empty2003.mdb", {0, 0, 0}},
      {"queryTestV2000.mdb", {3, 9, 0}},
      {"queryTestV1997.mdb", {3, 9, 0}},
      {"indexTestV2000.mdb", {3, 0, 2}},
      {"testV2000.mdb", {4, 0, 0}},
      {"testV1997.mdb", {4, 0, 0}},
      {"fixedNumericTestV2000.mdb", {1, 0, 0}},
      {"test2V2000.mdb", {1, 0, 0}},
      {"testUnicodeCompV2003.mdb", {1, 0, 0}},
      {"testIndexPropertiesV2000.mdb", {6, 0, 0}},
      {"delColTestV2000.mdb", {1, 0, 0}},
      {"bigIndexTestV2000.mdb", {1, 0, 0}},
      {"compIndexTestV2000.mdb", {1, 0, 0}},
      {"V2000_with-password.mdb", {1, 0, 0}},
      {"V2000_no-password.mdb", {1, 0, 0}},
      {"password_ucanaccess.mdb", {0, 0, 0}},
      {"noRoman.mdb", {1, 0, 0}},
      {"db-enc.mdb", {1, 0, 0}}};
  size_t seen = 0;
  for (const auto& entry : fs::directory_iterator(TestFile(""))) {
    if (entry.path().extension() != ".mdb") continue;
    const std::string name = entry.path().filename().string();
    SCOPED_TRACE(name);
    ++seen;
    const Catalog catalog = LoadFile(name);
    ASSERT_TRUE(expected.count(name)) << "a test file this test does not know";
    const auto [tables, queries, relationships] = expected.at(name);
    EXPECT_EQ(UserTables(catalog).size(), tables);
    EXPECT_EQ(catalog.queries().size(), queries);
    EXPECT_EQ(catalog.relationships().size(), relationships);
    // The engine's own tables are always there and are system tables.
    for (const char* system : {"MSysObjects", "MSysACEs", "MSysQueries", "MSysRelationships"}) {
      ASSERT_NE(catalog.FindTable(system), nullptr) << system;
      EXPECT_EQ(catalog.FindTable(system)->kind, TableKind::kSystem) << system;
      EXPECT_TRUE(catalog.FindTable(system)->rows.empty()) << system;
    }
  }
  EXPECT_EQ(seen, expected.size());
}

TEST(MdbStorageTest, ClassifiesAccessTablesAndKeepsTheirRelationshipsOut) {
  SKIP_WITHOUT_TEST_DATA();
  const Catalog catalog = LoadFile("indexTestV2000.mdb");
  for (const char* name : {"MSysAccessObjects", "MSysNavPaneGroups", "MSysNavPaneGroupToObjects",
                           "MSysNavPaneGroupCategories", "MSysNavPaneObjectIDs", "MSysNameMap"}) {
    ASSERT_NE(catalog.FindTable(name), nullptr) << name;
    EXPECT_EQ(catalog.FindTable(name)->kind, TableKind::kAccessSystem) << name;
  }
  for (const Relationship& r : catalog.relationships()) {
    EXPECT_THAT(r.primary_table, ::testing::Not(::testing::StartsWith("MSys")));
  }
  EXPECT_EQ(LoadFile("testV1997.mdb").FindTable("MSysModules")->kind, TableKind::kAccessSystem);
}

// Column order, types, sizes, index columns and relationship rules are compared with
// mdbtools in mdbtools_compare_test.cc; these are the parts mdbtools does not report.
TEST(MdbStorageTest, ReadsIndexOptionsAndTheHiddenRelationshipIndex) {
  SKIP_WITHOUT_TEST_DATA();
  const Catalog catalog = LoadFile("indexTestV2000.mdb");
  const Index* fk = catalog.FindTable("Table1")->FindIndex("Table2Table1");
  ASSERT_NE(fk, nullptr);
  EXPECT_TRUE(fk->foreign);
  EXPECT_FALSE(fk->unique);
  EXPECT_FALSE(fk->primary);
  EXPECT_EQ(fk->columns, (std::vector<IndexColumn>{{"otherfk1", false}}));
  // The primary side of a relationship has no index of its own in the model.
  for (const Index& index : catalog.FindTable("Table2")->indexes) EXPECT_FALSE(index.foreign);
  const Index* pk = catalog.FindTable("Table2")->PrimaryKey();
  ASSERT_NE(pk, nullptr);
  EXPECT_TRUE(pk->required);

  const Catalog properties = LoadFile("testIndexPropertiesV2000.mdb");
  const Index* data = properties.FindTable("TableIgnoreNulls2")->FindIndex("DataIndex");
  ASSERT_NE(data, nullptr);
  EXPECT_TRUE(data->ignore_nulls);
  EXPECT_FALSE(data->unique);
  EXPECT_TRUE(properties.FindTable("TableUnique1_temp")->FindIndex("DataIndex")->unique);
}

TEST(MdbStorageTest, ReadsColumnProperties) {
  SKIP_WITHOUT_TEST_DATA();
  const Catalog catalog = LoadFile("testV2000.mdb");
  const Table* t1 = catalog.FindTable("Table1");
  ASSERT_NE(t1, nullptr);
  EXPECT_EQ(t1->FindColumn("E")->default_value, "0");
  EXPECT_EQ(t1->FindColumn("A")->default_value, std::nullopt);
  EXPECT_FALSE(t1->FindColumn("A")->required);
  EXPECT_EQ(t1->FindColumn("H")->extra_properties.at("Format"), "$#,##0.00;($#,##0.00)");
  EXPECT_EQ(t1->FindColumn("B")->extra_properties.at("UnicodeCompression"), "False");
  EXPECT_EQ(t1->FindColumn("A")->extra_properties.count("DefaultValue"), 0u);
  EXPECT_EQ(catalog.FindTable("Table4")->FindColumn("data")->default_value, "GenGUID()");
  EXPECT_TRUE(catalog.FindTable("Table3")->FindColumn("a")->auto_increment);
  EXPECT_EQ(LoadFile("testV1997.mdb").FindTable("Table1")->FindColumn("E")->default_value, "0");
}

TEST(MdbStorageTest, ReadsRowsOfEveryTypeInBothVersions) {
  SKIP_WITHOUT_TEST_DATA();
  for (const char* file : {"testV2000.mdb", "testV1997.mdb"}) {
    SCOPED_TRACE(file);
    const Catalog catalog = LoadFile(file);
    const Table* t1 = catalog.FindTable("Table1");
    ASSERT_EQ(t1->rows.size(), 2u);
    // The two files hold the rows in different orders.
    const bool first = t1->rows[0][0] == Cell{std::string("abcdefg")};
    const Row& row = t1->rows[first ? 0 : 1];
    const Row& other = t1->rows[first ? 1 : 0];
    EXPECT_EQ(row[0], Cell{std::string("abcdefg")});
    EXPECT_EQ(row[1], Cell{std::string("hijklmnop")});
    EXPECT_EQ(row[2], Cell{int64_t{2}});
    EXPECT_EQ(row[3], Cell{int64_t{222}});
    EXPECT_EQ(row[4], Cell{int64_t{333333333}});
    EXPECT_EQ(row[5], Cell{444.555});
    EXPECT_EQ(row[6], Cell{27293.0});         // 1974-09-21
    EXPECT_EQ(row[7], Cell{int64_t{35000}});  // 3.5000
    EXPECT_EQ(row[8], Cell{true});
    EXPECT_EQ(other[0], Cell{std::string("a")});
    EXPECT_EQ(other[8], Cell{false});
  }
  const Catalog unicode_catalog = LoadFile("testUnicodeCompV2003.mdb");
  const Table* unicode = unicode_catalog.FindTable("Table");
  std::vector<std::string> texts;
  for (const Row& row : unicode->rows) texts.push_back(std::get<std::string>(row[1]));
  EXPECT_THAT(texts, ::testing::Contains("Мир"));
  EXPECT_THAT(texts, ::testing::Contains("ääkkösiä"));

  const Catalog numeric_catalog = LoadFile("fixedNumericTestV2000.mdb");
  const Table* numeric = numeric_catalog.FindTable("test");
  ASSERT_EQ(numeric->rows.size(), 1u);
  EXPECT_EQ(numeric->rows[0][0], Cell{std::string("some data")});
  EXPECT_EQ(numeric->rows[0][5], Cell{std::string("-1")});

  // Memo and OLE values live on long value pages.
  const Catalog projects_catalog = LoadFile("test2V2000.mdb");
  const Table* projects = projects_catalog.FindTable("MSP_PROJECTS");
  ASSERT_EQ(projects->rows.size(), 1u);
  const auto& author =
      std::get<std::string>(projects->rows[0][projects->ColumnIndex("PROJ_PROP_AUTHOR")]);
  EXPECT_THAT(author, ::testing::StartsWith("Jon Iles this is a a vawesrasoih"));
  bool has_ole = false;
  for (size_t i = 0; i < projects->columns.size(); ++i) {
    if (projects->columns[i].type == DataType::kLongBinary &&
        std::holds_alternative<Bytes>(projects->rows[0][i])) {
      has_ole = !std::get<Bytes>(projects->rows[0][i]).data.empty();
    }
  }
  EXPECT_TRUE(has_ole);

  const Catalog no_roman = LoadFile("noRoman.mdb");
  const Column& odd = no_roman.FindTable("t_noroman")->columns.at(2);
  EXPECT_EQ(odd.name, "q3¹²³¼½¾ß€Ð×ÝÞðýþäüöß");
}

const char* const kNewLine = "\r\n";

std::string Lines(std::initializer_list<std::string> lines) {
  std::string out;
  for (const std::string& line : lines) out += (out.empty() ? "" : kNewLine) + line;
  return out;
}

TEST(MdbStorageTest, RebuildsTheNineKindsOfQueryAsDaoShowsThem) {
  SKIP_WITHOUT_TEST_DATA();
  const std::map<std::string, std::string> expected = {
      {"SelectQuery",
       Lines({"SELECT DISTINCT Table1.*, Table2.col1, Table2.col2, Table3.col3",
              "FROM (Table1 LEFT JOIN Table3 ON Table1.col1 = Table3.col1) INNER JOIN Table2 ON "
              "(Table3.col1 = Table2.col2) AND (Table3.col1 = Table2.col1)",
              "WHERE (((Table2.col2)=\"foo\" Or (Table2.col2) In (\"buzz\",\"bazz\")))",
              "ORDER BY Table2.col1;"})},
      {"DeleteQuery", Lines({"DELETE Table1.col1, Table1.col2, Table1.col3", "FROM Table1",
                             "WHERE (((Table1.col1)>\"blah\"));"})},
      {"AppendQuery",
       Lines({"INSERT INTO Table3 (col2, col2, col3)",
              "SELECT [Table1].[col2], [Table2].[col2], [Table2].[col3]",
              "FROM Table3, Table1 INNER JOIN Table2 ON [Table1].[col1]=[Table2].[col1];"})},
      {"UpdateQuery",
       Lines({"PARAMETERS User Name Text;", "UPDATE Table1",
              "SET Table1.col1 = \"foo\", Table1.col2 = [Table2].[col3], [Table2].[col1] = [User "
              "Name]",
              "WHERE ((([Table2].[col1]) Is Not Null));"})},
      {"MakeTableQuery",
       Lines({"SELECT Max(Table2.col1) AS MaxOfcol1, Table2.col2, Table3.col2 INTO Table4",
              "FROM (Table2 INNER JOIN Table1 ON Table2.col1 = Table1.col2) RIGHT JOIN Table3 ON "
              "Table1.col2 = Table3.col3",
              "GROUP BY Table2.col2, Table3.col2",
              "HAVING (((Max(Table2.col1))=\"buzz\") AND ((Table2.col2)<>\"blah\"));"})},
      {"CrosstabQuery",
       Lines({"TRANSFORM Count([Table2].[col2]) AS CountOfcol2",
              "SELECT Table2_1.col1, [Table2].[col3], Avg(Table2_1.col2) AS AvgOfcol2",
              "FROM (Table1 INNER JOIN Table2 ON [Table1].[col1]=[Table2].[col1]) INNER JOIN "
              "Table2 AS Table2_1 ON [Table2].[col1]=Table2_1.col3",
              "WHERE ((([Table1].[col1])>\"10\") And ((Table2_1.col1) Is Not Null) And "
              "((Avg(Table2_1.col2))>\"10\"))",
              "GROUP BY Table2_1.col1, [Table2].[col3]", "ORDER BY [Table2].[col3]",
              "PIVOT [Table1].[col1];"})},
      {"UnionQuery",
       Lines({"Select Table1.col1, Table1.col2", "where Table1.col1 = \"foo\"", "UNION",
              "Select Table2.col1, Table2.col2", "UNION ALL Select Table3.col1, Table3.col2",
              "where Table3.col3 > \"blah\";"})},
      // Stored with a NUL at the end, which is no part of the text.
      {"PassthroughQuery", "ALTER TABLE Table4 DROP COLUMN col5;"},
      {"DataDefinitionQuery", "CREATE TABLE Table5 (col1 CHAR, col2 CHAR);"}};
  for (const char* file : {"queryTestV2000.mdb", "queryTestV1997.mdb"}) {
    SCOPED_TRACE(file);
    const Catalog catalog = LoadFile(file);
    ASSERT_EQ(catalog.queries().size(), expected.size());
    for (const Query& query : catalog.queries()) {
      ASSERT_TRUE(expected.count(query.name)) << query.name;
      EXPECT_EQ(query.sql, expected.at(query.name)) << query.name;
    }
    // Listed by name, as DAO lists them.
    EXPECT_EQ(catalog.queries().front().name, "AppendQuery");
    EXPECT_EQ(catalog.queries().back().name, "UpdateQuery");
  }
}

// What the command-line tool's `schema` relies on: a real database written as a script of
// the text storage reads back with the same user tables (rows included), relationships and
// queries. (System tables keep their place and kind; Access's own columns wider than DDL
// allows are narrowed by the script.)
TEST(MdbStorageTest, RealDatabasesKeepStructureAndRowsInTheTextForm) {
  SKIP_WITHOUT_TEST_DATA();
  for (const auto& entry : fs::directory_iterator(TestFile(""))) {
    if (entry.path().extension() != ".mdb") continue;
    const std::string name = entry.path().filename().string();
    SCOPED_TRACE(name);
    const Catalog catalog = LoadFile(name);
    const Catalog text = ReadScript(WriteScript(catalog));
    for (const Table& table : catalog.tables()) {
      const Table* copy = text.FindTable(table.name);
      ASSERT_NE(copy, nullptr) << table.name;
      EXPECT_EQ(copy->kind, table.kind) << table.name;
      if (table.kind == TableKind::kUser) {
        EXPECT_EQ(*copy, table) << table.name;
      }
    }
    EXPECT_EQ(text.relationships(), catalog.relationships());
    EXPECT_EQ(text.queries(), catalog.queries());
  }
}

TEST(MdbStorageTest, ChecksTheDatabasePassword) {
  SKIP_WITHOUT_TEST_DATA();
  const std::string with = TestFile("V2000_with-password.mdb");
  EXPECT_EQ(ErrorNumberOf(with, "password"), 0);
  EXPECT_EQ(ErrorNumberOf(with, ""), 3031);
  EXPECT_EQ(ErrorNumberOf(with, "PASSWORD"), 3031);
  EXPECT_EQ(ErrorNumberOf(with, "wrong"), 3031);
  try {
    OpenMdbStorage(with, "");
    FAIL() << "opened without the password";
  } catch (const JetError& e) {
    EXPECT_STREQ(e.what(), "Not a valid password.");
  }
  EXPECT_EQ(ErrorNumberOf(TestFile("password_ucanaccess.mdb"), "ucanaccess"), 0);
  EXPECT_EQ(ErrorNumberOf(TestFile("password_ucanaccess.mdb"), "password"), 3031);
  // A password given for a database without one is ignored, as Jet does.
  EXPECT_EQ(ErrorNumberOf(TestFile("V2000_no-password.mdb"), "password"), 0);
  // Both twins hold the same data.
  EXPECT_EQ(LoadFile("V2000_with-password.mdb").FindTable("Table1")->rows,
            LoadFile("V2000_no-password.mdb").FindTable("Table1")->rows);
}

TEST(MdbStorageTest, ReadsAnEncryptedDatabase) {
  SKIP_WITHOUT_TEST_DATA();
  const Catalog catalog = LoadFile("db-enc.mdb");
  const Table* t = catalog.FindTable("Table1");
  ASSERT_NE(t, nullptr);
  ASSERT_EQ(t->rows.size(), 2u);
  EXPECT_EQ(t->rows[0], (Row{int64_t{1}, std::string("hello"), int64_t{0}}));
  EXPECT_EQ(t->rows[1], (Row{int64_t{2}, std::string("world"), int64_t{42}}));
}

// A file the user may not write is refused before anything is read or written.
TEST(MdbStorageTest, RefusesToChangeAFileTheUserMayNotWrite) {
  SKIP_WITHOUT_TEST_DATA();
  TempDir dir;
  const std::string path = dir.File("copy.mdb");
  fs::copy_file(TestFile("indexTestV2000.mdb"), path);
  fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  const std::vector<uint8_t> before = ReadBytes(path);
  auto storage = OpenMdbStorage(path, "");
  const Catalog catalog = storage->Load();
  Catalog after = catalog;
  after.RemoveTable("Table3");
  try {
    storage->Commit(catalog, after, {change::DropTable{"Table3"}});
    FAIL() << "a change was accepted";
  } catch (const JetError& e) {
    EXPECT_EQ(e.number(), 3027);
  }
  EXPECT_EQ(ReadBytes(path), before);
  EXPECT_EQ(storage->Load(), catalog);
}

TEST(MdbStorageTest, NoticesWhenTheFileChangesOnDisk) {
  SKIP_WITHOUT_TEST_DATA();
  TempDir dir;
  const std::string path = dir.File("copy.mdb");
  fs::copy_file(TestFile("V2000_no-password.mdb"), path);
  auto storage = OpenMdbStorage(path, "");
  storage->Load();
  EXPECT_FALSE(storage->ChangedOnDisk());
  fs::remove(path);
  fs::copy_file(TestFile("db-enc.mdb"), path);
  EXPECT_TRUE(storage->ChangedOnDisk());
  EXPECT_NE(storage->Load().FindTable("Table1"), nullptr);
  EXPECT_FALSE(storage->ChangedOnDisk());

  // A file last changed long ago is known by its size and times.
  const std::string old = dir.File("old.mdb");
  fs::copy_file(TestFile("V2000_no-password.mdb"), old);
  fs::last_write_time(old, fs::file_time_type::clock::now() - std::chrono::hours(1));
  auto old_storage = OpenMdbStorage(old, "");
  old_storage->Load();
  EXPECT_FALSE(old_storage->ChangedOnDisk());
  {
    std::ofstream append(old, std::ios::binary | std::ios::app);
    append << "x";
  }
  EXPECT_TRUE(old_storage->ChangedOnDisk());
}

TEST(MdbStorageTest, GivesClearErrorsForMissingForeignAndDamagedFiles) {
  SKIP_WITHOUT_TEST_DATA();
  TempDir dir;
  EXPECT_EQ(ErrorNumberOf(dir.File("missing.mdb")), 3024);
  EXPECT_EQ(ErrorNumberOf(dir.File("no/such/folder.mdb")), 3024);
  EXPECT_EQ(ErrorNumberOf(dir.File("")), 3343);  // a folder

  WriteBytes(dir.File("text.mdb"), {'h', 'e', 'l', 'l', 'o'});
  EXPECT_EQ(ErrorNumberOf(dir.File("text.mdb")), 3343);
  WriteBytes(dir.File("empty.mdb"), {});
  EXPECT_EQ(ErrorNumberOf(dir.File("empty.mdb")), 3343);
  try {
    OpenMdbStorage(dir.File("text.mdb"), "");
  } catch (const JetError& e) {
    EXPECT_EQ(std::string(e.what()),
              "Unrecognized database format '" + dir.File("text.mdb") + "'.");
  }

  const std::vector<uint8_t> good = ReadBytes(TestFile("queryTestV2000.mdb"));
  std::vector<uint8_t> ace = good;
  std::memcpy(ace.data() + 4, "Standard ACE DB", 15);
  ace[kHeaderVersionOffset] = 3;
  WriteBytes(dir.File("ace.accdb"), ace);
  EXPECT_EQ(ErrorNumberOf(dir.File("ace.accdb")), 3343);

  for (size_t size :
       {size_t{100}, size_t{4096}, size_t{3 * 4096}, good.size() / 2, good.size() - 1}) {
    WriteBytes(dir.File("cut.mdb"), std::vector<uint8_t>(good.begin(), good.begin() + size));
    const int number = ErrorNumberOf(dir.File("cut.mdb"));
    EXPECT_TRUE(number == 3343 || number == 0) << size;  // the last page may hold nothing
  }
  std::vector<uint8_t> no_catalog = good;
  std::fill(no_catalog.begin() + 2 * 4096, no_catalog.begin() + 3 * 4096, 0xAB);
  WriteBytes(dir.File("no-catalog.mdb"), no_catalog);
  EXPECT_EQ(ErrorNumberOf(dir.File("no-catalog.mdb")), 3343);
}

}  // namespace
}  // namespace dbaccess::mdb

namespace dbaccess::mdb {
namespace {

// A real .mdb whose column was renamed inside the file to "Z] Bit;", a name that would end
// the brackets of every command built from it: the database is refused, naming the column.
TEST(MdbStorageTest, RefusesADatabaseWithANameJetDoesNotAllow) {
  const std::string source = TestFile("testV2000.mdb");
  if (!fs::exists(source)) GTEST_SKIP() << "no test file " << source;
  std::vector<uint8_t> bytes = ReadBytes(source);
  const auto utf16 = [](std::string_view ascii) {
    std::vector<uint8_t> out;
    for (char c : ascii) {
      out.push_back(static_cast<uint8_t>(c));
      out.push_back(0);
    }
    return out;
  };
  const std::vector<uint8_t> from = utf16("column9"), to = utf16("Z] Bit;");
  int replaced = 0;
  for (auto it = std::search(bytes.begin(), bytes.end(), from.begin(), from.end());
       it != bytes.end(); it = std::search(it, bytes.end(), from.begin(), from.end())) {
    it = std::copy(to.begin(), to.end(), it);
    ++replaced;
  }
  ASSERT_GT(replaced, 0);
  TempDir dir;
  const std::string path = dir.File("hostile.mdb");
  WriteBytes(path, bytes);
  try {
    OpenMdbStorage(path, "")->Load();
    ADD_FAILURE() << "a database with the name \"Z] Bit;\" was opened";
  } catch (const JetError& e) {
    EXPECT_EQ(e.number(), 3125);
    EXPECT_THAT(e.what(), ::testing::HasSubstr("field 'Z] Bit;' of table 'Table2'"));
    EXPECT_THAT(e.what(), ::testing::HasSubstr(path));
  }
}

// A writer killed after its pages were written but before its journal was removed: the next
// opening puts the old pages back before it reads anything.
TEST(MdbStorageTest, OpeningRollsBackAChangeLeftUnfinished) {
  SKIP_WITHOUT_TEST_DATA();
  dbaccess::testing::TempFolder folder;
  const std::string path = folder.File("work.mdb");
  fs::copy_file(TestFile("testV2000.mdb"), path);
  const std::vector<uint8_t> before = ReadBytes(path);
  {
    PageFile file(MemorySource(before));
    PageWriter pages(file, path);
    Page& page = pages.Edit(kSystemCatalogPage);
    page[100] ^= 0xFF;  // the catalog's definition damaged, as far as any reader can tell
    pages.Allocate();
    SetJournalCrashHookForTesting(
        [](JournalStep step, size_t) { return step == JournalStep::kJournalRemove; });
    EXPECT_THROW(pages.Commit(), PageWriteCrash);
    SetJournalCrashHookForTesting({});
  }
  ASSERT_TRUE(fs::exists(JournalPath(path)));
  ASSERT_NE(ReadBytes(path), before);

  MdbStorage storage(path, "");
  EXPECT_FALSE(fs::exists(JournalPath(path)));
  EXPECT_EQ(ReadBytes(path), before);
  EXPECT_EQ(storage.Load().tables().size(), LoadFile("testV2000.mdb").tables().size());
}

}  // namespace
}  // namespace dbaccess::mdb

namespace dbaccess::mdb {
namespace {

// Loading reads the structure; a table's rows are read when first needed, from the file as
// this storage last left it, and never from a file another program has changed since.
TEST(MdbStorageTest, ReadsATablesRowsWhenTheyAreFirstNeeded) {
  SKIP_WITHOUT_TEST_DATA();
  TempDir dir;
  const std::string path = dir.File("copy.mdb");
  WriteBytes(path, ReadBytes(TestFile("testV2000.mdb")));
  const Catalog reference = LoadFile("testV2000.mdb");
  for (const Table& table : reference.tables()) (void)table.rows.size();

  MdbStorage storage(path, "");
  Catalog catalog = storage.Load();
  std::vector<std::string> users = UserTables(catalog);
  ASSERT_GE(users.size(), 3u);
  for (const std::string& name : users) EXPECT_FALSE(catalog.FindTable(name)->rows.loaded());
  EXPECT_EQ(catalog.FindTable(users[0])->rows, reference.FindTable(users[0])->rows);

  // A change of another table leaves the rows not yet read readable, as they were.
  Catalog after = catalog;
  ChangeList changes;
  ExecuteSql(after, "ALTER TABLE [" + users[1] + "] ADD COLUMN Extra LONG", changes);
  storage.Commit(catalog, after, changes);
  EXPECT_FALSE(after.FindTable(users[2])->rows.loaded());
  EXPECT_EQ(after.FindTable(users[2])->rows, reference.FindTable(users[2])->rows);

  // Once another program has changed the file, rows not yet read are refused.
  const Catalog stale = storage.Load();
  {
    MdbStorage other(path, "");
    const Catalog theirs = other.Load();
    Catalog changed = theirs;
    ChangeList their_changes;
    ExecuteSql(changed, "CREATE TABLE Theirs (a LONG)", their_changes);
    other.Commit(theirs, changed, their_changes);
  }
  EXPECT_TRUE(storage.ChangedOnDisk());
  const Catalog fresh = storage.Load();  // read anew: the stale catalog stays stale
  EXPECT_NE(fresh.FindTable("Theirs"), nullptr);
  EXPECT_EQ(fresh.FindTable(users[2])->rows, reference.FindTable(users[2])->rows);
  try {
    (void)stale.FindTable(users[2])->rows.size();
    ADD_FAILURE() << "rows read from a file another program changed";
  } catch (const JetError& e) {
    EXPECT_EQ(e.number(), 3197);
  }
}

}  // namespace
}  // namespace dbaccess::mdb

namespace dbaccess::mdb {
namespace {

// Rows read when first needed are the rows an eager read of the whole file gives, on every
// test file.
TEST(MdbStorageTest, RowsReadOnDemandAreTheRowsReadAtOnce) {
  SKIP_WITHOUT_TEST_DATA();
  int files = 0;
  for (const auto& entry : fs::directory_iterator(skarnvel_test::TestDataDir())) {
    if (entry.path().extension() != ".mdb") continue;
    const std::string name = entry.path().filename().string();
    SCOPED_TRACE(name);
    PageFile file(MemorySource(ReadBytes(entry.path().string())));
    const Catalog eager = BuildCatalog(ReadDatabase(file));
    const Catalog lazy = LoadFile(name);
    ASSERT_EQ(lazy.tables().size(), eager.tables().size());
    for (const Table& table : eager.tables()) {
      const Table* other = lazy.FindTable(table.name);
      ASSERT_NE(other, nullptr) << table.name;
      EXPECT_EQ(other->rows, table.rows) << table.name;
    }
    EXPECT_EQ(lazy, eager);
    ++files;
  }
  EXPECT_GE(files, 20);
}

}  // namespace
}  // namespace dbaccess::mdb

namespace dbaccess::mdb {
namespace {

// Opening reads no data page of a user table: with every one of them destroyed, the file
// opens with its whole structure, and only reading the rows finds the damage.
void ExpectOpenedWithoutUserDataPages(const std::string& name);

TEST(MdbStorageTest, OpeningReadsNoDataPageOfAUserTable) {
  SKIP_WITHOUT_TEST_DATA();
  for (const char* name : {"testV2000.mdb", "indexTestV2000.mdb", "compIndexTestV2000.mdb"}) {
    SCOPED_TRACE(name);
    ExpectOpenedWithoutUserDataPages(name);
  }
}

void ExpectOpenedWithoutUserDataPages(const std::string& name) {
  TempDir dir;
  const std::string path = dir.File("no-rows.mdb");
  std::vector<uint8_t> bytes = ReadBytes(TestFile(name));
  const Catalog original = LoadFile(name);
  std::set<uint32_t> user_pages;
  {
    PageFile file(MemorySource(bytes));
    for (const StoredTable& table : ReadDatabase(file, {.user_table_rows = false}).tables) {
      if (!table.linked && !table.object.system() && !table.object.access_system()) {
        user_pages.insert(static_cast<uint32_t>(table.object.id));
      }
    }
  }
  ASSERT_FALSE(user_pages.empty());
  constexpr size_t kPage = 4096;
  size_t destroyed = 0;
  for (size_t at = kPage; at + kPage <= bytes.size(); at += kPage) {
    const uint32_t owner = bytes[at + 4] | bytes[at + 5] << 8 | bytes[at + 6] << 16 |
                           static_cast<uint32_t>(bytes[at + 7]) << 24;
    if (bytes[at] != kPageData || user_pages.count(owner) == 0) continue;
    std::fill(bytes.begin() + static_cast<std::ptrdiff_t>(at + 8),
              bytes.begin() + static_cast<std::ptrdiff_t>(at + kPage), 0xEE);
    ++destroyed;
  }
  ASSERT_GT(destroyed, 0u);
  WriteBytes(path, bytes);

  const Catalog opened = OpenMdbStorage(path, "")->Load();
  for (const Table& table : original.tables()) {
    const Table* same = opened.FindTable(table.name);
    ASSERT_NE(same, nullptr) << table.name;
    EXPECT_EQ(same->columns, table.columns);
    EXPECT_EQ(same->indexes, table.indexes);
  }
  EXPECT_EQ(opened.relationships(), original.relationships());
  EXPECT_EQ(opened.queries(), original.queries());
  int refused = 0;
  for (const std::string& name : UserTables(opened)) {
    try {
      (void)opened.FindTable(name)->rows.size();
    } catch (const JetError& e) {
      EXPECT_EQ(e.number(), 3343) << name;
      ++refused;
    }
  }
  EXPECT_GT(refused, 0);
}

}  // namespace
}  // namespace dbaccess::mdb

namespace dbaccess::mdb {
namespace {

// A column changed on a table whose rows were not read converts them on the way to the file:
// neither catalog holds the rows, what is refused is refused before anything is written, and
// the file ends with the rows a change made in memory gives.
TEST(MdbStorageTest, AColumnChangeConvertsRowsWithoutHoldingThem) {
  TempDir dir;
  const std::string path = dir.File("alter.mdb");
  CreateDatabaseFile(path, "");
  {
    MdbStorage storage(path, "");
    const Catalog empty = storage.Load();
    Catalog made = empty;
    ChangeList changes;
    ExecuteSql(made,
               "CREATE TABLE T (Id LONG CONSTRAINT pk PRIMARY KEY, Name TEXT(50), Amount LONG)",
               changes);
    for (int i = 0; i < 300; ++i) {
      ExecuteSql(made,
                 "INSERT INTO T VALUES (" + std::to_string(i) + ", 'name " + std::to_string(i % 7) +
                     "', " + std::to_string(i * 3) + ")",
                 changes);
    }
    storage.Commit(empty, made, changes);
  }
  const std::vector<std::string> statements = {"ALTER TABLE T ALTER COLUMN Name TEXT(80)",
                                               "ALTER TABLE T ALTER COLUMN Amount DOUBLE",
                                               "ALTER TABLE T ALTER COLUMN Amount TEXT(10)"};
  // The same changes on rows held in memory.
  Catalog expected = OpenMdbStorage(path, "")->Load();
  (void)expected.FindTable("T")->rows.size();
  ChangeList ignored;
  for (const std::string& sql : statements) ExecuteSql(expected, sql, ignored);

  MdbStorage storage(path, "");
  const Catalog before = storage.Load();
  Catalog after = before;
  ChangeList changes;
  for (const std::string& sql : statements) ExecuteSql(after, sql, changes);
  EXPECT_FALSE(before.FindTable("T")->rows.loaded());
  EXPECT_FALSE(after.FindTable("T")->rows.loaded());
  // Refused as the rows in memory refuse it, the rows still not held.
  Catalog refused = after;
  ChangeList refused_changes;
  try {
    ExecuteSql(refused, "ALTER TABLE T ALTER COLUMN Name TEXT(3)", refused_changes);
    ADD_FAILURE() << "a text cut short was let through";
  } catch (const JetError& e) {
    EXPECT_EQ(e.number(), 3163);
  }
  EXPECT_FALSE(after.FindTable("T")->rows.loaded());

  storage.Commit(before, after, changes);
  storage.AsCommitted(changes, after);
  EXPECT_FALSE(after.FindTable("T")->rows.loaded());
  EXPECT_EQ(after.FindTable("T")->rows, expected.FindTable("T")->rows);
  EXPECT_EQ(after.FindTable("T")->columns, expected.FindTable("T")->columns);
  const Catalog reread = OpenMdbStorage(path, "")->Load();
  EXPECT_EQ(reread.FindTable("T")->rows, expected.FindTable("T")->rows);
}

}  // namespace
}  // namespace dbaccess::mdb
