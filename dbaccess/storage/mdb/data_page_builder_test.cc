#include "dbaccess/storage/mdb/data_page_builder.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "dbaccess/storage/mdb/mdb_testing.h"

namespace dbaccess::mdb {
namespace {

using testing::ReadBytes;
using testing::TestFile;

class DataPageBuilderFileTest : public ::testing::TestWithParam<std::string> {};

// Every data and long value page Access wrote comes back byte for byte from its rows, but
// for the free area between the row table and the rows, where it leaves old bytes.
TEST_P(DataPageBuilderFileTest, RebuildsAccessPagesFromTheirRows) {
  if (!std::filesystem::exists(TestFile(GetParam()))) {
    GTEST_SKIP() << "the real .mdb test files are not there";
  }
  PageFile file(MemorySource(ReadBytes(TestFile(GetParam()))));
  const Layout& layout = file.layout();
  size_t pages = 0;
  for (uint32_t number = 1; number < file.page_count(); ++number) {
    Page original = *file.Read(number);
    if (original[0] != kPageData) continue;
    ++pages;
    const DataPageContent content = DecodeDataPage(ByteView(original), layout);
    size_t lowest = original.size();
    for (const PageRow& row : content.rows) lowest -= row.bytes.size();
    const size_t table_end = layout.data_row_table_offset + 2 * content.rows.size();
    for (size_t i = table_end; i < lowest; ++i) original[i] = 0;
    EXPECT_EQ(EncodeDataPage(content, layout), original) << GetParam() << " page " << number;
  }
  EXPECT_GT(pages, 0u);
}

INSTANTIATE_TEST_SUITE_P(Jet4Files, DataPageBuilderFileTest,
                         ::testing::Values("testV2000.mdb", "test2V2000.mdb", "indexTestV2000.mdb",
                                           "queryTestV2000.mdb", "fixedNumericTestV2000.mdb",
                                           "testUnicodeCompV2003.mdb", "delColTestV2000.mdb",
                                           "bigIndexTestV2000.mdb", "empty2000.mdb", "noRoman.mdb",
                                           "adox_jet4.mdb"));

TEST(DataPageBuilderTest, RowsFillThePageAndNoMore) {
  DataPageContent content;
  content.owner = 42;
  const std::vector<uint8_t> row(100, 0xAB);
  while (DataPageHasRoom(content, row.size(), kJet4Layout)) content.rows.push_back({0, row});
  EXPECT_EQ(content.rows.size(), (4096u - 14) / 102);
  const Page page = EncodeDataPage(content, kJet4Layout);
  const DataPageContent back = DecodeDataPage(ByteView(page), kJet4Layout);
  EXPECT_EQ(back.owner, 42u);
  ASSERT_EQ(back.rows.size(), content.rows.size());
  EXPECT_EQ(back.rows.back().bytes, row);
  content.rows.push_back({0, row});
  EXPECT_THROW(EncodeDataPage(content, kJet4Layout), FormatError);

  DataPageContent tiny;
  for (size_t i = 0; i < kMaxRowsPerDataPage; ++i) tiny.rows.push_back({kRowDeletedFlag, {1}});
  EXPECT_FALSE(DataPageHasRoom(tiny, 1, kJet4Layout));  // row numbers are one byte
}

}  // namespace
}  // namespace dbaccess::mdb
