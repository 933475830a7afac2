// Helpers for the .mdb tests: the shared test files, and small Jet 4 files built in memory
// page by page (on the header page of a real file) to reach cases no test file has.
#ifndef SKARNVEL_DBACCESS_STORAGE_MDB_MDB_TESTING_H_
#define SKARNVEL_DBACCESS_STORAGE_MDB_MDB_TESTING_H_

#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "dbaccess/base/testdata_testing.h"
#include "dbaccess/storage/mdb/format.h"
#include "dbaccess/storage/mdb/page_file.h"

namespace dbaccess::mdb::testing {

// A real test file (test_data.h: tests that read one skip without them).
inline std::string TestFile(const std::string& name) { return skarnvel_test::TestDataFile(name); }

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

inline void Put16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}
inline void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// A Jet 4 file in memory: page 0 from a real unencrypted file, then the pages a test adds.
class Jet4Builder {
 public:
  Jet4Builder() {
    const std::vector<uint8_t> real = ReadBytes(TestFile("adox_jet4.mdb"));
    // A test that builds files needs the real one: it skips first (SKIP_WITHOUT_TEST_DATA).
    if (real.size() < kJet4Layout.page_size) {
      throw std::runtime_error("no header page to build on in " + TestFile("adox_jet4.mdb"));
    }
    bytes_.assign(real.begin(), real.begin() + kJet4Layout.page_size);
  }
  static constexpr int kPageSize = 4096;

  // Appends an empty page of `type`; returns its number.
  uint32_t AddPage(uint8_t type) {
    bytes_.resize(bytes_.size() + kPageSize, 0);
    const uint32_t number = static_cast<uint32_t>(bytes_.size() / kPageSize - 1);
    bytes_[PageOffset(number)] = type;
    bytes_[PageOffset(number) + 1] = 0x01;
    return number;
  }

  // Appends a data page of table `tdef` holding `rows` (row 0 at the end of the page);
  // `flags` are OR-ed into the row offsets (deleted, moved).
  uint32_t AddDataPage(uint32_t tdef, const std::vector<std::vector<uint8_t>>& rows,
                       const std::vector<uint16_t>& flags = {}) {
    const uint32_t number = AddPage(kPageData);
    const size_t base = PageOffset(number);
    Put32(bytes_, base + kDataPageTableDefinitionOffset, tdef);
    Put16(bytes_, base + kJet4Layout.data_row_count_offset, static_cast<uint32_t>(rows.size()));
    size_t end = kPageSize;
    for (size_t i = 0; i < rows.size(); ++i) {
      const size_t start = end - rows[i].size();
      std::copy(rows[i].begin(), rows[i].end(), bytes_.begin() + base + start);
      const uint16_t flag = i < flags.size() ? flags[i] : 0;
      Put16(bytes_, base + kJet4Layout.data_row_table_offset + 2 * i,
            static_cast<uint32_t>(start) | flag);
      end = start;
    }
    return number;
  }

  size_t PageOffset(uint32_t page) const { return size_t{page} * kPageSize; }
  std::vector<uint8_t>& bytes() { return bytes_; }
  std::unique_ptr<PageFile> Build() const {
    return std::make_unique<PageFile>(MemorySource(bytes_));
  }

 private:
  std::vector<uint8_t> bytes_;
};

}  // namespace dbaccess::mdb::testing

#endif  // SKARNVEL_DBACCESS_STORAGE_MDB_MDB_TESTING_H_
