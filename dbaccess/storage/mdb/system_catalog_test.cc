#include "dbaccess/storage/mdb/system_catalog.h"

#include <gtest/gtest.h>

namespace dbaccess::mdb {
namespace {

TableDefinition Columns(std::initializer_list<const char*> names) {
  TableDefinition def;
  for (const char* name : names) def.columns.push_back(ColumnDefinition{.name = name});
  return def;
}

// The decoders find their columns once, by Jet's name rules, wherever the table puts them;
// a column the table lacks or a row cut short gives nothing, never another column's cell.
TEST(SystemCatalogTest, RowsDecodeByColumnNameWhereverTheColumnsStand) {
  const TableDefinition def = Columns({"Flags", "lvprop", "NAME", "Id", "Type", "Extra"});
  const Row row = {Cell{int64_t{0x80000000}},
                   Cell{Bytes{{1, 2, 3}}},
                   Cell{std::string("T1")},
                   Cell{int64_t{42}},
                   Cell{true},
                   Cell{std::string("x")}};
  const CatalogObject object = CatalogObjectDecoder(def).Decode(row);
  EXPECT_EQ(object.id, 42);
  EXPECT_EQ(object.name, "T1");
  EXPECT_EQ(object.type, 1);  // a boolean cell reads as 0 or 1
  EXPECT_EQ(object.flags, 0x80000000u);
  EXPECT_EQ(object.properties, (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_EQ(object.parent_id, 0);  // no such column
  EXPECT_EQ(object.database, "");
  EXPECT_EQ(object.name, DecodeCatalogObject(def, row).name);

  const Row short_row = {Cell{int64_t{1}}, Cell{}};
  const CatalogObject cut = CatalogObjectDecoder(def).Decode(short_row);
  EXPECT_EQ(cut.id, 0);
  EXPECT_EQ(cut.name, "");
  EXPECT_EQ(cut.flags, 1u);

  const NamedCells<2> cells(def, {"Extra", "Missing"});
  EXPECT_EQ(cells(row, 0), &row[5]);
  EXPECT_EQ(cells(row, 1), nullptr);
  EXPECT_EQ(CellText(cells(row, 1)), std::nullopt);
  EXPECT_EQ(CellInteger(&row[2]), std::nullopt);  // a text is no integer
  EXPECT_TRUE(CellBinary(&row[0]).empty());
}

}  // namespace
}  // namespace dbaccess::mdb
