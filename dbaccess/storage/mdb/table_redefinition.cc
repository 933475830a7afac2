#include "dbaccess/storage/mdb/table_redefinition.h"

#include <algorithm>
#include <map>
#include <numeric>
#include <set>

#include "dbaccess/base/jet_error.h"
#include "dbaccess/catalog/jet_names.h"
#include "dbaccess/storage/mdb/catalog_mapping.h"
#include "dbaccess/storage/mdb/index_order.h"
#include "dbaccess/storage/mdb/property_blob.h"
#include "dbaccess/storage/mdb/property_blob_encoder.h"

namespace dbaccess::mdb {
namespace {

// A property the model keeps as display text, stored as text.
Property TextProperty(const std::string& name, const std::string& text) {
  return Property{name, kTypeText, false, Cell{text}};
}

ColumnDescription DescribeColumn(const Column& column) {
  ColumnDescription out;
  out.name = column.name;
  out.type = StoredColumnType(column.type);
  if (column.type == DataType::kText || column.type == DataType::kBinary) {
    out.size = static_cast<uint16_t>(column.size);
  }
  if (column.type == DataType::kDecimal) {
    out.precision = static_cast<uint8_t>(column.precision);
    out.scale = static_cast<uint8_t>(column.scale);
  }
  out.autonumber = column.auto_increment && column.type == DataType::kLong;
  out.required = column.required;
  out.default_value = column.default_value;
  for (const auto& [name, text] : column.extra_properties) {
    out.properties.push_back(TextProperty(name, text));
  }
  return out;
}

IndexDescription DescribeIndex(const Index& index) {
  IndexDescription out;
  out.name = index.name;
  for (const IndexColumn& c : index.columns) out.columns.push_back({c.name, !c.descending});
  out.primary = index.primary;
  out.unique = index.unique;
  out.ignore_nulls = index.ignore_nulls;
  out.required = index.required;
  return out;
}

// Whether the column is stored as it was: the same type, size and numbering.
bool SameStorage(const Column& a, const Column& b) {
  return a.type == b.type && a.size == b.size && a.precision == b.precision && a.scale == b.scale &&
         a.auto_increment == b.auto_increment;
}

// The property blob made to say what the model says (see the header).
class PropertyReconciler {
 public:
  PropertyReconciler(const std::vector<uint8_t>& blob, const Header& header) {
    if (blob.empty()) return;
    const TextDecoder text(header.version, header.code_page);
    stored_ = DecodePropertyBlob(ByteView(blob), text);
    stored_extras_ = DecodePropertyBlobExtras(ByteView(blob), text);
    out_extras_.names = stored_extras_.names;
  }

  // The blob for `table`, whose column i continues the stored column named continued[i]
  // (none: a new column); `stored_names` names every stored column.
  std::vector<uint8_t> Reconcile(const Table& table,
                                 const std::vector<std::optional<std::string>>& continued,
                                 const std::vector<std::string>& stored_names) {
    std::map<size_t, size_t> taken;  // stored map -> the model column that keeps it
    for (size_t i = 0; i < table.columns.size(); ++i) {
      if (!continued[i]) continue;
      const std::optional<size_t> m = ColumnMap(*continued[i]);
      if (m && taken.count(*m) == 0) taken[*m] = i;
    }
    std::set<size_t> gone;  // maps of stored columns that are no more
    for (const std::string& name : stored_names) {
      const std::optional<size_t> m = ColumnMap(name);
      if (m && taken.count(*m) == 0) gone.insert(*m);
    }
    std::vector<bool> has_map(table.columns.size(), false);
    for (size_t m = 0; m < stored_.maps.size(); ++m) {
      const PropertyMap& map = stored_.maps[m];
      if (const auto keeper = taken.find(m); keeper != taken.end()) {
        AddColumnMap(table.columns[keeper->second], m);
        has_map[keeper->second] = true;
      } else if (gone.count(m) == 0 &&
                 (map.kind != kPropertyChunkColumn || table.FindColumn(map.name) == nullptr)) {
        out_.maps.push_back(map);  // the table's own map, or one of no column
        out_extras_.values.push_back(StoredValues(m));
      }
    }
    for (size_t i = 0; i < table.columns.size(); ++i) {
      if (!has_map[i]) AddColumnMap(table.columns[i], std::nullopt);
    }
    if (stored_.maps.empty() && !out_.maps.empty()) {
      // The table's own map comes first, as in the blob of a new table.
      out_.maps.insert(out_.maps.begin(), PropertyMap{"", kPropertyChunkObject, {}});
      out_extras_.values.insert(out_extras_.values.begin(), std::vector<StoredValue>{});
    }
    return EncodePropertyBlob(out_, out_extras_);
  }

 private:
  using StoredValue = PropertyBlobExtras::StoredValue;

  // The first column map of that name, as the reader finds it.
  std::optional<size_t> ColumnMap(const std::string& name) const {
    for (size_t m = 0; m < stored_.maps.size(); ++m) {
      if (stored_.maps[m].kind == kPropertyChunkColumn && SameName(stored_.maps[m].name, name)) {
        return m;
      }
    }
    return std::nullopt;
  }

