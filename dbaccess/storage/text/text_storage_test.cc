#include "dbaccess/storage/text/text_storage.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

#include "dbaccess/base/testdata_testing.h"
#include "dbaccess/exec/executor_testing.h"
#include "dbaccess/files/database_file.h"
#include "dbaccess/storage/atomic_file.h"
#include "dbaccess/storage/text/text_script.h"

namespace dbaccess {
namespace {

using testing::CatchJetError;
using testing::TempFolder;

std::string Slurp(const std::string& path) { return ReadWholeFile(path); }

void Spit(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
}

// Another program's edit: a statement added before the end mark.
void AddStatement(const std::string& path, const std::string& statement) {
  std::string text = Slurp(path);
  text.insert(text.rfind(kScriptEndMark), statement);
  Spit(path, text);
}

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

TEST(TextStorageTest, ChangesPersistAcrossOpens) {
  TempFolder folder;
  const std::string path = folder.File("база.sdb");
  DatabaseFile::CreateText(path, "");
  EXPECT_EQ(Slurp(path), "-- Skarnvel text database 2\n\n-- End of Skarnvel text database\n");
  {
    auto file = DatabaseFile::Open(path, "");
    file->Apply(Sql("CREATE TABLE Заказы (Код COUNTER PRIMARY KEY, Сумма Currency)"));
    file->Apply(Sql("INSERT INTO Заказы (Сумма) VALUES (12.34)"));
    // Each change is on disk when Apply returns.
    EXPECT_NE(Slurp(path).find("INSERT INTO [Заказы] ([Код], [Сумма]) VALUES (1, 12.34);"),
              std::string::npos);
  }
  auto again = DatabaseFile::Open(path, "");
  const auto snapshot = again->Snapshot();
  ASSERT_NE(snapshot->FindTable("заказы"), nullptr);
  EXPECT_EQ(snapshot->FindTable("заказы")->rows.size(), 1u);
  // A refused statement leaves file and memory alone.
  const std::string before = Slurp(path);
  EXPECT_EQ(CatchJetError([&] { again->Apply(Sql("DROP TABLE Nowhere")); }).number, 3376);
  EXPECT_EQ(Slurp(path), before);
  EXPECT_EQ(again->Snapshot(), snapshot);
  EXPECT_EQ(CatchJetError([&] { DatabaseFile::CreateText(path, ""); }).text,
            "Database already exists.");
  EXPECT_EQ(Slurp(path), before);
}

TEST(TextStorageTest, MissingAndUnknownFiles) {
  TempFolder folder;
  const std::string missing = folder.File("nothing.mdb");
  EXPECT_EQ(CatchJetError([&] { DatabaseFile::Open(missing, ""); }).text,
            "Could not find file '" + missing + "'.");
  EXPECT_EQ(CatchJetError([] { DatabaseFile::Open("", ""); }).text, "Could not find file ''.");
  // A relative path is reported as the full path it stands for.
  const auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(folder.path());
  const auto relative = CatchJetError([] { DatabaseFile::Open("sub/../nothing.mdb", ""); });
  std::filesystem::current_path(cwd);
  EXPECT_EQ(relative.text, "Could not find file '" + missing + "'.");

  const auto unrecognized = [&](const std::string& name, const std::string& content) {
    const std::string path = folder.File(name);
    Spit(path, content);
    const auto caught = CatchJetError([&] { DatabaseFile::Open(path, ""); });
    EXPECT_EQ(caught.number, 3343) << name;
    EXPECT_EQ(caught.text, "Unrecognized database format '" + path + "'.") << name;
  };
  unrecognized("empty.mdb", "");
  unrecognized("text.sdb", "hello\n");
  unrecognized("almost.sdb", "-- Skarnvel text database 3\n");
  unrecognized("jet.sdb", std::string("\0\1\0\0Standard Jet DB\0", 20) + std::string(100, '\0'));
  unrecognized("ace.sdb", std::string("\0\1\0\0Standard ACE DB\0", 20) + std::string(100, '\0'));
  std::filesystem::create_directory(folder.File("dir.mdb"));
  EXPECT_EQ(CatchJetError([&] { DatabaseFile::Open(folder.File("dir.mdb"), ""); }).number, 3343);
  // A real Jet file (read only, never written) goes to the .mdb storage.
  const std::string real = skarnvel_test::TestDataFile("testV2000.mdb");
  if (std::filesystem::exists(real)) {
    EXPECT_EQ(CatchJetError([&] { DatabaseFile::Open(real, ""); }).number, 0);
  }
  // A script that does not read names the line.
  const std::string broken = folder.File("broken.sdb");
  Spit(broken, "-- Skarnvel text database 1\nCREATE TABLE T (a Long);\nCREATE TABLE T (b Long);\n");
  EXPECT_EQ(CatchJetError([&] { DatabaseFile::Open(broken, ""); }).text,
            "Unrecognized database format '" + broken +
                "'. Line 3 of the database script: Table 'T' already exists.");
}

TEST(TextStorageTest, PasswordsAreHashedAndChecked) {
  TempFolder folder;
  const std::string path = folder.File("secret.sdb");
  DatabaseFile::CreateText(path, "Пароль;1");
  const std::string text = Slurp(path);
  EXPECT_EQ(text.find("Пароль"), std::string::npos);  // never in clear
  EXPECT_EQ(text.rfind("-- Skarnvel text database 2\n-- Database password: pbkdf2-sha256$", 0), 0u);

  const auto refused = [&](const std::string& password) {
    const auto caught = CatchJetError([&] { DatabaseFile::Open(path, password); });
    EXPECT_EQ(caught.number, 3031) << password;
    EXPECT_EQ(caught.text, "Not a valid password.") << password;
  };
  refused("");
  refused("пароль;1");  // case counts
  refused("Пароль;");
  auto file = DatabaseFile::Open(path, "Пароль;1");
  file->Apply(Sql("CREATE TABLE T (a Long)"));
  // The password survives every rewrite, and is checked again on every open.
  refused("wrong");
  EXPECT_EQ(DatabaseFile::Open(path, "Пароль;1"), file);
  file.reset();
  EXPECT_NE(DatabaseFile::Open(path, "Пароль;1")->Snapshot()->FindTable("T"), nullptr);

  // Jet ignores a password given for a database that has none.
  const std::string open = folder.File("open.sdb");
  DatabaseFile::CreateText(open, "");
  EXPECT_NO_THROW(DatabaseFile::Open(open, "anything"));
}

class WriteFailureTest : public ::testing::TestWithParam<std::pair<WriteStep, int>> {
 protected:
  void TearDown() override { SetWriteFaultHookForTesting(nullptr); }
};

TEST_P(WriteFailureTest, LeavesTheOldDatabaseAndNoTemporaryFile) {
  const auto [step, error] = GetParam();
  TempFolder folder;
  const std::string path = folder.File("db.sdb");
  DatabaseFile::CreateText(path, "");
  auto file = DatabaseFile::Open(path, "");
  file->Apply(Sql("CREATE TABLE T (a Long)"));
  chmod(path.c_str(), 0640);
  const std::string before = Slurp(path);
  const auto snapshot = file->Snapshot();

  SetWriteFaultHookForTesting(
      [step = step, error = error](WriteStep s) { return s == step ? error : 0; });
  const auto caught = CatchJetError([&] { file->Apply(Sql("CREATE TABLE U (b Long)")); });
  EXPECT_TRUE(caught.thrown);
  EXPECT_EQ(caught.number, error == ENOSPC ? 3026 : error == EACCES ? 3051 : 3043);
  EXPECT_EQ(Slurp(path), before);
  EXPECT_EQ(file->Snapshot(), snapshot);
  EXPECT_EQ(FolderEntries(folder.path()), std::vector<std::string>{"db.sdb"});

  SetWriteFaultHookForTesting(nullptr);
  file->Apply(Sql("CREATE TABLE U (b Long)"));
  EXPECT_NE(file->Snapshot()->FindTable("U"), nullptr);
  EXPECT_EQ(FolderEntries(folder.path()), std::vector<std::string>{"db.sdb"});
  struct stat st {};
  stat(path.c_str(), &st);
  EXPECT_EQ(st.st_mode & 0777, 0640u);  // a rewrite keeps the file's permissions
}

INSTANTIATE_TEST_SUITE_P(EveryStep, WriteFailureTest,
                         ::testing::Values(std::make_pair(WriteStep::kCreateTemporary, EACCES),
                                           std::make_pair(WriteStep::kWrite, ENOSPC),
                                           std::make_pair(WriteStep::kSync, EIO),
                                           std::make_pair(WriteStep::kClose, EIO),
                                           std::make_pair(WriteStep::kRename, EIO)));

// A process that dies in the middle of a commit leaves the old database or the new one.
// The dying writer is a forked child: it leaves nothing of the test's own behind (a death
// test's child would run the test again and leave its temporary folders).
TEST(TextStorageDeathTest, ACrashAtAnyStepLeavesAWholeDatabase) {
  constexpr int kDiedCode = 7;
  for (WriteStep step :
       {WriteStep::kWrite, WriteStep::kSync, WriteStep::kClose, WriteStep::kRename}) {
    TempFolder folder;
    const std::string path = folder.File("db.sdb");
    DatabaseFile::CreateText(path, "");
    DatabaseFile::Open(path, "")->Apply(Sql("CREATE TABLE Old (a Long)"));
    const std::string before = Slurp(path);
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      auto file = DatabaseFile::Open(path, "");
      SetWriteFaultHookForTesting([step](WriteStep s) {
        if (s == step) _exit(kDiedCode);  // the process dies here
        return 0;
      });
      file->Apply(Sql("CREATE TABLE New (b Long)"));
      _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == kDiedCode);
    EXPECT_EQ(Slurp(path), before);
    // The next open reads the whole old database (a crash may leave a temporary file).
    EXPECT_NE(DatabaseFile::Open(path, "")->Snapshot()->FindTable("Old"), nullptr);
  }
}

TEST(TextStorageTest, CreationFailureLeavesNothingBehind) {
  TempFolder folder;
  SetWriteFaultHookForTesting([](WriteStep s) { return s == WriteStep::kWrite ? ENOSPC : 0; });
  const auto caught =
      CatchJetError([&] { DatabaseFile::CreateText(folder.File("new.sdb"), "pw"); });
  SetWriteFaultHookForTesting(nullptr);
  EXPECT_EQ(caught.text, "Not enough space on disk.");
  EXPECT_TRUE(FolderEntries(folder.path()).empty());
}

TEST(TextStorageTest, ChangesByAnotherProgramAreNeverOverwritten) {
  TempFolder folder;
  const std::string path = folder.File("db.sdb");
  DatabaseFile::CreateText(path, "");
  DatabaseFile::Open(path, "")->Apply(Sql("CREATE TABLE T (a Long)"));
  std::unique_ptr<TextStorage> storage = TextStorage::Open(path, "");
  const Catalog loaded = storage->Load();
  EXPECT_FALSE(storage->ChangedOnDisk());

  // Another program writes the same number of bytes and puts the old times back.
  struct stat st {};
  stat(path.c_str(), &st);
  std::string other = Slurp(path);
  other.replace(other.find("[a]"), 3, "[b]");
  Spit(path, other);
  const timespec times[2] = {st.st_atim, st.st_mtim};
  utimensat(AT_FDCWD, path.c_str(), times, 0);
  EXPECT_TRUE(storage->ChangedOnDisk());
  Catalog mine = loaded;
  ChangeList changes;
  ExecuteSql(mine, "CREATE TABLE Mine (a Long)", changes);
  const auto caught = CatchJetError([&] { storage->Commit(loaded, mine, changes); });
  EXPECT_EQ(caught.number, 3197);
  EXPECT_EQ(caught.text, "The database '" + path +
                             "' was changed by another program after it was read here, so this "
                             "change was not saved.  Read the database again and repeat the "
                             "change.");
  EXPECT_EQ(Slurp(path), other);

  // Touching without changing is no change; a deleted file is one.
  std::unique_ptr<TextStorage> fresh = TextStorage::Open(path, "");
  (void)fresh->Load();
  const timespec later[2] = {{0, UTIME_NOW}, {st.st_mtim.tv_sec + 10, 0}};
  utimensat(AT_FDCWD, path.c_str(), later, 0);
  EXPECT_FALSE(fresh->ChangedOnDisk());
  std::filesystem::remove(path);
  EXPECT_TRUE(fresh->ChangedOnDisk());
}

TEST(TextStorageTest, SharedFileReadsChangesOfOtherProgramsBeforeChanging) {
  TempFolder folder;
  const std::string path = folder.File("db.sdb");
  DatabaseFile::CreateText(path, "");
  auto file = DatabaseFile::Open(path, "");
  file->Apply(Sql("CREATE TABLE Mine (a Long)"));
  // Another program adds a table by editing the text.
  AddStatement(path, "CREATE TABLE Theirs (b Long);\n");
  EXPECT_NE(file->Snapshot()->FindTable("Theirs"), nullptr);
  AddStatement(path, "CREATE TABLE Third (c Long);\n");
  file->Apply(Sql("CREATE TABLE Mine2 (d Long)"));  // checked against, and keeping, theirs
  const std::string text = Slurp(path);
  EXPECT_NE(text.find("[Third]"), std::string::npos);
  EXPECT_NE(text.find("[Mine2]"), std::string::npos);
  EXPECT_EQ(CatchJetError([&] {
              AddStatement(path, "CREATE TABLE Late (e Long);\n");
              file->Apply(Sql("CREATE TABLE late (x Long)"));
            }).number,
            3010);
}

// A file cut exactly after a statement (a full disk, a copy stopped early) reads as a
// valid, smaller database unless its end is marked.
TEST(TextStorageTest, FileCutShortAtAStatementIsRefused) {
  TempFolder folder;
  const std::string path = folder.File("db.sdb");
  DatabaseFile::CreateText(path, "");
  {
    auto file = DatabaseFile::Open(path, "");
    file->Apply(Sql("CREATE TABLE T (a Long)"));
    for (int i = 0; i < 3; ++i)
      file->Apply(Sql("INSERT INTO T VALUES (" + std::to_string(i) + ")"));
  }
  DatabaseFile::ReleaseRetained();
  const std::string whole = Slurp(path);
  const std::string cut = whole.substr(0, whole.rfind("INSERT INTO"));  // the last row is gone
  Spit(path, cut);
  const auto caught = CatchJetError([&] { DatabaseFile::Open(path, ""); });
  EXPECT_EQ(caught.number, 3343);
  EXPECT_EQ(caught.text.rfind("Unrecognized database format '" + path + "'.", 0), 0u);
  EXPECT_NE(caught.text.find("cut short"), std::string::npos);
  // Also when only the end mark itself is cut, or something follows it.
  Spit(path, whole.substr(0, whole.size() - 5));
  EXPECT_EQ(CatchJetError([&] { DatabaseFile::Open(path, ""); }).number, 3343);
  Spit(path, whole + "DROP TABLE T;\n");
  EXPECT_EQ(CatchJetError([&] { DatabaseFile::Open(path, ""); }).number, 3343);
  Spit(path, whole + "\n\n");
  EXPECT_EQ(DatabaseFile::Open(path, "")->Snapshot()->FindTable("T")->rows.size(), 3u);
}

TEST(TextStorageTest, FileOfTheFirstVersionLoadsWithAWarningAndGetsTheMark) {
  TempFolder folder;
  const std::string path = folder.File("old.sdb");
  Spit(path, "-- Skarnvel text database 1\nCREATE TABLE T (a Long);\nINSERT INTO T VALUES (1);\n");
  ::testing::internal::CaptureStderr();
  auto file = DatabaseFile::Open(path, "");
  const std::string warning = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(warning.find(path), std::string::npos);
  EXPECT_NE(warning.find("end mark"), std::string::npos);
  EXPECT_EQ(file->Snapshot()->FindTable("T")->rows.size(), 1u);
  file->Apply(Sql("INSERT INTO T VALUES (2)"));
  EXPECT_TRUE(EndsWithEndMark(Slurp(path)));
  EXPECT_EQ(Slurp(path).rfind(kScriptSignature, 0), 0u);
}

}  // namespace
}  // namespace dbaccess
