#include "dbaccess/catalog/catalog_names.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "dbaccess/base/jet_error.h"
#include "dbaccess/base/shown_text.h"
#include "dbaccess/exec/executor_testing.h"
#include "dbaccess/storage/text/text_storage.h"

namespace dbaccess {
namespace {

using ::testing::HasSubstr;

// Hostile text databases, each written as its script: names Jet never allows (the text
// storage's own statements refuse them) and texts the action lists cannot keep.
TEST(CatalogNamesTest, TextDatabasesWithHostileTextsAreRefusedNamingTheObject) {
  testing::TempFolder folder;
  const std::pair<std::string, std::string> cases[] = {
      {"CREATE TABLE [T] ([A] Long DEFAULT VERBATIM '\"a' & Chr(0) & '\"');",
       "the default value of field 'A' of table 'T'"},
      {"CREATE TABLE [T] ([A] Long DEFAULT VERBATIM '\"a\xff\"');",
       "the default value of field 'A' of table 'T'"},
      {"CREATE QUERYDEF [Q] AS 'SELECT ' & Chr(0);", "the text of saved query 'Q'"},
      {"CREATE QUERYDEF [Q\xc3] AS 'SELECT 1';", "saved query 'Q\\xC3'"},
      {"CREATE TABLE [T\xe2\x82] ([A] Long);", "table 'T\\xE2\\x82'"},
  };
  for (const auto& [script, object] : cases) {
    const std::string path = folder.File("hostile.skdb");
    std::remove(path.c_str());
    {
      FILE* f = std::fopen(path.c_str(), "wb");
      const std::string text = "-- Skarnvel text database 1\n" + script + "\n";
      std::fwrite(text.data(), 1, text.size(), f);
      std::fclose(f);
    }
    const auto caught = testing::CatchJetError([&] { TextStorage::Open(path, "")->Load(); });
    EXPECT_TRUE(caught.thrown) << script;
    EXPECT_EQ(caught.number, 3125) << caught.text;
    EXPECT_THAT(caught.text, HasSubstr(object));
    EXPECT_THAT(caught.text, HasSubstr("hostile.skdb"));
  }
}

TEST(CatalogNamesTest, EveryKindOfObjectIsChecked) {
  const auto refused = [](const Catalog& catalog) {
    return testing::CatchJetError([&] { CheckCatalogNames(catalog, "x.mdb"); }).text;
  };
  Catalog catalog;
  Table table;
  table.name = "T";
  table.columns.push_back(Column{});
  table.columns[0].name = "A";
  Index index;
  index.name = "I";
  index.columns.push_back({"A", false});
  table.indexes.push_back(index);
  catalog.AddTable(table);
  EXPECT_EQ(refused(catalog), "");

  Catalog bad_index = catalog;
  bad_index.FindTable("T")->indexes[0].name = "I]x";
  EXPECT_THAT(refused(bad_index), HasSubstr("index 'I]x' of table 'T'"));
  Catalog bad_column = catalog;
  bad_column.FindTable("T")->columns[0].name = std::string(65, 'a');
  EXPECT_THAT(refused(bad_column), HasSubstr("field 'aaaa"));
  Catalog bad_relationship = catalog;
  Relationship r;
  r.name = "R\x1b[2J";
  r.primary_table = "T";
  r.foreign_table = "T";
  r.primary_columns = {"A"};
  r.foreign_columns = {"A"};
  bad_relationship.relationships().push_back(r);
  EXPECT_THAT(refused(bad_relationship), HasSubstr("relationship 'R\\x1B[2J'"));
  EXPECT_EQ(ShownText("a\tb\x7f"
                      "c"),
            "a\\x09b\\x7Fc");
}

}  // namespace
}  // namespace dbaccess
