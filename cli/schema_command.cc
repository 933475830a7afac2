// skarnvel-cli schema PATH [--password P]: the database as a script of the text storage.
#include <iostream>
#include <memory>

#include "cli/commands.h"
#include "dbaccess/database_file.h"
#include "dbaccess/text_script.h"

namespace cli {

void AddSchemaCommand(CLI::App& app) {
  auto args = std::make_shared<DatabaseArgs>();
  CLI::App* command = app.add_subcommand("schema", "Print the database as a script");
  AddDatabaseArgs(*command, *args);
  command->callback([args] {
    const std::shared_ptr<dbaccess::DatabaseFile> file =
        dbaccess::DatabaseFile::Open(args->path, args->password);
    std::cout << dbaccess::WriteScript(*file->Snapshot());
  });
}

}  // namespace cli
