#include "dbaccess/storage/mdb/index_check.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "dbaccess/storage/mdb/index_page.h"
#include "dbaccess/storage/mdb/mdb_testing.h"
#include "dbaccess/storage/mdb/table_definition.h"

namespace dbaccess::mdb {
namespace {

using skarnvel_test::TestDataDir;

std::vector<std::string> MdbFiles() {
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(TestDataDir())) {
    if (entry.path().extension() == ".mdb") files.push_back(entry.path().string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

std::unique_ptr<PageFile> Open(const std::vector<uint8_t>& bytes) {
  return std::make_unique<PageFile>(MemorySource(bytes));
}

// Every index of every Jet 4 file Access or the engine wrote equals the entries we rebuild
// from the rows: our keys agree with Access's byte for byte.
TEST(IndexCheck, FindsNothingInTheFilesAccessWrote) {
  SKIP_WITHOUT_TEST_DATA();
  int jet4_files = 0;
  int indexes = 0;
  for (const std::string& path : MdbFiles()) {
    SCOPED_TRACE(path);
    const std::unique_ptr<PageFile> file = Open(testing::ReadBytes(path));
    const IndexCheckReport report = CheckIndexes(*file);
    for (const CheckFinding& finding : report.findings) ADD_FAILURE() << finding.ToString();
    if (file->header().version == JetVersion::kJet3) {
      ASSERT_EQ(report.notes.size(), 1u);
      EXPECT_NE(report.notes[0].find("Jet 3"), std::string::npos);
      continue;
    }
    for (const std::string& note : report.notes) ADD_FAILURE() << "passed over: " << note;
    EXPECT_GT(report.indexes_checked, 0);
    indexes += report.indexes_checked;
    ++jet4_files;
  }
  EXPECT_GE(jet4_files, 18);
  EXPECT_GT(indexes, 100);
}

// The index pages of a file, with the table definition each names.
std::vector<uint32_t> IndexPages(const PageFile& file, uint8_t type) {
  std::vector<uint32_t> pages;
  for (uint32_t page = 1; page < file.page_count(); ++page) {
    if ((*file.Read(page))[0] == type) pages.push_back(page);
  }
  return pages;
}

TEST(IndexCheck, ReportsAChangedKeyAMissingAndAnExtraEntry) {
  const std::string path = testing::TestFile("bigIndexTestV2000.mdb");
  if (!std::filesystem::exists(path)) GTEST_SKIP() << "test database not found: " << path;
  const std::vector<uint8_t> original = testing::ReadBytes(path);
  const std::unique_ptr<PageFile> file = Open(original);
  const std::vector<uint32_t> leaves = IndexPages(*file, kPageIndexLeaf);
  ASSERT_FALSE(leaves.empty());

  // Pick a leaf with several entries of a user table and rewrite it.
  for (uint32_t leaf : leaves) {
    IndexPage page = DecodeIndexPage(ByteView(*file->Read(leaf)), file->layout());
    if (page.entries.size() < 3 || page.table_page == kSystemCatalogPage) continue;
    const size_t offset = size_t{leaf} * kJet4Layout.page_size;

    // Drop the middle entry: it goes missing.
    IndexPage fewer = page;
    fewer.entries.erase(fewer.entries.begin() + 1);
    fewer.prefix_length = std::min(fewer.prefix_length, SharedPrefixLength(fewer.entries, true));
    std::vector<uint8_t> bytes = original;
    const std::vector<uint8_t> encoded = EncodeIndexPage(fewer, file->layout());
    std::copy(encoded.begin(), encoded.end(), bytes.begin() + static_cast<std::ptrdiff_t>(offset));
    IndexCheckReport report = CheckIndexes(*Open(bytes));
    ASSERT_FALSE(report.findings.empty());
    EXPECT_NE(report.findings[0].message.find("missing entry"), std::string::npos)
        << report.findings[0].ToString();

    // Point an entry at a row that does not exist: one extra, one missing.
    IndexPage moved = page;
    moved.entries[1].row.row = 250;
    moved.prefix_length = std::min(moved.prefix_length, SharedPrefixLength(moved.entries, true));
    bytes = original;
    const std::vector<uint8_t> encoded_moved = EncodeIndexPage(moved, file->layout());
    std::copy(encoded_moved.begin(), encoded_moved.end(),
              bytes.begin() + static_cast<std::ptrdiff_t>(offset));
    report = CheckIndexes(*Open(bytes));
    bool extra = false;
    bool missing = false;
    for (const CheckFinding& f : report.findings) {
      extra |= f.message.find("extra entry") != std::string::npos && f.page == leaf;
      missing |= f.message.find("missing entry") != std::string::npos;
    }
    EXPECT_TRUE(extra);
    EXPECT_TRUE(missing);

    // Change a key byte past the prefix: the key differs from the row's.
    bytes = original;
    const IndexPageLayout& at = IndexPageLayoutFor(JetVersion::kJet4);
    const size_t first_entry = offset + static_cast<size_t>(at.entries_offset);
    bytes[first_entry + 1] ^= 0x01;
    report = CheckIndexes(*Open(bytes));
    ASSERT_FALSE(report.findings.empty());
    EXPECT_EQ(report.findings[0].page, leaf) << report.findings[0].ToString();
    return;
  }
  FAIL() << "no leaf with three entries";
}

TEST(IndexCheck, PassesOverJet3FilesWithOneNote) {
  const std::string path = testing::TestFile("testV1997.mdb");
  if (!std::filesystem::exists(path)) GTEST_SKIP() << "test database not found: " << path;
  const IndexCheckReport report = CheckIndexes(*Open(testing::ReadBytes(path)));
  EXPECT_TRUE(report.findings.empty());
  ASSERT_EQ(report.notes.size(), 1u);
  EXPECT_EQ(report.indexes_checked, 0);
}

// A text index under a sort order we cannot encode is named in one note and passed over;
// the other indexes are still checked.
TEST(IndexCheck, PassesOverATextIndexUnderAnotherSortOrder) {
  const std::string path = testing::TestFile("testIndexPropertiesV2000.mdb");
  if (!std::filesystem::exists(path)) GTEST_SKIP() << "test database not found: " << path;
  std::vector<uint8_t> bytes = testing::ReadBytes(path);
  const std::unique_ptr<PageFile> file = Open(bytes);
  const TextDecoder text(JetVersion::kJet4, file->header().code_page);
  const IndexCheckReport before = CheckIndexes(*file);

  // The first one-page definition of a user table with an indexed text column: make that
  // column Cyrillic (1049).
  for (uint32_t page = 3; page < file->page_count(); ++page) {
    const std::shared_ptr<const Page> raw = file->Read(page);
    if ((*raw)[0] != kPageTableDefinition || ByteView(*raw).U32(4) != 0) continue;
    const TableDefinition def = DecodeTableDefinition(ByteView(*raw), file->layout(), text);
    if (def.table_type != kTableTypeUser || def.real_indexes.empty()) continue;
    const RealIndexColumn& part = def.real_indexes[0].columns[0];
    for (size_t i = 0; i < def.columns.size(); ++i) {
      if (def.columns[i].number != part.column_number || def.columns[i].type != kTypeText) continue;
      const size_t block = size_t{page} * 4096 + kJet4Layout.tdef_blocks_offset +
                           def.real_indexes.size() * kJet4Layout.tdef_real_index_count_entry_size +
                           i * kJet4Layout.column_block_size;
      testing::Put16(bytes, block + kJet4Layout.column_sort_order_offset, 1049);
      const IndexCheckReport after = CheckIndexes(*Open(bytes));
      EXPECT_TRUE(after.findings.empty());
      ASSERT_FALSE(after.notes.empty());
      EXPECT_NE(after.notes[0].find("1049"), std::string::npos) << after.notes[0];
      EXPECT_EQ(after.indexes_checked + static_cast<int>(after.notes.size()),
                before.indexes_checked);
      return;
    }
  }
  FAIL() << "no indexed text column";
}

}  // namespace
}  // namespace dbaccess::mdb
