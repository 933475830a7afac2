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
