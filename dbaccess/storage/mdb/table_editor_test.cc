#include "dbaccess/storage/mdb/table_editor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "dbaccess/base/jet_error.h"
#include "dbaccess/storage/mdb/index_check.h"
#include "dbaccess/storage/mdb/index_page.h"
#include "dbaccess/storage/mdb/page_journal.h"
#include "dbaccess/storage/mdb/table_creator.h"
#include "dbaccess/storage/mdb/table_definition_pages.h"
#include "dbaccess/storage/mdb/table_writing_testing.h"

namespace dbaccess::mdb {
namespace {

using dbaccess::testing::TempFolder;
using testing::CopyTestFile;
using testing::Findings;
using testing::FindStoredTable;
using testing::FreePagesOf;
using testing::OpenFile;
using testing::PagesOfTable;
using testing::ReadBytes;
using testing::WriteBytes;

constexpr size_t kPage = 4096;
constexpr uint32_t kTable1 = 24;  // Table1 of testV2000.mdb

Row Table1Row(int i) {
  return Row{Cell{"row " + std::to_string(i)},
             Cell{std::string(i % 90, 'x')},
             Cell{int64_t{i % 256}},
             Cell{int64_t{i % 3000}},
             Cell{int64_t{i} * 1000},
             i % 4 == 0 ? Cell{} : Cell{i / 3.0},
             Cell{30000.0 + i},
             Cell{int64_t{i} * 10000},
             Cell{i % 3 == 0}};
}

class TableEditorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SKIP_WITHOUT_TEST_DATA();
    path_ = CopyTestFile(folder_, "testV2000.mdb");
    original_ = ReadBytes(path_);
  }
  void Patch(size_t offset, std::vector<uint8_t> bytes) {
    std::vector<uint8_t> file = ReadBytes(path_);
    std::copy(bytes.begin(), bytes.end(), file.begin() + static_cast<long>(offset));
    WriteBytes(path_, file);
    original_ = file;
  }
  // The error opening an editor on Table1 gives, and that the file is as it was.
  JetError OpenError() {
    const auto file = OpenFile(path_);
    PageWriter pages(*file, path_);
    try {
      TableEditor editor(pages, kTable1, "Table1");
    } catch (const JetError& e) {
      EXPECT_FALSE(pages.changed());
      EXPECT_EQ(ReadBytes(path_), original_);
      return e;
    }
    ADD_FAILURE() << "the editor opened";
    return JetError(-1, "");
  }
  TempFolder folder_;
  std::string path_;
  std::vector<uint8_t> original_;
};

// Table1 of an Access file gets thousands of rows, some changed, some deleted (one of
// Access's own among them): the file is sound, the table holds exactly the rows expected,
// and every page that is not the table's is byte for byte as Access wrote it; the global
// usage map changed only for the table's pages.
TEST_F(TableEditorTest, ChangesOneTableAndNoPageOfAnyOther) {
  std::vector<Row> expected;
  {
    const auto file = OpenFile(path_);
    PageWriter pages(*file, path_);
    TableEditor table(pages, kTable1, "Table1");
    std::vector<TableRow> rows = table.Rows();
    ASSERT_EQ(rows.size(), 2u);
    table.Delete(rows[1].where);
    expected.push_back(rows[0].cells);
    std::vector<RowPointer> added;
    for (int i = 0; i < 3000; ++i) {
      added.push_back(table.Insert(Table1Row(i)));
      expected.push_back(Table1Row(i));
    }
    for (int i = 0; i < 3000; i += 7) {
      Row row = Table1Row(i);
      row[1] = Cell{std::string(100, 'y')};
      table.Update(added[i], row);
      expected[i + 1] = row;
    }
    for (int i = 3; i < 3000; i += 10) {
      table.Delete(added[i]);
      expected[i + 1].clear();
    }
    table.Save();
    pages.Commit();
  }
  std::erase_if(expected, [](const Row& row) { return row.empty(); });

  const auto before = std::make_unique<PageFile>(MemorySource(original_));
  const auto after = OpenFile(path_);
  const StoredDatabase db = testing::ReadSoundDatabase(*after);
  const StoredTable* table = FindStoredTable(db, "Table1");
  ASSERT_NE(table, nullptr);
  ASSERT_EQ(table->rows.size(), expected.size());
  EXPECT_TRUE(std::is_permutation(table->rows.begin(), table->rows.end(), expected.begin()));
  EXPECT_EQ(table->definition.row_count, expected.size());

  std::set<uint32_t> table_pages = PagesOfTable(*before, kTable1);
  const std::set<uint32_t> now = PagesOfTable(*after, kTable1);
  table_pages.insert(now.begin(), now.end());
  const std::vector<uint8_t> written = ReadBytes(path_);
  size_t compared = 0;
  for (uint32_t page = 2; page < original_.size() / kPage; ++page) {
    if (table_pages.count(page)) continue;
    EXPECT_TRUE(std::equal(original_.begin() + page * kPage, original_.begin() + (page + 1) * kPage,
                           written.begin() + page * kPage))
        << "page " << page;
    ++compared;
  }
  EXPECT_GT(compared, 600u);
  std::set<uint32_t> changed_free;
  const std::set<uint32_t> free_before = FreePagesOf(*before), free_after = FreePagesOf(*after);
  std::set_symmetric_difference(free_before.begin(), free_before.end(), free_after.begin(),
                                free_after.end(), std::inserter(changed_free, changed_free.end()));
  for (uint32_t page : changed_free) EXPECT_TRUE(table_pages.count(page)) << "page " << page;
}

