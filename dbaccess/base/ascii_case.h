// Comparing words where only the Latin letters A to Z count as equal to a to z (keywords,
// file extensions, column names of the program's own files). Jet's rule for object names
// is another one (catalog/jet_names.h).
#ifndef SKARNVEL_DBACCESS_BASE_ASCII_CASE_H_
#define SKARNVEL_DBACCESS_BASE_ASCII_CASE_H_

#include <string_view>

namespace dbaccess {

constexpr char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

constexpr bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

}  // namespace dbaccess

#endif  // SKARNVEL_DBACCESS_BASE_ASCII_CASE_H_
