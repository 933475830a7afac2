// skarnvel-cli rowset PATH [--password P] (tables|columns|indexes|foreign_keys): one schema
// rowset as tab-separated text, in the rowset's order.
#include <iostream>
#include <map>
#include <memory>

#include "cli/commands.h"
#include "cli/table_text.h"
#include "dbaccess/ado/connection.h"

namespace cli {
namespace {

using dbaccess::ado::SchemaEnum;

const std::map<std::string, SchemaEnum> kRowsets = {
    {"tables", dbaccess::ado::adSchemaTables},
    {"columns", dbaccess::ado::adSchemaColumns},
    {"indexes", dbaccess::ado::adSchemaIndexes},
    {"foreign_keys", dbaccess::ado::adSchemaForeignKeys},
};

struct RowsetArgs {
  DatabaseArgs database;
  std::string rowset;
};

}  // namespace

void AddRowsetCommand(CLI::App& app) {
  auto args = std::make_shared<RowsetArgs>();
  CLI::App* command = app.add_subcommand("rowset", "Print a schema rowset as tab-separated text");
  AddDatabaseArgs(*command, args->database);
  command->add_option("ROWSET", args->rowset, "tables, columns, indexes or foreign_keys")
      ->required()
      ->check(CLI::IsMember({"tables", "columns", "indexes", "foreign_keys"}));
  command->callback([args] {
    dbaccess::ado::Connection connection;
    connection.Open(dbaccess::ado::DatabaseLocation{args->database.path, args->database.password});
    // Written as it is made: a large catalog's rowset is never held whole.
    TableTextWriter writer(std::cout);
    connection.StreamSchema(kRowsets.at(args->rowset), writer);
  });
}

}  // namespace cli
