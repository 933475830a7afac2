#include "dbaccess/jet_names.h"

namespace dbaccess {
namespace {

constexpr char32_t kInvalidByteBase = 0xDC00;  // lone surrogates stand for invalid bytes

// Simple lower-case mapping for the alphabets a Jet 4 name is written in.
char32_t LowerCodePoint(char32_t c) {
  if (c < 0x80) return (c >= 'A' && c <= 'Z') ? c + 0x20 : c;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;       // Latin-1 capitals
  if (c >= 0x100 && c <= 0x137) return (c % 2 == 0) ? c + 1 : c;   // Latin Extended-A pairs
  if (c >= 0x139 && c <= 0x148) return (c % 2 == 1) ? c + 1 : c;
  if (c >= 0x14A && c <= 0x177) return (c % 2 == 0) ? c + 1 : c;
  if (c == 0x178) return 0xFF;
  if (c >= 0x179 && c <= 0x17E) return (c % 2 == 1) ? c + 1 : c;
  if (c == 0x386) return 0x3AC;                                   // Greek
  if (c >= 0x388 && c <= 0x38A) return c + 0x25;
  if (c == 0x38C) return 0x3CC;
  if (c == 0x38E || c == 0x38F) return c + 0x3F;
  if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 0x20;
  if (c >= 0x400 && c <= 0x40F) return c + 0x50;                  // Cyrillic
  if (c >= 0x410 && c <= 0x42F) return c + 0x20;
  if (c >= 0x460 && c <= 0x481) return (c % 2 == 0) ? c + 1 : c;
  if (c >= 0x48A && c <= 0x4BF) return (c % 2 == 0) ? c + 1 : c;
  return c;
}

}  // namespace

char32_t NextCodePoint(std::string_view s, size_t& i) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  if (b0 < 0x80) {
    ++i;
    return b0;
  }
  int extra = 0;
  char32_t c = 0;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    extra = 1;
    c = b0 & 0x1F;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    extra = 2;
    c = b0 & 0x0F;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    extra = 3;
    c = b0 & 0x07;
  }
  const char32_t invalid = kInvalidByteBase + b0;
  if (extra == 0 || s.size() - i <= static_cast<size_t>(extra)) {
    ++i;
    return invalid;
  }
  for (int k = 1; k <= extra; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) {
      ++i;
      return invalid;
    }
    c = (c << 6) | (b & 0x3F);
  }
  i += extra + 1;
  return c;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c >= kInvalidByteBase + 0x80 && c <= kInvalidByteBase + 0xFF) {
    out += static_cast<char>(c - kInvalidByteBase);  // an invalid byte goes back as it came
  } else if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::string FoldName(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    const size_t start = i;
    const char32_t c = NextCodePoint(utf8, i);
    const char32_t lower = LowerCodePoint(c);
    if (lower == c) {
      out.append(utf8.substr(start, i - start));  // keeps invalid bytes exactly
    } else {
      AppendUtf8(out, lower);
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
      if (LowerCodePoint(ca) != LowerCodePoint(cb)) return false;
      ++i;
      ++j;
      continue;
    }
    if (LowerCodePoint(NextCodePoint(a, i)) != LowerCodePoint(NextCodePoint(b, j))) return false;
  }
  return i == a.size() && j == b.size();
}

bool NameLess(std::string_view a, std::string_view b) {
  const std::string fa = FoldName(a), fb = FoldName(b);
  if (fa != fb) return fa < fb;
  return a < b;
}

}  // namespace dbaccess
