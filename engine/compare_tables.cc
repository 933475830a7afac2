#include "engine/compare_tables.h"

#include <string_view>
#include <vector>

#include "engine/default_check.h"
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

using NameIndex = MatchIndex<1>;

// Indexes the names of `items` by their first position.
template <typename Item>
void IndexNames(const std::vector<Item>& items, NameIndex& index) {
  index.Clear();
  for (size_t i = 0; i < items.size(); ++i) index.Add({items[i].Name}, i);
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

// The results for a table present in both databases. The two indexes are scratch space,
// kept from table to table.
void CompareFields(const TTable& working, const TTable& fresh, NameIndex& working_fields,
                   NameIndex& fresh_fields, TResults& results) {
  IndexNames(fresh.Fields, fresh_fields);
  for (const TField& f : working.Fields) {
    const size_t found = fresh_fields.Find({f.Name});
    if (found != NameIndex::kNotFound) {
      const TField& g = fresh.Fields[found];
      std::string sql;  // built once, shared by every property row of the column
      for (int k = kTypeProp; k <= kDefaultValueProp; ++k) {
        if (!PropValuesDiffer(f.Props[k].Value, g.Props[k].Value)) continue;
        if (sql.empty()) {
          CheckDefaultForCommand(fresh.Name, g);
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
  IndexNames(working.Fields, working_fields);
  for (const TField& g : fresh.Fields) {
    if (working_fields.Contains({g.Name})) continue;
    CheckDefaultForCommand(fresh.Name, g);
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
  NameIndex fresh_tables(fresh.size()), working_tables(working.size());
  NameIndex working_fields, fresh_fields;
  IndexNames(fresh, fresh_tables);
  for (const TTable& t : working) {
    const size_t found = fresh_tables.Find({t.Name});
    if (found != NameIndex::kNotFound) {
      CompareFields(t, fresh[found], working_fields, fresh_fields, results);
    } else {
      TResult& r = results.emplace_back();
      r.TableName = t.Name;
      r.Result = std::string(kDroppedTable);
      r.SQL = std::string(kDropTable);
      r.SQL += t.Name;
      r.SQL += ']';
    }
  }
  IndexNames(working, working_tables);
  for (const TTable& u : fresh) {
    if (working_tables.Contains({u.Name})) continue;
    for (const TField& g : u.Fields) CheckDefaultForCommand(u.Name, g);
    TResult& r = results.emplace_back();
    r.TableName = u.Name;
    r.Result = std::string(kNewTable);
    r.SQL = CreateTableSQL(u);
  }
  return results;
}

}  // namespace uAlg
