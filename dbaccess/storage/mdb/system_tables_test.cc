#include "dbaccess/storage/mdb/system_tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "dbaccess/base/jet_error.h"
#include "dbaccess/base/temp_folder_testing.h"
#include "dbaccess/storage/mdb/data_page_builder.h"
#include "dbaccess/storage/mdb/database_check.h"
#include "dbaccess/storage/mdb/mdb_testing.h"
#include "dbaccess/storage/mdb/new_database.h"
#include "dbaccess/storage/mdb/row_encoder.h"
#include "dbaccess/storage/mdb/system_catalog.h"
#include "dbaccess/storage/mdb/table_definition_pages.h"
#include "dbaccess/storage/mdb/table_reader.h"

namespace dbaccess::mdb {
namespace {

using testing::ReadBytes;
using testing::TestFile;

constexpr int kPageSize = 4096;
constexpr size_t kEnginePages = 16;
constexpr uint32_t kCatalogDataPage = 14;
constexpr uint32_t kAccessControlDataPage = 15;

const TextDecoder kText(JetVersion::kJet4, kDefaultCodePage);

std::unique_ptr<PageFile> EngineFile() {
  return std::make_unique<PageFile>(MemorySource(ReadBytes(TestFile("adox_jet4.mdb"))));
}

SystemTable Placed(size_t i) {
  SystemTable table = SystemTables()[i];
  PlaceTable(EnginePlacement()[i], table.definition, table.extras);
  return table;
}

std::string Hex(const Page& page, size_t from, size_t count) {
  std::ostringstream out;
  for (size_t i = from; i < from + count && i < page.size(); ++i) {
    out << "0123456789abcdef"[page[i] >> 4] << "0123456789abcdef"[page[i] & 0xF];
  }
  return out.str();
}

std::string FirstDifference(const Page& ours, const Page& theirs) {
  if (ours.size() != theirs.size()) return "size " + std::to_string(ours.size());
  for (size_t i = 0; i < ours.size(); ++i) {
    if (ours[i] != theirs[i]) {
      const size_t from = i < 8 ? 0 : i - 8;
      return "byte " + std::to_string(i) + ": ours " + Hex(ours, from, 24) + ", engine's " +
             Hex(theirs, from, 24);
    }
  }
  return "";
}

// The byte ranges of a definition that name pages: the table's usage map rows (owned and
// free pages), each real index's usage map row and first page, each long value column's
// two usage map rows. Everything else is the same wherever the pages go.
std::map<size_t, std::string> PlacementFields(const TableDefinition& def,
                                              const TableDefinitionExtras& extras) {
  const Layout& l = kJet4Layout;
  std::map<size_t, std::string> fields;  // first byte -> what, each 4 bytes long
  fields[l.tdef_owned_pages_offset] = "owned pages map";
  fields[l.tdef_free_pages_offset] = "free pages map";
  size_t pos = l.tdef_blocks_offset + def.real_indexes.size() * l.tdef_real_index_count_entry_size +
               def.columns.size() * l.column_block_size;
  for (const ColumnDefinition& column : def.columns) pos += 2 + 2 * Utf8ToUtf16(column.name).size();
  for (size_t i = 0; i < def.real_indexes.size(); ++i) {
    const size_t block = pos + i * l.real_index_block_size;
    fields[block + 34] = "index " + std::to_string(i) + " map";
    fields[block + 38] = "index " + std::to_string(i) + " first page";
  }
  pos += def.real_indexes.size() * l.real_index_block_size +
         def.logical_indexes.size() * l.logical_index_block_size;
  for (const LogicalIndex& index : def.logical_indexes) {
    pos += 2 + 2 * Utf8ToUtf16(index.name).size();
  }
  for (const ColumnUsageMaps& maps : extras.column_usage_maps) {
    const std::string column = "column " + std::to_string(maps.column_number);
    fields[pos + 2] = column + " owned pages map";
    fields[pos + 6] = column + " free pages map";
    pos += 10;
  }
  return fields;
}

// Unplaced, they differ from the engine's definitions only in the fields that name pages
// (and in the page header's free space and next page, which LayOutTableDefinition writes).
TEST(SystemTablesTest, UnplacedDefinitionsDifferOnlyWherePagesAreNamed) {
  SKIP_WITHOUT_TEST_DATA();
  const auto file = EngineFile();
  for (size_t i = 0; i < 4; ++i) {
    const SystemTable table = SystemTables()[i];
    const StoredTableDefinition stored = ReadStoredTableDefinition(*file, 2 + i);
    const std::vector<uint8_t> ours =
        EncodeTableDefinition(table.definition, table.extras, kJet4Layout);
    ASSERT_EQ(ours.size(), stored.bytes.size()) << table.name;
    const auto fields = PlacementFields(table.definition, table.extras);
    std::set<std::string> differing;
    for (size_t b = 0; b < ours.size(); ++b) {
      if (ours[b] == stored.bytes[b] || (b >= 2 && b < 8)) continue;
      auto field = fields.upper_bound(b);
      if (field == fields.begin() || b >= std::prev(field)->first + 4) {
        ADD_FAILURE() << table.name << ": byte " << b << " differs outside the placement";
        continue;
      }
      differing.insert(std::prev(field)->second);
    }
    // Every placement field holds a page or row the engine chose (none is zero there).
    EXPECT_EQ(differing.size(), fields.size()) << table.name;
  }
}

TEST(SystemTablesTest, PlacementMustFitTheTable) {
  SystemTable catalog = SystemTables()[0];
  TablePlacement placement = EnginePlacement()[0];
  placement.indexes.pop_back();
  EXPECT_THROW(PlaceTable(placement, catalog.definition, catalog.extras), FormatError);
  placement = EnginePlacement()[0];
  placement.long_value_maps[0].column_number = 2;  // Name, not a long value column
  EXPECT_THROW(PlaceTable(placement, catalog.definition, catalog.extras), FormatError);
  EXPECT_THROW(PlaceTable(EnginePlacement()[1], catalog.definition, catalog.extras), FormatError);
}

// The rows as the row encoder stores them, on one data page of `table`.
Page DataPageOf(const SystemTable& table, const std::vector<Row>& rows) {
  DataPageContent content;
  content.owner = table.definition.page;
  for (const Row& row : rows) {
    std::vector<StoredField> fields;
    for (size_t c = 0; c < row.size(); ++c) {
      fields.push_back(EncodeField(table.definition.columns[c], row[c]));
    }
    content.rows.push_back({0, EncodeRow(table.definition, fields)});
  }
  return EncodeDataPage(content, kJet4Layout);
}

double EngineCatalogDate(const PageFile& file) {
  const TableDefinition catalog = Placed(0).definition;
  TableReader reader(file, kText, ReadLimits::ForFileSize(file.byte_size()));
  return std::get<double>(*RowFields(catalog, reader.ReadRows(catalog)[0]).Find("DateCreate"));
}

// The initial rows are the engine's: as our reader reads them, and as stored, byte for byte,
// on the engine's data pages.
TEST(SystemTablesTest, InitialRowsAreTheEnginesRows) {
  SKIP_WITHOUT_TEST_DATA();
  const auto file = EngineFile();
  TableReader reader(*file, kText, ReadLimits::ForFileSize(file->byte_size()));
  const SystemTable catalog = Placed(0);
  const SystemTable access_control = Placed(1);
  const double created = EngineCatalogDate(*file);
  const std::vector<Row> rows = InitialCatalogRows(created);
  EXPECT_EQ(rows, reader.ReadRows(catalog.definition));
  EXPECT_EQ(rows.size(), catalog.definition.row_count);
  const std::vector<Row> aces = InitialAccessControlRows();
  EXPECT_EQ(aces, reader.ReadRows(access_control.definition));
  EXPECT_EQ(aces.size(), access_control.definition.row_count);

  EXPECT_EQ(FirstDifference(DataPageOf(catalog, rows), *file->Read(kCatalogDataPage)), "");
  EXPECT_EQ(FirstDifference(DataPageOf(access_control, aces), *file->Read(kAccessControlDataPage)),
            "");

  // The catalog as the reader maps it: the engine's objects under their containers.
  std::map<std::string, CatalogObject> objects;
  for (const Row& row : rows) {
    const CatalogObject object = DecodeCatalogObject(catalog.definition, row);
    objects[object.name] = object;
  }
  EXPECT_EQ(objects.at("MSysRelationships").id, 5);
  EXPECT_EQ(objects.at("MSysRelationships").parent_id, kTablesContainerId);
  EXPECT_TRUE(objects.at("MSysACEs").system());
  EXPECT_EQ(objects.at("MSysDb").parent_id, kDatabasesContainerId);
  EXPECT_EQ(objects.at("Relationships").type, kObjectTypeContainer);
}

TEST(SystemTablesTest, TheEnginesNewDatabaseFromOurPiecesByteForByte) {
  SKIP_WITHOUT_TEST_DATA();
  const auto engine = EngineFile();
  ASSERT_EQ(engine->page_count(), kEnginePages);
  ASSERT_EQ(engine->header().creation_date, kEngineCreationDate);
  const std::vector<uint8_t> image = NewDatabaseImage(EngineCatalogDate(*engine), "");
  ASSERT_EQ(image.size(), kEnginePages * kPageSize);
  for (uint32_t p = 0; p < kEnginePages; ++p) {
    const Page ours(image.begin() + p * kPageSize, image.begin() + (p + 1) * kPageSize);
    EXPECT_EQ(
        FirstDifference(ours, p == 0 ? engine->raw_header_page().ToVector() : *engine->Read(p)), "")
        << "page " << p;
  }
}

// What the readers make of a new database of ours, made today with a password.
class NewDatabaseTest : public ::testing::Test {
 protected:
  static constexpr double kCreated = 45321.6789;  // 2024-01-30 16:17:36

