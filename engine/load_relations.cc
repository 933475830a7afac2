// Reading the relation rows of a database, and the relation comparison of two database
// files.

#include "dbaccess/ado/recordset.h"
#include "engine/compare_relations.h"

namespace uAlg {
namespace {

using dbaccess::ado::Recordset;

constexpr std::string_view kFkNameField = "FK_NAME";
constexpr std::string_view kPkTableField = "PK_TABLE_NAME";
constexpr std::string_view kPkColumnField = "PK_COLUMN_NAME";
constexpr std::string_view kFkTableField = "FK_TABLE_NAME";
constexpr std::string_view kFkColumnField = "FK_COLUMN_NAME";
constexpr std::string_view kUpdateRuleField = "UPDATE_RULE";
constexpr std::string_view kDeleteRuleField = "DELETE_RULE";

}  // namespace

TFKeys ReadRelations(SchemaSource& schema) {
  Recordset keys = schema.ForeignKeys();
  TFKeys result(keys.RecordCount());
  keys.MoveFirst();
  for (TFKey& key : result) {
    key.FK_NAME = FieldText(keys, kFkNameField);
    key.PK_TABLE_NAME = FieldText(keys, kPkTableField);
    key.PK_COLUMN_NAME = FieldText(keys, kPkColumnField);
    key.FK_TABLE_NAME = FieldText(keys, kFkTableField);
    key.FK_COLUMN_NAME = FieldText(keys, kFkColumnField);
    key.UPDATE_RULE = FieldText(keys, kUpdateRuleField);
    key.DELETE_RULE = FieldText(keys, kDeleteRuleField);
    keys.MoveNext();
  }
  return result;
}

TFKeys LoadRelations(const std::string& path, const std::string& password) {
  AdoSchema schema(path, password);
  return ReadRelations(schema);
}

void CompareRelations(const std::string& working_path, const std::string& new_path,
                      const std::string& working_password, const std::string& new_password,
                      TfkResults& results) {
  const TFKeys working = LoadRelations(working_path, working_password);
  const TFKeys fresh = LoadRelations(new_path, new_password);
  CompareRelations(working, fresh, results);
}

}  // namespace uAlg
