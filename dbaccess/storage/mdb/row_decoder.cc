#include "dbaccess/storage/mdb/row_decoder.h"

#include <algorithm>

#include "dbaccess/storage/mdb/format.h"

namespace dbaccess::mdb {
namespace {

constexpr int kMaxDecimalScale = 38;
constexpr size_t kJumpSpan = 256;

// The offsets of the variable-length fields, end-of-data last. `data_end` is where the
// offset tables begin; every offset must lie within [0, data_end].
std::vector<size_t> VariableOffsets(ByteView row, size_t mask_size, const Layout& layout) {
  const size_t n = row.size();
  std::vector<size_t> offsets;
  if (layout.version == JetVersion::kJet4) {
    if (n < mask_size + 2) throw FormatError("row too short");
    const size_t count_pos = n - mask_size - 2;
    const size_t count = row.U16(count_pos);
    if (count_pos < 2 * (count + 1)) throw FormatError("variable offsets outside row");
    offsets.resize(count + 1);
    for (size_t i = 0; i <= count; ++i) offsets[i] = row.U16(count_pos - 2 - 2 * i);
    const size_t table_start = count_pos - 2 * (count + 1);
    for (size_t offset : offsets) {
      if (offset > table_start) throw FormatError("variable offset outside row");
    }
    return offsets;
  }
  // Jet 3.
  if (n < mask_size + 1) throw FormatError("row too short");
  const size_t count_pos = n - mask_size - 1;
  const size_t count = row.U8(count_pos);
  size_t jumps = (n - 1) / kJumpSpan;
  if (count_pos < jumps + count + 1) throw FormatError("variable offsets outside row");
  const size_t first_entry = count_pos - jumps - 1;  // entry 0; entry i at first_entry - i
  const size_t end_entry = first_entry - count;      // the end-of-data entry
  // An entry for a boundary the data never reaches is a placeholder.
  if (jumps > 0 && end_entry / kJumpSpan < jumps) --jumps;
  offsets.resize(count + 1);
  size_t used = 0;
  for (size_t i = 0; i <= count; ++i) {
    while (used < jumps && row.U8(count_pos - 1 - used) <= i) ++used;
    offsets[i] = row.U8(first_entry - i) + kJumpSpan * used;
  }
  for (size_t offset : offsets) {
    if (offset > end_entry) throw FormatError("variable offset outside row");
  }
  return offsets;
}

int64_t SignedField(ByteView bytes, size_t size) {
  bytes.Require(0, size);
  switch (size) {
    case 1:
      return bytes.U8(0);
    case 2:
      return bytes.I16(0);
    case 4:
      return bytes.I32(0);
    default:
      return bytes.I64(0);
  }
}

}  // namespace

size_t FixedFieldSize(const ColumnDefinition& column) {
  switch (column.type) {
    case kTypeBoolean:
      return 0;
    case kTypeByte:
      return 1;
    case kTypeInt:
      return 2;
    case kTypeLong:
      return 4;
    case kTypeFloat:
      return 4;
    case kTypeMoney:
    case kTypeDouble:
    case kTypeDateTime:
      return 8;
    case kTypeGuid:
      return kGuidSize;
    case kTypeNumeric:
      return kDecimalSize;
    default:
      return column.length;
  }
}

std::vector<RawField> CrackRow(ByteView row, const TableDefinition& def, const Layout& layout) {
  const size_t column_count =
      layout.row_column_count_size == 2 ? row.U16(0) : static_cast<size_t>(row.U8(0));
  const size_t mask_size = (column_count + 7) / 8;
  if (row.size() < layout.row_column_count_size + mask_size) throw FormatError("row too short");
  const ByteView mask = row.Sub(row.size() - mask_size, mask_size);
  auto bit = [&](uint16_t number) {
    return number < column_count && (mask.U8(number / 8) & (1u << (number % 8))) != 0;
  };

  const bool has_variable = std::any_of(def.columns.begin(), def.columns.end(),
                                        [](const ColumnDefinition& c) { return !c.fixed(); });
  std::vector<size_t> offsets;
  if (has_variable) offsets = VariableOffsets(row, mask_size, layout);

  std::vector<RawField> fields(def.columns.size());
  for (size_t i = 0; i < def.columns.size(); ++i) {
    const ColumnDefinition& column = def.columns[i];
    RawField& field = fields[i];
    if (column.type == kTypeBoolean) {
      field.kind = RawField::Kind::kBoolean;
      field.boolean = bit(column.number);
      continue;
    }
    if (!bit(column.number)) continue;  // null, or a column added after the row was written
    if (column.fixed()) {
      field.kind = RawField::Kind::kBytes;
      field.bytes = row.Sub(layout.row_fixed_data_offset + size_t{column.fixed_offset},
                            FixedFieldSize(column));
      continue;
    }
    if (size_t{column.variable_index} + 1 >= offsets.size()) continue;  // not in this row
    const size_t start = offsets[column.variable_index];
    const size_t end = offsets[column.variable_index + 1];
    if (end < start) throw FormatError("variable field ends before it starts");
    field.kind = RawField::Kind::kBytes;
    field.bytes = row.Sub(start, end - start);
  }
  return fields;
}

std::string DecodeGuid(ByteView bytes) {
  bytes.Require(0, kGuidSize);
  static constexpr char kHex[] = "0123456789ABCDEF";
  // Byte order of the text: the first three groups are little-endian numbers.
  static constexpr int kOrder[kGuidSize] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
  std::string out = "{";
  for (size_t i = 0; i < kGuidSize; ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) out.push_back('-');
    const uint8_t b = bytes.U8(kOrder[i]);
    out.push_back(kHex[b >> 4]);
    out.push_back(kHex[b & 0xF]);
  }
  out.push_back('}');
  return out;
}

