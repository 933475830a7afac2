// skarnvel-cli: the command-line face of Skarnvel.
#include <CLI/CLI.hpp>
#include <exception>
#include <iostream>

#include "cli/commands.h"
#include "cli/cycle_commands.h"
#include "dbaccess/base/jet_error.h"

int main(int argc, char** argv) {
  CLI::App app("Skarnvel: the structure of Microsoft Access (Jet 4.0) databases", "skarnvel-cli");
  app.require_subcommand(1);
  cli::AddCreateCommand(app);
  cli::AddExecCommand(app);
  cli::AddQueryCommand(app);
  cli::AddDaoCommand(app);
  cli::AddRowsetCommand(app);
  cli::AddSchemaCommand(app);
  int cycle_exit = cli::kExitOk;  // compare, run and sync exit as diff does, check as fsck
  cli::AddCheckCommand(app, cycle_exit);
  cli::AddCompareCommand(app, cycle_exit);
  cli::AddRunCommand(app, cycle_exit);
  cli::AddSyncCommand(app, cycle_exit);
  cli::AddCheckDataCommand(app, cycle_exit);
  try {
    app.parse(argc, argv);  // runs the chosen subcommand
  } catch (const CLI::Success& e) {
    return app.exit(e);  // --help
  } catch (const CLI::Error& e) {
    app.exit(e);
    return cli::kExitUsage;
  } catch (const dbaccess::JetError& e) {
    std::cout.flush();
    std::cerr << e.what() << '\n';
    if (const auto* at = dynamic_cast<const cli::RefusedAt*>(&e)) std::cerr << at->where() << '\n';
    return cli::kExitRefused;
  } catch (const std::exception& e) {
    std::cout.flush();
    std::cerr << e.what() << '\n';
    return cli::kExitRefused;
  }
  return cycle_exit;
}
