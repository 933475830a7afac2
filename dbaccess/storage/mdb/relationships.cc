#include "dbaccess/storage/mdb/relationships.h"

#include <algorithm>
#include <unordered_map>

#include "dbaccess/catalog/jet_names.h"
#include "dbaccess/storage/mdb/system_catalog.h"

namespace dbaccess::mdb {

namespace {
enum RelationshipField {
  kName,
  kGrbit,
  kCount,
  kIndex,
  kObject,
  kColumn,
  kReferenced,
  kReferencedColumn
};
}  // namespace

RelationshipRowDecoder::RelationshipRowDecoder(const TableDefinition& def)
    : cells_(def, {"szRelationship", "grbit", "ccolumn", "icolumn", "szObject", "szColumn",
                   "szReferencedObject", "szReferencedColumn"}) {}

RelationshipRow RelationshipRowDecoder::Decode(const Row& row) const {
  const auto integer = [&](RelationshipField f) { return CellInteger(cells_(row, f)).value_or(0); };
  const auto text = [&](RelationshipField f) { return CellText(cells_(row, f)).value_or(""); };
  RelationshipRow r;
  r.name = text(kName);
  r.grbit = static_cast<uint32_t>(integer(kGrbit));
  r.column_count = static_cast<int>(integer(kCount));
  r.column_index = static_cast<int>(integer(kIndex));
  r.foreign_table = text(kObject);
  r.foreign_column = text(kColumn);
  r.primary_table = text(kReferenced);
  r.primary_column = text(kReferencedColumn);
  return r;
}

Row EncodeRelationshipRow(const TableDefinition& def, const RelationshipRow& r) {
  Row row(def.columns.size());
  SetField(def, row, "szRelationship", r.name);
  SetField(def, row, "grbit", int64_t{static_cast<int32_t>(r.grbit)});
  SetField(def, row, "ccolumn", int64_t{r.column_count});
  SetField(def, row, "icolumn", int64_t{r.column_index});
  SetField(def, row, "szObject", r.foreign_table);
  SetField(def, row, "szColumn", r.foreign_column);
  SetField(def, row, "szReferencedObject", r.primary_table);
  SetField(def, row, "szReferencedColumn", r.primary_column);
  return row;
}

std::vector<RelationshipDefinition> GroupRelationships(const std::vector<RelationshipRow>& rows) {
  std::vector<std::vector<const RelationshipRow*>> groups;
  std::unordered_map<std::string, size_t> by_name;
  for (const RelationshipRow& row : rows) {
    auto [it, added] = by_name.emplace(FoldName(row.name), groups.size());
    if (added) groups.emplace_back();
    groups[it->second].push_back(&row);
  }
  std::vector<RelationshipDefinition> result;
  for (auto& group : groups) {
    std::stable_sort(group.begin(), group.end(),
                     [](const RelationshipRow* a, const RelationshipRow* b) {
                       return a->column_index < b->column_index;
                     });
    RelationshipDefinition def;
    def.name = group.front()->name;
    def.grbit = group.front()->grbit;
    def.foreign_table = group.front()->foreign_table;
    def.primary_table = group.front()->primary_table;
    for (const RelationshipRow* row : group) {
      def.foreign_columns.push_back(row->foreign_column);
      def.primary_columns.push_back(row->primary_column);
    }
    result.push_back(std::move(def));
  }
  return result;
}

}  // namespace dbaccess::mdb
