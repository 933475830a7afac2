#include "dbaccess/storage/mdb/table_creator.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "dbaccess/base/jet_error.h"
#include "dbaccess/storage/mdb/catalog_mapping.h"
#include "dbaccess/storage/mdb/catalog_writer.h"
#include "dbaccess/storage/mdb/table_editor.h"
#include "dbaccess/storage/mdb/table_writing_testing.h"

namespace dbaccess::mdb {
namespace {

using dbaccess::testing::TempFolder;
using testing::CopyTestFile;
using testing::EveryTypeRow;
using testing::EveryTypeTable;
using testing::Findings;
using testing::FindStoredTable;
using testing::OpenFile;
using testing::ReadBytes;

constexpr double kNow = 45000.5;

// A table of every type made in an Access file, filled, changed and read back: the file is
// sound, the rows are the ones written, the catalog holds the table as Access holds its own.
TEST(TableCreatorTest, ATableOfEveryTypeIsMadeFilledChangedAndReadBack) {
  SKIP_WITHOUT_TEST_DATA();
  TempFolder folder;
  const std::string path = CopyTestFile(folder, "testV2000.mdb");
  std::vector<Row> expected;
  uint32_t page = 0;
  {
    const auto file = OpenFile(path);
    PageWriter pages(*file, path);
    page = CreateTable(pages, EveryTypeTable("Everything"), kNow);
    TableEditor table(pages, page, "Everything");
    std::vector<RowPointer> where;
    for (int i = 0; i < 600; ++i) {
      where.push_back(table.Insert(EveryTypeRow(i)));
      Row row = EveryTypeRow(i);
      row[0] = Cell{int64_t{i + 1}};
      expected.push_back(row);
    }
    for (int i = 0; i < 600; i += 9) {  // grown, shrunk, long values replaced
      Row row = EveryTypeRow(i + 1000);
      row[0] = Cell{};
      row[8] = Cell{"changed " + std::to_string(i)};
      table.Update(where[i], row);
      row[0] = expected[i][0];
      expected[i] = row;
    }
    for (int i = 5; i < 600; i += 11) {
      table.Delete(where[i]);
      expected[i].clear();
    }
    table.Save();
    pages.Commit();
  }
  std::erase_if(expected, [](const Row& row) { return row.empty(); });

  const auto file = OpenFile(path);
  EXPECT_EQ(Findings(*file), "");
  const StoredDatabase db = ReadDatabase(*file);
  const StoredTable* table = FindStoredTable(db, "Everything");
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(table->definition.page, page);
  EXPECT_EQ(table->definition.row_count, expected.size());
  ASSERT_EQ(table->rows.size(), expected.size());
  EXPECT_TRUE(std::is_permutation(table->rows.begin(), table->rows.end(), expected.begin()));

  // The catalog: owned as Access's tables are, with as many access entries.
  const StoredTable* access_table = FindStoredTable(db, "Table1");
  ASSERT_NE(access_table, nullptr);
  EXPECT_EQ(table->object.parent_id, kTablesContainerId);
  EXPECT_EQ(table->object.flags, 0u);
  EXPECT_EQ(table->object.type, kObjectTypeTable);
  const Catalog catalog = BuildCatalog(db);
  const Table* model = catalog.FindTable("Everything");
  ASSERT_NE(model, nullptr);
  ASSERT_EQ(model->columns.size(), 15u);
  EXPECT_EQ(model->columns[0].type, DataType::kLong);
  EXPECT_TRUE(model->columns[0].auto_increment);
  EXPECT_TRUE(model->columns[3].required);
  EXPECT_EQ(model->columns[7].default_value, "Now()");
  EXPECT_EQ(model->columns[8].size, 40);
  EXPECT_EQ(model->columns[14].precision, 18);
  EXPECT_EQ(model->columns[14].scale, 4);
  ASSERT_NE(model->PrimaryKey(), nullptr);
  const Index* by_short_when = model->FindIndex("ByShortWhen");
  ASSERT_NE(by_short_when, nullptr);
  ASSERT_EQ(by_short_when->columns.size(), 2u);
  EXPECT_TRUE(by_short_when->columns[1].descending);
  EXPECT_TRUE(model->FindIndex("ByCode")->unique);
}

// A hundred thousand rows in one table: every index over several levels of pages, the row
// count exact, every row read back.
TEST(TableCreatorTest, AHundredThousandRows) {
  SKIP_WITHOUT_TEST_DATA();
  constexpr int kRows = 100000;
  TempFolder folder;
  const std::string path = CopyTestFile(folder, "empty2000.mdb");
  {
    const auto file = OpenFile(path);
    PageWriter pages(*file, path);
    TableDescription description;
    description.name = "Many";
    description.columns = {
        {.name = "Id", .type = kTypeLong, .autonumber = true},
        {.name = "Name", .type = kTypeText, .size = 30, .compressed_unicode = true},
        {.name = "Value", .type = kTypeDouble}};
    description.indexes = {{"PrimaryKey", {{"Id", true}}, true}, {"ByName", {{"Name", false}}}};
    const uint32_t page = CreateTable(pages, description, kNow);
    TableEditor table(pages, page, "Many");
    for (int i = 0; i < kRows; ++i) {
      table.Insert(Row{Cell{}, Cell{"name " + std::to_string(i * 7919 % kRows)}, Cell{i * 0.5}});
    }
    table.Save();
    pages.Commit();
  }
  const auto file = OpenFile(path);
  const DatabaseCheckReport report = CheckDatabase(*file);
  EXPECT_TRUE(report.sound()) << Findings(*file);
  EXPECT_GE(report.entries_checked, 2u * kRows);
  const StoredDatabase db = ReadDatabase(*file);
  const StoredTable* table = FindStoredTable(db, "Many");
  ASSERT_NE(table, nullptr);
  ASSERT_EQ(table->rows.size(), static_cast<size_t>(kRows));
  EXPECT_EQ(table->definition.row_count, static_cast<uint32_t>(kRows));
  int64_t id_sum = 0;
  for (const Row& row : table->rows) id_sum += std::get<int64_t>(row[0]);
  EXPECT_EQ(id_sum, int64_t{kRows} * (kRows + 1) / 2);
}

}  // namespace
}  // namespace dbaccess::mdb
