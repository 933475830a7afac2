#include "dbaccess/storage/write_lock.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "dbaccess/exec/executor_testing.h"
#include "dbaccess/files/database_file.h"
#include "dbaccess/storage/atomic_file.h"

namespace dbaccess {
namespace {

using testing::CatchJetError;
using testing::TempFolder;

constexpr int kWriters = 8;
constexpr int kRounds = 3;

Mutation Sql(std::string sql) {
  return [sql](Catalog& c, ChangeList& changes) { ExecuteSql(c, sql, changes); };
}

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(folder)) {
    names.push_back(e.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Waits for the child and returns its exit code (-signal when it was killed).
int Reap(pid_t pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  return WIFSIGNALED(status) ? -WTERMSIG(status) : -1;
}

class WriteLockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = folder_.File("work.skdb");
    DatabaseFile::CreateText(path_, "");
    DatabaseFile::Open(path_, "")->Apply(Sql("CREATE TABLE T (id Long)"));
    DatabaseFile::ReleaseRetained();
  }
  void TearDown() override {
    SetLockWaitForTesting(std::chrono::milliseconds(0));
    SetWriteFaultHookForTesting(nullptr);
    DatabaseFile::ReleaseRetained();
  }
  TempFolder folder_;
  std::string path_;
};

TEST(LockFilePathTest, BesideTheDatabaseAsJetNamesIt) {
  EXPECT_EQ(LockFilePath("/srv/work.mdb"), "/srv/work.ldb");
  EXPECT_EQ(LockFilePath("/srv/WORK.MDB"), "/srv/WORK.ldb");
  EXPECT_EQ(LockFilePath("/srv/work.skdb"), "/srv/work.skdb.ldb");
  EXPECT_EQ(LockFilePath("/srv/work"), "/srv/work.ldb");
  EXPECT_EQ(LockFilePath("/srv/work.ldb"), "/srv/work.ldb.ldb");  // never the database itself
}

// Eight processes change one database at the same moment: every change must be there.
TEST_F(WriteLockTest, ConcurrentWriterProcessesLoseNothing) {
  for (int round = 0; round < kRounds; ++round) {
    std::vector<pid_t> children;
    for (int w = 0; w < kWriters; ++w) {
      const pid_t pid = fork();
      ASSERT_GE(pid, 0);
      if (pid == 0) {
        int code = 0;
        try {
          auto file = DatabaseFile::Open(path_, "");
          const std::string n = std::to_string(round * kWriters + w);
          file->Apply(Sql("INSERT INTO T (id) VALUES (" + n + ")"));
          file->Apply(Sql("ALTER TABLE T ADD COLUMN C" + n + " Long"));
        } catch (const std::exception& e) {
          fprintf(stderr, "writer %d: %s\n", w, e.what());
          code = 1;
        }
        _exit(code);
      }
      children.push_back(pid);
    }
    for (pid_t pid : children) EXPECT_EQ(Reap(pid), 0);
  }
  DatabaseFile::ReleaseRetained();
  const auto catalog = DatabaseFile::Open(path_, "")->Snapshot();
  const Table* table = catalog->FindTable("T");
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(table->rows.size(), static_cast<size_t>(kRounds * kWriters));
  EXPECT_EQ(table->columns.size(), static_cast<size_t>(1 + kRounds * kWriters));
  // No lock file, no temporary file is left.
  EXPECT_EQ(FolderEntries(folder_.path()), std::vector<std::string>{"work.skdb"});
}

// Another writer keeps the database locked: this one waits a bounded time, then fails with
// Jet's text and changes nothing.
TEST_F(WriteLockTest, LockedDatabaseWaitsBoundedThenFailsWithJetsText) {
  auto file = DatabaseFile::Open(path_, "");
  const std::string before = ReadWholeFile(path_);
  SetLockWaitForTesting(std::chrono::milliseconds(100));
  {
    WriteLock other(path_);  // another process's lock: flock conflicts per open file
    const auto caught = CatchJetError([&] { file->Apply(Sql("ALTER TABLE T ADD x Long")); });
    EXPECT_EQ(caught.number, 3045);
    EXPECT_EQ(caught.text, "Could not use '" + file->path() + "'; file already in use.");
    EXPECT_EQ(ReadWholeFile(path_), before);
    EXPECT_TRUE(std::filesystem::exists(folder_.File("work.skdb.ldb")));
  }
  // A lock of another program on the database file itself counts the same.
  {
    const int fd = open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(flock(fd, LOCK_EX), 0);
    EXPECT_EQ(CatchJetError([&] { file->Apply(Sql("ALTER TABLE T ADD x Long")); }).number, 3045);
    close(fd);
  }
  file->Apply(Sql("ALTER TABLE T ADD x Long"));
  EXPECT_EQ(FolderEntries(folder_.path()), std::vector<std::string>{"work.skdb"});
}

// A file made read-only in a writable folder: the atomic rename would replace it anyway.
TEST_F(WriteLockTest, ReadOnlyFileIsRefusedWithJetsTextAndLeftUntouched) {
  auto file = DatabaseFile::Open(path_, "");
  ASSERT_EQ(chmod(path_.c_str(), 0444), 0);
  const std::string before = ReadWholeFile(path_);
  struct stat was {};
  stat(path_.c_str(), &was);
  const auto caught = CatchJetError([&] { file->Apply(Sql("DROP TABLE T")); });
  EXPECT_EQ(caught.number, 3027);
  EXPECT_EQ(caught.text, "Cannot update.  Database or object is read-only.");
  struct stat now {};
  stat(path_.c_str(), &now);
  EXPECT_EQ(now.st_ino, was.st_ino);
  EXPECT_EQ(now.st_mode & 0777, 0444u);
  EXPECT_EQ(ReadWholeFile(path_), before);
  EXPECT_NE(file->Snapshot()->FindTable("T"), nullptr);
  // Reading it stays possible.
  DatabaseFile::ReleaseRetained();
  EXPECT_NE(DatabaseFile::Open(path_, "")->Snapshot()->FindTable("T"), nullptr);
  chmod(path_.c_str(), 0644);
  file->Apply(Sql("DROP TABLE T"));
}

// A writer killed while it writes leaves its temporary file; the next write removes it, but
// never the temporary file of a writer still at work.
TEST_F(WriteLockTest, TemporaryFileOfAKilledWriterIsRemovedByTheNextWrite) {
  for (int round = 0; round < kRounds; ++round) {
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      auto file = DatabaseFile::Open(path_, "");
      SetWriteFaultHookForTesting([](WriteStep step) {
        if (step == WriteStep::kRename) raise(SIGKILL);  // killed with the copy complete
        return 0;
      });
      file->Apply(Sql("ALTER TABLE T ADD Killed Long"));
      _exit(0);
    }
    ASSERT_EQ(Reap(pid), -SIGKILL);
    // The database, the lock file the killed writer could not remove, and its temporary
    // file: the one of the writer killed before was removed by this one.
    const std::vector<std::string> left = FolderEntries(folder_.path());
    ASSERT_EQ(left.size(), 3u);
    EXPECT_EQ(left[0].rfind(".work.skdb.tmp-", 0), 0u) << left[0];
    EXPECT_EQ(left[1], "work.skdb");
    EXPECT_EQ(left[2], "work.skdb.ldb");
  }
  // A writer at work in another process: its file is locked.
  const std::string busy = folder_.File(".work.skdb.tmp-Busy01");
  const int busy_fd = open(busy.c_str(), O_CREAT | O_RDWR | O_CLOEXEC, 0600);
  ASSERT_EQ(flock(busy_fd, LOCK_EX), 0);
  // Files of other names are not ours.
  const std::string other = folder_.File(".other.skdb.tmp-Abc123");
  close(open(other.c_str(), O_CREAT | O_RDWR | O_CLOEXEC, 0600));

  DatabaseFile::Open(path_, "")->Apply(Sql("ALTER TABLE T ADD Alive Long"));
  EXPECT_EQ(
      FolderEntries(folder_.path()),
      (std::vector<std::string>{".other.skdb.tmp-Abc123", ".work.skdb.tmp-Busy01", "work.skdb"}));
  close(busy_fd);
  const auto catalog = DatabaseFile::Open(path_, "")->Snapshot();
  EXPECT_EQ(catalog->FindTable("T")->FindColumn("Killed"), nullptr);
  EXPECT_NE(catalog->FindTable("T")->FindColumn("Alive"), nullptr);
}

}  // namespace
}  // namespace dbaccess
