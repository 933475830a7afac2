#include "dbaccess/storage/mdb/system_tables.h"

#include <algorithm>
#include <initializer_list>
#include <string_view>
#include <utility>

#include "dbaccess/storage/mdb/format_error.h"
#include "dbaccess/storage/mdb/index_key.h"
#include "dbaccess/storage/mdb/system_catalog.h"

namespace dbaccess::mdb {
namespace {

// Column flags beside kColumnFlagFixed: 0x02 is on every column Jet makes ("updatable");
// 0x10 is on every column of the engine's own tables (and on no column of a user table in
// the files we have), 0x20 on the two that hold SIDs (Owner, SID); meanings unknown.
constexpr uint8_t kUpdatable = 0x02;
constexpr uint8_t kSystemColumn = 0x10;
constexpr uint8_t kSystemBinary = 0x20;
constexpr uint8_t kFixedColumn = kColumnFlagFixed | kUpdatable | kSystemColumn;
constexpr uint8_t kVariableColumn = kUpdatable | kSystemColumn;
constexpr uint8_t kSidColumn = kUpdatable | kSystemColumn | kSystemBinary;

// Jet 4 sets 0x80 on every index it makes; meaning unknown.
constexpr uint8_t kIndexFlagJet4 = 0x80;

// The engine writes the sort order's two bytes (0x0409, "General") into every column,
// where numbers keep their precision and scale.
constexpr uint8_t kSortOrderLow = kGeneralSortOrder & 0xFF;
constexpr uint8_t kSortOrderHigh = kGeneralSortOrder >> 8;

// The cascade bytes the engine leaves on indexes that are not foreign keys.
constexpr uint8_t kStaleCascadeByte = 4;

struct ColumnSpec {
  const char* name;
  uint8_t type;
  uint16_t number;
  uint16_t variable_index;  // stale on fixed columns, kept as written
  uint16_t fixed_offset;    // stale on variable columns, kept as written
  uint16_t length;
  uint8_t flags;
};

struct RealIndexSpec {
  std::vector<uint16_t> columns;  // all ascending
  uint8_t flags;
  uint32_t distinct_keys;  // the middle count beside the index, for the initial rows
  std::array<uint8_t, kIndexMaxColumns> order;  // unused slots hold stale bytes
  uint32_t before_flags;
};

struct LogicalIndexSpec {
  const char* name;
  uint32_t number;
  uint32_t real_index;
  uint8_t type;
};

struct TableSpec {
  const char* name;
  uint32_t row_count;
  uint16_t variable_columns;
  std::vector<ColumnSpec> columns;  // in definition order (the engine sorts them by name)
  std::vector<RealIndexSpec> real_indexes;
  std::vector<LogicalIndexSpec> logical_indexes;
};

SystemTable Describe(const TableSpec& spec) {
  SystemTable table;
  table.name = spec.name;
  TableDefinition& def = table.definition;
  def.table_type = kTableTypeSystem;
  def.row_count = spec.row_count;
  def.max_columns = static_cast<uint16_t>(spec.columns.size());
  def.variable_columns = spec.variable_columns;
  for (const ColumnSpec& c : spec.columns) {
    ColumnDefinition column;
    column.name = c.name;
    column.type = c.type;
    column.number = c.number;
    column.variable_index = c.variable_index;
    column.fixed_offset = c.fixed_offset;
    column.length = c.length;
    column.flags = c.flags;
    column.precision = kSortOrderLow;
    column.scale = kSortOrderHigh;
    if (c.type == kTypeText || c.type == kTypeMemo) column.sort_order = kGeneralSortOrder;
    def.columns.push_back(column);
    if (c.type == kTypeMemo || c.type == kTypeOle) {
      table.extras.column_usage_maps.push_back(ColumnUsageMaps{c.number, {}, {}});
    }
  }
  for (const RealIndexSpec& r : spec.real_indexes) {
    RealIndex index;
    for (uint16_t number : r.columns) index.columns.push_back({number, true});
    index.flags = r.flags;
    def.real_indexes.push_back(index);
    RealIndexExtras extra;
    extra.counts = {0, r.distinct_keys, 0};
    extra.order = r.order;
    extra.before_flags = r.before_flags;
    table.extras.real_indexes.push_back(extra);
  }
  for (const LogicalIndexSpec& l : spec.logical_indexes) {
    LogicalIndex index;
    index.name = l.name;
    index.number = l.number;
    index.real_index = l.real_index;
    index.type = l.type;
    // Stale non-zero bytes, read as set.
    index.cascade_updates = true;
    index.cascade_deletes = true;
    def.logical_indexes.push_back(index);
    LogicalIndexExtras extra;
    extra.cascade_updates = kStaleCascadeByte;
    extra.cascade_deletes = kStaleCascadeByte;
    table.extras.logical_indexes.push_back(extra);
  }
  return table;
}

constexpr std::array<uint8_t, kIndexMaxColumns> Order(std::initializer_list<uint8_t> bytes) {
  std::array<uint8_t, kIndexMaxColumns> order{};
  std::copy(bytes.begin(), bytes.end(), order.begin());
  return order;
}

constexpr uint8_t kAsc = kIndexColumnAscending;
constexpr uint8_t kUniqueIndex = kIndexFlagUnique | kIndexFlagJet4;

const TableSpec& CatalogSpec() {
  static const TableSpec spec = {
      kCatalogTableName,
      8,
      11,
      {
          {"Connect", kTypeMemo, 9, 3, 0, 0, kVariableColumn},
          {"Database", kTypeMemo, 8, 2, 0, 0, kVariableColumn},
          {"DateCreate", kTypeDateTime, 4, 1, 10, 8, kFixedColumn},
          {"DateUpdate", kTypeDateTime, 5, 1, 18, 8, kFixedColumn},
          {"Flags", kTypeLong, 7, 2, 26, 4, kFixedColumn},
          {"ForeignName", kTypeText, 10, 4, 68, 510, kVariableColumn},
          {"Id", kTypeLong, 0, 0, 0, 4, kFixedColumn},
          {"Lv", kTypeOle, 13, 7, 0, 0, kVariableColumn},
          {"LvExtra", kTypeOle, 16, 10, 1028, 0, kVariableColumn},
          {"LvModule", kTypeOle, 15, 9, 65535, 0, kVariableColumn},
          {"LvProp", kTypeOle, 14, 8, 24832, 0, kVariableColumn},
          {"Name", kTypeText, 2, 0, 100, 510, kVariableColumn},
          {"Owner", kTypeBinary, 6, 1, 256, 510, kSidColumn},
          {"ParentId", kTypeLong, 1, 0, 4, 4, kFixedColumn},
          {"RmtInfoLong", kTypeOle, 12, 6, 0, 0, kVariableColumn},
          {"RmtInfoShort", kTypeBinary, 11, 5, 106, 510, kVariableColumn},
          {"Type", kTypeInt, 3, 1, 8, 2, kFixedColumn},
      },
      {
          {{1, 2}, kUniqueIndex, 8, Order({kAsc, kAsc, 0x00, 0x6E, 0x00, 0x69}), 0},
          {{0}, kUniqueIndex, 8, Order({kAsc}), 0},
      },
      {
          {"Id", 1, 1, kLogicalIndexPrimaryKey},
          {"ParentIdName", 0, 0, kLogicalIndexNormal},
      },
  };
  return spec;
}

const TableSpec& AccessControlSpec() {
  static const TableSpec spec = {
      kAccessControlTableName,
      16,
      1,
      {
          {"ACM", kTypeLong, 2, 1, 4, 4, kFixedColumn},
          {"FInheritable", kTypeBoolean, 3, 1, 0, 1, kFixedColumn},
          {"ObjectId", kTypeLong, 0, 0, 0, 4, kFixedColumn},
          {"SID", kTypeBinary, 1, 0, 7, 510, kSidColumn},
      },
      {
          {{0},
           kIndexFlagRequired | kIndexFlagJet4,
           8,
           Order({kAsc, 0x00, 0x00, 0x09, 0x00, 0x00, 0x00, 0x04, 0x12}),
           0x00740041},
      },
      {
          {"ObjectId", 0, 0, kLogicalIndexNormal},
      },
  };
  return spec;
}

const TableSpec& QueriesSpec() {
  static const TableSpec spec = {
      kQueriesTableName,
      0,
      4,
      {
          {"Attribute", kTypeByte, 1, 0, 4, 1, kFixedColumn},
          {"Expression", kTypeMemo, 5, 3, 1024, 0, kVariableColumn},
          {"Flag", kTypeInt, 6, 4, 5, 2, kFixedColumn},
          {"LvExtra", kTypeLong, 7, 4, 7, 4, kFixedColumn},
          {"Name1", kTypeText, 3, 1, 65024, 510, kVariableColumn},
          {"Name2", kTypeText, 4, 2, 65024, 510, kVariableColumn},
          {"ObjectId", kTypeLong, 0, 0, 0, 4, kFixedColumn},
          {"Order", kTypeBinary, 2, 0, 65024, 510, kVariableColumn},
      },
      {
          {{0, 1, 2},
           kUniqueIndex,
           0,
           Order({kAsc, kAsc, kAsc, 0x00, 0x6E, 0x00, 0x7A, 0x00, 0x66}),
           0x00640065},
      },
      {
          {"ObjectIdAttribute", 0, 0, kLogicalIndexPrimaryKey},
      },
  };
  return spec;
}

const TableSpec& RelationshipsSpec() {
  constexpr uint8_t kIgnoreNulls = kIndexFlagIgnoreNulls | kIndexFlagJet4;
  static const TableSpec spec = {
      kRelationshipsTableName,
      0,
      5,
      {
          {"ccolumn", kTypeLong, 2, 1, 4, 4, kFixedColumn},
          {"grbit", kTypeLong, 1, 1, 0, 4, kFixedColumn},
          {"icolumn", kTypeLong, 3, 1, 8, 4, kFixedColumn},
          {"szColumn", kTypeText, 5, 2, 0, 510, kVariableColumn},
          {"szObject", kTypeText, 4, 1, 0, 510, kVariableColumn},
          {"szReferencedColumn", kTypeText, 7, 4, 0, 510, kVariableColumn},
          {"szReferencedObject", kTypeText, 6, 3, 0, 510, kVariableColumn},
          {"szRelationship", kTypeText, 0, 0, 0, 510, kVariableColumn},
      },
      {
          {{0}, kIgnoreNulls, 0, Order({kAsc}), 0},
          {{4}, kIgnoreNulls, 0, Order({kAsc}), 0},
          {{6}, kIgnoreNulls, 0, Order({kAsc}), 0},
      },
      {
          {"szObject", 1, 1, kLogicalIndexNormal},
          {"szReferencedObject", 2, 2, kLogicalIndexNormal},
          {"szRelationship", 0, 0, kLogicalIndexNormal},
      },
  };
  return spec;
}

// The first page of each system table's definition, in the order of SystemTables().
constexpr uint32_t kDefinitionPages[] = {kSystemCatalogPage, 3, 4, 5};

RowPointer MapRow(uint8_t row) { return RowPointer{kSystemUsageMapsPage, row}; }

// A row of `def` with the named cells set and every other cell null.
Row MakeRow(const TableDefinition& def,
            std::initializer_list<std::pair<std::string_view, Cell>> cells) {
  Row row(def.columns.size());
  for (const auto& cell : cells) {
    // A plain name, not a structured binding: clang 14 cannot capture those in a lambda.
    const std::string_view name = cell.first;
    const auto found = std::find_if(def.columns.begin(), def.columns.end(),
                                    [&](const ColumnDefinition& c) { return c.name == name; });
    if (found == def.columns.end()) {
      throw FormatError("no system table column " + std::string(name));
    }
    row[found - def.columns.begin()] = cell.second;
  }
  return row;
}

Cell SidCell(const Sid& sid) { return Bytes{std::vector<uint8_t>(sid.begin(), sid.end())}; }

// Long cells hold the value as the reader gives it: a signed 32-bit number.
Cell LongCell(uint32_t value) { return int64_t{static_cast<int32_t>(value)}; }

}  // namespace

std::vector<SystemTable> SystemTables() {
  return {Describe(CatalogSpec()), Describe(AccessControlSpec()), Describe(QueriesSpec()),
          Describe(RelationshipsSpec())};
}

void PlaceTable(const TablePlacement& placement, TableDefinition& def,
                TableDefinitionExtras& extras) {
  if (placement.indexes.size() != def.real_indexes.size()) {
    throw FormatError("the placement has " + std::to_string(placement.indexes.size()) +
                      " indexes, the table " + std::to_string(def.real_indexes.size()));
  }
  if (placement.long_value_maps.size() != extras.column_usage_maps.size()) {
    throw FormatError("the placement does not place the table's long value columns");
  }
  def.page = placement.definition_page;
  def.owned_pages = placement.owned_pages;
  def.free_pages = placement.free_pages;
  extras.real_indexes.resize(def.real_indexes.size());
  for (size_t i = 0; i < def.real_indexes.size(); ++i) {
    def.real_indexes[i].first_page = placement.indexes[i].first_page;
    extras.real_indexes[i].usage_map = placement.indexes[i].usage_map;
  }
  for (ColumnUsageMaps& maps : extras.column_usage_maps) {
    const auto found = std::find_if(
        placement.long_value_maps.begin(), placement.long_value_maps.end(),
        [&](const ColumnUsageMaps& m) { return m.column_number == maps.column_number; });
    if (found == placement.long_value_maps.end()) {
      throw FormatError("the placement does not place long value column " +
                        std::to_string(maps.column_number));
    }
    maps.owned_pages = found->owned_pages;
    maps.free_pages = found->free_pages;
  }
}

std::vector<TablePlacement> EnginePlacement() {
  // Map rows in order: each table's own two, its long value columns' two each (by column
  // number), one per index; index pages follow the definitions from page 7 on.
  TablePlacement catalog;
  catalog.definition_page = kDefinitionPages[0];
  catalog.owned_pages = MapRow(0);
  catalog.free_pages = MapRow(1);
  uint8_t row = 2;
  for (uint16_t column : {8, 9, 12, 13, 14, 15, 16}) {
    catalog.long_value_maps.push_back({column, MapRow(row), MapRow(row + 1)});
    row += 2;
  }
  catalog.indexes = {{MapRow(16), 7}, {MapRow(17), 8}};

  TablePlacement access_control;
  access_control.definition_page = kDefinitionPages[1];
  access_control.owned_pages = MapRow(18);
  access_control.free_pages = MapRow(19);
  access_control.indexes = {{MapRow(20), 9}};

  TablePlacement queries;
  queries.definition_page = kDefinitionPages[2];
  queries.owned_pages = MapRow(21);
  queries.free_pages = MapRow(22);
  queries.long_value_maps = {{5, MapRow(23), MapRow(24)}};
  queries.indexes = {{MapRow(25), 10}};

  TablePlacement relationships;
  relationships.definition_page = kDefinitionPages[3];
  relationships.owned_pages = MapRow(26);
  relationships.free_pages = MapRow(27);
  relationships.indexes = {{MapRow(28), 11}, {MapRow(29), 12}, {MapRow(30), 13}};
  return {catalog, access_control, queries, relationships};
}

std::vector<Row> InitialCatalogRows(double created) {
  const SystemTable catalog = Describe(CatalogSpec());
  const Cell system_flags = LongCell(kObjectFlagSystem);
  auto object = [&](int32_t id, int32_t parent, const char* name, int type, const Sid& owner) {
    return MakeRow(catalog.definition, {{"Id", int64_t{id}},
                                        {"ParentId", int64_t{parent}},
                                        {"Name", std::string(name)},
                                        {"Type", int64_t{type}},
                                        {"DateCreate", created},
                                        {"DateUpdate", created},
                                        {"Owner", SidCell(owner)},
                                        {"Flags", system_flags}});
  };
  return {
      object(kTablesContainerId, kRootContainerId, kTablesContainerName, kObjectTypeContainer,
             kSidSystemOwner),
      object(kDatabasesContainerId, kRootContainerId, kDatabasesContainerName, kObjectTypeContainer,
             kSidSystemOwner),
      object(kRelationshipsContainerId, kRootContainerId, kRelationshipsContainerName,
             kObjectTypeContainer, kSidSystemOwner),
      object(kDatabaseObjectId, kDatabasesContainerId, kDatabaseObjectName, kObjectTypeDatabase,
             kSidDatabaseOwner),
      object(kDefinitionPages[0], kTablesContainerId, kCatalogTableName, kObjectTypeTable,
             kSidSystemOwner),
      object(kDefinitionPages[1], kTablesContainerId, kAccessControlTableName, kObjectTypeTable,
             kSidSystemOwner),
      object(kDefinitionPages[2], kTablesContainerId, kQueriesTableName, kObjectTypeTable,
             kSidSystemOwner),
      object(kDefinitionPages[3], kTablesContainerId, kRelationshipsTableName, kObjectTypeTable,
             kSidSystemOwner),
  };
}

std::vector<Row> InitialAccessControlRows() {
  // ACM is a mask of DAO's permission bits: 0x14 read data, 0x60000 read and change
  // permissions, 0x80000 change owner, 0xFFFFF full access; on the database 0x02 open,
  // 0x04 open exclusively, 0x08 administer; on a container 0x01 create.
  const SystemTable aces = Describe(AccessControlSpec());
  auto ace = [&](uint32_t object, const Sid& sid, uint32_t acm, bool inheritable) {
    return MakeRow(aces.definition, {{"ObjectId", LongCell(object)},
                                     {"SID", SidCell(sid)},
                                     {"ACM", LongCell(acm)},
                                     {"FInheritable", inheritable}});
  };
  const uint32_t catalog = kDefinitionPages[0];
  const uint32_t access_control = kDefinitionPages[1];
  const uint32_t queries = kDefinitionPages[2];
  const uint32_t relationships = kDefinitionPages[3];
  return {
      ace(catalog, kSidDatabaseOwner, 0x60000, false),
      ace(access_control, kSidDatabaseOwner, 0x60000, false),
      ace(queries, kSidDatabaseOwner, 0x60000, false),
      ace(relationships, kSidDatabaseOwner, 0xE0000, false),
      ace(kTablesContainerId, kSidNewObjects, 0xF00FE, true),
      ace(kTablesContainerId, kSidDatabaseOwner, 0x60001, false),
      ace(kRelationshipsContainerId, kSidNewObjects, 0xF00FE, true),
      ace(kRelationshipsContainerId, kSidDatabaseOwner, 0x60001, false),
      ace(kDatabasesContainerId, kSidDatabaseOwner, 0x60000, false),
      ace(kDatabaseObjectId, kSidDatabaseOwner, 0x6000E, false),
      ace(kDatabaseObjectId, kSidEveryone, 0x0E, false),
      ace(queries, kSidEveryone, 0x14, false),
      ace(relationships, kSidEveryone, 0x14, false),
      ace(catalog, kSidEveryone, 0x14, false),
      ace(kTablesContainerId, kSidEveryone, 0xFFEFF, true),
      ace(kRelationshipsContainerId, kSidEveryone, 0xFFFFF, true),
  };
}

}  // namespace dbaccess::mdb
