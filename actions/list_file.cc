#include "actions/list_file.h"

#include <array>
#include <charconv>
#include <pugixml.hpp>
#include <string_view>
#include <unordered_map>

#include "actions/cp1251.h"
#include "actions/file_io.h"
#include "actions/workbench_texts.h"
#include "dbaccess/base/ascii_case.h"
#include "dbaccess/base/utf8.h"
#include "dbaccess/catalog/jet_names.h"

namespace actions {
namespace {

using dbaccess::EqualsIgnoringAsciiCase;

using dbaccess::Variant;

// The datapacket's fixed parts.
constexpr std::string_view kHeader = "<?xml version=\"1.0\" standalone=\"yes\"?>";
constexpr std::string_view kAfterHeader = "  ";
constexpr std::string_view kVersionAttribute = "Version";
constexpr std::string_view kVersion = "2.0";
constexpr std::string_view kBooleanType = "boolean";
constexpr std::string_view kStringType = "string";
constexpr std::string_view kMemoType = "bin.hex";
constexpr std::string_view kTextSubtype = "Text";
constexpr std::string_view kTrue = "TRUE";
constexpr std::string_view kFalse = "FALSE";

// Element and attribute names.
constexpr char kDataPacket[] = "DATAPACKET";
constexpr char kMetadata[] = "METADATA";
constexpr char kFields[] = "FIELDS";
constexpr char kField[] = "FIELD";
constexpr char kParams[] = "PARAMS";
constexpr char kRowData[] = "ROWDATA";
constexpr char kRow[] = "ROW";
constexpr char kAttrName[] = "attrname";
constexpr char kFieldType[] = "fieldtype";
constexpr char kWidth[] = "WIDTH";
constexpr char kSubtype[] = "SUBTYPE";

// The widest string column a file may declare.
constexpr int kMaxStringWidth = 8192;

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";
constexpr char32_t kLastCodePoint = 0x10FFFF;

struct Replacement {
  char character;
  std::string_view text;
};
constexpr Replacement kReplacements[] = {
    {'\t', "&#009;"}, {'\n', "&#010;"}, {'\r', "&#013;"}, {'"', "&quot;"},  {'&', "&amp;"},
    {'\'', "&apos;"}, {'<', "&lt;"},    {'>', "&gt;"},    {'\\', "&#092;"},
};

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

bool IsSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }

// The text with its first letter in lower case, to follow a colon.
std::string LowerFirst(const std::string& text) {
  if (text.empty()) return text;
  size_t i = 0;
  dbaccess::NextCodePoint(text, i);
  return dbaccess::FoldName(std::string_view(text).substr(0, i)) + text.substr(i);
}

// The replacement of each ASCII character, empty for those written as they are.
const std::array<std::string_view, 128>& AsciiReplacements() {
  static const std::array<std::string_view, 128> table = [] {
    std::array<std::string_view, 128> t{};
    for (const Replacement& r : kReplacements) t[static_cast<unsigned char>(r.character)] = r.text;
    return t;
  }();
  return table;
}

// ---- writing -------------------------------------------------------------------------------

// Appends an attribute value: replaced characters, Windows-1251 bytes, and character
// references for characters without a byte. Returns false for a text no XML file can hold
// (a character with code 0, invalid UTF-8).
bool AppendAttributeValue(std::string& out, std::string_view utf8) {
  const auto& replacements = AsciiReplacements();
  size_t i = 0;
  while (i < utf8.size()) {
    const auto byte = static_cast<unsigned char>(utf8[i]);
    if (byte < 0x80) {  // the common case: ASCII
      if (byte == 0) return false;
      if (!replacements[byte].empty()) {
        out += replacements[byte];
      } else {
        out += static_cast<char>(byte);
      }
      ++i;
      continue;
    }
    const char32_t c = dbaccess::NextCodePoint(utf8, i);
    if (IsSurrogate(c) || c > kLastCodePoint) return false;
    if (std::optional<unsigned char> encoded = cp1251::EncodeChar(c)) {
      out += static_cast<char>(*encoded);
    } else {
      out += "&#";
      out += std::to_string(static_cast<uint32_t>(c));
      out += ';';
    }
  }
  return true;
}

bool IsNameStart(char32_t c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':' || c >= 0x80;
}

bool IsNameChar(char32_t c) {
  return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

// Whether `name` can be an XML attribute name written in Windows-1251.
bool IsWritableName(std::string_view name) {
  if (name.empty()) return false;
  size_t i = 0;
  bool first = true;
  while (i < name.size()) {
    const char32_t c = dbaccess::NextCodePoint(name, i);
    if (!(first ? IsNameStart(c) : IsNameChar(c)) || !cp1251::EncodeChar(c)) return false;
    first = false;
  }
  return true;
}

void AppendName(std::string& out, std::string_view name) {
  out += cp1251::Encode(name, [](char32_t, std::string&) {});  // checked by IsWritableName
}

// ---- reading -------------------------------------------------------------------------------

std::string XmlErrorText(const pugi::xml_parse_result& result, std::string_view text) {
  std::string what;
  switch (result.status) {
    case pugi::status_no_document_element:
      return texts::kXmlNoElement;
    case pugi::status_end_element_mismatch:
      what = texts::kXmlEndTagMismatch;
      break;
    case pugi::status_bad_start_element:
      what = texts::kXmlBadStartTag;
      break;
    case pugi::status_bad_attribute:
      what = texts::kXmlBadAttribute;
      break;
    case pugi::status_bad_end_element:
      what = texts::kXmlBadEndTag;
      break;
    case pugi::status_out_of_memory:
      return texts::kXmlOutOfMemory;
    default:
      what = texts::kXmlOtherError;
      break;
  }
  // The position in characters: the text is UTF-8, so count the bytes that start one.
  size_t characters = 0;
  const auto end =
      std::min(static_cast<size_t>(std::max<ptrdiff_t>(result.offset, 0)), text.size());
  for (size_t i = 0; i < end; ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) ++characters;
  }
  return texts::kXmlBrokenHead + what + texts::kXmlAtCharacter + std::to_string(characters + 1) +
         ")";
}

bool IsValidText(std::string_view utf8) {
  size_t i = 0;
  while (i < utf8.size()) {
    if (static_cast<unsigned char>(utf8[i]) < 0x80) {
      ++i;
      continue;
    }
    const char32_t c = dbaccess::NextCodePoint(utf8, i);
    if (IsSurrogate(c) || c > kLastCodePoint) return false;
  }
  return true;
}

// The columns of a list file by name, to find a row's attributes and a repeated
// declaration in constant time (a file may declare very many).
using ColumnIndex = std::unordered_map<std::string_view, size_t>;

Column ReadField(const pugi::xml_node& field, int number, const ColumnIndex& earlier) {
  const std::string name = field.attribute(kAttrName).value();
  if (name.empty()) {
    throw ListError(texts::kFileColumnNumberHead + std::to_string(number) +
                    texts::kFileColumnWithoutName + kAttrName + ")");
  }
  if (!IsValidText(name) || !IsWritableName(name)) {
    throw ListError(texts::kFileBadColumnName + Quoted(name));
  }
  if (earlier.contains(name))
    throw ListError(texts::kFileColumnHead + Quoted(name) + texts::kFileDescribedTwice);
  const std::string_view type = field.attribute(kFieldType).value();
  if (type == kBooleanType) return Column::Boolean(name);
  if (type == kMemoType && std::string_view(field.attribute(kSubtype).value()) == kTextSubtype) {
    return Column::Memo(name);
  }
  if (type == kStringType) {
    const std::string_view text = field.attribute(kWidth).value();
    int width = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), width);
    if (error != std::errc() || end != text.data() + text.size() || width <= 0 ||
        width > kMaxStringWidth) {
      throw ListError(texts::kFileStringColumnHead + Quoted(name) + texts::kFileBadWidth +
                      Quoted(text));
    }
    return Column::String(name, width);
  }
  std::string described(type);
  if (type == kMemoType) described += " " + std::string(field.attribute(kSubtype).value());
  throw ListError(texts::kFileColumnHead + Quoted(name) + texts::kFileUnsupportedType +
                  Quoted(described));
}

