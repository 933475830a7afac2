#include "dbaccess/ado/dry_run.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "dbaccess/base/temp_folder_testing.h"
#include "dbaccess/catalog/catalog.h"
#include "dbaccess/files/database_file.h"

namespace dbaccess::ado {
namespace {

std::string Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

class DryRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DatabaseFile::CreateJet(path_, "");
    Connection c;
    c.Open(DatabaseLocation{path_, ""});
    for (const char* sql : {"CREATE TABLE [A] ([ID] LONG, [X] TEXT(10))",
                            "CREATE TABLE [B] ([ID] LONG)", "INSERT INTO [A] VALUES (1, 'one')",
                            "INSERT INTO [A] VALUES (1, 'two')", "INSERT INTO [B] VALUES (7)"}) {
      c.Execute(sql);
    }
    c.Close();
    DatabaseFile::ReleaseRetained();  // the next opening reads the file's structure only
  }
  void TearDown() override { DatabaseFile::ReleaseRetained(); }

  testing::TempFolder folder_;
  const std::string path_ = folder_.File("work.mdb");
};

TEST_F(DryRunTest, ChangesAreTriedInMemoryReadingOnlyTheTablesTheyTouch) {
  const std::string before = Bytes(path_);
  {
    DryRun dry(DatabaseLocation{path_, ""});
    // A refusal keeps its text, changes nothing, and the next try goes on from there.
    TriedChange key = dry.TryStatement("CREATE UNIQUE INDEX [U] ON [A] ([ID])");
    ASSERT_EQ(key.effects.size(), 1u);
    EXPECT_EQ(key.effects[0].kind, DataEffect::Kind::kDuplicates);
    ASSERT_TRUE(key.error.has_value());
    TriedChange rename = dry.TryRenameField("A", "X", "Y");
    EXPECT_FALSE(rename.error.has_value());
    TriedChange drop = dry.TryStatement("ALTER TABLE [A] DROP COLUMN [Y]");
    EXPECT_FALSE(drop.error.has_value());
    ASSERT_EQ(drop.effects.size(), 1u);
    EXPECT_EQ(drop.effects[0].count, 2);
    // Y is gone from what is tried, not from the file.
    EXPECT_TRUE(dry.TryStatement("ALTER TABLE [A] DROP COLUMN [Y]").error.has_value());
    EXPECT_TRUE(dry.TrySetRequired("A", "ID", true).effects.empty());

    const std::shared_ptr<const Catalog> committed = DatabaseFile::Open(path_, "")->Snapshot();
    EXPECT_TRUE(committed->FindTable("A")->rows.loaded());
    EXPECT_FALSE(committed->FindTable("B")->rows.loaded());
    EXPECT_NE(committed->FindTable("A")->FindColumn("X"), nullptr);
  }
  EXPECT_EQ(Bytes(path_), before);
}

TEST_F(DryRunTest, RelationshipsInTheWayAreDroppedAsARunDropsThem) {
  {
    Connection c;
    c.Open(DatabaseLocation{path_, ""});
    c.Execute("CREATE TABLE [P] ([ID] LONG CONSTRAINT [PK_P] PRIMARY KEY, [Z] LONG)");
    c.Execute("CREATE TABLE [C] ([PID] LONG, [Q] LONG)");
    c.Execute("ALTER TABLE [C] ADD CONSTRAINT [FK_C] FOREIGN KEY ([PID]) REFERENCES [P] ([ID])");
  }
  DryRun dry(DatabaseLocation{path_, ""});
  EXPECT_TRUE(dry.TryStatement("ALTER TABLE [P] DROP COLUMN [ID]").error.has_value());
  EXPECT_TRUE(dry.DropRelationshipsOf("P", "Z").empty());  // Z is in none
  EXPECT_EQ(dry.DropRelationshipsOf("C", "pid"), std::vector<std::string>{"FK_C"});
  EXPECT_TRUE(dry.DropRelationshipsOf("P", std::nullopt).empty());
}

}  // namespace
}  // namespace dbaccess::ado
