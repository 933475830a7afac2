#include "dbaccess/files/database_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "dbaccess/ado/connection.h"
#include "dbaccess/dao/dao.h"
#include "dbaccess/exec/executor_testing.h"
#include "dbaccess/storage/atomic_file.h"
#include "dbaccess/storage/text/text_script.h"

namespace dbaccess {
namespace {

using testing::CatchJetError;
using testing::Caught;
using testing::TempFolder;

Mutation Sql(std::string sql) {
  return [sql](Catalog& c, ChangeList& changes) { ExecuteSql(c, sql, changes); };
}

bool HasTable(const std::shared_ptr<const Catalog>& c, std::string_view name) {
  return c->FindTable(name) != nullptr;
}

class DatabaseFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = folder_.File("db.sdb");
    DatabaseFile::CreateText(path_, "pw");
    file_ = DatabaseFile::Open(path_, "pw");
    file_->Apply(Sql("CREATE TABLE Base (id Long PRIMARY KEY)"));
  }
  TempFolder folder_;
  std::string path_;
  std::shared_ptr<DatabaseFile> file_;
};

TEST_F(DatabaseFileTest, OnePerFileInTheProcess) {
  const auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(folder_.path());
  auto relative = DatabaseFile::Open("./sub/../db.sdb", "pw");
  std::filesystem::current_path(cwd);
  EXPECT_EQ(relative, file_);
  std::filesystem::create_symlink(path_, folder_.File("link.sdb"));
  EXPECT_EQ(DatabaseFile::Open(folder_.File("link.sdb"), "pw"), file_);
  EXPECT_EQ(file_->path(), std::filesystem::canonical(path_).string());
  // The password is checked on every open, also when the file is open already.
  EXPECT_EQ(CatchJetError([&] { DatabaseFile::Open(path_, "PW"); }).number, 3031);

  // A change through one is seen through all at once.
  relative->Apply(Sql("CREATE TABLE Seen (a Long)"));
  EXPECT_TRUE(HasTable(file_->Snapshot(), "Seen"));

  // Once all are released, the next open reads the file anew.
  DatabaseFile* const old = file_.get();
  relative.reset();
  file_.reset();
  auto fresh = DatabaseFile::Open(path_, "pw");
  EXPECT_TRUE(HasTable(fresh->Snapshot(), "Seen"));
  (void)old;
}

TEST_F(DatabaseFileTest, TransactionSeesItsWorkAtOnceOthersAfterCommit) {
  Transaction tx(file_);
  tx.Apply(Sql("CREATE TABLE Draft (a Long)"));
  tx.Apply(Sql("INSERT INTO Draft VALUES (1)"));
  tx.Apply(Sql("ALTER TABLE Draft ADD b Text(5)"));  // DDL inside a transaction
  EXPECT_TRUE(HasTable(tx.Snapshot(), "Draft"));
  EXPECT_EQ(tx.Snapshot()->FindTable("Draft")->rows.size(), 1u);
  EXPECT_FALSE(HasTable(file_->Snapshot(), "Draft"));
  EXPECT_EQ(ReadWholeFile(path_).find("Draft"), std::string::npos);

  // Another connection commits meanwhile: the transaction sees that too.
  file_->Apply(Sql("CREATE TABLE Other (x Long)"));
  EXPECT_TRUE(HasTable(tx.Snapshot(), "Other"));
  EXPECT_TRUE(HasTable(tx.Snapshot(), "Draft"));

  // A failed statement inside the transaction changes nothing of it.
  EXPECT_EQ(CatchJetError([&] { tx.Apply(Sql("CREATE TABLE Draft (z Long)")); }).number, 3010);
  tx.Commit();
  const auto committed = file_->Snapshot();
  EXPECT_TRUE(HasTable(committed, "Draft"));
  EXPECT_EQ(committed->FindTable("Draft")->columns.size(), 2u);
  EXPECT_NE(ReadWholeFile(path_).find("INSERT INTO [Draft]"), std::string::npos);
  file_.reset();
  EXPECT_TRUE(HasTable(DatabaseFile::Open(path_, "pw")->Snapshot(), "Draft"));
}

TEST_F(DatabaseFileTest, RollbackAndDestructionDiscard) {
  const std::string before = ReadWholeFile(path_);
  {
    Transaction tx(file_);
    tx.Apply(Sql("DROP TABLE Base"));
    EXPECT_FALSE(HasTable(tx.Snapshot(), "Base"));
    tx.Rollback();
    EXPECT_TRUE(HasTable(tx.Snapshot(), "Base"));
    tx.Apply(Sql("CREATE TABLE Gone (a Long)"));
  }
  EXPECT_FALSE(HasTable(file_->Snapshot(), "Gone"));
  EXPECT_EQ(ReadWholeFile(path_), before);
}

