#include "dbaccess/storage/mdb/page_journal.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "dbaccess/base/jet_error.h"
#include "dbaccess/base/temp_folder_testing.h"
#include "dbaccess/storage/atomic_file.h"

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
  void TearDown() override { SetJournalCrashHookForTesting({}); }

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
  struct Crash {
    JournalStep step;
    size_t count;
  };
  std::vector<Crash> crashes = {{JournalStep::kJournalWrite, 0}, {JournalStep::kJournalSync, 0}};
  for (size_t k = 0; k < pages_.size(); ++k) crashes.push_back({JournalStep::kPageWrite, k});
  crashes.push_back({JournalStep::kFileSync, 0});
  crashes.push_back({JournalStep::kJournalRemove, 0});
  for (const Crash& crash : crashes) {
    folder_.Write("db.mdb", old_);
    SetJournalCrashHookForTesting(
        [&](JournalStep step, size_t count) { return step == crash.step && count == crash.count; });
    EXPECT_THROW(WritePagesAtomically(path_, kPageSize, pages_), PageWriteCrash);
    SetJournalCrashHookForTesting({});
    RecoverJournal(path_, kPageSize);
    const std::string now = Bytes(path_);
    EXPECT_TRUE(now == old_ || now == after)
        << "step " << static_cast<int>(crash.step) << " count " << crash.count;
    EXPECT_FALSE(std::filesystem::exists(JournalPath(path_)));
  }
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
  folder_.Write("db.mdb-journal", std::string("SKJNL\0\0\1 not a journal at all", 31));
  EXPECT_FALSE(RecoverJournal(path_, kPageSize));
  EXPECT_EQ(Bytes(path_), old_);
  EXPECT_FALSE(std::filesystem::exists(JournalPath(path_)));
}

}  // namespace
}  // namespace dbaccess::mdb
