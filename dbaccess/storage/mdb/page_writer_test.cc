#include "dbaccess/storage/mdb/page_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>

#include "dbaccess/base/jet_error.h"
#include "dbaccess/base/temp_folder_testing.h"
#include "dbaccess/storage/mdb/data_page.h"
#include "dbaccess/storage/mdb/database_check.h"
#include "dbaccess/storage/mdb/database_reader.h"
#include "dbaccess/storage/mdb/long_value_writer.h"
#include "dbaccess/storage/mdb/mdb_testing.h"
#include "dbaccess/storage/mdb/new_database.h"
#include "dbaccess/storage/mdb/page_journal.h"
#include "dbaccess/storage/mdb/row_encoder.h"
#include "dbaccess/storage/mdb/table_rows.h"
#include "dbaccess/storage/mdb/usage_map.h"

namespace dbaccess::mdb {
namespace {

using dbaccess::testing::TempFolder;
using testing::ReadBytes;
using testing::TestFile;

std::set<uint32_t> FreePages(const std::string& path) {
  PageFile file(MemorySource(ReadBytes(path)));
  const std::vector<uint32_t> pages = ReadUsageMap(file, RowPointer{kGlobalUsageMapPage, 0});
  return std::set<uint32_t>(pages.begin(), pages.end());
}

class PageWriterTest : public ::testing::Test {
 protected:
  // A copy of a test file, or a skip when the test files are not there.
  std::string Copy(const std::string& name) {
    if (!std::filesystem::exists(TestFile(name))) return {};
    const std::string path = folder_.File(name);
    std::filesystem::copy_file(TestFile(name), path);
    return path;
  }
  TempFolder folder_;
};

// delColTestV2000.mdb has two free pages (22 and 27): they are used before the file grows,
// pages given back are free again, and every page not written stays as it was.
TEST_F(PageWriterTest, ReusesFreePagesThenGrowsAndLeavesOtherPagesAlone) {
  const std::string path = Copy("delColTestV2000.mdb");
  if (path.empty()) GTEST_SKIP() << "the real .mdb test files are not there";
  const std::vector<uint8_t> before = ReadBytes(path);
  const uint32_t old_count = static_cast<uint32_t>(before.size() / 4096);
  std::vector<uint32_t> allocated;
  {
    PageFile file(MemorySource(before));
    ASSERT_EQ(FreePages(path), (std::set<uint32_t>{22, 27}));
    PageWriter writer(file, path);
    for (int i = 0; i < 3; ++i) {
      const uint32_t page = writer.Allocate();
      writer.Edit(page)[0] = kPageData;
      writer.Edit(page)[100] = static_cast<uint8_t>(i + 1);
      allocated.push_back(page);
    }
    writer.Release(20);
    writer.Commit();
  }
  EXPECT_EQ(allocated, (std::vector<uint32_t>{22, 27, old_count}));
  EXPECT_EQ(FreePages(path), (std::set<uint32_t>{20}));
  const std::vector<uint8_t> after = ReadBytes(path);
  ASSERT_EQ(after.size(), before.size() + 4096);
  for (uint32_t page = 0; page < old_count; ++page) {
    if (page == 1 || page == 20 || page == 22 || page == 27) continue;
    EXPECT_TRUE(std::equal(before.begin() + page * 4096, before.begin() + (page + 1) * 4096,
                           after.begin() + page * 4096))
        << "page " << page << " changed";
  }
  EXPECT_EQ(after[old_count * 4096 + 100], 3);
}

// A page written into an encrypted database reads back as written.
TEST_F(PageWriterTest, EncryptsPagesAsTheFileDoes) {
  const std::string path = Copy("db-enc.mdb");
  if (path.empty()) GTEST_SKIP() << "the real .mdb test files are not there";
  uint32_t page = 0;
  {
    PageFile file(MemorySource(ReadBytes(path)));
    ASSERT_NE(file.header().database_key, 0u);
    PageWriter writer(file, path);
    page = writer.Allocate();
    Page& bytes = writer.Edit(page);
    bytes[0] = kPageData;
    for (size_t i = 1; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i);
    writer.Commit();
  }
  PageFile file(MemorySource(ReadBytes(path)));
  const auto back = file.Read(page);
  EXPECT_EQ((*back)[0], kPageData);
  EXPECT_EQ((*back)[4095], static_cast<uint8_t>(4095));
  EXPECT_NE(ReadBytes(path)[page * 4096 + 4095], static_cast<uint8_t>(4095));  // not in clear
}

TEST_F(PageWriterTest, Jet3FilesAreNotWritten) {
  const std::string path = Copy("testV1997.mdb");
  if (path.empty()) GTEST_SKIP() << "the real .mdb test files are not there";
  PageFile file(MemorySource(ReadBytes(path)));
  try {
    PageWriter writer(file, path);
    ADD_FAILURE() << "a writer for a Jet 3 file";
  } catch (const JetError& e) {
    EXPECT_EQ(e.number(), 3027);
    EXPECT_EQ(std::string(e.what()),
              "'" + path +
                  "' is an Access 97 (Jet 3) database, which can be read here but not changed; "
                  "it was not changed.  Convert it to the Access 2000 format in Access to "
                  "change it.");
  }
  EXPECT_EQ(ReadBytes(path), ReadBytes(TestFile("testV1997.mdb")));
}

// A change of a real file while Access has it open is refused, and the file stays byte for
// byte as it was; once Access has closed it (and removed its lock file) the same change
// goes through.
TEST_F(PageWriterTest, NothingIsWrittenWhileAccessHasTheDatabaseOpen) {
  const std::string path = Copy("delColTestV2000.mdb");
  if (path.empty()) GTEST_SKIP() << "the real .mdb test files are not there";
  const std::vector<uint8_t> before = ReadBytes(path);
  std::string record(64, '\0');
  record.replace(0, 8, "RECEPTION");
  record.replace(32, 5, "Admin");
  const std::string lock_file = folder_.Write("delColTestV2000.ldb", record);
  PageFile file(MemorySource(before));
  auto change = [&] {
    PageWriter writer(file, path);
    const uint32_t page = writer.Allocate();
    writer.Edit(page)[0] = kPageData;
    writer.Release(20);
    writer.Commit();
  };
  try {
    change();
    ADD_FAILURE() << "written while Access had the database open";
  } catch (const JetError& e) {
    EXPECT_EQ(e.number(), 3045);
    EXPECT_NE(std::string(e.what()).find("'" + lock_file + "'"), std::string::npos) << e.what();
  }
  EXPECT_EQ(ReadBytes(path), before);
  std::filesystem::remove(lock_file);
  change();
  EXPECT_NE(ReadBytes(path), before);
  EXPECT_EQ(FreePages(path), (std::set<uint32_t>{20, 27}));
}

// A change of a real file over many pages: rows added to a table (new data pages, its
// usage maps and row count), each with a memo on long value pages, one memo a chain over
// several pages, and the global usage map.
void AddRowsWithMemos(const std::string& path) {
  PageFile file(MemorySource(ReadBytes(path)));
  const StoredDatabase db = ReadDatabase(file);
  const auto table = std::find_if(db.tables.begin(), db.tables.end(),
                                  [](const StoredTable& t) { return t.object.name == "test"; });
  const TableDefinition& def = table->definition;
  PageWriter pages(file, path);
  LongValueWriter long_values(pages);
  TableRows rows(pages, def);
  for (int i = 0; i < 120; ++i) {
    Row row = table->rows.at(0);
    row[0] = Cell{std::string(i == 7 ? 30000 : 300, static_cast<char>('a' + i % 26))};
    std::vector<StoredField> fields;
    for (size_t c = 0; c < row.size(); ++c) {
      fields.push_back(EncodeField(def.columns[c], row[c], [&](const std::vector<uint8_t>& data) {
        return long_values.Store(data);
      }));
    }
    rows.Insert(EncodeRow(def, fields));
  }
  rows.Save();
  pages.Commit();
}

// The file at `path` is exactly `old` or exactly `now`, our reader reads it, and the check
// finds nothing.
void ExpectOldOrNew(const std::string& path, const std::vector<uint8_t>& old,
                    const std::vector<uint8_t>& now) {
  const std::vector<uint8_t> bytes = ReadBytes(path);
  EXPECT_TRUE(bytes == old || bytes == now) << "a third file";
  EXPECT_FALSE(std::filesystem::exists(JournalPath(path)));
  const PageFile file(MemorySource(bytes));
  EXPECT_NO_THROW(ReadDatabase(file));
  for (const CheckFinding& finding : CheckDatabase(file).findings) {
    ADD_FAILURE() << finding.ToString();
  }
}

// The journal's test storage driven through a real change: a crash (the process dies, a
// page torn) or a failure (the disk full in the middle of a page) at each of its steps,
// each page write in turn. After recovery the file is the old one or the new one, never a
// third; after a failure it is the old one at once.
TEST_F(PageWriterTest, ACrashOrAFailureAtAnyWriteOfARealChangeLeavesTheOldOrTheNewFile) {
  const std::string path = Copy("fixedNumericTestV2000.mdb");
  if (path.empty()) GTEST_SKIP() << "the real .mdb test files are not there";
  const std::vector<uint8_t> old = ReadBytes(path);
  size_t page_writes = 0;
  SetJournalCrashHookForTesting([&](JournalStep step, size_t) {
    page_writes += step == JournalStep::kPageWrite;
    return false;
  });
  AddRowsWithMemos(path);
  SetJournalCrashHookForTesting({});
  const std::vector<uint8_t> now = ReadBytes(path);
  ASSERT_GT(now.size(), old.size() + 10 * 4096);
  ASSERT_GT(page_writes, 10u);
  RecordProperty("page_writes", static_cast<int>(page_writes));
  ExpectOldOrNew(path, old, now);
  EXPECT_EQ(PageFile(MemorySource(now)).page_count(),
            PageFile(MemorySource(old)).page_count() + (now.size() - old.size()) / 4096);

  std::vector<std::pair<JournalStep, size_t>> steps = {{JournalStep::kJournalWrite, 0},
                                                       {JournalStep::kJournalSync, 0}};
  for (size_t k = 0; k < page_writes; ++k) steps.push_back({JournalStep::kPageWrite, k});
  steps.push_back({JournalStep::kFileSync, 0});
  steps.push_back({JournalStep::kJournalRemove, 0});
  for (const auto& [at_step, at_count] : steps) {
    SCOPED_TRACE("step " + std::to_string(static_cast<int>(at_step)) + " count " +
                 std::to_string(at_count));
    auto here = [&](JournalStep step, size_t count) {
      return step == at_step && count == at_count;
    };
    testing::WriteBytes(path, old);
    SetJournalCrashHookForTesting(here);
    EXPECT_THROW(AddRowsWithMemos(path), PageWriteCrash);
    SetJournalCrashHookForTesting({});
    RecoverJournal(path, 4096);
    ExpectOldOrNew(path, old, now);

    testing::WriteBytes(path, old);
    SetJournalFailureHookForTesting(
        [&](JournalStep step, size_t count) { return here(step, count) ? ENOSPC : 0; });
    try {
      AddRowsWithMemos(path);
      ADD_FAILURE() << "the change did not fail";
    } catch (const JetError& e) {
      EXPECT_EQ(e.number(), 3026);
    }
    SetJournalFailureHookForTesting({});
    EXPECT_EQ(ReadBytes(path), old);
    ExpectOldOrNew(path, old, now);
  }
}

// A change of more pages than the writer keeps in memory: the others wait in a temporary
// file, and the journal that undoes it is written and read back a piece at a time.
TEST_F(PageWriterTest, AChangeLargerThanItsMemoryIsWrittenAndUndoneWhole) {
  const std::string path = folder_.File("large.mdb");
  CreateDatabaseFile(path, "");
  constexpr uint32_t kPages = PageStore::kMemoryPages + 1500;
  const auto fill = [](Page& page, uint32_t number, uint8_t round) {
    for (size_t i = 0; i < page.size(); i += 4) {
      page[i] = kPageData;
      page[i + 1] = round;
      page[i + 2] = static_cast<uint8_t>(number);
      page[i + 3] = static_cast<uint8_t>(number >> 8);
    }
  };
  std::vector<uint32_t> numbers;
  {
    PageFile file(MemorySource(ReadBytes(path)));
    PageWriter writer(file, path);
    for (uint32_t i = 0; i < kPages; ++i) {
      numbers.push_back(writer.Allocate());
      fill(writer.Edit(numbers.back()), numbers.back(), 1);
    }
    EXPECT_GT(writer.spilled_pages(), 0u);
    writer.Commit();
  }
  const std::vector<uint8_t> first = ReadBytes(path);
  for (uint32_t number : {numbers.front(), numbers[kPages / 2], numbers.back()}) {
    Page expected(4096);
    fill(expected, number, 1);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), first.begin() + number * 4096L))
        << number;
  }

  const auto rewrite = [&] {
    PageFile file(MemorySource(ReadBytes(path)));
    PageWriter writer(file, path);
    for (uint32_t number : numbers) fill(writer.Edit(number), number, 2);
    writer.Commit();
  };
  SetJournalCrashHookForTesting([](JournalStep step, size_t count) {
    return step == JournalStep::kPageWrite && count == kPages - 10;
  });
  EXPECT_THROW(rewrite(), PageWriteCrash);
  SetJournalCrashHookForTesting({});
  EXPECT_TRUE(RecoverJournal(path, 4096));
  EXPECT_EQ(ReadBytes(path), first);

  SetJournalFailureHookForTesting([](JournalStep step, size_t count) {
    return step == JournalStep::kJournalWrite && count == 3 ? ENOSPC : 0;
  });
  EXPECT_THROW(rewrite(), JetError);
  SetJournalFailureHookForTesting({});
  EXPECT_FALSE(std::filesystem::exists(JournalPath(path)));
  EXPECT_EQ(ReadBytes(path), first);
  rewrite();
  const std::vector<uint8_t> second = ReadBytes(path);
  Page expected(4096);
  fill(expected, numbers.back(), 2);
  EXPECT_TRUE(
      std::equal(expected.begin(), expected.end(), second.begin() + numbers.back() * 4096L));
}

}  // namespace
}  // namespace dbaccess::mdb
