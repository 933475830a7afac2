// libFuzzer target for rolling back a journal (page_journal.h): a fuzzed journal beside a
// small database file. Recovery never crashes and leaves no third state: it puts back
// exactly the journal's pages and cuts the file to the journal's old size (returning
// true), or removes a journal that is incomplete and leaves the file alone (false), or
// refuses a journal that does not fit the file (3343) and leaves both alone.
//
// The first byte picks how the journal is made: from the input as it is, or encoded from
// the input's fields (so that its checksum holds) and then, as the second byte says, cut
// short or with one byte changed.
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "dbaccess/base/jet_error.h"
#include "dbaccess/storage/atomic_file.h"
#include "dbaccess/storage/mdb/page_journal.h"
#include "dbaccess/storage/mdb/page_journal_format.h"

namespace {

using namespace dbaccess;
using namespace dbaccess::mdb;

constexpr size_t kPageSize = 64;
constexpr size_t kFilePages = 4;

const std::string& Folder() {
  static const std::string folder = [] {
    std::string pattern =
        (std::filesystem::exists("/dev/shm") ? std::string("/dev/shm")
                                             : std::filesystem::temp_directory_path().string()) +
        "/skarnvel-journal-fuzz-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) abort();
    return pattern;
  }();
  return folder;
}

void Write(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) abort();
}

std::string OriginalFile() {
  std::string bytes(kFilePages * kPageSize, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 + 3);
  return bytes;
}

// The journal the input makes.
std::string JournalOf(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  if (size < 2 || data[0] % 2 == 0) return std::string(input.substr(size > 0 ? 1 : 0));
  // page size (a fitting one, mostly), old size, then records: page number byte + page.
  if (size < 4) return {};
  Journal journal{data[2] % 4 == 0 ? size_t{32} : kPageSize, 0, {}};
  journal.old_size = data[3] * 4u;
  for (size_t at = 4; at + 1 + journal.page_size <= size; at += 1 + journal.page_size) {
    journal.records.push_back({static_cast<uint32_t>(data[at] % 8),
                               std::string(input.substr(at + 1, journal.page_size))});
  }
  std::string bytes = EncodeJournal(journal);
  const uint8_t how = data[1];
  if (how % 4 == 1) bytes.resize(bytes.size() * (how / 4) / 64);
  if (how % 4 == 2) bytes[(how / 4) * 7 % bytes.size()] ^= 0x10;
  return bytes;
}

// The file after the journal's records are put back and it is cut to the old size.
std::string RolledBack(std::string file, const Journal& journal) {
  for (const JournalRecord& record : journal.records) {
    const size_t at = record.page * journal.page_size;
    if (file.size() < at + record.bytes.size()) file.resize(at + record.bytes.size(), '\0');
    file.replace(at, record.bytes.size(), record.bytes);
  }
  file.resize(journal.old_size, '\0');
  return file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = Folder() + "/db.mdb";
  const std::string journal_path = JournalPath(path);
  const std::string original = OriginalFile();
  const std::string journal = JournalOf(data, size);
  Write(path, original);
  Write(journal_path, journal);
  const std::optional<Journal> decoded = DecodeJournal(journal);
  bool rolled_back = false;
  bool refused = false;
  try {
    rolled_back = RecoverJournal(path, kPageSize);
  } catch (const JetError& e) {
    if (e.number() != 3343) __builtin_trap();
    refused = true;
  }
  const bool journal_left = std::filesystem::exists(journal_path);
  const std::string now = ReadWholeFile(path);
  if (refused) {
    if (!journal_left || now != original || !decoded) __builtin_trap();
  } else if (rolled_back) {
    if (journal_left || !decoded || now != RolledBack(original, *decoded)) __builtin_trap();
  } else {
    if (journal_left || now != original || decoded) __builtin_trap();
  }
  std::filesystem::remove(journal_path);
  return 0;
}
