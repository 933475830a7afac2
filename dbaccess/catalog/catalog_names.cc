#include "dbaccess/catalog/catalog_names.h"

#include <cstdio>

#include "dbaccess/base/jet_error.h"
#include "dbaccess/base/shown_text.h"
#include "dbaccess/base/utf8.h"
#include "dbaccess/catalog/jet_names.h"
#include "dbaccess/catalog/object_names.h"

namespace dbaccess {
namespace {

constexpr int kInvalidNameError = 3125;

std::string Quoted(std::string_view name) { return "'" + ShownText(name) + "'"; }

[[noreturn]] void Refuse(std::string_view path, const std::string& object, std::string_view name) {
  throw JetError(kInvalidNameError,
                 "The database '" + ShownText(path, 260) + "' cannot be used: " + object +
                     " has an invalid name. " + Quoted(name) +
                     " is not a valid name. Make sure that it does not include invalid characters "
                     "or punctuation and that it is not too long.");
}

// Valid UTF-8 without a character of code 0: what a text of the structure must be to be
// shown, compared and written into the action lists.
bool IsCleanText(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    const char32_t c = NextCodePoint(text, i);
    if (c == 0 || (c >= 0xDC80 && c <= 0xDCFF)) return false;
  }
  return true;
}

// `object()` tells what bears the name; it is worked out only for a name refused, so that a
// sound catalog costs no text.
template <typename Describe>
void Check(std::string_view path, std::string_view name, const Describe& object) {
  if (!IsValidObjectName(name) || !IsCleanText(name)) Refuse(path, object(), name);
}

template <typename Describe>
void CheckText(std::string_view path, std::string_view text, const Describe& what) {
  if (IsCleanText(text)) return;
  throw JetError(kInvalidNameError, "The database '" + ShownText(path, 260) +
                                        "' cannot be used: " + what() +
                                        " holds a character of code 0 or bytes that are no "
                                        "UTF-8 text: " +
                                        Quoted(text) + ".");
}

}  // namespace

void CheckCatalogNames(const Catalog& catalog, std::string_view path) {
  for (const Table& table : catalog.tables()) {
    const auto of_table = [&] { return " of table " + Quoted(table.name); };
    Check(path, table.name, [&] { return "table " + Quoted(table.name); });
    for (const Column& column : table.columns) {
      Check(path, column.name, [&] { return "field " + Quoted(column.name) + of_table(); });
      if (column.default_value) {
        CheckText(path, *column.default_value,
                  [&] { return "the default value of field " + Quoted(column.name) + of_table(); });
      }
    }
    for (const Index& index : table.indexes) {
      Check(path, index.name, [&] { return "index " + Quoted(index.name) + of_table(); });
      for (const IndexColumn& column : index.columns) {
        Check(path, column.name, [&] {
          return "field " + Quoted(column.name) + " of index " + Quoted(index.name) + of_table();
        });
      }
    }
  }
  for (const Relationship& r : catalog.relationships()) {
    const auto relationship = [&] { return "relationship " + Quoted(r.name); };
    Check(path, r.name, relationship);
    Check(path, r.primary_table,
          [&] { return "table " + Quoted(r.primary_table) + " of " + relationship(); });
    Check(path, r.foreign_table,
          [&] { return "table " + Quoted(r.foreign_table) + " of " + relationship(); });
    for (const std::string& c : r.primary_columns) {
      Check(path, c, [&] { return "field " + Quoted(c) + " of " + relationship(); });
    }
    for (const std::string& c : r.foreign_columns) {
      Check(path, c, [&] { return "field " + Quoted(c) + " of " + relationship(); });
    }
  }
  for (const Query& query : catalog.queries()) {
    Check(path, query.name, [&] { return "saved query " + Quoted(query.name); });
    CheckText(path, query.sql, [&] { return "the text of saved query " + Quoted(query.name); });
  }
}

}  // namespace dbaccess
