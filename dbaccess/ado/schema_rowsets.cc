#include "dbaccess/ado/schema_rowsets.h"

#include <algorithm>
#include <numeric>
#include <string_view>
#include <tuple>
#include <unordered_map>

#include "dbaccess/base/jet_error.h"
#include "dbaccess/catalog/data_type.h"
#include "dbaccess/catalog/jet_names.h"
#include "dbaccess/catalog/query_kind.h"

namespace dbaccess {
namespace {

const std::vector<std::string> kTablesColumns = {"TABLE_CATALOG", "TABLE_SCHEMA", "TABLE_NAME",
                                                 "TABLE_TYPE",    "TABLE_GUID",   "DESCRIPTION",
                                                 "TABLE_PROPID",  "DATE_CREATED", "DATE_MODIFIED"};

const std::vector<std::string> kColumnsColumns = {"TABLE_CATALOG",
                                                  "TABLE_SCHEMA",
                                                  "TABLE_NAME",
                                                  "COLUMN_NAME",
                                                  "COLUMN_GUID",
                                                  "COLUMN_PROPID",
                                                  "ORDINAL_POSITION",
                                                  "COLUMN_HASDEFAULT",
                                                  "COLUMN_DEFAULT",
                                                  "COLUMN_FLAGS",
                                                  "IS_NULLABLE",
                                                  "DATA_TYPE",
                                                  "TYPE_GUID",
                                                  "CHARACTER_MAXIMUM_LENGTH",
                                                  "CHARACTER_OCTET_LENGTH",
                                                  "NUMERIC_PRECISION",
                                                  "NUMERIC_SCALE",
                                                  "DATETIME_PRECISION",
                                                  "CHARACTER_SET_CATALOG",
                                                  "CHARACTER_SET_SCHEMA",
                                                  "CHARACTER_SET_NAME",
                                                  "COLLATION_CATALOG",
                                                  "COLLATION_SCHEMA",
                                                  "COLLATION_NAME",
                                                  "DOMAIN_CATALOG",
                                                  "DOMAIN_SCHEMA",
                                                  "DOMAIN_NAME",
                                                  "DESCRIPTION",
                                                  "AUTOINCREMENT"};

const std::vector<std::string> kIndexesColumns = {
    "TABLE_CATALOG",  "TABLE_SCHEMA",     "TABLE_NAME",  "INDEX_CATALOG",    "INDEX_SCHEMA",
    "INDEX_NAME",     "PRIMARY_KEY",      "UNIQUE",      "CLUSTERED",        "TYPE",
    "FILL_FACTOR",    "INITIAL_SIZE",     "NULLS",       "SORT_BOOKMARKS",   "AUTO_UPDATE",
    "NULL_COLLATION", "ORDINAL_POSITION", "COLUMN_NAME", "COLUMN_GUID",      "COLUMN_PROPID",
    "COLLATION",      "CARDINALITY",      "PAGES",       "FILTER_CONDITION", "INTEGRATED"};

const std::vector<std::string> kForeignKeysColumns = {
    "PK_TABLE_CATALOG", "PK_TABLE_SCHEMA",  "PK_TABLE_NAME",   "PK_COLUMN_NAME", "PK_COLUMN_GUID",
    "PK_COLUMN_PROPID", "FK_TABLE_CATALOG", "FK_TABLE_SCHEMA", "FK_TABLE_NAME",  "FK_COLUMN_NAME",
    "FK_COLUMN_GUID",   "FK_COLUMN_PROPID", "ORDINAL",         "UPDATE_RULE",    "DELETE_RULE",
    "PK_NAME",          "FK_NAME",          "DEFERRABILITY"};

Variant Null() { return Variant::Null(); }
Variant Text(std::string_view s) { return Variant::Text(std::string(s)); }
Variant Int(int64_t v) { return Variant::Integer(v); }
Variant Bool(bool v) { return Variant::Boolean(v); }

// The restrictions of one rowset, in OLE DB's order; an entry that restricts nothing is
// kept as empty.
class Restrictions {
 public:
  Restrictions(const std::vector<Variant>& given, size_t count) : values_(count) {
    if (given.size() > count) throw jet_errors::InvalidArgument();
    for (size_t i = 0; i < given.size(); ++i) {
      const Variant& v = given[i];
      if (v.IsEmpty() || v.IsNull() || (v.IsText() && v.AsText().empty())) continue;
      values_[i] = v;
    }
  }