TEST_F(DatabaseFileTest, CommitIsAllOrNothing) {
  Transaction tx(file_);
  tx.Apply(Sql("CREATE TABLE A (x Long)"));
  tx.Apply(Sql("CREATE TABLE B (x Long)"));
  // Another connection takes the name B first: replaying the transaction fails at B, and
  // A must not be stored either.
  file_->Apply(Sql("CREATE TABLE b (y Text(5))"));
  const std::string before = ReadWholeFile(path_);
  EXPECT_EQ(CatchJetError([&] { tx.Commit(); }).number, 3010);
  EXPECT_FALSE(HasTable(file_->Snapshot(), "A"));
  EXPECT_EQ(ReadWholeFile(path_), before);
  // The transaction is over all the same.
  EXPECT_FALSE(HasTable(tx.Snapshot(), "A"));
  tx.Commit();  // nothing left to commit

  // A failing write at commit stores nothing either.
  Transaction second(file_);
  second.Apply(Sql("CREATE TABLE C (x Long)"));
  SetWriteFaultHookForTesting([](WriteStep s) { return s == WriteStep::kRename ? EIO : 0; });
  EXPECT_EQ(CatchJetError([&] { second.Commit(); }).number, 3043);
  SetWriteFaultHookForTesting(nullptr);
  EXPECT_FALSE(HasTable(file_->Snapshot(), "C"));
  EXPECT_EQ(ReadWholeFile(path_), before);
}

TEST_F(DatabaseFileTest, ApplyAllStoresSeveralMutationsAsOneChange) {
  file_->ApplyAll({Sql("CREATE TABLE P (id Long PRIMARY KEY)"),
                   Sql("CREATE TABLE F (p Long REFERENCES P)"),
                   [](Catalog& c, ChangeList& changes) {
                     CreateQueryDef(c, "Q", "SELECT * FROM F", changes);
                   }});
  EXPECT_EQ(file_->Snapshot()->relationships().size(), 1u);
  EXPECT_EQ(CatchJetError([&] {
              file_->ApplyAll({Sql("CREATE TABLE G (x Long)"), Sql("DROP TABLE P")});
            }).number,
            3281);
  EXPECT_FALSE(HasTable(file_->Snapshot(), "G"));
}

// Files kept in memory after their last user let go.
class RetainedFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DatabaseFile::ReleaseRetained();
    path_ = folder_.File("db.sdb");
    Make(path_, "pw", "CREATE TABLE Base (id Long PRIMARY KEY)");
  }
  void TearDown() override { DatabaseFile::ReleaseRetained(); }

  // A database at `path` holding what `sql` makes; nothing of it stays in use.
  static void Make(const std::string& path, const std::string& password, const std::string& sql) {
    DatabaseFile::CreateText(path, password);
    DatabaseFile::Open(path, password)->Apply(Sql(sql));
  }

  // Another program: writes the file in place, or puts another file in its place.
  static void WriteInPlace(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
  }
  void ReplaceByRename(const std::string& path, const std::string& content) {
    const std::string other = folder_.File("other.tmp");
    WriteInPlace(other, content);
    std::filesystem::rename(other, path);
  }

  std::string Canonical() const { return std::filesystem::canonical(path_).string(); }

  TempFolder folder_;
  std::string path_;
};

TEST_F(RetainedFileTest, AnUnchangedFileIsNotReadAgainAndFewAreKept) {
  auto file = DatabaseFile::Open(path_, "pw");
  const std::shared_ptr<const Catalog> read = file->Snapshot();
  EXPECT_TRUE(DatabaseFile::RetainedPaths().empty());  // in use
  file.reset();
  EXPECT_EQ(DatabaseFile::RetainedPaths(), std::vector<std::string>{Canonical()});

  // Opened again through another spelling of its path: the same catalog, not read again.
  file = DatabaseFile::Open(folder_.path() + "/./db.sdb", "pw");
  EXPECT_EQ(file->Snapshot(), read);
  EXPECT_TRUE(DatabaseFile::RetainedPaths().empty());
  file->Apply(Sql("CREATE TABLE Mine (a Long)"));  // its own change keeps it current
  const std::shared_ptr<const Catalog> changed = file->Snapshot();
  file.reset();
  EXPECT_EQ(DatabaseFile::Open(path_, "pw")->Snapshot(), changed);

  // Only the most recently released files stay, the newest first.
  std::vector<std::string> others;
  for (const char* name : {"a.sdb", "b.sdb", "c.sdb"}) {
    others.push_back(folder_.File(name));
    Make(others.back(), "", "CREATE TABLE T (a Long)");
  }
  ASSERT_EQ(DatabaseFile::kRetainedFiles, 2u);
  EXPECT_EQ(DatabaseFile::RetainedPaths(),
            (std::vector<std::string>{std::filesystem::canonical(others[2]).string(),
                                      std::filesystem::canonical(others[1]).string()}));
  auto reread = DatabaseFile::Open(path_, "pw");  // let go of: read again, the same database
  EXPECT_NE(reread->Snapshot(), changed);
  EXPECT_TRUE(*reread->Snapshot() == *changed);
  reread.reset();
  DatabaseFile::ReleaseRetained();
  EXPECT_TRUE(DatabaseFile::RetainedPaths().empty());
}

