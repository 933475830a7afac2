#include "dbaccess/storage/mdb/header_encoder.h"

#include <cstring>

#include "dbaccess/base/ole_date.h"
#include "dbaccess/storage/mdb/index_key.h"
#include "dbaccess/storage/mdb/text_codec.h"

namespace dbaccess::mdb {
namespace {

constexpr uint8_t kHeaderPageStart[4] = {kPageHeader, 0x01, 0x00, 0x00};
constexpr char kJetEngineName[] = "Standard Jet DB";  // and its terminating zero
constexpr uint32_t kHeaderVersionJet4Word = kHeaderVersionJet4;

// Bytes 0x18 to 0x2F, the same in every file we have, Jet 3 and Jet 4; meaning unknown.
constexpr int kHeaderFixedBlockOffset = 0x18;
constexpr uint8_t kHeaderFixedBlock[24] = {0x00, 0x01, 0x00, 0x00, 0x01, 0x01, 0x00, 0x00,
                                           0x02, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00,
                                           0x04, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0x00};

constexpr int kSortOrderVersionOffset = kHeaderJet4SortOrderOffset + 3;

// After the masked area: a number of unknown meaning and the engine's version text.
constexpr int kHeaderUnknownNumberOffset = 0x98;
constexpr uint32_t kHeaderUnknownNumber = 0x0654;
constexpr int kHeaderVersionTextOffset = 0x9C;
constexpr char kHeaderVersionText[] = "4.0";  // and its terminating zero

// The counters in the last 512 bytes of the page, as a new file has them.
constexpr int kHeaderCountersOffset = 0xE00;
constexpr int kHeaderCounterCount = 256;
constexpr uint16_t kHeaderFirstCounter = 0x0101;
constexpr uint16_t kHeaderOtherCounters = 0x0100;

void Put(Page& page, size_t offset, uint64_t value, size_t size) {
  for (size_t i = 0; i < size; ++i) page[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

void PutBytes(Page& page, size_t offset, const void* bytes, size_t size) {
  std::memcpy(page.data() + offset, bytes, size);
}

}  // namespace

Header NewDatabaseHeader(double creation_date) {
  Header header;
  header.version = JetVersion::kJet4;
  header.code_page = kDefaultCodePage;
  header.sort_order = kGeneralSortOrder;
  header.sort_order_version = kGeneralLegacySortOrderVersion;
  header.database_key = 0;
  header.creation_date = creation_date;
  header.engine_build = kNewDatabaseEngineBuild;
  return header;
}

Page EncodeHeader(const Header& header, std::string_view password) {
  if (header.version != JetVersion::kJet4) {
    throw FormatError("only Jet 4 headers are written");
  }
  if (!(header.creation_date >= kMinOleDate && header.creation_date <= kMaxOleDate)) {
    throw FormatError("the creation date is not a date");
  }
  if (Utf8ToUtf16(password).find(u'\0') != std::u16string::npos) {
    throw FormatError("a password cannot hold the character U+0000");
  }
  const Layout& layout = header.layout();
  Page page(layout.page_size, 0);
  PutBytes(page, 0, kHeaderPageStart, sizeof kHeaderPageStart);
  PutBytes(page, kHeaderEngineNameOffset, kJetEngineName, sizeof kJetEngineName);
  Put(page, kHeaderVersionOffset, kHeaderVersionJet4Word, 4);
  PutBytes(page, kHeaderFixedBlockOffset, kHeaderFixedBlock, sizeof kHeaderFixedBlock);
  Put(page, kHeaderCodePageOffset, static_cast<uint16_t>(header.code_page), 2);
  Put(page, kHeaderDatabaseKeyOffset, header.database_key, 4);
  Put(page, kHeaderJet4EngineBuildOffset, header.engine_build, 2);
  Put(page, kHeaderJet4SortOrderOffset, static_cast<uint16_t>(header.sort_order), 2);
  Put(page, kSortOrderVersionOffset, static_cast<uint8_t>(header.sort_order_version), 1);
  uint64_t date_bits;
  std::memcpy(&date_bits, &header.creation_date, sizeof date_bits);
  Put(page, kHeaderJet4CreationDateOffset, date_bits, 8);
  Put(page, kHeaderUnknownNumberOffset, kHeaderUnknownNumber, 4);
  PutBytes(page, kHeaderVersionTextOffset, kHeaderVersionText, sizeof kHeaderVersionText);
  for (int i = 0; i < kHeaderCounterCount; ++i) {
    Put(page, kHeaderCountersOffset + 2 * i, i == 0 ? kHeaderFirstCounter : kHeaderOtherCounters,
        2);
  }
  ApplyHeaderMask(page, header.version);
  // The password area holds the date mask even without a password.
  StorePassword(page, password);
  return page;
}

}  // namespace dbaccess::mdb
