#include "dbaccess/storage/mdb/long_value_writer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "dbaccess/base/temp_folder_testing.h"
#include "dbaccess/storage/mdb/long_value.h"
#include "dbaccess/storage/mdb/mdb_testing.h"

namespace dbaccess::mdb {
namespace {

using dbaccess::testing::TempFolder;
using testing::ReadBytes;
using testing::TestFile;

std::vector<uint8_t> Random(size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::vector<uint8_t> data(size);
  for (uint8_t& b : data) b = static_cast<uint8_t>(random());
  return data;
}

// Values of every size class (one row, exactly a page's row, a chain of several pages)
// read back as written after the commit; deleted ones leave only deleted rows behind.
TEST(LongValueWriterTest, StoresValuesThatReadBackAndDeletesThem) {
  if (!std::filesystem::exists(TestFile("adox_jet4.mdb"))) {
    GTEST_SKIP() << "the real .mdb test files are not there";
  }
  TempFolder folder;
  const std::string path = folder.File("db.mdb");
  std::filesystem::copy_file(TestFile("adox_jet4.mdb"), path);
  const std::vector<size_t> sizes = {65, 1000, 4080, 4081, 20000, 300000};
  std::vector<std::vector<uint8_t>> fields;
  {
    PageFile file(MemorySource(ReadBytes(path)));
    PageWriter pages(file, path);
    LongValueWriter writer(pages);
    for (size_t i = 0; i < sizes.size(); ++i) fields.push_back(writer.Store(Random(sizes[i], i)));
    pages.Commit();
  }
  PageFile file(MemorySource(ReadBytes(path)));
  LongValueReader reader(file, UINT64_MAX);
  for (size_t i = 0; i < sizes.size(); ++i) {
    EXPECT_EQ(reader.Read(ByteView(fields[i])), Random(sizes[i], i)) << sizes[i];
  }
  {
    PageWriter pages(file, path);
    LongValueWriter writer(pages);
    writer.Delete(ByteView(fields.back()));
    pages.Commit();
  }
  PageFile after(MemorySource(ReadBytes(path)));
  LongValueReader again(after, UINT64_MAX);
  EXPECT_THROW(again.Read(ByteView(fields.back())), FormatError);
  EXPECT_EQ(again.Read(ByteView(fields[0])), Random(sizes[0], 0));
}

}  // namespace
}  // namespace dbaccess::mdb
