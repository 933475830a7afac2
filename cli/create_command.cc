// skarnvel-cli create PATH [--password P]: a new, empty database in the text storage.
#include <memory>

#include "cli/commands.h"
#include "dbaccess/files/database_file.h"

namespace cli {

void AddCreateCommand(CLI::App& app) {
  auto args = std::make_shared<DatabaseArgs>();
  CLI::App* command = app.add_subcommand("create", "Create a new, empty database");
  AddDatabaseArgs(*command, *args);
  command->callback([args] { dbaccess::DatabaseFile::CreateText(args->path, args->password); });
}

}  // namespace cli