// What an index allows: no second row with the same key in a unique index, no null in a
// primary key; a value that does not fit, or a row too long, is refused before it is stored.
TEST_F(TableEditorTest, RefusesWhatTheTableCannotHold) {
  const auto file = OpenFile(path_);
  {
    PageWriter pages(*file, path_);
    TableEditor table(pages, kTable1, "Table1");
    Row twin = Table1Row(1);
    twin[0] = Cell{std::string("abcdefg")};  // the key of Access's first row
    table.Insert(twin);
    try {
      table.Save();
      ADD_FAILURE() << "saved";
    } catch (const JetError& e) {
      EXPECT_EQ(e.number(), 3022);
    }
  }
  {
    PageWriter pages(*file, path_);
    TableEditor table(pages, kTable1, "Table1");
    Row no_key = Table1Row(1);
    no_key[0] = Cell{};
    table.Insert(no_key);
    try {
      table.Save();
      ADD_FAILURE() << "saved";
    } catch (const JetError& e) {
      EXPECT_EQ(e.number(), 3058);
    }
  }
  {
    PageWriter pages(*file, path_);
    TableEditor table(pages, kTable1, "Table1");
    Row too_long = Table1Row(1);
    too_long[0] = Cell{std::string(51, 'a')};
    EXPECT_THROW(table.Insert(too_long), FormatError);
    Row wrong = Table1Row(1);
    wrong[2] = Cell{std::string("not a byte")};
    EXPECT_THROW(table.Insert(wrong), FormatError);
    EXPECT_THROW(table.Insert(Row(3)), FormatError);
    EXPECT_FALSE(table.changed());
    EXPECT_FALSE(pages.changed());
  }
  EXPECT_EQ(ReadBytes(path_), original_);
}

// A damaged table is never written to: an index entry that the rows do not give, or a
// data page of another table in its usage map, refuse the editor with 3343.
TEST_F(TableEditorTest, RefusesADamagedTable) {
  const auto file = OpenFile(path_);
  const TableDefinition def =
      ReadTableDefinition(*file, kTable1, TextDecoder(JetVersion::kJet4, 1252));
  const uint32_t leaf = def.real_indexes[0].first_page;
  const size_t key_byte = leaf * kPage + IndexPageLayoutFor(JetVersion::kJet4).entries_offset + 1;
  Patch(key_byte, {static_cast<uint8_t>(original_[key_byte] ^ 0x20)});
  JetError e = OpenError();
  EXPECT_EQ(e.number(), 3343);
  EXPECT_EQ(std::string(e.what()), "Unrecognized database format '" + path_ + "'.");

  Patch(key_byte, {static_cast<uint8_t>(original_[key_byte] ^ 0x20)});  // mended
  const std::vector<uint32_t> data_pages = ReadUsageMap(*file, def.owned_pages);
  Patch(data_pages[0] * kPage + kDataPageTableDefinitionOffset, {30, 0, 0, 0});  // Table2's
  EXPECT_EQ(OpenError().number(), 3343);
}

