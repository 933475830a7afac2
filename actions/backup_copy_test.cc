#include "actions/backup_copy.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

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
  EXPECT_EQ(BackupName("/base/WORK.MDB", kDay), "/base/WORK_2026.12.08.mdb");
  // Any other file keeps its own extension: a copy is never taken for what it is not.
  EXPECT_EQ(BackupName("/base/a.b.accdb", CalendarDay{2027, 1, 2}), "/base/a.b_2027.01.02.accdb");
  EXPECT_EQ(BackupName("/base/work.skdb", kDay), "/base/work_2026.12.08.skdb");
  EXPECT_EQ(BackupName("/base/work.skdb", kDay, 3), "/base/work_2026.12.08_3.skdb");
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
    EXPECT_EQ(error.reason(), SystemErrorText(ENOENT));  // says why
  }
  // A folder is no database to copy.
  std::filesystem::create_directory(folder.File("dir.mdb"));
  try {
    MakeBackupCopy(folder.File("dir.mdb"), kDay);
    FAIL() << "copied a folder";
  } catch (const FileError& error) {
    EXPECT_EQ(error.reason(), SystemErrorText(EISDIR));
  }
  EXPECT_FALSE(FileExists(folder.File("dir_2026.12.08.mdb")));
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

// The names of the temporary copies in `folder` of the day's backup of work.mdb.
std::set<std::string> TemporaryCopies(const std::filesystem::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind(".work_2026.12.08.mdb.tmp-", 0) == 0) names.insert(name);
  }
  return names;
}

// Kills and reaps a child process that is still running when the test leaves, so that a
// failed expectation cannot leave it behind holding the test's output.
class ChildGuard {
 public:
  explicit ChildGuard(pid_t pid) : pid_(pid) {}
  ~ChildGuard() { Kill(); }
  ChildGuard(const ChildGuard&) = delete;
  ChildGuard& operator=(const ChildGuard&) = delete;
  void Kill() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = 0;
  }

 private:
  pid_t pid_;
};

// A run-all killed while it copies must not leave a partial file under a backup's name,
// where it would pass for the day's backup (the next copy then taking "_2").
TEST(BackupCopyTest, CopyKilledMidwayLeavesNoBackupAndTheNextCopyTakesTheName) {
  constexpr int kRounds = 3;
  dbaccess::testing::TempFolder folder;
  const std::string db = folder.File("work.mdb");
  for (int round = 0; round < kRounds; ++round) {
    // The database is a pipe here, so the copy stops for certain after the first block
    // and the process is killed there, not at some moment of luck.
    std::filesystem::remove(db);
    ASSERT_EQ(::mkfifo(db.c_str(), 0600), 0);
    const int feed = ::open(db.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(feed, 0);
    const std::string block(1 << 16, 'x');
    ASSERT_EQ(::write(feed, block.data(), block.size()), static_cast<ssize_t>(block.size()));
    // Those of the copies killed before, which this copy may remove while it starts.
    const std::set<std::string> earlier = TemporaryCopies(folder.path());
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      try {
        MakeBackupCopy(db, kDay);
      } catch (...) {
      }
      ::_exit(0);
    }
    ChildGuard child(pid);
    // Wait until the child has written the block to its own copy, then kill it.
    bool copying = false;
    for (int i = 0; i < 5000 && !copying; ++i) {
      for (const std::string& name : TemporaryCopies(folder.path())) {
        std::error_code gone;  // an earlier copy removed between the listing and now
        if (earlier.count(name) == 0 &&
            std::filesystem::file_size(folder.File(name), gone) == block.size()) {
          copying = true;
        }
      }
      if (!copying) ::usleep(1000);
    }
    child.Kill();
    ::close(feed);
    ASSERT_TRUE(copying);
    EXPECT_FALSE(std::filesystem::exists(folder.File("work_2026.12.08.mdb")));
  }
  std::filesystem::remove(db);
  folder.Write("work.mdb", "whole database");
  EXPECT_EQ(MakeBackupCopy(db, kDay), folder.File("work_2026.12.08.mdb"));
  EXPECT_EQ(ReadFile(folder.File("work_2026.12.08.mdb")), "whole database");
  // The killed copy's temporary file went with the next copy.
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"work.mdb", "work_2026.12.08.mdb"}));
}

}  // namespace
}  // namespace actions
