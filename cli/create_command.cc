// skarnvel-cli create PATH [--password P]: a new, empty database. A name ending in ".mdb"
// gets a Jet 4 database, as the engine makes one; any other name a text database.
#include <filesystem>
#include <memory>

#include "cli/commands.h"
#include "dbaccess/base/ascii_case.h"
#include "dbaccess/files/database_file.h"

namespace cli {

void AddCreateCommand(CLI::App& app) {
  auto args = std::make_shared<DatabaseArgs>();
  CLI::App* command = app.add_subcommand(
      "create", "Create a new, empty database: a Jet 4 .mdb file, or a text database");
  AddDatabaseArgs(*command, *args);
  command->callback([args] {
    const std::string extension = std::filesystem::path(args->path).extension().string();
    if (dbaccess::EqualsIgnoringAsciiCase(extension, ".mdb")) {
      dbaccess::DatabaseFile::CreateJet(args->path, args->password);
    } else {
      dbaccess::DatabaseFile::CreateText(args->path, args->password);
    }
  });
}

}  // namespace cli
