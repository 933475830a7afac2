#include "dbaccess/storage/mdb/index_page.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "dbaccess/storage/mdb/mdb_testing.h"

namespace dbaccess::mdb {
namespace {

using skarnvel_test::TestDataDir;

IndexEntry Entry(std::vector<uint8_t> key, uint32_t page, uint8_t row, uint32_t child = 0) {
  IndexEntry entry;
  entry.key = std::move(key);
  entry.row = RowPointer{page, row};
  entry.child_page = child;
  return entry;
}

void ExpectSameEntries(const std::vector<IndexEntry>& a, const std::vector<IndexEntry>& b) {
  ASSERT_EQ(a.size(), b.size());
  for (size_t i = 0; i < a.size(); ++i) {
    EXPECT_EQ(a[i].key, b[i].key) << i;
    EXPECT_EQ(a[i].row.Encode(), b[i].row.Encode()) << i;
    EXPECT_EQ(a[i].child_page, b[i].child_page) << i;
  }
}

TEST(IndexPage, LeafAndIntermediatePagesRoundTripWithAndWithoutPrefix) {
  for (bool leaf : {true, false}) {
    IndexPage page;
    page.leaf = leaf;
    page.table_page = 77;
    page.previous_page = 5;
    page.next_page = 9;
    for (uint32_t i = 0; i < 250; ++i) {
      page.entries.push_back(
          Entry({0x7F, 0x80, 0x00, static_cast<uint8_t>(i >> 8), static_cast<uint8_t>(i)}, 0x000101,
                static_cast<uint8_t>(i), leaf ? 0 : 1000 + i));
    }
    for (size_t prefix : {size_t{0}, SharedPrefixLength(page.entries, leaf)}) {
      SCOPED_TRACE(prefix);
      page.prefix_length = prefix;
      const std::vector<uint8_t> bytes = EncodeIndexPage(page, kJet4Layout);
      ASSERT_EQ(bytes.size(), 4096u);
      EXPECT_EQ(bytes[0], leaf ? kPageIndexLeaf : kPageIndexNode);
      const IndexPage back = DecodeIndexPage(ByteView(bytes), kJet4Layout);
      EXPECT_EQ(back.leaf, leaf);
      EXPECT_EQ(back.table_page, 77u);
      EXPECT_EQ(back.previous_page, 5u);
      EXPECT_EQ(back.next_page, 9u);
      EXPECT_EQ(back.prefix_length, prefix);
      ExpectSameEntries(back.entries, page.entries);
      EXPECT_EQ(EncodeIndexPage(back, kJet4Layout), bytes);
      // The free space is what the entries leave.
      const size_t used = 480 + EntryAreaSize(page.entries, leaf, prefix);
      EXPECT_EQ(bytes[2] | (bytes[3] << 8), 4096 - static_cast<int>(used));
    }
  }
}

TEST(IndexPage, SharedPrefixReachesIntoTheRowPointer) {
  const std::vector<IndexEntry> entries = {Entry({0x7F, 0x01}, 0x000105, 3),
                                           Entry({0x7F, 0x01}, 0x000105, 4)};
  EXPECT_EQ(SharedPrefixLength(entries, true), 5u);  // key and the page of the row pointer
  IndexPage page;
  page.entries = entries;
  page.prefix_length = 5;
  const IndexPage back = DecodeIndexPage(ByteView(EncodeIndexPage(page, kJet4Layout)), kJet4Layout);
  ExpectSameEntries(back.entries, entries);
}

TEST(IndexPage, RefusesEntriesThatDoNotFitOrDoNotShareThePrefix) {
  IndexPage page;
  for (uint32_t i = 0; i < 400; ++i)
    page.entries.push_back(Entry(std::vector<uint8_t>(8, 1), i, 0));
  EXPECT_THROW(EncodeIndexPage(page, kJet4Layout), FormatError);
  page.entries = {Entry({0x7F, 0x01}, 1, 0), Entry({0x7F, 0x02}, 1, 1)};
  page.prefix_length = 2;
  EXPECT_THROW(EncodeIndexPage(page, kJet4Layout), FormatError);
}

TEST(IndexPage, RejectsDamagedPages) {
  std::vector<uint8_t> bytes(4096, 0);
  EXPECT_THROW(DecodeIndexPage(ByteView(bytes), kJet4Layout), FormatError);  // not an index
  bytes[0] = kPageIndexLeaf;
  bytes[27] = 0x04;  // an entry of two bytes: shorter than a row pointer
  EXPECT_THROW(DecodeIndexPage(ByteView(bytes), kJet4Layout), FormatError);
  bytes[27] = 0x00;
  bytes[27 + 452] = 0x80;  // an entry reaching past the page
  EXPECT_THROW(DecodeIndexPage(ByteView(bytes), kJet4Layout), FormatError);
  bytes[27 + 452] = 0x00;
  bytes[27] = 0x20;  // one entry of 5 bytes, with a prefix longer than it
  bytes[24] = 9;
  EXPECT_THROW(DecodeIndexPage(ByteView(bytes), kJet4Layout), FormatError);
}

// Every index page Access wrote comes back byte for byte from its decoded entries, up to
// the end of the entries. Access leaves most pages uncompressed; where it does compress, it
// uses the whole prefix the first and last entries share.
TEST(IndexPage, AccessPagesRoundTripByteForByte) {
  SKIP_WITHOUT_TEST_DATA();
  int pages = 0;
  for (const auto& dir_entry : std::filesystem::directory_iterator(TestDataDir())) {
    if (dir_entry.path().extension() != ".mdb") continue;
    const PageFile file(MemorySource(testing::ReadBytes(dir_entry.path().string())));
    if (file.header().version != JetVersion::kJet4) continue;
    for (uint32_t number = 1; number < file.page_count(); ++number) {
      const std::shared_ptr<const Page> raw = file.Read(number);
      if ((*raw)[0] != kPageIndexLeaf && (*raw)[0] != kPageIndexNode) continue;
      SCOPED_TRACE(dir_entry.path().filename().string() + " page " + std::to_string(number));
      const IndexPage page = DecodeIndexPage(ByteView(*raw), file.layout());
      if (page.prefix_length != 0) {
        EXPECT_EQ(page.prefix_length, SharedPrefixLength(page.entries, page.leaf));
      }
      const std::vector<uint8_t> again = EncodeIndexPage(page, file.layout());
      const size_t used = 4096 - (again[2] | (again[3] << 8));
      EXPECT_EQ((*raw)[2] | ((*raw)[3] << 8), again[2] | (again[3] << 8));
      EXPECT_TRUE(std::equal(again.begin(), again.begin() + static_cast<std::ptrdiff_t>(used),
                             raw->begin()));
      ++pages;
    }
  }
  EXPECT_GT(pages, 50);
}

}  // namespace
}  // namespace dbaccess::mdb
