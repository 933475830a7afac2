#include "dbaccess/storage/mdb/usage_map_editor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "dbaccess/base/temp_folder_testing.h"
#include "dbaccess/storage/mdb/database_reader.h"
#include "dbaccess/storage/mdb/mdb_testing.h"
#include "dbaccess/storage/mdb/usage_map.h"

namespace dbaccess::mdb {
namespace {

using dbaccess::testing::TempFolder;
using testing::ReadBytes;
using testing::TestFile;

// The pages map of Table1 (an inline map over 512 pages) is moved, then outgrows its
// bitmap and becomes a reference map; the reader finds exactly the pages put in.
TEST(UsageMapEditorTest, InlineMapsMoveThenBecomeReferenceMaps) {
  if (!std::filesystem::exists(TestFile("testV2000.mdb"))) {
    GTEST_SKIP() << "the real .mdb test files are not there";
  }
  TempFolder folder;
  const std::string path = folder.File("test.mdb");
  std::filesystem::copy_file(TestFile("testV2000.mdb"), path);
  RowPointer where;
  {
    PageFile file(MemorySource(ReadBytes(path)));
    for (const StoredTable& t : ReadDatabase(file, ReadOptions{.user_table_rows = false}).tables) {
      if (t.object.name == "Table1") where = t.definition.owned_pages;
    }
  }
  auto pages_in = [&](const std::string& file_path) {
    PageFile file(MemorySource(ReadBytes(file_path)));
    const auto row = ReadRow(file, where);
    return std::make_pair(row->bytes.U8(0), ReadUsageMap(file, where));
  };
  const std::vector<uint32_t> original = pages_in(path).second;
  ASSERT_FALSE(original.empty());

  std::vector<uint32_t> expected;
  for (int round = 0; round < 2; ++round) {
    PageFile file(MemorySource(ReadBytes(path)));
    PageWriter writer(file, path);
    uint32_t last = 0;
    const int grow = round == 0 ? 600 : 40000;  // past the inline bitmap, then a map page
    for (int i = 0; i < grow; ++i) last = writer.Allocate();
    UsageMapEditor map(writer, where);
    if (round == 0) {
      for (uint32_t page : original) map.Remove(page);  // the map moves to the new page
    } else {
      map.Add(original.front());  // and then spans more than its bitmap holds
      expected.push_back(original.front());
    }
    map.Add(last);
    expected.push_back(last);
    map.Save();
    writer.Commit();
    const auto [kind, pages] = pages_in(path);
    EXPECT_EQ(kind, round == 0 ? kUsageMapInline : kUsageMapReference);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(pages, expected);
  }
  // The global usage map became a reference map too, and still marks no page free.
  PageFile file(MemorySource(ReadBytes(path)));
  EXPECT_EQ(ReadRow(file, RowPointer{kGlobalUsageMapPage, 0})->bytes.U8(0), kUsageMapReference);
  EXPECT_TRUE(ReadUsageMap(file, RowPointer{kGlobalUsageMapPage, 0}).empty());
}

}  // namespace
}  // namespace dbaccess::mdb