Variant ReadValue(const Column& column, std::string_view text, int row) {
  if (text.empty()) return Variant();
  if (column.kind == ColumnKind::kBoolean) {
    if (EqualsIgnoringAsciiCase(text, kTrue)) return Variant::Boolean(true);
    if (EqualsIgnoringAsciiCase(text, kFalse)) return Variant::Boolean(false);
    throw ListError(texts::kFileInRow + std::to_string(row) + texts::kFileValue + Quoted(text) +
                    texts::kFileOfColumn + Quoted(column.name) + texts::kFileNotBoolean +
                    std::string(kTrue) + texts::kFileOr + std::string(kFalse) + ")");
  }
  if (!IsValidText(text)) {
    throw ListError(texts::kFileInRow + std::to_string(row) + texts::kFileValueOfColumn +
                    Quoted(column.name) + texts::kFileBadCharacterReference);
  }
  if (column.kind == ColumnKind::kString) {
    return Variant::Text(CutToCharacters(text, column.width));
  }
  return Variant::Text(std::string(text));
}

Row ReadRow(const pugi::xml_node& element, const std::vector<Column>& columns,
            const ColumnIndex& index_of, int number) {
  Row row(columns.size());
  std::vector<bool> seen(columns.size(), false);
  for (const pugi::xml_attribute& attribute : element.attributes()) {
    const std::string_view name = attribute.name();
    const auto found = index_of.find(name);
    const size_t index = found == index_of.end() ? columns.size() : found->second;
    if (index == columns.size()) {
      throw ListError(texts::kFileInRow + std::to_string(number) + texts::kFileUnknownColumn +
                      Quoted(name));
    }
    if (seen[index]) {
      throw ListError(texts::kFileInRow + std::to_string(number) + texts::kFileColumnInRow +
                      Quoted(name) + texts::kGivenTwice);
    }
    seen[index] = true;
    row[index] = ReadValue(columns[index], attribute.value(), number);
  }
  return row;
}

