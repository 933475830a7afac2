#include "actions/file_io.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "dbaccess/base/temp_folder_testing.h"

namespace actions {
namespace {

mode_t Permissions(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(::stat(path.c_str(), &info), 0);
  return info.st_mode & 07777;
}

TEST(ReplaceFileTest, OwnerOnlyFilesAreCreatedAndRewrittenReadableByTheOwnerAlone) {
  dbaccess::testing::TempFolder folder;
  const std::string path = folder.File("secret.ini");
  ReplaceFile(path, "a=1\n", FileAccess::kOwnerOnly);
  EXPECT_EQ(Permissions(path), 0600u);
  EXPECT_EQ(ReadFile(path), "a=1\n");

  ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
  ReplaceFile(path, "a=2\n", FileAccess::kOwnerOnly);
  EXPECT_EQ(Permissions(path), 0600u);
  EXPECT_EQ(ReadFile(path), "a=2\n");

  // Without the request an existing file keeps its permissions.
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  ReplaceFile(path, "a=3\n");
  EXPECT_EQ(Permissions(path), 0640u);
}

}  // namespace
}  // namespace actions
