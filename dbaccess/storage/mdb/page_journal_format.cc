#include "dbaccess/storage/mdb/page_journal_format.h"

#include <algorithm>
#include <stdexcept>

namespace dbaccess::mdb {
namespace {

constexpr std::string_view kHeadMagic("SKJNL\0\0\1", 8);  // with the format version
constexpr std::string_view kTailMagic = "SKJNLEND";
constexpr size_t kHeadBytes = 8 + 4 + 8 + 4;                  // magic, page size, old size, records
constexpr size_t kTailBytes = 8 + 8;                          // magic, checksum
constexpr size_t kRecordHeadBytes = kJournalRecordHeadBytes;  // the page number

constexpr uint64_t kChecksumStart = 0xcbf29ce484222325ULL;  // FNV-1a

uint64_t Checksum(uint64_t hash, std::string_view bytes) {
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
  std::string out;
  out.reserve(kHeadBytes + journal.records.size() * (kRecordHeadBytes + journal.page_size) +
              kTailBytes);
  JournalEncoder encoder(journal.page_size, journal.old_size,
                         static_cast<uint32_t>(journal.records.size()),
                         [&out](std::string_view bytes) { out += bytes; });
  for (const JournalRecord& record : journal.records) encoder.Add(record.page, record.bytes);
  encoder.Finish();
  return out;
}

JournalEncoder::JournalEncoder(size_t page_size, uint64_t old_size, uint32_t records, Sink sink)
    : page_size_(page_size),
      records_left_(records),
      sink_(std::move(sink)),
      checksum_(kChecksumStart) {
  std::string head(kHeadMagic);
  PutLE(head, page_size, 4);
  PutLE(head, old_size, 8);
  PutLE(head, records, 4);
  Put(head);
}

void JournalEncoder::Put(std::string_view bytes) {
  checksum_ = Checksum(checksum_, bytes);
  sink_(bytes);
}

void JournalEncoder::Add(uint32_t page, std::string_view bytes) {
  if (bytes.size() != page_size_) {
    throw std::invalid_argument("journal record of another size than the page");
  }
  if (records_left_ == 0) throw std::invalid_argument("more journal records than announced");
  --records_left_;
  std::string number;
  PutLE(number, page, 4);
  Put(number);
  Put(bytes);
}

void JournalEncoder::Finish() {
  if (records_left_ != 0) throw std::invalid_argument("fewer journal records than announced");
  std::string tail(kTailMagic);
  PutLE(tail, checksum_, 8);
  sink_(tail);
}

uint64_t JournalRecordOffset(const JournalHead& head, uint64_t i) {
  return kHeadBytes + i * (kRecordHeadBytes + head.page_size);
}

std::optional<JournalHead> CheckJournal(uint64_t size, const JournalBytes& read) {
  if (size < kHeadBytes + kTailBytes) return {};
  std::string head(kHeadBytes, '\0');
  read(0, kHeadBytes, head.data());
  if (std::string_view(head).substr(0, kHeadMagic.size()) != kHeadMagic) return {};
  JournalHead out{GetLE(head, 8, 4), GetLE(head, 12, 8), GetLE(head, 20, 4)};
  if (out.page_size == 0) return {};
  const uint64_t record_bytes = kRecordHeadBytes + out.page_size;
  const uint64_t body = size - kHeadBytes - kTailBytes;
  if (body % record_bytes != 0 || body / record_bytes != out.records) return {};
  const uint64_t tail_at = size - kTailBytes;
  std::string tail(kTailBytes, '\0');
  read(tail_at, kTailBytes, tail.data());
  if (std::string_view(tail).substr(0, kTailMagic.size()) != kTailMagic) return {};
  constexpr size_t kChunk = size_t{1} << 20;
  std::string chunk;
  uint64_t sum = kChecksumStart;
  for (uint64_t at = 0; at < tail_at; at += chunk.size()) {
    chunk.resize(static_cast<size_t>(std::min<uint64_t>(kChunk, tail_at - at)));
    read(at, chunk.size(), chunk.data());
    sum = Checksum(sum, chunk);
  }
  if (GetLE(tail, kTailMagic.size(), 8) != sum) return {};
  return out;
}

std::optional<Journal> DecodeJournal(std::string_view bytes) {
  const std::optional<JournalHead> head =
      CheckJournal(bytes.size(), [bytes](uint64_t offset, size_t length, char* out) {
        bytes.substr(static_cast<size_t>(offset), length).copy(out, length);
      });
  if (!head) return {};
  Journal journal{head->page_size, head->old_size, {}};
  journal.records.reserve(head->records);
  for (uint64_t i = 0; i < head->records; ++i) {
    const size_t at = static_cast<size_t>(JournalRecordOffset(*head, i));
    journal.records.push_back({static_cast<uint32_t>(GetLE(bytes, at, 4)),
                               std::string(bytes.substr(at + kRecordHeadBytes, head->page_size))});
  }
  return journal;
}

}  // namespace dbaccess::mdb
