// Text as Jet stores it, decoded to UTF-8.
//
// Jet 4 keeps text in UCS-2 (UTF-16LE); a value may use the compressed form, which starts
// with FF FE and then switches at every 00 byte between one byte per character (the high
// byte is zero) and two. Jet 3 keeps text in single bytes of the database's code page.
// Invalid input never fails: an unpaired surrogate or an unmapped byte becomes U+FFFD.
#ifndef SKARNVEL_DBACCESS_STORAGE_MDB_TEXT_CODEC_H_
#define SKARNVEL_DBACCESS_STORAGE_MDB_TEXT_CODEC_H_

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "dbaccess/storage/mdb/bytes.h"
#include "dbaccess/storage/mdb/format.h"

namespace dbaccess::mdb {

constexpr int kDefaultCodePage = 1252;

// UTF-16LE bytes (an odd last byte is dropped) to UTF-8.
std::string DecodeUtf16Le(ByteView bytes);
// A Jet 4 text value, compressed or not.
std::string DecodeJet4Text(ByteView bytes);
// A Jet 4 text value, compressed or not, as its UTF-16 code units (unpaired surrogates kept).
std::u16string DecodeJet4TextUnits(ByteView bytes);
// The compressed form of Jet 4 text, for texts of U+0001..U+00FF only (tests and writers).
std::vector<uint8_t> EncodeCompressedText(std::u16string_view text);
// UTF-8 to UTF-16 code units; invalid bytes become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view utf8);

class TextDecoder {
 public:
  // Jet 4: UCS-2. Jet 3: the single-byte (or, for 932/936/949/950, double-byte) code page;
  // 0 or a code page the system does not know means Windows-1252.
  TextDecoder(JetVersion version, int code_page);

  // A text or memo value.
  std::string Decode(ByteView bytes) const;
  // An object name in a table definition or property blob (never compressed).
  std::string DecodeName(ByteView bytes) const;

  bool wide() const { return wide_; }
  int code_page() const { return code_page_; }

 private:
  std::string DecodeSingleByte(ByteView bytes) const;

  bool wide_;
  int code_page_;
  bool double_byte_ = false;
  std::shared_ptr<const std::array<char32_t, 256>> table_;
};

}  // namespace dbaccess::mdb

#endif  // SKARNVEL_DBACCESS_STORAGE_MDB_TEXT_CODEC_H_
