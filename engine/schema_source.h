// Where the loads read a database's structure from: the schema rowsets of one open
// connection. AdoSchema opens its own connection to a database file and releases it (and
// with it the file) when it goes out of scope, also when a load fails half way.
//
// The loads take a SchemaSource, so the way they walk the rowsets can be checked on
// rowsets built in memory.
#ifndef SKARNVEL_ENGINE_SCHEMA_SOURCE_H_
#define SKARNVEL_ENGINE_SCHEMA_SOURCE_H_

#include <string>
#include <string_view>

#include "dbaccess/ado/connection.h"
#include "dbaccess/ado/recordset.h"
#include "dbaccess/base/variant.h"

namespace uAlg {

// Filter of the tables rowset that keeps the user tables.
inline constexpr std::string_view kUserTablesFilter = "TABLE_TYPE='TABLE'";

class SchemaSource {
 public:
  virtual ~SchemaSource() = default;
  virtual dbaccess::ado::Recordset Tables() = 0;                           // unrestricted
  virtual dbaccess::ado::Recordset Columns(const std::string& table) = 0;  // of one table
  virtual dbaccess::ado::Recordset Indexes() = 0;                          // unrestricted
  virtual dbaccess::ado::Recordset ForeignKeys() = 0;                      // unrestricted
};

class AdoSchema : public SchemaSource {
 public:
  // Opens the database file with the Jet connection text for `path` and `password` ("" for
  // a database without password). Throws JetError with the engine's text.
  AdoSchema(const std::string& path, const std::string& password);

  dbaccess::ado::Recordset Tables() override;
  dbaccess::ado::Recordset Columns(const std::string& table) override;
  dbaccess::ado::Recordset Indexes() override;
  dbaccess::ado::Recordset ForeignKeys() override;

 private:
  dbaccess::ado::Connection connection_;
};

// The named field of the rowset's current row as text: a text itself, empty and null as
// the empty text, other kinds as their display text.
std::string FieldText(const dbaccess::ado::Recordset& rowset, std::string_view field);

}  // namespace uAlg

#endif  // SKARNVEL_ENGINE_SCHEMA_SOURCE_H_
