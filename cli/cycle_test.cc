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
#include "cli/run_cli_testing.h"
#include "dbaccess/ado/connection.h"
#include "dbaccess/base/temp_folder_testing.h"
#include "dbaccess/files/database_file.h"

namespace {

using cli_test::CreateDatabase;
using cli_test::Outcome;
using cli_test::RunCli;
using cli_test::RunShell;

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

// Writes a database script of the text storage as it stands: how a hostile new database
// gets defaults that no Jet statement would let in.
void WriteScriptFile(const std::string& path, const std::string& statements) {
  actions::ReplaceFile(path, "-- Skarnvel text database 1\n" + statements);
}

std::string FileBytes(const std::string& path) { return actions::ReadFile(path); }

// A hostile new database whose defaults carry a second statement, as a new column and as a
// changed default: neither compare nor sync lets it reach the working database; both refuse
// the comparison (exit 2), naming the column, and the working database stays as it was.
TEST_F(CycleCommandsTest, InjectionThroughADefaultNeverRuns) {
  const std::string injected = "'0; ALTER TABLE [T] DROP COLUMN [A]'";
  const std::string scripts[] = {
      "CREATE TABLE [T] (\n  [ID] Long,\n  [A] Text(10),\n  [Evil] Long DEFAULT VERBATIM " +
          injected + "\n);\n",
      "CREATE TABLE [T] (\n  [ID] Long DEFAULT VERBATIM " + injected + ",\n  [A] Text(10)\n);\n",
  };
  for (const std::string& script : scripts) {
    WriteScriptFile(folder_.File("evil.mdb"), script);
    const std::string before = FileBytes(folder_.File("work.mdb"));
    for (const char* command : {"compare", "sync"}) {
      const std::string more = std::string(command) == "sync" ? " --no-backup" : "";
      const Outcome outcome = RunCli(Args(command, "'" + folder_.File("evil.mdb") + "'" + more));
      EXPECT_EQ(outcome.exit_code, 2) << command << ": " << outcome.out;
      EXPECT_NE(outcome.out.find("is not one expression"), std::string::npos) << outcome.out;
      EXPECT_EQ(outcome.out.find("Успешно"), std::string::npos) << outcome.out;
    }
    EXPECT_EQ(FileBytes(folder_.File("work.mdb")), before);
  }
}

// A new column whose default is the text "DROP TABLE" is added, and the relationships of
// its table stay: what a row does comes from the row, not from words in its command.
TEST_F(CycleCommandsTest, CommandWordsInADefaultDropNoRelationship) {
  const std::vector<std::string> common = {
      "CREATE TABLE [P] ([ID] LONG CONSTRAINT [PK_P] PRIMARY KEY)", "CREATE TABLE [C] ([PID] LONG)",
      "ALTER TABLE [C] ADD CONSTRAINT [FK_C] FOREIGN KEY ([PID]) REFERENCES [P] ([ID])"};
  CreateDatabase(folder_.File("rel_work.mdb"), common);
  std::vector<std::string> fresh = common;
  fresh.push_back("ALTER TABLE [C] ADD COLUMN [Note] TEXT(20) DEFAULT \"DROP TABLE\"");
  CreateDatabase(folder_.File("rel_new.mdb"), fresh);
  const Outcome outcome =
      RunCli("sync '" + folder_.File("rel_work.mdb") + "' '" + folder_.File("rel_new.mdb") +
             "' --no-backup --on-relation yes --lists '" + folder_.path() + "'");
  EXPECT_EQ(outcome.exit_code, 0) << outcome.out;
  EXPECT_EQ(outcome.out.find("DROP CONSTRAINT"), std::string::npos) << outcome.out;
  const Outcome keys = RunCli("rowset '" + folder_.File("rel_work.mdb") + "' foreign_keys");
  EXPECT_NE(keys.out.find("FK_C"), std::string::npos) << keys.out;
}

// A character of code 0, or bytes that are no UTF-8, in a default of the new database: the
// lists could not keep it, and compare and sync give the same verdict, a refusal naming the
// column, with the working database left as it was.
TEST_F(CycleCommandsTest, NulOrBadUtf8GetsTheSameVerdictFromCompareAndSync) {
  const std::string defaults[] = {"'\"a' & Chr(0) & 'b\"'",
                                  "'\"a\xff\xfe"
                                  "b\"'"};
  for (const std::string& value : defaults) {
    WriteScriptFile(folder_.File("odd.mdb"),
                    "CREATE TABLE [T] (\n  [ID] Long,\n  [A] Text(10),\n  [B] Text(9) DEFAULT "
                    "VERBATIM " +
                        value + "\n);\n");
    const std::string before = FileBytes(folder_.File("work.mdb"));
    for (const char* command : {"compare", "sync"}) {
      const std::string more = std::string(command) == "sync" ? " --no-backup" : "";
      const Outcome outcome = RunCli(Args(command, "'" + folder_.File("odd.mdb") + "'" + more));
      EXPECT_EQ(outcome.exit_code, 2) << command << ": " << outcome.out;
      EXPECT_NE(outcome.out.find("the default value of field 'B' of table 'T'"), std::string::npos)
          << outcome.out;
    }
    EXPECT_EQ(FileBytes(folder_.File("work.mdb")), before);
  }
}

// Control characters in the new database's defaults and saved queries reach compare's list
// tables as \xNN, never as the bytes themselves: a terminal showing the lists is not told to
// clear its screen or retitle its window by the database it compares.
TEST_F(CycleCommandsTest, ControlCharactersOfADatabaseArePrintedEscapedInTheLists) {
  const std::string hostile = folder_.File("hostile.mdb");
  CreateDatabase(hostile, {"CREATE TABLE [T] ([ID] LONG, [A] TEXT(10) DEFAULT \"\x1b[2J\", "
                           "[B] TEXT(5) DEFAULT \"\x1b]0;owned\x07\")"});
  const auto run = [&](const std::vector<std::string>& args) {
    return RunCli(args, folder_.File("stdout"), folder_.File("stderr"));
  };
  ASSERT_EQ(run({"query", hostile, "create", "Q", "SELECT '\x1b[5m' AS [X] FROM [T]"}).code, 0);
  const cli_test::Result result =
      run({"compare", folder_.File("work.mdb"), hostile, "--lists", folder_.path()});
  EXPECT_EQ(result.code, 1) << result.err;
  // A changed default, a new column's default and a new query's text.
  EXPECT_NE(result.out.find("\\x1B[2J"), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("\\x1B]0;owned\\x07"), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("\\x1B[5m"), std::string::npos) << result.out;
  for (const char c : result.out) {
    const auto u = static_cast<unsigned char>(c);
    EXPECT_TRUE(u >= 0x20 || c == '\t' || c == '\n') << "raw control character " << int(u);
  }
}

// Eight exec processes at once, each adding a row and a column: every one succeeds and
// nothing of theirs is lost.
TEST_F(CycleCommandsTest, ConcurrentExecProcessesAllKeepTheirChanges) {
  constexpr int kWriters = 8;
  constexpr int kRounds = 2;
  const std::string db = folder_.File("work.mdb");
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
                                     "' sh '" + folder_.File("writers.sh") + "'");
    EXPECT_EQ(outcome.exit_code, 0) << outcome.out;
  }
  dbaccess::DatabaseFile::ReleaseRetained();
  const auto catalog = dbaccess::DatabaseFile::Open(db, "")->Snapshot();
  EXPECT_EQ(catalog->FindTable("Old")->rows.size(), static_cast<size_t>(kWriters * kRounds));
  EXPECT_EQ(catalog->FindTable("T")->columns.size(), static_cast<size_t>(2 + kWriters * kRounds));
}

