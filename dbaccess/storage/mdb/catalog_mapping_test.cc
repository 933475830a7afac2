#include "dbaccess/storage/mdb/catalog_mapping.h"

#include <gtest/gtest.h>

#include "dbaccess/storage/mdb/format_error.h"
#include "dbaccess/storage/mdb/property_blob_encoder.h"

namespace dbaccess::mdb {
namespace {

ColumnDefinition ColumnDef(const std::string& name, uint8_t type, uint16_t number,
                           uint16_t length = 0) {
  ColumnDefinition c;
  c.name = name;
  c.type = type;
  c.number = number;
  c.length = length;
  return c;
}

Property Prop(const std::string& name, Cell value, uint8_t type) {
  Property p;
  p.name = name;
  p.value = std::move(value);
  p.data_type = type;
  return p;
}

StoredQuery NamedQuery(const std::string& name) {
  StoredQuery q;
  q.object.name = name;
  return q;
}

StoredTable UserTable(const std::string& name, uint32_t page) {
  StoredTable t;
  t.object.name = name;
  t.object.id = static_cast<int32_t>(page);
  t.object.type = kObjectTypeTable;
  t.definition.page = page;
  return t;
}

// Orders(Id, Qty, Note) stored in the column order Note, Id, Qty, with a primary key, the
// primary half of a relationship, and a required column with a default.
StoredTable Orders() {
  StoredTable t = UserTable("Orders", 10);
  t.definition.columns = {ColumnDef("Note", kTypeText, 2, 100), ColumnDef("Id", kTypeLong, 0),
                          ColumnDef("Qty", kTypeInt, 1)};
  t.definition.columns[1].flags = kColumnFlagAutoNumber | kColumnFlagFixed;
  t.definition.real_indexes = {RealIndex{{{0, true}}, 0, kIndexFlagUnique}};
  LogicalIndex pk;
  pk.name = "PrimaryKey";
  pk.type = kLogicalIndexPrimaryKey;
  LogicalIndex primary_side;
  primary_side.name = ".rB";
  primary_side.type = kLogicalIndexForeignKey;
  primary_side.relationship_side = kRelationshipSidePrimary;
  t.definition.logical_indexes = {pk, primary_side};
  PropertyMap qty;
  qty.name = "QTY";
  qty.kind = kPropertyChunkColumn;
  qty.properties = {Prop("Required", Cell{true}, kTypeBoolean),
                    Prop("DefaultValue", Cell{std::string("=1+1")}, kTypeMemo),
                    Prop("Description", Cell{std::string("Сколько")}, kTypeMemo)};
  PropertyMap table;  // the table's own properties never reach a column
  table.name = "Qty";
  table.kind = kPropertyChunkObject;
  table.properties = {Prop("Required", Cell{false}, kTypeBoolean)};
  t.object.properties = EncodePropertyBlob(PropertyMaps{{table, qty}});
  t.rows = {Row{std::string("first"), int64_t{1}, int64_t{5}}};
  return t;
}

StoredDatabase Database() {
  StoredDatabase db;
  db.header.version = JetVersion::kJet4;
  db.tables.push_back(Orders());
  StoredTable lines = UserTable("Lines", 11);
  lines.definition.columns = {ColumnDef("OrderId", kTypeLong, 0)};
  lines.definition.real_indexes = {RealIndex{{{0, true}}, 0, 0}};
  LogicalIndex foreign_side;
  foreign_side.name = "OrdersLines";
  foreign_side.type = kLogicalIndexForeignKey;
  foreign_side.relationship_side = kRelationshipSideForeign;
  lines.definition.logical_indexes = {foreign_side};
  db.tables.push_back(lines);
  StoredTable linked;
  linked.object.name = "Remote";
  linked.object.type = kObjectTypeLinkedTable;
  linked.linked = true;
  db.tables.push_back(linked);
  StoredTable system = UserTable("MSysNavPaneGroups", 12);
  system.object.flags = 0x8 | kObjectFlagAccessSystem;
  system.definition.columns = {ColumnDef("GroupId", kTypeLong, 0)};
  system.definition.real_indexes = {RealIndex{{{0, true}}, 0, 0}};
  LogicalIndex system_foreign;
  system_foreign.name = "NavPane";
  system_foreign.type = kLogicalIndexForeignKey;
  system_foreign.relationship_side = kRelationshipSideForeign;
  system.definition.logical_indexes = {system_foreign};
  db.tables.push_back(system);
  StoredTable engine = UserTable("MSysObjects", 2);
  engine.object.flags = kObjectFlagSystem;
  db.tables.push_back(engine);

  auto relationship = [](const std::string& name, uint32_t grbit, const std::string& primary,
                         const std::string& foreign) {
    RelationshipRow row;
    row.name = name;
    row.grbit = grbit;
    row.primary_table = primary;
    row.primary_column = "Id";
    row.foreign_table = foreign;
    row.foreign_column = "OrderId";
    return row;
  };
  db.relationships = {
      relationship("OrdersLines", kRelationshipCascadeUpdates | kRelationshipCascadeNull, "Orders",
                   "Lines"),
      relationship("Loose", kRelationshipNotEnforced, "Orders", "Remote"),
      relationship("NavPane", kRelationshipCascadeDeletes, "Orders", "MSysNavPaneGroups"),
      relationship("Dangling", 0, "Orders", "Gone")};
  db.queries = {NamedQuery("zeta"), NamedQuery("~sq_ffrm"), NamedQuery("Alpha")};
  return db;
}

TEST(CatalogMappingTest, MapsColumnsByNumberWithTheirProperties) {
  const Catalog catalog = BuildCatalog(Database());
  const Table* orders = catalog.FindTable("Orders");
  ASSERT_NE(orders, nullptr);
  ASSERT_EQ(orders->columns.size(), 3u);
  EXPECT_EQ(orders->columns[0].name, "Id");
  EXPECT_TRUE(orders->columns[0].auto_increment);
  EXPECT_EQ(orders->columns[1].name, "Qty");
  EXPECT_EQ(orders->columns[2].name, "Note");
  EXPECT_EQ(orders->columns[2].size, 50);  // 100 bytes of UCS-2
  const Column& qty = orders->columns[1];
  EXPECT_TRUE(qty.required);
  EXPECT_EQ(qty.default_value, "=1+1");
  EXPECT_EQ(qty.extra_properties, (std::map<std::string, std::string>{{"Description", "Сколько"}}));
  EXPECT_FALSE(orders->columns[0].required);
  EXPECT_EQ(orders->columns[0].default_value, std::nullopt);
  // Rows follow the columns.
  EXPECT_EQ(orders->rows, (std::vector<Row>{Row{int64_t{1}, int64_t{5}, std::string("first")}}));

  StoredDatabase jet3 = Database();
  jet3.header.version = JetVersion::kJet3;
  EXPECT_EQ(BuildCatalog(jet3).FindTable("Orders")->FindColumn("Note")->size, 100);

  // The properties are decoded as the table is mapped: a damaged blob is a damaged file.
  StoredDatabase damaged = Database();
  damaged.tables[0].object.properties.resize(10);
  EXPECT_THROW(BuildCatalog(damaged), FormatError);
}

TEST(CatalogMappingTest, MapsKindsIndexesAndRelationships) {
  const Catalog catalog = BuildCatalog(Database());
  EXPECT_EQ(catalog.FindTable("Orders")->kind, TableKind::kUser);
  EXPECT_EQ(catalog.FindTable("Remote")->kind, TableKind::kLinked);
  EXPECT_EQ(catalog.FindTable("MSysNavPaneGroups")->kind, TableKind::kAccessSystem);
  EXPECT_EQ(catalog.FindTable("MSysObjects")->kind, TableKind::kSystem);

  const Table* orders = catalog.FindTable("Orders");
  ASSERT_EQ(orders->indexes.size(), 1u);  // the primary half of the relationship is left out
  EXPECT_TRUE(orders->indexes[0].primary);
  EXPECT_TRUE(orders->indexes[0].unique);
  EXPECT_TRUE(orders->indexes[0].required);
  const Table* lines = catalog.FindTable("Lines");
  ASSERT_EQ(lines->indexes.size(), 1u);
  EXPECT_TRUE(lines->indexes[0].foreign);
  EXPECT_EQ(lines->indexes[0].name, "OrdersLines");

  ASSERT_EQ(catalog.relationships().size(), 2u);
  const Relationship* enforced = catalog.FindRelationship("OrdersLines");
  ASSERT_NE(enforced, nullptr);
  EXPECT_EQ(enforced->update_rule, Rule::kCascade);
  EXPECT_EQ(enforced->delete_rule, Rule::kSetNull);
  EXPECT_TRUE(enforced->enforced);
  const Relationship* loose = catalog.FindRelationship("Loose");
  ASSERT_NE(loose, nullptr);
  EXPECT_FALSE(loose->enforced);
  EXPECT_EQ(catalog.FindRelationship("NavPane"), nullptr);
  EXPECT_TRUE(catalog.FindTable("MSysNavPaneGroups")->indexes.empty());
  EXPECT_EQ(catalog.FindRelationship("Dangling"), nullptr);
}

TEST(CatalogMappingTest, ListsQueriesByNameAndRefusesTwinNames) {
  const Catalog catalog = BuildCatalog(Database());
  ASSERT_EQ(catalog.queries().size(), 3u);
  EXPECT_EQ(catalog.queries()[0].name, "Alpha");
  EXPECT_EQ(catalog.queries()[1].name, "zeta");
  EXPECT_EQ(catalog.queries()[2].name, "~sq_ffrm");

  StoredDatabase twins = Database();
  twins.tables.push_back(UserTable("ORDERS", 20));
  EXPECT_THROW(BuildCatalog(twins), FormatError);
}

}  // namespace
}  // namespace dbaccess::mdb
