// For the engine's tests: a SchemaSource whose rowsets are built in memory, so that the
// loads can be fed what a real engine may deliver (odd orders, odd kinds, errors).
#ifndef SKARNVEL_ENGINE_FAKE_SCHEMA_TESTING_H_
#define SKARNVEL_ENGINE_FAKE_SCHEMA_TESTING_H_

#include <map>
#include <string>
#include <vector>

#include "dbaccess/base/jet_error.h"
#include "engine/schema_source.h"

namespace uAlg::testing {

class FakeSchema : public SchemaSource {
 public:
  using Rows = std::vector<std::vector<dbaccess::Variant>>;

  // TABLE_NAME, TABLE_TYPE.
  void AddTable(const std::string& name, const std::string& type = "TABLE") {
    tables_.push_back({dbaccess::Variant::Text(name), dbaccess::Variant::Text(type)});
  }
  // COLUMN_NAME, ORDINAL_POSITION, DATA_TYPE, CHARACTER_MAXIMUM_LENGTH, IS_NULLABLE,
  // COLUMN_DEFAULT, in that order (field names in the engine's upper case).
  void AddColumn(const std::string& table, std::vector<dbaccess::Variant> row) {
    row.insert(row.begin(), dbaccess::Variant::Text(table));
    columns_[table].push_back(std::move(row));
  }
  void FailOnColumnsOf(const std::string& table) { failing_table_ = table; }

  dbaccess::ado::Recordset Tables() override {
    return dbaccess::ado::Recordset({"TABLE_NAME", "TABLE_TYPE"}, tables_);
  }
  dbaccess::ado::Recordset Columns(const std::string& table) override {
    if (table == failing_table_) throw dbaccess::JetError(3343, "Unrecognized database format.");
    return dbaccess::ado::Recordset({"TABLE_NAME", "COLUMN_NAME", "ORDINAL_POSITION", "DATA_TYPE",
                                     "CHARACTER_MAXIMUM_LENGTH", "IS_NULLABLE", "COLUMN_DEFAULT"},
                                    columns_[table]);
  }
  dbaccess::ado::Recordset Indexes() override { return {}; }
  dbaccess::ado::Recordset ForeignKeys() override { return {}; }

 private:
  Rows tables_;
  std::map<std::string, Rows> columns_;
  std::string failing_table_;
};

}  // namespace uAlg::testing

#endif  // SKARNVEL_ENGINE_FAKE_SCHEMA_TESTING_H_
