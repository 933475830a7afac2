#include "dbaccess/storage/mdb/table_definition.h"

#include <set>

namespace dbaccess::mdb {
namespace {

// Limits well above anything Jet writes (255 columns, 32 indexes), so that a corrupt count
// fails fast instead of driving long loops.
constexpr uint32_t kMaxColumns = 4096;
constexpr uint32_t kMaxIndexes = 1024;
constexpr int kMaxDefinitionPages = 256;

std::string ReadName(ByteView bytes, size_t& pos, const Layout& layout, const TextDecoder& text) {
  const size_t length = layout.name_length_size == 2 ? bytes.U16(pos) : bytes.U8(pos);
  pos += layout.name_length_size;
  const std::string name = text.DecodeName(bytes.Sub(pos, length));
  pos += length;
  return name;
}

RowPointer ReadMapPointer(ByteView bytes, size_t offset) {
  return RowPointer{bytes.U24(offset + 1), bytes.U8(offset)};
}

}  // namespace

TableDefinition DecodeTableDefinition(ByteView bytes, const Layout& layout,
                                      const TextDecoder& text) {
  if (bytes.U8(0) != kPageTableDefinition) throw FormatError("not a table definition");
  TableDefinition def;
  def.table_type = bytes.U8(layout.tdef_table_type_offset);
  def.row_count = bytes.U32(layout.tdef_row_count_offset);
  def.max_columns = bytes.U16(layout.tdef_max_columns_offset);
  def.variable_columns = bytes.U16(layout.tdef_variable_columns_offset);
  const uint32_t column_count = bytes.U16(layout.tdef_column_count_offset);
  const uint32_t logical_count = bytes.U32(layout.tdef_logical_index_count_offset);
  const uint32_t real_count = bytes.U32(layout.tdef_real_index_count_offset);
  if (column_count > kMaxColumns || logical_count > kMaxIndexes || real_count > kMaxIndexes) {
    throw FormatError("implausible table definition counts");
  }
  def.owned_pages = ReadMapPointer(bytes, layout.tdef_owned_pages_offset);
  def.free_pages = ReadMapPointer(bytes, layout.tdef_free_pages_offset);

  size_t pos = layout.tdef_blocks_offset;
  pos += static_cast<size_t>(real_count) * layout.tdef_real_index_count_entry_size;

  def.columns.resize(column_count);
  for (ColumnDefinition& column : def.columns) {
    const ByteView block = bytes.Sub(pos, layout.column_block_size);
    column.type = block.U8(layout.column_type_offset);
    column.number = block.U16(layout.column_number_offset);
    column.variable_index = block.U16(layout.column_variable_index_offset);
    column.precision = block.U8(layout.column_precision_offset);
    column.scale = block.U8(layout.column_scale_offset);
    column.flags = block.U8(layout.column_flags_offset);
    column.ext_flags =
        layout.column_ext_flags_offset >= 0 ? block.U8(layout.column_ext_flags_offset) : 0;
    column.fixed_offset = block.U16(layout.column_fixed_offset_offset);
    column.length = block.U16(layout.column_length_offset);
    if (column.type == kTypeText || column.type == kTypeMemo) {
      column.sort_order = block.U16(layout.column_sort_order_offset);
      if (layout.column_sort_order_version_offset >= 0) {
        column.sort_order_version = block.U8(layout.column_sort_order_version_offset);
      }
    }
    pos += layout.column_block_size;
  }
  for (ColumnDefinition& column : def.columns) column.name = ReadName(bytes, pos, layout, text);

  def.real_indexes.resize(real_count);
  for (RealIndex& index : def.real_indexes) {
    const ByteView block = bytes.Sub(pos, layout.real_index_block_size);
    size_t at = layout.real_index_skip_before;
    for (int i = 0; i < kIndexMaxColumns; ++i) {
      const uint16_t number = block.U16(at);
      const uint8_t order = block.U8(at + 2);
      at += 3;
      if (number == kIndexColumnUnused) continue;
      index.columns.push_back({number, (order & kIndexColumnAscending) != 0});
    }
    index.usage_map = ReadMapPointer(block, at);
    at += 4;
    index.first_page = block.U32(at);
    at += 4 + layout.real_index_skip_before_flags;
    index.flags = block.U8(at);
    pos += layout.real_index_block_size;
  }

  def.logical_indexes.resize(logical_count);
  for (LogicalIndex& index : def.logical_indexes) {
    const ByteView block = bytes.Sub(pos, layout.logical_index_block_size);
    size_t at = layout.logical_index_skip_before;
    index.number = block.U32(at);
    index.real_index = block.U32(at + 4);
    index.relationship_side = block.U8(at + 8);
    index.other_index = block.U32(at + 9);
    index.other_table_page = block.U32(at + 13);
    index.cascade_updates = block.U8(at + 17) != 0;
    index.cascade_deletes = block.U8(at + 18) != 0;
    index.type = block.U8(at + 19);
    if (index.real_index >= real_count) throw FormatError("logical index without real index");
    pos += layout.logical_index_block_size;
  }
  for (LogicalIndex& index : def.logical_indexes) index.name = ReadName(bytes, pos, layout, text);
  return def;
}

TableDefinition ReadTableDefinition(const PageFile& file, uint32_t page, const TextDecoder& text) {
  std::vector<uint8_t> bytes;
  std::set<uint32_t> seen;
  uint32_t next = page;
  while (next != 0) {
    if (!seen.insert(next).second || seen.size() > kMaxDefinitionPages) {
      throw FormatError("table definition chain loops");
    }
    std::shared_ptr<const Page> data = file.ReadOnce(next);
    const ByteView view(*data);
    if (view.U8(0) != kPageTableDefinition) throw FormatError("not a table definition page");
    if (bytes.empty()) {
      bytes.assign(view.data(), view.data() + view.size());
    } else {
      const ByteView rest = view.From(kTableDefinitionPageHeader);
      bytes.insert(bytes.end(), rest.data(), rest.data() + rest.size());
    }
    next = view.U32(kTableDefinitionNextPageOffset);
  }
  TableDefinition def = DecodeTableDefinition(ByteView(bytes), file.layout(), text);
  def.page = page;
  return def;
}

}  // namespace dbaccess::mdb