  bool Restricts(size_t i) const { return !values_[i].IsEmpty(); }
  const Variant& operator[](size_t i) const { return values_[i]; }

  // Whether `value` passes restriction i.
  bool Passes(size_t i, const Variant& value) const {
    const Variant& r = values_[i];
    if (r.IsEmpty()) return true;
    if (r.IsText()) return value.IsText() && SameName(value.AsText(), r.AsText());
    return r == value;
  }
  bool Passes(size_t i, std::string_view name) const {
    const Variant& r = values_[i];
    if (r.IsEmpty()) return true;
    return r.IsText() && SameName(name, r.AsText());
  }

 private:
  std::vector<Variant> values_;
};

// Positions 0..n-1 ordered by the names `name_of(i)` gives, without regard to case.
template <typename NameOf>
std::vector<size_t> OrderByName(size_t n, NameOf name_of) {
  std::vector<std::string> folded(n);
  for (size_t i = 0; i < n; ++i) folded[i] = FoldName(name_of(i));
  std::vector<size_t> order(n);
  std::iota(order.begin(), order.end(), size_t{0});
  std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    if (folded[a] != folded[b]) return folded[a] < folded[b];
    const std::string_view na = name_of(a), nb = name_of(b);
    return na != nb ? na < nb : a < b;
  });
  return order;
}

// The tables to list, in name order: only the restricted one when a name is given.
std::vector<const Table*> TablesInOrder(const Catalog& catalog, const Restrictions& r,
                                        size_t table_restriction) {
  if (r.Restricts(table_restriction)) {
    if (!r[table_restriction].IsText()) return {};
    const Table* table = catalog.FindTable(r[table_restriction].AsText());
    if (table == nullptr) return {};
    return {table};
  }
  const std::vector<Table>& tables = catalog.tables();
  std::vector<const Table*> out;
  out.reserve(tables.size());
  for (size_t i :
       OrderByName(tables.size(), [&](size_t i) -> std::string_view { return tables[i].name; })) {
    out.push_back(&tables[i]);
  }
  return out;
}

bool IsFixedLength(DataType type) {
  switch (type) {
    case DataType::kText:
    case DataType::kMemo:
    case DataType::kBinary:
    case DataType::kLongBinary:
      return false;
    default:
      return true;
  }
}

Variant NumericPrecision(const Column& c) {
  switch (c.type) {
    case DataType::kByte:
      return Int(3);
    case DataType::kShort:
      return Int(5);
    case DataType::kLong:
      return Int(10);
    case DataType::kSingle:
      return Int(7);
    case DataType::kDouble:
      return Int(15);
    case DataType::kCurrency:
      return Int(19);
    case DataType::kDecimal:
      return Int(c.precision);
    default:
      return Null();
  }
}

// Characters for Text, bytes for Binary; long types 0.
Variant MaximumLength(const Column& c) {
  switch (c.type) {
    case DataType::kText:
    case DataType::kBinary:
      return Int(c.size);
    case DataType::kMemo:
    case DataType::kLongBinary:
      return Int(0);
    default:
      return Null();
  }
}

Variant OctetLength(const Column& c) {
  constexpr int kBytesPerCharacter = 2;  // texts are stored as UTF-16
  switch (c.type) {
    case DataType::kText:
      return Int(int64_t{c.size} * kBytesPerCharacter);
    case DataType::kBinary:
      return Int(c.size);
    case DataType::kMemo:
    case DataType::kLongBinary:
      return Int(0);
    default:
      return Null();
  }
}