TEST_F(RetainedFileTest, ChangesByOtherProgramsAreReadOnTheNextOpen) {
  DatabaseFile::Open(path_, "pw")->Snapshot();
  const std::string text = ReadWholeFile(path_);

  // The same number of bytes written in place, and the old modification time put back.
  struct stat before {};
  ASSERT_EQ(stat(path_.c_str(), &before), 0);
  std::string renamed = text;
  for (size_t at; (at = renamed.find("[Base]")) != std::string::npos;) {
    renamed.replace(at, 6, "[Bass]");
  }
  WriteInPlace(path_, renamed);
  const timespec times[2] = {before.st_atim, before.st_mtim};
  ASSERT_EQ(utimensat(AT_FDCWD, path_.c_str(), times, 0), 0);
  auto file = DatabaseFile::Open(path_, "pw");
  EXPECT_TRUE(HasTable(file->Snapshot(), "Bass"));
  EXPECT_FALSE(HasTable(file->Snapshot(), "Base"));
  file.reset();

  // Replaced by another file through a rename.
  std::string theirs = text;
  theirs.insert(theirs.rfind(kScriptEndMark), "CREATE TABLE Theirs (b Long);\n");
  ReplaceByRename(path_, theirs);
  file = DatabaseFile::Open(path_, "pw");
  EXPECT_TRUE(HasTable(file->Snapshot(), "Base"));
  EXPECT_TRUE(HasTable(file->Snapshot(), "Theirs"));
  file.reset();

  // Replaced by something that is no database, then by a database again.
  ReplaceByRename(path_, "not a database\n");
  EXPECT_EQ(CatchJetError([&] { DatabaseFile::Open(path_, "pw"); }).number, 3343);
  ReplaceByRename(path_, text);
  EXPECT_FALSE(HasTable(DatabaseFile::Open(path_, "pw")->Snapshot(), "Theirs"));

  // Deleted: no open finds it, and a user still holding it is told so at its next look.
  file = DatabaseFile::Open(path_, "pw");
  std::filesystem::remove(path_);
  const Caught gone = CatchJetError([&] { DatabaseFile::Open(path_, "pw"); });
  EXPECT_EQ(gone.number, 3024);
  EXPECT_NE(gone.text.find("db.sdb"), std::string::npos);
  EXPECT_EQ(CatchJetError([&] { file->Snapshot(); }).number, 3024);
  file.reset();
  EXPECT_EQ(CatchJetError([&] { DatabaseFile::Open(path_, "pw"); }).number, 3024);

  // Created anew at the same path: the new database, with its own password.
  Make(path_, "", "CREATE TABLE Fresh (c Long)");
  file = DatabaseFile::Open(path_, "");
  EXPECT_TRUE(HasTable(file->Snapshot(), "Fresh"));
  EXPECT_FALSE(HasTable(file->Snapshot(), "Base"));
}

TEST_F(RetainedFileTest, ThePasswordIsCheckedOnEveryOpen) {
  const std::shared_ptr<const Catalog> read = DatabaseFile::Open(path_, "pw")->Snapshot();
  for (const char* wrong : {"PW", "", "pw "}) {
    const Caught caught = CatchJetError([&] { DatabaseFile::Open(path_, wrong); });
    EXPECT_EQ(caught.number, 3031) << wrong;
    EXPECT_EQ(caught.text, "Not a valid password.") << wrong;
  }
  // A wrong password leaves the retained file as it was.
  auto file = DatabaseFile::Open(path_, "pw");
  EXPECT_EQ(file->Snapshot(), read);
  EXPECT_EQ(CatchJetError([&] { DatabaseFile::Open(path_, "wrong"); }).number, 3031);  // in use
  file.reset();

  // Another program puts a database with another password in its place: the password
  // accepted before no longer opens it, also once a user of the file has read it again.
  file = DatabaseFile::Open(path_, "pw");
  const std::string other = folder_.File("other.sdb");
  Make(other, "new", "CREATE TABLE Other (a Long)");
  std::filesystem::rename(other, path_);
  CatchJetError([&] { file->Snapshot(); });
  EXPECT_EQ(CatchJetError([&] { DatabaseFile::Open(path_, "pw"); }).number, 3031);
  file.reset();
  EXPECT_EQ(CatchJetError([&] { DatabaseFile::Open(path_, "pw"); }).number, 3031);
  file = DatabaseFile::Open(path_, "new");
  EXPECT_TRUE(HasTable(file->Snapshot(), "Other"));
  file->Apply(Sql("CREATE TABLE Later (a Long)"));  // stored with the new password
  file.reset();
  EXPECT_EQ(CatchJetError([&] { DatabaseFile::Open(path_, "pw"); }).number, 3031);
  DatabaseFile::ReleaseRetained();
  EXPECT_TRUE(HasTable(DatabaseFile::Open(path_, "new")->Snapshot(), "Later"));
}

