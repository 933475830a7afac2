#include "dbaccess/exec/executor.h"

#include <algorithm>
#include <set>

#include "dbaccess/base/jet_error.h"
#include "dbaccess/catalog/jet_names.h"
#include "dbaccess/catalog/key_check.h"
#include "dbaccess/catalog/object_names.h"
#include "dbaccess/exec/expression_eval.h"
#include "dbaccess/exec/insert_row.h"
#include "dbaccess/exec/sql_value.h"
#include "dbaccess/sql/parser.h"

namespace dbaccess {
namespace je = jet_errors;
namespace {

constexpr size_t kMaxColumns = 255;
constexpr size_t kMaxIndexes = 32;
constexpr size_t kMaxIndexColumns = 10;

using sql::ConstraintDef;

Table& RequireTable(Catalog& catalog, std::string_view name) {
  Table* table = catalog.FindTable(name);
  if (table == nullptr) throw je::TableDoesNotExist(name);
  return *table;
}

// DAO's collections: a missing table or field is "Item not found in this collection."
Table& RequireTableItem(Catalog& catalog, std::string_view name) {
  Table* table = catalog.FindTable(name);
  if (table == nullptr) throw je::ItemNotFound();
  return *table;
}

size_t RequireColumnItem(const Table& table, std::string_view name) {
  const int i = table.ColumnIndex(name);
  if (i < 0) throw je::ItemNotFound();
  return static_cast<size_t>(i);
}

void Convert(const SqlValue& value, const Column& column, Cell& out, bool alter) {
  switch (ConvertValue(value, column, out)) {
    case ConvertStatus::kOk:
      return;
    case ConvertStatus::kMismatch:
      throw alter ? je::ConversionError() : je::TypeMismatch();
    case ConvertStatus::kOverflow:
      throw je::NumericOverflow();
    case ConvertStatus::kTooLong:
      throw je::FieldTooSmall();
  }
}

// The value of a column's DEFAULT, converted to the column.
Cell DefaultCell(const Table& table, const Column& column) {
  sql::Expr expr;
  if (!sql::ParseExpressionText(*column.default_value, expr)) throw je::ExpressionTooComplex();
  EvalContext context;
  context.table = table.name;
  context.field = column.name;
  Cell cell;
  Convert(Evaluate(expr, context), column, cell, false);
  return cell;
}

// Own indexes come before the hidden indexes of relationships, in the order made.
void AddOwnIndex(Table& table, Index index) {
  auto at = std::find_if(table.indexes.begin(), table.indexes.end(),
                         [](const Index& i) { return i.foreign; });
  table.indexes.insert(at, std::move(index));
}

void RemoveIndex(Table& table, std::string_view name) {
  table.indexes.erase(std::remove_if(table.indexes.begin(), table.indexes.end(),
                                     [&](const Index& i) { return SameName(i.name, name); }),
                      table.indexes.end());
}

// Jet indexes no OLE Object field.
void CheckIndexable(const Column& column) {
  if (column.type == DataType::kLongBinary) throw je::InvalidFieldInDefinition(column.name);
}

// Checks a new index of `table` and spells its columns as the table does.
void CheckNewIndex(const Table& table, Index& index, bool name_given) {
  if (name_given) CheckObjectName(index.name);
  if (index.primary && table.PrimaryKey() != nullptr) throw je::PrimaryKeyExists();
  if (table.FindIndex(index.name) != nullptr) throw je::IndexExists(table.name, index.name);
  if (index.columns.empty()) throw je::SyntaxErrorInCreateIndex();
  if (index.columns.size() > kMaxIndexColumns) throw je::TooManyIndexFields();
  std::set<int> seen;
  for (IndexColumn& c : index.columns) {
    const int i = table.ColumnIndex(c.name);
    if (i < 0) throw je::InvalidFieldInDefinition(c.name);
    if (!seen.insert(i).second) throw je::FieldDefinedTwice();
    c.name = table.columns[i].name;
    CheckIndexable(table.columns[i]);
  }
  if (table.indexes.size() >= kMaxIndexes) throw je::TooManyIndexes();
}

// The index of a PRIMARY KEY or UNIQUE clause.
Index ConstraintIndex(const Table& table, const ConstraintDef& d) {
  Index index;
  index.primary = d.kind == ConstraintDef::Kind::kPrimaryKey;
  index.unique = true;
  index.required = index.primary;
  if (!d.name.empty()) {
    index.name = d.name;
  } else {
    index.name = index.primary ? PrimaryKeyName(table) : NextIndexName(table);
  }
  for (const std::string& c : d.columns) index.columns.push_back(IndexColumn{c, false});
  CheckNewIndex(table, index, !d.name.empty());
  return index;
}

bool SameColumnSet(std::vector<int> a, std::vector<int> b) {
  std::sort(a.begin(), a.end());
  std::sort(b.begin(), b.end());
  return a == b;
}

// The primary (or a unique) index of `table` over exactly these columns, other than `except`.
bool HasUniqueIndexOn(const Table& table, const std::vector<int>& positions,
                      const Index* except = nullptr) {
  for (const Index& index : table.indexes) {
    if (&index == except || index.foreign || !index.unique) continue;
    if (SameColumnSet(ColumnPositions(table, index.columns), positions)) return true;
  }
  return false;
}

bool CompatibleForRelationship(const Column& a, const Column& b) {
  return a.type == b.type;  // an AutoNumber is a Long; text lengths may differ
}

bool ColumnInRelationship(const Catalog& catalog, const Table& table, std::string_view column) {
  for (const Relationship* r : catalog.RelationshipsOf(table.name)) {
    if (UsesColumn(*r, table.name, column)) return true;
  }
  return false;
}

// An index a relationship cannot do without: its hidden index on the foreign table, or the
// only unique index over the primary columns of an enforced relationship.
bool IndexNeededByRelationship(const Catalog& catalog, const Table& table, const Index& index) {
  if (index.foreign) return true;
  if (!index.unique) return false;
  const std::vector<int> positions = ColumnPositions(table, index.columns);
  for (const Relationship* r : catalog.RelationshipsOf(table.name)) {
    if (!r->enforced || !SameName(r->primary_table, table.name)) continue;
    if (SameColumnSet(ColumnPositions(table, r->primary_columns), positions) &&
        !HasUniqueIndexOn(table, positions, &index)) {
      return true;
    }
  }
  return false;
}

struct NewRelationship {
  Relationship relationship;
  Index hidden;  // on the foreign table; only for an enforced relationship
};

// A relationship from a FOREIGN KEY or REFERENCES clause whose foreign table is `foreign`
// as it will be (a table being made, or a copy being changed). Checks everything, the data
// included. `taken` holds the relationship names given earlier in the same statement.
NewRelationship BuildRelationship(const Catalog& catalog, const Table& foreign,
                                  const ConstraintDef& d, const std::vector<std::string>& taken) {
  if (!d.name.empty()) {
    CheckObjectName(d.name);
    const bool taken_here = std::any_of(taken.begin(), taken.end(),
                                        [&](const std::string& n) { return SameName(n, d.name); });
    if (catalog.FindRelationship(d.name) != nullptr || taken_here) {
      throw je::RelationshipExists(d.name);
    }
    if (d.enforced && foreign.FindIndex(d.name) != nullptr) {
      throw je::IndexExists(foreign.name, d.name);
    }
  }
  std::vector<int> foreign_positions;
  for (const std::string& name : d.columns) {
    const int i = foreign.ColumnIndex(name);
    if (i < 0) throw je::InvalidFieldInDefinition(name);
    foreign_positions.push_back(i);
  }
  const Table* primary =
      SameName(d.ref_table, foreign.name) ? &foreign : catalog.FindTable(d.ref_table);
  if (primary == nullptr) throw je::TableDoesNotExist(d.ref_table);
  std::vector<int> primary_positions;
  if (d.ref_columns.empty()) {
    const Index* pk = primary->PrimaryKey();
    if (pk == nullptr) throw je::ReferencedTableWithoutPrimaryKey(primary->name);
    primary_positions = ColumnPositions(*primary, pk->columns);
  } else {
    for (const std::string& name : d.ref_columns) {
      const int i = primary->ColumnIndex(name);
      if (i < 0) throw je::InvalidFieldInDefinition(name);
      primary_positions.push_back(i);
    }
  }
  if (primary_positions.size() != foreign_positions.size()) throw je::RelationshipFieldsMismatch();
  for (size_t k = 0; k < primary_positions.size(); ++k) {
    if (!CompatibleForRelationship(primary->columns[primary_positions[k]],
                                   foreign.columns[foreign_positions[k]])) {
      throw je::RelationshipFieldsMismatch();
    }
  }
  if (d.enforced && !HasUniqueIndexOn(*primary, primary_positions)) {
    throw je::NoUniqueIndexReferenced();
  }

  NewRelationship out;
  Relationship& r = out.relationship;
  if (!d.name.empty()) {
    r.name = d.name;
  } else {
    r.name = NextRelationshipName(catalog, primary->name, foreign, taken);
  }
  r.primary_table = primary->name;
  r.foreign_table = foreign.name;
  for (int p : primary_positions) r.primary_columns.push_back(primary->columns[p].name);
  for (int p : foreign_positions) r.foreign_columns.push_back(foreign.columns[p].name);
  r.update_rule = d.on_update;
  r.delete_rule = d.on_delete;
  r.enforced = d.enforced;
  if (r.enforced) {
    if (foreign.indexes.size() >= kMaxIndexes) throw je::TooManyIndexes();
    CheckRelationshipRows(*primary, foreign, r);
    out.hidden.name = r.name;
    out.hidden.foreign = true;
    for (const std::string& c : r.foreign_columns)
      out.hidden.columns.push_back(IndexColumn{c, false});
  }
  return out;
}

// Applies the PRIMARY KEY, UNIQUE and REFERENCES clauses of columns and the table
// constraints to `table` (a new table or a copy being changed); the relationships are
// returned for the caller to add once everything has been checked.
std::vector<Relationship> ApplyConstraints(const Catalog& catalog, Table& table,
                                           const std::vector<ConstraintDef>& constraints,
                                           ChangeList& changes, bool report_indexes) {
  std::vector<const ConstraintDef*> foreign_keys;
  for (const ConstraintDef& d : constraints) {
    if (d.kind == ConstraintDef::Kind::kForeignKey) {
      foreign_keys.push_back(&d);
    } else if (d.kind != ConstraintDef::Kind::kNotNull) {
      Index index = ConstraintIndex(table, d);
      CheckIndexRows(table, index);
      if (report_indexes) changes.push_back(change::AddIndex{table.name, index.name});
      AddOwnIndex(table, std::move(index));
    }
  }
  std::vector<Relationship> relationships;
  std::vector<std::string> taken;
  for (const ConstraintDef* d : foreign_keys) {
    NewRelationship nr = BuildRelationship(catalog, table, *d, taken);
    taken.push_back(nr.relationship.name);
    if (nr.relationship.enforced) table.indexes.push_back(std::move(nr.hidden));
    relationships.push_back(std::move(nr.relationship));
  }
  return relationships;
}

std::vector<ConstraintDef> ColumnConstraints(const sql::ColumnDef& def) {
  std::vector<ConstraintDef> out;
  for (const ConstraintDef& d : def.constraints) {
    if (d.kind == ConstraintDef::Kind::kNotNull) continue;
    out.push_back(d);
    out.back().columns = {def.name};
  }
  return out;
}

void AddRelationships(Catalog& catalog, std::vector<Relationship> relationships,
                      ChangeList& changes) {
  for (Relationship& r : relationships) {
    changes.push_back(change::AddRelationship{r.name});
    catalog.AddRelationship(std::move(r));
  }
}

// ---- statements ----

void Execute(Catalog& catalog, const sql::CreateTable& s, ChangeList& changes) {
  CheckObjectName(s.table);
  if (catalog.FindTable(s.table) != nullptr || catalog.FindQuery(s.table) != nullptr) {
    throw je::TableExists(s.table);
  }
  Table table;
  table.name = s.table;
  std::vector<ConstraintDef> constraints;
  for (const sql::ColumnDef& def : s.columns) {
    Column column = MakeColumn(def);
    if (table.FindColumn(column.name) != nullptr) throw je::FieldDefinedTwice();
    if (table.columns.size() >= kMaxColumns) throw je::TooManyFields();
    table.columns.push_back(std::move(column));
    for (ConstraintDef& d : ColumnConstraints(def)) constraints.push_back(std::move(d));
  }
  constraints.insert(constraints.end(), s.constraints.begin(), s.constraints.end());
  ChangeList ignored;  // a new table's indexes come with it
  std::vector<Relationship> relationships =
      ApplyConstraints(catalog, table, constraints, ignored, false);
  changes.push_back(change::CreateTable{table.name});
  catalog.AddTable(std::move(table));
  AddRelationships(catalog, std::move(relationships), changes);
}

void Execute(Catalog& catalog, const sql::DropTable& s, ChangeList& changes) {
  const Table& table = RequireTable(catalog, s.table);
  if (!catalog.RelationshipsOf(table.name).empty()) throw je::TableInRelationship();
  const std::string name = table.name;
  catalog.RemoveTable(name);
  changes.push_back(change::DropTable{name});
}

void Execute(Catalog& catalog, const sql::AddColumn& s, ChangeList& changes) {
  Table& table = RequireTable(catalog, s.table);
  Column column = MakeColumn(s.column);
  if (table.FindColumn(column.name) != nullptr) throw je::FieldExists(column.name, table.name);
  if (table.columns.size() >= kMaxColumns) throw je::TooManyFields();

  Table work = table;
  // Existing rows: AutoNumbers are counted up, a Required column takes its default.
  std::vector<Cell> values(work.rows.size());
  if (column.type == DataType::kBit) {
    // Never Null, so a Yes/No field is Required in effect: its DEFAULT, or False.
    const Cell cell =
        column.default_value && !work.rows.empty() ? DefaultCell(work, column) : Cell(false);
    std::fill(values.begin(), values.end(), cell);
  } else if (column.auto_increment && column.type == DataType::kLong) {
    for (size_t i = 0; i < values.size(); ++i) values[i] = static_cast<int64_t>(i + 1);
  } else if (column.required && !work.rows.empty()) {
    if (!column.default_value) throw je::NullInRequired(work.name, column.name);
    const Cell cell = DefaultCell(work, column);
    if (IsNull(cell)) throw je::NullInRequired(work.name, column.name);
    std::fill(values.begin(), values.end(), cell);
  }
  const std::string column_name = column.name;
  work.columns.push_back(std::move(column));
  for (size_t i = 0; i < work.rows.size(); ++i) work.rows[i].push_back(std::move(values[i]));

  ChangeList index_changes;
  std::vector<Relationship> relationships =
      ApplyConstraints(catalog, work, ColumnConstraints(s.column), index_changes, true);
  table = std::move(work);
  changes.push_back(change::AddColumn{table.name, column_name});
  changes.insert(changes.end(), index_changes.begin(), index_changes.end());
  AddRelationships(catalog, std::move(relationships), changes);
}

void Execute(Catalog& catalog, const sql::AlterColumn& s, ChangeList& changes) {
  Table& table = RequireTable(catalog, s.table);
  const size_t position = RequireColumnItem(table, s.column.name);
  const Column& old_column = table.columns[position];
  if (ColumnInRelationship(catalog, table, old_column.name)) {
    throw je::ChangeFieldInRelationship(old_column.name);
  }
  Column column = MakeColumn(s.column);
  column.name = old_column.name;
  column.extra_properties = old_column.extra_properties;
  const bool becomes_counter = column.auto_increment && !old_column.auto_increment;
  if (becomes_counter && !table.rows.empty()) throw je::TableContainsData();

  for (const Index& index : table.indexes) {
    for (const IndexColumn& c : index.columns) {
      if (SameName(c.name, column.name)) CheckIndexable(column);
    }
  }

  Table work = table;
  const auto convert = [position, old_type = old_column.type, column, name = table.name](Row& row) {
    Cell& cell = row[position];
    Cell converted;
    Convert(ValueFromCell(cell, old_type), column, converted, true);
    if (IsNull(converted) && column.required) throw je::NullInRequired(name, column.name);
    cell = std::move(converted);
  };
  if (work.rows.loaded()) {
    for (Row& row : work.rows) convert(row);
  } else {
    // Rows the storage has not read: each is converted once here to find what would be
    // refused, and again when it is needed, so that no table is held twice in memory.
    table.rows.ForEach([&](const Row& row) {
      Row copy = row;
      convert(copy);
    });
    work.rows = TableRows::Mapped(table.rows, [convert](const Row& row) {
      Row copy = row;
      convert(copy);
      return copy;
    });
  }
  work.columns[position] = std::move(column);
  for (const Index& index : work.indexes) {
    const bool uses = std::any_of(
        index.columns.begin(), index.columns.end(),
        [&](const IndexColumn& c) { return SameName(c.name, work.columns[position].name); });
    if (uses) CheckIndexRows(work, index);
  }
  ChangeList index_changes;
  std::vector<Relationship> relationships =
      ApplyConstraints(catalog, work, ColumnConstraints(s.column), index_changes, true);
  table = std::move(work);
  changes.push_back(change::AlterColumn{table.name, table.columns[position].name});
  changes.insert(changes.end(), index_changes.begin(), index_changes.end());
  AddRelationships(catalog, std::move(relationships), changes);
}

void Execute(Catalog& catalog, const sql::DropColumn& s, ChangeList& changes) {
  Table& table = RequireTable(catalog, s.table);
  const size_t position = RequireColumnItem(table, s.column);
  const std::string name = table.columns[position].name;
  if (ColumnInRelationship(catalog, table, name)) throw je::FieldInRelationship(name);
  for (const Index& index : table.indexes) {
    for (const IndexColumn& c : index.columns) {
      if (SameName(c.name, name)) throw je::FieldInIndex();
    }
  }
  if (table.columns.size() == 1) throw je::FieldInIndex();  // a table keeps one field at least
  table.columns.erase(table.columns.begin() + static_cast<std::ptrdiff_t>(position));
  for (Row& row : table.rows) row.erase(row.begin() + static_cast<std::ptrdiff_t>(position));
  changes.push_back(change::DropColumn{table.name, name});
}

void Execute(Catalog& catalog, const sql::AddConstraint& s, ChangeList& changes) {
  Table& table = RequireTable(catalog, s.table);
  const ConstraintDef& d = s.constraint;
  if (d.kind == ConstraintDef::Kind::kForeignKey) {
    NewRelationship nr = BuildRelationship(catalog, table, d, {});
    if (nr.relationship.enforced) table.indexes.push_back(std::move(nr.hidden));
    changes.push_back(change::AddRelationship{nr.relationship.name});
    catalog.AddRelationship(std::move(nr.relationship));
    return;
  }
  Index index = ConstraintIndex(table, d);
  CheckIndexRows(table, index);
  changes.push_back(change::AddIndex{table.name, index.name});
  AddOwnIndex(table, std::move(index));
}

void DropRelationship(Catalog& catalog, const Relationship& r, ChangeList& changes) {
  const std::string name = r.name;
  if (r.enforced) {
    if (Table* foreign = catalog.FindTable(r.foreign_table)) {
      foreign->indexes.erase(
          std::remove_if(foreign->indexes.begin(), foreign->indexes.end(),
                         [&](const Index& i) { return i.foreign && SameName(i.name, name); }),
          foreign->indexes.end());
    }
  }
  catalog.RemoveRelationship(name);
  changes.push_back(change::DropRelationship{name});
}

void Execute(Catalog& catalog, const sql::DropConstraint& s, ChangeList& changes) {
  Table& table = RequireTable(catalog, s.table);
  const Relationship* r = catalog.FindRelationship(s.name);
  if (r != nullptr && SameName(r->foreign_table, table.name)) {
    DropRelationship(catalog, *r, changes);
    return;
  }
  const Index* index = table.FindIndex(s.name);
  if (index != nullptr && !index->foreign) {
    if (IndexNeededByRelationship(catalog, table, *index)) throw je::TableInRelationship();
    const std::string name = index->name;
    RemoveIndex(table, name);
    changes.push_back(change::DropIndex{table.name, name});
    return;
  }
  if (r != nullptr) throw je::NoSuchRelationship(s.name, table.name);
  throw je::CannotFindTableOrConstraint();
}

void Execute(Catalog& catalog, const sql::CreateIndex& s, ChangeList& changes) {
  Table& table = RequireTable(catalog, s.table);
  Index index;
  index.name = s.index;
  index.columns = s.columns;
  index.primary = s.primary;
  index.unique = s.unique || s.primary;
  index.required = s.primary || s.disallow_null;
  index.ignore_nulls = s.ignore_null;
  CheckNewIndex(table, index, true);
  CheckIndexRows(table, index);
  changes.push_back(change::AddIndex{table.name, index.name});
  AddOwnIndex(table, std::move(index));
}

void Execute(Catalog& catalog, const sql::DropIndex& s, ChangeList& changes) {
  Table& table = RequireTable(catalog, s.table);
  const Index* index = table.FindIndex(s.index);
  if (index == nullptr) throw je::CannotFindTableOrConstraint();
  if (IndexNeededByRelationship(catalog, table, *index)) throw je::TableInRelationship();
  const std::string name = index->name;
  RemoveIndex(table, name);
  changes.push_back(change::DropIndex{table.name, name});
}

void Execute(Catalog& catalog, const sql::InsertInto& s, ChangeList& changes) {
  Table* found = catalog.FindTable(s.table);
  if (found == nullptr) throw je::InputTableNotFound(s.table);
  Table& table = *found;
  Row row = BuildInsertRow(table, s, false,
                           [&](size_t column) { return NextCounterValue(table, column); });
  for (size_t i = 0; i < table.columns.size(); ++i) {
    if (table.columns[i].required && IsNull(row[i])) {
      throw je::NullInRequired(table.name, table.columns[i].name);
    }
  }
  for (const Index& index : table.indexes) CheckRowAgainstIndex(table, index, row);
  std::string key;
  for (const Relationship* r : catalog.RelationshipsOf(table.name)) {
    if (!r->enforced || !SameName(r->foreign_table, table.name)) continue;
    if (!EncodeKey(table, row, ColumnPositions(table, r->foreign_columns), key)) continue;
    const Table* primary_table = catalog.FindTable(r->primary_table);
    if (primary_table == nullptr) throw je::RelatedRecordRequired(r->primary_table);
    const Table& primary = *primary_table;
    const std::vector<int> primary_positions = ColumnPositions(primary, r->primary_columns);
    bool found_key = TableHasKey(primary, primary_positions, key);
    if (!found_key && &primary == &table) {  // a row may refer to itself
      std::string own;
      found_key = EncodeKey(table, row, primary_positions, own) && own == key;
    }
    if (!found_key) throw je::RelatedRecordRequired(primary.name);
  }
  table.rows.push_back(std::move(row));
  changes.push_back(change::InsertRows{table.name, 1});
}

void Execute(Catalog& catalog, const sql::CreateQueryDef& s, ChangeList& changes) {
  CreateQueryDef(catalog, s.name, s.sql, changes);
}

void Execute(Catalog& catalog, const sql::SetColumnProperty& s, ChangeList& changes) {
  Table& table = RequireTable(catalog, s.table);
  Column& column = table.columns[RequireColumnItem(table, s.column)];
  column.extra_properties[s.property] = s.value;
  changes.push_back(change::AlterColumn{table.name, column.name});
}

void Execute(Catalog& catalog, const sql::SetTableType& s, ChangeList&) {
  RequireTable(catalog, s.table).kind = s.kind;
}

}  // namespace

bool UsesColumn(const Relationship& r, std::string_view table, std::string_view column) {
  const auto has = [&](const std::vector<std::string>& names) {
    return std::any_of(names.begin(), names.end(),
                       [&](const std::string& n) { return SameName(n, column); });
  };
  return (SameName(r.primary_table, table) && has(r.primary_columns)) ||
         (SameName(r.foreign_table, table) && has(r.foreign_columns));
}

Column MakeColumn(const sql::ColumnDef& def) {
  CheckObjectName(def.name);
  Column c;
  c.name = def.name;
  c.type = def.type.type;
  c.size = (c.type == DataType::kText || c.type == DataType::kBinary) ? def.type.size : 0;
  c.precision = c.type == DataType::kDecimal ? def.type.precision : 0;
  c.scale = c.type == DataType::kDecimal ? def.type.scale : 0;
  c.auto_increment = def.type.auto_increment;
  c.required = def.not_null;
  for (const ConstraintDef& d : def.constraints) {
    if (d.kind == ConstraintDef::Kind::kNotNull) c.required = true;
  }
  c.default_value = def.default_text;
  return c;
}

void ExecuteStatement(Catalog& catalog, const sql::Statement& statement, ChangeList& changes) {
  std::visit([&](const auto& s) { Execute(catalog, s, changes); }, statement);
}

void ExecuteSql(Catalog& catalog, std::string_view sql, ChangeList& changes) {
  ExecuteStatement(catalog, sql::ParseStatement(sql), changes);
}

void SetColumnRequired(Catalog& catalog, std::string_view table_name, std::string_view column,
                       bool required, ChangeList& changes) {
  Table& table = RequireTableItem(catalog, table_name);
  const size_t position = RequireColumnItem(table, column);
  Column& c = table.columns[position];
  if (required) {
    for (const Row& row : table.rows) {
      if (IsNull(row[position])) throw je::NullInRequired(table.name, c.name);
    }
  }
  c.required = required;
  changes.push_back(change::SetRequired{table.name, c.name, required});
}

void RenameColumn(Catalog& catalog, std::string_view table_name, std::string_view column,
                  std::string_view new_name, ChangeList& changes) {
  Table& table = RequireTableItem(catalog, table_name);
  const size_t position = RequireColumnItem(table, column);
  CheckObjectName(new_name);
  const int other = table.ColumnIndex(new_name);
  if (other >= 0 && static_cast<size_t>(other) != position) throw je::FieldDefinedTwice();
  const std::string old_name = table.columns[position].name;
  const std::string name(new_name);
  for (Index& index : table.indexes) {
    for (IndexColumn& c : index.columns) {
      if (SameName(c.name, old_name)) c.name = name;
    }
  }
  for (const Relationship* found : catalog.RelationshipsOf(table.name)) {
    Relationship& r = *catalog.FindRelationship(found->name);
    if (SameName(r.primary_table, table.name)) {
      for (std::string& c : r.primary_columns) {
        if (SameName(c, old_name)) c = name;
      }
    }
    if (SameName(r.foreign_table, table.name)) {
      for (std::string& c : r.foreign_columns) {
        if (SameName(c, old_name)) c = name;
      }
    }
  }
  table.columns[position].name = name;
  changes.push_back(change::RenameColumn{table.name, old_name, name});
}

void CreateQueryDef(Catalog& catalog, std::string_view name, std::string_view sql,
                    ChangeList& changes) {
  CheckObjectName(name);
  if (catalog.FindTable(name) != nullptr || catalog.FindQuery(name) != nullptr) {
    throw je::ObjectExists(name);
  }
  catalog.AddQuery(Query{std::string(name), std::string(sql)});
  changes.push_back(change::CreateQuery{std::string(name)});
}

void DeleteQueryDef(Catalog& catalog, std::string_view name, ChangeList& changes) {
  const Query* query = catalog.FindQuery(name);
  if (query == nullptr) throw je::ItemNotFound();
  const std::string stored = query->name;
  catalog.RemoveQuery(stored);
  changes.push_back(change::DeleteQuery{stored});
}

}  // namespace dbaccess
