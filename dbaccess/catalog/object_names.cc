#include "dbaccess/catalog/object_names.h"

#include <algorithm>

#include "dbaccess/base/jet_error.h"
#include "dbaccess/base/utf8.h"
#include "dbaccess/catalog/jet_names.h"

namespace dbaccess {
namespace {

size_t CodePoints(std::string_view s) {
  size_t n = 0;
  for (size_t i = 0; i < s.size();) {
    NextCodePoint(s, i);
    ++n;
  }
  return n;
}

bool Taken(const std::vector<std::string>& names, std::string_view name) {
  return std::any_of(names.begin(), names.end(),
                     [&](const std::string& n) { return SameName(n, name); });
}

}  // namespace

bool IsValidObjectName(std::string_view name) {
  // A name has no more characters than bytes: only a long one need be counted.
  if (name.empty() || name.front() == ' ' ||
      (name.size() > kMaxNameLength && CodePoints(name) > kMaxNameLength)) {
    return false;
  }
  for (char c : name) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || c == '.' || c == '!' || c == '`' || c == '[' || c == ']' || u == 0x7F) {
      return false;
    }
  }
  return true;
}

void CheckObjectName(std::string_view name) {
  if (!IsValidObjectName(name)) throw jet_errors::InvalidName(name);
}

std::string PrimaryKeyName(const Table& table) {
  std::string name = "PrimaryKey";
  for (int n = 1; table.FindIndex(name) != nullptr; ++n) name = "PrimaryKey" + std::to_string(n);
  return name;
}

std::string NextIndexName(const Table& table) {
  for (int n = 1;; ++n) {
    std::string name = "Index_" + std::to_string(n);
    if (table.FindIndex(name) == nullptr) return name;
  }
}

std::string NextRelationshipName(const Catalog& catalog, std::string_view primary_table,
                                 const Table& foreign_table,
                                 const std::vector<std::string>& taken) {
  const auto is_free = [&](const std::string& name) {
    return catalog.FindRelationship(name) == nullptr && !Taken(taken, name) &&
           foreign_table.FindIndex(name) == nullptr;
  };
  const std::string base = std::string(primary_table) + foreign_table.name;
  for (int n = 0;; ++n) {
    std::string name = n == 0 ? base : base + std::to_string(n);
    if (CodePoints(name) > kMaxNameLength) break;
    if (is_free(name)) return name;
  }
  for (int n = 1;; ++n) {
    std::string name = "Relationship_" + std::to_string(n);
    if (is_free(name)) return name;
  }
}

}  // namespace dbaccess
