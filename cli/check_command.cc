// skarnvel-cli check PATH [--password P]: the integrity check of a Jet database file. Prints
// each finding with its object and page, or "ok"; what could not be checked is named on a
// line of its own. Exits 0 when sound, 1 with findings, 2 when the file cannot be checked.
#include <iostream>
#include <memory>

#include "cli/commands.h"
#include "dbaccess/storage/mdb/database_check.h"

namespace cli {
namespace {

constexpr int kExitFindings = 1;
constexpr int kExitTrouble = 2;

}  // namespace

void AddCheckCommand(CLI::App& app, int& exit_code) {
  auto args = std::make_shared<DatabaseArgs>();
  CLI::App* command = app.add_subcommand("check", "Check the integrity of an .mdb database");
  AddDatabaseArgs(*command, *args);
  command->callback([args, &exit_code] {
    dbaccess::mdb::DatabaseCheckReport report;
    try {
      report = dbaccess::mdb::CheckDatabaseFile(args->path, args->password);
    } catch (const std::exception& e) {
      std::cout.flush();
      std::cerr << e.what() << '\n';
      exit_code = kExitTrouble;
      return;
    }
    for (const std::string& note : report.notes) std::cout << "not checked: " << note << '\n';
    for (const dbaccess::mdb::CheckFinding& finding : report.findings) {
      std::cout << finding.ToString() << '\n';
    }
    if (report.sound()) std::cout << "ok\n";
    exit_code = report.sound() ? kExitOk : kExitFindings;
  });
}

}  // namespace cli
