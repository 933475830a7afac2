#include "dbaccess/storage/text/text_script.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <unordered_map>

#include "dbaccess/base/decimal_text.h"
#include "dbaccess/base/jet_error.h"
#include "dbaccess/base/ole_date.h"
#include "dbaccess/catalog/jet_names.h"
#include "dbaccess/exec/executor.h"
#include "dbaccess/exec/insert_row.h"
#include "dbaccess/sql/parser.h"

namespace dbaccess {
namespace {

constexpr int kCurrencyScale = 4;

std::string Bracketed(std::string_view name) {
  for (char c : name) {
    const auto u = static_cast<unsigned char>(c);
    if (c == ']' || u < 0x20) throw jet_errors::InvalidName(name);
  }
  std::string out = "[";
  out.append(name);
  out += ']';
  return out;
}

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

// 'pieces' & Chr(n) for a text; with `break_lines`, a script line ends after each Chr(10).
std::string TextLiteral(std::string_view text, bool break_lines) {
  if (text.empty()) return "''";
  std::string out;
  bool in_quote = false;
  bool first = true;
  const auto separate = [&](bool after_line_feed) {
    if (first) {
      first = false;
      return;
    }
    out += after_line_feed && break_lines ? "\n  & " : " & ";
  };
  bool after_line_feed = false;
  for (char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (IsControl(u)) {
      if (in_quote) {
        out += '\'';
        in_quote = false;
      }
      separate(after_line_feed);
      out += "Chr(" + std::to_string(u) + ")";
      after_line_feed = c == '\n';
      continue;
    }
    if (!in_quote) {
      separate(after_line_feed);
      out += '\'';
      in_quote = true;
      after_line_feed = false;
    }
    out += c;
    if (c == '\'') out += '\'';
  }
  if (in_quote) out += '\'';
  return out;
}

bool HasControl(std::string_view s) {
  for (char c : s) {
    if (IsControl(static_cast<unsigned char>(c))) return true;
  }
  return false;
}

std::string Shortest(double d) {
  char buffer[64];
  const auto r = std::to_chars(buffer, buffer + sizeof buffer, d);
  return std::string(buffer, r.ptr);
}

std::string ShortestFloat(float f) {
  char buffer[64];
  const auto r = std::to_chars(buffer, buffer + sizeof buffer, f);
  return std::string(buffer, r.ptr);
}

std::string Hex(uint64_t bits, int digits) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out(static_cast<size_t>(digits), '0');
  for (int i = digits - 1; i >= 0; --i, bits >>= 4)
    out[static_cast<size_t>(i)] = kDigits[bits & 15];
  return out;
}

std::string DoubleLiteral(double d) {
  if (std::isfinite(d)) return Shortest(d);
  return "DoubleBits('" + Hex(std::bit_cast<uint64_t>(d), 16) + "')";
}

std::string SingleLiteral(double d) {
  const float f = static_cast<float>(d);
  if (static_cast<double>(f) == d && std::isfinite(f)) return ShortestFloat(f);
  if (std::isnan(d) || (std::isinf(d) && std::isinf(f))) {
    return "SingleBits('" + Hex(std::bit_cast<uint32_t>(f), 8) + "')";
  }
  return DoubleLiteral(d);
}

std::string DateLiteral(double d) {
  if (!std::isfinite(d)) return "CDate(" + DoubleLiteral(d) + ")";
  const std::string text = FormatDateText(d);
  double back = 0;
  if (!text.empty() && ParseDateText(text, back) &&
      std::bit_cast<uint64_t>(back) == std::bit_cast<uint64_t>(d)) {
    return "#" + text + "#";
  }
  return "CDate(" + Shortest(d) + ")";
}

std::string BinaryLiteral(const Bytes& bytes) {
  std::string out = "0x";
  for (uint8_t b : bytes.data) out += Hex(b, 2);
  return out;
}

std::string CellLiteral(const Cell& cell, const Column& column) {
  struct Visitor {
    const Column& column;
    std::string operator()(std::monostate) const { return "Null"; }
    std::string operator()(bool b) const { return b ? "True" : "False"; }
    std::string operator()(int64_t v) const {
      if (column.type == DataType::kCurrency) {
        return FormatShortest(FromScaledInt64(v, kCurrencyScale));
      }
      return std::to_string(v);
    }
    std::string operator()(double d) const {
      if (column.type == DataType::kDateTime) return DateLiteral(d);
      if (column.type == DataType::kSingle) return SingleLiteral(d);
      return DoubleLiteral(d);
    }
    std::string operator()(const std::string& s) const {
      if (column.type == DataType::kDecimal) {
        DecimalNumber n;
        if (ParseDecimal(s, n)) return FormatFixed(n, column.scale);
      }
      return TextLiteral(s, false);
    }
    std::string operator()(const Bytes& b) const { return BinaryLiteral(b); }
  };
  return std::visit(Visitor{column}, cell);
}

std::string TypeText(const Column& c) {
  switch (c.type) {
    case DataType::kText:
      return "Text(" +
             std::to_string(c.size >= 1 && c.size <= kMaxTextLength ? c.size : kMaxTextLength) +
             ")";
    case DataType::kBinary:
      return "Binary(" +
             std::to_string(c.size >= 1 && c.size <= kMaxTextLength ? c.size : kMaxTextLength) +
             ")";
    case DataType::kDecimal:
      return "Decimal(" + std::to_string(c.precision) + "," + std::to_string(c.scale) + ")";
    case DataType::kLong:
      if (c.auto_increment) return "COUNTER";
      break;
    default:
      break;
  }
  std::string out(SqlTypeName(c.type));
  if (c.auto_increment) out += " AUTOINCREMENT";
  return out;
}

std::string ColumnText(const Column& c) {
  std::string out = Bracketed(c.name) + " " + TypeText(c);
  if (c.required) out += " NOT NULL";
  if (c.default_value) {
    const std::string& d = *c.default_value;
    sql::Expr expr;
    if (!HasControl(d) && sql::ParseExpressionText(d, expr, true)) {
      out += " DEFAULT " + d;
    } else {
      out += " DEFAULT VERBATIM " + TextLiteral(d, false);
    }
  }
  return out;
}

std::string NameList(const std::vector<std::string>& names) {
  std::string out = "(";
  for (size_t i = 0; i < names.size(); ++i) {
    if (i > 0) out += ", ";
    out += Bracketed(names[i]);
  }
  return out + ")";
}

std::string IndexText(const Table& table, const Index& index) {
  std::string out = "CREATE ";
  if (index.unique) out += "UNIQUE ";
  out += "INDEX " + Bracketed(index.name) + " ON " + Bracketed(table.name) + " (";
  for (size_t i = 0; i < index.columns.size(); ++i) {
    if (i > 0) out += ", ";
    out += Bracketed(index.columns[i].name);
    if (index.columns[i].descending) out += " DESC";
  }
  out += ")";
  std::string with;
  if (index.primary) {
    with = " PRIMARY";
  } else if (index.required) {
    with = " DISALLOW NULL";
  }
  if (index.ignore_nulls) with += " IGNORE NULL";
  if (!with.empty()) out += " WITH" + with;
  return out + ";\n";
}

std::string RelationshipText(const Relationship& r) {
  std::string out =
      "ALTER TABLE " + Bracketed(r.foreign_table) + " ADD CONSTRAINT " + Bracketed(r.name) +
      " FOREIGN KEY " + NameList(r.foreign_columns) + "\n  REFERENCES " +
      Bracketed(r.primary_table) + " " + NameList(r.primary_columns) + " ON UPDATE " +
      std::string(RuleText(r.update_rule)) + " ON DELETE " + std::string(RuleText(r.delete_rule));
  if (!r.enforced) out += " NOT ENFORCED";
  return out + ";\n";
}

std::string TableText(const Table& t) {
  std::string out = "CREATE TABLE " + Bracketed(t.name) + " (\n";
  for (size_t i = 0; i < t.columns.size(); ++i) {
    out += "  " + ColumnText(t.columns[i]);
    out += i + 1 < t.columns.size() ? ",\n" : "\n";
  }
  out += ");\n";
  if (t.kind != TableKind::kUser) {
    out += "ALTER TABLE " + Bracketed(t.name) + " SET TYPE '" + std::string(TableTypeText(t.kind)) +
           "';\n";
  }
  for (const Column& c : t.columns) {
    for (const auto& [property, value] : c.extra_properties) {
      out += "ALTER TABLE " + Bracketed(t.name) + " ALTER COLUMN " + Bracketed(c.name) +
             " SET PROPERTY " + TextLiteral(property, false) + " = " + TextLiteral(value, false) +
             ";\n";
    }
  }
  return out;
}

std::string RowsText(const Table& t) {
  std::string head = "INSERT INTO " + Bracketed(t.name) + " (";
  for (size_t i = 0; i < t.columns.size(); ++i) {
    if (i > 0) head += ", ";
    head += Bracketed(t.columns[i].name);
  }
  head += ") VALUES (";
  std::string out;
  t.rows.ForEach([&](const Row& row) {
    out += head;
    for (size_t i = 0; i < t.columns.size(); ++i) {
      if (i > 0) out += ", ";
      out += i < row.size() ? CellLiteral(row[i], t.columns[i]) : "Null";
    }
    out += ");\n";
  });
  return out;
}

}  // namespace

