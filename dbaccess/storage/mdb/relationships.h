// Relationships, MSysRelationships: one row per column pair of each relationship.
//
// szObject is the foreign (referencing) table and szColumn its column; szReferencedObject
// and szReferencedColumn the primary side; icolumn orders the pairs; grbit carries the
// options below. An enforced relationship also has a foreign-key logical index on each
// table (see table_definition.h).
#ifndef SKARNVEL_DBACCESS_STORAGE_MDB_RELATIONSHIPS_H_
#define SKARNVEL_DBACCESS_STORAGE_MDB_RELATIONSHIPS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "dbaccess/catalog/cell.h"
#include "dbaccess/storage/mdb/system_catalog.h"
#include "dbaccess/storage/mdb/table_definition.h"

namespace dbaccess::mdb {

constexpr uint32_t kRelationshipOneToOne = 0x00000001;
constexpr uint32_t kRelationshipNotEnforced = 0x00000002;
constexpr uint32_t kRelationshipCascadeUpdates = 0x00000100;
constexpr uint32_t kRelationshipCascadeDeletes = 0x00001000;
constexpr uint32_t kRelationshipCascadeNull = 0x00002000;  // deletes set the foreign key null
constexpr uint32_t kRelationshipLeftJoin = 0x01000000;
constexpr uint32_t kRelationshipRightJoin = 0x02000000;

struct RelationshipRow {
  std::string name;
  uint32_t grbit = 0;
  int column_count = 0;
  int column_index = 0;
  std::string foreign_table;
  std::string foreign_column;
  std::string primary_table;
  std::string primary_column;
};

// Decodes the rows of MSysRelationships.
class RelationshipRowDecoder {
 public:
  explicit RelationshipRowDecoder(const TableDefinition& def);
  RelationshipRow Decode(const Row& row) const;
  // The columns Decode reads.
  const std::vector<bool>& columns() const { return cells_.columns(); }

 private:
  NamedCells<8> cells_;
};

// The row of `r` for the table defined by `def` (columns it does not name are null).
Row EncodeRelationshipRow(const TableDefinition& def, const RelationshipRow& r);

struct RelationshipDefinition {
  std::string name;
  uint32_t grbit = 0;
  std::string foreign_table;
  std::string primary_table;
  std::vector<std::string> foreign_columns;  // pairs with primary_columns, by icolumn
  std::vector<std::string> primary_columns;
};

// Groups the rows by relationship name (Jet's name rule), in the order the names first
// appear, the pairs ordered by icolumn.
std::vector<RelationshipDefinition> GroupRelationships(const std::vector<RelationshipRow>& rows);

}  // namespace dbaccess::mdb

#endif  // SKARNVEL_DBACCESS_STORAGE_MDB_RELATIONSHIPS_H_
