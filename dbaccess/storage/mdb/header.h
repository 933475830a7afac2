// The header page (page 0): which Jet version wrote the file, its code page and sort
// order, the key of the page encryption and the database password.
//
// Bytes 0x18 onwards (126 bytes in Jet 3, 128 in Jet 4) are masked with a fixed RC4 key
// stream; the password inside is in Jet 4 further masked with the creation date. The
// password is only ever compared: nothing here hands it out.
#ifndef SKARNVEL_DBACCESS_STORAGE_MDB_HEADER_H_
#define SKARNVEL_DBACCESS_STORAGE_MDB_HEADER_H_

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "dbaccess/storage/mdb/bytes.h"
#include "dbaccess/storage/mdb/format.h"

namespace dbaccess::mdb {

// The longest database password (Jet 4: UTF-16 code units).
constexpr int kMaxPasswordCharacters = 20;

// Bytes needed to tell the kind of a file.
constexpr size_t kSignatureLength = 0x15;

// True for the first bytes of any Jet or ACE database ("Standard Jet DB", "Standard ACE
// DB" or "MSISAM Database" after a page type 0), whichever version.
bool IsJetSignature(ByteView first_bytes);

// The Jet version of a database this reader understands, or none (ACE and MSISAM files,
// unknown versions, other files).
std::optional<JetVersion> DetectVersion(ByteView first_bytes);

struct Header {
  JetVersion version = JetVersion::kJet4;
  int code_page = 0;
  int sort_order = 0;          // the LCID of the default text sort order (0x409 General)
  int sort_order_version = 0;  // Jet 4 only
  uint32_t database_key = 0;   // 0: pages are not encrypted
  double creation_date = 0;    // Jet 4 only; also the password mask
  uint16_t engine_build = 0;   // the build of the engine that made the file
  bool has_password = false;

  const Layout& layout() const { return LayoutFor(version); }
};

// Masks or unmasks (the operation is its own inverse) the header area of page 0 in place.
void ApplyHeaderMask(std::span<uint8_t> page0, JetVersion version);

// Reads the header from page 0 as stored in the file (masked). Throws FormatError.
Header DecodeHeader(ByteView raw_page0);

// True when `password` opens the database: the stored password, compared exactly
// (letter case counts), or any password at all when none is stored, as Jet does.
bool PasswordMatches(ByteView raw_page0, std::string_view password);

// Writes `password` (at most 20 characters) into the masked page 0 as Jet does; for tests
// that build databases with a known password. Throws FormatError for a longer one.
void StorePassword(std::span<uint8_t> raw_page0, std::string_view password);

}  // namespace dbaccess::mdb

#endif  // SKARNVEL_DBACCESS_STORAGE_MDB_HEADER_H_
