#include "cli/commands.h"

namespace cli {

void AddDatabaseArgs(CLI::App& command, DatabaseArgs& args) {
  command.add_option("PATH", args.path, "The database file")->required();
  command.add_option("--password", args.password, "The database password (none by default)");
}

}  // namespace cli
