#include "dbaccess/storage/mdb/table_definition_encoder.h"

#include <limits>
#include <string>

#include "dbaccess/storage/mdb/format_error.h"
#include "dbaccess/storage/mdb/text_codec.h"

namespace dbaccess::mdb {
namespace {

// Jet 4 definition header fields the reader does not use.
constexpr size_t kDefinitionLengthOffset = 8;
constexpr size_t kMagicOffset = 12;
constexpr size_t kNextAutonumberOffset = 20;
constexpr size_t kAutonumberFlagOffset = 24;
constexpr size_t kHeaderReservedOffset = 25;

// Column block.
constexpr size_t kColumnMagicOffset = 1;
constexpr size_t kColumnDisplayIndexOffset = 9;
constexpr size_t kColumnMiscExtOffset = 13;
constexpr size_t kColumnReservedOffset = 17;

// Real index block (after its leading 4 bytes come the column slots).
constexpr size_t kRealIndexSlotSize = 3;
constexpr size_t kRealIndexUsageMapOffset = 4 + kIndexMaxColumns * kRealIndexSlotSize;
constexpr size_t kRealIndexFirstPageOffset = kRealIndexUsageMapOffset + 4;
constexpr size_t kRealIndexBeforeFlagsOffset = kRealIndexFirstPageOffset + 4;
constexpr size_t kRealIndexFlagsOffset = kRealIndexBeforeFlagsOffset + 4;
constexpr size_t kRealIndexAfterFlagsOffset = kRealIndexFlagsOffset + 1;

// Logical index block.
constexpr size_t kLogicalNumberOffset = 4;
constexpr size_t kLogicalRealIndexOffset = 8;
constexpr size_t kLogicalSideOffset = 12;
constexpr size_t kLogicalOtherIndexOffset = 13;
constexpr size_t kLogicalOtherTableOffset = 17;
constexpr size_t kLogicalCascadeUpdatesOffset = 21;
constexpr size_t kLogicalCascadeDeletesOffset = 22;
constexpr size_t kLogicalTypeOffset = 23;
constexpr size_t kLogicalReservedOffset = 24;

constexpr size_t kMapPointerSize = 4;
constexpr size_t kColumnUsageMapsEntrySize = 2 + 2 * kMapPointerSize;
constexpr size_t kMaxNameCharacters = 64;  // Jet's limit on object names

void RequireJet4(const Layout& layout) {
  if (layout.version != JetVersion::kJet4) {
    throw FormatError("table definitions are written for Jet 4 files only");
  }
}

RowPointer ReadPointer(ByteView bytes, size_t offset) {
  return RowPointer{bytes.U24(offset + 1), bytes.U8(offset)};
}

size_t SkipName(ByteView bytes, size_t pos) { return pos + 2 + bytes.U16(pos); }

// Writes little-endian numbers into a buffer that grows as needed.
class Writer {
 public:
  void Put(size_t offset, uint64_t value, size_t size) {
    if (bytes_.size() < offset + size) bytes_.resize(offset + size, 0);
    for (size_t i = 0; i < size; ++i) bytes_[offset + i] = static_cast<uint8_t>(value >> (8 * i));
  }
  void Append(uint64_t value, size_t size) { Put(bytes_.size(), value, size); }
  void Pointer(size_t offset, const RowPointer& pointer) {
    Put(offset, pointer.row, 1);
    Put(offset + 1, pointer.page, 3);
  }
  void AppendPointer(const RowPointer& pointer) { Pointer(bytes_.size(), pointer); }
  void AppendName(const std::string& name, const char* what) {
    const std::u16string text = Utf8ToUtf16(name);
    if (text.empty() || text.size() > kMaxNameCharacters) {
      throw FormatError(std::string(what) + " name \"" + name + "\" is empty or too long");
    }
    Append(2 * text.size(), 2);
    for (char16_t c : text) Append(c, 2);
  }
  size_t size() const { return bytes_.size(); }
  std::vector<uint8_t> Take() { return std::move(bytes_); }

