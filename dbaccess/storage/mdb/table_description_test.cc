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

namespace dbaccess::mdb {
namespace {

using testing::ReadBytes;
using testing::TestFile;

// The description a table of an Access file was made from, as far as its definition tells;
// none for a table a description cannot give (deleted columns or indexes, foreign keys).
std::optional<TableDescription> DescriptionOf(const StoredTable& table) {
  const TableDefinition& def = table.definition;
  TableDescription out;
  out.name = table.object.name;
  for (size_t i = 0; i < def.columns.size(); ++i) {
    const ColumnDefinition& c = def.columns[i];
    if (c.number != i) return std::nullopt;
    ColumnDescription column;
    column.name = c.name;
    column.type = c.type;
    if (c.type == kTypeText) column.size = c.length / 2;
    if (c.type == kTypeBinary) column.size = c.length;
    if (c.type == kTypeNumeric) {
      column.precision = c.precision;
      column.scale = c.scale;
    }
    column.autonumber = (c.flags & (kColumnFlagAutoNumber | kColumnFlagAutoGuid)) != 0;
    column.hyperlink = (c.flags & kColumnFlagHyperlink) != 0;
    column.compressed_unicode = (c.ext_flags & kColumnExtFlagCompressedUnicode) != 0;
    out.columns.push_back(column);
  }
  std::vector<const LogicalIndex*> by_number;
  for (const LogicalIndex& index : def.logical_indexes) {
    if (index.type == kLogicalIndexForeignKey) return std::nullopt;
    by_number.push_back(&index);
  }
  std::sort(by_number.begin(), by_number.end(),
            [](const LogicalIndex* a, const LogicalIndex* b) { return a->number < b->number; });
  for (const LogicalIndex* logical : by_number) {
    if (logical->number != out.indexes.size()) return std::nullopt;  // one was deleted
    const RealIndex& real = def.real_indexes[logical->real_index];
    IndexDescription index;
    index.name = logical->name;
    index.primary = logical->type == kLogicalIndexPrimaryKey;
    index.unique = !index.primary && (real.flags & kIndexFlagUnique) != 0;
    index.required = !index.primary && (real.flags & kIndexFlagRequired) != 0;
    index.ignore_nulls = (real.flags & kIndexFlagIgnoreNulls) != 0;
    for (const RealIndexColumn& part : real.columns) {
      index.columns.push_back({def.columns[part.column_number].name, part.ascending});
    }
    out.indexes.push_back(index);
  }
  return out;
}

// `defined` placed where Access placed the stored table, its counters as Access left them;
// with `stale`, also the bytes Access left from earlier states of the table (unused header
// and index bytes, the places columns were shown at, the fixed offsets variable columns
// had once, and the locale Access recorded in columns that are neither text nor decimal:
// Access 2003 on a Swedish system wrote 1053 there).
std::vector<uint8_t> PlacedLikeAccess(DefinedTable defined, const TableDefinition& stored,
                                      const TableDefinitionExtras& stored_extras, bool stale) {
  TableDefinition& def = defined.definition;
  TableDefinitionExtras& extras = defined.extras;
  if (stale) {
    extras.header_reserved = stored_extras.header_reserved;
    for (size_t i = 0; i < def.columns.size(); ++i) {
      extras.columns[i] = stored_extras.columns[i];
      if (!def.columns[i].fixed()) def.columns[i].fixed_offset = stored.columns[i].fixed_offset;
      if (def.columns[i].type != kTypeText && def.columns[i].type != kTypeMemo &&
          def.columns[i].type != kTypeNumeric) {
        def.columns[i].precision = stored.columns[i].precision;  // the locale of the day
        def.columns[i].scale = stored.columns[i].scale;
      }
    }
    for (size_t i = 0; i < def.real_indexes.size() && i < stored.real_indexes.size(); ++i) {
      extras.real_indexes[i] = stored_extras.real_indexes[i];
    }
    for (size_t i = 0; i < def.logical_indexes.size(); ++i) {
      extras.logical_indexes[i].reserved = stored_extras.logical_indexes[i].reserved;
    }
  }
  def.page = stored.page;
  def.row_count = stored.row_count;
  def.owned_pages = stored.owned_pages;
  def.free_pages = stored.free_pages;
  extras.next_autonumber = stored_extras.next_autonumber;
  extras.column_usage_maps = stored_extras.column_usage_maps;
  for (size_t i = 0; i < def.real_indexes.size() && i < stored.real_indexes.size(); ++i) {
    def.real_indexes[i].first_page = stored.real_indexes[i].first_page;
    def.real_indexes[i].usage_map = stored.real_indexes[i].usage_map;
    extras.real_indexes[i].usage_map = stored_extras.real_indexes[i].usage_map;
    extras.real_indexes[i].counts = stored_extras.real_indexes[i].counts;
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
      const std::optional<TableDescription> description = DescriptionOf(table);
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
