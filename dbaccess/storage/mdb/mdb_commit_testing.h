// For tests of changes written into .mdb files: catalogs compared as the file can keep them,
// the links between the two halves of each relationship checked, and a fixture that commits
// the executor's changes to a copy.
//
// The file keeps tables, indexes, relationships and queries in its own order and rows in
// page order; the engine layer appends. Normalized puts both in one order (tables, indexes,
// relationships and queries by name, rows by their cells) so that what is compared is what
// a file says.
#ifndef SKARNVEL_DBACCESS_STORAGE_MDB_MDB_COMMIT_TESTING_H_
#define SKARNVEL_DBACCESS_STORAGE_MDB_MDB_COMMIT_TESTING_H_

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

#include "dbaccess/base/temp_folder_testing.h"
#include "dbaccess/catalog/catalog.h"
#include "dbaccess/catalog/jet_names.h"
#include "dbaccess/exec/executor.h"
#include "dbaccess/storage/mdb/database_check.h"
#include "dbaccess/storage/mdb/database_reader.h"
#include "dbaccess/storage/mdb/index_check.h"
#include "dbaccess/storage/mdb/mdb_storage.h"
#include "dbaccess/storage/mdb/mdbtools_testing.h"
#include "dbaccess/storage/mdb/new_database.h"
#include "dbaccess/storage/mdb/table_definition.h"
#include "dbaccess/storage/mdb/table_writing_testing.h"
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

// Steps of the executor on a catalog, for CommitFixture::Apply.
using Step = std::function<void(Catalog&, ChangeList&)>;

inline Step Sql(const std::string& statement) {
  return [statement](Catalog& c, ChangeList& ch) { ExecuteSql(c, statement, ch); };
}
inline Step Required(const std::string& table, const std::string& column, bool required) {
  return [=](Catalog& c, ChangeList& ch) { SetColumnRequired(c, table, column, required, ch); };
}
inline Step Rename(const std::string& table, const std::string& column, const std::string& name) {
  return [=](Catalog& c, ChangeList& ch) { RenameColumn(c, table, column, name, ch); };
}

// A copy of a database (new, or of a test file) in a folder of its own, changed a commit at a
// time as the executor changes it.
class CommitFixture : public ::testing::Test {
 protected:
  void OpenNew() {
    path_ = folder_.File("new.mdb");
    CreateDatabaseFile(path_, "");
    Open();
  }
  void OpenCopy(const std::string& name, const std::string& password = "") {
    path_ = CopyTestFile(folder_, name);
    password_ = password;
    Open();
  }
  void Open() {
    storage_ = std::make_unique<MdbStorage>(path_, password_);
    catalog_ = storage_->Load();
  }

  // The steps as one commit (a transaction's work), then the checks.
  void Apply(const std::vector<Step>& steps) {
    Catalog after = catalog_;
    ChangeList changes;
    for (const Step& step : steps) step(after, changes);
    storage_->Commit(catalog_, after, changes);
    storage_->AsCommitted(changes, after);
    catalog_ = std::move(after);
    ExpectWritten();
  }
  void Apply(const Step& step) { Apply(std::vector<Step>{step}); }

  // The file is sound, reads back as the executor's catalog, and relationships stay linked.
  void ExpectWritten() {
    EXPECT_EQ(CheckFindings(path_, password_), "");
    EXPECT_EQ(Normalized(Reload(path_, password_)), Normalized(catalog_));
    ExpectRelationshipIndexesLinked(*OpenFile(path_));
    EXPECT_FALSE(storage_->ChangedOnDisk());
  }

  void ExpectMdbToolsAgrees() {
    if (!MdbToolsInstalled()) return;
    ExpectSameAsMdbTools(path_, Reload(path_, password_));
  }

  // The stored definition of `table`.
  TableDefinition Definition(const std::string& table) {
    const StoredDatabase db = ReadDatabase(*OpenFile(path_));
    const StoredTable* stored = FindStoredTable(db, table);
    EXPECT_NE(stored, nullptr) << table;
    return stored != nullptr ? stored->definition : TableDefinition{};
  }

  dbaccess::testing::TempFolder folder_;
  std::string path_;
  std::string password_;
  std::unique_ptr<MdbStorage> storage_;
  Catalog catalog_;
};

}  // namespace dbaccess::mdb::testing

#endif  // SKARNVEL_DBACCESS_STORAGE_MDB_MDB_COMMIT_TESTING_H_
