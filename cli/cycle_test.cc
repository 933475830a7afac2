// skarnvel-cli compare, run and sync as a script runs them: exit codes, list files, log.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "actions/file_io.h"
#include "actions/test_folder.h"
#include "dbaccess/ado/connection.h"
#include "dbaccess/database_file.h"

namespace {

struct Outcome {
  int exit_code = -1;
  std::string out;  // standard output and standard error together
};

Outcome RunShell(const std::string& command_line) {
  const std::string command = command_line + " 2>&1";
  Outcome outcome;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return outcome;
  std::array<char, 4096> buffer{};
  size_t n;
  while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) {
    outcome.out.append(buffer.data(), n);
  }
  const int status = ::pclose(pipe);
  outcome.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return outcome;
}

Outcome RunCli(const std::string& arguments) {
  return RunShell(std::string(SKARNVEL_CLI) + " " + arguments);
}

void CreateDatabase(const std::string& path, const std::vector<std::string>& statements) {
  dbaccess::DatabaseFile::CreateText(path, "");
  dbaccess::ado::Connection connection;
  connection.Open(dbaccess::ado::ConnectionText(path, ""));
  for (const std::string& statement : statements) connection.Execute(statement);
}

class CycleCommandsTest : public ::testing::Test {
 protected:
  CycleCommandsTest() {
    CreateDatabase(folder_.Path("work.mdb"), {"CREATE TABLE [T] ([ID] LONG, [A] TEXT(10))",
                                              "CREATE TABLE [Old] ([ID] LONG)"});
    CreateDatabase(folder_.Path("new.mdb"),
                   {"CREATE TABLE [T] ([ID] LONG, [A] TEXT(20), [B] LONG)"});
  }
  std::string Args(const std::string& command, const std::string& more = "") const {
    return command + " '" + folder_.Path("work.mdb") + "' " + more + " --lists '" + folder_.path() +
           "'";
  }

  actions::TestFolder folder_;
};

TEST_F(CycleCommandsTest, CompareExitsLikeDiffAndWritesTheLists) {
  Outcome outcome = RunCli(Args("compare", "'" + folder_.Path("new.mdb") + "'"));
  EXPECT_EQ(outcome.exit_code, 1) << outcome.out;
  EXPECT_NE(outcome.out.find("ALTER TABLE [T] ADD [B] Long"), std::string::npos) << outcome.out;
  for (const char* file : {"updTable.xml", "updIndex.xml", "updFKey.xml", "updQuery.xml"}) {
    EXPECT_TRUE(actions::FileExists(folder_.Path(file))) << file;
  }
  outcome = RunCli(Args("compare", "'" + folder_.Path("work.mdb") + "'"));
  EXPECT_EQ(outcome.exit_code, 0) << outcome.out;
  outcome = RunCli(Args("compare", "'" + folder_.Path("missing.mdb") + "'"));
  EXPECT_EQ(outcome.exit_code, 2) << outcome.out;
  EXPECT_EQ(RunCli("compare").exit_code, 2);
}

TEST_F(CycleCommandsTest, RunExecutesTheSavedListsThenSyncFindsNothingLeft) {
  ASSERT_EQ(RunCli(Args("compare", "'" + folder_.Path("new.mdb") + "'")).exit_code, 1);
  Outcome outcome = RunCli(Args("run", "--no-backup"));
  EXPECT_EQ(outcome.exit_code, 0) << outcome.out;
  EXPECT_TRUE(actions::FileExists(folder_.Path("skarnvel-cli.log")));
  outcome = RunCli(Args("sync", "'" + folder_.Path("new.mdb") + "'"));
  EXPECT_EQ(outcome.exit_code, 0) << outcome.out;
  EXPECT_NE(outcome.out.find("no differences left"), std::string::npos) << outcome.out;
}

TEST_F(CycleCommandsTest, SyncMakesABackupAndReportsFailures) {
  // A relation in the way of dropping a table, kept by --on-relation no: the drop fails.
  CreateDatabase(
      folder_.Path("other.mdb"),
      {"CREATE TABLE [P] ([ID] LONG CONSTRAINT [PK_P] PRIMARY KEY)",
       "CREATE TABLE [C] ([PID] LONG)",
       "ALTER TABLE [C] ADD CONSTRAINT [FK_C] FOREIGN KEY ([PID]) REFERENCES [P] ([ID])"});
  CreateDatabase(folder_.Path("target.mdb"), {"CREATE TABLE [C] ([PID] LONG)"});
  Outcome outcome =
      RunCli("sync '" + folder_.Path("other.mdb") + "' '" + folder_.Path("target.mdb") +
             "' --on-relation no --on-error continue" + " --lists '" + folder_.path() + "'");
  EXPECT_EQ(outcome.exit_code, 1) << outcome.out;
  size_t backups = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder_.path())) {
    if (entry.path().filename().string().rfind("other_", 0) == 0) ++backups;
  }
  EXPECT_EQ(backups, 1u);
  // Dropping the relation lets the cycle finish.
  outcome = RunCli("sync '" + folder_.Path("other.mdb") + "' '" + folder_.Path("target.mdb") +
                   "' --lists '" + folder_.path() + "'");
  EXPECT_EQ(outcome.exit_code, 0) << outcome.out;
}

