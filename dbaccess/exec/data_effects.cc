#include "dbaccess/exec/data_effects.h"

#include <exception>
#include <unordered_map>
#include <unordered_set>
#include <variant>

#include "dbaccess/base/ascii_case.h"
#include "dbaccess/base/shown_text.h"
#include "dbaccess/catalog/key_check.h"
#include "dbaccess/exec/executor.h"
#include "dbaccess/exec/sql_value.h"
#include "dbaccess/sql/parser.h"

namespace dbaccess {
namespace {

using Kind = DataEffect::Kind;

// How long an example value may be before it is cut short.
constexpr size_t kExampleChars = 40;
// How many leading bytes of a binary value an example shows.
constexpr size_t kExampleBytes = 8;

std::string ExampleOf(const Cell& cell, DataType type) {
  if (const Bytes* bytes = std::get_if<Bytes>(&cell)) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out = "0x";
    for (size_t i = 0; i < bytes->data.size() && i < kExampleBytes; ++i) {
      out += kHex[bytes->data[i] >> 4];
      out += kHex[bytes->data[i] & 0xF];
    }
    if (bytes->data.size() > kExampleBytes) out += "...";
    return out;
  }
  return ShownText(ValueAsText(ValueFromCell(cell, type)), kExampleChars);
}

std::string KeyExample(const Table& table, const Row& row, const std::vector<int>& positions) {
  std::string out;
  for (int p : positions) {
    if (!out.empty()) out += ", ";
    out += ExampleOf(row[static_cast<size_t>(p)], table.columns[static_cast<size_t>(p)].type);
  }
  return out;
}

void AddExample(DataEffect& effect, std::string example) {
  if (effect.examples.size() < kEffectExamples) effect.examples.push_back(std::move(example));
}

DataEffect NewEffect(Kind kind, const Table& table, std::vector<std::string> columns) {
  DataEffect effect;
  effect.kind = kind;
  effect.table = table.name;
  effect.columns = std::move(columns);
  return effect;
}

void Keep(std::vector<DataEffect>& out, DataEffect effect) {
  if (effect.count > 0) out.push_back(std::move(effect));
}

bool HoldsValue(const Cell& cell) {
  if (IsNull(cell)) return false;
  if (const std::string* text = std::get_if<std::string>(&cell)) return !text->empty();
  return true;
}

bool BlankText(const std::string& text) { return text.find_first_not_of(' ') == std::string::npos; }

std::string_view Trimmed(std::string_view text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// Whether `back` (a value turned into the new type and back) is the value `original` was:
// texts without regard to blanks around them and to the letter case of A to Z, a blank
// text the same as Null.
bool SameValue(const Cell& original, const Cell& back) {
  const std::string* a = std::get_if<std::string>(&original);
  const std::string* b = std::get_if<std::string>(&back);
  if (a != nullptr && IsNull(back)) return BlankText(*a);
  if (a != nullptr && b != nullptr) return EqualsIgnoringAsciiCase(Trimmed(*a), Trimmed(*b));
  return original == back;
}

std::vector<std::string> ColumnNames(const std::vector<IndexColumn>& columns) {
  std::vector<std::string> names;
  for (const IndexColumn& c : columns) names.push_back(c.name);
  return names;
}

// Nulls a new unique key refuses and key values it would hold twice.
void KeyEffects(const Table& table, const Index& index, std::vector<DataEffect>& out) {
  const std::vector<int> positions = ColumnPositions(table, index.columns);
  for (int p : positions) {
    if (p < 0) return;
  }
  DataEffect nulls = NewEffect(Kind::kNulls, table, ColumnNames(index.columns));
  DataEffect duplicates = NewEffect(Kind::kDuplicates, table, ColumnNames(index.columns));
  std::unordered_map<std::string, int> seen;  // key -> rows met with it
  std::string key;
  table.rows.ForEach([&](const Row& row) {
    if (!EncodeKey(table, row, positions, key)) {
      if (index.primary || index.required) ++nulls.count;
      return;
    }
    if (!index.unique) return;
    if (++seen[key] == 2) {
      ++duplicates.count;
      AddExample(duplicates, KeyExample(table, row, positions));
    }
  });
  Keep(out, std::move(nulls));
  Keep(out, std::move(duplicates));
}

Index IndexOfConstraint(const sql::ConstraintDef& c) {
  Index index;
  for (const std::string& name : c.columns) index.columns.push_back({name, false});
  index.primary = c.kind == sql::ConstraintDef::Kind::kPrimaryKey;
  index.unique = true;
  index.required = index.primary;
  return index;
}

void OrphanEffects(const Catalog& catalog, const Table& foreign, const sql::ConstraintDef& c,
                   std::vector<DataEffect>& out) {
  const Table* primary = catalog.FindTable(c.ref_table);
  if (primary == nullptr) return;
  std::vector<std::string> primary_columns = c.ref_columns;
  if (primary_columns.empty()) {
    const Index* key = primary->PrimaryKey();
    if (key == nullptr) return;
    primary_columns = ColumnNames(key->columns);
  }
  const std::vector<int> primary_positions = ColumnPositions(*primary, primary_columns);
  const std::vector<int> foreign_positions = ColumnPositions(foreign, c.columns);
  if (primary_positions.size() != foreign_positions.size()) return;
  for (size_t i = 0; i < primary_positions.size(); ++i) {
    if (primary_positions[i] < 0 || foreign_positions[i] < 0) return;
  }
  std::unordered_set<std::string> keys;
  std::string key;
  for (const Row& row : primary->rows) {
    if (EncodeKey(*primary, row, primary_positions, key)) keys.insert(key);
  }
  DataEffect orphans = NewEffect(Kind::kOrphans, foreign, c.columns);
  orphans.primary_table = primary->name;
  for (const Row& row : foreign.rows) {
    if (EncodeKey(foreign, row, foreign_positions, key) && keys.count(key) == 0) {
      ++orphans.count;
      AddExample(orphans, KeyExample(foreign, row, foreign_positions));
    }
  }
  Keep(out, std::move(orphans));
}

void ConstraintEffects(const Catalog& catalog, const Table& table, const sql::ConstraintDef& c,
                       std::vector<DataEffect>& out) {
  switch (c.kind) {
    case sql::ConstraintDef::Kind::kPrimaryKey:
    case sql::ConstraintDef::Kind::kUnique:
      KeyEffects(table, IndexOfConstraint(c), out);
      break;
    case sql::ConstraintDef::Kind::kForeignKey:
      if (c.enforced) OrphanEffects(catalog, table, c, out);
      break;
    case sql::ConstraintDef::Kind::kNotNull:
      break;
  }
}

void AlterEffects(const Table& table, const sql::AlterColumn& s, std::vector<DataEffect>& out) {
  const int position = table.ColumnIndex(s.column.name);
  if (position < 0) return;
  const Column& old_column = table.columns[static_cast<size_t>(position)];
  Column column = MakeColumn(s.column);
  Column back_column = old_column;
  back_column.required = false;
  DataEffect refused = NewEffect(Kind::kValuesRefused, table, {old_column.name});
  DataEffect changed = NewEffect(Kind::kValuesChanged, table, {old_column.name});
  DataEffect nulls = NewEffect(Kind::kNulls, table, {old_column.name});
  table.rows.ForEach([&](const Row& row) {
    const Cell& cell = row[static_cast<size_t>(position)];
    Cell converted;
    const ConvertStatus status =
        ConvertValue(ValueFromCell(cell, old_column.type), column, converted);
    if (status != ConvertStatus::kOk) {
      ++refused.count;
      if (status == ConvertStatus::kTooLong) ++refused.too_long;
      if (status == ConvertStatus::kOverflow) ++refused.overflow;
      if (status == ConvertStatus::kMismatch) ++refused.mismatch;
      AddExample(refused, ExampleOf(cell, old_column.type));
      return;
    }
    if (IsNull(converted) && column.required) ++nulls.count;
    if (IsNull(cell)) return;
    Cell back;
    if (ConvertValue(ValueFromCell(converted, column.type), back_column, back) !=
            ConvertStatus::kOk ||
        !SameValue(cell, back)) {
      ++changed.count;
      AddExample(changed, ExampleOf(cell, old_column.type));
    }
  });
  Keep(out, std::move(refused));
  Keep(out, std::move(changed));
  Keep(out, std::move(nulls));
}

struct StatementEffects {
  const Catalog& catalog;
  std::vector<DataEffect>& out;

  const Table* Find(const std::string& name) const { return catalog.FindTable(name); }

  void operator()(const sql::DropTable& s) const {
    const Table* table = Find(s.table);
    if (table == nullptr) return;
    DataEffect lost = NewEffect(Kind::kRowsLost, *table, {});
    lost.count = static_cast<int64_t>(table->rows.size());
    Keep(out, std::move(lost));
  }
  void operator()(const sql::DropColumn& s) const {
    const Table* table = Find(s.table);
    if (table == nullptr) return;
    const int position = table->ColumnIndex(s.column);
    if (position < 0) return;
    const Column& column = table->columns[static_cast<size_t>(position)];
    DataEffect lost = NewEffect(Kind::kValuesLost, *table, {column.name});
    for (const Row& row : table->rows) {
      const Cell& cell = row[static_cast<size_t>(position)];
      if (!HoldsValue(cell)) continue;
      ++lost.count;
      AddExample(lost, ExampleOf(cell, column.type));
    }
    Keep(out, std::move(lost));
  }
  void operator()(const sql::AlterColumn& s) const {
    if (const Table* table = Find(s.table)) AlterEffects(*table, s, out);
  }
  void operator()(const sql::AddColumn& s) const {
    const Table* table = Find(s.table);
    if (table == nullptr || table->FindColumn(s.column.name) != nullptr) return;
    bool not_null = s.column.not_null;
    for (const sql::ConstraintDef& c : s.column.constraints) {
      if (c.kind == sql::ConstraintDef::Kind::kNotNull) not_null = true;
    }
    if (!not_null || s.column.default_text || s.column.type.type == DataType::kBit) return;
    DataEffect nulls = NewEffect(Kind::kNulls, *table, {s.column.name});
    nulls.count = static_cast<int64_t>(table->rows.size());
    Keep(out, std::move(nulls));
  }
  void operator()(const sql::AddConstraint& s) const {
    if (const Table* table = Find(s.table)) ConstraintEffects(catalog, *table, s.constraint, out);
  }
  void operator()(const sql::CreateIndex& s) const {
    const Table* table = Find(s.table);
    if (table == nullptr) return;
    Index index;
    index.columns = s.columns;
    index.primary = s.primary;
    index.unique = s.unique || s.primary;
    index.required = s.primary || s.disallow_null;
    if (index.unique || index.required) KeyEffects(*table, index, out);
  }
  template <typename Other>
  void operator()(const Other&) const {}
};

}  // namespace

std::vector<DataEffect> EffectsOfStatement(const Catalog& catalog, std::string_view sql) {
  std::vector<DataEffect> out;
  try {
    const sql::Statement statement = sql::ParseStatement(sql);
    std::visit(StatementEffects{catalog, out}, statement);
  } catch (const std::exception&) {
    // The engine refuses such a statement when it runs, with its own error.
    out.clear();
  }
  return out;
}

std::vector<DataEffect> EffectsOfSetRequired(const Catalog& catalog, std::string_view table_name,
                                             std::string_view column_name, bool required) {
  std::vector<DataEffect> out;
  const Table* table = catalog.FindTable(table_name);
  if (!required || table == nullptr) return out;
  const int position = table->ColumnIndex(column_name);
  if (position < 0) return out;
  DataEffect nulls =
      NewEffect(Kind::kNulls, *table, {table->columns[static_cast<size_t>(position)].name});
  for (const Row& row : table->rows) {
    if (IsNull(row[static_cast<size_t>(position)])) ++nulls.count;
  }
  Keep(out, std::move(nulls));
  return out;
}

}  // namespace dbaccess
