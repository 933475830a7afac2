#include "engine/compare_tables.h"

#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "engine/name_match.h"
#include "engine/prop_value.h"
#include "engine/result_texts.h"

namespace uAlg {
namespace {

// Fragments of the statements.
constexpr std::string_view kAlterTable = "ALTER TABLE [";
constexpr std::string_view kAlterColumn = "] ALTER COLUMN ";
constexpr std::string_view kDropColumn = "] DROP COLUMN [";
constexpr std::string_view kAdd = "] ADD ";
constexpr std::string_view kDropTable = "DROP TABLE [";
constexpr std::string_view kCreateTable = "CREATE TABLE ";
constexpr std::string_view kNotNull = " NOT NULL";
constexpr std::string_view kDefault = " DEFAULT ";
constexpr std::string_view kLineBreak = "\r\n";

// The first position of each name, by match key: a look-up gives what a walk from the
// start that stops at the first matching name would give.
template <typename Item>
std::unordered_map<std::string, size_t> FirstByName(const std::vector<Item>& items) {
  std::unordered_map<std::string, size_t> first;
  first.reserve(items.size());
  for (size_t i = 0; i < items.size(); ++i) first.try_emplace(MatchKey(items[i].Name), i);
  return first;
}

template <typename Item>
std::unordered_set<std::string> NameKeys(const std::vector<Item>& items) {
  std::unordered_set<std::string> keys;
  keys.reserve(items.size());
  for (const Item& item : items) keys.insert(MatchKey(item.Name));
  return keys;
}

TProps ValuesOnly(const TProps& props) {
  TProps values;
  for (int k = 0; k < kPropCount; ++k) values[k].Value = props[k].Value;
  return values;
}

std::string AlterTablePrefix(const std::string& table) {
  std::string sql(kAlterTable);
  sql += table;
  return sql;
}

// The results for a table present in both databases.
void CompareFields(const TTable& working, const TTable& fresh, TResults& results) {
  const auto fresh_by_name = FirstByName(fresh.Fields);
  for (const TField& f : working.Fields) {
    auto found = fresh_by_name.find(MatchKey(f.Name));
    if (found != fresh_by_name.end()) {
      const TField& g = fresh.Fields[found->second];
      std::string sql;  // built once, shared by every property row of the column
      for (int k = kTypeProp; k <= kDefaultValueProp; ++k) {
        if (!PropValuesDiffer(f.Props[k].Value, g.Props[k].Value)) continue;
        if (sql.empty()) {
          sql = AlterTablePrefix(working.Name);
          sql += kAlterColumn;
          sql += FieldSQL(g);
        }
        TResult& r = results.emplace_back();
        r.TableName = working.Name;
        r.FieldName = f.Name;
        r.PropName = std::string(kPropNames[k]);
        r.OldPropValue = f.Props[k].Value;
        r.NewPropValue = g.Props[k].Value;
        r.Result = std::string(kChangedFieldProps);
        r.SQL = sql;
      }
    } else {
      TResult& r = results.emplace_back();
      r.TableName = working.Name;
      r.FieldName = f.Name;
      r.Result = std::string(kDroppedField);
      r.SQL = AlterTablePrefix(working.Name);
      r.SQL += kDropColumn;
      r.SQL += f.Name;
      r.SQL += ']';
      r.Props = ValuesOnly(f.Props);
    }
  }
  const auto working_names = NameKeys(working.Fields);
  for (const TField& g : fresh.Fields) {
    if (working_names.count(MatchKey(g.Name))) continue;
    TResult& r = results.emplace_back();
    r.TableName = fresh.Name;
    r.FieldName = g.Name;
    r.Result = std::string(kNewField);
    r.SQL = AlterTablePrefix(fresh.Name);
    r.SQL += kAdd;
    r.SQL += FieldSQL(g);
    r.Props = ValuesOnly(g.Props);
  }
}

}  // namespace

std::string FieldSQL(const TField& field) {
  std::string sql = "[";
  sql += field.Name;
  sql += "] ";
  sql += field.Props[kTypeProp].Value.DisplayText();
  const int64_t size = PropValueAsInteger(field.Props[kSizeProp].Value);
  if (size > 0) {
    sql += '(';
    sql += std::to_string(size);
    sql += ')';
  }
  const dbaccess::Variant& not_null = field.Props[kNotNullProp].Value;
  if (not_null.IsBoolean() && not_null.AsBoolean()) sql += kNotNull;
  const std::string default_value = field.Props[kDefaultValueProp].Value.DisplayText();
  if (!default_value.empty()) {
    sql += kDefault;
    sql += default_value;
  }
  return sql;
}

std::string CreateTableSQL(const TTable& table) {
  std::string sql(kCreateTable);
  sql += '[';
  sql += table.Name;
  sql += "] (";
  for (const TField& field : table.Fields) {
    sql += kLineBreak;
    sql += FieldSQL(field);
    sql += ',';
  }
  if (sql.back() == ',') sql.pop_back();
  sql += ')';
  return sql;
}

TResults CompareTables(const TTables& working, const TTables& fresh) {
  TResults results;
  const auto fresh_by_name = FirstByName(fresh);
  for (const TTable& t : working) {
    auto found = fresh_by_name.find(MatchKey(t.Name));
    if (found != fresh_by_name.end()) {
      CompareFields(t, fresh[found->second], results);
    } else {
      TResult& r = results.emplace_back();
      r.TableName = t.Name;
      r.Result = std::string(kDroppedTable);
      r.SQL = std::string(kDropTable);
      r.SQL += t.Name;
      r.SQL += ']';
    }
  }
  const auto working_names = NameKeys(working);
  for (const TTable& u : fresh) {
    if (working_names.count(MatchKey(u.Name))) continue;
    TResult& r = results.emplace_back();
    r.TableName = u.Name;
    r.Result = std::string(kNewTable);
    r.SQL = CreateTableSQL(u);
  }
  return results;
}

}  // namespace uAlg