int ColumnFlags(const Column& c) {
  int flags = kColumnFlagMayDefer | kColumnFlagWriteUnknown | kColumnFlagMaybeNull;
  if (IsFixedLength(c.type)) flags |= kColumnFlagFixedLength;
  if (!c.required) flags |= kColumnFlagNullable;
  if (IsLongType(c.type)) flags |= kColumnFlagIsLong;
  return flags;
}

void AppendColumnRow(const Table& table, size_t position, SchemaRowSink& out) {
  const Column& c = table.columns[position];
  const auto description = c.extra_properties.find("Description");
  out.Row({
      Null(),
      Null(),
      Text(table.name),
      Text(c.name),
      Null(),
      Null(),
      Int(static_cast<int64_t>(position) + 1),
      Bool(c.default_value.has_value()),
      c.default_value ? Text(*c.default_value) : Null(),
      Int(ColumnFlags(c)),
      Bool(!c.required),
      Int(OleDbTypeCode(c.type)),
      Null(),
      MaximumLength(c),
      OctetLength(c),
      NumericPrecision(c),
      c.type == DataType::kDecimal ? Int(c.scale) : Null(),
      c.type == DataType::kDateTime ? Int(0) : Null(),
      Null(),
      Null(),
      Null(),
      Null(),
      Null(),
      Null(),
      Null(),
      Null(),
      Null(),
      description == c.extra_properties.end() ? Null() : Text(description->second),
      Bool(c.auto_increment),
  });
}

int NullsCode(const Index& index) {
  if (index.primary || index.required) return kIndexNullsDisallow;
  if (index.ignore_nulls) return kIndexNullsIgnore;
  return kIndexNullsAllow;
}

// The index a relationship's foreign table keeps for it: the catalog's own, or one built
// from the relationship when the storage keeps none.
Index HiddenIndex(const Relationship& r) {
  Index index;
  index.name = r.name;
  index.foreign = true;
  for (const std::string& column : r.foreign_columns) index.columns.push_back({column, false});
  return index;
}

bool SameColumns(const Index& index, const std::vector<std::string>& columns) {
  if (index.columns.size() != columns.size()) return false;
  for (size_t i = 0; i < columns.size(); ++i) {
    if (!SameName(index.columns[i].name, columns[i])) return false;
  }
  return true;
}

Variant PrimaryKeyName(const Catalog& catalog, const Relationship& r) {
  const Table* table = catalog.FindTable(r.primary_table);
  if (table == nullptr) return Null();
  const Index* unique = nullptr;
  for (const Index& index : table->indexes) {
    if (!SameColumns(index, r.primary_columns)) continue;
    if (index.primary) return Text(index.name);
    if (index.unique && unique == nullptr) unique = &index;
  }
  return unique ? Text(unique->name) : Null();
}

// A rowset made whole through its sink-taking maker.
SchemaRowset Whole(void (*make)(const Catalog&, const std::vector<Variant>&, SchemaRowSink&),
                   const Catalog& catalog, const std::vector<Variant>& restrictions) {
  SchemaRowsetBuilder builder;
  make(catalog, restrictions, builder);
  return builder.Take();
}

}  // namespace

void SchemaRowsetBuilder::Columns(const std::vector<std::string>& names) {
  rowset_.columns = names;
}

void SchemaRowsetBuilder::Row(std::vector<Variant>&& row) {
  rowset_.rows.push_back(std::move(row));
}

SchemaRowset TablesRowset(const Catalog& catalog, const std::vector<Variant>& restrictions) {
  return Whole(TablesRowset, catalog, restrictions);
}

SchemaRowset ColumnsRowset(const Catalog& catalog, const std::vector<Variant>& restrictions) {
  return Whole(ColumnsRowset, catalog, restrictions);
}

