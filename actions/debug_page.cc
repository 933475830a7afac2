#include "actions/debug_page.h"

#include "dbaccess/ado/connection.h"

namespace actions {

dbaccess::ado::Recordset DebugIndexRowset(const std::string& path, const std::string& table) {
  dbaccess::ado::Connection connection;
  connection.Open(dbaccess::ado::DatabaseLocation{path, ""});
  using dbaccess::Variant;
  // Restrictions of the index rowset: catalog, schema, index name, type, table name.
  return connection.OpenSchema(dbaccess::ado::adSchemaIndexes,
                               {Variant(), Variant(), Variant(), Variant(), Variant::Text(table)});
}

}  // namespace actions