std::string WriteScript(const Catalog& catalog) {
  std::string out(kScriptSignature);
  out += "\n";
  if (!catalog.tables().empty()) {
    out += "\n-- Tables\n";
    for (const Table& t : catalog.tables()) out += TableText(t);
  }
  std::string indexes;
  for (const Table& t : catalog.tables()) {
    for (const Index& index : t.indexes) {
      if (!index.foreign) indexes += IndexText(t, index);
    }
  }
  if (!indexes.empty()) out += "\n-- Indexes\n" + indexes;
  if (!catalog.relationships().empty()) {
    out += "\n-- Relationships\n";
    for (const Relationship& r : catalog.relationships()) out += RelationshipText(r);
  }
  if (!catalog.queries().empty()) {
    out += "\n-- Queries\n";
    for (const Query& q : catalog.queries()) {
      out += "CREATE QUERYDEF " + Bracketed(q.name) + " AS " + TextLiteral(q.sql, true) + ";\n";
    }
  }
  for (const Table& t : catalog.tables()) {
    if (t.rows.empty()) continue;
    out += "\n-- Rows of " + Bracketed(t.name) + "\n";
    out += RowsText(t);
  }
  out += "\n";
  out += kScriptEndMark;
  out += "\n";
  return out;
}

bool EndsWithEndMark(std::string_view text) {
  const size_t last = text.find_last_not_of(" \t\r\n");
  if (last == std::string_view::npos) return false;
  text = text.substr(0, last + 1);
  if (!text.ends_with(kScriptEndMark)) return false;
  const size_t start = text.size() - kScriptEndMark.size();
  return start == 0 || text[start - 1] == '\n';
}

