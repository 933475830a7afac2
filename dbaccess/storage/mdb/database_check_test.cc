#include "dbaccess/storage/mdb/database_check.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "dbaccess/ado/connection.h"
#include "dbaccess/base/jet_error.h"
#include "dbaccess/base/temp_folder_testing.h"
#include "dbaccess/files/database_file.h"
#include "dbaccess/storage/mdb/mdb_testing.h"
#include "dbaccess/storage/mdb/table_definition.h"
#include "dbaccess/storage/mdb/usage_map.h"

namespace dbaccess::mdb {
namespace {

using skarnvel_test::TestDataDir;

// Every file Access or the engine wrote is sound: row counts, long values, autonumbers and
// every index.
TEST(DatabaseCheck, EveryTestFileIsSound) {
  SKIP_WITHOUT_TEST_DATA();
  for (const auto& entry : std::filesystem::directory_iterator(TestDataDir())) {
    if (entry.path().extension() != ".mdb") continue;
    SCOPED_TRACE(entry.path().filename().string());
    const std::string password = entry.path().filename() == "V2000_with-password.mdb" ? "password"
                                 : entry.path().filename() == "password_ucanaccess.mdb"
                                     ? "ucanaccess"
                                     : "";
    const DatabaseCheckReport report = CheckDatabaseFile(entry.path().string(), password);
    for (const CheckFinding& finding : report.findings) ADD_FAILURE() << finding.ToString();
    EXPECT_GE(report.tables_checked, 4);  // the engine's own tables at least
    // Only Jet 3 files leave something unchecked (their index keys), and say so once.
    const bool jet3 = entry.path().filename().string().find("1997") != std::string::npos;
    EXPECT_EQ(report.notes.size(), jet3 ? 1u : 0u);
  }
}

TEST(DatabaseCheck, ReportsAWrongRowCount) {
  const std::string path = testing::TestFile("testV2000.mdb");
  if (!std::filesystem::exists(path)) GTEST_SKIP() << "test database not found: " << path;
  std::vector<uint8_t> bytes = testing::ReadBytes(path);
  const PageFile original(MemorySource(bytes));
  const std::vector<CatalogObject> tables = StoredTables(original);
  const auto user = std::find_if(tables.begin(), tables.end(), [](const CatalogObject& o) {
    return !o.system() && !o.access_system();
  });
  ASSERT_NE(user, tables.end());
  const size_t count_at = size_t(user->id) * 4096 + kJet4Layout.tdef_row_count_offset;
  testing::Put32(bytes, count_at, ByteView(bytes).U32(count_at) + 1);
  const DatabaseCheckReport report = CheckDatabase(PageFile(MemorySource(bytes)));
  ASSERT_EQ(report.findings.size(), 1u);
  EXPECT_NE(report.findings[0].message.find("counts"), std::string::npos);
  EXPECT_EQ(report.findings[0].page, static_cast<uint32_t>(user->id));
}

TEST(DatabaseCheck, ReportsAPageThatIsBothFreeAndOwned) {
  const std::string path = testing::TestFile("testV2000.mdb");
  if (!std::filesystem::exists(path)) GTEST_SKIP() << "test database not found: " << path;
  std::vector<uint8_t> bytes = testing::ReadBytes(path);
  const PageFile original(MemorySource(bytes));
  const TextDecoder text(JetVersion::kJet4, original.header().code_page);
  const TableDefinition catalog = ReadTableDefinition(original, kSystemCatalogPage, text);
  const uint32_t page = ReadUsageMap(original, catalog.owned_pages).front();

  // Mark the catalog's first data page free in the global map (an inline map on page 1).
  const ByteView page1 = ByteView(bytes).Sub(4096, 4096);
  const size_t row = page1.U16(kJet4Layout.data_row_table_offset) & kRowOffsetMask;
  ASSERT_EQ(page1.U8(row), kUsageMapInline);
  const uint32_t start = page1.U32(row + 1);
  ASSERT_GE(page, start);
  bytes[4096 + row + kUsageMapInlineBitmapOffset + (page - start) / 8] |=
      static_cast<uint8_t>(1u << ((page - start) % 8));
  const DatabaseCheckReport report = CheckDatabase(PageFile(MemorySource(bytes)));
  // The page is in the catalog's usage map and, having room, in its free-space map.
  ASSERT_FALSE(report.findings.empty());
  EXPECT_EQ(report.findings[0].ToString(), "table 'MSysObjects', page " + std::to_string(page) +
                                               ": page in the usage map is marked free");
  for (const CheckFinding& finding : report.findings) {
    EXPECT_EQ(finding.page, page) << finding.ToString();
  }
}

// A database of our own making with an AutoNumber key and memos, one of them long enough
// for a long value page of its own.
std::vector<uint8_t> DatabaseWithLongValues(const std::string& path) {
  DatabaseFile::CreateJet(path, "");
  {
    ado::Connection c;
    c.Open(ado::DatabaseLocation{path, ""});
    c.Execute("CREATE TABLE [Notes] ([Id] COUNTER CONSTRAINT [pk] PRIMARY KEY, [Body] MEMO)");
    c.Execute("INSERT INTO [Notes] ([Body]) VALUES ('short')");
    c.Execute("INSERT INTO [Notes] ([Body]) VALUES ('" + std::string(3000, 'x') + "')");
    c.Execute("INSERT INTO [Notes] ([Body]) VALUES ('" + std::string(9000, 'y') + "')");
  }
  DatabaseFile::ReleaseRetained();
  return testing::ReadBytes(path);
}

TEST(DatabaseCheck, ReportsAnAutonumberBelowTheRowsAndLongValuesThatCannotBeRead) {
  const dbaccess::testing::TempFolder folder;
  std::vector<uint8_t> bytes = DatabaseWithLongValues(folder.File("notes.mdb"));
  ASSERT_TRUE(CheckDatabase(PageFile(MemorySource(bytes))).sound());
  const PageFile original(MemorySource(bytes));
  uint32_t table = 0;
  for (const CatalogObject& o : StoredTables(original)) {
    if (o.name == "Notes") table = static_cast<uint32_t>(o.id);
  }
  ASSERT_NE(table, 0u);

  // The counter says 2 was the last number given out; the rows hold 3.
  std::vector<uint8_t> counter = bytes;
  constexpr size_t kLastAutonumberAt = 20;  // in the first page of a Jet 4 definition
  testing::Put32(counter, size_t{table} * 4096 + kLastAutonumberAt, 2);
  DatabaseCheckReport report = CheckDatabase(PageFile(MemorySource(counter)));
  ASSERT_EQ(report.findings.size(), 1u);
  EXPECT_EQ(report.findings[0].ToString(),
            "table 'Notes', page " + std::to_string(table) +
                ": the table definition's last autonumber is 2, below the largest value in the "
                "rows, 3");

  // The long value pages lose their rows: the memos kept there cannot be read.
  std::vector<uint8_t> broken = bytes;
  int long_value_pages = 0;
  for (uint32_t page = 2; page < original.page_count(); ++page) {
    const size_t at = size_t{page} * 4096;
    if (broken[at] == kPageData && std::memcmp(&broken[at + 4], "LVAL", 4) == 0) {
      broken[at + kJet4Layout.data_row_count_offset] = 0;
      broken[at + kJet4Layout.data_row_count_offset + 1] = 0;
      ++long_value_pages;
    }
  }
  ASSERT_GT(long_value_pages, 0);
  report = CheckDatabase(PageFile(MemorySource(broken)));
  ASSERT_FALSE(report.findings.empty());
  for (const CheckFinding& finding : report.findings) {
    EXPECT_EQ(finding.object, "table 'Notes', column 'Body'") << finding.ToString();
    EXPECT_NE(finding.message.find("cannot be read"), std::string::npos) << finding.ToString();
  }
}

TEST(DatabaseCheck, RefusesWhatIsNoDatabaseOrTheWrongPassword) {
  const std::string missing = ::testing::TempDir() + "/no-such-file.mdb";
  EXPECT_THROW(CheckDatabaseFile(missing, ""), JetError);
  const std::string path = testing::TestFile("V2000_with-password.mdb");
  if (!std::filesystem::exists(path)) GTEST_SKIP() << "test database not found: " << path;
  EXPECT_THROW(CheckDatabaseFile(path, "wrong"), JetError);
  const std::string junk = ::testing::TempDir() + "/junk.mdb";
  testing::WriteBytes(junk, std::vector<uint8_t>(8192, 0x41));
  EXPECT_THROW(CheckDatabaseFile(junk, ""), JetError);
  std::filesystem::remove(junk);
}

}  // namespace
}  // namespace dbaccess::mdb