pugi::xml_node RequiredChild(const pugi::xml_node& parent, const char* name) {
  pugi::xml_node child = parent.child(name);
  if (!child) {
    throw ListError(std::string(texts::kFileNoElement) + name + texts::kFileInsideTail +
                    parent.name());
  }
  return child;
}

std::string LoadFailure(const std::string& path, const std::string& reason) {
  return texts::kListLoadFailed + Quoted(path) + ": " + LowerFirst(reason);
}

std::string SaveFailure(const std::string& path, const std::string& reason) {
  return texts::kListSaveFailed + Quoted(path) + ": " + LowerFirst(reason);
}

}  // namespace

std::string EncodeListFile(const ActionList& list) {
  const std::vector<Column>& columns = list.columns();
  std::string out;
  out += kHeader;
  out += kAfterHeader;
  out += "<";
  out += kDataPacket;
  out += " ";
  out += kVersionAttribute;
  out += "=\"";
  out += kVersion;
  out += "\"><";
  out += kMetadata;
  out += "><";
  out += kFields;
  out += ">";
  for (const Column& column : columns) {
    if (!IsWritableName(column.name)) {
      throw ListError(texts::kFileColumnNameHead + Quoted(column.name) +
                      texts::kFileNameNotWritable);
    }
    out += "<";
    out += kField;
    out += " ";
    out += kAttrName;
    out += "=\"";
    AppendName(out, column.name);
    out += "\" ";
    out += kFieldType;
    out += "=\"";
    switch (column.kind) {
      case ColumnKind::kBoolean:
        out += kBooleanType;
        out += "\"";
        break;
      case ColumnKind::kString:
        out += kStringType;
        out += "\" ";
        out += kWidth;
        out += "=\"";
        out += std::to_string(column.width);
        out += "\"";
        break;
      case ColumnKind::kMemo:
        out += kMemoType;
        out += "\" ";
        out += kSubtype;
        out += "=\"";
        out += kTextSubtype;
        out += "\"";
        break;
    }
    out += "/>";
  }
  out += "</";
  out += kFields;
  out += "><";
  out += kParams;
  out += "/></";
  out += kMetadata;
  out += "><";
  out += kRowData;
  out += ">";
  const int row_count = list.RowCount();
  out.reserve(out.size() + static_cast<size_t>(row_count) * 128);
  for (int r = 0; r < row_count; ++r) {
    const Row& row = list.RowAt(r);
    out += "<";
    out += kRow;
    for (size_t c = 0; c < columns.size(); ++c) {
      const Variant& value = row[c];
      if (value.IsEmpty() || value.IsNull()) continue;
      out += " ";
      AppendName(out, columns[c].name);
      out += "=\"";
      if (value.IsBoolean()) {
        out += value.AsBoolean() ? kTrue : kFalse;
      } else if (!AppendAttributeValue(out, value.AsText())) {
        throw ListError(texts::kFileInRow + std::to_string(r + 1) + texts::kFileValueOfColumn +
                        Quoted(columns[c].name) + texts::kFileBadCharacter);
      }
      out += "\"";
    }
    out += "/>";
  }
  out += "</";
  out += kRowData;
  out += "></";
  out += kDataPacket;
  out += ">";
  return out;
}

