// For tests of changes written into .mdb files: catalogs compared as the file can keep them,
// and the links between the two halves of each relationship checked.
//
// The file keeps tables, indexes, relationships and queries in its own order and rows in
// page order; the engine layer appends. Normalized puts both in one order (tables, indexes,
// relationships and queries by name, rows by their cells) so that what is compared is what
// a file says.
#ifndef SKARNVEL_DBACCESS_STORAGE_MDB_MDB_COMMIT_TESTING_H_
#define SKARNVEL_DBACCESS_STORAGE_MDB_MDB_COMMIT_TESTING_H_

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

#include "dbaccess/catalog/catalog.h"
#include "dbaccess/catalog/jet_names.h"
#include "dbaccess/storage/mdb/database_check.h"
#include "dbaccess/storage/mdb/index_check.h"
#include "dbaccess/storage/mdb/mdb_storage.h"
#include "dbaccess/storage/mdb/table_definition.h"
#include "dbaccess/storage/mdb/text_codec.h"

namespace dbaccess::mdb::testing {

// A total order of cells: by kind, then by value (bytes by their bytes).
inline bool CellLess(const Cell& a, const Cell& b) {
  if (a.index() != b.index()) return a.index() < b.index();
  return std::visit(
      [&b](const auto& x) -> bool {
        using T = std::decay_t<decltype(x)>;
        const T& y = std::get<T>(b);
        if constexpr (std::is_same_v<T, std::monostate>) {
          return false;
        } else if constexpr (std::is_same_v<T, Bytes>) {
          return x.data < y.data;
        } else {
          return x < y;
        }
      },
      a);
}

inline bool RowLess(const Row& a, const Row& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), CellLess);
}

inline Catalog Normalized(const Catalog& catalog) {
  std::vector<Table> tables = catalog.tables();
  std::sort(tables.begin(), tables.end(),
            [](const Table& a, const Table& b) { return NameLess(a.name, b.name); });
  Catalog out;
  for (Table& table : tables) {
    std::sort(table.indexes.begin(), table.indexes.end(),
              [](const Index& a, const Index& b) { return NameLess(a.name, b.name); });
    std::sort(table.rows.begin(), table.rows.end(), RowLess);
    out.AddTable(std::move(table));
  }
  std::vector<Relationship> relationships = catalog.relationships();
  std::sort(relationships.begin(), relationships.end(),
            [](const Relationship& a, const Relationship& b) { return NameLess(a.name, b.name); });
  for (Relationship& r : relationships) out.AddRelationship(std::move(r));
  std::vector<Query> queries = catalog.queries();
  std::sort(queries.begin(), queries.end(),
            [](const Query& a, const Query& b) { return NameLess(a.name, b.name); });
  for (Query& q : queries) out.AddQuery(std::move(q));
  return out;
}

// The file at `path` read anew.
inline Catalog Reload(const std::string& path, const std::string& password = "") {
  return MdbStorage(path, password).Load();
}

// What `check` finds in the file at `path`, one finding a line; "" when it is sound.
inline std::string CheckFindings(const std::string& path, const std::string& password = "") {
  std::string out;
  for (const CheckFinding& finding : CheckDatabaseFile(path, password).findings) {
    out += finding.ToString() + "\n";
  }
  return out;
}

// Every logical index of a relationship points at its twin on the other table, which points
// back: table page, index number, the other side.
inline void ExpectRelationshipIndexesLinked(const PageFile& file) {
  const TextDecoder text(file.header().version, file.header().code_page);
  std::map<uint32_t, TableDefinition> defs;
  for (const CatalogObject& object : StoredTables(file)) {
    const uint32_t page = static_cast<uint32_t>(object.id);
    defs[page] = ReadTableDefinition(file, page, text);
  }
  for (const auto& [page, def] : defs) {
    for (const LogicalIndex& index : def.logical_indexes) {
      if (index.type != kLogicalIndexForeignKey) continue;
      SCOPED_TRACE("index " + index.name + " of table page " + std::to_string(page));
      const auto other = defs.find(index.other_table_page);
      ASSERT_NE(other, defs.end());
      const auto twin =
          std::find_if(other->second.logical_indexes.begin(), other->second.logical_indexes.end(),
                       [&](const LogicalIndex& l) { return l.number == index.other_index; });
      ASSERT_NE(twin, other->second.logical_indexes.end());
      EXPECT_EQ(twin->type, kLogicalIndexForeignKey);
      EXPECT_EQ(twin->other_table_page, page);
      EXPECT_EQ(twin->other_index, index.number);
      EXPECT_NE(twin->relationship_side, index.relationship_side);
    }
  }
}

}  // namespace dbaccess::mdb::testing

#endif  // SKARNVEL_DBACCESS_STORAGE_MDB_MDB_COMMIT_TESTING_H_