  std::string Write(const std::string& password) {
    const std::vector<uint8_t> image = NewDatabaseImage(kCreated, password);
    const std::string bytes(image.begin(), image.end());
    return folder_.Write("new.mdb", bytes);
  }

  // The first line `command` prints, or "" when it fails.
  std::string FirstLine(const std::string& command) {
    const std::string out = folder_.File("out.txt");
    if (std::system((command + " >'" + out + "' 2>/dev/null").c_str()) != 0) return "";
    std::ifstream in(out);
    std::string line;
    std::getline(in, line);
    return line;
  }

  dbaccess::testing::TempFolder folder_;
};

TEST_F(NewDatabaseTest, OurCheckFindsItSoundAndItsPasswordGuardsIt) {
  const std::string path = Write("Пароль-1");
  const DatabaseCheckReport report = CheckDatabaseFile(path, "Пароль-1");
  EXPECT_TRUE(report.sound()) << report.findings.front().ToString();
  EXPECT_EQ(report.indexes_checked, 7);
  try {
    CheckDatabaseFile(path, "пароль-1");
    ADD_FAILURE() << "a wrong password opened the database";
  } catch (const JetError& e) {
    EXPECT_EQ(e.number(), 3031);
  }
}

TEST_F(NewDatabaseTest, MdbToolsReadsIt) {
  if (FirstLine("command -v mdb-tables").empty()) GTEST_SKIP() << "mdbtools is not installed";
  const std::string path = Write("s3cret");
  EXPECT_EQ(FirstLine("mdb-ver '" + path + "'"), "JET4");
  EXPECT_EQ(FirstLine("mdb-tables -S -d , '" + path + "'"),
            "MSysObjects,MSysACEs,MSysQueries,MSysRelationships,");
  EXPECT_EQ(FirstLine("mdb-export '" + path + "' MSysObjects | wc -l"), "9");
}

// mdb-reader does not check a Jet 4 password, but hands out the one stored.
TEST_F(NewDatabaseTest, MdbReaderReadsItAndItsPassword) {
  std::string modules;
#ifdef SKARNVEL_MDB_READER_DIR
  modules = SKARNVEL_MDB_READER_DIR;
#endif
  if (const char* set = std::getenv("SKARNVEL_MDB_READER_DIR"); set != nullptr) modules = set;
  if (modules.empty() || !std::filesystem::exists(modules + "/node_modules/mdb-reader")) {
    GTEST_SKIP() << "npm's mdb-reader is not installed (set SKARNVEL_MDB_READER_DIR)";
  }
  const std::string script = folder_.Write("read.mjs", R"(
import { readFileSync } from "node:fs";
import { createRequire } from "node:module";
import { join } from "node:path";
import { pathToFileURL } from "node:url";
const [modules, database] = process.argv.slice(2);
const resolve = createRequire(join(modules, "package.json")).resolve;
const { default: MDBReader } = await import(pathToFileURL(resolve("mdb-reader")).href);
const reader = new MDBReader(readFileSync(database));
const names = reader.getTable("MSysObjects").getData().map((row) => row.Name);
console.log(JSON.stringify([reader.getPassword(), reader.getTableNames({ systemTables: true }), names]));
)");
  const std::string run = "node '" + script + "' '" + modules + "' '";
  const std::string tables =
      R"(["MSysObjects","MSysACEs","MSysQueries","MSysRelationships"],)"
      R"(["Tables","Databases","Relationships","MSysDb","MSysObjects","MSysACEs","MSysQueries",)"
      R"("MSysRelationships"]])";
  EXPECT_EQ(FirstLine(run + Write("Пароль-1") + "'"), R"(["Пароль-1",)" + tables);
  EXPECT_EQ(FirstLine(run + Write("") + "'"), "[null," + tables);
}

}  // namespace
}  // namespace dbaccess::mdb
