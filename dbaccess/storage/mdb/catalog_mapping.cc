#include "dbaccess/storage/mdb/catalog_mapping.h"

#include <algorithm>
#include <numeric>
#include <string>
#include <unordered_map>

#include "dbaccess/catalog/jet_names.h"
#include "dbaccess/storage/mdb/format_error.h"
#include "dbaccess/storage/mdb/property_blob.h"
#include "dbaccess/storage/mdb/text_codec.h"

namespace dbaccess::mdb {
namespace {

TableKind KindOf(const StoredTable& table) {
  if (table.linked) return TableKind::kLinked;
  if (table.object.system()) return TableKind::kSystem;
  if (table.object.access_system()) return TableKind::kAccessSystem;
  return TableKind::kUser;
}

std::vector<Index> MapIndexes(const TableDefinition& def) {
  std::vector<Index> indexes;
  for (const LogicalIndex& logical : def.logical_indexes) {
    if (logical.type == kLogicalIndexForeignKey &&
        logical.relationship_side == kRelationshipSidePrimary) {
      continue;  // the primary table's half of a relationship
    }
    indexes.push_back(MapIndex(def, logical));
  }
  return indexes;
}

Table MapTable(const StoredTable& stored, const Layout& layout, const TextDecoder& text) {
  Table table;
  table.name = stored.object.name;
  table.kind = KindOf(stored);
  if (stored.linked) return table;
  const TableDefinition& def = stored.definition;
  const PropertyMaps properties = DecodePropertyBlob(ByteView(stored.object.properties), text);
  // The columns' maps by folded name, the first of a name winning as in PropertyMaps::Find:
  // one look-up per column rather than a search of every map.
  std::unordered_map<std::string, const PropertyMap*> column_maps;
  for (const PropertyMap& map : properties.maps) {
    if (map.kind == kPropertyChunkColumn) column_maps.emplace(FoldName(map.name), &map);
  }
  table.columns.reserve(def.columns.size());
  for (size_t i : ModelColumnOrder(def)) {
    const auto found = column_maps.find(FoldName(def.columns[i].name));
    const PropertyMap* properties = found == column_maps.end() ? nullptr : found->second;
    table.columns.push_back(MapColumn(def.columns[i], properties, layout));
  }
  table.indexes = MapIndexes(def);
  table.rows = ModelRows(def, stored.rows);
  return table;
}

Rule UpdateRule(uint32_t grbit) {
  return (grbit & kRelationshipCascadeUpdates) != 0 ? Rule::kCascade : Rule::kNoAction;
}

Rule DeleteRule(uint32_t grbit) {
  if ((grbit & kRelationshipCascadeDeletes) != 0) return Rule::kCascade;
  if ((grbit & kRelationshipCascadeNull) != 0) return Rule::kSetNull;
  return Rule::kNoAction;
}

bool IsSystemKind(TableKind kind) {
  return kind == TableKind::kSystem || kind == TableKind::kAccessSystem;
}

}  // namespace

// The definition's columns in the order of their numbers: the model's order.
std::vector<size_t> ModelColumnOrder(const TableDefinition& def) {
  std::vector<size_t> order(def.columns.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&def](size_t a, size_t b) {
    return def.columns[a].number < def.columns[b].number;
  });
  return order;
}

Row ModelRow(const std::vector<size_t>& order, Row&& stored) {
  Row row;
  row.reserve(order.size());
  for (size_t i : order) row.push_back(std::move(stored[i]));
  return row;
}

std::vector<Row> ModelRows(const TableDefinition& def, const std::vector<Row>& stored) {
  const std::vector<size_t> order = ModelColumnOrder(def);
  std::vector<Row> rows;
  rows.reserve(stored.size());
  for (const Row& stored_row : stored) rows.push_back(ModelRow(order, Row(stored_row)));
  return rows;
}

Column MapColumn(const ColumnDefinition& def, const PropertyMap* properties, const Layout& layout) {
  Column column;
  column.name = def.name;
  column.type = ModelType(def.type);
  switch (column.type) {
    case DataType::kText:
      column.size = layout.wide_text ? def.length / 2 : def.length;
      break;
    case DataType::kBinary:
      column.size = def.length;
      break;
    case DataType::kDecimal:
      column.precision = def.precision;
      column.scale = def.scale;
      break;
    default:
      break;
  }
  column.auto_increment =
      column.type == DataType::kLong && (def.flags & kColumnFlagAutoNumber) != 0;
  if (properties != nullptr) {
    for (const Property& property : properties->properties) {
      if (SameName(property.name, kRequiredPropertyName)) {
        column.required = PropertyIsTrue(property);
      } else if (SameName(property.name, kDefaultValuePropertyName)) {
        column.default_value = PropertyDisplayText(property);
      } else {
        column.extra_properties[property.name] = PropertyDisplayText(property);
      }
    }
  }
  return column;
}

