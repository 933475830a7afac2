// One unattended `skarnvel-cli sync` brings the working database fully into line: for pairs
// of databases that differ in the ways a cycle used to leave half done (long names, keys
// whose columns changed, a required flag changed with the default, types beyond the common
// ten, saved actions preloaded), the sync exits 0 and a fresh comparison finds nothing, in
// every rename mode.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/run_cli_testing.h"
#include "dbaccess/ado/connection.h"
#include "dbaccess/base/temp_folder_testing.h"
#include "dbaccess/files/database_file.h"

namespace {

using cli_test::CreateDatabase;
using cli_test::Outcome;
using cli_test::RunCli;

// A name of `length` characters that starts with `head`.
std::string LongName(const std::string& head, size_t length) {
  std::string name = head;
  while (name.size() < length) name += static_cast<char>('a' + name.size() % 26);
  return name;
}

// The rename options: none, then each mode.
const std::vector<std::string> kRenameModes = {"", "--rename-fields 0", "--rename-fields 1",
                                               "--rename-fields 2"};

class SyncConvergesTest : public ::testing::Test {
 protected:
  // Builds the pair afresh in a folder of its own, syncs with `options`, then compares.
  void ExpectOneSyncConverges(const std::vector<std::string>& work,
                              const std::vector<std::string>& fresh, const std::string& options) {
    SCOPED_TRACE("options: " + options);
    dbaccess::testing::TempFolder folder;
    const std::string w = folder.File("work.mdb");
    const std::string n = folder.File("new.mdb");
    CreateDatabase(w, work);
    CreateDatabase(n, fresh);
    const std::string pair = "'" + w + "' '" + n + "' --lists '" + folder.path() + "'";
    const Outcome sync = RunCli("sync " + pair + " " + options);
    EXPECT_EQ(sync.exit_code, 0) << sync.out;
    EXPECT_EQ(sync.out.find("Ошибка"), std::string::npos) << sync.out;
    const Outcome compare = RunCli("compare " + pair + " " + options);
    EXPECT_EQ(compare.exit_code, 0) << compare.out;
  }

