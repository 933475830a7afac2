// Our reader against an independent one: npm's mdb-reader (mdb_reader_testing.h) on every
// Jet 4 test file: the same user tables, the same columns (name, type, size) and the same
// rows. Skipped, with one line, where mdb-reader or the test files are not there.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>

#include "dbaccess/storage/mdb/database_reader.h"
#include "dbaccess/storage/mdb/mdb_reader_testing.h"
#include "dbaccess/storage/mdb/mdb_testing.h"

namespace dbaccess::mdb {
namespace {

namespace fs = std::filesystem;
using testing::MdbReaderTable;

std::string PasswordOf(const std::string& name) {
  if (name == "V2000_with-password.mdb") return "password";
  if (name == "password_ucanaccess.mdb") return "ucanaccess";
  return {};
}

bool UserTable(const StoredTable& table) {
  return !table.linked && !table.object.system() && !table.object.access_system();
}

// Our row in the order of mdb-reader's columns matches its row.
bool SameRow(const std::vector<const ColumnDefinition*>& columns,
             const std::vector<size_t>& our_index, const Row& ours,
             const std::vector<testing::Json>& theirs) {
  if (theirs.size() != columns.size()) return false;
  for (size_t i = 0; i < columns.size(); ++i) {
    if (!testing::SameValue(*columns[i], ours[our_index[i]], theirs[i])) return false;
  }
  return true;
}

void CompareTable(const StoredTable& ours, const MdbReaderTable& theirs) {
  SCOPED_TRACE("table " + ours.object.name);
  // Columns: the same names, each with the same type and size.
  std::map<std::string, size_t> by_name;
  for (size_t i = 0; i < ours.definition.columns.size(); ++i) {
    by_name[ours.definition.columns[i].name] = i;
  }
  ASSERT_EQ(theirs.columns.size(), ours.definition.columns.size());
  std::vector<const ColumnDefinition*> columns;
  std::vector<size_t> our_index;
  for (const testing::MdbReaderColumn& column : theirs.columns) {
    const auto found = by_name.find(column.name);
    ASSERT_NE(found, by_name.end()) << "column " << column.name << " only in mdb-reader";
    const ColumnDefinition& def = ours.definition.columns[found->second];
    EXPECT_EQ(testing::MdbReaderType(def.type), column.type) << column.name;
    // Both give the stored length; mdb-reader gives 0 for a boolean, Jet stores 1.
    if (def.type != kTypeBoolean) EXPECT_EQ(def.length, column.size) << column.name;
    columns.push_back(&def);
    our_index.push_back(found->second);
  }
  // Rows: the same, in any order (each of theirs matched with one of ours).
  ASSERT_EQ(theirs.rows.size(), ours.rows.size());
  std::vector<bool> matched(ours.rows.size(), false);
  size_t next = 0;  // usually both read the rows in the same order
  for (size_t r = 0; r < theirs.rows.size(); ++r) {
    size_t found = ours.rows.size();
    for (size_t tried = 0; tried < ours.rows.size(); ++tried) {
      const size_t i = (next + tried) % ours.rows.size();
      if (!matched[i] && SameRow(columns, our_index, ours.rows[i], theirs.rows[r])) {
        found = i;
        break;
      }
    }
    if (found == ours.rows.size()) {
      ADD_FAILURE() << "mdb-reader's row " << r << " is not among ours";
      continue;
    }
    matched[found] = true;
    next = found + 1;
  }
}

TEST(MdbReaderCompareTest, EveryJet4TestFileReadsTheSame) {
  SKIP_WITHOUT_TEST_DATA();
  SKIP_WITHOUT_MDB_READER();
  int files = 0;
  for (const auto& entry : fs::directory_iterator(skarnvel_test::TestDataDir())) {
    if (entry.path().extension() != ".mdb") continue;
    const std::string name = entry.path().filename().string();
    SCOPED_TRACE(name);
    const PageFile file(MemorySource(testing::ReadBytes(entry.path().string())));
    if (file.header().version != JetVersion::kJet4) continue;
    const StoredDatabase ours = ReadDatabase(file);
    std::vector<MdbReaderTable> theirs;
    try {
      theirs = testing::ReadWithMdbReader(entry.path().string(), PasswordOf(name));
    } catch (const std::runtime_error& e) {
      ADD_FAILURE() << e.what();
      continue;
    }
    std::set<std::string> our_names, their_names;
    for (const StoredTable& table : ours.tables) {
      if (UserTable(table)) our_names.insert(table.object.name);
    }
    for (const MdbReaderTable& table : theirs) their_names.insert(table.name);
    EXPECT_EQ(our_names, their_names);
    for (const MdbReaderTable& table : theirs) {
      for (const StoredTable& our : ours.tables) {
        if (our.object.name == table.name && UserTable(our)) CompareTable(our, table);
      }
    }
    ++files;
  }
  EXPECT_GE(files, 15);
}

}  // namespace
}  // namespace dbaccess::mdb
