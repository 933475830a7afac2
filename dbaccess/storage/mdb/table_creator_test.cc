#include "dbaccess/storage/mdb/table_creator.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "dbaccess/base/jet_error.h"
#include "dbaccess/storage/mdb/catalog_mapping.h"
#include "dbaccess/storage/mdb/catalog_writer.h"
#include "dbaccess/storage/mdb/data_page_builder.h"
#include "dbaccess/storage/mdb/index_check.h"
#include "dbaccess/storage/mdb/page_journal.h"
#include "dbaccess/storage/mdb/table_definition_pages.h"
#include "dbaccess/storage/mdb/table_editor.h"
#include "dbaccess/storage/mdb/table_reader.h"
#include "dbaccess/storage/mdb/table_writing_testing.h"

namespace dbaccess::mdb {
namespace {

using dbaccess::testing::TempFolder;
using testing::CopyTestFile;
using testing::EveryTypeRow;
using testing::EveryTypeTable;
using testing::Findings;
using testing::FindStoredTable;
using testing::OpenFile;
using testing::ReadBytes;

constexpr double kNow = 45000.5;

// A table of every type made in an Access file, filled, changed and read back: the file is
// sound, the rows are the ones written, the catalog holds the table as Access holds its own.
TEST(TableCreatorTest, ATableOfEveryTypeIsMadeFilledChangedAndReadBack) {
  SKIP_WITHOUT_TEST_DATA();
  TempFolder folder;
  const std::string path = CopyTestFile(folder, "testV2000.mdb");
  std::vector<Row> expected;
  uint32_t page = 0;
  {
    const auto file = OpenFile(path);
    PageWriter pages(*file, path);
    page = CreateTable(pages, EveryTypeTable("Everything"), kNow);
    TableEditor table(pages, page, "Everything");
    std::vector<RowPointer> where;
    for (int i = 0; i < 600; ++i) {
      where.push_back(table.Insert(EveryTypeRow(i)));
      Row row = EveryTypeRow(i);
      row[0] = Cell{int64_t{i + 1}};
      expected.push_back(row);
    }
    for (int i = 0; i < 600; i += 9) {  // grown, shrunk, long values replaced
      Row row = EveryTypeRow(i + 1000);
      row[0] = Cell{};
      row[8] = Cell{"changed " + std::to_string(i)};
      table.Update(where[i], row);
      row[0] = expected[i][0];
      expected[i] = row;
    }
    for (int i = 5; i < 600; i += 11) {
      table.Delete(where[i]);
      expected[i].clear();
    }
    table.Save();
    pages.Commit();
  }
  std::erase_if(expected, [](const Row& row) { return row.empty(); });

  const auto file = OpenFile(path);
  const StoredDatabase db = testing::ReadSoundDatabase(*file);
  const StoredTable* table = FindStoredTable(db, "Everything");
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(table->definition.page, page);
  EXPECT_EQ(table->definition.row_count, expected.size());
  ASSERT_EQ(table->rows.size(), expected.size());
  EXPECT_TRUE(std::is_permutation(table->rows.begin(), table->rows.end(), expected.begin()));
  const StoredTableDefinition stored = ReadStoredTableDefinition(*file, page);
  const TableDefinitionExtras extras =
      DecodeTableDefinitionExtras(ByteView(stored.bytes), kJet4Layout);
  const RebuiltIndexes rebuilt = RebuildTableIndexes(*file, table->definition);
  ASSERT_EQ(extras.real_indexes.size(), 4u);
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(extras.real_indexes[i].counts[0], rebuilt.indexes[i].entries.size());
    EXPECT_EQ(extras.real_indexes[i].counts[1], rebuilt.indexes[i].distinct_keys);
  }
  EXPECT_EQ(extras.next_autonumber, 600u);

