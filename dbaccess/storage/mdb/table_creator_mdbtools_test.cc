// Files our table writers made, read by an independent reader: Debian's mdbtools sees the
// same tables, columns, indexes and rows as our reader (mdbtools_testing.h). Skipped when
// mdbtools is not installed.
#include <gtest/gtest.h>

#include "dbaccess/base/temp_folder_testing.h"
#include "dbaccess/storage/mdb/mdb_storage.h"
#include "dbaccess/storage/mdb/mdbtools_testing.h"
#include "dbaccess/storage/mdb/new_database.h"
#include "dbaccess/storage/mdb/table_creator.h"
#include "dbaccess/storage/mdb/table_editor.h"
#include "dbaccess/storage/mdb/table_writing_testing.h"

namespace dbaccess::mdb {
namespace {

using dbaccess::testing::TempFolder;
using testing::CopyTestFile;
using testing::EveryTypeRow;
using testing::EveryTypeTable;
using testing::Findings;
using testing::OpenFile;

constexpr int kManyRows = 100000;

// A table of every type (rows changed and deleted) and a table of a hundred thousand rows
// written into the database at `path`; from testV2000.mdb one of Access's tables dropped.
void WriteTables(const std::string& path, bool drop_access_table) {
  const auto file = OpenFile(path);
  PageWriter pages(*file, path);
  const uint32_t every = CreateTable(pages, EveryTypeTable("Every type"), 45000);
  {
    TableEditor table(pages, every, "Every type");
    std::vector<RowPointer> where;
    for (int i = 0; i < 500; ++i) where.push_back(table.Insert(EveryTypeRow(i)));
    for (int i = 0; i < 500; i += 13) table.Update(where[i], EveryTypeRow(i + 7000));
    for (int i = 1; i < 500; i += 17) table.Delete(where[i]);
    table.Save();
  }
  TableDescription many;
  many.name = "Many";
  many.columns = {{.name = "Id", .type = kTypeLong, .autonumber = true},
                  {.name = "Label", .type = kTypeText, .size = 20, .compressed_unicode = true},
                  {.name = "Amount", .type = kTypeMoney}};
  many.indexes = {{"PrimaryKey", {{"Id", true}}, true}, {"ByLabel", {{"Label", true}}}};
  const uint32_t page = CreateTable(pages, many, 45000);
  TableEditor table(pages, page, "Many");
  for (int i = 0; i < kManyRows; ++i) {
    table.Insert(Row{Cell{}, Cell{"label " + std::to_string(i % 997)}, Cell{int64_t{i} * 125}});
  }
  table.Save();
  if (drop_access_table) DropTable(pages, "Table2");
  pages.Commit();
}

TEST(TableCreatorMdbToolsTest, mdbtoolsReadsTheTablesWeWrite) {
  SKIP_WITHOUT_TEST_DATA();
  if (!testing::MdbToolsInstalled()) GTEST_SKIP() << "mdbtools is not installed";
  TempFolder folder;
  const std::string path = CopyTestFile(folder, "testV2000.mdb");
  WriteTables(path, true);
  EXPECT_EQ(Findings(*OpenFile(path)), "");
  EXPECT_EQ(testing::MdbToolsVersion(path), "JET4");
  const Catalog catalog = OpenMdbStorage(path, "")->Load();
  ASSERT_NE(catalog.FindTable("Every type"), nullptr);
  ASSERT_NE(catalog.FindTable("Many"), nullptr);
  EXPECT_EQ(catalog.FindTable("Many")->rows.size(), static_cast<size_t>(kManyRows));
  EXPECT_EQ(catalog.FindTable("Table2"), nullptr);
  testing::ExpectSameAsMdbTools(path, catalog, true);
}

// The same tables in a new database of our own making: nothing of Access's is needed.
TEST(TableCreatorMdbToolsTest, mdbtoolsReadsANewDatabaseOfOurOwn) {
  if (!testing::MdbToolsInstalled()) GTEST_SKIP() << "mdbtools is not installed";
  TempFolder folder;
  const std::string path = folder.File("new.mdb");
  CreateDatabaseFile(path, "");
  WriteTables(path, false);
  EXPECT_EQ(Findings(*OpenFile(path)), "");
  EXPECT_EQ(testing::MdbToolsVersion(path), "JET4");
  const Catalog catalog = OpenMdbStorage(path, "")->Load();
  ASSERT_NE(catalog.FindTable("Every type"), nullptr);
  EXPECT_EQ(catalog.FindTable("Many")->rows.size(), static_cast<size_t>(kManyRows));
  testing::ExpectSameAsMdbTools(path, catalog, true);
}

}  // namespace
}  // namespace dbaccess::mdb