std::string DecodeDecimal(ByteView bytes, int scale) {
  bytes.Require(0, kDecimalSize);
  if (scale < 0 || scale > kMaxDecimalScale) throw FormatError("decimal scale out of range");
  const bool negative = bytes.U8(0) != 0;
  unsigned __int128 magnitude = 0;
  for (int word = 0; word < 4; ++word) {
    magnitude = (magnitude << 32) | bytes.U32(1 + 4 * word);
  }
  std::string digits;
  do {
    digits.push_back(static_cast<char>('0' + static_cast<int>(magnitude % 10)));
    magnitude /= 10;
  } while (magnitude != 0);
  while (digits.size() <= static_cast<size_t>(scale)) digits.push_back('0');
  std::reverse(digits.begin(), digits.end());
  if (scale > 0) digits.insert(digits.end() - scale, '.');
  const bool zero = digits.find_first_not_of("0.") == std::string::npos;
  return (negative && !zero) ? "-" + digits : digits;
}

Cell DecodeField(const ColumnDefinition& column, const RawField& field, const TextDecoder& text,
                 LongValueReader& long_values) {
  switch (field.kind) {
    case RawField::Kind::kNull:
      return Cell{};
    case RawField::Kind::kBoolean:
      return Cell{field.boolean};
    case RawField::Kind::kBytes:
      break;
  }
  const ByteView bytes = field.bytes;
  switch (column.type) {
    case kTypeByte:
      return Cell{SignedField(bytes, 1)};
    case kTypeInt:
      return Cell{SignedField(bytes, 2)};
    case kTypeLong:
      return Cell{SignedField(bytes, 4)};
    case kTypeMoney:
      return Cell{SignedField(bytes, 8)};
    case kTypeFloat:
      return Cell{static_cast<double>(bytes.F32(0))};
    case kTypeDouble:
    case kTypeDateTime:
      return Cell{bytes.F64(0)};
    case kTypeGuid:
      return Cell{DecodeGuid(bytes)};
    case kTypeNumeric:
      return Cell{DecodeDecimal(bytes, column.scale)};
    case kTypeText:
      return Cell{text.Decode(bytes)};
    case kTypeMemo: {
      const std::vector<uint8_t> data = long_values.Read(bytes);
      return Cell{text.Decode(ByteView(data))};
    }
    case kTypeOle:
      return Cell{Bytes{long_values.Read(bytes)}};
    default:
      return Cell{Bytes{bytes.ToVector()}};  // Binary and types we do not interpret
  }
}

}  // namespace dbaccess::mdb
