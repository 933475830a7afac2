// skarnvel-cli compare, run and sync as a script runs them: exit codes, list files, log.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "actions/file_io.h"
#include "dbaccess/base/temp_folder_testing.h"
#include "dbaccess/ado/connection.h"
#include "dbaccess/files/database_file.h"

namespace {

struct Outcome {
  int exit_code = -1;
  std::string out;  // standard output and standard error together
};

Outcome RunCli(const std::string& arguments) {
  const std::string command = std::string(SKARNVEL_CLI) + " " + arguments + " 2>&1";
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

void CreateDatabase(const std::string& path, const std::vector<std::string>& statements) {
  dbaccess::DatabaseFile::CreateText(path, "");
  dbaccess::ado::Connection connection;
  connection.Open(dbaccess::ado::ConnectionText(path, ""));
  for (const std::string& statement : statements) connection.Execute(statement);
}

class CycleCommandsTest : public ::testing::Test {
 protected:
  CycleCommandsTest() {
    CreateDatabase(folder_.File("work.mdb"), {"CREATE TABLE [T] ([ID] LONG, [A] TEXT(10))",
                                              "CREATE TABLE [Old] ([ID] LONG)"});
    CreateDatabase(folder_.File("new.mdb"),
                   {"CREATE TABLE [T] ([ID] LONG, [A] TEXT(20), [B] LONG)"});
  }
  std::string Args(const std::string& command, const std::string& more = "") const {
    return command + " '" + folder_.File("work.mdb") + "' " + more + " --lists '" + folder_.path() +
           "'";
  }

  dbaccess::testing::TempFolder folder_;
};

TEST_F(CycleCommandsTest, CompareExitsLikeDiffAndWritesTheLists) {
  Outcome outcome = RunCli(Args("compare", "'" + folder_.File("new.mdb") + "'"));
  EXPECT_EQ(outcome.exit_code, 1) << outcome.out;
  EXPECT_NE(outcome.out.find("ALTER TABLE [T] ADD [B] Long"), std::string::npos) << outcome.out;
  for (const char* file : {"updTable.xml", "updIndex.xml", "updFKey.xml", "updQuery.xml"}) {
    EXPECT_TRUE(actions::FileExists(folder_.File(file))) << file;
  }
  outcome = RunCli(Args("compare", "'" + folder_.File("work.mdb") + "'"));
  EXPECT_EQ(outcome.exit_code, 0) << outcome.out;
  outcome = RunCli(Args("compare", "'" + folder_.File("missing.mdb") + "'"));
  EXPECT_EQ(outcome.exit_code, 2) << outcome.out;
  EXPECT_EQ(RunCli("compare").exit_code, 2);
}

TEST_F(CycleCommandsTest, RunExecutesTheSavedListsThenSyncFindsNothingLeft) {
  ASSERT_EQ(RunCli(Args("compare", "'" + folder_.File("new.mdb") + "'")).exit_code, 1);
  Outcome outcome = RunCli(Args("run", "--no-backup"));
  EXPECT_EQ(outcome.exit_code, 0) << outcome.out;
  EXPECT_TRUE(actions::FileExists(folder_.File("skarnvel-cli.log")));
  outcome = RunCli(Args("sync", "'" + folder_.File("new.mdb") + "'"));
  EXPECT_EQ(outcome.exit_code, 0) << outcome.out;
  EXPECT_NE(outcome.out.find("no differences left"), std::string::npos) << outcome.out;
}

TEST_F(CycleCommandsTest, SyncMakesABackupAndReportsFailures) {
  // A relation in the way of dropping a table, kept by --on-relation no: the drop fails.
  CreateDatabase(
      folder_.File("other.mdb"),
      {"CREATE TABLE [P] ([ID] LONG CONSTRAINT [PK_P] PRIMARY KEY)",
       "CREATE TABLE [C] ([PID] LONG)",
       "ALTER TABLE [C] ADD CONSTRAINT [FK_C] FOREIGN KEY ([PID]) REFERENCES [P] ([ID])"});
  CreateDatabase(folder_.File("target.mdb"), {"CREATE TABLE [C] ([PID] LONG)"});
  Outcome outcome =
      RunCli("sync '" + folder_.File("other.mdb") + "' '" + folder_.File("target.mdb") +
             "' --on-relation no --on-error continue" + " --lists '" + folder_.path() + "'");
  EXPECT_EQ(outcome.exit_code, 1) << outcome.out;
  size_t backups = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder_.path())) {
    if (entry.path().filename().string().rfind("other_", 0) == 0) ++backups;
  }
  EXPECT_EQ(backups, 1u);
  // Dropping the relation lets the cycle finish.
  outcome = RunCli("sync '" + folder_.File("other.mdb") + "' '" + folder_.File("target.mdb") +
                   "' --lists '" + folder_.path() + "'");
  EXPECT_EQ(outcome.exit_code, 0) << outcome.out;
}

}  // namespace