Catalog ReadScript(std::string_view text) {
  constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";  // as some editors save
  if (text.substr(0, kUtf8Bom.size()) == kUtf8Bom) text.remove_prefix(kUtf8Bom.size());
  Catalog catalog;
  ChangeList ignored;
  // Next AutoNumber per table and column while rows are loaded; any other statement may
  // change the tables, so it starts the cache afresh.
  std::unordered_map<std::string, int64_t> counters;
  sql::ScriptParser parser(text);
  sql::Statement statement;
  int line = 1;
  try {
    while (parser.Next(statement, line)) {
      if (const auto* insert = std::get_if<sql::InsertInto>(&statement)) {
        Table* table = catalog.FindTable(insert->table);
        if (table == nullptr) throw jet_errors::InputTableNotFound(insert->table);
        const std::string folded = FoldName(table->name);
        Row row = BuildInsertRow(*table, *insert, true, [&](size_t column) {
          const std::string key = folded + "\n" + std::to_string(column);
          auto it = counters.find(key);
          if (it == counters.end())
            it = counters.emplace(key, NextCounterValue(*table, column)).first;
          return it->second++;
        });
        for (size_t i = 0; i < table->columns.size(); ++i) {
          if (!table->columns[i].auto_increment) continue;
          if (const auto* v = std::get_if<int64_t>(&row[i])) {
            const std::string key = folded + "\n" + std::to_string(i);
            auto it = counters.find(key);
            if (it != counters.end() && *v >= it->second) it->second = *v + 1;
          }
        }
        table->rows.push_back(std::move(row));
      } else {
        counters.clear();
        ExecuteStatement(catalog, statement, ignored);
      }
      ignored.clear();
    }
  } catch (const JetError& e) {
    throw jet_errors::ScriptError(line, e);
  }
  return catalog;
}

}  // namespace dbaccess