// The names the process's open file descriptors point to.
std::vector<std::string> OpenFileNames() {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    std::error_code ec;
    const std::filesystem::path target = std::filesystem::read_symlink(entry.path(), ec);
    if (!ec) names.push_back(target.string());
  }
  return names;
}

TEST_F(RetainedFileTest, NothingIsHeldOpenOnDisk) {
  const std::string canonical = Canonical();
  const auto holds_it = [&] {
    for (const std::string& name : OpenFileNames()) {
      if (name.find(canonical) == 0) return true;
    }
    return false;
  };
  auto file = DatabaseFile::Open(path_, "pw");
  file->Apply(Sql("CREATE TABLE Mine (a Long)"));
  EXPECT_FALSE(holds_it());  // in use
  file.reset();
  EXPECT_FALSE(holds_it());  // retained
  ASSERT_FALSE(DatabaseFile::RetainedPaths().empty());
  // Others may move it away and back.
  const std::string moved = folder_.File("moved.sdb");
  std::filesystem::rename(path_, moved);
  std::filesystem::rename(moved, path_);
  EXPECT_TRUE(HasTable(DatabaseFile::Open(path_, "pw")->Snapshot(), "Mine"));
}

TEST_F(RetainedFileTest, AdoAndDaoSeeEachOthersChangesAcrossReopens) {
  using ado::Connection;
  using ado::ConnectionText;
  const auto dao_open = [&] {
    return dao::CreateOleObject(dao::kDbEngineClass)
        ->Workspaces(0)
        .OpenDatabase(path_, false, false, ";PWD=pw");
  };
  const auto columns_of = [](Connection& c, const std::string& table) {
    ado::Recordset rs =
        c.OpenSchema(ado::adSchemaColumns, {Variant(), Variant(), Variant::Text(table), Variant()});
    return rs.RecordCount();
  };

  {
    Connection c;
    c.Open(ConnectionText(path_, "pw"));
    c.BeginTrans();
    c.Execute("CREATE TABLE Draft (a Long, b Text(5))");
    auto db = dao_open();
    EXPECT_EQ(CatchJetError([&] { db->TableDefs("Draft"); }).number, 3265);
    c.CommitTrans();
    EXPECT_FALSE(db->TableDefs("Draft").Fields("b").Required());
    db->TableDefs("Draft").Fields("b").SetRequired(true);
    // A transaction left open when the connection closes is rolled back.
    c.BeginTrans();
    c.Execute("ALTER TABLE Draft ADD COLUMN c Long");
    EXPECT_EQ(columns_of(c, "Draft"), 3);
  }
  ASSERT_FALSE(DatabaseFile::RetainedPaths().empty());

  // Opened again from memory: the committed work and DAO's change, not the rolled back one.
  Connection c;
  c.Open(ConnectionText(path_, "pw"));
  EXPECT_EQ(columns_of(c, "Draft"), 2);
  ado::Recordset b = c.OpenSchema(
      ado::adSchemaColumns, {Variant(), Variant(), Variant::Text("Draft"), Variant::Text("b")});
  ASSERT_EQ(b.RecordCount(), 1);
  EXPECT_FALSE(b.Field("IS_NULLABLE").AsBoolean());
  c.Execute("CREATE TABLE AfterReopen (x Long)");
  c.Close();
  EXPECT_NE(dao_open()->TableDefs("AfterReopen").Name(), "");
  // And what was stored is what a fresh read finds.
  DatabaseFile::ReleaseRetained();
  auto fresh = dao_open();
  EXPECT_TRUE(fresh->TableDefs("Draft").Fields("b").Required());
  EXPECT_EQ(fresh->TableDefs("AfterReopen").Name(), "AfterReopen");
}

}  // namespace
}  // namespace dbaccess
