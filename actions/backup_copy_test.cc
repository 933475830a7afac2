#include "actions/backup_copy.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "actions/file_io.h"
#include "actions/test_folder.h"

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
  TestFolder folder;
  const std::string db = folder.Write("work.mdb", "first state");
  EXPECT_EQ(MakeBackupCopy(db, kDay), folder.Path("work_2026.12.08.mdb"));
  folder.Write("work.mdb", "second state");
  EXPECT_EQ(MakeBackupCopy(db, kDay), folder.Path("work_2026.12.08_2.mdb"));
  folder.Write("work.mdb", "third state");
  EXPECT_EQ(MakeBackupCopy(db, kDay), folder.Path("work_2026.12.08_3.mdb"));
  EXPECT_EQ(ReadFile(folder.Path("work_2026.12.08.mdb")), "first state");
  EXPECT_EQ(ReadFile(folder.Path("work_2026.12.08_2.mdb")), "second state");
  EXPECT_EQ(ReadFile(folder.Path("work_2026.12.08_3.mdb")), "third state");
  // Another day starts again without number.
  EXPECT_EQ(MakeBackupCopy(db, CalendarDay{2026, 12, 9}), folder.Path("work_2026.12.09.mdb"));
}

TEST(BackupCopyTest, FailuresNameTheCopyAndLeaveNothing) {
  TestFolder folder;
  try {
    MakeBackupCopy(folder.Path("missing.mdb"), kDay);
    FAIL() << "copied a missing file";
  } catch (const FileError& error) {
    EXPECT_EQ(error.path(), folder.Path("missing_2026.12.08.mdb"));
  }
  EXPECT_FALSE(FileExists(folder.Path("missing_2026.12.08.mdb")));

  const std::string db = folder.Write("work.mdb", "data");
  std::filesystem::create_directory(folder.Path("ro"));
  const std::string in_ro = folder.Write("ro/work.mdb", "data");
  ::chmod(folder.Path("ro").c_str(), 0555);
  if (::geteuid() != 0) {  // root writes anywhere
    EXPECT_THROW(MakeBackupCopy(in_ro, kDay), FileError);
  }
  ::chmod(folder.Path("ro").c_str(), 0755);
}

}  // namespace
}  // namespace actions
