// skarnvel-cli schema PATH [--password P] [--no-password]: the database as a script of the
// text storage. The script of a database with a password carries that password (as the
// text storage keeps it, hashed), so the copy made from it is protected as the original
// was; --no-password leaves it out on purpose.
#include <iostream>
#include <memory>

#include "cli/commands.h"
#include "dbaccess/database_file.h"
#include "dbaccess/storage.h"
#include "dbaccess/text_script.h"
#include "dbaccess/text_storage.h"

namespace cli {
namespace {

constexpr int kWrongPasswordNumber = 3031;

// Whether the database at `path` opens only with a password.
bool HasPassword(const std::string& path) {
  try {
    dbaccess::OpenStorage(path, "");
  } catch (const dbaccess::JetError& error) {
    if (error.number() == kWrongPasswordNumber) return true;
    throw;
  }
  return false;
}

}  // namespace

void AddSchemaCommand(CLI::App& app) {
  auto args = std::make_shared<DatabaseArgs>();
  auto no_password = std::make_shared<bool>(false);
  CLI::App* command = app.add_subcommand("schema", "Print the database as a script");
  AddDatabaseArgs(*command, *args);
  command->add_flag("--no-password", *no_password,
                    "leave the database password out of the script (the copy is unprotected)");
  command->callback([args, no_password] {
    const std::shared_ptr<dbaccess::DatabaseFile> file =
        dbaccess::DatabaseFile::Open(args->path, args->password);
    const std::shared_ptr<const dbaccess::Catalog> catalog = file->Snapshot();
    if (!*no_password && HasPassword(file->path())) {
      std::cout << dbaccess::TextStorage::FileTextFor(*catalog, args->password);
    } else {
      std::cout << dbaccess::WriteScript(*catalog);
    }
  });
}

}  // namespace cli
