#include "dbaccess/storage/mdb/change_writer.h"

#include <algorithm>
#include <numeric>
#include <optional>
#include <unordered_map>
#include <utility>

#include "dbaccess/base/jet_error.h"
#include "dbaccess/catalog/jet_names.h"
#include "dbaccess/storage/mdb/catalog_writer.h"
#include "dbaccess/storage/mdb/query_writer.h"
#include "dbaccess/storage/mdb/relationship_writer.h"
#include "dbaccess/storage/mdb/relationships.h"
#include "dbaccess/storage/mdb/table_creator.h"
#include "dbaccess/storage/mdb/table_definition_pages.h"
#include "dbaccess/storage/mdb/table_editor.h"
#include "dbaccess/storage/mdb/table_redefinition.h"

namespace dbaccess::mdb {
namespace {

// A column as the changes leave it, with its position in the table before them (none:
// added by them).
using ColumnTrace = std::pair<std::string, std::optional<size_t>>;

// What the changes do to one table.
struct TableWork {
  std::string name;      // as the changes name it
  bool dropped = false;  // the table there was before is gone
  bool changed = false;  // its columns, indexes or properties
  size_t inserted = 0;   // rows
  // Once a column is added, dropped or renamed: the columns as the changes leave them.
  std::optional<std::vector<ColumnTrace>> columns = std::nullopt;
  std::vector<std::pair<std::string, std::string>> renamed = {};  // old and new column names
};

// The changes of a list, table by table, in the order the tables are first named.
class ChangePlan {
 public:
  ChangePlan(const Catalog& before, const ChangeList& changes) : before_(before) {
    for (const Change& change : changes) std::visit([this](const auto& c) { Add(c); }, change);
  }
  const std::vector<TableWork>& tables() const { return tables_; }
  const TableWork* Find(const std::string& table) const {
    const auto found = by_name_.find(FoldName(table));
    return found == by_name_.end() ? nullptr : &tables_[found->second];
  }

 private:
  TableWork& Work(const std::string& table) {
    auto [it, added] = by_name_.emplace(FoldName(table), tables_.size());
    if (added) tables_.push_back(TableWork{table});
    tables_[it->second].name = table;
    return tables_[it->second];
  }
  std::vector<ColumnTrace>& Columns(TableWork& work) {
    if (!work.columns) {
      work.columns.emplace();
      const Table* table = work.dropped ? nullptr : before_.FindTable(work.name);
      for (size_t i = 0; table != nullptr && i < table->columns.size(); ++i) {
        work.columns->emplace_back(table->columns[i].name, i);
      }
    }
    return *work.columns;
  }
  void Changed(const std::string& table) { Work(table).changed = true; }

  void Add(const change::CreateTable& c) {
    TableWork& work = Work(c.table);
    work.columns.reset();
    work.renamed.clear();
  }
  void Add(const change::DropTable& c) {
    TableWork& work = Work(c.table);
    work.dropped = true;
    work.columns.reset();
    work.renamed.clear();
  }
  void Add(const change::AddColumn& c) {
    Changed(c.table);
    Columns(Work(c.table)).emplace_back(c.column, std::nullopt);
  }
  void Add(const change::DropColumn& c) {
    Changed(c.table);
    std::erase_if(Columns(Work(c.table)),
                  [&](const ColumnTrace& column) { return SameName(column.first, c.column); });
  }
  void Add(const change::RenameColumn& c) {
    Changed(c.table);
    TableWork& work = Work(c.table);
    for (ColumnTrace& column : Columns(work)) {
      if (SameName(column.first, c.old_name)) column.first = c.new_name;
    }
    work.renamed.emplace_back(c.old_name, c.new_name);
  }
  void Add(const change::AlterColumn& c) { Changed(c.table); }
  void Add(const change::SetRequired& c) { Changed(c.table); }
  void Add(const change::AddIndex& c) { Changed(c.table); }
  void Add(const change::DropIndex& c) { Changed(c.table); }
  void Add(const change::InsertRows& c) { Work(c.table).inserted += c.count; }
  // Relationships and queries are written as the catalogs before and after differ.
  void Add(const change::AddRelationship&) {}
  void Add(const change::DropRelationship&) {}
  void Add(const change::CreateQuery&) {}
  void Add(const change::DeleteQuery&) {}