// Two syncs at once on one working database, each towards a new database of its own (one
// adds the column A, the other the column B and a table): whatever order their writes take,
// an action a sync reports done is in the database afterwards unless the other sync
// reports dropping it, and the table's rows are all there.
TEST_F(CycleCommandsTest, ConcurrentSyncsKeepEveryChangeTheyReport) {
  constexpr int kRounds = 3;
  constexpr int kRows = 200;
  std::vector<std::string> rows = {"CREATE TABLE [T] ([ID] LONG, [S] TEXT(50))"};
  for (int i = 0; i < kRows; ++i) {
    rows.push_back("INSERT INTO [T] VALUES (" + std::to_string(i) + ", 'row')");
  }
  CreateDatabase(folder_.File("a.mdb"), {"CREATE TABLE [T] ([ID] LONG, [S] TEXT(50), [A] LONG)"});
  CreateDatabase(folder_.File("b.mdb"), {"CREATE TABLE [T] ([ID] LONG, [S] TEXT(50), [B] LONG)",
                                         "CREATE TABLE [U] ([ID] LONG)"});
  CreateDatabase(folder_.File("rows.mdb"), rows);
  const std::string db = folder_.File("shared.mdb");
  folder_.Write("syncs.sh",
                "\"$CLI\" sync \"$DB\" \"$D/a.mdb\" --no-backup --lists \"$D/la\" >\"$D/a.out\" "
                "2>&1 &\n\"$CLI\" sync \"$DB\" \"$D/b.mdb\" --no-backup --lists \"$D/lb\" "
                ">\"$D/b.out\" 2>&1 &\nwait\n");
  for (int round = 0; round < kRounds; ++round) {
    std::filesystem::copy_file(folder_.File("rows.mdb"), db,
                               std::filesystem::copy_options::overwrite_existing);
    const Outcome outcome = RunShell("CLI='" + std::string(SKARNVEL_CLI) + "' DB='" + db + "' D='" +
                                     folder_.path() + "' sh '" + folder_.File("syncs.sh") + "'");
    ASSERT_EQ(outcome.exit_code, 0) << outcome.out;
    const std::string said = FileBytes(folder_.File("a.out")) + FileBytes(folder_.File("b.out"));
    dbaccess::DatabaseFile::ReleaseRetained();
    const auto catalog = dbaccess::DatabaseFile::Open(db, "")->Snapshot();
    const dbaccess::Table* table = catalog->FindTable("T");
    ASSERT_NE(table, nullptr) << said;
    EXPECT_EQ(table->rows.size(), static_cast<size_t>(kRows)) << said;
    for (const std::string column : {"A", "B"}) {
      const bool added =
          said.find("Успешно: ALTER TABLE [T] ADD [" + column + "]") != std::string::npos;
      const bool dropped =
          said.find("Успешно: ALTER TABLE [T] DROP COLUMN [" + column + "]") != std::string::npos;
      const bool present = table->FindColumn(column) != nullptr;
      if (added && !dropped) {
        EXPECT_TRUE(present) << column << "\n" << said;
      }
      if (!added) {
        EXPECT_FALSE(present) << column << "\n" << said;
      }
    }
    const bool created = said.find("Успешно: CREATE TABLE [U]") != std::string::npos;
    const bool gone = said.find("Успешно: DROP TABLE [U]") != std::string::npos;
    if (created && !gone) {
      EXPECT_NE(catalog->FindTable("U"), nullptr) << said;
    }
  }
}