 private:
  std::vector<uint8_t> bytes_;
};

template <typename T>
T ExtraOrDefault(const std::vector<T>& extras, size_t i) {
  return i < extras.size() ? extras[i] : T{};
}

uint8_t OrderByte(uint8_t stored, bool ascending) {
  const bool stored_ascending = (stored & kIndexColumnAscending) != 0;
  if (stored_ascending == ascending) return stored;
  return ascending ? kIndexColumnAscending : kIndexColumnDescending;
}

uint8_t FlagByte(uint8_t stored, bool set) { return (stored != 0) == set ? stored : set ? 1 : 0; }

void CheckCount(size_t count, size_t limit, const char* what) {
  if (count > limit) throw FormatError(std::string("too many ") + what + " for a table definition");
}

}  // namespace

TableDefinitionExtras DecodeTableDefinitionExtras(ByteView bytes, const Layout& layout) {
  RequireJet4(layout);
  if (bytes.U8(0) != kPageTableDefinition) throw FormatError("not a table definition");
  TableDefinitionExtras extras;
  extras.magic = bytes.U32(kMagicOffset);
  extras.next_autonumber = bytes.U32(kNextAutonumberOffset);
  extras.autonumber_flag = bytes.U8(kAutonumberFlagOffset);
  for (size_t i = 0; i < extras.header_reserved.size(); ++i) {
    extras.header_reserved[i] = bytes.U8(kHeaderReservedOffset + i);
  }
  const size_t column_count = bytes.U16(layout.tdef_column_count_offset);
  const size_t logical_count = bytes.U32(layout.tdef_logical_index_count_offset);
  const size_t real_count = bytes.U32(layout.tdef_real_index_count_offset);
  // Every entry takes bytes, so a count larger than the definition is damage.
  if (column_count > bytes.size() || logical_count > bytes.size() || real_count > bytes.size()) {
    throw FormatError("implausible table definition counts");
  }

  size_t pos = layout.tdef_blocks_offset;
  extras.real_indexes.resize(real_count);
  for (RealIndexExtras& index : extras.real_indexes) {
    for (uint32_t& count : index.counts) {
      count = bytes.U32(pos);
      pos += 4;
    }
  }
  extras.columns.resize(column_count);
  for (ColumnDefinitionExtras& column : extras.columns) {
    const ByteView block = bytes.Sub(pos, layout.column_block_size);
    column.magic = block.U32(kColumnMagicOffset);
    column.display_index = block.U16(kColumnDisplayIndexOffset);
    column.misc_ext = block.U16(kColumnMiscExtOffset);
    column.reserved = block.U32(kColumnReservedOffset);
    pos += layout.column_block_size;
  }
  for (size_t i = 0; i < column_count; ++i) pos = SkipName(bytes, pos);
  for (RealIndexExtras& index : extras.real_indexes) {
    const ByteView block = bytes.Sub(pos, layout.real_index_block_size);
    index.magic = block.U32(0);
    for (int slot = 0; slot < kIndexMaxColumns; ++slot) {
      index.order[slot] = block.U8(4 + slot * kRealIndexSlotSize + 2);
    }
    index.usage_map = ReadPointer(block, kRealIndexUsageMapOffset);
    index.before_flags = block.U32(kRealIndexBeforeFlagsOffset);
    for (size_t i = 0; i < index.after_flags.size(); ++i) {
      index.after_flags[i] = block.U8(kRealIndexAfterFlagsOffset + i);
    }
    pos += layout.real_index_block_size;
  }
  extras.logical_indexes.resize(logical_count);
  for (LogicalIndexExtras& index : extras.logical_indexes) {
    const ByteView block = bytes.Sub(pos, layout.logical_index_block_size);
    index.magic = block.U32(0);
    index.cascade_updates = block.U8(kLogicalCascadeUpdatesOffset);
    index.cascade_deletes = block.U8(kLogicalCascadeDeletesOffset);
    index.reserved = block.U32(kLogicalReservedOffset);
    pos += layout.logical_index_block_size;
  }
  for (size_t i = 0; i < logical_count; ++i) pos = SkipName(bytes, pos);

  // The long value columns' usage maps, up to the end marker. A definition that simply
  // ends is read as having none.
  const size_t end = std::min<size_t>(bytes.U32(kDefinitionLengthOffset), bytes.size());
  while (pos + 2 <= end) {
    const uint16_t number = bytes.U16(pos);
    if (number == kColumnUsageMapsEnd) break;
    bytes.Require(pos, kColumnUsageMapsEntrySize);
    extras.column_usage_maps.push_back(
        {number, ReadPointer(bytes, pos + 2), ReadPointer(bytes, pos + 2 + kMapPointerSize)});
    pos += kColumnUsageMapsEntrySize;
  }
  return extras;
}

std::vector<uint8_t> EncodeTableDefinition(const TableDefinition& def,
                                           const TableDefinitionExtras& extras,
                                           const Layout& layout) {
  RequireJet4(layout);
  constexpr size_t kMax16 = std::numeric_limits<uint16_t>::max();
  CheckCount(def.columns.size(), kMax16, "columns");
  CheckCount(def.real_indexes.size(), kMax16, "indexes");
  CheckCount(def.logical_indexes.size(), kMax16, "indexes");

  Writer out;
  out.Put(0, kPageTableDefinition, 1);
  out.Put(1, 0x01, 1);
  out.Put(kMagicOffset, extras.magic, 4);
  out.Put(layout.tdef_row_count_offset, def.row_count, 4);
  out.Put(kNextAutonumberOffset, extras.next_autonumber, 4);
  out.Put(kAutonumberFlagOffset, extras.autonumber_flag, 1);
  for (size_t i = 0; i < extras.header_reserved.size(); ++i) {
    out.Put(kHeaderReservedOffset + i, extras.header_reserved[i], 1);
  }
  out.Put(layout.tdef_table_type_offset, def.table_type, 1);
  out.Put(layout.tdef_max_columns_offset, def.max_columns, 2);
  out.Put(layout.tdef_variable_columns_offset, def.variable_columns, 2);
  out.Put(layout.tdef_column_count_offset, def.columns.size(), 2);
  out.Put(layout.tdef_logical_index_count_offset, def.logical_indexes.size(), 4);
  out.Put(layout.tdef_real_index_count_offset, def.real_indexes.size(), 4);
  out.Pointer(layout.tdef_owned_pages_offset, def.owned_pages);
  out.Pointer(layout.tdef_free_pages_offset, def.free_pages);

  for (size_t i = 0; i < def.real_indexes.size(); ++i) {
    for (uint32_t count : ExtraOrDefault(extras.real_indexes, i).counts) out.Append(count, 4);
  }

  for (size_t i = 0; i < def.columns.size(); ++i) {
    const ColumnDefinition& column = def.columns[i];
    const ColumnDefinitionExtras extra = ExtraOrDefault(extras.columns, i);
    const size_t base = out.size();
    out.Put(base + layout.column_type_offset, column.type, 1);
    out.Put(base + kColumnMagicOffset, extra.magic, 4);
    out.Put(base + layout.column_number_offset, column.number, 2);
    out.Put(base + layout.column_variable_index_offset, column.variable_index, 2);
    out.Put(base + kColumnDisplayIndexOffset, extra.display_index, 2);
    out.Put(base + layout.column_precision_offset, column.precision, 1);
    out.Put(base + layout.column_scale_offset, column.scale, 1);
    out.Put(base + kColumnMiscExtOffset, extra.misc_ext, 2);
    out.Put(base + layout.column_flags_offset, column.flags, 1);
    out.Put(base + layout.column_ext_flags_offset, column.ext_flags, 1);
    out.Put(base + kColumnReservedOffset, extra.reserved, 4);
    out.Put(base + layout.column_fixed_offset_offset, column.fixed_offset, 2);
    out.Put(base + layout.column_length_offset, column.length, 2);
  }
  for (const ColumnDefinition& column : def.columns) out.AppendName(column.name, "column");

  for (size_t i = 0; i < def.real_indexes.size(); ++i) {
    const RealIndex& index = def.real_indexes[i];
    const RealIndexExtras extra = ExtraOrDefault(extras.real_indexes, i);
    if (index.columns.size() > kIndexMaxColumns) {
      throw FormatError("an index holds at most " + std::to_string(kIndexMaxColumns) + " columns");
    }
    const size_t base = out.size();
    out.Put(base, extra.magic, 4);
    for (size_t slot = 0; slot < kIndexMaxColumns; ++slot) {
      const size_t at = base + 4 + slot * kRealIndexSlotSize;
      if (slot < index.columns.size()) {
        out.Put(at, index.columns[slot].column_number, 2);
        out.Put(at + 2, OrderByte(extra.order[slot], index.columns[slot].ascending), 1);
      } else {
        out.Put(at, kIndexColumnUnused, 2);
        out.Put(at + 2, extra.order[slot], 1);
      }
    }
    out.Pointer(base + kRealIndexUsageMapOffset, extra.usage_map);
    out.Put(base + kRealIndexFirstPageOffset, index.first_page, 4);
    out.Put(base + kRealIndexBeforeFlagsOffset, extra.before_flags, 4);
    out.Put(base + kRealIndexFlagsOffset, index.flags, 1);
    for (size_t k = 0; k < extra.after_flags.size(); ++k) {
      out.Put(base + kRealIndexAfterFlagsOffset + k, extra.after_flags[k], 1);
    }
  }

  for (size_t i = 0; i < def.logical_indexes.size(); ++i) {
    const LogicalIndex& index = def.logical_indexes[i];
    const LogicalIndexExtras extra = ExtraOrDefault(extras.logical_indexes, i);
    if (index.real_index >= def.real_indexes.size()) {
      throw FormatError("index \"" + index.name + "\" names a real index that is not there");
    }
    const size_t base = out.size();
    out.Put(base, extra.magic, 4);
    out.Put(base + kLogicalNumberOffset, index.number, 4);
    out.Put(base + kLogicalRealIndexOffset, index.real_index, 4);
    out.Put(base + kLogicalSideOffset, index.relationship_side, 1);
    out.Put(base + kLogicalOtherIndexOffset, index.other_index, 4);
    out.Put(base + kLogicalOtherTableOffset, index.other_table_page, 4);
    // Only a foreign key's cascade bytes mean something; the others are kept as they are.
    const bool foreign = index.type == kLogicalIndexForeignKey;
    out.Put(
        base + kLogicalCascadeUpdatesOffset,
        foreign ? FlagByte(extra.cascade_updates, index.cascade_updates) : extra.cascade_updates,
        1);
    out.Put(
        base + kLogicalCascadeDeletesOffset,
        foreign ? FlagByte(extra.cascade_deletes, index.cascade_deletes) : extra.cascade_deletes,
        1);
    out.Put(base + kLogicalTypeOffset, index.type, 1);
    out.Put(base + kLogicalReservedOffset, extra.reserved, 4);
  }
  for (const LogicalIndex& index : def.logical_indexes) out.AppendName(index.name, "index");

  for (const ColumnUsageMaps& maps : extras.column_usage_maps) {
    out.Append(maps.column_number, 2);
    out.AppendPointer(maps.owned_pages);
    out.AppendPointer(maps.free_pages);
  }
  out.Append(kColumnUsageMapsEnd, 2);

  if (out.size() > std::numeric_limits<uint32_t>::max()) {
    throw FormatError("table definition too large");
  }
  out.Put(kDefinitionLengthOffset, out.size(), 4);
  return out.Take();
}

}  // namespace dbaccess::mdb
