#include "dbaccess/storage/mdb/data_page.h"

#include <gtest/gtest.h>

#include "dbaccess/base/testdata_testing.h"
#include "dbaccess/storage/mdb/mdb_testing.h"

namespace dbaccess::mdb {
namespace {

using testing::Jet4Builder;

std::vector<std::string> Rows(const PageFile& file, uint32_t page) {
  std::vector<std::string> rows;
  ForEachRow(file, page, [&rows](const RowBytes& row) {
    rows.emplace_back(reinterpret_cast<const char*>(row.bytes.data()), row.bytes.size());
  });
  return rows;
}

std::vector<uint8_t> Bytes(const std::string& s) {
  return std::vector<uint8_t>(s.begin(), s.end());
}

std::vector<uint8_t> Pointer(uint32_t page, uint8_t row) {
  const uint32_t packed = RowPointer{page, row}.Encode();
  return {static_cast<uint8_t>(packed), static_cast<uint8_t>(packed >> 8),
          static_cast<uint8_t>(packed >> 16), static_cast<uint8_t>(packed >> 24)};
}

TEST(DataPageTest, ScansLiveRowsAndFollowsMovedOnesOnce) {
  SKIP_WITHOUT_TEST_DATA();
  Jet4Builder b;
  // Page 1: the moved data (flagged deleted, as Jet flags it) and a deleted row.
  const uint32_t other =
      b.AddDataPage(7, {Bytes("moved"), Bytes("gone")}, {kRowDeletedFlag, kRowDeletedFlag});
  // Page 2: a plain row, a pointer to the moved data, a deleted row, a plain row.
  const uint32_t page =
      b.AddDataPage(7, {Bytes("first"), Pointer(other, 0), Bytes("dead"), Bytes("last")},
                    {0, kRowOverflowFlag, kRowDeletedFlag, 0});
  auto file = b.Build();
  EXPECT_EQ(Rows(*file, page), (std::vector<std::string>{"first", "moved", "last"}));
  EXPECT_TRUE(Rows(*file, other).empty());
  EXPECT_FALSE(ReadRow(*file, RowPointer{page, 2}).has_value());
  EXPECT_EQ(ReadRow(*file, RowPointer{page, 1})->bytes.size(), 5u);
}

TEST(DataPageTest, RefusesBrokenRowTablesAndPointers) {
  SKIP_WITHOUT_TEST_DATA();
  Jet4Builder b;
  const uint32_t loop = b.AddDataPage(7, {Pointer(1, 0)}, {kRowOverflowFlag});
  ASSERT_EQ(loop, 1u);  // the row points at itself
  const uint32_t page = b.AddDataPage(7, {Bytes("ok")});
  const uint32_t outside = b.AddDataPage(7, {Pointer(999, 0)}, {kRowOverflowFlag});
  const uint32_t not_data = b.AddPage(kPageTableDefinition);
  auto file = b.Build();
  EXPECT_THROW(Rows(*file, loop), FormatError);
  EXPECT_THROW(Rows(*file, outside), FormatError);
  EXPECT_THROW(Rows(*file, not_data), FormatError);
  EXPECT_THROW(ReadRow(*file, RowPointer{page, 5}), FormatError);

  // A row whose offset points into the row table, one past the page, a huge row count.
  Jet4Builder bad;
  const uint32_t p1 = bad.AddDataPage(7, {Bytes("x")});
  testing::Put16(bad.bytes(), bad.PageOffset(p1) + kJet4Layout.data_row_table_offset, 4);
  const uint32_t p2 = bad.AddDataPage(7, {Bytes("x"), Bytes("y")});
  testing::Put16(bad.bytes(), bad.PageOffset(p2) + kJet4Layout.data_row_table_offset + 2, 4095);
  testing::Put16(bad.bytes(), bad.PageOffset(p2) + kJet4Layout.data_row_table_offset, 100);
  const uint32_t p3 = bad.AddDataPage(7, {});
  testing::Put16(bad.bytes(), bad.PageOffset(p3) + kJet4Layout.data_row_count_offset, 0xFFFF);
  auto damaged = bad.Build();
  EXPECT_THROW(Rows(*damaged, p1), FormatError);
  EXPECT_THROW(Rows(*damaged, p2), FormatError);
  EXPECT_THROW(Rows(*damaged, p3), FormatError);
}

}  // namespace
}  // namespace dbaccess::mdb