  const Catalog& before_;
  std::vector<TableWork> tables_;
  std::unordered_map<std::string, size_t> by_name_;
};

// Stores rows of the model (cells in the model's column order, which follows the column
// numbers) into the table at `page`.
void InsertModelRows(PageWriter& pages, uint32_t page, const std::string& name,
                     std::vector<Row>::const_iterator first,
                     std::vector<Row>::const_iterator last) {
  if (first == last) return;
  TableEditor editor(pages, page, name);
  const std::vector<ColumnDefinition>& columns = editor.definition().columns;
  std::vector<size_t> by_number(columns.size());
  std::iota(by_number.begin(), by_number.end(), 0);
  std::stable_sort(by_number.begin(), by_number.end(),
                   [&](size_t a, size_t b) { return columns[a].number < columns[b].number; });
  for (auto row = first; row != last; ++row) {
    if (row->size() != columns.size()) throw FormatError("a row of another table");
    Row cells(columns.size());
    for (size_t k = 0; k < by_number.size(); ++k) cells[by_number[k]] = (*row)[k];
    editor.Insert(std::move(cells));
  }
  editor.Save();
}

// The tables made, their catalog rows written once for all of them, then their rows.
void CreateWithRows(PageWriter& pages, const std::vector<const Table*>& tables, double now,
                    std::vector<TableRowsWritten>& written) {
  if (tables.empty()) return;
  std::vector<uint32_t> made;
  {
    CatalogWriter catalog(pages);
    for (const Table* table : tables) {
      made.push_back(CreateTable(pages, catalog, DescribeTable(*table), now));
    }
    catalog.Save();
  }
  for (size_t i = 0; i < tables.size(); ++i) {
    const Table& table = *tables[i];
    InsertModelRows(pages, made[i], table.name, table.rows.begin(), table.rows.end());
    written.push_back({table.name, made[i]});
  }
}

void InsertNewRows(PageWriter& pages, const Table& table, size_t count) {
  const CatalogWriter catalog(pages);
  const CatalogObject object = catalog.UserTable(table.name);
  if (count > table.rows.size()) throw FormatError("more rows inserted than the table holds");
  InsertModelRows(pages, static_cast<uint32_t>(object.id), table.name,
                  table.rows.end() - static_cast<std::ptrdiff_t>(count), table.rows.end());
}

// MSysRelationships names the columns of each relationship: a renamed column is renamed
// there too.
void RenameInRelationships(PageWriter& pages, const CatalogWriter& catalog,
                           const std::string& table,
                           const std::vector<std::pair<std::string, std::string>>& renamed) {
  if (renamed.empty()) return;
  for (const CatalogObject& object : catalog.objects()) {
    if (object.type != kObjectTypeTable || !object.system() ||
        object.name != kRelationshipsTableName) {
      continue;
    }
    TableEditor editor(pages, static_cast<uint32_t>(object.id), object.name);
    const TableDefinition& def = editor.definition();
    auto column = [&](std::string_view name) -> std::optional<size_t> {
      for (size_t i = 0; i < def.columns.size(); ++i) {
        if (def.columns[i].name == name) return i;
      }
      return std::nullopt;
    };
    const std::optional<size_t> foreign = column("szColumn");
    const std::optional<size_t> primary = column("szReferencedColumn");
    const RelationshipRowDecoder decode_relationship(def);
    for (TableRow& row : editor.Rows()) {
      RelationshipRow rel = decode_relationship.Decode(row.cells);
      bool changed = false;
      for (const auto& [old_name, new_name] : renamed) {
        if (foreign && SameName(rel.foreign_table, table) &&
            SameName(rel.foreign_column, old_name)) {
          rel.foreign_column = new_name;
          row.cells[*foreign] = new_name;
          changed = true;
        }
        if (primary && SameName(rel.primary_table, table) &&
            SameName(rel.primary_column, old_name)) {
          rel.primary_column = new_name;
          row.cells[*primary] = new_name;
          changed = true;
        }
      }
      if (changed) editor.Update(row.where, row.cells);
    }
    editor.Save();
  }
}

// The table written anew in place, as the model has it after the changes.
uint32_t Rewrite(PageWriter& pages, const Table& before, const Table& after, const TableWork& work,
                 double now) {
  CatalogWriter catalog(pages);
  const CatalogObject object = catalog.UserTable(after.name);
  const uint32_t page = static_cast<uint32_t>(object.id);
  // Only the definition is read here: the rows come from the model and every index is built
  // anew, so nothing of the old index pages is kept (RewriteTable checks the pages it gives
  // back).
  StoredTableParts stored;
  {
    DecodedTableDefinition old = ReadDecodedTableDefinition(*pages.View(), page);
    stored.definition = std::move(old.definition);
    stored.extras = std::move(old.extras);
  }
  stored.properties = object.properties;
  // The model's columns follow the column numbers.
  std::vector<uint16_t> numbers;
  for (const ColumnDefinition& column : stored.definition.columns) numbers.push_back(column.number);
  std::sort(numbers.begin(), numbers.end());
  if (numbers.size() != before.columns.size()) throw FormatError("columns not as read");
  std::vector<std::optional<uint16_t>> origins(after.columns.size());
  for (size_t i = 0; i < after.columns.size(); ++i) {
    std::optional<size_t> position;
    if (!work.columns) {
      const int at = before.ColumnIndex(after.columns[i].name);
      if (at >= 0) position = static_cast<size_t>(at);
    } else {
      for (const ColumnTrace& column : *work.columns) {
        if (SameName(column.first, after.columns[i].name)) position = column.second;
      }
    }
    if (position) origins[i] = numbers[*position];
  }
  RedefinedTable redefined = RedefineTable(stored, after, origins, pages.header());
  catalog.UpdateObject(object.id, redefined.properties, now);
  catalog.Save();
  RewriteTable(pages, object.name, page, std::move(redefined.table), after.rows);
  RenameInRelationships(pages, catalog, after.name, work.renamed);
  return page;
}

// The relationships and queries the changes drop and make: those of `before` that `after`
// has otherwise, or not at all, and the other way round. A relationship stays where only
// its columns were renamed (MSysRelationships follows the rename) and goes where one of
// its tables is made again.
struct ObjectChanges {
  std::vector<std::string> dropped_relationships;
  std::vector<const Relationship*> added_relationships;
  std::vector<std::string> deleted_queries;
  std::vector<const Query*> created_queries;
};

Relationship WithRenames(Relationship r, const ChangePlan& plan) {
  const auto rename = [&](const std::string& table, std::vector<std::string>& columns) {
    const TableWork* work = plan.Find(table);
    if (work == nullptr) return;
    for (const auto& [old_name, new_name] : work->renamed) {
      for (std::string& column : columns) {
        if (SameName(column, old_name)) column = new_name;
      }
    }
  };
  rename(r.primary_table, r.primary_columns);
  rename(r.foreign_table, r.foreign_columns);
  return r;
}

ObjectChanges CompareObjects(const Catalog& before, const Catalog& after, const ChangePlan& plan) {
  const auto made_again = [&](const std::string& table) {
    const TableWork* work = plan.Find(table);
    return work != nullptr && work->dropped;
  };
  ObjectChanges out;
  for (const Relationship& was : before.relationships()) {
    const Relationship* is = after.FindRelationship(was.name);
    const bool stays = is != nullptr && WithRenames(was, plan) == *is &&
                       !made_again(was.primary_table) && !made_again(was.foreign_table);
    if (!stays) out.dropped_relationships.push_back(was.name);
  }
  for (const Relationship& is : after.relationships()) {
    const Relationship* was = before.FindRelationship(is.name);
    const bool stayed = was != nullptr && WithRenames(*was, plan) == is &&
                        !made_again(is.primary_table) && !made_again(is.foreign_table);
    if (!stayed) out.added_relationships.push_back(&is);
  }
  for (const Query& was : before.queries()) {
    const Query* is = after.FindQuery(was.name);
    if (is == nullptr || is->sql != was.sql || is->name != was.name) {
      out.deleted_queries.push_back(was.name);
    }
  }
  for (const Query& is : after.queries()) {
    const Query* was = before.FindQuery(is.name);
    if (was == nullptr || was->sql != is.sql || was->name != is.name) {
      out.created_queries.push_back(&is);
    }
  }
  return out;
}

}  // namespace

std::vector<TableRowsWritten> WriteChanges(PageWriter& pages, const Catalog& before,
                                           const Catalog& after, const ChangeList& changes,
                                           double now) {
  const ChangePlan plan(before, changes);
  std::vector<TableRowsWritten> written;
  const ObjectChanges objects = CompareObjects(before, after, plan);
  try {
    for (const std::string& name : objects.dropped_relationships) DropRelationship(pages, name);
    for (const std::string& name : objects.deleted_queries) DeleteQuery(pages, name);
    for (const TableWork& work : plan.tables()) {
      const Table* was = before.FindTable(work.name);
      if (was != nullptr && (work.dropped || after.FindTable(work.name) == nullptr)) {
        DropTable(pages, was->name);
      }
    }
    std::vector<const Table*> made;
    for (const TableWork& work : plan.tables()) {
      const Table* was = before.FindTable(work.name);
      const Table* is = after.FindTable(work.name);
      if (is != nullptr && (was == nullptr || work.dropped)) made.push_back(is);
    }
    CreateWithRows(pages, made, now, written);
    for (const TableWork& work : plan.tables()) {
      const Table* was = before.FindTable(work.name);
      const Table* is = after.FindTable(work.name);
      if (was == nullptr || is == nullptr || work.dropped) continue;
      if (work.changed) {
        written.push_back({is->name, Rewrite(pages, *was, *is, work, now)});
      } else if (work.inserted > 0) {
        InsertNewRows(pages, *is, work.inserted);
      }
    }
    for (const Query* query : objects.created_queries) {
      CreateQuery(pages, query->name, query->sql, now);
    }
    for (const Relationship* r : objects.added_relationships) AddRelationship(pages, *r, now);
  } catch (const FormatError&) {
    throw jet_errors::UnrecognizedFormat(pages.path());
  }
  return written;
}

}  // namespace dbaccess::mdb