// An index over text under a sort order whose keys are not built here (Cyrillic, 1049) is
// never written: the editor refuses at once, naming the sort order.
TEST_F(TableEditorTest, RefusesATextIndexUnderASortOrderItCannotBuild) {
  const auto file = OpenFile(path_);
  const size_t column_a = kTable1 * kPage + kJet4Layout.tdef_blocks_offset +
                          2 * kJet4Layout.tdef_real_index_count_entry_size;
  ASSERT_EQ(original_[column_a], kTypeText);
  Patch(column_a + kJet4Layout.column_sort_order_offset, {0x19, 0x04});
  const JetError e = OpenError();
  EXPECT_EQ(e.number(), 0);
  EXPECT_NE(std::string(e.what()).find("1049"), std::string::npos) << e.what();
  EXPECT_NE(std::string(e.what()).find("Table1"), std::string::npos) << e.what();
  EXPECT_FALSE(std::filesystem::exists(JournalPath(path_)));
}

// Autonumbers: a null takes the next number, a number given moves the counter past it; the
// counter is kept in the definition.
TEST(TableEditorAutonumberTest, NumbersFollowTheLastGiven) {
  SKIP_WITHOUT_TEST_DATA();
  TempFolder folder;
  const std::string path = CopyTestFile(folder, "empty2003.mdb");
  {
    const auto file = OpenFile(path);
    PageWriter pages(*file, path);
    TableDescription description;
    description.name = "Counted";
    description.columns = {{.name = "Id", .type = kTypeLong, .autonumber = true},
                           {.name = "Key", .type = kTypeGuid, .autonumber = true}};
    const uint32_t page = CreateTable(pages, description, 45000);
    TableEditor table(pages, page, "Counted");
    table.Insert({Cell{}, Cell{}});
    table.Insert({Cell{int64_t{10}}, Cell{}});
    table.Insert({Cell{}, Cell{}});
    table.Save();
    pages.Commit();
  }
  const auto file = OpenFile(path);
  const StoredDatabase db = testing::ReadSoundDatabase(*file);
  const StoredTable* table = FindStoredTable(db, "Counted");
  ASSERT_NE(table, nullptr);
  std::vector<int64_t> ids;
  std::set<std::string> guids;
  for (const Row& row : table->rows) {
    ids.push_back(std::get<int64_t>(row[0]));
    guids.insert(std::get<std::string>(row[1]));
  }
  EXPECT_EQ(ids, (std::vector<int64_t>{1, 10, 11}));
  EXPECT_EQ(guids.size(), 3u);
  const StoredTableDefinition stored = ReadStoredTableDefinition(*file, table->definition.page);
  EXPECT_EQ(DecodeTableDefinitionExtras(ByteView(stored.bytes), kJet4Layout).next_autonumber, 11u);
}

// The counts Access keeps beside each index (its entries, its distinct keys) are what a
// save writes: every index of Access's tables whose counts are up to date (the first equals
// the table's rows) has the counts its rows give.
TEST(TableEditorCountsTest, IndexCountsAreAccessCounts) {
  SKIP_WITHOUT_TEST_DATA();
  size_t compared = 0;
  for (const auto& entry : std::filesystem::directory_iterator(testing::TestFile(""))) {
    if (entry.path().extension() != ".mdb") continue;
    const auto file = OpenFile(entry.path().string());
    if (file->header().version != JetVersion::kJet4) continue;
    for (const StoredTable& table : ReadDatabase(*file, {.user_table_rows = false}).tables) {
      if (table.linked) continue;
      const StoredTableDefinition stored = ReadStoredTableDefinition(*file, table.definition.page);
      const TableDefinitionExtras extras =
          DecodeTableDefinitionExtras(ByteView(stored.bytes), kJet4Layout);
      const RebuiltIndexes rebuilt = RebuildTableIndexes(*file, table.definition);
      for (size_t i = 0; i < extras.real_indexes.size(); ++i) {
        const auto& counts = extras.real_indexes[i].counts;
        if (counts[0] != rebuilt.rows || counts[0] == 0) continue;
        SCOPED_TRACE(entry.path().filename().string() + " " + table.object.name);
        EXPECT_EQ(counts[0], rebuilt.indexes[i].entries.size());
        EXPECT_EQ(counts[1], rebuilt.indexes[i].distinct_keys);
        ++compared;
      }
    }
  }
  EXPECT_GT(compared, 5u);
}

}  // namespace
}  // namespace dbaccess::mdb
