// The rows the engine keeps for each object in its system tables, written: MSysObjects (the
// catalog) and MSysACEs (who may do what with the object).
//
// A new table or query is owned by the database's owner (the Owner of the MSysDb object)
// and gets, as Access gives it, one full-access entry (ACM 0xFFEFF, not inheritable) for each
// account whose inheritable entry on the Tables container grants full access, in that
// order; when there is none, one for the owner. A new relationship gets the owner's entry
// (ACM 0xF00FE) and one for each account whose inheritable entry on the Relationships
// container grants everything (0xFFFFF), with that ACM. Queries and relationships take Ids
// counted up from 0x80000000, one after the highest such Id in use. The system tables' own indexes
// (MSysObjects "Id" and "ParentIdName", MSysACEs "ObjectId") are rebuilt by their table editors on
// Save.
#ifndef SKARNVEL_DBACCESS_STORAGE_MDB_CATALOG_WRITER_H_
#define SKARNVEL_DBACCESS_STORAGE_MDB_CATALOG_WRITER_H_

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "dbaccess/catalog/cell.h"
#include "dbaccess/storage/mdb/page_writer.h"
#include "dbaccess/storage/mdb/system_catalog.h"
#include "dbaccess/storage/mdb/table_editor.h"

namespace dbaccess::mdb {

constexpr char kDatabaseObjectName[] = "MSysDb";
// What a new object's entries grant: everything but the right to change its owner's rights.
constexpr int32_t kFullAccessAcm = 0xFFEFF;
// What a relationship's owner and the accounts of its container get.
constexpr int32_t kRelationshipOwnerAcm = 0xF00FE;
constexpr int32_t kAllRightsAcm = 0xFFFFF;
constexpr int32_t kRelationshipsContainerId = 0x0F000003;
constexpr char kRelationshipsContainerName[] = "Relationships";

struct NewCatalogObject {
  int32_t id = 0;
  int32_t parent_id = 0;
  std::string name;
  int type = kObjectTypeTable;
  uint32_t flags = 0;
  double created = 0;  // DateCreate and DateUpdate
  std::vector<uint8_t> owner;
  std::vector<uint8_t> properties;  // LvProp; empty: null
};

struct AccessControlEntry {
  int32_t object_id = 0;
  int32_t acm = kFullAccessAcm;
  bool inheritable = false;
  std::vector<uint8_t> sid;
};

// The MSysObjects row of `object` for the table definition `catalog` (the columns it does
// not name are null), and the MSysACEs row of `entry` for `aces`.
Row CatalogObjectRow(const TableDefinition& catalog, const NewCatalogObject& object);
Row AccessControlRow(const TableDefinition& aces, const AccessControlEntry& entry);

// MSysObjects and MSysACEs of a database, changed together.
class CatalogWriter {
 public:
  // Opens MSysObjects, and MSysACEs when first needed (TableEditor's checks and errors).
  explicit CatalogWriter(PageWriter& pages);

  const std::vector<CatalogObject>& objects() const { return objects_; }
  int32_t tables_container() const { return tables_container_; }
  // The table, query or linked table of that name (Jet's name rule) under the Tables
  // container, if any.
  std::optional<CatalogObject> FindTable(std::string_view name) const;
  // The user table of that name, for a change to touch. Throws JetError 3343 when there is
  // none (the change was made on a catalog that had it), TableNotWritable for a linked
  // table or a system table.
  CatalogObject UserTable(std::string_view name) const;
  // The definition page of the engine's own table of that name (kRelationshipsTableName,
  // kQueriesTableName). Throws JetError 3343 when the database has none.
  uint32_t SystemTablePage(std::string_view name) const;

  // The owner and the entries Access gives a new object (see above).
  const std::vector<uint8_t>& new_object_owner() const { return owner_; }
  std::vector<AccessControlEntry> NewObjectEntries(int32_t object_id) const;

  std::vector<AccessControlEntry> NewRelationshipEntries(int32_t object_id) const;
  int32_t relationships_container() const;
  // The Id of a new query or relationship. Throws JetError 3343 when every such Id is taken.
  int32_t NextObjectId() const;

  // Adds the object's row and the entries NewObjectEntries gives it, or `entries`.
  void AddObject(const NewCatalogObject& object);
  void AddObject(const NewCatalogObject& object, const std::vector<AccessControlEntry>& entries);
  // Removes every row of the object from both tables.
  void RemoveObject(int32_t id);
  // Gives the object's row new properties (LvProp; empty: null) and DateUpdate `updated`.
  // Throws JetError 3343 when there is no such row.
  void UpdateObject(int32_t id, const std::vector<uint8_t>& properties, double updated);

  void Save();

 private:
  PageWriter& pages_;
  std::unique_ptr<TableEditor> catalog_;
  TableEditor& Aces() const;

  uint32_t aces_page_ = 0;
  mutable std::unique_ptr<TableEditor> aces_;
  std::vector<CatalogObject> objects_;
  std::vector<TableRow> catalog_rows_;  // as read, for finding the rows to remove
  mutable std::vector<TableRow> ace_rows_;
  int32_t tables_container_ = kTablesContainerId;
  std::vector<uint8_t> owner_;
  // The accounts a new table's or query's entries are for, once looked up.
  mutable std::optional<std::vector<std::vector<uint8_t>>> table_sids_;
  mutable std::unordered_multimap<std::string, size_t> by_name_;  // folded name -> place
};

}  // namespace dbaccess::mdb

#endif  // SKARNVEL_DBACCESS_STORAGE_MDB_CATALOG_WRITER_H_
