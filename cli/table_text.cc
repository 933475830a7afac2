#include "cli/table_text.h"

#include <cstdio>

#include "dbaccess/jet_names.h"

namespace cli {
namespace {

constexpr char32_t kInvalidByteBase = 0xDC00;  // how NextCodePoint returns a byte of no UTF-8

bool IsControl(char32_t c) {
  return c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0) ||
         (c >= kInvalidByteBase + 0x80 && c <= kInvalidByteBase + 0xFF);
}

void AppendCode(std::string& out, char32_t c) {
  char code[8];
  std::snprintf(code, sizeof code, "\\x%02X",
                static_cast<unsigned>(c >= kInvalidByteBase ? c - kInvalidByteBase : c));
  out += code;
}

}  // namespace

std::string ShownControls(std::string_view text, std::string_view kept) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const size_t start = i;
    const char32_t c = dbaccess::NextCodePoint(text, i);
    if (IsControl(c) && (c >= 0x80 || kept.find(static_cast<char>(c)) == std::string_view::npos)) {
      AppendCode(out, c);
    } else {
      out.append(text.substr(start, i - start));
    }
  }
  return out;
}

std::string EscapeText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const size_t start = i;
    const char32_t c = dbaccess::NextCodePoint(text, i);
    switch (c) {
      case '\t':
        out += "\\t";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\\':
        out += "\\\\";
        break;
      default:
        if (IsControl(c)) {
          AppendCode(out, c);
        } else {
          out.append(text.substr(start, i - start));
        }
    }
  }
  return out;
}

std::string CellText(const dbaccess::Variant& value) {
  if (value.IsNull()) return "\\N";
  return EscapeText(value.DisplayText());
}

void WriteLine(std::ostream& out, const std::vector<std::string>& cells) {
  for (size_t i = 0; i < cells.size(); ++i) {
    if (i > 0) out << '\t';
    out << cells[i];
  }
  out << '\n';
}

void WriteRecordset(std::ostream& out, dbaccess::ado::Recordset& recordset) {
  std::vector<std::string> cells;
  for (int i = 0; i < recordset.FieldCount(); ++i) cells.push_back(recordset.FieldName(i));
  WriteLine(out, cells);
  for (recordset.MoveFirst(); !recordset.Eof(); recordset.MoveNext()) {
    cells.clear();
    for (int i = 0; i < recordset.FieldCount(); ++i) {
      cells.push_back(CellText(recordset.Field(recordset.FieldName(i))));
    }
    WriteLine(out, cells);
  }
}

}  // namespace cli