// Eight exec processes at once, each adding a row and a column: every one succeeds and
// nothing of theirs is lost.
TEST_F(CycleCommandsTest, ConcurrentExecProcessesAllKeepTheirChanges) {
  constexpr int kWriters = 8;
  constexpr int kRounds = 2;
  const std::string db = folder_.Path("work.mdb");
  for (int round = 0; round < kRounds; ++round) {
    // The writers start together and the script waits for each, failing if any failed.
    std::string script = "pids=''\n";
    for (int w = 0; w < kWriters; ++w) {
      const std::string n = std::to_string(round * kWriters + w);
      script += "(\"$CLI\" exec \"$DB\" 'INSERT INTO [Old] ([ID]) VALUES (" + n +
                ")' && \"$CLI\" exec \"$DB\" 'ALTER TABLE [T] ADD COLUMN [C" + n +
                "] LONG') & pids=\"$pids $!\"\n";
    }
    script += "rc=0\nfor p in $pids; do wait $p || rc=1; done\nexit $rc\n";
    folder_.Write("writers.sh", script);
    const Outcome outcome = RunShell("CLI='" + std::string(SKARNVEL_CLI) + "' DB='" + db +
                                     "' sh '" + folder_.Path("writers.sh") + "'");
    EXPECT_EQ(outcome.exit_code, 0) << outcome.out;
  }
  dbaccess::DatabaseFile::ReleaseRetained();
  const auto catalog = dbaccess::DatabaseFile::Open(db, "")->Snapshot();
  EXPECT_EQ(catalog->FindTable("Old")->rows.size(), static_cast<size_t>(kWriters * kRounds));
  EXPECT_EQ(catalog->FindTable("T")->columns.size(), static_cast<size_t>(2 + kWriters * kRounds));
}

// A working database made read-only in a writable folder is not replaced by exec or sync.
TEST_F(CycleCommandsTest, ReadOnlyWorkingFileIsRefusedAndLeftUntouched) {
  const std::string db = folder_.Path("work.mdb");
  ASSERT_EQ(::chmod(db.c_str(), 0444), 0);
  const std::string before = actions::ReadFile(db);
  Outcome outcome = RunCli("exec '" + db + "' 'DROP TABLE [Old]'");
  EXPECT_EQ(outcome.exit_code, 1) << outcome.out;
  EXPECT_NE(outcome.out.find("Cannot update.  Database or object is read-only."), std::string::npos)
      << outcome.out;
  outcome = RunCli(Args("sync", "'" + folder_.Path("new.mdb") + "' --no-backup"));
  EXPECT_NE(outcome.exit_code, 0) << outcome.out;
  EXPECT_NE(outcome.out.find("read-only"), std::string::npos) << outcome.out;
  EXPECT_EQ(actions::ReadFile(db), before);
  struct stat st {};
  ::stat(db.c_str(), &st);
  EXPECT_EQ(st.st_mode & 0777, 0444u);
}

// Refusals say why: an empty path, a folder for a database, a wrong password (of which
// database), a lists folder that is not there.
TEST_F(CycleCommandsTest, RefusalsSayWhy) {
  Outcome outcome = RunCli(Args("compare", "''"));
  EXPECT_EQ(outcome.exit_code, 2);
  EXPECT_NE(outcome.out.find("NEW is empty"), std::string::npos) << outcome.out;

  std::filesystem::create_directory(folder_.Path("dir.mdb"));
  outcome = RunCli(Args("compare", "'" + folder_.Path("dir.mdb") + "'"));
  EXPECT_EQ(outcome.exit_code, 2);
  EXPECT_NE(outcome.out.find("является папкой"), std::string::npos) << outcome.out;

  dbaccess::DatabaseFile::CreateText(folder_.Path("locked.mdb"), "secret");
  outcome = RunCli(Args("compare", "'" + folder_.Path("locked.mdb") + "' --pwd2 wrong"));
  EXPECT_EQ(outcome.exit_code, 2);
  EXPECT_NE(outcome.out.find("Not a valid password."), std::string::npos) << outcome.out;
  EXPECT_NE(outcome.out.find("новой БД: " + folder_.Path("locked.mdb")), std::string::npos)
      << outcome.out;
  outcome = RunCli("compare '" + folder_.Path("locked.mdb") + "' '" + folder_.Path("new.mdb") +
                   "' --lists '" + folder_.path() + "'");
  EXPECT_NE(outcome.out.find("рабочей БД: " + folder_.Path("locked.mdb")), std::string::npos)
      << outcome.out;

  // run needs its lists; compare and sync make the folder they are told to use.
  outcome = RunCli("run '" + folder_.Path("work.mdb") + "' --lists '" + folder_.Path("none") + "'");
  EXPECT_EQ(outcome.exit_code, 2);
  EXPECT_NE(outcome.out.find("does not exist"), std::string::npos) << outcome.out;
  EXPECT_FALSE(std::filesystem::exists(folder_.Path("none")));
  outcome = RunCli("compare '" + folder_.Path("work.mdb") + "' '" + folder_.Path("new.mdb") +
                   "' --lists '" + folder_.Path("made/here") + "'");
  EXPECT_EQ(outcome.exit_code, 1) << outcome.out;
  EXPECT_TRUE(actions::FileExists(folder_.Path("made/here/updTable.xml")));
}

// The backup of a text database keeps its extension.
TEST_F(CycleCommandsTest, BackupOfATextDatabaseKeepsItsExtension) {
  CreateDatabase(folder_.Path("work.skdb"), {"CREATE TABLE [T] ([ID] LONG)"});
  const Outcome outcome = RunCli("sync '" + folder_.Path("work.skdb") + "' '" +
                                 folder_.Path("new.mdb") + "' --lists '" + folder_.path() + "'");
  EXPECT_EQ(outcome.exit_code, 0) << outcome.out;
  bool found = false;
  for (const auto& entry : std::filesystem::directory_iterator(folder_.path())) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("work_", 0) == 0) {
      EXPECT_EQ(entry.path().extension(), ".skdb") << name;
      found = true;
    }
  }
  EXPECT_TRUE(found);
}

}  // namespace
