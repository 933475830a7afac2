#include "dbaccess/storage/mdb/table_description.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>

#include "dbaccess/base/jet_error.h"
#include "dbaccess/base/testdata_testing.h"
#include "dbaccess/storage/mdb/database_reader.h"
#include "dbaccess/storage/mdb/index_key.h"
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

Header GeneralHeader() {
  Header header;
  header.sort_order = kGeneralSortOrder;
  return header;
}

// The layout rules on a table no test file has: Yes/No columns take no fixed room, variable
// columns (memos among them) are numbered in column order, every fixed column carries the
// count of variable ones before it; indexes of the same columns and flags share their real
// index, the logical ones are stored by name and keep their numbers.
TEST(TableDescriptionTest, LaysOutColumnsAndIndexesAsAccessDoes) {
  const TableDescription table = testing::EveryTypeTable("Layout");
  TableDescription shared = table;
  shared.indexes.push_back({"AlsoByMeasure", {{"Measure", false}}});
  const DefinedTable defined = DefineTable(shared, GeneralHeader());
  const TableDefinition& def = defined.definition;
  ASSERT_EQ(def.columns.size(), 15u);
  std::vector<uint16_t> fixed_offsets, variable_indexes;
  for (const ColumnDefinition& c : def.columns) {
    fixed_offsets.push_back(c.fixed_offset);
    variable_indexes.push_back(c.variable_index);
  }
  // Id Flag Small Short Amount Ratio Measure When Code Wide Raw Notes Picture Key Price
  EXPECT_EQ(fixed_offsets,
            (std::vector<uint16_t>{0, 0, 4, 5, 7, 15, 19, 27, 0, 0, 0, 0, 0, 35, 51}));
  EXPECT_EQ(variable_indexes, (std::vector<uint16_t>{0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3, 4, 5, 5}));
  EXPECT_EQ(def.max_columns, 15);
  EXPECT_EQ(def.variable_columns, 5);
  EXPECT_EQ(def.columns[0].flags, kColumnFlagFixed | kColumnFlagUpdatable | kColumnFlagAutoNumber);
  EXPECT_EQ(def.columns[8].flags, kColumnFlagUpdatable);
  EXPECT_EQ(def.columns[8].ext_flags, kColumnExtFlagCompressedUnicode);
  EXPECT_EQ(def.columns[8].length, 80);
  EXPECT_EQ(def.columns[8].sort_order, kGeneralSortOrder);
  EXPECT_EQ(def.columns[1].length, 1);  // Yes/No
  EXPECT_EQ(def.columns[14].precision, 18);

  ASSERT_EQ(def.real_indexes.size(), 4u);  // ByMeasure and AlsoByMeasure share theirs
  EXPECT_EQ(def.real_indexes[0].flags, kIndexFlagAlways | kIndexFlagUnique | kIndexFlagRequired);
  EXPECT_EQ(def.real_indexes[1].flags, kIndexFlagAlways | kIndexFlagUnique);
  EXPECT_FALSE(def.real_indexes[2].columns[1].ascending);
  std::vector<std::string> names;
  std::vector<uint32_t> numbers, reals;
  for (const LogicalIndex& index : def.logical_indexes) {
    names.push_back(index.name);
    numbers.push_back(index.number);
    reals.push_back(index.real_index);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"AlsoByMeasure", "ByCode", "ByMeasure", "ByShortWhen",
                                             "PrimaryKey"}));
  EXPECT_EQ(numbers, (std::vector<uint32_t>{4, 1, 3, 2, 0}));
  EXPECT_EQ(reals, (std::vector<uint32_t>{3, 1, 3, 2, 0}));
  EXPECT_EQ(def.logical_indexes[4].type, kLogicalIndexPrimaryKey);

  // The properties: DefaultValue and Required where the description has them.
  ASSERT_EQ(defined.properties.maps.size(), 3u);
  EXPECT_EQ(defined.properties.maps[1].name, "Short");
  EXPECT_EQ(defined.properties.maps[2].name, "When");
  EXPECT_TRUE(DefineTable(TableDescription{"Plain", false, {{.name = "A"}}}, GeneralHeader())
                  .properties.maps.empty());
}

// A text index under a sort order whose keys are not built here is refused, naming it; the
// same table without the index is laid out, its text columns under that sort order.
TEST(TableDescriptionTest, RefusesTextIndexesUnderOtherSortOrders) {
  Header cyrillic;
  cyrillic.sort_order = 1049;
  TableDescription table = testing::EveryTypeTable("Заказы");
  try {
    DefineTable(table, cyrillic);
    ADD_FAILURE() << "laid out";
  } catch (const JetError& e) {
    EXPECT_NE(std::string(e.what()).find("1049"), std::string::npos) << e.what();
  }
  std::erase_if(table.indexes, [](const IndexDescription& i) { return i.name == "ByCode"; });
  const DefinedTable defined = DefineTable(table, cyrillic);
  EXPECT_EQ(defined.definition.columns[8].sort_order, 1049);
}

TEST(TableDescriptionTest, RefusesWhatJetRefuses) {
  auto number = [](const TableDescription& table) {
    try {
      DefineTable(table, GeneralHeader());
    } catch (const JetError& e) {
      return e.number();
    }
    return -1;
  };
  const TableDescription good = testing::EveryTypeTable("T");
  TableDescription bad = good;
  bad.name = "a.b";
  EXPECT_EQ(number(bad), 3125);
  bad = good;
  bad.columns[2].name = "CODE";
  EXPECT_EQ(number(bad), 3191);
  bad = good;
  bad.columns[8].size = 256;
  EXPECT_EQ(number(bad), 3382);
  bad = good;
  bad.indexes.push_back({"ByOle", {{"Picture", true}}});
  EXPECT_EQ(number(bad), 3409);
  bad = good;
  bad.indexes.push_back({"bycode", {{"Small", true}}});
  EXPECT_EQ(number(bad), 3375);
  bad = good;
  bad.indexes.push_back({"Wide", {}});
  for (int i = 0; i < 11; ++i) bad.indexes.back().columns.push_back({"Small", true});
  EXPECT_EQ(number(bad), 3277);
  bad = good;
  bad.columns[2].autonumber = true;  // a Byte
  EXPECT_EQ(number(bad), 3292);
  bad = good;
  for (int i = 0; i < 250; ++i) bad.columns.push_back({.name = "c" + std::to_string(i)});
  EXPECT_EQ(number(bad), 3190);
  EXPECT_EQ(number(good), -1);
}

}  // namespace
}  // namespace dbaccess::mdb
