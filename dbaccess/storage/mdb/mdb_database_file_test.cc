// A real .mdb file through the engine layer: opened by content, read by every connection
// that shares it, changed through it, and left byte for byte as it was by the changes it
// refuses.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "dbaccess/base/jet_error.h"
#include "dbaccess/base/testdata_testing.h"
#include "dbaccess/exec/executor.h"
#include "dbaccess/files/database_file.h"
#include "dbaccess/storage/mdb/mdb_commit_testing.h"
#include "dbaccess/storage/mdb/mdb_storage.h"
#include "dbaccess/storage/mdb/mdb_testing.h"

namespace dbaccess::mdb {
namespace {

namespace fs = std::filesystem;

class MdbDatabaseFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SKIP_WITHOUT_TEST_DATA();
    folder_ = fs::temp_directory_path() / ("skarnvel-mdb-file-" + std::to_string(::getpid()));
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  std::string Copy(const std::string& name) {
    const fs::path path = folder_ / name;
    fs::copy_file(testing::TestFile(name), path, fs::copy_options::overwrite_existing);
    return path.string();
  }

  void ExpectEveryChangeRefused(const std::string& name,
                                const std::function<std::string(const std::string&)>& refusal);

  fs::path folder_;
};

TEST_F(MdbDatabaseFileTest, OpensRealFilesByTheirContentWithTheirPassword) {
  SKIP_WITHOUT_TEST_DATA();
  const std::string renamed = (folder_ / "database.sdb").string();
  fs::copy_file(testing::TestFile("V2000_with-password.mdb"), renamed);
  auto file = DatabaseFile::Open(renamed, "password");
  EXPECT_NE(file->Snapshot()->FindTable("Table1"), nullptr);
  try {
    DatabaseFile::Open(renamed, "");
    FAIL() << "joined without the password";
  } catch (const JetError& e) {
    EXPECT_EQ(e.number(), 3031);
  }
}

// Each kind of change of the copy of test file `name` fails with `refusal` (given the
// copy's path), and the file stays as it was.
void MdbDatabaseFileTest::ExpectEveryChangeRefused(
    const std::string& name, const std::function<std::string(const std::string&)>& refusal) {
  const std::string path = Copy(name);
  const std::vector<uint8_t> before = testing::ReadBytes(path);
  auto file = DatabaseFile::Open(path, "");
  const std::shared_ptr<const Catalog> original = file->Snapshot();
  const std::vector<std::pair<std::string, Mutation>> changes = {
      {"DDL", [](Catalog& c,
                 ChangeList& ch) { ExecuteSql(c, "ALTER TABLE Table1 ADD COLUMN x Long", ch); }},
      {"CreateQueryDef",
       [](Catalog& c, ChangeList& ch) { CreateQueryDef(c, "New", "SELECT * FROM Table1;", ch); }},
      {"QueryDefs.Delete",
       [](Catalog& c, ChangeList& ch) { DeleteQueryDef(c, "SelectQuery", ch); }},
      {"Required",
       [](Catalog& c, ChangeList& ch) { SetColumnRequired(c, "Table1", "col1", true, ch); }},
      {"Name", [](Catalog& c, ChangeList& ch) { RenameColumn(c, "Table1", "col1", "c1", ch); }},
  };
  for (const auto& [what, mutation] : changes) {
    SCOPED_TRACE(what);
    try {
      file->Apply(mutation);
      ADD_FAILURE() << "the change was accepted";
    } catch (const JetError& e) {
      EXPECT_EQ(std::string(e.what()), refusal(path));
    }
    EXPECT_EQ(*file->Snapshot(), *original);
  }
  // A transaction's work is refused as one at commit.
  Transaction transaction(file);
  transaction.Apply(changes[0].second);
  EXPECT_NE(transaction.Snapshot()->FindTable("Table1")->FindColumn("x"), nullptr);
  EXPECT_THROW(transaction.Commit(), JetError);
  EXPECT_EQ(*file->Snapshot(), *original);
  EXPECT_EQ(testing::ReadBytes(path), before);
}

// Through the files every connection shares, under the write lock and the page journal:
// DDL, DAO's column changes and saved queries reach the file at once, as one transaction
// commits as one.
TEST_F(MdbDatabaseFileTest, ChangesReachTheFileAsTheyAreCommitted) {
  const std::string path = Copy("queryTestV2000.mdb");
  fs::permissions(path, fs::perms::owner_write, fs::perm_options::add);
  auto file = DatabaseFile::Open(path, "");
  file->Apply([](Catalog& c, ChangeList& ch) {
    ExecuteSql(c, "ALTER TABLE Table1 ADD COLUMN x Long", ch);
  });
  file->Apply([](Catalog& c, ChangeList& ch) { SetColumnRequired(c, "Table1", "col1", true, ch); });
  file->Apply([](Catalog& c, ChangeList& ch) { RenameColumn(c, "Table1", "col1", "c1", ch); });
  {
    Transaction transaction(file);
    transaction.Apply(
        [](Catalog& c, ChangeList& ch) { ExecuteSql(c, "CREATE TABLE T (a Long)", ch); });
    transaction.Apply(
        [](Catalog& c, ChangeList& ch) { ExecuteSql(c, "INSERT INTO T VALUES (5)", ch); });
    transaction.Commit();
  }
  const Catalog read = OpenMdbStorage(path, "")->Load();
  EXPECT_EQ(read.FindTable("T")->rows, std::vector<Row>{Row{Cell{int64_t{5}}}});
  const Column* renamed = read.FindTable("Table1")->FindColumn("c1");
  ASSERT_NE(renamed, nullptr);
  EXPECT_TRUE(renamed->required);
  EXPECT_NE(read.FindTable("Table1")->FindColumn("x"), nullptr);

  // A saved query reads back as DAO shows it, in the snapshot as in the file.
  file->Apply([](Catalog& c, ChangeList& ch) {
    CreateQueryDef(c, "New", "SELECT * FROM Table1;", ch);
    DeleteQueryDef(c, "SelectQuery", ch);
  });
  const Catalog reread = OpenMdbStorage(path, "")->Load();
  ASSERT_NE(reread.FindQuery("New"), nullptr);
  EXPECT_EQ(reread.FindQuery("New")->sql, "SELECT *\r\nFROM Table1;");
  EXPECT_EQ(reread.FindQuery("SelectQuery"), nullptr);
  EXPECT_EQ(testing::Normalized(*file->Snapshot()), testing::Normalized(reread));
}

// Access 97 files are only ever read, and say so.
TEST_F(MdbDatabaseFileTest, EveryChangeOfAnAccess97FileFailsSayingItIsReadOnly) {
  ExpectEveryChangeRefused("queryTestV1997.mdb", [](const std::string& path) {
    return "'" + path +
           "' is an Access 97 (Jet 3) database, which can be read here but not changed; it was "
           "not changed.  Convert it to the Access 2000 format in Access to change it.";
  });
}

TEST_F(MdbDatabaseFileTest, ReadsTheFileAgainWhenAnotherProgramReplacesIt) {
  SKIP_WITHOUT_TEST_DATA();
  const std::string path = (folder_ / "swap.mdb").string();
  fs::copy_file(testing::TestFile("V2000_no-password.mdb"), path);
  auto file = DatabaseFile::Open(path, "");
  EXPECT_EQ(file->Snapshot()->FindTable("Table1")->rows.size(), 3u);
  fs::copy_file(testing::TestFile("db-enc.mdb"), path, fs::copy_options::overwrite_existing);
  EXPECT_EQ(file->Snapshot()->FindTable("Table1")->rows.size(), 2u);
}

}  // namespace
}  // namespace dbaccess::mdb
