// For tests only: where the real .mdb test files are, and skipping a test without them.
//
// One setting names the folder: SKARNVEL_TESTDATA, read from the environment when the test
// runs, else as the build was configured (CMake cache SKARNVEL_TESTDATA, by default
// ../shared/testdata/mdb beside the source). Where the folder is missing, a test that needs
// it skips with one line saying so, and every other test runs.
#ifndef SKARNVEL_DBACCESS_BASE_TESTDATA_TESTING_H_
#define SKARNVEL_DBACCESS_BASE_TESTDATA_TESTING_H_

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace skarnvel_test {

inline std::string TestDataDir() {
  const char* set = std::getenv("SKARNVEL_TESTDATA");
  if (set != nullptr && *set != '\0') return set;
  return SKARNVEL_TESTDATA;
}

inline bool HaveTestData() {
  std::error_code error;
  return std::filesystem::is_directory(TestDataDir(), error);
}

// The path of one test file (whether or not it is there).
inline std::string TestDataFile(const std::string& name) { return TestDataDir() + "/" + name; }

}  // namespace skarnvel_test

// Skips the running test, with one line naming the folder, when the test files are missing.
#define SKIP_WITHOUT_TEST_DATA()                                                             \
  do {                                                                                       \
    if (!::skarnvel_test::HaveTestData()) {                                                  \
      GTEST_SKIP() << "real .mdb test files not found in " << ::skarnvel_test::TestDataDir() \
                   << " (set SKARNVEL_TESTDATA)";                                            \
    }                                                                                        \
  } while (0)

#endif  // SKARNVEL_DBACCESS_BASE_TESTDATA_TESTING_H_
