#include "dbaccess/storage/mdb/page_journal_format.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace dbaccess::mdb {
namespace {

Journal Sample() {
  return Journal{8, 40, {{1, "abcdefgh"}, {3, std::string(8, '\0')}, {0, "12345678"}}};
}

TEST(PageJournalFormatTest, RoundTrips) {
  EXPECT_EQ(DecodeJournal(EncodeJournal(Sample())), Sample());
  const Journal empty{4096, 0, {}};
  EXPECT_EQ(DecodeJournal(EncodeJournal(empty)), empty);
}

// Whatever part of the journal a crash left, or a damaged byte anywhere: nothing decodes.
TEST(PageJournalFormatTest, OnlyAWholeUndamagedJournalDecodes) {
  const std::string whole = EncodeJournal(Sample());
  for (size_t cut = 0; cut < whole.size(); ++cut) {
    EXPECT_EQ(DecodeJournal(whole.substr(0, cut)), std::nullopt) << cut;
  }
  EXPECT_EQ(DecodeJournal(whole + '\0'), std::nullopt);
  for (size_t at = 0; at < whole.size(); ++at) {
    std::string damaged = whole;
    damaged[at] = static_cast<char>(damaged[at] ^ 0x20);
    EXPECT_EQ(DecodeJournal(damaged), std::nullopt) << at;
  }
}

TEST(PageJournalFormatTest, ARecordMustHoldOnePage) {
  Journal journal = Sample();
  journal.records[1].bytes.pop_back();
  EXPECT_THROW(EncodeJournal(journal), std::invalid_argument);
}

// Written in pieces, a journal is the same bytes; it must hold the records its head announces.
TEST(PageJournalFormatTest, APieceByPieceJournalHoldsWhatItsHeadAnnounces) {
  std::string pieces;
  const auto sink = [&pieces](std::string_view bytes) { pieces += bytes; };
  JournalEncoder encoder(8, 40, 3, sink);
  for (const JournalRecord& record : Sample().records) encoder.Add(record.page, record.bytes);
  encoder.Finish();
  EXPECT_EQ(pieces, EncodeJournal(Sample()));
  EXPECT_THROW(encoder.Add(4, "12345678"), std::invalid_argument);

  JournalEncoder short_one(8, 40, 2, sink);
  short_one.Add(1, "abcdefgh");
  EXPECT_THROW(short_one.Finish(), std::invalid_argument);
}

}  // namespace
}  // namespace dbaccess::mdb
