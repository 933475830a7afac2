// skarnvel-cli check-data, run and sync with --on-data-loss, and sync --trial, on text
// databases with rows.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "cli/run_cli_testing.h"
#include "dbaccess/base/temp_folder_testing.h"

namespace {

using cli_test::CreateDatabase;
using cli_test::Outcome;
using cli_test::ReadFile;
using cli_test::RunCli;

class DataCheckCommandsTest : public ::testing::Test {
 protected:
  DataCheckCommandsTest() {
    // The new structure drops Old (two values), makes A shorter than one of its texts and
    // adds a primary key over a column holding a repeated value.
    CreateDatabase(work_, {"CREATE TABLE [T] ([ID] LONG, [A] TEXT(10), [Old] TEXT(5))",
                           "INSERT INTO [T] VALUES (1, 'abc', 'x')",
                           "INSERT INTO [T] VALUES (2, 'abcdefgh', NULL)",
                           "INSERT INTO [T] VALUES (2, 'ab', 'y')"});
    CreateDatabase(fresh_, {"CREATE TABLE [T] ([ID] LONG CONSTRAINT [PK_T] PRIMARY KEY, "
                            "[A] TEXT(5))"});
  }
  std::string Lists() const { return " --lists '" + folder_.path() + "'"; }
  std::string Sync(const std::string& more) const {
    return "sync '" + work_ + "' '" + fresh_ + "' --no-backup" + more + Lists();
  }

  dbaccess::testing::TempFolder folder_;
  const std::string work_ = folder_.File("work.skdb");
  const std::string fresh_ = folder_.File("new.skdb");
};

TEST_F(DataCheckCommandsTest, CheckDataPrintsEachFindingWithItsCountsAndChangesNothing) {
  ASSERT_EQ(RunCli("compare '" + work_ + "' '" + fresh_ + "'" + Lists()).exit_code, 1);
  const std::string before = ReadFile(work_);
  const Outcome outcome = RunCli("check-data '" + work_ + "'" + Lists());
  EXPECT_EQ(outcome.exit_code, 1) << outcome.out;
  for (const char* expected : {
           "ALTER TABLE [T] DROP COLUMN [Old] — будут потеряны значения поля: [T].[Old]: 2 "
           "(например: x; y)",
           "значения поля не подходят к новому типу или размеру: [T].[A]: 1 (длиннее нового "
           "размера: 1; например: abcdefgh) — действие будет отклонено",
           "повторяющиеся значения ключа: [T].[ID]: 1 (например: 2) — действие будет отклонено",
       }) {
    EXPECT_NE(outcome.out.find(expected), std::string::npos) << expected << "\n" << outcome.out;
  }
  EXPECT_EQ(ReadFile(work_), before);

  // Nothing ticked at risk: exit 0; no such database: exit 2.
  CreateDatabase(folder_.File("same.skdb"), {"CREATE TABLE [T] ([ID] LONG)"});
  ASSERT_EQ(RunCli("compare '" + folder_.File("same.skdb") + "' '" + folder_.File("same.skdb") +
                   "'" + Lists())
                .exit_code,
            0);
  EXPECT_EQ(RunCli("check-data '" + folder_.File("same.skdb") + "'" + Lists()).exit_code, 0);
  EXPECT_EQ(RunCli("check-data '" + folder_.File("missing.skdb") + "'" + Lists()).exit_code, 2);
}

TEST_F(DataCheckCommandsTest, ByDefaultARunThatWouldLoseDataChangesNothing) {
  const std::string before = ReadFile(work_);
  Outcome outcome = RunCli(Sync(""));
  EXPECT_EQ(outcome.exit_code, 1) << outcome.out;
  EXPECT_NE(outcome.out.find("Ничего не выполнено"), std::string::npos) << outcome.out;
  EXPECT_EQ(ReadFile(work_), before);
  outcome = RunCli("run '" + work_ + "' --no-backup" + Lists());
  EXPECT_EQ(outcome.exit_code, 1) << outcome.out;
  EXPECT_EQ(ReadFile(work_), before);

  // skip: the rest runs, the loss is left out and what was left out stays different.
  outcome = RunCli(Sync(" --on-data-loss skip --on-error continue"));
  EXPECT_EQ(outcome.exit_code, 1) << outcome.out;
  EXPECT_NE(outcome.out.find("Пропущено (потеря данных): ALTER TABLE [T] DROP COLUMN [Old]"),
            std::string::npos)
      << outcome.out;
  EXPECT_NE(ReadFile(work_).find("[Old]"), std::string::npos);
}

TEST_F(DataCheckCommandsTest, TrialRunLeavesTheWorkingFileAsItWasAndForetellsTheRealRun) {
  // Remove what the engine would refuse, so that the run can succeed.
  CreateDatabase(folder_.File("fresh2.skdb"), {"CREATE TABLE [T] ([ID] LONG, [A] TEXT(20))"});
  const std::string fresh2 = folder_.File("fresh2.skdb");
  const dbaccess::testing::TempFolder temp;
  for (const std::string& more : {std::string(), std::string(" --on-data-loss run")}) {
    for (const std::string& target : {fresh_, fresh2}) {
      const std::string before = ReadFile(work_);
      const std::string sync = "sync '" + work_ + "' '" + target + "' --no-backup" + more +
                               " --on-error continue" + Lists();
      // The copy is made in the temporary folder, and removed.
      const Outcome trial = cli_test::RunShell("TMPDIR='" + temp.path() + "' " +
                                               std::string(SKARNVEL_CLI) + " " + sync + " --trial");
      EXPECT_EQ(ReadFile(work_), before) << trial.out;
      EXPECT_TRUE(std::filesystem::is_empty(temp.path())) << trial.out;
      EXPECT_NE(trial.out.find("Пробный запуск окончен"), std::string::npos) << trial.out;
      const Outcome real = RunCli(sync);
      EXPECT_EQ(trial.exit_code, real.exit_code) << more << " " << target << "\n"
                                                 << trial.out << "\n---\n"
                                                 << real.out;
      EXPECT_EQ(trial.out.find("trial: no differences left") != std::string::npos,
                real.out.find("no differences left") != std::string::npos)
          << trial.out << "\n---\n"
          << real.out;
      if (real.exit_code == 0) return;  // the working file is now like the new one
    }
  }
  ADD_FAILURE() << "no sync brought the working file into line";
}

}  // namespace
