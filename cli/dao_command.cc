// skarnvel-cli dao PATH [--password P] (required TABLE FIELD true|false |
// rename TABLE FIELD NEW): a field's Required flag or its name, through DAO.
#include <memory>

#include "cli/commands.h"
#include "cli/dao_open.h"
#include "dbaccess/catalog/jet_names.h"

namespace cli {
namespace {

struct DaoArgs {
  DatabaseArgs database;
  std::string table;
  std::string field;
  std::string value;  // true|false, or the new name
};

}  // namespace

void AddDaoCommand(CLI::App& app) {
  auto args = std::make_shared<DaoArgs>();
  CLI::App* command = app.add_subcommand("dao", "Change a field through DAO");
  AddDatabaseArgs(*command, args->database);
  command->require_subcommand(1);

  CLI::App* required = command->add_subcommand("required", "Set or drop a field's Required flag");
  required->add_option("TABLE", args->table, "The table")->required();
  required->add_option("FIELD", args->field, "The field")->required();
  required->add_option("VALUE", args->value, "true or false")
      ->required()
      ->check(CLI::IsMember({"true", "false"}, CLI::ignore_case));
  required->callback([args] {
    const bool value = dbaccess::SameName(args->value, "true");
    OpenDaoDatabase(args->database)->TableDefs(args->table).Fields(args->field).SetRequired(value);
  });

  CLI::App* rename = command->add_subcommand("rename", "Rename a field");
  rename->add_option("TABLE", args->table, "The table")->required();
  rename->add_option("FIELD", args->field, "The field")->required();
  rename->add_option("NEW", args->value, "The new name")->required();
  rename->callback([args] {
    OpenDaoDatabase(args->database)
        ->TableDefs(args->table)
        .Fields(args->field)
        .SetName(args->value);
  });
}

}  // namespace cli