  std::vector<StoredValue> StoredValues(size_t map) const {
    return map < stored_extras_.values.size() ? stored_extras_.values[map]
                                              : std::vector<StoredValue>{};
  }

  // The column's map: the stored one `from` (if any) renamed, its properties made to say
  // what the model's column says. A new map without properties is left out.
  void AddColumnMap(const Column& column, std::optional<size_t> from) {
    PropertyMap map{column.name, kPropertyChunkColumn, {}};
    std::vector<StoredValue> values;
    std::vector<StoredValue> stored_values;
    if (from) {
      map.properties = stored_.maps[*from].properties;
      stored_values = StoredValues(*from);
    }
    std::vector<bool> keep(map.properties.size(), true);
    bool required_seen = false;
    bool default_seen = false;
    std::map<std::string, bool> extras_seen;
    for (size_t p = 0; p < map.properties.size(); ++p) {
      Property& property = map.properties[p];
      if (SameName(property.name, kRequiredPropertyName)) {
        required_seen = true;
        if (PropertyIsTrue(property) != column.required) {
          property = RequiredProperty(column.required);
        }
      } else if (SameName(property.name, kDefaultValuePropertyName)) {
        default_seen = true;
        if (!column.default_value) {
          keep[p] = false;
        } else if (PropertyDisplayText(property) != *column.default_value) {
          property = DefaultValueProperty(*column.default_value);
        }
      } else {
        const auto found = column.extra_properties.find(property.name);
        if (found == column.extra_properties.end()) {
          keep[p] = false;
          continue;
        }
        extras_seen[found->first] = true;
        if (PropertyDisplayText(property) == found->second) continue;
        const bool textual = property.data_type == kTypeText || property.data_type == kTypeMemo;
        property =
            textual ? Property{property.name, property.data_type, property.ddl, Cell{found->second}}
                    : TextProperty(property.name, found->second);
      }
    }
    std::vector<Property> properties;
    for (size_t p = 0; p < map.properties.size(); ++p) {
      if (!keep[p]) continue;
      properties.push_back(map.properties[p]);
      values.push_back(p < stored_values.size() ? stored_values[p] : StoredValue{});
    }
    if (!default_seen && column.default_value) {
      properties.push_back(DefaultValueProperty(*column.default_value));
      values.emplace_back();
    }
    if (!required_seen && column.required) {
      properties.push_back(RequiredProperty(true));
      values.emplace_back();
    }
    for (const auto& [name, text] : column.extra_properties) {
      if (extras_seen.count(name) != 0) continue;
      properties.push_back(TextProperty(name, text));
      values.emplace_back();
    }
    if (!from && properties.empty()) return;
    map.properties = std::move(properties);
    out_.maps.push_back(std::move(map));
    out_extras_.values.push_back(std::move(values));
  }

