#include "dbaccess/base/shown_text.h"

#include <cstdio>

#include "dbaccess/base/utf8.h"

namespace dbaccess {
namespace {

bool IsControl(char32_t c) {
  return c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0) ||
         (c >= kInvalidByteBase + 0x80 && c <= kInvalidByteBase + 0xFF);
}

std::string Shown(std::string_view text, std::string_view kept, size_t max_chars) {
  std::string out;
  out.reserve(text.size());
  size_t chars = 0;
  for (size_t i = 0; i < text.size(); ++chars) {
    if (chars == max_chars) return out + "...";
    const size_t start = i;
    const char32_t c = NextCodePoint(text, i);
    if (IsControl(c) && (c >= 0x80 || kept.find(static_cast<char>(c)) == std::string_view::npos)) {
      char code[8];
      std::snprintf(code, sizeof code, "\\x%02X",
                    static_cast<unsigned>(c >= kInvalidByteBase ? c - kInvalidByteBase : c));
      out += code;
    } else {
      out.append(text.substr(start, i - start));
    }
  }
  return out;
}

}  // namespace

std::string ShownControls(std::string_view text, std::string_view kept) {
  bool printable_ascii = true;
  for (char c : text) printable_ascii &= c >= 0x20 && c < 0x7F;
  if (printable_ascii) return std::string(text);
  return Shown(text, kept, std::string_view::npos);
}

std::string ShownText(std::string_view text, size_t max_chars) {
  return Shown(text, "", max_chars);
}

}  // namespace dbaccess