// A working database made read-only in a writable folder is not replaced by exec or sync.
TEST_F(CycleCommandsTest, ReadOnlyWorkingFileIsRefusedAndLeftUntouched) {
  const std::string db = folder_.File("work.mdb");
  ASSERT_EQ(::chmod(db.c_str(), 0444), 0);
  const std::string before = actions::ReadFile(db);
  Outcome outcome = RunCli("exec '" + db + "' 'DROP TABLE [Old]'");
  EXPECT_EQ(outcome.exit_code, 1) << outcome.out;
  EXPECT_NE(outcome.out.find("Cannot update.  Database or object is read-only."), std::string::npos)
      << outcome.out;
  outcome = RunCli(Args("sync", "'" + folder_.File("new.mdb") + "' --no-backup"));
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

  std::filesystem::create_directory(folder_.File("dir.mdb"));
  outcome = RunCli(Args("compare", "'" + folder_.File("dir.mdb") + "'"));
  EXPECT_EQ(outcome.exit_code, 2);
  EXPECT_NE(outcome.out.find("является папкой"), std::string::npos) << outcome.out;

  dbaccess::DatabaseFile::CreateText(folder_.File("locked.mdb"), "secret");
  outcome = RunCli(Args("compare", "'" + folder_.File("locked.mdb") + "' --pwd2 wrong"));
  EXPECT_EQ(outcome.exit_code, 2);
  EXPECT_NE(outcome.out.find("Not a valid password."), std::string::npos) << outcome.out;
  EXPECT_NE(outcome.out.find("новой БД: " + folder_.File("locked.mdb")), std::string::npos)
      << outcome.out;
  outcome = RunCli("compare '" + folder_.File("locked.mdb") + "' '" + folder_.File("new.mdb") +
                   "' --lists '" + folder_.path() + "'");
  EXPECT_NE(outcome.out.find("рабочей БД: " + folder_.File("locked.mdb")), std::string::npos)
      << outcome.out;

  // run needs its lists; compare and sync make the folder they are told to use.
  outcome = RunCli("run '" + folder_.File("work.mdb") + "' --lists '" + folder_.File("none") + "'");
  EXPECT_EQ(outcome.exit_code, 2);
  EXPECT_NE(outcome.out.find("does not exist"), std::string::npos) << outcome.out;
  EXPECT_FALSE(std::filesystem::exists(folder_.File("none")));
  outcome = RunCli("compare '" + folder_.File("work.mdb") + "' '" + folder_.File("new.mdb") +
                   "' --lists '" + folder_.File("made/here") + "'");
  EXPECT_EQ(outcome.exit_code, 1) << outcome.out;
  EXPECT_TRUE(actions::FileExists(folder_.File("made/here/updTable.xml")));
}

// The backup of a text database keeps its extension.
TEST_F(CycleCommandsTest, BackupOfATextDatabaseKeepsItsExtension) {
  CreateDatabase(folder_.File("work.skdb"), {"CREATE TABLE [T] ([ID] LONG)"});
  const Outcome outcome = RunCli("sync '" + folder_.File("work.skdb") + "' '" +
                                 folder_.File("new.mdb") + "' --lists '" + folder_.path() + "'");
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
