// skarnvel-cli schema PATH [--password P] [--no-password]: the database as a script of the
// text storage. The script of a database with a password carries that password (as the
// text storage keeps it, hashed), so the copy made from it is protected as the original
// was; --no-password leaves it out on purpose.
#include <iostream>
#include <memory>

#include "cli/commands.h"
#include "dbaccess/files/script_export.h"

namespace cli {
void AddSchemaCommand(CLI::App& app) {
  auto args = std::make_shared<DatabaseArgs>();
  auto no_password = std::make_shared<bool>(false);
  CLI::App* command = app.add_subcommand("schema", "Print the database as a script");
  AddDatabaseArgs(*command, *args);
  command->add_flag("--no-password", *no_password,
                    "leave the database password out of the script (the copy is unprotected)");
  command->callback([args, no_password] {
    std::cout << dbaccess::ExportScript(args->path, args->password, !*no_password);
  });
}

}  // namespace cli