  // The catalog: owned as Access's tables are, with as many access entries.
  const StoredTable* access_table = FindStoredTable(db, "Table1");
  ASSERT_NE(access_table, nullptr);
  EXPECT_EQ(table->object.parent_id, kTablesContainerId);
  EXPECT_EQ(table->object.flags, 0u);
  EXPECT_EQ(table->object.type, kObjectTypeTable);
  const Catalog catalog = BuildCatalog(db);
  const Table* model = catalog.FindTable("Everything");
  ASSERT_NE(model, nullptr);
  ASSERT_EQ(model->columns.size(), 15u);
  EXPECT_EQ(model->columns[0].type, DataType::kLong);
  EXPECT_TRUE(model->columns[0].auto_increment);
  EXPECT_TRUE(model->columns[3].required);
  EXPECT_EQ(model->columns[7].default_value, "Now()");
  EXPECT_EQ(model->columns[8].size, 40);
  EXPECT_EQ(model->columns[14].precision, 18);
  EXPECT_EQ(model->columns[14].scale, 4);
  ASSERT_NE(model->PrimaryKey(), nullptr);
  const Index* by_short_when = model->FindIndex("ByShortWhen");
  ASSERT_NE(by_short_when, nullptr);
  ASSERT_EQ(by_short_when->columns.size(), 2u);
  EXPECT_TRUE(by_short_when->columns[1].descending);
  EXPECT_TRUE(model->FindIndex("ByCode")->unique);
}

// A hundred thousand rows in one table: every index over several levels of pages, the row
// count exact, every row read back.
TEST(TableCreatorTest, AHundredThousandRows) {
  SKIP_WITHOUT_TEST_DATA();
  constexpr int kRows = 100000;
  TempFolder folder;
  const std::string path = CopyTestFile(folder, "empty2000.mdb");
  {
    const auto file = OpenFile(path);
    PageWriter pages(*file, path);
    TableDescription description;
    description.name = "Many";
    description.columns = {
        {.name = "Id", .type = kTypeLong, .autonumber = true},
        {.name = "Name", .type = kTypeText, .size = 30, .compressed_unicode = true},
        {.name = "Value", .type = kTypeDouble}};
    description.indexes = {{"PrimaryKey", {{"Id", true}}, true}, {"ByName", {{"Name", false}}}};
    const uint32_t page = CreateTable(pages, description, kNow);
    TableEditor table(pages, page, "Many");
    for (int i = 0; i < kRows; ++i) {
      table.Insert(Row{Cell{}, Cell{"name " + std::to_string(i * 7919 % kRows)}, Cell{i * 0.5}});
    }
    table.Save();
    pages.Commit();
  }
  const auto file = OpenFile(path);
  const DatabaseCheckReport report = CheckDatabase(*file);
  EXPECT_TRUE(report.sound()) << Findings(*file);
  EXPECT_GE(report.entries_checked, 2u * kRows);
  const StoredDatabase db = ReadDatabase(*file);
  const StoredTable* table = FindStoredTable(db, "Many");
  ASSERT_NE(table, nullptr);
  ASSERT_EQ(table->rows.size(), static_cast<size_t>(kRows));
  EXPECT_EQ(table->definition.row_count, static_cast<uint32_t>(kRows));
  int64_t id_sum = 0;
  for (const Row& row : table->rows) id_sum += std::get<int64_t>(row[0]);
  EXPECT_EQ(id_sum, int64_t{kRows} * (kRows + 1) / 2);
}

// The rows of a system table, which ReadDatabase leaves out.
std::vector<Row> SystemRows(const PageFile& file, const StoredDatabase& db,
                            const std::string& name) {
  const TextDecoder text(JetVersion::kJet4, kDefaultCodePage);
  TableReader reader(file, text, ReadLimits::ForFileSize(file.byte_size()));
  return reader.ReadRows(FindStoredTable(db, name)->definition);
}

std::vector<std::string> Jet4TestFiles() {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(testing::TestFile(""))) {
    if (entry.path().extension() != ".mdb") continue;
    if (OpenFile(entry.path().string())->header().version != JetVersion::kJet4) continue;
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// In every Jet 4 test file (made by Access or by the engine alone, encrypted or with a
// password) a new table is made and filled; the file stays sound and reads back. The new
// table is owned by the database's owner and gets the access entries Access gave the
// file's own tables, where it gave them full access (the engine alone gives fewer).
TEST(TableCreatorTest, EveryJet4FileTakesANewTable) {
  SKIP_WITHOUT_TEST_DATA();
  size_t files = 0;
  size_t access_tables = 0;
  for (const std::string& name : Jet4TestFiles()) {
    SCOPED_TRACE(name);
    TempFolder folder;
    const std::string path = CopyTestFile(folder, name);
    uint32_t page = 0;
    std::vector<uint8_t> owner;
    std::vector<std::vector<uint8_t>> sids;
    {
      const auto file = OpenFile(path);
      PageWriter pages(*file, path);
      {
        CatalogWriter catalog(pages);
        owner = catalog.new_object_owner();
        for (const AccessControlEntry& entry : catalog.NewObjectEntries(0))
          sids.push_back(entry.sid);
      }
      page = CreateTable(pages, EveryTypeTable("New table"), kNow);
      TableEditor table(pages, page, "New table");
      for (int i = 0; i < 120; ++i) table.Insert(EveryTypeRow(i));
      table.Save();
      pages.Commit();
    }
    const auto file = OpenFile(path);
    const StoredDatabase db = testing::ReadSoundDatabase(*file);
    const StoredTable* table = FindStoredTable(db, "New table");
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->rows.size(), 120u);
    EXPECT_FALSE(owner.empty());
    EXPECT_FALSE(sids.empty());

    // The catalog row and the access entries, as stored.
    std::vector<std::vector<uint8_t>> stored_sids;
    for (const Row& row : SystemRows(*file, db, "MSysACEs")) {
      const RowFields fields(FindStoredTable(db, "MSysACEs")->definition, row);
      if (fields.Integer("ObjectId") != static_cast<int64_t>(page)) continue;
      EXPECT_EQ(fields.Integer("ACM"), kFullAccessAcm);
      EXPECT_EQ(*fields.Find("FInheritable"), Cell{false});
      stored_sids.push_back(fields.Binary("SID"));
    }
    EXPECT_EQ(stored_sids, sids);
    // Where Access gave a table of its own full access entries, the new one has the same.
    for (const StoredTable& other : db.tables) {
      if (other.object.system() || other.object.access_system() || other.linked ||
          other.definition.page == page) {
        continue;
      }
      std::vector<std::vector<uint8_t>> access_sids;
      bool full = true;
      for (const Row& row : SystemRows(*file, db, "MSysACEs")) {
        const RowFields fields(FindStoredTable(db, "MSysACEs")->definition, row);
        if (fields.Integer("ObjectId") != other.object.id) continue;
        full &= fields.Integer("ACM") == kFullAccessAcm;
        access_sids.push_back(fields.Binary("SID"));
      }
      if (full) {
        EXPECT_EQ(access_sids, sids) << other.object.name;
      }
      access_tables += full;
    }
    size_t catalog_rows = 0;
    for (const Row& row : SystemRows(*file, db, "MSysObjects")) {
      const RowFields fields(FindStoredTable(db, "MSysObjects")->definition, row);
      if (fields.Integer("Id") != static_cast<int64_t>(page)) continue;
      ++catalog_rows;
      EXPECT_EQ(fields.Binary("Owner"), owner);
      EXPECT_EQ(*fields.Find("DateCreate"), Cell{kNow});
      EXPECT_FALSE(fields.Binary("LvProp").empty());  // Required and DefaultValue
    }
    EXPECT_EQ(catalog_rows, 1u);
    ++files;
  }
  EXPECT_GE(files, 15u);
  EXPECT_GE(access_tables, 20u);
}

// A table made and filled in one change, the process dying at each step of writing it
// (each page write among them): once recovered the file is exactly the old one or exactly
// the new one, and sound.
TEST(TableCreatorTest, ACrashAtAnyStepLeavesTheOldFileOrTheNew) {
  SKIP_WITHOUT_TEST_DATA();
  TempFolder folder;
  const std::string path = folder.File("crash.mdb");
  const std::vector<uint8_t> old = ReadBytes(testing::TestFile("testV2000.mdb"));
  auto change = [&] {
    const auto file = OpenFile(path);
    PageWriter pages(*file, path);
    const uint32_t page = CreateTable(pages, EveryTypeTable("Crash"), kNow);
    TableEditor table(pages, page, "Crash");
    for (int i = 0; i < 60; ++i) table.Insert(EveryTypeRow(i));
    table.Save();
    pages.Commit();
  };
  testing::WriteBytes(path, old);
  change();
  const std::vector<uint8_t> made = ReadBytes(path);
  size_t page_writes = 0;
  for (size_t k = 0;; ++k) {
    testing::WriteBytes(path, old);
    bool crashed = false;
    SetJournalCrashHookForTesting([&](JournalStep step, size_t count) {
      if (step == JournalStep::kPageWrite) page_writes = std::max(page_writes, count + 1);
      return step == JournalStep::kPageWrite && count == k;
    });
    try {
      change();
    } catch (const PageWriteCrash&) {
      crashed = true;
    }
    SetJournalCrashHookForTesting({});
    if (!crashed) break;
    RecoverJournal(path, 4096);
    const std::vector<uint8_t> now = ReadBytes(path);
    EXPECT_TRUE(now == old || now == made) << "crash at page write " << k;
  }
  EXPECT_GT(page_writes, 20u);
  EXPECT_EQ(ReadBytes(path), made);  // the one change that did not crash
  EXPECT_EQ(Findings(*OpenFile(path)), "");
}

size_t PagesInUse(const PageFile& file) {
  return file.page_count() - testing::FreePagesOf(file).size();
}

// A table made, filled (long values over many pages) and committed, then dropped: every page
// it took is free again but for the few the catalog grew by, and its catalog rows are gone.
TEST(TableCreatorTest, ADroppedTableGivesItsPagesBack) {
  SKIP_WITHOUT_TEST_DATA();
  TempFolder folder;
  const std::string path = CopyTestFile(folder, "testV2000.mdb");
  const size_t in_use = PagesInUse(*OpenFile(path));
  uint32_t page = 0;
  {
    const auto file = OpenFile(path);
    PageWriter pages(*file, path);
    page = CreateTable(pages, EveryTypeTable("Doomed"), kNow);
    TableEditor table(pages, page, "Doomed");
    for (int i = 0; i < 400; ++i) table.Insert(EveryTypeRow(i));
    table.Save();
    pages.Commit();
  }
  const size_t grown = PagesInUse(*OpenFile(path));
  EXPECT_GT(grown, in_use + 100);
  {
    const auto file = OpenFile(path);
    PageWriter pages(*file, path);
    DropTable(pages, "doomed");
    pages.Commit();
  }
  const auto file = OpenFile(path);
  EXPECT_EQ(Findings(*file), "");
  EXPECT_LE(PagesInUse(*file), in_use + 2);
  const StoredDatabase db = ReadDatabase(*file);
  EXPECT_EQ(FindStoredTable(db, "Doomed"), nullptr);
  for (const Row& row : SystemRows(*file, db, "MSysACEs")) {
    const RowFields fields(FindStoredTable(db, "MSysACEs")->definition, row);
    EXPECT_NE(fields.Integer("ObjectId"), static_cast<int64_t>(page));
  }
}

// Access's own tables dropped: Table2 of testV2000.mdb (a definition over two pages, memo
// pages) leaves the file sound with all its pages free, and the other tables as they were.
TEST(TableCreatorTest, DropsAccessTables) {
  SKIP_WITHOUT_TEST_DATA();
  TempFolder folder;
  const std::string path = CopyTestFile(folder, "testV2000.mdb");
  const auto before = OpenFile(path);
  const StoredDatabase db_before = ReadDatabase(*before);
  const StoredTable* doomed = FindStoredTable(db_before, "Table2");
  ASSERT_NE(doomed, nullptr);
  const std::set<uint32_t> former = testing::PagesOfTable(*before, doomed->definition.page);
  ASSERT_GE(former.size(), 8u);  // two definition pages, a usage map page, five index pages
  {
    PageWriter pages(*before, path);
    DropTable(pages, "Table2");
    pages.Commit();
  }
  const auto after = OpenFile(path);
  EXPECT_EQ(Findings(*after), "");
  // Each page is free, or taken again by the catalog (its rebuilt indexes, a usage map of
  // its long values that outgrew its row).
  const std::set<uint32_t> free = testing::FreePagesOf(*after);
  size_t freed = 0;
  for (uint32_t page : former) {
    const std::shared_ptr<const Page> bytes = after->Read(page);
    const uint32_t owner = ByteView(*bytes).U32(kDataPageTableDefinitionOffset);
    freed += free.count(page);
    EXPECT_TRUE(free.count(page) || (*bytes)[0] == kPageUsageMap ||
                ((*bytes)[0] == kPageIndexLeaf && owner <= 3))
        << page;
  }
  EXPECT_GE(freed, former.size() - 4);
  const StoredDatabase db = ReadDatabase(*after);
  EXPECT_EQ(FindStoredTable(db, "Table2"), nullptr);
  for (const StoredTable& table : db_before.tables) {
    if (table.object.name == "Table2") continue;
    const StoredTable* kept = FindStoredTable(db, table.object.name);
    ASSERT_NE(kept, nullptr) << table.object.name;
    EXPECT_EQ(kept->rows, table.rows);
  }
}

TEST(TableCreatorTest, RefusesWhatJetRefuses) {
  SKIP_WITHOUT_TEST_DATA();
  TempFolder folder;
  const std::string path = CopyTestFile(folder, "indexTestV2000.mdb");
  const std::vector<uint8_t> original = ReadBytes(path);
  const auto file = OpenFile(path);
  auto number = [&](auto&& change) {
    PageWriter pages(*file, path);
    try {
      change(pages);
    } catch (const JetError& e) {
      return e.number();
    }
    return -1;
  };
  EXPECT_EQ(number([](PageWriter& p) { CreateTable(p, EveryTypeTable("TABLE1"), kNow); }), 3010);
  EXPECT_EQ(number([](PageWriter& p) { DropTable(p, "NoSuchTable"); }), 3376);
  EXPECT_EQ(number([](PageWriter& p) { DropTable(p, "Table2"); }), 3281);  // related
  EXPECT_EQ(number([](PageWriter& p) { DropTable(p, "MSysObjects"); }), 0);
  TableDescription twice = EveryTypeTable("Twice");
  twice.columns.push_back(twice.columns[3]);
  EXPECT_EQ(number([&](PageWriter& p) { CreateTable(p, twice, kNow); }), 3191);
  TableDescription no_column = EveryTypeTable("Nowhere");
  no_column.indexes.push_back({"Bad", {{"Missing", true}}});
  EXPECT_EQ(number([&](PageWriter& p) { CreateTable(p, no_column, kNow); }), 3409);
  TableDescription two_keys = EveryTypeTable("TwoKeys");
  two_keys.indexes.push_back({"Second", {{"Code", true}}, true});
  EXPECT_EQ(number([&](PageWriter& p) { CreateTable(p, two_keys, kNow); }), 3283);
  EXPECT_EQ(ReadBytes(path), original);
}

// The engine's four tables of a new database, made as the engine makes them: described as
// adox_jet4.mdb (made by the engine alone) defines them, on pages 2 to 5 with page 6 for all
// their usage maps, they get the engine's definitions byte for byte (what their rows left
// and the stale bytes the engine leaves copied in), their index roots on pages 7 to 13 and
// page 6 with the engine's 31 usage map rows.
TEST(TableCreatorTest, MakesTheEngineTablesOfANewDatabase) {
  SKIP_WITHOUT_TEST_DATA();
  const auto engine = OpenFile(testing::TestFile("adox_jet4.mdb"));
  TempFolder folder;
  const std::vector<uint8_t> all = ReadBytes(testing::TestFile("adox_jet4.mdb"));
  const std::string path =
      folder.Write("new.mdb", std::string(all.begin(), all.begin() + 2 * 4096));  // pages 0, 1
  const auto start = OpenFile(path);
  PageWriter pages(*start, path);
  std::vector<uint32_t> reserved;
  for (int i = 0; i < 5; ++i) reserved.push_back(pages.Allocate());
  ASSERT_EQ(reserved, (std::vector<uint32_t>{2, 3, 4, 5, 6}));
  const TextDecoder text(JetVersion::kJet4, kDefaultCodePage);
  const char* names[] = {"MSysObjects", "MSysACEs", "MSysQueries", "MSysRelationships"};
  for (uint32_t page = 2; page <= 5; ++page) {
    const StoredTableDefinition stored = ReadStoredTableDefinition(*engine, page);
    const TableDefinition def = DecodeTableDefinition(ByteView(stored.bytes), kJet4Layout, text);
    const TableDefinitionExtras extras =
        DecodeTableDefinitionExtras(ByteView(stored.bytes), kJet4Layout);
    const std::optional<TableDescription> description =
        testing::DescriptionOf(def, names[page - 2], true);
    ASSERT_TRUE(description);
    EXPECT_TRUE(description->system);
    DefinedTable defined = DefineTable(*description, engine->header());
    testing::CopyLeftBytes(defined, def, extras, true);
    const WrittenTable written = WriteTablePages(pages, defined, {page, 6});
    EXPECT_EQ(written.usage_map_page, 6u);
  }
  const auto made = pages.View();
  EXPECT_EQ(made->page_count(), 14u);
  for (uint32_t page = 2; page <= 5; ++page) {
    SCOPED_TRACE(names[page - 2]);
    const Page ours = *made->Read(page);
    const Page theirs = *engine->Read(page);
    const size_t used = TableDefinitionPageUsed(ByteView(theirs));
    EXPECT_EQ(TableDefinitionPageUsed(ByteView(ours)), used);
    EXPECT_TRUE(std::equal(ours.begin(), ours.begin() + static_cast<long>(used), theirs.begin()));
  }
  for (uint32_t root = 7; root <= 13; ++root) {
    EXPECT_EQ((*made->Read(root))[0], kPageIndexLeaf) << root;
    EXPECT_EQ(ByteView(*made->Read(root)).U32(kDataPageTableDefinitionOffset),
              ByteView(*engine->Read(root)).U32(kDataPageTableDefinitionOffset));
  }
  // The usage map rows: all as the engine's, but the maps of the two tables that have rows
  // in adox_jet4.mdb (MSysObjects rows 0 and 1, MSysACEs rows 18 and 19).
  const DataPageContent ours = DecodeDataPage(ByteView(*made->Read(6)), kJet4Layout);
  const DataPageContent theirs = DecodeDataPage(ByteView(*engine->Read(6)), kJet4Layout);
  ASSERT_EQ(ours.rows.size(), 31u);
  ASSERT_EQ(theirs.rows.size(), 31u);
  for (size_t row = 0; row < ours.rows.size(); ++row) {
    if (row == 0 || row == 1 || row == 18 || row == 19) continue;
    EXPECT_EQ(ours.rows[row].bytes, theirs.rows[row].bytes) << "row " << row;
  }
}

}  // namespace
}  // namespace dbaccess::mdb
