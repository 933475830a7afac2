#include "dbaccess/catalog/jet_names.h"

#include "dbaccess/base/utf8.h"

namespace dbaccess {
namespace {

// An ASCII byte lowered; the common case of every name comparison, so kept in line.
inline unsigned char LowerAscii(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 0x20) : c;
}

// Simple lower-case mapping for the alphabets a Jet 4 name is written in.
char32_t LowerCodePoint(char32_t c) {
  if (c < 0x80) return LowerAscii(static_cast<unsigned char>(c));
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;       // Latin-1 capitals
  if (c >= 0x100 && c <= 0x137) return (c % 2 == 0) ? c + 1 : c;  // Latin Extended-A pairs
  if (c >= 0x139 && c <= 0x148) return (c % 2 == 1) ? c + 1 : c;
  if (c >= 0x14A && c <= 0x177) return (c % 2 == 0) ? c + 1 : c;
  if (c == 0x178) return 0xFF;
  if (c >= 0x179 && c <= 0x17E) return (c % 2 == 1) ? c + 1 : c;
  if (c == 0x386) return 0x3AC;  // Greek
  if (c >= 0x388 && c <= 0x38A) return c + 0x25;
  if (c == 0x38C) return 0x3CC;
  if (c == 0x38E || c == 0x38F) return c + 0x3F;
  if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 0x20;
  if (c >= 0x400 && c <= 0x40F) return c + 0x50;  // Cyrillic
  if (c >= 0x410 && c <= 0x42F) return c + 0x20;
  if (c >= 0x460 && c <= 0x481) return (c % 2 == 0) ? c + 1 : c;
  if (c >= 0x48A && c <= 0x4BF) return (c % 2 == 0) ? c + 1 : c;
  return c;
}

// Appends the folded form of the code point at name[i] and advances i: ASCII and other
// letters lowered, everything else (invalid bytes included) as it stands.
void AppendFolded(std::string& out, std::string_view name, size_t& i) {
  const auto first = static_cast<unsigned char>(name[i]);
  if (first < 0x80) {
    out.push_back(static_cast<char>(LowerAscii(first)));
    ++i;
    return;
  }
  const size_t start = i;
  const char32_t c = NextCodePoint(name, i);
  const char32_t lower = LowerCodePoint(c);
  if (lower == c) {
    out.append(name.substr(start, i - start));  // keeps invalid bytes exactly
  } else {
    AppendUtf8(out, lower);
  }
}

// The folded form of a name, a byte at a time.
class FoldedBytes {
 public:
  explicit FoldedBytes(std::string_view name) : name_(name) {}

  // The next byte of the folded form; false at its end.
  bool Next(unsigned char& byte) {
    if (pending_at_ < pending_.size()) {
      byte = static_cast<unsigned char>(pending_[pending_at_++]);
      return true;
    }
    if (at_ >= name_.size()) return false;
    const auto first = static_cast<unsigned char>(name_[at_]);
    if (first < 0x80) {
      byte = LowerAscii(first);
      ++at_;
      return true;
    }
    pending_.clear();
    pending_at_ = 0;
    AppendFolded(pending_, name_, at_);
    return Next(byte);
  }

 private:
  std::string_view name_;
  size_t at_ = 0;
  std::string pending_;  // one code point's bytes: never beyond the short-string buffer
  size_t pending_at_ = 0;
};

}  // namespace

std::string FoldName(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    const auto first = static_cast<unsigned char>(utf8[i]);
    if (first < 0x80) {  // the common case, without a call
      out.push_back(static_cast<char>(LowerAscii(first)));
      ++i;
    } else {
      AppendFolded(out, utf8, i);
    }
  }
  return out;
}

bool SameName(std::string_view a, std::string_view b) {
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    const auto ca = static_cast<unsigned char>(a[i]);
    const auto cb = static_cast<unsigned char>(b[j]);
    if (ca < 0x80 && cb < 0x80) {
      if (LowerAscii(ca) != LowerAscii(cb)) return false;
      ++i;
      ++j;
      continue;
    }
    if (LowerCodePoint(NextCodePoint(a, i)) != LowerCodePoint(NextCodePoint(b, j))) return false;
  }
  return i == a.size() && j == b.size();
}

bool NameLess(std::string_view a, std::string_view b) {
  // The folded forms compared byte by byte, as two strings would be, without building them.
  FoldedBytes fa(a), fb(b);
  while (true) {
    unsigned char ba = 0, bb = 0;
    const bool more_a = fa.Next(ba);
    const bool more_b = fb.Next(bb);
    if (!more_a || !more_b) {
      if (more_a != more_b) return more_b;  // the shorter folded form first
      return a < b;
    }
    if (ba != bb) return ba < bb;
  }
}

}  // namespace dbaccess