SchemaRowset IndexesRowset(const Catalog& catalog, const std::vector<Variant>& restrictions) {
  return Whole(IndexesRowset, catalog, restrictions);
}

SchemaRowset ForeignKeysRowset(const Catalog& catalog, const std::vector<Variant>& restrictions) {
  return Whole(ForeignKeysRowset, catalog, restrictions);
}

void TablesRowset(const Catalog& catalog, const std::vector<Variant>& restrictions,
                  SchemaRowSink& out) {
  enum { kCatalog, kSchema, kName, kType, kCount };
  const Restrictions r(restrictions, kCount);
  out.Columns(kTablesColumns);
  struct Entry {
    std::string_view type;
    std::string folded;
    std::string_view name;
  };
  std::vector<Entry> entries;
  const auto add = [&](std::string_view name, std::string_view type) {
    if (!r.Passes(kName, name) || !r.Passes(kType, type)) return;
    entries.push_back({type, FoldName(name), name});
  };
  if (r.Restricts(kCatalog) || r.Restricts(kSchema)) {
    // Jet keeps no catalogs or schemas: nothing passes.
  } else if (r.Restricts(kName)) {
    // One name: its table or its view, found directly.
    if (r[kName].IsText()) {
      const std::string& name = r[kName].AsText();
      if (const Table* t = catalog.FindTable(name)) add(t->name, TableTypeText(t->kind));
      if (const Query* q = catalog.FindQuery(name); q != nullptr && IsView(q->sql)) {
        add(q->name, "VIEW");
      }
    }
  } else {
    for (const Table& t : catalog.tables()) add(t.name, TableTypeText(t.kind));
    for (const Query& q : catalog.queries()) {
      if (IsView(q.sql)) add(q.name, "VIEW");
    }
  }
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
    return std::tie(a.type, a.folded, a.name) < std::tie(b.type, b.folded, b.name);
  });
  for (const Entry& e : entries) {
    out.Row({Null(), Null(), Text(e.name), Text(e.type), Null(), Null(), Null(), Null(), Null()});
  }
}

void ColumnsRowset(const Catalog& catalog, const std::vector<Variant>& restrictions,
                   SchemaRowSink& out) {
  enum { kCatalog, kSchema, kTable, kColumn, kCount };
  const Restrictions r(restrictions, kCount);
  out.Columns(kColumnsColumns);
  if (r.Restricts(kCatalog) || r.Restricts(kSchema)) return;
  for (const Table* table : TablesInOrder(catalog, r, kTable)) {
    for (size_t i = 0; i < table->columns.size(); ++i) {
      if (r.Passes(kColumn, table->columns[i].name)) AppendColumnRow(*table, i, out);
    }
  }
}

void IndexesRowset(const Catalog& catalog, const std::vector<Variant>& restrictions,
                   SchemaRowSink& out) {
  enum { kCatalog, kSchema, kIndexName, kType, kTable, kCount };
  const Restrictions r(restrictions, kCount);
  out.Columns(kIndexesColumns);
  if (r.Restricts(kCatalog) || r.Restricts(kSchema) || !r.Passes(kType, Int(kIndexTypeBtree))) {
    return;
  }

  for (const Table* table : TablesInOrder(catalog, r, kTable)) {
    std::vector<const Index*> indexes;
    for (const Index& index : table->indexes) indexes.push_back(&index);
    // The hidden indexes of its enforced relationships that the catalog does not keep
    // itself, found through the table's own relationships.
    std::vector<Index> hidden;
    for (const Relationship* rel : catalog.RelationshipsOf(table->name)) {
      if (!rel->enforced || !SameName(rel->foreign_table, table->name)) continue;
      if (table->FindIndex(rel->name) == nullptr) hidden.push_back(HiddenIndex(*rel));
    }
    for (const Index& index : hidden) indexes.push_back(&index);
    for (size_t i : OrderByName(indexes.size(),
                                [&](size_t i) -> std::string_view { return indexes[i]->name; })) {
      const Index& index = *indexes[i];
      if (!r.Passes(kIndexName, index.name)) continue;
      const bool primary = index.primary && !index.foreign;
      const bool unique = index.unique || primary;
      for (size_t k = 0; k < index.columns.size(); ++k) {
        const IndexColumn& column = index.columns[k];
        out.Row({
            Null(),
            Null(),
            Text(table->name),
            Null(),
            Null(),
            Text(index.name),
            Bool(primary),
            Bool(unique),
            Bool(false),
            Int(kIndexTypeBtree),
            Int(kIndexFillFactor),
            Null(),
            Int(NullsCode(index)),
            Bool(false),
            Bool(true),
            Int(kNullCollationLow),
            Int(static_cast<int64_t>(k) + 1),
            Text(column.name),
            Null(),
            Null(),
            Int(column.descending ? kCollationDescending : kCollationAscending),
            Null(),
            Null(),
            Null(),
            Null(),
        });
      }
    }
  }
}

