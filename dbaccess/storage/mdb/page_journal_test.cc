#include "dbaccess/storage/mdb/page_journal.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <random>

#include "dbaccess/base/jet_error.h"
#include "dbaccess/base/temp_folder_testing.h"
#include "dbaccess/storage/atomic_file.h"
#include "dbaccess/storage/write_lock.h"

namespace dbaccess::mdb {
namespace {

using testing::TempFolder;
using Pages = std::map<uint32_t, std::vector<uint8_t>>;

constexpr size_t kPageSize = 64;

std::vector<uint8_t> Filled(uint8_t value) { return std::vector<uint8_t>(kPageSize, value); }

std::string Bytes(const std::string& path) { return ReadWholeFile(path); }

// The file as it is after `pages` are written over `old`.
std::string Applied(std::string old, const Pages& pages) {
  for (const auto& [number, bytes] : pages) {
    const size_t at = number * kPageSize;
    if (old.size() < at + kPageSize) old.resize(at + kPageSize, '\0');
    std::copy(bytes.begin(), bytes.end(), old.begin() + static_cast<std::ptrdiff_t>(at));
  }
  return old;
}

class PageJournalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::mt19937 random(7);
    old_.resize(5 * kPageSize);
    for (char& c : old_) c = static_cast<char>(random());
    path_ = folder_.Write("db.mdb", old_);
    // Two pages overwritten, one in the middle left alone, two added past the end.
    pages_ = {{1, Filled(0x11)}, {3, Filled(0x33)}, {5, Filled(0x55)}, {6, Filled(0x66)}};
  }
  void TearDown() override {
    SetJournalCrashHookForTesting({});
    SetJournalFailureHookForTesting({});
  }

  // Every step of writing pages_, each page write in turn.
  std::vector<std::pair<JournalStep, size_t>> Steps() const {
    std::vector<std::pair<JournalStep, size_t>> steps = {{JournalStep::kJournalWrite, 0},
                                                         {JournalStep::kJournalSync, 0}};
    for (size_t k = 0; k < pages_.size(); ++k) steps.push_back({JournalStep::kPageWrite, k});
    steps.push_back({JournalStep::kFileSync, 0});
    steps.push_back({JournalStep::kJournalRemove, 0});
    return steps;
  }

  TempFolder folder_;
  std::string old_;
  std::string path_;
  Pages pages_;
};

TEST_F(PageJournalTest, WritesThePagesAndLeavesNoJournal) {
  WritePagesAtomically(path_, kPageSize, pages_);
  EXPECT_EQ(Bytes(path_), Applied(old_, pages_));
  EXPECT_FALSE(std::filesystem::exists(JournalPath(path_)));
  EXPECT_FALSE(RecoverJournal(path_, kPageSize));
}

// A crash at every step of a change, each page write torn in the middle: after recovery the
// file is exactly the old one or exactly the new one, never a third.
TEST_F(PageJournalTest, ACrashAtAnyStepLeavesTheOldOrTheNewFile) {
  const std::string after = Applied(old_, pages_);
  for (const auto& [crash_step, crash_count] : Steps()) {
    folder_.Write("db.mdb", old_);
    SetJournalCrashHookForTesting(
        [&](JournalStep step, size_t count) { return step == crash_step && count == crash_count; });
    EXPECT_THROW(WritePagesAtomically(path_, kPageSize, pages_), PageWriteCrash);
    SetJournalCrashHookForTesting({});
    RecoverJournal(path_, kPageSize);
    const std::string now = Bytes(path_);
    EXPECT_TRUE(now == old_ || now == after)
        << "step " << static_cast<int>(crash_step) << " count " << crash_count;
    EXPECT_FALSE(std::filesystem::exists(JournalPath(path_)));
  }
}

// A write that fails at any step (the disk full in the middle of a page): the old file is
// back at once, no journal is left, and the error says why.
TEST_F(PageJournalTest, AFailureAtAnyStepPutsTheOldFileBackAtOnce) {
  for (const auto& [fail_step, fail_count] : Steps()) {
    SCOPED_TRACE("step " + std::to_string(static_cast<int>(fail_step)) + " count " +
                 std::to_string(fail_count));
    SetJournalFailureHookForTesting([&](JournalStep step, size_t count) {
      return step == fail_step && count == fail_count ? ENOSPC : 0;
    });
    try {
      WritePagesAtomically(path_, kPageSize, pages_);
      ADD_FAILURE() << "the write did not fail";
    } catch (const JetError& e) {
      EXPECT_EQ(e.number(), 3026);
      EXPECT_EQ(std::string(e.what()), "Not enough space on disk.");
    }
    EXPECT_EQ(Bytes(path_), old_);
    EXPECT_FALSE(std::filesystem::exists(JournalPath(path_)));
  }
  SetJournalFailureHookForTesting({});
  WritePagesAtomically(path_, kPageSize, pages_);
  EXPECT_EQ(Bytes(path_), Applied(old_, pages_));
}

