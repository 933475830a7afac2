#include "cli/table_text.h"

#include <charconv>

#include "dbaccess/base/shown_text.h"
#include "dbaccess/base/utf8.h"

namespace cli {

namespace {

// Appends the text as EscapeText writes it.
void AppendEscaped(std::string& out, std::string_view text) {
  // Most texts are printable ASCII without a backslash, written as they stand.
  bool plain = true;
  for (char c : text) plain &= c >= 0x20 && c < 0x7F && c != '\\';
  if (plain) {
    out.append(text);
    return;
  }
  // Many of the rest hold none of the four characters written as escapes of their own.
  if (text.find_first_of("\t\r\n\\") == std::string_view::npos) {
    out += dbaccess::ShownControls(text);
    return;
  }
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
        out += dbaccess::ShownControls(text.substr(start, i - start));
    }
  }
}

// Appends the value as CellText writes it, without a string of its own.
void AppendCellText(std::string& out, const dbaccess::Variant& value) {
  using Kind = dbaccess::Variant::Kind;
  switch (value.kind()) {
    case Kind::kNull:
      out += "\\N";
      return;
    case Kind::kText:
      AppendEscaped(out, value.AsText());
      return;
    case Kind::kInteger: {
      char digits[24];
      const auto end = std::to_chars(digits, digits + sizeof digits, value.AsInteger()).ptr;
      out.append(digits, end);
      return;
    }
    default:
      AppendEscaped(out, value.DisplayText());
  }
}

// Appends count fields, tab-separated, each as `append(line, i)` writes it.
template <typename AppendField>
void AppendFields(std::string& line, size_t count, AppendField append) {
  for (size_t i = 0; i < count; ++i) {
    if (i > 0) line += '\t';
    append(line, i);
  }
}

// Ends the line, writes it in one write and empties it for the next.
void WriteOut(std::ostream& out, std::string& line) {
  line += '\n';
  out.write(line.data(), static_cast<std::streamsize>(line.size()));
  line.clear();
}

}  // namespace

std::string EscapeText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  AppendEscaped(out, text);
  return out;
}

std::string CellText(const dbaccess::Variant& value) {
  std::string text;
  AppendCellText(text, value);
  return text;
}

void WriteLine(std::ostream& out, const std::vector<std::string>& cells) {
  // One write a line: the stream passes each write on to the C library at once.
  std::string line;
  for (size_t i = 0; i < cells.size(); ++i) {
    if (i > 0) line += '\t';
    line += cells[i];
  }
  line += '\n';
  out.write(line.data(), static_cast<std::streamsize>(line.size()));
}

void WriteRecordset(std::ostream& out, dbaccess::ado::Recordset& recordset) {
  const auto fields = static_cast<size_t>(recordset.FieldCount());
  std::string line;  // kept from row to row: one write a line, its buffer reused
  AppendFields(line, fields,
               [&](std::string& to, size_t i) { to += recordset.FieldName(static_cast<int>(i)); });
  WriteOut(out, line);
  for (recordset.MoveFirst(); !recordset.Eof(); recordset.MoveNext()) {
    AppendFields(line, fields, [&](std::string& to, size_t i) {
      AppendCellText(to, recordset.FieldAt(static_cast<int>(i)));
    });
    WriteOut(out, line);
  }
}

void TableTextWriter::Columns(const std::vector<std::string>& names) {
  AppendFields(line_, names.size(), [&](std::string& to, size_t i) { to += names[i]; });
  WriteOut(out_, line_);
}

void TableTextWriter::Row(std::vector<dbaccess::Variant>&& row) {
  AppendFields(line_, row.size(), [&](std::string& to, size_t i) { AppendCellText(to, row[i]); });
  WriteOut(out_, line_);
}

}  // namespace cli
