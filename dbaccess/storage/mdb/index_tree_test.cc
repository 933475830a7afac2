#include "dbaccess/storage/mdb/index_tree.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "dbaccess/storage/mdb/database_reader.h"
#include "dbaccess/storage/mdb/index_check.h"
#include "dbaccess/storage/mdb/mdb_testing.h"

namespace dbaccess::mdb {
namespace {

std::vector<IndexEntry> LongKeys(uint32_t count) {
  std::vector<IndexEntry> entries;
  for (uint32_t i = 0; i < count; ++i) {
    IndexEntry entry;
    entry.key = {0x7F, 0x80, static_cast<uint8_t>(i >> 16), static_cast<uint8_t>(i >> 8),
                 static_cast<uint8_t>(i)};
    entry.row = RowPointer{100 + i / 200, static_cast<uint8_t>(i % 200)};
    entries.push_back(std::move(entry));
  }
  return entries;
}

// Writes the tree into a file of its own and reads it back as the check does.
void ExpectTreeReadsBack(const std::vector<IndexEntry>& entries, const IndexTreeOptions& options,
                         size_t min_pages) {
  testing::Jet4Builder builder;
  constexpr uint32_t kTablePage = 2;
  const BuiltIndexTree tree = BuildIndexTree(
      entries, kTablePage, kJet4Layout, [&] { return builder.AddPage(kPageIndexLeaf); }, options);
  EXPECT_GE(tree.pages.size(), min_pages);
  for (const BuiltIndexPage& page : tree.pages) {
    std::copy(
        page.bytes.begin(), page.bytes.end(),
        builder.bytes().begin() + static_cast<std::ptrdiff_t>(builder.PageOffset(page.number)));
  }
  const std::unique_ptr<PageFile> file = builder.Build();
  std::vector<CheckFinding> findings;
  const std::vector<PlacedEntry> found =
      ReadIndexEntries(*file, tree.root, kTablePage, "test index", findings);
  for (const CheckFinding& finding : findings) ADD_FAILURE() << finding.ToString();
  ASSERT_EQ(found.size(), entries.size());
  for (size_t i = 0; i < entries.size(); ++i) {
    ASSERT_EQ(found[i].entry.key, entries[i].key) << i;
    ASSERT_EQ(found[i].entry.row.Encode(), entries[i].row.Encode()) << i;
  }
}

TEST(IndexTree, OneLeafManyLeavesAndSeveralLevelsReadBack) {
  SKIP_WITHOUT_TEST_DATA();  // the trees are written into a file on a real header page
  ExpectTreeReadsBack({}, {}, 1);
  ExpectTreeReadsBack(LongKeys(10), {}, 1);
  ExpectTreeReadsBack(LongKeys(20000), {}, 50);
  ExpectTreeReadsBack(LongKeys(20000), {.compress = true}, 30);
  ExpectTreeReadsBack(LongKeys(3000), {.compress = true, .page_fill = 120}, 100);
  ExpectTreeReadsBack(LongKeys(3000), {.compress = false, .page_fill = 60}, 600);
}

TEST(IndexTree, RefusesUnsortedEntries) {
  std::vector<IndexEntry> entries = LongKeys(3);
  std::swap(entries[0], entries[2]);
  uint32_t next = 10;
  EXPECT_THROW(BuildIndexTree(entries, 2, kJet4Layout, [&] { return next++; }), FormatError);
}

// Every index Access keeps on one leaf is, rebuilt from the table's rows, the very page
// Access wrote, up to the end of its entries.
TEST(IndexTree, OneLeafIndexesEqualAccessPages) {
  SKIP_WITHOUT_TEST_DATA();
  const std::string dir = skarnvel_test::TestDataDir();
  int compared = 0;
  for (const auto& dir_entry : std::filesystem::directory_iterator(dir)) {
    if (dir_entry.path().extension() != ".mdb") continue;
    const PageFile file(MemorySource(testing::ReadBytes(dir_entry.path().string())));
    if (file.header().version != JetVersion::kJet4) continue;
    const StoredDatabase db = ReadDatabase(file, ReadOptions{.user_table_rows = false});
    for (const StoredTable& table : db.tables) {
      if (table.linked) continue;
      for (const RealIndex& index : table.definition.real_indexes) {
        const std::shared_ptr<const Page> root = file.Read(index.first_page);
        if ((*root)[0] != kPageIndexLeaf) continue;
        SCOPED_TRACE(dir_entry.path().filename().string() + " " + table.object.name + " page " +
                     std::to_string(index.first_page));
        const std::vector<IndexEntry> entries = RebuildIndexEntries(file, table.definition, index);
        const BuiltIndexTree tree = BuildIndexTree(entries, table.definition.page, file.layout(),
                                                   [&] { return index.first_page; });
        ASSERT_EQ(tree.pages.size(), 1u);
        const std::vector<uint8_t>& bytes = tree.pages[0].bytes;
        const size_t used = 4096 - (bytes[2] | (bytes[3] << 8));
        EXPECT_TRUE(std::equal(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(used),
                               root->begin()));
        ++compared;
      }
    }
  }
  EXPECT_GT(compared, 100);
}

}  // namespace
}  // namespace dbaccess::mdb
