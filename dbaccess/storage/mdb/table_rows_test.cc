#include "dbaccess/storage/mdb/table_rows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "dbaccess/base/temp_folder_testing.h"
#include "dbaccess/storage/mdb/database_reader.h"
#include "dbaccess/storage/mdb/mdb_testing.h"
#include "dbaccess/storage/mdb/row_encoder.h"
#include "dbaccess/storage/mdb/usage_map.h"

namespace dbaccess::mdb {
namespace {

using dbaccess::testing::TempFolder;
using testing::ReadBytes;
using testing::TestFile;

const StoredTable& Table(const StoredDatabase& db, const std::string& name) {
  for (const StoredTable& table : db.tables) {
    if (table.object.name == name) return table;
  }
  throw std::runtime_error("no table " + name);
}

std::vector<uint8_t> Encoded(const TableDefinition& def, const Row& row) {
  std::vector<StoredField> fields;
  for (size_t i = 0; i < row.size(); ++i) fields.push_back(EncodeField(def.columns[i], row[i]));
  return EncodeRow(def, fields);
}

// Table1 of testV2000.mdb: thousands of rows added, some deleted, some grown until they
// must move; read back, the table has exactly the rows expected, its row count and usage
// maps agree, and no other table changed.
TEST(TableRowsTest, InsertsDeletesAndReplacesRowsOfARealTable) {
  if (!std::filesystem::exists(TestFile("testV2000.mdb"))) {
    GTEST_SKIP() << "the real .mdb test files are not there";
  }
  TempFolder folder;
  const std::string path = folder.File("test.mdb");
  std::filesystem::copy_file(TestFile("testV2000.mdb"), path);
  PageFile file(MemorySource(ReadBytes(path)));
  const StoredDatabase before = ReadDatabase(file);
  const StoredTable& table = Table(before, "Table1");
  const TableDefinition& def = table.definition;
  std::vector<Row> expected = table.rows;
  {
    PageWriter pages(file, path);
    TableRows rows(pages, def);
    std::vector<RowPointer> added;
    for (int i = 0; i < 3000; ++i) {
      Row row = table.rows[0];
      row[0] = Cell{"row " + std::to_string(i)};
      row[3] = Cell{int64_t{i % 30000}};
      added.push_back(rows.Insert(Encoded(def, row)));
      expected.push_back(row);
    }
    for (int i = 0; i < 3000; i += 100) {  // deleted
      rows.Delete(added[i]);
      expected[table.rows.size() + i].clear();
    }
    for (int i = 50; i < 3000; i += 100) {  // grown to the column's limit: some move
      Row row = expected[table.rows.size() + i];
      row[1] = Cell{std::string(100, static_cast<char>('a' + i % 26))};
      rows.Replace(added[i], Encoded(def, row));
      expected[table.rows.size() + i] = row;
    }
    rows.Save();
    pages.Commit();
  }
  expected.erase(
      std::remove_if(expected.begin(), expected.end(), [](const Row& row) { return row.empty(); }),
      expected.end());

  PageFile after(MemorySource(ReadBytes(path)));
  const StoredDatabase read = ReadDatabase(after);
  const StoredTable& changed = Table(read, "Table1");
  ASSERT_EQ(changed.rows.size(), expected.size());
  EXPECT_TRUE(std::is_permutation(changed.rows.begin(), changed.rows.end(), expected.begin()));
  EXPECT_EQ(changed.definition.row_count, expected.size());
  const std::vector<uint32_t> owned = ReadUsageMap(after, changed.definition.owned_pages);
  for (uint32_t page : ReadUsageMap(after, changed.definition.free_pages)) {
    EXPECT_TRUE(std::binary_search(owned.begin(), owned.end(), page)) << page;
  }
  for (const StoredTable& other : read.tables) {
    if (other.object.name != "Table1") {
      EXPECT_EQ(other.rows, Table(before, other.object.name).rows);
    }
  }
  // A deleted row is left as Jet leaves it: no bytes, both flags; the data of a moved row
  // has the deleted flag alone.
  int deleted = 0, moved = 0;
  for (uint32_t page : owned) {
    const auto bytes = after.Read(page);
    const ByteView view(*bytes);
    for (int row = 0; row < DataPageRowCount(view, kJet4Layout); ++row) {
      const RowSlot slot = DataPageRowSlot(view, row, kJet4Layout);
      if (slot.deleted && slot.overflow) {
        EXPECT_EQ(slot.start, slot.end) << "page " << page << " row " << row;
        ++deleted;
      } else if (slot.deleted) {
        ++moved;
      }
    }
  }
  EXPECT_EQ(deleted, 30);
  EXPECT_GT(moved, 0);
}

TEST(TableRowsTest, ARowNoPageHoldsIsRefusedAndNothingIsWritten) {
  if (!std::filesystem::exists(TestFile("testV2000.mdb"))) {
    GTEST_SKIP() << "the real .mdb test files are not there";
  }
  TempFolder folder;
  const std::string path = folder.File("test.mdb");
  std::filesystem::copy_file(TestFile("testV2000.mdb"), path);
  PageFile file(MemorySource(ReadBytes(path)));
  const StoredDatabase db = ReadDatabase(file, ReadOptions{.user_table_rows = false});
  PageWriter pages(file, path);
  TableRows rows(pages, Table(db, "Table1").definition);
  EXPECT_NO_THROW(rows.Insert(std::vector<uint8_t>(MaxRowBytes(kJet4Layout), 1)));
  EXPECT_THROW(rows.Insert(std::vector<uint8_t>(MaxRowBytes(kJet4Layout) + 1, 1)), FormatError);
  EXPECT_EQ(ReadBytes(path), ReadBytes(TestFile("testV2000.mdb")));  // nothing committed
}

}  // namespace
}  // namespace dbaccess::mdb
