// A real .mdb file through the engine layer: opened by content, read by every connection
// that shares it, and never changed: each kind of change fails with a clear error and
// leaves the file byte for byte as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "dbaccess/base/jet_error.h"
#include "dbaccess/base/testdata_testing.h"
#include "dbaccess/exec/executor.h"
#include "dbaccess/files/database_file.h"
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

TEST_F(MdbDatabaseFileTest, EveryChangeFailsAndTheFileStaysAsItWas) {
  const std::string path = Copy("queryTestV2000.mdb");
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
      EXPECT_EQ(std::string(e.what()), "Changing a Jet database file is not supported yet; '" +
                                           path + "' was not changed.");
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
