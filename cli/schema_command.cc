// skarnvel-cli schema PATH [--password P]: the database as a script of the text storage.
#include <iostream>
#include <memory>

#include "cli/commands.h"
#include "dbaccess/files/script_export.h"

namespace cli {

void AddSchemaCommand(CLI::App& app) {
  auto args = std::make_shared<DatabaseArgs>();
  CLI::App* command = app.add_subcommand("schema", "Print the database as a script");
  AddDatabaseArgs(*command, *args);
  command->callback([args] {
    std::cout << dbaccess::ExportScript(args->path, args->password);
  });
}

}  // namespace cli