ListFileContents DecodeListFile(std::string_view bytes) {
  if (bytes.empty()) throw ListError(texts::kFileEmpty);
  std::string text = bytes.starts_with(kUtf8ByteOrderMark)
                         ? std::string(bytes.substr(kUtf8ByteOrderMark.size()))
                         : cp1251::Decode(bytes);
  pugi::xml_document document;
  const pugi::xml_parse_result result = document.load_buffer_inplace(
      text.data(), text.size(), pugi::parse_escapes, pugi::encoding_utf8);
  if (!result) throw ListError(XmlErrorText(result, text));

  pugi::xml_node root;
  for (const pugi::xml_node& node : document.children()) {
    if (node.type() != pugi::node_element) continue;
    if (root || std::string_view(node.name()) != kDataPacket) {
      throw ListError(std::string(texts::kFileNotAList) + kDataPacket + texts::kFileElementFound +
                      Quoted(node.name()));
    }
    root = node;
  }
  if (!root) throw ListError(std::string(texts::kFileNoElement) + kDataPacket);

  ListFileContents contents;
  // Names of the document's attributes, which outlive the index.
  ColumnIndex index_of;
  const pugi::xml_node fields = RequiredChild(RequiredChild(root, kMetadata), kFields);
  for (const pugi::xml_node& field : fields.children()) {
    if (field.type() != pugi::node_element) continue;
    if (std::string_view(field.name()) != kField) {
      throw ListError(std::string(texts::kFileInside) + kFields + texts::kFileElementFound +
                      Quoted(field.name()));
    }
    contents.columns.push_back(
        ReadField(field, static_cast<int>(contents.columns.size()) + 1, index_of));
    index_of.emplace(field.attribute(kAttrName).value(), contents.columns.size() - 1);
  }
  for (const pugi::xml_node& element : RequiredChild(root, kRowData).children()) {
    if (element.type() != pugi::node_element) continue;
    if (std::string_view(element.name()) != kRow) {
      throw ListError(std::string(texts::kFileInside) + kRowData + texts::kFileElementFound +
                      Quoted(element.name()));
    }
    contents.rows.push_back(
        ReadRow(element, contents.columns, index_of, static_cast<int>(contents.rows.size()) + 1));
  }
  return contents;
}

void SaveList(ActionList& list, const std::string& path) {
  try {
    list.MergePendingEdits();
    ReplaceFile(path, EncodeListFile(list));
  } catch (const FileError& e) {
    throw ListError(SaveFailure(path, e.reason()));
  } catch (const ListError& e) {
    throw ListError(SaveFailure(path, e.what()));
  }
}

void LoadList(ActionList& list, const std::string& path, std::span<const Column> known) {
  list.Close();
  try {
    ListFileContents contents = DecodeListFile(ReadFile(path));
    for (Column& column : contents.columns) {
      if (column.kind != ColumnKind::kString) continue;
      for (const Column& k : known) {
        if (k.kind == ColumnKind::kString && k.name == column.name && k.width > column.width) {
          column.width = k.width;
        }
      }
    }
    list.Open(std::move(contents.columns), std::move(contents.rows));
  } catch (const FileError& e) {
    throw ListError(LoadFailure(path, e.reason()));
  } catch (const ListError& e) {
    throw ListError(LoadFailure(path, e.what()));
  }
}

bool LoadListIfPresent(ActionList& list, const std::string& path, std::span<const Column> known) {
  if (!FileExists(path)) return false;
  LoadList(list, path, known);
  return true;
}

}  // namespace actions
