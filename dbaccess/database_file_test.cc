#include "dbaccess/database_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "dbaccess/atomic_file.h"
#include "dbaccess/test_util.h"

namespace dbaccess {
namespace {

using testing::CatchJetError;
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

}  // namespace
}  // namespace dbaccess
