#include "dbaccess/storage/mdb/table_description.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>

#include "dbaccess/base/jet_error.h"
#include "dbaccess/base/testdata_testing.h"
#include "dbaccess/storage/mdb/database_reader.h"
#include "dbaccess/storage/mdb/mdb_testing.h"
#include "dbaccess/storage/mdb/table_definition_pages.h"
#include "dbaccess/storage/mdb/table_writing_testing.h"

namespace dbaccess::mdb {
namespace {

using testing::ReadBytes;
using testing::TestFile;

// `defined` placed where Access placed the stored table, with what its rows and, with
// `stale`, its earlier states left in it (CopyLeftBytes).
std::vector<uint8_t> PlacedLikeAccess(DefinedTable defined, const TableDefinition& stored,
                                      const TableDefinitionExtras& stored_extras, bool stale) {
  testing::CopyLeftBytes(defined, stored, stored_extras, stale);
  TableDefinition& def = defined.definition;
  TableDefinitionExtras& extras = defined.extras;
  def.page = stored.page;
  def.owned_pages = stored.owned_pages;
  def.free_pages = stored.free_pages;
  extras.column_usage_maps = stored_extras.column_usage_maps;
  for (size_t i = 0; i < def.real_indexes.size() && i < stored.real_indexes.size(); ++i) {
    def.real_indexes[i].first_page = stored.real_indexes[i].first_page;
    def.real_indexes[i].usage_map = stored.real_indexes[i].usage_map;
    extras.real_indexes[i].usage_map = stored_extras.real_indexes[i].usage_map;
  }
  return EncodeTableDefinition(def, extras, kJet4Layout);
}

// Where `ours` first differs from Access's definition (its page fields aside), or "".
std::string Difference(const std::vector<uint8_t>& ours, std::vector<uint8_t> theirs) {
  std::fill(theirs.begin() + 2, theirs.begin() + kTableDefinitionPageHeader, 0);
  if (ours == theirs) return "";
  size_t at = 0;
  while (at < ours.size() && at < theirs.size() && ours[at] == theirs[at]) ++at;
  return "differs at byte " + std::to_string(at) + " of " + std::to_string(theirs.size());
}

// Access's own tables are the oracle: a table described as it was made, and placed where
// Access placed it, has Access's definition byte for byte. Tables that went through other
// states first keep bytes of those (see PlacedLikeAccess); those bytes aside, every table
// agrees, and the tables Access made clean agree as they are, a definition over two pages
// among them.
TEST(TableDescriptionFileTest, DescribedAccessTablesGetAccessDefinitions) {
  SKIP_WITHOUT_TEST_DATA();
  const std::set<std::string> clean = {"compIndexTestV2000.mdb Table1",
                                       "fixedNumericTestV2000.mdb test", "noRoman.mdb t_noroman",
                                       "testV2000.mdb Table2"};
  std::vector<std::string> differences;
  std::set<std::string> agree_as_made;
  size_t compared = 0;
  for (const auto& entry : std::filesystem::directory_iterator(TestFile(""))) {
    if (entry.path().extension() != ".mdb") continue;
    const std::string file_name = entry.path().filename().string();
    if (file_name.find("_with-password") != std::string::npos ||
        file_name == "password_ucanaccess.mdb")
      continue;
    const PageFile file(MemorySource(ReadBytes(entry.path().string())));
    if (file.header().version != JetVersion::kJet4) continue;
    const StoredDatabase db = ReadDatabase(file, ReadOptions{.user_table_rows = false});
    for (const StoredTable& table : db.tables) {
      if (table.linked || table.object.system() || table.object.access_system()) continue;
      const std::optional<TableDescription> description =
          testing::DescriptionOf(table.definition, table.object.name, false);
      if (!description) continue;
      const std::string where = file_name + " " + table.object.name;
      const StoredTableDefinition stored = ReadStoredTableDefinition(file, table.definition.page);
      const TableDefinitionExtras extras =
          DecodeTableDefinitionExtras(ByteView(stored.bytes), kJet4Layout);
      const DefinedTable defined = DefineTable(*description, file.header());
      ++compared;
      if (Difference(PlacedLikeAccess(defined, table.definition, extras, false), stored.bytes)
              .empty()) {
        agree_as_made.insert(where);
      }
      const std::string difference =
          Difference(PlacedLikeAccess(defined, table.definition, extras, true), stored.bytes);
      if (!difference.empty()) differences.push_back(where + " " + difference);
    }
  }
  EXPECT_GE(compared, 15u);
  std::string listed;
  for (const std::string& d : differences) listed += d + "\n";
  EXPECT_TRUE(differences.empty()) << listed;
  for (const std::string& table : clean) EXPECT_TRUE(agree_as_made.count(table)) << table;
}

}  // namespace
}  // namespace dbaccess::mdb
