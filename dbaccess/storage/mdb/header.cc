#include "dbaccess/storage/mdb/header.h"

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "dbaccess/base/crypto.h"
#include "dbaccess/storage/mdb/rc4.h"
#include "dbaccess/storage/mdb/text_codec.h"

namespace dbaccess::mdb {
namespace {

constexpr char kJetEngineName[] = "Standard Jet DB";
constexpr char kAceEngineName[] = "Standard ACE DB";
constexpr char kMsisamEngineName[] = "MSISAM Database";

bool EngineNameIs(ByteView bytes, const char* name) {
  return bytes.Fits(kHeaderEngineNameOffset, kHeaderEngineNameLength) &&
         std::memcmp(bytes.data() + kHeaderEngineNameOffset, name, kHeaderEngineNameLength) == 0;
}

// The 4-byte mask Jet 4 lays over the password: the whole days of the creation date.
std::array<uint8_t, 4> PasswordMask(double creation_date) {
  std::array<uint8_t, 4> mask{};
  if (!std::isfinite(creation_date) || creation_date < INT32_MIN || creation_date > INT32_MAX) {
    return mask;
  }
  const uint32_t days = static_cast<uint32_t>(static_cast<int32_t>(std::floor(creation_date)));
  for (int i = 0; i < 4; ++i) mask[i] = static_cast<uint8_t>(days >> (8 * i));
  return mask;
}

// Scrubs a buffer that held password bytes when it goes out of scope.
class Scrubbed {
 public:
  explicit Scrubbed(size_t size) : bytes_(size) {}
  ~Scrubbed() { SecureErase(bytes_.data(), bytes_.size()); }
  Scrubbed(const Scrubbed&) = delete;
  Scrubbed& operator=(const Scrubbed&) = delete;
  std::vector<uint8_t>& bytes() { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
};

// The password area of page 0 with every mask removed, in `out`.
void ClearPasswordBytes(ByteView raw_page0, const Header& header, std::vector<uint8_t>& out) {
  const Layout& layout = header.layout();
  Scrubbed area(kHeaderMaskedOffset + layout.header_masked_length);
  raw_page0.Require(0, area.bytes().size());
  std::memcpy(area.bytes().data(), raw_page0.data(), area.bytes().size());
  ApplyHeaderMask(area.bytes(), header.version);
  out.assign(area.bytes().begin() + kHeaderPasswordOffset,
             area.bytes().begin() + kHeaderPasswordOffset + layout.password_size);
  if (header.version == JetVersion::kJet4) {
    const auto mask = PasswordMask(header.creation_date);
    for (size_t i = 0; i < out.size(); ++i) out[i] ^= mask[i % 4];
  }
}

bool AllZero(const std::vector<uint8_t>& bytes) {
  for (uint8_t b : bytes) {
    if (b != 0) return false;
  }
  return true;
}

}  // namespace

bool IsJetSignature(ByteView first_bytes) {
  if (first_bytes.size() < kSignatureLength || first_bytes.U8(0) != kPageHeader) return false;
  return EngineNameIs(first_bytes, kJetEngineName) || EngineNameIs(first_bytes, kAceEngineName) ||
         EngineNameIs(first_bytes, kMsisamEngineName);
}

std::optional<JetVersion> DetectVersion(ByteView first_bytes) {
  if (!IsJetSignature(first_bytes) || !EngineNameIs(first_bytes, kJetEngineName)) {
    return std::nullopt;
  }
  switch (first_bytes.U8(kHeaderVersionOffset)) {
    case kHeaderVersionJet3:
      return JetVersion::kJet3;
    case kHeaderVersionJet4:
      return JetVersion::kJet4;
    default:
      return std::nullopt;
  }
}

void ApplyHeaderMask(std::span<uint8_t> page0, JetVersion version) {
  const Layout& layout = LayoutFor(version);
  if (page0.size() < static_cast<size_t>(kHeaderMaskedOffset + layout.header_masked_length)) {
    throw FormatError("header page too short");
  }
  Rc4Apply(kHeaderMaskKey, page0.subspan(kHeaderMaskedOffset, layout.header_masked_length));
}

Header DecodeHeader(ByteView raw_page0) {
  const auto version = DetectVersion(raw_page0);
  if (!version) throw FormatError("not a Jet 3 or Jet 4 database");
  Header header;
  header.version = *version;
  const Layout& layout = header.layout();
  std::vector<uint8_t> area(kHeaderMaskedOffset + layout.header_masked_length);
  raw_page0.Require(0, area.size());
  std::memcpy(area.data(), raw_page0.data(), area.size());
  ApplyHeaderMask(area, header.version);
  const ByteView clear(area);
  header.code_page = clear.U16(kHeaderCodePageOffset);
  header.database_key = clear.U32(kHeaderDatabaseKeyOffset);
  if (header.version == JetVersion::kJet4) {
    header.sort_order = clear.U16(kHeaderJet4SortOrderOffset);
    header.sort_order_version = clear.U8(kHeaderJet4SortOrderOffset + 3);
    header.creation_date = clear.F64(kHeaderJet4CreationDateOffset);
    header.engine_build = clear.U16(kHeaderJet4EngineBuildOffset);
  } else {
    header.sort_order = clear.U16(kHeaderJet3SortOrderOffset);
    header.engine_build = clear.U16(kHeaderJet3EngineBuildOffset);
  }
  Scrubbed password(0);
  ClearPasswordBytes(raw_page0, header, password.bytes());
  header.has_password = !AllZero(password.bytes());
  return header;
}

bool PasswordMatches(ByteView raw_page0, std::string_view password) {
  const Header header = DecodeHeader(raw_page0);
  if (!header.has_password) return true;  // Jet ignores a password given for an open file
  Scrubbed stored(0);
  ClearPasswordBytes(raw_page0, header, stored.bytes());
  const std::vector<uint8_t>& s = stored.bytes();
  if (header.version == JetVersion::kJet4) {
    std::u16string given = Utf8ToUtf16(password);
    auto unit_at = [&s](size_t i) { return static_cast<char16_t>(s[2 * i] | (s[2 * i + 1] << 8)); };
    size_t stored_length = 0;
    while (stored_length < kMaxPasswordCharacters && unit_at(stored_length) != u'\0') {
      ++stored_length;
    }
    bool match = given.size() == stored_length;
    for (size_t i = 0; match && i < stored_length; ++i) match = unit_at(i) == given[i];
    SecureErase(given.data(), given.size() * sizeof(char16_t));
    return match;
  }
  // Jet 3: single bytes in the code page, up to the first zero.
  size_t length = 0;
  while (length < s.size() && s[length] != 0) ++length;
  const TextDecoder decoder(JetVersion::kJet3, header.code_page);
  std::string clear = decoder.Decode(ByteView(s.data(), length));
  const bool match = clear == password;
  SecureErase(clear.data(), clear.size());
  return match;
}

void StorePassword(std::span<uint8_t> raw_page0, std::string_view password) {
  const Header header = DecodeHeader(ByteView(raw_page0.data(), raw_page0.size()));
  const Layout& layout = header.layout();
  std::vector<uint8_t> clear(layout.password_size, 0);
  if (header.version == JetVersion::kJet4) {
    const std::u16string units = Utf8ToUtf16(password);
    if (units.size() > kMaxPasswordCharacters) throw FormatError("password too long");
    for (size_t i = 0; i < units.size(); ++i) {
      clear[2 * i] = static_cast<uint8_t>(units[i]);
      clear[2 * i + 1] = static_cast<uint8_t>(units[i] >> 8);
    }
    const auto mask = PasswordMask(header.creation_date);
    for (size_t i = 0; i < clear.size(); ++i) clear[i] ^= mask[i % 4];
  } else {
    if (password.size() > static_cast<size_t>(layout.password_size)) {
      throw FormatError("password too long");
    }
    std::memcpy(clear.data(), password.data(), password.size());
  }
  ApplyHeaderMask(raw_page0, header.version);
  std::memcpy(raw_page0.data() + kHeaderPasswordOffset, clear.data(), clear.size());
  ApplyHeaderMask(raw_page0, header.version);
}

}  // namespace dbaccess::mdb
