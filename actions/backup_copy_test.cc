#include "actions/backup_copy.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "actions/file_io.h"
#include "dbaccess/base/temp_folder_testing.h"

namespace actions {
namespace {

constexpr CalendarDay kDay{2026, 12, 8};

TEST(BackupCopyTest, Names) {
  EXPECT_EQ(BackupName("/base/work.mdb", kDay), "/base/work_2026.12.08.mdb");
  EXPECT_EQ(BackupName("work.mdb", kDay), "work_2026.12.08.mdb");
  EXPECT_EQ(BackupName("/base/work", kDay), "/base/work_2026.12.08.mdb");
  EXPECT_EQ(BackupName("/base.d/work", kDay), "/base.d/work_2026.12.08.mdb");
  EXPECT_EQ(BackupName("/base/a.b.accdb", CalendarDay{2027, 1, 2}), "/base/a.b_2027.01.02.mdb");
  EXPECT_EQ(BackupName("/base/work.mdb", kDay, 2), "/base/work_2026.12.08_2.mdb");
  EXPECT_EQ(BackupName("/base/work.mdb", kDay, 1), "/base/work_2026.12.08.mdb");
}

TEST(BackupCopyTest, NeverOverwritesACopyOfTheSameDay) {
  dbaccess::testing::TempFolder folder;
  const std::string db = folder.Write("work.mdb", "first state");
  EXPECT_EQ(MakeBackupCopy(db, kDay), folder.File("work_2026.12.08.mdb"));
  folder.Write("work.mdb", "second state");
  EXPECT_EQ(MakeBackupCopy(db, kDay), folder.File("work_2026.12.08_2.mdb"));
  folder.Write("work.mdb", "third state");
  EXPECT_EQ(MakeBackupCopy(db, kDay), folder.File("work_2026.12.08_3.mdb"));
  EXPECT_EQ(ReadFile(folder.File("work_2026.12.08.mdb")), "first state");
  EXPECT_EQ(ReadFile(folder.File("work_2026.12.08_2.mdb")), "second state");
  EXPECT_EQ(ReadFile(folder.File("work_2026.12.08_3.mdb")), "third state");
  // Another day starts again without number.
  EXPECT_EQ(MakeBackupCopy(db, CalendarDay{2026, 12, 9}), folder.File("work_2026.12.09.mdb"));
}

TEST(BackupCopyTest, FailuresNameTheCopyAndLeaveNothing) {
  dbaccess::testing::TempFolder folder;
  try {
    MakeBackupCopy(folder.File("missing.mdb"), kDay);
    FAIL() << "copied a missing file";
  } catch (const FileError& error) {
    EXPECT_EQ(error.path(), folder.File("missing_2026.12.08.mdb"));
  }
  EXPECT_FALSE(FileExists(folder.File("missing_2026.12.08.mdb")));

  const std::string db = folder.Write("work.mdb", "data");
  std::filesystem::create_directory(folder.File("ro"));
  const std::string in_ro = folder.Write("ro/work.mdb", "data");
  ::chmod(folder.File("ro").c_str(), 0555);
  if (::geteuid() != 0) {  // root writes anywhere
    EXPECT_THROW(MakeBackupCopy(in_ro, kDay), FileError);
  }
  ::chmod(folder.File("ro").c_str(), 0755);
}

}  // namespace
}  // namespace actions
