#include "dbaccess/storage/mdb/usage_map.h"

#include <gtest/gtest.h>

#include "dbaccess/base/testdata_testing.h"
#include "dbaccess/storage/mdb/mdb_testing.h"

namespace dbaccess::mdb {
namespace {

using testing::Jet4Builder;

TEST(UsageMapTest, InlineMapListsMarkedPagesInsideTheFile) {
  SKIP_WITHOUT_TEST_DATA();
  Jet4Builder b;
  for (int i = 0; i < 20; ++i) b.AddPage(kPageData);
  auto file = b.Build();  // pages 0..20
  const std::vector<uint8_t> map = EncodeInlineUsageMap({3, 4, 11, 19}, 64);
  EXPECT_EQ(DecodeUsageMap(ByteView(map), *file), (std::vector<uint32_t>{3, 4, 11, 19}));

  // Bits past the end of the file are ignored rather than followed.
  std::vector<uint8_t> wide = EncodeInlineUsageMap({5}, 64);
  wide.back() = 0xFF;
  EXPECT_EQ(DecodeUsageMap(ByteView(wide), *file), (std::vector<uint32_t>{5}));
}

TEST(UsageMapTest, ReferenceMapReadsUsageMapPages) {
  SKIP_WITHOUT_TEST_DATA();
  Jet4Builder b;
  const uint32_t map_page = b.AddPage(kPageUsageMap);
  for (int i = 0; i < 10; ++i) b.AddPage(kPageData);
  // Pages 2, 3 and 9 in the first map page.
  b.bytes()[b.PageOffset(map_page) + kUsageMapPageBitmapOffset] = 0x0C;
  b.bytes()[b.PageOffset(map_page) + kUsageMapPageBitmapOffset + 1] = 0x02;
  auto file = b.Build();
  std::vector<uint8_t> map(1 + 4 * 3, 0);
  map[0] = kUsageMapReference;
  testing::Put32(map, 1, map_page);  // the second and third entries are unused
  EXPECT_EQ(DecodeUsageMap(ByteView(map), *file), (std::vector<uint32_t>{2, 3, 9}));

  testing::Put32(map, 1, 3);  // not a usage map page
  EXPECT_THROW(DecodeUsageMap(ByteView(map), *file), FormatError);
  map[0] = 7;
  EXPECT_THROW(DecodeUsageMap(ByteView(map), *file), FormatError);
  EXPECT_THROW(DecodeUsageMap(ByteView(), *file), FormatError);
}

TEST(UsageMapTest, ReadsAMapFromItsRow) {
  SKIP_WITHOUT_TEST_DATA();
  Jet4Builder b;
  for (int i = 0; i < 4; ++i) b.AddPage(kPageData);
  const uint32_t holder = b.AddDataPage(2, {EncodeInlineUsageMap({1, 2}, 64)});
  auto file = b.Build();
  EXPECT_EQ(ReadUsageMap(*file, RowPointer{holder, 0}), (std::vector<uint32_t>{1, 2}));
}

}  // namespace
}  // namespace dbaccess::mdb
