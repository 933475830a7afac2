#include "dbaccess/storage/mdb/relationship_writer.h"

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "dbaccess/base/jet_error.h"
#include "dbaccess/catalog/jet_names.h"
#include "dbaccess/storage/mdb/catalog_writer.h"
#include "dbaccess/storage/mdb/format.h"
#include "dbaccess/storage/mdb/format_error.h"
#include "dbaccess/storage/mdb/index_order.h"
#include "dbaccess/storage/mdb/relationships.h"
#include "dbaccess/storage/mdb/table_creator.h"
#include "dbaccess/storage/mdb/table_description.h"
#include "dbaccess/storage/mdb/table_editor.h"

namespace dbaccess::mdb {
namespace {

constexpr char kPrimaryIndexPrefix[] = ".r";
constexpr uint8_t kCascadeFlag = 1;
constexpr uint8_t kCascadeNullFlag = 2;
// The flags a foreign key's real index may have whatever they are.
constexpr uint8_t kIgnoredForeignIndexFlags =
    kIndexFlagUnique | kIndexFlagIgnoreNulls | kIndexFlagRequired;

// One table whose indexes may change; written anew, with its rows, only when they do.
struct EditedTable {
  std::string name;
  uint32_t page = 0;
  TableDefinition definition;
  TableDefinitionExtras extras;
  bool changed = false;
};

class EditedTables {
 public:
  explicit EditedTables(PageWriter& pages) : pages_(pages) {}

  EditedTable& Get(const CatalogObject& object) {
    const uint32_t page = static_cast<uint32_t>(object.id);
    auto found = tables_.find(page);
    if (found != tables_.end()) return found->second;
    EditedTable& table = tables_[page];
    table.name = object.name;
    table.page = page;
    const TableEditor editor(pages_, page, object.name);
    table.definition = editor.definition();
    table.extras = editor.extras();
    return table;
  }

  void WriteChanged() {
    for (auto& [page, table] : tables_) {
      if (!table.changed) continue;
      std::vector<Row> rows;
      {
        TableEditor editor(pages_, page, table.name);
        for (TableRow& row : editor.Rows()) rows.push_back(std::move(row.cells));
      }
      OrderIndexes(table.definition, table.extras);
      DefinedTable defined{std::move(table.definition), std::move(table.extras), {}};
      RewriteTable(pages_, table.name, page, std::move(defined), std::move(rows));
    }
  }

