// ConnectionText and ParseConnectionText of connection.h.
#include <string>
#include <string_view>

#include "dbaccess/ado/connection.h"
#include "dbaccess/base/jet_error.h"
#include "dbaccess/catalog/jet_names.h"

namespace dbaccess::ado {
namespace {

// The text before the path, and the clause before a database password.
constexpr std::string_view kTextHead =
    "Provider=Microsoft.Jet.OLEDB.4.0;\rPassword=\"\";User ID=Admin;\rData Source=";
constexpr std::string_view kPasswordClause = "Jet OLEDB:Database Password=";

constexpr std::string_view kProvider = "Microsoft.Jet.OLEDB.4.0";
constexpr std::string_view kProviderKey = "Provider";
constexpr std::string_view kDataSourceKey = "Data Source";
constexpr std::string_view kDatabasePasswordKey = "Jet OLEDB:Database Password";

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// A value goes in double quotes when written bare it would be read back otherwise.
bool NeedsQuotes(std::string_view value) {
  if (value.empty()) return false;
  if (IsBlank(value.front()) || IsBlank(value.back())) return true;
  return value.find_first_of(";\"'") != std::string_view::npos;
}

std::string Value(std::string_view value) {
  if (!NeedsQuotes(value)) return std::string(value);
  std::string quoted = "\"";
  for (char c : value) {
    quoted += c;
    if (c == '"') quoted += '"';
  }
  quoted += '"';
  return quoted;
}

// Keys compare without regard to case, with runs of blanks inside taken as one blank.
std::string NormalizedKey(std::string_view key) {
  std::string out;
  bool blank = false;
  for (char c : Trim(key)) {
    if (IsBlank(c)) {
      blank = true;
      continue;
    }
    if (blank) out += ' ';
    blank = false;
    out += c;
  }
  return FoldName(out);
}

}  // namespace

std::string ConnectionText(const std::string& path, const std::string& password) {
  std::string text(kTextHead);
  text += Value(path);
  text += ";";
  if (!password.empty()) {
    text += kPasswordClause;
    text += Value(password);
    text += ";";
  }
  return text;
}

ConnectionParts ParseConnectionText(std::string_view text) {
  ConnectionParts parts;
  bool has_provider = false;
  size_t i = 0;
  while (i < text.size()) {
    // The key runs to "="; an empty part (";;" or blanks) is skipped.
    const size_t eq = text.find('=', i);
    const size_t semicolon = text.find(';', i);
    if (eq == std::string_view::npos || (semicolon != std::string_view::npos && semicolon < eq)) {
      if (!Trim(text.substr(i, semicolon == std::string_view::npos ? semicolon : semicolon - i))
               .empty()) {
        throw jet_errors::InvalidArgument();
      }
      if (semicolon == std::string_view::npos) break;
      i = semicolon + 1;
      continue;
    }
    const std::string key = NormalizedKey(text.substr(i, eq - i));
    if (key.empty()) throw jet_errors::InvalidArgument();
    i = eq + 1;
    while (i < text.size() && IsBlank(text[i])) ++i;

    std::string value;
    if (i < text.size() && (text[i] == '"' || text[i] == '\'')) {
      const char quote = text[i++];
      for (;;) {
        if (i >= text.size()) throw jet_errors::InvalidArgument();  // unclosed quote
        const char c = text[i++];
        if (c != quote) {
          value += c;
        } else if (i < text.size() && text[i] == quote) {
          value += quote;
          ++i;
        } else {
          break;
        }
      }
      while (i < text.size() && IsBlank(text[i])) ++i;
      if (i < text.size() && text[i] != ';') throw jet_errors::InvalidArgument();
    } else {
      const size_t end = std::min(text.find(';', i), text.size());
      value = std::string(Trim(text.substr(i, end - i)));
      i = end;
    }
    if (i < text.size()) ++i;  // the ";"

    if (key == NormalizedKey(kProviderKey)) {
      parts.provider = value;
      has_provider = true;
    } else if (key == NormalizedKey(kDataSourceKey)) {
      parts.data_source = value;
    } else if (key == NormalizedKey(kDatabasePasswordKey)) {
      parts.database_password = value;
    }
  }
  if (!has_provider || !SameName(parts.provider, kProvider)) throw jet_errors::ProviderNotFound();
  return parts;
}

}  // namespace dbaccess::ado
