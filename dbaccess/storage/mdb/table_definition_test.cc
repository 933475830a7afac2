#include "dbaccess/storage/mdb/table_definition.h"

#include <gtest/gtest.h>

#include "dbaccess/base/testdata_testing.h"
#include "dbaccess/storage/mdb/mdb_testing.h"

namespace dbaccess::mdb {
namespace {

using testing::ReadBytes;
using testing::TestFile;

std::vector<std::string> ColumnNames(const TableDefinition& def) {
  std::vector<std::string> names;
  for (const ColumnDefinition& c : def.columns) names.push_back(c.name);
  return names;
}

TableDefinition Read(const std::vector<uint8_t>& bytes, uint32_t page) {
  PageFile file(MemorySource(bytes));
  const TextDecoder text(file.header().version, file.header().code_page);
  return ReadTableDefinition(file, page, text);
}

TEST(TableDefinitionTest, ReadsTheSystemCatalogOfBothVersions) {
  SKIP_WITHOUT_TEST_DATA();
  for (const char* name : {"testV2000.mdb", "testV1997.mdb"}) {
    const TableDefinition def = Read(ReadBytes(TestFile(name)), kSystemCatalogPage);
    EXPECT_EQ(def.table_type, kTableTypeSystem) << name;
    const auto names = ColumnNames(def);
    ASSERT_EQ(names.size(), 17u) << name;
    EXPECT_NE(std::find(names.begin(), names.end(), "Id"), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), "LvProp"), names.end());
    ASSERT_EQ(def.logical_indexes.size(), 2u) << name;
    for (const LogicalIndex& index : def.logical_indexes) {
      const RealIndex& real = def.real_indexes[index.real_index];
      if (index.name == "Id") {
        EXPECT_EQ(index.type, kLogicalIndexPrimaryKey);
        EXPECT_EQ(real.columns.size(), 1u);
      } else {
        EXPECT_EQ(index.name, "ParentIdName");
        EXPECT_EQ(real.columns.size(), 2u);
        EXPECT_TRUE(real.flags & kIndexFlagUnique);
      }
    }
  }
}

// Table2 of testV2000.mdb has 89 columns: its definition continues on a second page.
TEST(TableDefinitionTest, JoinsDefinitionsThatSpanPages) {
  SKIP_WITHOUT_TEST_DATA();
  const std::vector<uint8_t> bytes = ReadBytes(TestFile("testV2000.mdb"));
  PageFile file(MemorySource(bytes));
  uint32_t wide_page = 0;
  for (uint32_t p = 3; p < file.page_count() && wide_page == 0; ++p) {
    const auto page = file.Read(p);
    if ((*page)[0] == kPageTableDefinition && ByteView(*page).U32(4) != 0) wide_page = p;
  }
  ASSERT_NE(wide_page, 0u);
  const TableDefinition def = Read(bytes, wide_page);
  ASSERT_EQ(def.columns.size(), 89u);
  for (size_t i = 0; i < def.columns.size(); ++i) {
    EXPECT_EQ(def.columns[i].name, "column" + std::to_string(i + 1));
  }

  // The same chain made to loop back to its start.
  std::vector<uint8_t> looped = bytes;
  const uint32_t second = ByteView(looped).U32(size_t{wide_page} * 4096 + 4);
  testing::Put32(looped, size_t{second} * 4096 + 4, wide_page);
  EXPECT_THROW(Read(looped, wide_page), FormatError);
}

TEST(TableDefinitionTest, RefusesImplausibleOrBrokenDefinitions) {
  SKIP_WITHOUT_TEST_DATA();
  const std::vector<uint8_t> bytes = ReadBytes(TestFile("testV2000.mdb"));
  const size_t base = kSystemCatalogPage * 4096;
  std::vector<uint8_t> columns = bytes;
  testing::Put16(columns, base + kJet4Layout.tdef_column_count_offset, 60000);
  EXPECT_THROW(Read(columns, kSystemCatalogPage), FormatError);
  std::vector<uint8_t> indexes = bytes;
  testing::Put32(indexes, base + kJet4Layout.tdef_logical_index_count_offset, 0x7FFFFFFF);
  EXPECT_THROW(Read(indexes, kSystemCatalogPage), FormatError);
  std::vector<uint8_t> more_real = bytes;  // blocks pushed past the end of the page
  testing::Put32(more_real, base + kJet4Layout.tdef_real_index_count_offset, 200);
  EXPECT_THROW(Read(more_real, kSystemCatalogPage), FormatError);
  EXPECT_THROW(Read(bytes, 1), FormatError);       // the usage map page
  EXPECT_THROW(Read(bytes, 100000), FormatError);  // past the end of the file
}

}  // namespace
}  // namespace dbaccess::mdb
