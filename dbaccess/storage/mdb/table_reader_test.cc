#include "dbaccess/storage/mdb/table_reader.h"

#include <gtest/gtest.h>

#include "dbaccess/base/testdata_testing.h"
#include "dbaccess/storage/mdb/database_reader.h"
#include "dbaccess/storage/mdb/mdb_testing.h"

namespace dbaccess::mdb {
namespace {

// Table1 of testV2000.mdb: 9 columns, 2 rows.
class TableReaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SKIP_WITHOUT_TEST_DATA();
    file_ = std::make_unique<PageFile>(
        MemorySource(testing::ReadBytes(testing::TestFile("testV2000.mdb"))));
    const StoredDatabase db = ReadDatabase(*file_, ReadOptions{.user_table_rows = false});
    for (const StoredTable& table : db.tables) {
      if (table.object.name == "Table1") table1_ = table.definition;
    }
    ASSERT_EQ(table1_.columns.size(), 9u);
  }
  std::unique_ptr<PageFile> file_;
  const TextDecoder text_{JetVersion::kJet4, 1252};
  TableDefinition table1_;
};

TEST_F(TableReaderTest, ReadsEveryRowWithinTheLimits) {
  TableReader reader(*file_, text_, ReadLimits::ForFileSize(file_->byte_size()));
  const std::vector<Row> rows = reader.ReadRows(table1_);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].size(), 9u);
}

TEST_F(TableReaderTest, DecodesOnlyTheColumnsAskedForAndTheRestAsNull) {
  TableReader reader(*file_, text_, ReadLimits::ForFileSize(file_->byte_size()));
  const std::vector<Row> all = reader.ReadRows(table1_);
  // Every other column, and a selection shorter than the table: the columns it leaves
  // out are not decoded either.
  std::vector<bool> columns(table1_.columns.size() - 2);
  for (size_t i = 0; i < columns.size(); i += 2) columns[i] = true;
  std::vector<Row> some;
  reader.ForEachRow(
      table1_, [&](Row&& row) { some.push_back(std::move(row)); }, columns);
  ASSERT_EQ(some.size(), all.size());
  size_t values = 0;
  for (size_t r = 0; r < all.size(); ++r) {
    ASSERT_EQ(some[r].size(), all[r].size());
    for (size_t i = 0; i < all[r].size(); ++i) {
      if (i < columns.size() && columns[i]) {
        EXPECT_EQ(some[r][i], all[r][i]) << "row " << r << ", column " << i;
        values += IsNull(all[r][i]) ? 0 : 1;
      } else {
        EXPECT_TRUE(IsNull(some[r][i])) << "row " << r << ", column " << i;
      }
    }
  }
  EXPECT_GT(values, 0u);
}

TEST_F(TableReaderTest, StopsWhenAFileWouldMakeItWorkOrAllocateWithoutEnd) {
  ReadLimits few_cells = ReadLimits::ForFileSize(file_->byte_size());
  few_cells.cells = 10;  // room for one row of 9 cells, not two
  EXPECT_THROW(TableReader(*file_, text_, few_cells).ReadRows(table1_), FormatError);
  ReadLimits no_pages = ReadLimits::ForFileSize(file_->byte_size());
  no_pages.page_visits = 0;
  EXPECT_THROW(TableReader(*file_, text_, no_pages).ReadRows(table1_), FormatError);
}

}  // namespace
}  // namespace dbaccess::mdb
