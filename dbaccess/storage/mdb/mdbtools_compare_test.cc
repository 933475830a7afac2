// Our reader against an independent one: Debian's mdbtools (mdb-tables, mdb-schema,
// mdb-export) on every test file (mdbtools_testing.h). Skipped when mdbtools is not
// installed (scripts/install-deps.sh installs it).
#include <gtest/gtest.h>

#include <filesystem>

#include "dbaccess/base/testdata_testing.h"
#include "dbaccess/storage/mdb/mdb_storage.h"
#include "dbaccess/storage/mdb/mdbtools_testing.h"

namespace dbaccess::mdb {
namespace {

namespace fs = std::filesystem;
using testing::MdbToolsInstalled;
using testing::TestFile;

std::string PasswordOf(const std::string& file) {
  if (file == "V2000_with-password.mdb") return "password";
  if (file == "password_ucanaccess.mdb") return "ucanaccess";
  return "";
}

class MdbToolsCompareTest : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    SKIP_WITHOUT_TEST_DATA();
    if (!MdbToolsInstalled()) GTEST_SKIP() << "mdbtools is not installed";
    path_ = TestFile(GetParam());
    catalog_ = OpenMdbStorage(path_, PasswordOf(GetParam()))->Load();
  }
  std::string path_;
  Catalog catalog_;
};

TEST_P(MdbToolsCompareTest, SameTables) { testing::ExpectSameTablesAsMdbTools(path_, catalog_); }

TEST_P(MdbToolsCompareTest, SameColumnsInTheSameOrderWithTheSameTypes) {
  testing::ExpectSameColumnsAsMdbTools(path_, catalog_);
}

TEST_P(MdbToolsCompareTest, SameIndexesWheremdbtoolsCanReadThem) {
  testing::ExpectSameIndexesAsMdbTools(path_, catalog_);
}

TEST_P(MdbToolsCompareTest, SameRelationshipsAsTheStoredRows) {
  testing::ExpectSameRelationshipsAsMdbTools(path_, catalog_);
}

TEST_P(MdbToolsCompareTest, SameRowsAsmdbExport) {
  testing::ExpectSameRowsAsMdbTools(path_, catalog_);
}

// The test files; without them one placeholder, whose test skips saying so (listing the
// tests must work in any case).
constexpr char kNoTestFiles[] = "no test files";

std::vector<std::string> AllTestFiles() {
  if (!skarnvel_test::HaveTestData()) return {kNoTestFiles};
  std::vector<std::string> files;
  for (const auto& entry : fs::directory_iterator(TestFile(""))) {
    if (entry.path().extension() == ".mdb") files.push_back(entry.path().filename().string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

INSTANTIATE_TEST_SUITE_P(EveryTestFile, MdbToolsCompareTest, ::testing::ValuesIn(AllTestFiles()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           std::string name;
                           for (char c : info.param)
                             name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                           return name;
                         });

}  // namespace
}  // namespace dbaccess::mdb
