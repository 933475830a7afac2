#include "dbaccess/storage/mdb/page_writer.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "dbaccess/base/temp_folder_testing.h"
#include "dbaccess/storage/mdb/data_page.h"
#include "dbaccess/storage/mdb/mdb_testing.h"
#include "dbaccess/storage/mdb/usage_map.h"

namespace dbaccess::mdb {
namespace {

using dbaccess::testing::TempFolder;
using testing::ReadBytes;
using testing::TestFile;

std::set<uint32_t> FreePages(const std::string& path) {
  PageFile file(MemorySource(ReadBytes(path)));
  const std::vector<uint32_t> pages = ReadUsageMap(file, RowPointer{kGlobalUsageMapPage, 0});
  return std::set<uint32_t>(pages.begin(), pages.end());
}

class PageWriterTest : public ::testing::Test {
 protected:
  // A copy of a test file, or a skip when the test files are not there.
  std::string Copy(const std::string& name) {
    if (!std::filesystem::exists(TestFile(name))) return {};
    const std::string path = folder_.File(name);
    std::filesystem::copy_file(TestFile(name), path);
    return path;
  }
  TempFolder folder_;
};

// delColTestV2000.mdb has two free pages (22 and 27): they are used before the file grows,
// pages given back are free again, and every page not written stays as it was.
TEST_F(PageWriterTest, ReusesFreePagesThenGrowsAndLeavesOtherPagesAlone) {
  const std::string path = Copy("delColTestV2000.mdb");
  if (path.empty()) GTEST_SKIP() << "the real .mdb test files are not there";
  const std::vector<uint8_t> before = ReadBytes(path);
  const uint32_t old_count = static_cast<uint32_t>(before.size() / 4096);
  std::vector<uint32_t> allocated;
  {
    PageFile file(MemorySource(before));
    ASSERT_EQ(FreePages(path), (std::set<uint32_t>{22, 27}));
    PageWriter writer(file, path);
    for (int i = 0; i < 3; ++i) {
      const uint32_t page = writer.Allocate();
      writer.Edit(page)[0] = kPageData;
      writer.Edit(page)[100] = static_cast<uint8_t>(i + 1);
      allocated.push_back(page);
    }
    writer.Release(20);
    writer.Commit();
  }
  EXPECT_EQ(allocated, (std::vector<uint32_t>{22, 27, old_count}));
  EXPECT_EQ(FreePages(path), (std::set<uint32_t>{20}));
  const std::vector<uint8_t> after = ReadBytes(path);
  ASSERT_EQ(after.size(), before.size() + 4096);
  for (uint32_t page = 0; page < old_count; ++page) {
    if (page == 1 || page == 20 || page == 22 || page == 27) continue;
    EXPECT_TRUE(std::equal(before.begin() + page * 4096, before.begin() + (page + 1) * 4096,
                           after.begin() + page * 4096))
        << "page " << page << " changed";
  }
  EXPECT_EQ(after[old_count * 4096 + 100], 3);
}

// A page written into an encrypted database reads back as written.
TEST_F(PageWriterTest, EncryptsPagesAsTheFileDoes) {
  const std::string path = Copy("db-enc.mdb");
  if (path.empty()) GTEST_SKIP() << "the real .mdb test files are not there";
  uint32_t page = 0;
  {
    PageFile file(MemorySource(ReadBytes(path)));
    ASSERT_NE(file.header().database_key, 0u);
    PageWriter writer(file, path);
    page = writer.Allocate();
    Page& bytes = writer.Edit(page);
    bytes[0] = kPageData;
    for (size_t i = 1; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i);
    writer.Commit();
  }
  PageFile file(MemorySource(ReadBytes(path)));
  const auto back = file.Read(page);
  EXPECT_EQ((*back)[0], kPageData);
  EXPECT_EQ((*back)[4095], static_cast<uint8_t>(4095));
  EXPECT_NE(ReadBytes(path)[page * 4096 + 4095], static_cast<uint8_t>(4095));  // not in clear
}

TEST_F(PageWriterTest, Jet3FilesAreNotWritten) {
  const std::string path = Copy("testV1997.mdb");
  if (path.empty()) GTEST_SKIP() << "the real .mdb test files are not there";
  PageFile file(MemorySource(ReadBytes(path)));
  EXPECT_THROW(PageWriter(file, path), FormatError);
}

}  // namespace
}  // namespace dbaccess::mdb
