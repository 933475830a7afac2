#include "engine/schema_source.h"

#include <vector>

namespace uAlg {

using dbaccess::Variant;
using dbaccess::ado::Recordset;

AdoSchema::AdoSchema(const std::string& path, const std::string& password) {
  connection_.Open(dbaccess::ado::DatabaseLocation{path, password});
}

Recordset AdoSchema::Tables() { return connection_.OpenSchema(dbaccess::ado::adSchemaTables); }

Recordset AdoSchema::Columns(const std::string& table) {
  // TABLE_CATALOG, TABLE_SCHEMA, TABLE_NAME, COLUMN_NAME
  const std::vector<Variant> restrictions = {Variant(), Variant(), Variant::Text(table), Variant()};
  return connection_.OpenSchema(dbaccess::ado::adSchemaColumns, restrictions);
}

Recordset AdoSchema::Indexes() { return connection_.OpenSchema(dbaccess::ado::adSchemaIndexes); }

Recordset AdoSchema::ForeignKeys() {
  return connection_.OpenSchema(dbaccess::ado::adSchemaForeignKeys);
}

std::string FieldText(const Recordset& rowset, std::string_view field) {
  const Variant& value = rowset.Field(field);
  if (value.IsText()) return value.AsText();
  return value.DisplayText();
}

}  // namespace uAlg