Index MapIndex(const TableDefinition& def, const LogicalIndex& logical) {
  const RealIndex& real = def.real_indexes[logical.real_index];
  Index index;
  index.name = logical.name;
  for (const RealIndexColumn& c : real.columns) {
    auto it = std::find_if(def.columns.begin(), def.columns.end(),
                           [&c](const ColumnDefinition& d) { return d.number == c.column_number; });
    if (it != def.columns.end()) index.columns.push_back({it->name, !c.ascending});
  }
  if (logical.type == kLogicalIndexForeignKey) {
    index.foreign = true;
  } else {
    index.primary = logical.type == kLogicalIndexPrimaryKey;
    index.unique = index.primary || (real.flags & kIndexFlagUnique) != 0;
    index.ignore_nulls = (real.flags & kIndexFlagIgnoreNulls) != 0;
    index.required = index.primary || (real.flags & kIndexFlagRequired) != 0;
  }
  return index;
}

DataType ModelType(uint8_t column_type) {
  switch (column_type) {
    case kTypeBoolean:
      return DataType::kBit;
    case kTypeByte:
      return DataType::kByte;
    case kTypeInt:
      return DataType::kShort;
    case kTypeLong:
      return DataType::kLong;
    case kTypeMoney:
      return DataType::kCurrency;
    case kTypeFloat:
      return DataType::kSingle;
    case kTypeDouble:
      return DataType::kDouble;
    case kTypeDateTime:
      return DataType::kDateTime;
    case kTypeText:
      return DataType::kText;
    case kTypeOle:
      return DataType::kLongBinary;
    case kTypeMemo:
      return DataType::kMemo;
    case kTypeGuid:
      return DataType::kGuid;
    case kTypeNumeric:
      return DataType::kDecimal;
    default:
      return DataType::kBinary;
  }
}

uint8_t StoredColumnType(DataType type) {
  switch (type) {
    case DataType::kBit:
      return kTypeBoolean;
    case DataType::kByte:
      return kTypeByte;
    case DataType::kShort:
      return kTypeInt;
    case DataType::kLong:
      return kTypeLong;
    case DataType::kSingle:
      return kTypeFloat;
    case DataType::kDouble:
      return kTypeDouble;
    case DataType::kCurrency:
      return kTypeMoney;
    case DataType::kDateTime:
      return kTypeDateTime;
    case DataType::kText:
      return kTypeText;
    case DataType::kMemo:
      return kTypeMemo;
    case DataType::kBinary:
      return kTypeBinary;
    case DataType::kLongBinary:
      return kTypeOle;
    case DataType::kGuid:
      return kTypeGuid;
    case DataType::kDecimal:
      return kTypeNumeric;
  }
  return kTypeBinary;
}

Catalog BuildCatalog(const StoredDatabase& db) {
  const Layout& layout = db.header.layout();
  const TextDecoder text(db.header.version, db.header.code_page);
  Catalog catalog;

  std::vector<const StoredTable*> tables;
  for (const StoredTable& table : db.tables) tables.push_back(&table);
  std::stable_sort(tables.begin(), tables.end(), [](const StoredTable* a, const StoredTable* b) {
    return NameLess(a->object.name, b->object.name);
  });
  for (const StoredTable* stored : tables) {
    if (catalog.FindTable(stored->object.name) != nullptr) {
      throw FormatError("two tables named " + stored->object.name);
    }
    catalog.AddTable(MapTable(*stored, layout, text));
  }

  for (const RelationshipDefinition& def : GroupRelationships(db.relationships)) {
    const Table* primary = catalog.FindTable(def.primary_table);
    const Table* foreign = catalog.FindTable(def.foreign_table);
    if (primary == nullptr || foreign == nullptr || IsSystemKind(primary->kind) ||
        IsSystemKind(foreign->kind)) {
      continue;
    }
    Relationship relationship;
    relationship.name = def.name;
    relationship.primary_table = primary->name;
    relationship.foreign_table = foreign->name;
    relationship.primary_columns = def.primary_columns;
    relationship.foreign_columns = def.foreign_columns;
    relationship.update_rule = UpdateRule(def.grbit);
    relationship.delete_rule = DeleteRule(def.grbit);
    relationship.enforced = (def.grbit & kRelationshipNotEnforced) == 0;
    catalog.relationships().push_back(std::move(relationship));
  }

  // A foreign-key index belongs to its relationship: where the relationship is not part of
  // the model (one between system tables), neither is its index.
  for (const Table& listed : catalog.tables()) {
    Table* table = catalog.FindTable(listed.name);
    std::erase_if(table->indexes, [&](const Index& index) {
      if (!index.foreign) return false;
      const Relationship* r = catalog.FindRelationship(index.name);
      return r == nullptr || !SameName(r->foreign_table, table->name);
    });
  }

  std::vector<const StoredQuery*> queries;
  for (const StoredQuery& query : db.queries) queries.push_back(&query);
  std::stable_sort(queries.begin(), queries.end(), [](const StoredQuery* a, const StoredQuery* b) {
    return NameLess(a->object.name, b->object.name);
  });
  for (const StoredQuery* stored : queries) {
    if (catalog.FindQuery(stored->object.name) != nullptr) {
      throw FormatError("two queries named " + stored->object.name);
    }
    catalog.AddQuery(
        Query{stored->object.name, RebuildQuerySql(stored->object.flags, stored->rows)});
  }
  return catalog;
}

}  // namespace dbaccess::mdb
