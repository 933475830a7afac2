#include "dbaccess/storage/mdb/text_codec.h"

#include <errno.h>
#include <iconv.h>

#include <map>
#include <mutex>

#include "dbaccess/base/utf8.h"

namespace dbaccess::mdb {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendCodePoint(std::string& out, char32_t c) {
  // Lone surrogates and out-of-range values are not characters; AppendUtf8 would turn
  // some of them back into raw bytes, which text from a database never holds.
  if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) c = kReplacement;
  AppendUtf8(out, c);
}

// Appends UTF-16 code units, pairing surrogates.
class Utf16Appender {
 public:
  explicit Utf16Appender(std::string& out) : out_(out) {}
  ~Utf16Appender() { Flush(); }
  void Add(char16_t unit) {
    if (unit < 0x80 && pending_high_ == 0) {  // most names and texts: ASCII as it stands
      out_.push_back(static_cast<char>(unit));
      return;
    }
    if (pending_high_ != 0) {
      if (unit >= 0xDC00 && unit <= 0xDFFF) {
        AppendCodePoint(out_, 0x10000 + ((pending_high_ - 0xD800) << 10) + (unit - 0xDC00));
        pending_high_ = 0;
        return;
      }
      Flush();
    }
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      pending_high_ = unit;
    } else {
      AppendCodePoint(out_, unit);
    }
  }
  void Flush() {
    if (pending_high_ != 0) AppendCodePoint(out_, kReplacement);
    pending_high_ = 0;
  }

 private:
  std::string& out_;
  char16_t pending_high_ = 0;
};

bool IsDoubleByteCodePage(int code_page) {
  return code_page == 932 || code_page == 936 || code_page == 949 || code_page == 950;
}

std::string IconvName(int code_page) { return "CP" + std::to_string(code_page); }

// RAII for an iconv descriptor.
class Iconv {
 public:
  Iconv(const std::string& to, const std::string& from)
      : cd_(iconv_open(to.c_str(), from.c_str())) {}
  ~Iconv() {
    if (ok()) iconv_close(cd_);
  }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t get() const { return cd_; }

 private:
  iconv_t cd_;
};

// The code point of every byte of a single-byte code page, or null when iconv does not
// know the code page.
std::shared_ptr<const std::array<char32_t, 256>> BuildTable(int code_page) {
  Iconv cd("UTF-32LE", IconvName(code_page));
  if (!cd.ok()) return nullptr;
  auto table = std::make_shared<std::array<char32_t, 256>>();
  for (int b = 0; b < 256; ++b) {
    char in = static_cast<char>(b);
    unsigned char out[8] = {};
    char* in_ptr = &in;
    size_t in_left = 1;
    char* out_ptr = reinterpret_cast<char*>(out);
    size_t out_left = sizeof out;
    iconv(cd.get(), nullptr, nullptr, nullptr, nullptr);
    const size_t r = iconv(cd.get(), &in_ptr, &in_left, &out_ptr, &out_left);
    if (r == static_cast<size_t>(-1) || out_left != sizeof out - 4) {
      (*table)[b] = kReplacement;
    } else {
      (*table)[b] = out[0] | (out[1] << 8) | (char32_t{out[2]} << 16) | (char32_t{out[3]} << 24);
    }
  }
  return table;
}

std::shared_ptr<const std::array<char32_t, 256>> TableFor(int code_page) {
  static std::mutex mutex;
  static std::map<int, std::shared_ptr<const std::array<char32_t, 256>>> cache;
  std::lock_guard<std::mutex> lock(mutex);
  auto it = cache.find(code_page);
  if (it != cache.end()) return it->second;
  auto table = BuildTable(code_page);
  cache.emplace(code_page, table);
  return table;
}

std::string DecodeDoubleByte(ByteView bytes, int code_page) {
  Iconv cd("UTF-8", IconvName(code_page));
  std::string out;
  if (!cd.ok()) return out;
  std::vector<char> in(bytes.data(), bytes.data() + bytes.size());
  char* in_ptr = in.data();
  size_t in_left = in.size();
  std::vector<char> buffer(in.size() * 4 + 16);
  while (in_left > 0) {
    char* out_ptr = buffer.data();
    size_t out_left = buffer.size();
    const size_t r = iconv(cd.get(), &in_ptr, &in_left, &out_ptr, &out_left);
    out.append(buffer.data(), buffer.size() - out_left);
    if (r == static_cast<size_t>(-1)) {
      if (errno == E2BIG) continue;
      // An invalid or incomplete sequence: replace one byte and go on.
      AppendCodePoint(out, kReplacement);
      ++in_ptr;
      --in_left;
    }
  }
  return out;
}

}  // namespace