  void ExpectConvergesInEveryMode(const std::vector<std::string>& work,
                                  const std::vector<std::string>& fresh) {
    for (const std::string& mode : kRenameModes) ExpectOneSyncConverges(work, fresh, mode);
  }
};

TEST_F(SyncConvergesTest, NamesOfSixtyFourCharacters) {
  const std::string table = LongName("Table_", 58);
  const std::string child = LongName("Child_", 62);
  const std::string renamed = LongName("Renamed_", 55);
  const std::string added = LongName("Added_", 64);
  const std::string key = LongName("PK_", 60);
  const std::string relation = LongName("FK_", 63);
  ExpectConvergesInEveryMode(
      {"CREATE TABLE [" + table + "] ([ID] LONG CONSTRAINT [" + key +
           "] PRIMARY KEY, [OldName] TEXT(10), [Req] LONG)",
       "CREATE TABLE [" + child + "] ([ID] LONG, [TID] LONG, [Gone] LONG)",
       "ALTER TABLE [" + child + "] ADD CONSTRAINT [" + relation + "] FOREIGN KEY ([TID]) " +
           "REFERENCES [" + table + "] ([ID])"},
      {"CREATE TABLE [" + table + "] ([ID] LONG CONSTRAINT [" + key + "] PRIMARY KEY, [" + renamed +
           "] TEXT(10), [Req] LONG NOT NULL, [" + added + "] SHORT)",
       "CREATE TABLE [" + child + "] ([ID] LONG, [Gone] LONG)"});
}

TEST_F(SyncConvergesTest, PrimaryKeyMovedToAnotherColumn) {
  ExpectOneSyncConverges({"CREATE TABLE [T] ([A] LONG NOT NULL, [B] LONG NOT NULL, CONSTRAINT "
                          "[pkA] PRIMARY KEY ([A]))"},
                         {"CREATE TABLE [T] ([A] LONG NOT NULL, [B] LONG NOT NULL, CONSTRAINT "
                          "[pkB] PRIMARY KEY ([B]))"},
                         "");
}

TEST_F(SyncConvergesTest, KeysExtendedOrShortenedByAColumn) {
  ExpectOneSyncConverges(
      {"CREATE TABLE [T] ([A] LONG NOT NULL, [B] LONG NOT NULL, [C] LONG, [D] LONG, "
       "CONSTRAINT [pk] PRIMARY KEY ([A]), CONSTRAINT [u] UNIQUE ([C]))",
       "CREATE TABLE [S] ([A] LONG NOT NULL, [B] LONG NOT NULL, [C] LONG, [D] LONG, "
       "CONSTRAINT [pk_s] PRIMARY KEY ([A], [B]), CONSTRAINT [u_s] UNIQUE ([C], [D]))"},
      {"CREATE TABLE [T] ([A] LONG NOT NULL, [B] LONG NOT NULL, [C] LONG, [D] LONG, "
       "CONSTRAINT [pk] PRIMARY KEY ([A], [B]), CONSTRAINT [u] UNIQUE ([C], [D]))",
       "CREATE TABLE [S] ([A] LONG NOT NULL, [B] LONG NOT NULL, [C] LONG, [D] LONG, "
       "CONSTRAINT [pk_s] PRIMARY KEY ([A]), CONSTRAINT [u_s] UNIQUE ([C]))"},
      "");
}

// A key that relations rely on changes: the index run drops the relations in its way, and
// they are proposed again over the new key and re-created by the same sync.
TEST_F(SyncConvergesTest, KeyThatRelationsRelyOnChanges) {
  const std::string child =
      "CREATE TABLE [C] ([ID] LONG NOT NULL, [PID] LONG, CONSTRAINT [pkC] PRIMARY KEY ([ID]), "
      "CONSTRAINT [fkP] FOREIGN KEY ([PID]) REFERENCES [P] ([ID]) ON DELETE CASCADE)";
  ExpectOneSyncConverges(
      {"CREATE TABLE [P] ([ID] LONG NOT NULL, [N] LONG NOT NULL, CONSTRAINT [pk] PRIMARY KEY "
       "([ID]))",
       child},
      {"CREATE TABLE [P] ([ID] LONG NOT NULL, [N] LONG NOT NULL, CONSTRAINT [pk] PRIMARY KEY "
       "([ID], [N]), CONSTRAINT [uID] UNIQUE ([ID]))",
       child},
      "");
}

TEST_F(SyncConvergesTest, RequiredFlagChangedWithTheDefault) {
  ExpectOneSyncConverges(
      {"CREATE TABLE [T] ([ID] LONG, [X] LONG DEFAULT 1, [Y] TEXT(10) NOT NULL DEFAULT \"a\")"},
      {"CREATE TABLE [T] ([ID] LONG, [X] LONG NOT NULL DEFAULT 2, [Y] TEXT(20) DEFAULT \"b\")"},
      "");
}

TEST_F(SyncConvergesTest, TypesBeyondTheCommonTen) {
  ExpectOneSyncConverges(
      {"CREATE TABLE [T] ([ID] LONG, [D] DECIMAL(8,1), [B] BINARY(8), [L] LONG)"},
      {"CREATE TABLE [T] ([ID] LONG, [D] DECIMAL(10,2), [B] BINARY(16), [L] LONG, [G] GUID, "
       "[E] BINARY(8))",
       "CREATE TABLE [N] ([ID] COUNTER NOT NULL, [G] GUID, [D] DECIMAL(10,2), [B] BINARY(8), "
       "[O] LONGBINARY, [M] MEMO)"},
      "");
}

TEST_F(SyncConvergesTest, PreloadedActionsRunOnce) {
  for (const std::string& mode : kRenameModes) {
    SCOPED_TRACE("options: " + mode);
    dbaccess::testing::TempFolder folder;
    const std::string w = folder.File("work.mdb");
    const std::string n = folder.File("new.mdb");
    CreateDatabase(w, {"CREATE TABLE [Old] ([ID] LONG)",
                       "CREATE TABLE [T] ([ID] LONG, [B] LONG, "
                       "[C] TEXT(10), [R] TEXT(5))"});
    CreateDatabase(n, {"CREATE TABLE [T] ([ID] LONG, [C] TEXT(20), [X] LONG, [S] TEXT(5))",
                       "CREATE TABLE [New] ([ID] LONG)"});
    const std::string pair = "'" + w + "' '" + n + "' --lists '" + folder.path() + "'";
    // The saved table actions, as a comparison left them.
    ASSERT_EQ(RunCli("compare " + pair + " " + mode).exit_code, 1);
    const Outcome sync = RunCli("sync " + pair + " " + mode + " --preload");
    EXPECT_EQ(sync.exit_code, 0) << sync.out;
    EXPECT_EQ(sync.out.find("Ошибка"), std::string::npos) << sync.out;
    EXPECT_EQ(RunCli("compare " + pair + " " + mode).exit_code, 0);
  }
}

TEST_F(SyncConvergesTest, AllAtOnceWithRelationsBetweenTheChangedTables) {
  const std::string table = LongName("Customers_", 58);
  const std::string renamed = LongName("Full_name_", 55);
  ExpectConvergesInEveryMode(
      {"CREATE TABLE [" + table +
           "] ([ID] LONG NOT NULL, [Code] TEXT(10) NOT NULL, "
           "[Name] TEXT(20), [Score] DECIMAL(8,1), [Flag] LONG DEFAULT 1, "
           "CONSTRAINT [pk_c] PRIMARY KEY ([ID]), CONSTRAINT [u_code] UNIQUE ([Code]))",
       "CREATE TABLE [Orders] ([ID] LONG NOT NULL, [Line] LONG NOT NULL, [CustomerID] LONG, "
       "[Blob] BINARY(8), [Note] TEXT(10), CONSTRAINT [pk_o] PRIMARY KEY ([ID]))",
       "CREATE TABLE [Lines] ([ID] LONG NOT NULL, [OrderID] LONG, [Qty] LONG, "
       "CONSTRAINT [pk_l] PRIMARY KEY ([ID]))",
       "ALTER TABLE [Orders] ADD CONSTRAINT [fk_oc] FOREIGN KEY ([CustomerID]) REFERENCES [" +
           table + "] ([ID])",
       "ALTER TABLE [Lines] ADD CONSTRAINT [fk_lo] FOREIGN KEY ([OrderID]) REFERENCES [Orders] "
       "([ID])",
       "CREATE TABLE [Old] ([ID] LONG)",
       "CREATE TABLE [Moved] ([A] LONG NOT NULL, [B] LONG NOT NULL, CONSTRAINT [pkA] PRIMARY "
       "KEY ([A]))"},
      {"CREATE TABLE [" + table + "] ([ID] LONG NOT NULL, [Code] TEXT(10) NOT NULL, [" + renamed +
           "] TEXT(20), [Score] DECIMAL(10,2), [Flag] LONG NOT NULL DEFAULT 2, "
           "[Region] TEXT(10), CONSTRAINT [pk_c] PRIMARY KEY ([ID]), "
           "CONSTRAINT [u_code] UNIQUE ([Code], [Region]))",
       "CREATE TABLE [Orders] ([ID] LONG NOT NULL, [Line] LONG NOT NULL, [CustomerID] LONG, "
       "[Blob] BINARY(16), [Note] TEXT(10), [Uid] GUID, CONSTRAINT [pk_o] PRIMARY KEY ([ID]))",
       "CREATE TABLE [Lines] ([ID] LONG NOT NULL, [OrderID] LONG, [Qty] LONG NOT NULL DEFAULT 0, "
       "CONSTRAINT [pk_l] PRIMARY KEY ([ID], [OrderID]))",
       "ALTER TABLE [Orders] ADD CONSTRAINT [fk_oc] FOREIGN KEY ([CustomerID]) REFERENCES [" +
           table + "] ([ID]) ON DELETE CASCADE",
       "ALTER TABLE [Lines] ADD CONSTRAINT [fk_lo] FOREIGN KEY ([OrderID]) REFERENCES [Orders] "
       "([ID])",
       "CREATE TABLE [Audit] ([ID] COUNTER NOT NULL, [OrderID] LONG, [Amount] DECIMAL(12,4), "
       "CONSTRAINT [pk_a] PRIMARY KEY ([ID]))",
       "ALTER TABLE [Audit] ADD CONSTRAINT [fk_ao] FOREIGN KEY ([OrderID]) REFERENCES [Orders] "
       "([ID])",
       "CREATE TABLE [Moved] ([A] LONG NOT NULL, [B] LONG NOT NULL, CONSTRAINT [pkB] PRIMARY "
       "KEY ([B]))"});
}

}  // namespace
