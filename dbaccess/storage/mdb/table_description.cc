#include "dbaccess/storage/mdb/table_description.h"

#include <algorithm>

#include "dbaccess/base/jet_error.h"
#include "dbaccess/catalog/jet_names.h"
#include "dbaccess/catalog/object_names.h"
#include "dbaccess/storage/mdb/index_check.h"
#include "dbaccess/storage/mdb/index_key.h"
#include "dbaccess/storage/mdb/property_blob_encoder.h"
#include "dbaccess/storage/mdb/row_decoder.h"

namespace dbaccess::mdb {
namespace {

constexpr uint16_t kBooleanLength = 1;  // what Access records for a Yes/No column

bool FixedType(uint8_t type) {
  switch (type) {
    case kTypeText:
    case kTypeBinary:
    case kTypeMemo:
    case kTypeOle:
      return false;
    default:
      return true;
  }
}

bool KnownType(uint8_t type) { return type == kTypeOle || KeyableType(type); }

bool Textual(uint8_t type) { return type == kTypeText || type == kTypeMemo; }

}  // namespace

ColumnDefinition DefineColumn(const ColumnDescription& in, const Header& header, bool system) {
  CheckObjectName(in.name);
  if (!KnownType(in.type)) throw jet_errors::SyntaxErrorInFieldDefinition();
  ColumnDefinition column;
  column.name = in.name;
  column.type = in.type;
  column.flags = kColumnFlagUpdatable;
  if (system) column.flags |= kColumnFlagSystemTable;
  column.flags |= in.other_flags;
  if (FixedType(in.type)) column.flags |= kColumnFlagFixed;
  if (in.autonumber) {
    if (in.type == kTypeLong) {
      column.flags |= kColumnFlagAutoNumber;
    } else if (in.type == kTypeGuid) {
      column.flags |= kColumnFlagAutoGuid;
    } else {
      throw jet_errors::SyntaxErrorInFieldDefinition();
    }
  }
  if (in.hyperlink) {
    if (in.type != kTypeMemo) throw jet_errors::SyntaxErrorInFieldDefinition();
    column.flags |= kColumnFlagHyperlink;
  }
  if (in.compressed_unicode) {
    if (!Textual(in.type)) throw jet_errors::SyntaxErrorInFieldDefinition();
    column.ext_flags |= kColumnExtFlagCompressedUnicode;
  }
  switch (in.type) {
    case kTypeText: {
      const size_t characters = in.size == 0 ? kMaxTextCharacters : in.size;
      if (characters > kMaxTextCharacters) throw jet_errors::FieldSizeTooLong(in.name);
      column.length = static_cast<uint16_t>(2 * characters);
      break;
    }
    case kTypeBinary: {
      const size_t bytes = in.size == 0 ? kMaxBinaryBytes : in.size;
      if (bytes > kMaxBinaryBytes) throw jet_errors::FieldSizeTooLong(in.name);
      column.length = static_cast<uint16_t>(bytes);
      break;
    }
    case kTypeMemo:
    case kTypeOle:
      column.length = 0;
      break;
    case kTypeBoolean:
      column.length = kBooleanLength;
      break;
    default:
      column.length = static_cast<uint16_t>(FixedFieldSize(column));
      break;
  }
  if (in.type == kTypeNumeric) {
    if (in.precision < 1 || in.precision > kMaxDecimalPrecision || in.scale > in.precision) {
      throw jet_errors::SyntaxErrorInFieldDefinition();
    }
    column.precision = in.precision;
    column.scale = in.scale;
  } else {
    // Access records the database's sort order in every other column; Text and Memo sort by it.
    column.precision = static_cast<uint8_t>(header.sort_order);
    column.scale = static_cast<uint8_t>(header.sort_order >> 8);
    if (Textual(in.type)) {
      column.sort_order = static_cast<uint16_t>(header.sort_order);
      column.sort_order_version = static_cast<uint8_t>(header.sort_order_version);
    }
  }
  return column;
}

ColumnDefinitionExtras NewColumnExtras(const ColumnDefinition& column, uint16_t display_index) {
  ColumnDefinitionExtras extra;
  extra.display_index = display_index;
  if (Textual(column.type)) extra.misc_ext = static_cast<uint16_t>(column.sort_order_version << 8);
  return extra;
}

uint8_t IndexFlags(const IndexDescription& index) {
  if (index.flags) return *index.flags;
  uint8_t flags = kIndexFlagAlways;
  if (index.primary || index.unique) flags |= kIndexFlagUnique;
  if (index.primary || index.required) flags |= kIndexFlagRequired;
  if (index.ignore_nulls) flags |= kIndexFlagIgnoreNulls;
  return flags;
}

bool SameRealIndex(const RealIndex& a, const RealIndex& b) {
  if (a.flags != b.flags || a.columns.size() != b.columns.size()) return false;
  for (size_t i = 0; i < a.columns.size(); ++i) {
    if (a.columns[i].column_number != b.columns[i].column_number ||
        a.columns[i].ascending != b.columns[i].ascending) {
      return false;
    }
  }
  return true;
}

namespace {

PropertyMaps DefineProperties(const TableDescription& description) {
  PropertyMaps maps;
  maps.maps.push_back(PropertyMap{"", kPropertyChunkObject, description.properties});
  bool any = !description.properties.empty();
  for (const ColumnDescription& column : description.columns) {
    PropertyMap map{column.name, kPropertyChunkColumn, {}};
    if (column.default_value) map.properties.push_back(DefaultValueProperty(*column.default_value));
    if (column.required) map.properties.push_back(RequiredProperty(true));
    map.properties.insert(map.properties.end(), column.properties.begin(), column.properties.end());
    if (map.properties.empty()) continue;
    any = true;
    maps.maps.push_back(std::move(map));
  }
  if (!any) maps.maps.clear();
  return maps;
}

void DefineIndexes(const TableDescription& description, const Header& header, DefinedTable& out) {
  TableDefinition& def = out.definition;
  if (description.indexes.size() > kMaxIndexesPerTable) throw jet_errors::TooManyIndexes();
  bool primary_seen = false;
  std::vector<LogicalIndex> logical;
  for (size_t n = 0; n < description.indexes.size(); ++n) {
    const IndexDescription& in = description.indexes[n];
    CheckObjectName(in.name);
    for (size_t k = 0; k < n; ++k) {
      if (SameName(description.indexes[k].name, in.name)) {
        throw jet_errors::IndexExists(description.name, in.name);
      }
    }
    if (in.primary && primary_seen) throw jet_errors::PrimaryKeyExists();
    primary_seen |= in.primary;
    if (in.columns.size() > static_cast<size_t>(kIndexMaxColumns)) {
      throw jet_errors::TooManyIndexFields();
    }
    RealIndex real;
    real.flags = IndexFlags(in);
    for (const IndexColumnDescription& part : in.columns) {
      const auto column =
          std::find_if(def.columns.begin(), def.columns.end(),
                       [&](const ColumnDefinition& c) { return SameName(c.name, part.column); });
      if (column == def.columns.end() || column->type == kTypeOle) {
        throw jet_errors::InvalidFieldInDefinition(part.column);
      }
      real.columns.push_back(RealIndexColumn{column->number, part.ascending});
    }
    if (real.columns.empty()) throw jet_errors::SyntaxErrorInFieldDefinition();
    const std::string why = WhyKeysNotBuildable(def, real, header);
    if (!why.empty()) throw jet_errors::TableNotWritable(description.name, why);
    auto shared = std::find_if(def.real_indexes.begin(), def.real_indexes.end(),
                               [&](const RealIndex& r) { return SameRealIndex(r, real); });
    if (shared == def.real_indexes.end()) {
      def.real_indexes.push_back(real);
      shared = def.real_indexes.end() - 1;
    }
    LogicalIndex index;
    index.name = in.name;
    index.number = static_cast<uint32_t>(n);
    index.real_index = static_cast<uint32_t>(shared - def.real_indexes.begin());
    index.type = in.primary ? kLogicalIndexPrimaryKey : kLogicalIndexNormal;
    logical.push_back(index);
  }
  std::stable_sort(
      logical.begin(), logical.end(),
      [](const LogicalIndex& a, const LogicalIndex& b) { return NameLess(a.name, b.name); });
  def.logical_indexes = std::move(logical);
  out.extras.real_indexes.assign(def.real_indexes.size(), RealIndexExtras{});
  LogicalIndexExtras logical_extras;
  logical_extras.cascade_updates = kNoForeignKeyCascadeByte;
  logical_extras.cascade_deletes = kNoForeignKeyCascadeByte;
  out.extras.logical_indexes.assign(def.logical_indexes.size(), logical_extras);
}

}  // namespace

DefinedTable DefineTable(const TableDescription& description, const Header& header) {
  CheckObjectName(description.name);
  if (description.columns.size() > kMaxColumnsPerTable) throw jet_errors::TooManyFields();
  if (description.columns.empty()) throw jet_errors::SyntaxErrorInFieldDefinition();
  DefinedTable out;
  TableDefinition& def = out.definition;
  def.table_type = description.system ? kTableTypeSystem : kTableTypeUser;
  for (size_t i = 0; i < description.columns.size(); ++i) {
    ColumnDefinition column = DefineColumn(description.columns[i], header, description.system);
    for (const ColumnDefinition& other : def.columns) {
      if (SameName(other.name, column.name)) throw jet_errors::FieldDefinedTwice();
    }
    column.number = description.columns[i].number.value_or(static_cast<uint16_t>(i));
    if (column.number >= kMaxColumnsPerTable) throw jet_errors::TooManyFields();
    for (const ColumnDefinition& other : def.columns) {
      if (other.number == column.number) throw jet_errors::SyntaxErrorInFieldDefinition();
    }
    out.extras.columns.push_back(NewColumnExtras(column, static_cast<uint16_t>(i)));
    def.columns.push_back(std::move(column));
  }
  // Places in the row, in the order of the column numbers.
  std::vector<ColumnDefinition*> by_number;
  for (ColumnDefinition& column : def.columns) by_number.push_back(&column);
  std::sort(
      by_number.begin(), by_number.end(),
      [](const ColumnDefinition* a, const ColumnDefinition* b) { return a->number < b->number; });
  uint16_t variable = 0;
  uint16_t fixed_offset = 0;
  for (ColumnDefinition* column : by_number) {
    column->variable_index = variable;
    if (!column->fixed()) {
      ++variable;
    } else if (column->type != kTypeBoolean) {
      column->fixed_offset = fixed_offset;
      fixed_offset = static_cast<uint16_t>(fixed_offset + FixedFieldSize(*column));
    }
  }
  def.max_columns = static_cast<uint16_t>(by_number.back()->number + 1);
  def.variable_columns = variable;
  DefineIndexes(description, header, out);
  out.properties = DefineProperties(description);
  return out;
}

}  // namespace dbaccess::mdb
