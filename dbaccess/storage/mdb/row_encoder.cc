#include "dbaccess/storage/mdb/row_encoder.h"

#include <algorithm>
#include <cstring>

#include "dbaccess/storage/mdb/format.h"
#include "dbaccess/storage/mdb/format_error.h"
#include "dbaccess/storage/mdb/row_decoder.h"
#include "dbaccess/storage/mdb/text_codec.h"

namespace dbaccess::mdb {
namespace {

constexpr int kMaxDecimalDigits = 28;
constexpr size_t kMaxRowOffset = 0xFFFF;

void PutLE(std::vector<uint8_t>& out, uint64_t value, size_t size) {
  for (size_t i = 0; i < size; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

template <typename T>
const T& Expect(const Cell& value, const char* what) {
  const T* held = std::get_if<T>(&value);
  if (held == nullptr) throw FormatError(std::string("value is not ") + what);
  return *held;
}

int64_t Integer(const Cell& value, int64_t low, int64_t high) {
  const int64_t v = Expect<int64_t>(value, "an integer");
  if (v < low || v > high) throw FormatError("integer out of range for its column");
  return v;
}

bool Compressible(std::u16string_view text) {
  return std::all_of(text.begin(), text.end(), [](char16_t c) { return c >= 1 && c <= 0xFF; });
}

// Jet 4 text: compressed when the column allows it and every character fits one byte.
std::vector<uint8_t> EncodeText(const ColumnDefinition& column, std::string_view utf8) {
  const std::u16string text = Utf8ToUtf16(utf8);
  if ((column.ext_flags & kColumnExtFlagCompressedUnicode) != 0 && !text.empty() &&
      Compressible(text)) {
    return EncodeCompressedText(text);
  }
  std::vector<uint8_t> out;
  out.reserve(2 * text.size());
  for (char16_t c : text) PutLE(out, c, 2);
  return out;
}

std::vector<uint8_t> InlineLongValue(const std::vector<uint8_t>& data) {
  std::vector<uint8_t> out;
  out.reserve(kLongValueDefinitionSize + data.size());
  PutLE(out, data.size() | (uint32_t{kLongValueInline} << 24), 4);
  PutLE(out, 0, 8);
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::vector<uint8_t> EncodeGuid(std::string_view text) {
  // Text order of the stored bytes (the first three groups are little-endian numbers).
  static constexpr int kOrder[kGuidSize] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
  if (text.size() != 38 || text.front() != '{' || text.back() != '}') {
    throw FormatError("not a GUID");
  }
  std::vector<uint8_t> out(kGuidSize);
  size_t at = 1;
  for (size_t i = 0; i < kGuidSize; ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) {
      if (text[at++] != '-') throw FormatError("not a GUID");
    }
    const int high = HexDigit(text[at]);
    const int low = HexDigit(text[at + 1]);
    if (high < 0 || low < 0) throw FormatError("not a GUID");
    out[kOrder[i]] = static_cast<uint8_t>(high * 16 + low);
    at += 2;
  }
  return out;
}

std::vector<uint8_t> EncodeDecimal(std::string_view text, int scale) {
  bool negative = false;
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  const size_t point = text.find('.');
  std::string_view whole = text.substr(0, point);
  std::string_view fraction = point == std::string_view::npos ? "" : text.substr(point + 1);
  while (!fraction.empty() && fraction.back() == '0') fraction.remove_suffix(1);
  if (whole.empty() && fraction.empty()) throw FormatError("not a decimal");
  if (fraction.size() > static_cast<size_t>(scale)) throw FormatError("decimal beyond its scale");
  unsigned __int128 magnitude = 0;
  int digits = 0;
  auto add = [&](char c) {
    if (c < '0' || c > '9') throw FormatError("not a decimal");
    magnitude = magnitude * 10 + static_cast<unsigned>(c - '0');
    if (magnitude != 0 && ++digits > kMaxDecimalDigits) throw FormatError("decimal too large");
  };
  for (char c : whole) add(c);
  for (char c : fraction) add(c);
  for (size_t i = fraction.size(); i < static_cast<size_t>(scale); ++i) add('0');
  std::vector<uint8_t> out;
  out.push_back(negative && magnitude != 0 ? 0x80 : 0x00);
  for (int word = 3; word >= 0; --word) {
    PutLE(out, static_cast<uint32_t>(magnitude >> (32 * word)), 4);
  }
  return out;
}

StoredField EncodeField(const ColumnDefinition& column, const Cell& value,
                        const LongValueSink& long_values) {
  StoredField field;
  if (column.type == kTypeBoolean) {
    field.kind = StoredField::Kind::kBoolean;
    field.boolean = !IsNull(value) && Expect<bool>(value, "a Yes/No value");
    return field;
  }
  if (IsNull(value)) return field;
  field.kind = StoredField::Kind::kBytes;
  std::vector<uint8_t>& out = field.bytes;
  switch (column.type) {
    case kTypeByte:
      PutLE(out, static_cast<uint64_t>(Integer(value, 0, 255)), 1);
      break;
    case kTypeInt:
      PutLE(out, static_cast<uint64_t>(Integer(value, INT16_MIN, INT16_MAX)), 2);
      break;
    case kTypeLong:
      PutLE(out, static_cast<uint64_t>(Integer(value, INT32_MIN, INT32_MAX)), 4);
      break;
    case kTypeMoney:
      PutLE(out, static_cast<uint64_t>(Expect<int64_t>(value, "an integer")), 8);
      break;
    case kTypeFloat: {
      const float f = static_cast<float>(Expect<double>(value, "a number"));
      uint32_t bits = 0;
      std::memcpy(&bits, &f, sizeof bits);
      PutLE(out, bits, 4);
      break;
    }
    case kTypeDouble:
    case kTypeDateTime: {
      const double d = Expect<double>(value, "a number");
      uint64_t bits = 0;
      std::memcpy(&bits, &d, sizeof bits);
      PutLE(out, bits, 8);
      break;
    }
    case kTypeGuid:
      out = EncodeGuid(Expect<std::string>(value, "a GUID text"));
      break;
    case kTypeNumeric:
      out = EncodeDecimal(Expect<std::string>(value, "a decimal text"), column.scale);
      break;
    case kTypeText: {
      // The column's size counts characters (two bytes each), compressed or not.
      const std::string& text = Expect<std::string>(value, "a text");
      if (2 * Utf8ToUtf16(text).size() > column.length) {
        throw FormatError("text longer than its column");
      }
      out = EncodeText(column, text);
      break;
    }
    case kTypeMemo:
    case kTypeOle: {
      const std::vector<uint8_t> data =
          column.type == kTypeMemo ? EncodeText(column, Expect<std::string>(value, "a text"))
                                   : Expect<Bytes>(value, "bytes").data;
      if (data.size() <= kMaxInlineLongValue) {
        out = InlineLongValue(data);
      } else {
        if (!long_values) throw FormatError("long value with nowhere to store it");
        out = long_values(data);
        if (out.size() != kLongValueDefinitionSize) throw FormatError("bad long value definition");
      }
      break;
    }
    default:
      out = Expect<Bytes>(value, "bytes").data;
      if (out.size() > column.length) throw FormatError("binary value longer than its column");
      break;
  }
  if (column.fixed() && out.size() != FixedFieldSize(column)) {
    throw FormatError("fixed-length value of the wrong size");
  }
  return field;
}

std::vector<uint8_t> EncodeRow(const TableDefinition& def, const std::vector<StoredField>& fields,
                               const RowShape& shape) {
  if (fields.size() != def.columns.size()) throw FormatError("one field per column");
  size_t column_count = shape.column_count;
  size_t fixed_bytes = shape.fixed_bytes;
  size_t variable_count = shape.variable_count;
  if (column_count == 0) column_count = def.max_columns;
  for (const ColumnDefinition& column : def.columns) {
    if (shape.column_count == 0) column_count = std::max<size_t>(column_count, column.number + 1u);
    if (column.type == kTypeBoolean) continue;
    if (column.fixed()) {
      if (shape.fixed_bytes == 0) {
        fixed_bytes = std::max(fixed_bytes, column.fixed_offset + FixedFieldSize(column));
      }
    } else if (shape.variable_count == 0) {
      variable_count = std::max<size_t>(variable_count, column.variable_index + 1u);
    }
  }
  const size_t mask_size = (column_count + 7) / 8;
  std::vector<uint8_t> mask(mask_size, 0);
  auto set_bit = [&](uint16_t number) {
    if (number >= column_count) throw FormatError("column outside the row");
    mask[number / 8] |= static_cast<uint8_t>(1u << (number % 8));
  };

  std::vector<uint8_t> row;
  PutLE(row, column_count, 2);
  row.resize(2 + fixed_bytes, 0);
  std::vector<const StoredField*> variable(variable_count, nullptr);
  for (size_t i = 0; i < def.columns.size(); ++i) {
    const ColumnDefinition& column = def.columns[i];
    const StoredField& field = fields[i];
    if (column.type == kTypeBoolean) {
      if (field.boolean) set_bit(column.number);
      continue;
    }
    if (field.kind != StoredField::Kind::kBytes) continue;
    if (column.fixed()) {
      const size_t at = 2 + size_t{column.fixed_offset};
      if (field.bytes.size() != FixedFieldSize(column) || at + field.bytes.size() > row.size()) {
        throw FormatError("fixed-length field outside the row");
      }
      std::copy(field.bytes.begin(), field.bytes.end(), row.begin() + static_cast<long>(at));
      set_bit(column.number);
    } else {
      if (column.variable_index >= variable_count) throw FormatError("variable field outside row");
      variable[column.variable_index] = &field;
      set_bit(column.number);
    }
  }
  std::vector<size_t> offsets;
  for (const StoredField* field : variable) {
    offsets.push_back(row.size());
    if (field != nullptr) row.insert(row.end(), field->bytes.begin(), field->bytes.end());
  }
  offsets.push_back(row.size());  // end of data
  if (variable_count > 0) {
    for (auto it = offsets.rbegin(); it != offsets.rend(); ++it) {
      if (*it > kMaxRowOffset) throw FormatError("row too long");
      PutLE(row, *it, 2);
    }
  }
  PutLE(row, variable_count, 2);
  row.insert(row.end(), mask.begin(), mask.end());
  return row;
}

}  // namespace dbaccess::mdb