std::string DecodeUtf16Le(ByteView bytes) {
  std::string out;
  out.reserve(bytes.size());
  {
    Utf16Appender appender(out);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
      appender.Add(static_cast<char16_t>(bytes.data()[i] | (bytes.data()[i + 1] << 8)));
    }
  }
  return out;
}

std::string DecodeJet4Text(ByteView bytes) {
  const uint8_t* p = bytes.data();
  const size_t n = bytes.size();
  if (n < 2 || p[0] != kCompressedTextMarker[0] || p[1] != kCompressedTextMarker[1]) {
    return DecodeUtf16Le(bytes);
  }
  std::string out;
  out.reserve(n);
  Utf16Appender appender(out);
  bool compressed = true;
  size_t i = 2;
  while (i < n) {
    if (p[i] == 0x00) {
      compressed = !compressed;
      ++i;
    } else if (compressed) {
      appender.Add(p[i]);
      ++i;
    } else {
      if (i + 1 >= n) break;  // half a character at the end
      const char16_t unit = static_cast<char16_t>(p[i] | (p[i + 1] << 8));
      appender.Add(unit);
      i += 2;
    }
  }
  appender.Flush();
  return out;
}

std::u16string DecodeJet4TextUnits(ByteView bytes) {
  const uint8_t* p = bytes.data();
  const size_t n = bytes.size();
  std::u16string out;
  const bool marked =
      n >= 2 && p[0] == kCompressedTextMarker[0] && p[1] == kCompressedTextMarker[1];
  if (!marked) {
    for (size_t i = 0; i + 1 < n; i += 2)
      out.push_back(static_cast<char16_t>(p[i] | (p[i + 1] << 8)));
    return out;
  }
  bool compressed = true;
  for (size_t i = 2; i < n;) {
    if (p[i] == 0x00) {
      compressed = !compressed;
      ++i;
    } else if (compressed) {
      out.push_back(p[i++]);
    } else {
      if (i + 1 >= n) break;  // half a character at the end
      out.push_back(static_cast<char16_t>(p[i] | (p[i + 1] << 8)));
      i += 2;
    }
  }
  return out;
}

std::vector<uint8_t> EncodeCompressedText(std::u16string_view text) {
  std::vector<uint8_t> out = {kCompressedTextMarker[0], kCompressedTextMarker[1]};
  for (char16_t c : text) out.push_back(static_cast<uint8_t>(c));
  return out;
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
  std::u16string out;
  for (size_t i = 0; i < utf8.size();) {
    char32_t c = NextCodePoint(utf8, i);
    if (c >= 0xD800 && c <= 0xDFFF) c = kReplacement;
    if (c >= 0x10000) {
      c -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(c));
    }
  }
  return out;
}

TextDecoder::TextDecoder(JetVersion version, int code_page)
    : wide_(version == JetVersion::kJet4), code_page_(code_page) {
  if (wide_) return;
  if (IsDoubleByteCodePage(code_page_)) {
    double_byte_ = true;
    return;
  }
  if (code_page_ > 0) table_ = TableFor(code_page_);
  if (table_ == nullptr) {
    code_page_ = kDefaultCodePage;
    table_ = TableFor(kDefaultCodePage);
  }
}

std::string TextDecoder::Decode(ByteView bytes) const {
  if (wide_) return DecodeJet4Text(bytes);
  return DecodeSingleByte(bytes);
}

std::string TextDecoder::DecodeName(ByteView bytes) const {
  if (wide_) return DecodeUtf16Le(bytes);
  return DecodeSingleByte(bytes);
}

std::string TextDecoder::DecodeSingleByte(ByteView bytes) const {
  if (double_byte_) return DecodeDoubleByte(bytes, code_page_);
  std::string out;
  out.reserve(bytes.size());
  for (size_t i = 0; i < bytes.size(); ++i) {
    const uint8_t b = bytes.data()[i];
    if (b < 0x80) {
      out.push_back(static_cast<char>(b));
    } else {
      AppendCodePoint(out, table_ != nullptr ? (*table_)[b] : kReplacement);
    }
  }
  return out;
}

}  // namespace dbaccess::mdb