 private:
  PageWriter& pages_;
  std::map<uint32_t, EditedTable> tables_;
};

std::vector<uint16_t> ColumnNumbers(const TableDefinition& def,
                                    const std::vector<std::string>& names) {
  std::vector<uint16_t> numbers;
  for (const std::string& name : names) {
    auto it = std::find_if(def.columns.begin(), def.columns.end(),
                           [&](const ColumnDefinition& c) { return SameName(c.name, name); });
    if (it == def.columns.end()) throw FormatError("a relationship's column is not there");
    numbers.push_back(it->number);
  }
  return numbers;
}

std::vector<uint16_t> RealIndexNumbers(const RealIndex& index) {
  std::vector<uint16_t> numbers;
  for (const RealIndexColumn& c : index.columns) numbers.push_back(c.column_number);
  return numbers;
}

bool SameColumnSet(std::vector<uint16_t> a, std::vector<uint16_t> b) {
  std::sort(a.begin(), a.end());
  std::sort(b.begin(), b.end());
  return a == b;
}

// The unique real index over exactly those columns, in any order.
std::optional<uint32_t> UniqueRealIndex(const TableDefinition& def,
                                        const std::vector<uint16_t>& numbers) {
  for (size_t i = 0; i < def.real_indexes.size(); ++i) {
    const RealIndex& index = def.real_indexes[i];
    if ((index.flags & kIndexFlagUnique) != 0 && SameColumnSet(RealIndexNumbers(index), numbers)) {
      return static_cast<uint32_t>(i);
    }
  }
  return std::nullopt;
}

// The real index a foreign key's logical index goes over: those columns in that order,
// ascending, no flags but those that do not matter and the one Access always sets; a new
// one when there is none.
uint32_t ForeignRealIndex(EditedTable& table, const std::vector<uint16_t>& numbers) {
  TableDefinition& def = table.definition;
  for (size_t i = 0; i < def.real_indexes.size(); ++i) {
    const RealIndex& index = def.real_indexes[i];
    const bool ascending = std::all_of(index.columns.begin(), index.columns.end(),
                                       [](const RealIndexColumn& c) { return c.ascending; });
    if (ascending && (index.flags & ~kIgnoredForeignIndexFlags) == kIndexFlagAlways &&
        RealIndexNumbers(index) == numbers) {
      return static_cast<uint32_t>(i);
    }
  }
  RealIndex index;
  index.flags = kIndexFlagAlways;
  for (uint16_t number : numbers) index.columns.push_back(RealIndexColumn{number, true});
  def.real_indexes.push_back(std::move(index));
  table.extras.real_indexes.resize(def.real_indexes.size());
  return static_cast<uint32_t>(def.real_indexes.size() - 1);
}

uint32_t NextLogicalNumber(const TableDefinition& def) {
  uint32_t next = 0;
  for (const LogicalIndex& index : def.logical_indexes) next = std::max(next, index.number + 1);
  return next;
}

bool HasIndexNamed(const TableDefinition& def, std::string_view name) {
  return std::any_of(def.logical_indexes.begin(), def.logical_indexes.end(),
                     [&](const LogicalIndex& index) { return SameName(index.name, name); });
}

// ".rB", ".rC", ... ".rZ", ".ra", ... the first the table does not have.
std::string PrimaryIndexName(const TableDefinition& def) {
  for (char c = 'B'; c <= 'z'; ++c) {
    if (c > 'Z' && c < 'a') continue;
    std::string name = std::string(kPrimaryIndexPrefix) + c;
    if (!HasIndexNamed(def, name)) return name;
  }
  throw jet_errors::TooManyIndexes();
}

void AddLogicalIndex(EditedTable& table, LogicalIndex index, const Relationship& r) {
  LogicalIndexExtras extra;
  extra.cascade_updates = r.update_rule == Rule::kCascade ? kCascadeFlag : 0;
  extra.cascade_deletes = r.delete_rule == Rule::kCascade   ? kCascadeFlag
                          : r.delete_rule == Rule::kSetNull ? kCascadeNullFlag
                                                            : 0;
  index.type = kLogicalIndexForeignKey;
  index.cascade_updates = extra.cascade_updates != 0;
  index.cascade_deletes = extra.cascade_deletes != 0;
  table.extras.logical_indexes.resize(table.definition.logical_indexes.size());
  table.definition.logical_indexes.push_back(std::move(index));
  table.extras.logical_indexes.push_back(extra);
  table.changed = true;
}

// Removes the logical index at `position`, and its real index when no other uses it.
void RemoveLogicalIndex(EditedTable& table, size_t position) {
  TableDefinition& def = table.definition;
  TableDefinitionExtras& extras = table.extras;
  extras.logical_indexes.resize(def.logical_indexes.size());
  extras.real_indexes.resize(def.real_indexes.size());
  const uint32_t real = def.logical_indexes[position].real_index;
  def.logical_indexes.erase(def.logical_indexes.begin() + static_cast<std::ptrdiff_t>(position));
  extras.logical_indexes.erase(extras.logical_indexes.begin() +
                               static_cast<std::ptrdiff_t>(position));
  table.changed = true;
  const bool used =
      std::any_of(def.logical_indexes.begin(), def.logical_indexes.end(),
                  [&](const LogicalIndex& index) { return index.real_index == real; });
  if (used || real >= def.real_indexes.size()) return;
  def.real_indexes.erase(def.real_indexes.begin() + real);
  extras.real_indexes.erase(extras.real_indexes.begin() + real);
  for (LogicalIndex& index : def.logical_indexes) {
    if (index.real_index > real) --index.real_index;
  }
}

uint32_t Grbit(const Relationship& r, bool one_to_one) {
  uint32_t grbit = 0;
  if (!r.enforced) grbit |= kRelationshipNotEnforced;
  if (r.update_rule == Rule::kCascade) grbit |= kRelationshipCascadeUpdates;
  if (r.delete_rule == Rule::kCascade) grbit |= kRelationshipCascadeDeletes;
  if (r.delete_rule == Rule::kSetNull) grbit |= kRelationshipCascadeNull;
  if (one_to_one) grbit |= kRelationshipOneToOne;
  return grbit;
}

void AddIndexes(EditedTables& tables, const CatalogObject& primary_object,
                const CatalogObject& foreign_object, const Relationship& r) {
  EditedTable& primary = tables.Get(primary_object);
  const std::vector<uint16_t> primary_numbers =
      ColumnNumbers(primary.definition, r.primary_columns);
  const std::optional<uint32_t> shared = UniqueRealIndex(primary.definition, primary_numbers);
  if (!shared) throw FormatError("no unique index for the relationship");
  const uint32_t primary_number = NextLogicalNumber(primary.definition);
  const std::string primary_name = PrimaryIndexName(primary.definition);
  EditedTable& foreign = tables.Get(foreign_object);
  const uint32_t foreign_number =
      &foreign == &primary ? primary_number + 1 : NextLogicalNumber(foreign.definition);

  LogicalIndex on_primary;
  on_primary.name = primary_name;
  on_primary.number = primary_number;
  on_primary.real_index = *shared;
  on_primary.relationship_side = kRelationshipSidePrimary;
  on_primary.other_index = foreign_number;
  on_primary.other_table_page = foreign.page;
  AddLogicalIndex(primary, std::move(on_primary), r);

  LogicalIndex on_foreign;
  on_foreign.name = r.name;
  on_foreign.number = foreign_number;
  on_foreign.real_index =
      ForeignRealIndex(foreign, ColumnNumbers(foreign.definition, r.foreign_columns));
  on_foreign.relationship_side = kRelationshipSideForeign;
  on_foreign.other_index = primary_number;
  on_foreign.other_table_page = primary.page;
  AddLogicalIndex(foreign, std::move(on_foreign), r);
}

void RemoveIndexes(EditedTables& tables, const CatalogObject& primary_object,
                   const CatalogObject& foreign_object, std::string_view name) {
  EditedTable& foreign = tables.Get(foreign_object);
  const uint32_t primary_page = static_cast<uint32_t>(primary_object.id);
  const auto is_foreign_side = [&](const LogicalIndex& index) {
    return index.type == kLogicalIndexForeignKey &&
           index.relationship_side == kRelationshipSideForeign &&
           index.other_table_page == primary_page && SameName(index.name, name);
  };
  auto& on_foreign = foreign.definition.logical_indexes;
  const auto found = std::find_if(on_foreign.begin(), on_foreign.end(), is_foreign_side);
  if (found == on_foreign.end()) return;  // a relationship Access does not enforce
  const uint32_t foreign_number = found->number;
  const uint32_t primary_number = found->other_index;
  RemoveLogicalIndex(foreign, static_cast<size_t>(found - on_foreign.begin()));

  EditedTable& primary = tables.Get(primary_object);
  auto& on_primary = primary.definition.logical_indexes;
  for (size_t i = 0; i < on_primary.size(); ++i) {
    const LogicalIndex& index = on_primary[i];
    if (index.type == kLogicalIndexForeignKey &&
        index.relationship_side == kRelationshipSidePrimary && index.number == primary_number &&
        index.other_table_page == foreign.page && index.other_index == foreign_number) {
      RemoveLogicalIndex(primary, i);
      return;
    }
  }
}

template <typename F>
auto Guarded(PageWriter& pages, F&& f) {
  try {
    return f();
  } catch (const FormatError&) {
    throw jet_errors::UnrecognizedFormat(pages.path());
  }
}

}  // namespace

void AddRelationship(PageWriter& pages, const Relationship& r, double now) {
  // Jet 4 files keep a delete that sets the foreign key to Null; where an update does that,
  // or either sets a default, is not known.
  if (r.update_rule == Rule::kSetNull) {
    throw jet_errors::JetChangeNotSupported(
        "Relationships whose updates set the foreign key to Null", pages.path());
  }
  if (r.update_rule == Rule::kSetDefault || r.delete_rule == Rule::kSetDefault) {
    throw jet_errors::JetChangeNotSupported(
        "Relationships whose updates or deletes set the default", pages.path());
  }
  if (r.primary_columns.empty() || r.primary_columns.size() != r.foreign_columns.size()) {
    throw jet_errors::UnrecognizedFormat(pages.path());
  }
  Guarded(pages, [&] {
    CatalogWriter catalog(pages);
    const CatalogObject primary = catalog.UserTable(r.primary_table);
    const CatalogObject foreign = catalog.UserTable(r.foreign_table);
    EditedTables tables(pages);
    const EditedTable& primary_table = tables.Get(primary);
    const EditedTable& foreign_table = tables.Get(foreign);
    const bool one_to_one =
        UniqueRealIndex(primary_table.definition,
                        ColumnNumbers(primary_table.definition, r.primary_columns))
            .has_value() &&
        UniqueRealIndex(foreign_table.definition,
                        ColumnNumbers(foreign_table.definition, r.foreign_columns))
            .has_value();

    TableEditor rows(pages, catalog.SystemTablePage(kRelationshipsTableName),
                     kRelationshipsTableName);
    const RelationshipRowDecoder decode_relationship(rows.definition());
    for (const TableRow& row : rows.Rows()) {
      if (SameName(decode_relationship.Decode(row.cells).name, r.name)) {
        throw jet_errors::UnrecognizedFormat(pages.path());
      }
    }
    for (size_t i = 0; i < r.primary_columns.size(); ++i) {
      RelationshipRow row;
      row.name = r.name;
      row.grbit = Grbit(r, one_to_one);
      row.column_count = static_cast<int>(r.primary_columns.size());
      row.column_index = static_cast<int>(i);
      row.foreign_table = foreign.name;
      row.foreign_column = r.foreign_columns[i];
      row.primary_table = primary.name;
      row.primary_column = r.primary_columns[i];
      rows.Insert(EncodeRelationshipRow(rows.definition(), row));
    }
    rows.Save();

    NewCatalogObject object;
    object.id = catalog.NextObjectId();
    object.parent_id = catalog.relationships_container();
    object.name = r.name;
    object.type = kObjectTypeRelationship;
    object.created = now;
    object.owner = catalog.new_object_owner();
    catalog.AddObject(object, catalog.NewRelationshipEntries(object.id));
    catalog.Save();

    if (r.enforced) AddIndexes(tables, primary, foreign, r);
    tables.WriteChanged();
  });
}

void DropRelationship(PageWriter& pages, std::string_view name) {
  Guarded(pages, [&] {
    CatalogWriter catalog(pages);
    TableEditor rows(pages, catalog.SystemTablePage(kRelationshipsTableName),
                     kRelationshipsTableName);
    std::optional<RelationshipRow> first;
    const RelationshipRowDecoder decode_relationship(rows.definition());
    for (const TableRow& row : rows.Rows()) {
      RelationshipRow rel = decode_relationship.Decode(row.cells);
      if (!SameName(rel.name, name)) continue;
      rows.Delete(row.where);
      if (!first) first = std::move(rel);
    }
    if (!first) throw jet_errors::UnrecognizedFormat(pages.path());
    rows.Save();

    const int32_t container = catalog.relationships_container();
    std::optional<int32_t> id;
    for (const CatalogObject& object : catalog.objects()) {
      if (object.type == kObjectTypeRelationship && object.parent_id == container &&
          SameName(object.name, name)) {
        id = object.id;
      }
    }
    if (id) catalog.RemoveObject(*id);
    catalog.Save();

    const std::optional<CatalogObject> primary = catalog.FindTable(first->primary_table);
    const std::optional<CatalogObject> foreign = catalog.FindTable(first->foreign_table);
    if (!primary || !foreign || primary->type != kObjectTypeTable ||
        foreign->type != kObjectTypeTable) {
      return;  // a relationship of a linked table has no indexes here
    }
    EditedTables tables(pages);
    RemoveIndexes(tables, *primary, *foreign, name);
    tables.WriteChanged();
  });
}

}  // namespace dbaccess::mdb
