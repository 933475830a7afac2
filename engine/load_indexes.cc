// Reading the primary key and unique index rows of a database, and the key comparison of
// two database files.

#include <string>
#include <unordered_map>
#include <utility>

#include "dbaccess/ado/recordset.h"
#include "engine/compare_indexes.h"

namespace uAlg {
namespace {

using dbaccess::ado::Recordset;

constexpr std::string_view kPrimaryKeyFilter = "PRIMARY_KEY=True";
constexpr std::string_view kUniqueIndexFilter = "(PRIMARY_KEY=False) and (UNIQUE=True)";

constexpr std::string_view kTableNameField = "TABLE_NAME";
constexpr std::string_view kColumnNameField = "COLUMN_NAME";
constexpr std::string_view kIndexNameField = "INDEX_NAME";

}  // namespace

TInds ReadIndexes(SchemaSource& schema, bool primary_keys) {
  // The index rows of all tables are read in one rowset and filtered once, then taken
  // table by table in the order of the tables rowset. That gives the rows that one rowset
  // per table would give, in the same order, without asking the engine once per table.
  Recordset indexes = schema.Indexes();
  indexes.SetFilter(primary_keys ? kPrimaryKeyFilter : kUniqueIndexFilter);
  std::unordered_map<std::string, TInds> by_table;
  for (indexes.MoveFirst(); !indexes.Eof(); indexes.MoveNext()) {
    std::string table = FieldText(indexes, kTableNameField);
    TInds& rows = by_table[table];
    rows.push_back(TInd{std::move(table), FieldText(indexes, kColumnNameField),
                        FieldText(indexes, kIndexNameField)});
  }

  Recordset tables = schema.Tables();
  tables.SetFilter(kUserTablesFilter);
  TInds result;
  for (tables.MoveFirst(); !tables.Eof(); tables.MoveNext()) {
    auto rows = by_table.find(FieldText(tables, kTableNameField));
    if (rows == by_table.end()) continue;
    result.insert(result.end(), rows->second.begin(), rows->second.end());
  }
  return result;
}

TInds LoadIndexes(const std::string& path, const std::string& password, bool primary_keys) {
  AdoSchema schema(path, password);
  return ReadIndexes(schema, primary_keys);
}

void CompareIndexes(const std::string& working_path, const std::string& new_path,
                    const std::string& working_password, const std::string& new_password,
                    TIResults& results, bool primary_keys) {
  const TInds working = LoadIndexes(working_path, working_password, primary_keys);
  const TInds fresh = LoadIndexes(new_path, new_password, primary_keys);
  CompareIndexes(working, fresh, results, primary_keys);
}

}  // namespace uAlg
