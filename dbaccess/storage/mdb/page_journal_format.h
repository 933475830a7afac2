// The bytes of a rollback journal (page_journal.h): a head (a magic with the format
// version, the page size, the database file's old size, the number of records), one record
// per page (its number, then its old bytes), and a tail (a magic and an FNV-1a checksum of
// everything before it). Only a journal written whole decodes: one cut short, padded,
// damaged or of another format decodes to nothing.
//
// A journal as large as the change it undoes is written piece by piece (JournalEncoder) and
// read where it lies (CheckJournal, then each record), never held whole.
#ifndef SKARNVEL_DBACCESS_STORAGE_MDB_PAGE_JOURNAL_FORMAT_H_
#define SKARNVEL_DBACCESS_STORAGE_MDB_PAGE_JOURNAL_FORMAT_H_

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dbaccess::mdb {

struct JournalRecord {
  uint32_t page = 0;
  std::string bytes;  // the page's old bytes, page_size of them

  bool operator==(const JournalRecord&) const = default;
};

struct Journal {
  size_t page_size = 0;
  uint64_t old_size = 0;  // the database file's size before the change
  std::vector<JournalRecord> records;

  bool operator==(const Journal&) const = default;
};

// Every record must hold page_size bytes (std::invalid_argument otherwise).
std::string EncodeJournal(const Journal& journal);
std::optional<Journal> DecodeJournal(std::string_view bytes);

// The bytes of EncodeJournal, given to `sink` in order: Add each of the `records` records
// announced, then Finish. std::invalid_argument for a record of another size than the page,
// or more or fewer records than announced.
class JournalEncoder {
 public:
  using Sink = std::function<void(std::string_view)>;
  JournalEncoder(size_t page_size, uint64_t old_size, uint32_t records, Sink sink);
  void Add(uint32_t page, std::string_view bytes);
  void Finish();

 private:
  void Put(std::string_view bytes);

  size_t page_size_;
  uint32_t records_left_;
  Sink sink_;
  uint64_t checksum_;
};

// A journal's head, once the whole journal has been found complete.
struct JournalHead {
  size_t page_size = 0;
  uint64_t old_size = 0;
  uint64_t records = 0;
};

// Reads exactly `length` bytes of the journal at `offset`.
using JournalBytes = std::function<void(uint64_t offset, size_t length, char* out)>;

// Checks a journal of `size` bytes, read through `read` a piece at a time, as DecodeJournal
// does: its head if it is whole, nothing otherwise.
std::optional<JournalHead> CheckJournal(uint64_t size, const JournalBytes& read);
// Where record `i` starts (its page number; the old bytes follow).
uint64_t JournalRecordOffset(const JournalHead& head, uint64_t i);
constexpr size_t kJournalRecordHeadBytes = 4;

}  // namespace dbaccess::mdb

#endif  // SKARNVEL_DBACCESS_STORAGE_MDB_PAGE_JOURNAL_FORMAT_H_