  PropertyMaps stored_;
  PropertyBlobExtras stored_extras_;
  PropertyMaps out_;
  PropertyBlobExtras out_extras_;
};

}  // namespace

TableDescription DescribeTable(const Table& table) {
  TableDescription out;
  out.name = table.name;
  for (const Column& column : table.columns) out.columns.push_back(DescribeColumn(column));
  for (const Index& index : table.indexes) {
    if (!index.foreign) out.indexes.push_back(DescribeIndex(index));
  }
  return out;
}

RedefinedTable RedefineTable(const StoredTableParts& stored, const Table& table,
                             const std::vector<std::optional<uint16_t>>& origins,
                             const Header& header) {
  const TableDefinition& old = stored.definition;
  const Layout& layout = header.layout();
  std::map<uint16_t, size_t> by_number;  // stored column number -> position
  uint16_t next_number = old.max_columns;
  for (size_t i = 0; i < old.columns.size(); ++i) {
    by_number[old.columns[i].number] = i;
    next_number = std::max<uint16_t>(next_number, old.columns[i].number + 1);
  }

  // Columns: each under the number of the stored column it continues, or a new one; those
  // whose storage stays keep their stored definition.
  TableDescription description = DescribeTable(table);
  std::vector<std::optional<size_t>> kept(table.columns.size());
  std::vector<std::optional<std::string>> continued(table.columns.size());
  for (size_t i = 0; i < table.columns.size(); ++i) {
    ColumnDescription& column = description.columns[i];
    if (!origins[i]) {
      column.number = next_number++;
      continue;
    }
    const auto found = by_number.find(*origins[i]);
    if (found == by_number.end()) throw FormatError("no stored column of that number");
    const ColumnDefinition& was = old.columns[found->second];
    if (StoredColumnType(ModelType(was.type)) != was.type) {
      throw jet_errors::TableNotWritable(
          table.name, "its column '" + was.name + "' is of a type that is not written here");
    }
    column.number = was.number;
    continued[i] = was.name;
    if (SameStorage(MapColumn(was, nullptr, layout), table.columns[i])) kept[i] = found->second;
  }
  DefinedTable defined = DefineTable(description, header);
  TableDefinition& def = defined.definition;
  TableDefinitionExtras& extras = defined.extras;
  def.table_type = old.table_type;
  def.max_columns = std::max(def.max_columns, next_number);
  for (size_t i = 0; i < def.columns.size(); ++i) {
    if (!kept[i]) continue;
    ColumnDefinition column = old.columns[*kept[i]];
    column.name = def.columns[i].name;
    column.fixed_offset = def.columns[i].fixed_offset;
    column.variable_index = def.columns[i].variable_index;
    def.columns[i] = std::move(column);
    if (*kept[i] < stored.extras.columns.size()) {
      extras.columns[i] = stored.extras.columns[*kept[i]];
    }
  }

  // Real indexes the new definition shares with the stored one keep their extras.
  for (size_t r = 0; r < def.real_indexes.size(); ++r) {
    for (size_t s = 0; s < old.real_indexes.size(); ++s) {
      if (SameRealIndex(def.real_indexes[r], old.real_indexes[s]) &&
          s < stored.extras.real_indexes.size()) {
        extras.real_indexes[r] = stored.extras.real_indexes[s];
        break;
      }
    }
  }
  // Logical indexes: those still there unchanged keep their numbers and extras; new ones
  // come after the highest number, in the model's order.
  TableDefinition renamed = old;
  renamed.columns = def.columns;  // the stored indexes' columns under their new names
  uint32_t next_index = 0;
  for (const LogicalIndex& index : old.logical_indexes) {
    next_index = std::max(next_index, index.number + 1);
  }
  auto stored_logical_extras = [&](size_t position) {
    if (position < stored.extras.logical_indexes.size()) {
      return stored.extras.logical_indexes[position];
    }
    LogicalIndexExtras fallback;
    fallback.cascade_updates = kNoForeignKeyCascadeByte;
    fallback.cascade_deletes = kNoForeignKeyCascadeByte;
    return fallback;
  };
  std::vector<LogicalIndex> logical = def.logical_indexes;
  std::vector<LogicalIndexExtras> logical_extras = extras.logical_indexes;
  std::vector<size_t> model_order(logical.size());
  std::iota(model_order.begin(), model_order.end(), 0);
  std::sort(model_order.begin(), model_order.end(),
            [&](size_t a, size_t b) { return logical[a].number < logical[b].number; });
  for (size_t l : model_order) {
    LogicalIndex& index = logical[l];
    const Index wanted = MapIndex(def, index);
    std::optional<size_t> same;
    for (size_t s = 0; s < old.logical_indexes.size() && !same; ++s) {
      const LogicalIndex& was = old.logical_indexes[s];
      if (was.type == kLogicalIndexForeignKey || !SameName(was.name, index.name)) continue;
      Index as_stored = MapIndex(renamed, was);
      as_stored.name = wanted.name;
      if (as_stored == wanted) same = s;
    }
    if (same) {
      index.number = old.logical_indexes[*same].number;
      logical_extras[l] = stored_logical_extras(*same);
    } else {
      index.number = next_index++;
    }
  }
  // The indexes of relationships, as stored.
  for (size_t s = 0; s < old.logical_indexes.size(); ++s) {
    const LogicalIndex& was = old.logical_indexes[s];
    if (was.type != kLogicalIndexForeignKey) continue;
    const RealIndex& real = old.real_indexes[was.real_index];
    for (const RealIndexColumn& c : real.columns) {
      const bool there =
          std::any_of(def.columns.begin(), def.columns.end(),
                      [&](const ColumnDefinition& d) { return d.number == c.column_number; });
      if (!there) {
        throw jet_errors::TableNotWritable(
            table.name, "a column of the relationship index '" + was.name + "' is gone");
      }
    }
    auto shared = std::find_if(def.real_indexes.begin(), def.real_indexes.end(),
                               [&](const RealIndex& r) { return SameRealIndex(r, real); });
    if (shared == def.real_indexes.end()) {
      def.real_indexes.push_back(real);
      extras.real_indexes.push_back(was.real_index < stored.extras.real_indexes.size()
                                        ? stored.extras.real_indexes[was.real_index]
                                        : RealIndexExtras{});
      shared = def.real_indexes.end() - 1;
    }
    LogicalIndex index = was;
    index.real_index = static_cast<uint32_t>(shared - def.real_indexes.begin());
    logical.push_back(index);
    logical_extras.push_back(stored_logical_extras(s));
  }
  def.logical_indexes = std::move(logical);
  extras.logical_indexes = std::move(logical_extras);
  OrderIndexes(def, extras);

  // The header's bytes and the autonumber stay.
  extras.magic = stored.extras.magic;
  extras.next_autonumber = stored.extras.next_autonumber;
  extras.autonumber_flag = stored.extras.autonumber_flag;
  extras.header_reserved = stored.extras.header_reserved;

  std::vector<std::string> stored_names;
  for (const ColumnDefinition& column : old.columns) stored_names.push_back(column.name);
  RedefinedTable out;
  out.properties =
      PropertyReconciler(stored.properties, header).Reconcile(table, continued, stored_names);
  out.table = std::move(defined);
  return out;
}

}  // namespace dbaccess::mdb
