#include "dbaccess/storage/mdb/long_value.h"

#include <gtest/gtest.h>

#include "dbaccess/base/testdata_testing.h"
#include "dbaccess/storage/mdb/data_page.h"
#include "dbaccess/storage/mdb/mdb_testing.h"

namespace dbaccess::mdb {
namespace {

using testing::Jet4Builder;

std::vector<uint8_t> Definition(uint32_t length, uint8_t kind, RowPointer where,
                                const std::string& inline_data = "") {
  std::vector<uint8_t> def(kLongValueDefinitionSize + inline_data.size(), 0);
  testing::Put32(def, 0, length | (uint32_t{kind} << 24));
  testing::Put32(def, 4, where.Encode());
  std::copy(inline_data.begin(), inline_data.end(), def.begin() + kLongValueDefinitionSize);
  return def;
}

std::vector<uint8_t> ChainRow(uint32_t next, const std::string& data) {
  std::vector<uint8_t> row(4 + data.size(), 0);
  testing::Put32(row, 0, next);
  std::copy(data.begin(), data.end(), row.begin() + 4);
  return row;
}

std::string Text(const std::vector<uint8_t>& v) { return std::string(v.begin(), v.end()); }

TEST(LongValueTest, ReadsInlineSinglePageAndChainedValues) {
  SKIP_WITHOUT_TEST_DATA();
  Jet4Builder b;
  const uint32_t single = b.AddDataPage(0, {{'o', 'n', 'e', '-', 'p', 'a', 'g', 'e'}});
  const uint32_t tail = b.AddDataPage(0, {ChainRow(0, "world")});
  const uint32_t head = b.AddDataPage(0, {ChainRow(RowPointer{tail, 0}.Encode(), "hello ")});
  auto file = b.Build();
  LongValueReader reader(*file, 1 << 20);
  EXPECT_EQ(Text(reader.Read(ByteView(Definition(6, kLongValueInline, {}, "inline")))), "inline");
  EXPECT_EQ(Text(reader.Read(ByteView(Definition(3, kLongValueSinglePage, {single, 0})))), "one");
  EXPECT_EQ(Text(reader.Read(ByteView(Definition(11, 0, {head, 0})))), "hello world");
  EXPECT_EQ(Text(reader.Read(ByteView(Definition(0, 0, {})))), "");
}

TEST(LongValueTest, RefusesLoopsShortChainsAndOverlongValues) {
  SKIP_WITHOUT_TEST_DATA();
  Jet4Builder b;
  const uint32_t page = b.AddDataPage(0, {ChainRow(0, "xx")});
  testing::Put32(b.bytes(), b.PageOffset(page) + 4096 - 6, RowPointer{page, 0}.Encode());
  const uint32_t short_page = b.AddDataPage(0, {ChainRow(0, "abc")});
  const uint32_t deleted = b.AddDataPage(0, {ChainRow(0, "abc")}, {kRowDeletedFlag});
  auto file = b.Build();
  LongValueReader reader(*file, 1 << 20);
  EXPECT_THROW(reader.Read(ByteView(Definition(100, 0, {page, 0}))), FormatError);
  EXPECT_THROW(reader.Read(ByteView(Definition(10, 0, {short_page, 0}))), FormatError);
  EXPECT_THROW(reader.Read(ByteView(Definition(99, kLongValueInline, {}, "abc"))), FormatError);
  EXPECT_THROW(reader.Read(ByteView(Definition(3, kLongValueSinglePage, {deleted, 0}))),
               FormatError);
  EXPECT_THROW(reader.Read(ByteView(Definition(3, 0xC0, {short_page, 0}))), FormatError);
}

TEST(LongValueTest, StopsAtTheBudgetWhateverTheDefinitionsClaim) {
  SKIP_WITHOUT_TEST_DATA();
  Jet4Builder b;
  const uint32_t page = b.AddDataPage(0, {std::vector<uint8_t>(1000, 'z')});
  auto file = b.Build();
  LongValueReader reader(*file, 2500);
  const auto def = Definition(1000, kLongValueSinglePage, {page, 0});
  EXPECT_EQ(reader.Read(ByteView(def)).size(), 1000u);
  EXPECT_EQ(reader.Read(ByteView(def)).size(), 1000u);
  EXPECT_THROW(reader.Read(ByteView(def)), FormatError);
  EXPECT_THROW(reader.Read(ByteView(Definition(kLongValueLengthMask, 0, {page, 0}))), FormatError);

  // A chain of two rows read with room for one hop.
  Jet4Builder chain;
  const uint32_t tail = chain.AddDataPage(0, {ChainRow(0, "b")});
  const uint32_t head = chain.AddDataPage(0, {ChainRow(RowPointer{tail, 0}.Encode(), "a")});
  auto chained = chain.Build();
  LongValueReader one_hop(*chained, 1 << 20, 1);
  EXPECT_THROW(one_hop.Read(ByteView(Definition(2, 0, {head, 0}))), FormatError);
  LongValueReader two_hops(*chained, 1 << 20, 2);
  EXPECT_EQ(Text(two_hops.Read(ByteView(Definition(2, 0, {head, 0})))), "ab");
}

}  // namespace
}  // namespace dbaccess::mdb