TEST_F(PageJournalTest, TheNextWriteRecoversFirst) {
  SetJournalCrashHookForTesting(
      [](JournalStep step, size_t count) { return step == JournalStep::kPageWrite && count == 2; });
  EXPECT_THROW(WritePagesAtomically(path_, kPageSize, pages_), PageWriteCrash);
  SetJournalCrashHookForTesting({});
  const Pages one = {{0, Filled(0x01)}};
  WritePagesAtomically(path_, kPageSize, one);
  EXPECT_EQ(Bytes(path_), Applied(old_, one));
}

TEST_F(PageJournalTest, AJournalThatDoesNotFitTheFileIsRefusedAndKept) {
  SetJournalCrashHookForTesting(
      [](JournalStep step, size_t) { return step == JournalStep::kFileSync; });
  EXPECT_THROW(WritePagesAtomically(path_, kPageSize, pages_), PageWriteCrash);
  SetJournalCrashHookForTesting({});
  try {
    RecoverJournal(path_, 2 * kPageSize);
    ADD_FAILURE() << "a journal of another page size was used";
  } catch (const JetError& e) {
    EXPECT_EQ(e.number(), 3343);
  }
  EXPECT_TRUE(std::filesystem::exists(JournalPath(path_)));
  EXPECT_TRUE(RecoverJournal(path_, kPageSize));
  EXPECT_EQ(Bytes(path_), old_);
}

TEST_F(PageJournalTest, AGarbledJournalIsRemovedAndTheFileLeftAlone) {
  constexpr char kGarbled[] = "SKJNL\0\0\1 not a journal at all";
  folder_.Write("db.mdb-journal", std::string(kGarbled, sizeof kGarbled - 1));
  EXPECT_FALSE(RecoverJournal(path_, kPageSize));
  EXPECT_EQ(Bytes(path_), old_);
  EXPECT_FALSE(std::filesystem::exists(JournalPath(path_)));
}

// While Access's lock file lies beside the database, nothing is written and no journal is
// rolled back; our own (empty) lock file, held by this thread or left behind, does not count.
TEST_F(PageJournalTest, NothingIsWrittenWhileAccessHasTheDatabaseOpen) {
  std::string record(64, '\0');
  record.replace(0, 11, "PC-ACCOUNTS");
  record.replace(32, 5, "Admin");
  const std::string lock_file = folder_.Write("db.ldb", record);
  try {
    WritePagesAtomically(path_, kPageSize, pages_);
    ADD_FAILURE() << "written while Access had the database open";
  } catch (const JetError& e) {
    EXPECT_EQ(e.number(), 3045);
    EXPECT_NE(std::string(e.what()).find("'" + lock_file + "'"), std::string::npos) << e.what();
  }
  EXPECT_EQ(Bytes(path_), old_);
  EXPECT_EQ(Bytes(lock_file), record);
  EXPECT_FALSE(std::filesystem::exists(JournalPath(path_)));

  // A change cut short before Access opened the database: not rolled back under Access.
  std::filesystem::remove(lock_file);
  SetJournalCrashHookForTesting(
      [](JournalStep step, size_t count) { return step == JournalStep::kPageWrite && count == 1; });
  EXPECT_THROW(WritePagesAtomically(path_, kPageSize, pages_), PageWriteCrash);
  SetJournalCrashHookForTesting({});
  const std::string torn = Bytes(path_);
  const std::string journal = Bytes(JournalPath(path_));
  folder_.Write("db.ldb", record);
  EXPECT_THROW(RecoverJournal(path_, kPageSize), JetError);
  EXPECT_THROW(WritePagesAtomically(path_, kPageSize, pages_), JetError);
  EXPECT_EQ(Bytes(path_), torn);
  EXPECT_EQ(Bytes(JournalPath(path_)), journal);

  // Our own lock file, left empty by a killed writer: taken over.
  folder_.Write("db.ldb", "");
  EXPECT_TRUE(RecoverJournal(path_, kPageSize));
  EXPECT_EQ(Bytes(path_), old_);
  {
    WriteLock held(path_);  // a writer that locks the database for a whole change
    WritePagesAtomically(path_, kPageSize, pages_);
    EXPECT_TRUE(std::filesystem::exists(lock_file));
  }
  EXPECT_EQ(Bytes(path_), Applied(old_, pages_));
  EXPECT_FALSE(std::filesystem::exists(lock_file));
}

}  // namespace
}  // namespace dbaccess::mdb
