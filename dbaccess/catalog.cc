#include "dbaccess/catalog.h"

#include <algorithm>

#include "dbaccess/jet_names.h"

namespace dbaccess {

std::string_view RuleText(Rule rule) {
  switch (rule) {
    case Rule::kNoAction: return "NO ACTION";
    case Rule::kCascade: return "CASCADE";
    case Rule::kSetNull: return "SET NULL";
    case Rule::kSetDefault: return "SET DEFAULT";
  }
  return "";
}

std::string_view TableTypeText(TableKind kind) {
  switch (kind) {
    case TableKind::kUser: return "TABLE";
    case TableKind::kSystem: return "SYSTEM TABLE";
    case TableKind::kAccessSystem: return "ACCESS TABLE";
    case TableKind::kLinked: return "LINK";
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

void Catalog::RemoveTable(std::string_view name) {
  auto it = table_index_.find(FoldName(name));
  if (it == table_index_.end()) return;
  tables_.erase(tables_.begin() + static_cast<std::ptrdiff_t>(it->second));
  ReindexTables();
}

void Catalog::RenameTable(std::string_view name, std::string new_name) {
  Table* table = FindTable(name);
  if (table == nullptr) return;
  table->name = std::move(new_name);
  ReindexTables();
}

void Catalog::ReindexTables() {
  table_index_.clear();
  for (size_t i = 0; i < tables_.size(); ++i) table_index_[FoldName(tables_[i].name)] = i;
}

Relationship* Catalog::FindRelationship(std::string_view name) {
  for (Relationship& r : relationships_) {
    if (SameName(r.name, name)) return &r;
  }
  return nullptr;
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
  queries_.erase(queries_.begin() + static_cast<std::ptrdiff_t>(it->second));
  ReindexQueries();
}

void Catalog::ReindexQueries() {
  query_index_.clear();
  for (size_t i = 0; i < queries_.size(); ++i) query_index_[FoldName(queries_[i].name)] = i;
}

}  // namespace dbaccess
