// The bytes of a rollback journal (page_journal.h): a head (a magic with the format
// version, the page size, the database file's old size, the number of records), one record
// per page (its number, then its old bytes), and a tail (a magic and an FNV-1a checksum of
// everything before it). Only a journal written whole decodes: one cut short, padded,
// damaged or of another format decodes to nothing.
#ifndef SKARNVEL_DBACCESS_STORAGE_MDB_PAGE_JOURNAL_FORMAT_H_
#define SKARNVEL_DBACCESS_STORAGE_MDB_PAGE_JOURNAL_FORMAT_H_

#include <cstdint>
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

}  // namespace dbaccess::mdb

#endif  // SKARNVEL_DBACCESS_STORAGE_MDB_PAGE_JOURNAL_FORMAT_H_
