#include "dbaccess/storage/mdb/page_journal_format.h"

#include <stdexcept>

namespace dbaccess::mdb {
namespace {

constexpr std::string_view kHeadMagic("SKJNL\0\0\1", 8);  // with the format version
constexpr std::string_view kTailMagic = "SKJNLEND";
constexpr size_t kHeadBytes = 8 + 4 + 8 + 4;  // magic, page size, old size, records
constexpr size_t kTailBytes = 8 + 8;          // magic, checksum
constexpr size_t kRecordHeadBytes = 4;        // the page number

uint64_t Checksum(std::string_view bytes) {  // FNV-1a
  uint64_t hash = 0xcbf29ce484222325ULL;
  for (unsigned char b : bytes) {
    hash ^= b;
    hash *= 0x100000001b3ULL;
  }
  return hash;
}

void PutLE(std::string& out, uint64_t v, int width) {
  for (int i = 0; i < width; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

uint64_t GetLE(std::string_view bytes, size_t at, int width) {
  uint64_t v = 0;
  for (int i = width - 1; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(bytes[at + i]);
  return v;
}

}  // namespace

std::string EncodeJournal(const Journal& journal) {
  std::string out(kHeadMagic);
  out.reserve(kHeadBytes + journal.records.size() * (kRecordHeadBytes + journal.page_size) +
              kTailBytes);
  PutLE(out, journal.page_size, 4);
  PutLE(out, journal.old_size, 8);
  PutLE(out, journal.records.size(), 4);
  for (const JournalRecord& record : journal.records) {
    if (record.bytes.size() != journal.page_size) {
      throw std::invalid_argument("journal record of another size than the page");
    }
    PutLE(out, record.page, 4);
    out += record.bytes;
  }
  const uint64_t sum = Checksum(out);
  out += kTailMagic;
  PutLE(out, sum, 8);
  return out;
}

std::optional<Journal> DecodeJournal(std::string_view bytes) {
  if (bytes.size() < kHeadBytes + kTailBytes || bytes.substr(0, kHeadMagic.size()) != kHeadMagic) {
    return {};
  }
  Journal journal;
  journal.page_size = GetLE(bytes, 8, 4);
  journal.old_size = GetLE(bytes, 12, 8);
  const uint64_t count = GetLE(bytes, 20, 4);
  if (journal.page_size == 0) return {};
  const uint64_t record_bytes = kRecordHeadBytes + journal.page_size;
  const uint64_t body = bytes.size() - kHeadBytes - kTailBytes;
  if (body % record_bytes != 0 || body / record_bytes != count) return {};
  const size_t tail = bytes.size() - kTailBytes;
  if (bytes.substr(tail, kTailMagic.size()) != kTailMagic ||
      GetLE(bytes, tail + kTailMagic.size(), 8) != Checksum(bytes.substr(0, tail))) {
    return {};
  }
  journal.records.reserve(count);
  for (size_t at = kHeadBytes; at < tail; at += record_bytes) {
    journal.records.push_back(
        {static_cast<uint32_t>(GetLE(bytes, at, 4)),
         std::string(bytes.substr(at + kRecordHeadBytes, journal.page_size))});
  }
  return journal;
}

}  // namespace dbaccess::mdb