void ForeignKeysRowset(const Catalog& catalog, const std::vector<Variant>& restrictions,
                       SchemaRowSink& out) {
  enum { kPkCatalog, kPkSchema, kPkTable, kFkCatalog, kFkSchema, kFkTable, kCount };
  const Restrictions r(restrictions, kCount);
  out.Columns(kForeignKeysColumns);
  if (r.Restricts(kPkCatalog) || r.Restricts(kPkSchema) || r.Restricts(kFkCatalog) ||
      r.Restricts(kFkSchema)) {
    return;
  }
  struct Entry {
    std::string fk_table, pk_table, name;  // folded
    const Relationship* relationship;
  };
  std::vector<Entry> entries;
  const auto add = [&](const Relationship& rel) {
    if (!rel.enforced) return;
    if (!r.Passes(kPkTable, rel.primary_table) || !r.Passes(kFkTable, rel.foreign_table)) return;
    entries.push_back(
        {FoldName(rel.foreign_table), FoldName(rel.primary_table), FoldName(rel.name), &rel});
  };
  // A restriction to a table takes only that table's relationships.
  const size_t table_restriction = r.Restricts(kFkTable) ? kFkTable : kPkTable;
  if (r.Restricts(table_restriction)) {
    if (r[table_restriction].IsText()) {
      for (const Relationship* rel : catalog.RelationshipsOf(r[table_restriction].AsText())) {
        add(*rel);
      }
    }
  } else {
    for (const Relationship& rel : catalog.relationships()) add(rel);
  }
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
    const Relationship& ra = *a.relationship;
    const Relationship& rb = *b.relationship;
    return std::tie(a.fk_table, ra.foreign_table, a.pk_table, ra.primary_table, a.name, ra.name) <
           std::tie(b.fk_table, rb.foreign_table, b.pk_table, rb.primary_table, b.name, rb.name);
  });
  for (const Entry& e : entries) {
    const Relationship& rel = *e.relationship;
    const Variant pk_name = PrimaryKeyName(catalog, rel);
    const size_t pairs = std::min(rel.primary_columns.size(), rel.foreign_columns.size());
    for (size_t k = 0; k < pairs; ++k) {
      out.Row({
          Null(),
          Null(),
          Text(rel.primary_table),
          Text(rel.primary_columns[k]),
          Null(),
          Null(),
          Null(),
          Null(),
          Text(rel.foreign_table),
          Text(rel.foreign_columns[k]),
          Null(),
          Null(),
          Int(static_cast<int64_t>(k) + 1),
          Text(RuleText(rel.update_rule)),
          Text(RuleText(rel.delete_rule)),
          pk_name,
          Text(rel.name),
          Int(kNotDeferrable),
      });
    }
  }
}

}  // namespace dbaccess
