// Page 0 written: the mirror of DecodeHeader for Jet 4.
//
// Page 0 of a Jet 4 file, in the clear (bytes 0x18 to 0x97 are then masked, header.h):
//   0x00  00 01 00 00            the page type (0) and the 0x01 every page has
//   0x04  "Standard Jet DB" 00
//   0x14  01 00 00 00            the version: Jet 4
//   0x18  24 bytes               the same in every Jet 3 and Jet 4 file; meaning unknown
//   0x3C  code page, 0x3E database key (0: pages not encrypted)
//   0x42  the password: 40 bytes of UTF-16LE, zero-padded, XOR the creation date's whole
//         days (4 bytes, little-endian, repeated), so an empty password leaves the mask
//   0x6A  the engine's build number
//   0x6E  the sort order (LCID, 2 bytes), 0x71 its version
//   0x72  the creation date (a double, OLE Automation date)
//   0x98  54 06 00 00 "4.0" 00   in every Jet 4 file; the text is the engine's version,
//                                the number (1620) is unknown
//   0xE00 256 16-bit counters    0x0101 then 0x0100 in a new file; Jet raises the first two
//                                as the file is used (meaning unknown)
// Every other byte is zero.
#ifndef SKARNVEL_DBACCESS_STORAGE_MDB_HEADER_ENCODER_H_
#define SKARNVEL_DBACCESS_STORAGE_MDB_HEADER_ENCODER_H_

#include <cstdint>
#include <string_view>

#include "dbaccess/storage/mdb/header.h"
#include "dbaccess/storage/mdb/page_file.h"

namespace dbaccess::mdb {

// The build the engine that made adox_jet4.mdb wrote (Jet 4.0.9756).
constexpr uint16_t kNewDatabaseEngineBuild = 9756;

// The header of a new database as the engine makes it: Jet 4, code page 1252, the "General"
// sort order, pages not encrypted, made at `creation_date` (an OLE Automation date).
Header NewDatabaseHeader(double creation_date);

// Page 0 for `header` (its has_password is not used) with `password` stored, or none when
// it is empty. Throws FormatError for a Jet 3 header, a creation date that is not a date
// (it masks the password), a password longer than kMaxPasswordCharacters or holding U+0000
// (Jet reads a password up to its first zero: it could never be given).
Page EncodeHeader(const Header& header, std::string_view password = {});

}  // namespace dbaccess::mdb

#endif  // SKARNVEL_DBACCESS_STORAGE_MDB_HEADER_ENCODER_H_
