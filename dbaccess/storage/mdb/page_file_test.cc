#include "dbaccess/storage/mdb/page_file.h"

#include <gtest/gtest.h>

#include <map>

#include "dbaccess/storage/mdb/format_error.h"
#include "dbaccess/storage/mdb/new_database.h"

namespace dbaccess::mdb {
namespace {

// Bytes in memory that count how often each page of 4096 bytes is read from them.
class CountingSource : public ByteSource {
 public:
  CountingSource(std::vector<uint8_t> bytes, std::map<uint64_t, int>& reads)
      : bytes_(std::move(bytes)), reads_(reads) {}
  uint64_t size() const override { return bytes_.size(); }
  bool Read(uint64_t offset, size_t length, uint8_t* out) const override {
    if (offset > bytes_.size() || length > bytes_.size() - offset) return false;
    ++reads_[offset / 4096];
    std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(offset), length, out);
    return true;
  }

 private:
  std::vector<uint8_t> bytes_;
  std::map<uint64_t, int>& reads_;
};

// A page read once is not kept: reading it again goes back to the file, and it takes no
// place of the pages the cache keeps. A page the cache holds is handed out from there.
TEST(PageFileTest, APageReadOnceIsNotKeptButACachedOneIsReused) {
  const std::vector<uint8_t> image = NewDatabaseImage(kEngineCreationDate, "");
  std::map<uint64_t, int> reads;
  PageFile file(std::make_unique<CountingSource>(image, reads));
  ASSERT_EQ(file.page_count(), image.size() / 4096);
  reads.clear();

  const auto once = file.ReadOnce(2);
  const auto again = file.ReadOnce(2);
  EXPECT_EQ(reads[2], 2);
  EXPECT_EQ(*once, *again);
  EXPECT_TRUE(std::equal(once->begin(), once->end(), image.begin() + 2 * 4096));

  const auto cached = file.Read(3);
  const auto from_cache = file.ReadOnce(3);
  EXPECT_EQ(reads[3], 1);
  EXPECT_EQ(cached.get(), from_cache.get());
  file.Read(2);
  file.Read(2);
  EXPECT_EQ(reads[2], 3);

  EXPECT_THROW(file.ReadOnce(file.page_count()), FormatError);
}

}  // namespace
}  // namespace dbaccess::mdb
