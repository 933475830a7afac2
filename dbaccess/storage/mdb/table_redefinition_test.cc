// Stored tables defined again as Access keeps them: the numbers of columns and indexes that
// stay, new numbers after every one used (gaps left by Access included), the relationship
// indexes as stored, and properties that follow their columns.
#include "dbaccess/storage/mdb/table_redefinition.h"

#include <gtest/gtest.h>

#include <map>

#include "dbaccess/base/jet_error.h"
#include "dbaccess/base/testdata_testing.h"
#include "dbaccess/storage/mdb/catalog_mapping.h"
#include "dbaccess/storage/mdb/database_reader.h"
#include "dbaccess/storage/mdb/property_blob.h"
#include "dbaccess/storage/mdb/table_definition_pages.h"
#include "dbaccess/storage/mdb/table_writing_testing.h"

namespace dbaccess::mdb {
namespace {

struct Stored {
  StoredTableParts parts;
  Table model;
  Header header;
};

// The stored parts and the model of `table` in the test file `file`.
Stored Read(const std::string& file, const std::string& table) {
  const auto pages = testing::OpenFile(testing::TestFile(file));
  const StoredDatabase db = ReadDatabase(*pages);
  const StoredTable* stored = testing::FindStoredTable(db, table);
  EXPECT_NE(stored, nullptr) << table;
  Stored out;
  out.header = db.header;
  out.parts.definition = stored->definition;
  const StoredTableDefinition bytes = ReadStoredTableDefinition(*pages, stored->definition.page);
  out.parts.extras = DecodeTableDefinitionExtras(ByteView(bytes.bytes), pages->layout());
  out.parts.properties = stored->object.properties;
  out.model = *BuildCatalog(db).FindTable(table);
  return out;
}

// Each model column continues the stored column of its position (columns follow numbers).
std::vector<std::optional<uint16_t>> SameColumns(const Stored& s, size_t added = 0) {
  std::vector<uint16_t> numbers;
  for (const ColumnDefinition& c : s.parts.definition.columns) numbers.push_back(c.number);
  std::sort(numbers.begin(), numbers.end());
  std::vector<std::optional<uint16_t>> origins(numbers.begin(), numbers.end());
  origins.resize(origins.size() + added);
  return origins;
}

std::map<std::string, uint32_t> LogicalNumbers(const TableDefinition& def) {
  std::map<std::string, uint32_t> out;
  for (const LogicalIndex& l : def.logical_indexes) out[l.name] = l.number;
  return out;
}

std::map<std::string, uint16_t> ColumnNumbers(const TableDefinition& def) {
  std::map<std::string, uint16_t> out;
  for (const ColumnDefinition& c : def.columns) out[c.name] = c.number;
  return out;
}

// Nothing changed: the definition comes back as stored but for the row's places, which are
// laid out afresh.
TEST(TableRedefinitionTest, AnUnchangedTableKeepsItsDefinitionAndBlob) {
  SKIP_WITHOUT_TEST_DATA();
  for (const auto& [file, table] : std::vector<std::pair<std::string, std::string>>{
           {"testV2000.mdb", "Table1"},
           {"indexTestV2000.mdb", "Table1"},
           {"testIndexPropertiesV2000.mdb", "TableIgnoreNulls2"}}) {
    SCOPED_TRACE(file + " " + table);
    const Stored s = Read(file, table);
    const RedefinedTable r = RedefineTable(s.parts, s.model, SameColumns(s), s.header);
    const TableDefinition& was = s.parts.definition;
    const TableDefinition& is = r.table.definition;
    EXPECT_EQ(r.properties, s.parts.properties);
    EXPECT_EQ(ColumnNumbers(is), ColumnNumbers(was));
    EXPECT_EQ(LogicalNumbers(is), LogicalNumbers(was));
    EXPECT_EQ(is.max_columns, was.max_columns);
    ASSERT_EQ(is.logical_indexes.size(), was.logical_indexes.size());
    for (size_t i = 0; i < is.logical_indexes.size(); ++i) {
      const LogicalIndex& a = is.logical_indexes[i];
      const LogicalIndex& b = was.logical_indexes[i];
      EXPECT_EQ(a.name, b.name);
      EXPECT_EQ(a.type, b.type);
      EXPECT_EQ(a.relationship_side, b.relationship_side);
      EXPECT_EQ(a.other_index, b.other_index);
      EXPECT_EQ(a.other_table_page, b.other_table_page);
      EXPECT_EQ(MapIndex(is, a), MapIndex(was, b));
    }
    for (size_t i = 0; i < is.columns.size(); ++i) {
      EXPECT_EQ(is.columns[i].flags, was.columns[i].flags);
      EXPECT_EQ(is.columns[i].ext_flags, was.columns[i].ext_flags);
      EXPECT_EQ(is.columns[i].length, was.columns[i].length);
    }
  }
}

// Access's gaps stay: a column after delColTestV2000's deleted ones takes number 6
// (max_columns), an index after testIndexPropertiesV2000's numbers 1 and 2 takes 3.
TEST(TableRedefinitionTest, NewColumnsAndIndexesComeAfterEveryNumberUsed) {
  SKIP_WITHOUT_TEST_DATA();
  {
    Stored s = Read("delColTestV2000.mdb", "Table1");
    Column added;
    added.name = "added";
    added.type = DataType::kLong;
    s.model.columns.push_back(added);
    const RedefinedTable r = RedefineTable(s.parts, s.model, SameColumns(s, 1), s.header);
    EXPECT_EQ(ColumnNumbers(r.table.definition),
              (std::map<std::string, uint16_t>{
                  {"id", 0}, {"id2", 2}, {"data", 3}, {"data2", 5}, {"added", 6}}));
    EXPECT_EQ(r.table.definition.max_columns, 7);
  }
  {
    Stored s = Read("testIndexPropertiesV2000.mdb", "TableIgnoreNulls2");
    Index index;
    index.name = "ByData1";
    index.columns = {{"data1", true}};
    s.model.indexes.push_back(index);
    std::erase_if(s.model.indexes, [](const Index& i) { return i.name == "DataIndex"; });
    const RedefinedTable r = RedefineTable(s.parts, s.model, SameColumns(s), s.header);
    EXPECT_EQ(LogicalNumbers(r.table.definition),
              (std::map<std::string, uint32_t>{{"PrimaryKey", 1}, {"ByData1", 3}}));
    // Real indexes in the order of their logical numbers.
    for (const LogicalIndex& l : r.table.definition.logical_indexes) {
      EXPECT_EQ(l.real_index, l.name == "PrimaryKey" ? 0u : 1u) << l.name;
    }
  }
}

// A column renamed keeps its map under the new name; a dropped one's map goes; Required and
// DefaultValue say what the model says; a map of no column named like a new column goes.
TEST(TableRedefinitionTest, PropertiesFollowTheirColumns) {
  SKIP_WITHOUT_TEST_DATA();
  Stored s = Read("testV2000.mdb", "Table1");
  const TextDecoder text(JetVersion::kJet4, 1252);
  const PropertyMaps before = DecodePropertyBlob(ByteView(s.parts.properties), text);
  std::vector<std::optional<uint16_t>> origins = SameColumns(s);
  Table& t = s.model;
  t.columns[1].name = "Renamed";  // B, with its index
  for (Index& index : t.indexes) {
    for (IndexColumn& c : index.columns) {
      if (c.name == "B") c.name = "Renamed";
    }
  }
  t.columns[2].required = true;            // C
  t.columns[3].default_value.reset();      // D
  t.columns[4].default_value = "42";       // E
  t.columns.erase(t.columns.begin() + 5);  // F
  origins.erase(origins.begin() + 5);
  Column f;
  f.name = "F";  // a new column of the old name: no old properties
  f.type = DataType::kLong;
  t.columns.push_back(f);
  origins.push_back(std::nullopt);
  const RedefinedTable r = RedefineTable(s.parts, t, origins, s.header);
  const PropertyMaps after = DecodePropertyBlob(ByteView(r.properties), text);

  const PropertyMap* renamed = after.Find("Renamed", kPropertyChunkColumn);
  ASSERT_NE(renamed, nullptr);
  EXPECT_EQ(renamed->properties.size(), before.Find("B", kPropertyChunkColumn)->properties.size());
  EXPECT_EQ(after.Find("B", kPropertyChunkColumn), nullptr);
  EXPECT_EQ(after.Find("F", kPropertyChunkColumn), nullptr);
  EXPECT_TRUE(PropertyIsTrue(*after.Find("C", kPropertyChunkColumn)->Find("Required")));
  EXPECT_EQ(after.Find("D", kPropertyChunkColumn)->Find("DefaultValue"), nullptr);
  EXPECT_EQ(PropertyDisplayText(*after.Find("E", kPropertyChunkColumn)->Find("DefaultValue")),
            "42");
  const PropertyMap* own = after.Find("", kPropertyChunkObject);
  ASSERT_NE(own, nullptr);
  EXPECT_EQ(own->properties.size(), before.Find("", kPropertyChunkObject)->properties.size());

  // Read back, the model is what was asked for.
  for (size_t i = 0; i < t.columns.size(); ++i) {
    const ColumnDefinition& def = r.table.definition.columns[i];
    const Column read =
        MapColumn(def, after.Find(def.name, kPropertyChunkColumn), s.header.layout());
    EXPECT_EQ(read, t.columns[i]) << t.columns[i].name;
  }
}

// A relationship's index whose columns are gone is not written: the executor never drops
// them, so the model must have come from elsewhere.
TEST(TableRedefinitionTest, RefusesToLoseARelationshipsColumns) {
  SKIP_WITHOUT_TEST_DATA();
  Stored s = Read("indexTestV2000.mdb", "Table1");
  std::vector<std::optional<uint16_t>> origins = SameColumns(s);
  const int otherfk1 = s.model.ColumnIndex("otherfk1");
  s.model.columns.erase(s.model.columns.begin() + otherfk1);
  origins.erase(origins.begin() + otherfk1);
  for (Row& row : s.model.rows) row.erase(row.begin() + otherfk1);
  try {
    RedefineTable(s.parts, s.model, origins, s.header);
    ADD_FAILURE() << "a relationship's column was dropped";
  } catch (const JetError& e) {
    EXPECT_NE(std::string(e.what()).find("relationship index 'Table2Table1'"), std::string::npos)
        << e.what();
  }
}

}  // namespace
}  // namespace dbaccess::mdb
