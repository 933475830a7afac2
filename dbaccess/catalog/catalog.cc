#include "dbaccess/catalog/catalog.h"

#include <algorithm>

#include "dbaccess/catalog/jet_names.h"

namespace dbaccess {

std::string_view RuleText(Rule rule) {
  switch (rule) {
    case Rule::kNoAction:
      return "NO ACTION";
    case Rule::kCascade:
      return "CASCADE";
    case Rule::kSetNull:
      return "SET NULL";
    case Rule::kSetDefault:
      return "SET DEFAULT";
  }
  return "";
}

std::string_view TableTypeText(TableKind kind) {
  switch (kind) {
    case TableKind::kUser:
      return "TABLE";
    case TableKind::kSystem:
      return "SYSTEM TABLE";
    case TableKind::kAccessSystem:
      return "ACCESS TABLE";
    case TableKind::kLinked:
      return "LINK";
  }
  return "";
}

int Table::ColumnIndex(std::string_view name) const {
  for (size_t i = 0; i < columns.size(); ++i) {
    if (SameName(columns[i].name, name)) return static_cast<int>(i);
  }
  return -1;
}

Column* Table::FindColumn(std::string_view name) {
  const int i = ColumnIndex(name);
  return i < 0 ? nullptr : &columns[i];
}

const Column* Table::FindColumn(std::string_view name) const {
  const int i = ColumnIndex(name);
  return i < 0 ? nullptr : &columns[i];
}

Index* Table::FindIndex(std::string_view name) {
  for (Index& index : indexes) {
    if (SameName(index.name, name)) return &index;
  }
  return nullptr;
}

const Index* Table::FindIndex(std::string_view name) const {
  return const_cast<Table*>(this)->FindIndex(name);
}

const Index* Table::PrimaryKey() const {
  for (const Index& index : indexes) {
    if (index.primary) return &index;
  }
  return nullptr;
}

Table* Catalog::FindTable(std::string_view name) {
  auto it = table_index_.find(FoldName(name));
  return it == table_index_.end() ? nullptr : &tables_[it->second];
}

const Table* Catalog::FindTable(std::string_view name) const {
  return const_cast<Catalog*>(this)->FindTable(name);
}

Table& Catalog::AddTable(Table table) {
  table_index_[FoldName(table.name)] = tables_.size();
  tables_.push_back(std::move(table));
  return tables_.back();
}

namespace {

// After the element at `removed` left its vector: the positions behind it move up one.
void ShiftDown(std::unordered_map<std::string, size_t>& index, size_t removed) {
  for (auto& [name, position] : index) {
    if (position > removed) --position;
  }
}

}  // namespace

void Catalog::RemoveTable(std::string_view name) {
  auto it = table_index_.find(FoldName(name));
  if (it == table_index_.end()) return;
  const size_t position = it->second;
  tables_.erase(tables_.begin() + static_cast<std::ptrdiff_t>(position));
  table_index_.erase(it);
  ShiftDown(table_index_, position);
}

void Catalog::RenameTable(std::string_view name, std::string new_name) {
  Table* table = FindTable(name);
  if (table == nullptr) return;
  for (Relationship& r : relationships_) {
    if (SameName(r.primary_table, name)) r.primary_table = new_name;
    if (SameName(r.foreign_table, name)) r.foreign_table = new_name;
  }
  relationship_index_stale_ = true;
  table->name = std::move(new_name);
  ReindexTables();
}

void Catalog::ReindexTables() {
  table_index_.clear();
  for (size_t i = 0; i < tables_.size(); ++i) table_index_[FoldName(tables_[i].name)] = i;
}

std::vector<Relationship>& Catalog::relationships() {
  relationship_index_stale_ = true;
  return relationships_;
}

void Catalog::ReindexRelationshipsIfStale() const {
  if (!relationship_index_stale_) return;
  relationship_index_.clear();
  relationships_by_table_.clear();
  for (size_t i = 0; i < relationships_.size(); ++i) {
    const Relationship& r = relationships_[i];
    relationship_index_[FoldName(r.name)] = i;
    const std::string primary = FoldName(r.primary_table);
    const std::string foreign = FoldName(r.foreign_table);
    relationships_by_table_[primary].push_back(i);
    if (foreign != primary) relationships_by_table_[foreign].push_back(i);
  }
  relationship_index_stale_ = false;
}

Relationship* Catalog::FindRelationship(std::string_view name) {
  ReindexRelationshipsIfStale();
  auto it = relationship_index_.find(FoldName(name));
  return it == relationship_index_.end() ? nullptr : &relationships_[it->second];
}

Relationship& Catalog::AddRelationship(Relationship relationship) {
  ReindexRelationshipsIfStale();
  const size_t i = relationships_.size();
  relationships_.push_back(std::move(relationship));
  const Relationship& r = relationships_.back();
  relationship_index_[FoldName(r.name)] = i;
  const std::string primary = FoldName(r.primary_table);
  const std::string foreign = FoldName(r.foreign_table);
  relationships_by_table_[primary].push_back(i);
  if (foreign != primary) relationships_by_table_[foreign].push_back(i);
  return relationships_.back();
}

void Catalog::RemoveRelationship(std::string_view name) {
  ReindexRelationshipsIfStale();
  auto it = relationship_index_.find(FoldName(name));
  if (it == relationship_index_.end()) return;
  const size_t position = it->second;
  relationships_.erase(relationships_.begin() + static_cast<std::ptrdiff_t>(position));
  relationship_index_.erase(it);
  ShiftDown(relationship_index_, position);
  for (auto table = relationships_by_table_.begin(); table != relationships_by_table_.end();) {
    std::vector<size_t>& positions = table->second;
    positions.erase(std::remove(positions.begin(), positions.end(), position), positions.end());
    for (size_t& p : positions) {
      if (p > position) --p;
    }
    table = positions.empty() ? relationships_by_table_.erase(table) : std::next(table);
  }
}

std::vector<const Relationship*> Catalog::RelationshipsOf(std::string_view table) const {
  ReindexRelationshipsIfStale();
  std::vector<const Relationship*> out;
  auto it = relationships_by_table_.find(FoldName(table));
  if (it == relationships_by_table_.end()) return out;
  out.reserve(it->second.size());
  for (size_t i : it->second) out.push_back(&relationships_[i]);
  return out;
}

const Relationship* Catalog::FindRelationship(std::string_view name) const {
  return const_cast<Catalog*>(this)->FindRelationship(name);
}

Query* Catalog::FindQuery(std::string_view name) {
  auto it = query_index_.find(FoldName(name));
  return it == query_index_.end() ? nullptr : &queries_[it->second];
}

const Query* Catalog::FindQuery(std::string_view name) const {
  return const_cast<Catalog*>(this)->FindQuery(name);
}

Query& Catalog::AddQuery(Query query) {
  query_index_[FoldName(query.name)] = queries_.size();
  queries_.push_back(std::move(query));
  return queries_.back();
}

void Catalog::RemoveQuery(std::string_view name) {
  auto it = query_index_.find(FoldName(name));
  if (it == query_index_.end()) return;
  const size_t position = it->second;
  queries_.erase(queries_.begin() + static_cast<std::ptrdiff_t>(position));
  query_index_.erase(it);
  ShiftDown(query_index_, position);
}

}  // namespace dbaccess
