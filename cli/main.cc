// skarnvel-cli: the command-line face of Skarnvel.
#include <CLI/CLI.hpp>
#include <exception>
#include <iostream>
#include <string_view>

#include "cli/commands.h"
#include "cli/cycle_commands.h"
#include "dbaccess/base/jet_error.h"

namespace {

struct Subcommand {
  std::string_view name;
  void (*add)(CLI::App& app, int& exit_code);
};

// In the order --help lists them. Those that exit as diff or fsck do put their exit code
// into `exit_code`; the others succeed with 0 or throw.
constexpr Subcommand kSubcommands[] = {
    {"create", [](CLI::App& app, int&) { cli::AddCreateCommand(app); }},
    {"exec", [](CLI::App& app, int&) { cli::AddExecCommand(app); }},
    {"query", [](CLI::App& app, int&) { cli::AddQueryCommand(app); }},
    {"dao", [](CLI::App& app, int&) { cli::AddDaoCommand(app); }},
    {"rowset", [](CLI::App& app, int&) { cli::AddRowsetCommand(app); }},
    {"schema", [](CLI::App& app, int&) { cli::AddSchemaCommand(app); }},
    {"check", cli::AddCheckCommand},
    {"compare", cli::AddCompareCommand},
    {"run", cli::AddRunCommand},
    {"sync", cli::AddSyncCommand},
    {"check-data", cli::AddCheckDataCommand},
};

}  // namespace

int main(int argc, char** argv) {
  CLI::App app("Skarnvel: the structure of Microsoft Access (Jet 4.0) databases", "skarnvel-cli");
  app.require_subcommand(1);
  int exit_code = cli::kExitOk;
  // A run of one subcommand registers only that one: building every option of every
  // subcommand costs more than many a command's own work. Anything else (--help, a word
  // that names none) gets them all, to list them or to say what is wrong.
  const std::string_view first = argc > 1 ? std::string_view(argv[1]) : std::string_view();
  bool named = false;
  for (const Subcommand& subcommand : kSubcommands) {
    if (subcommand.name == first) {
      subcommand.add(app, exit_code);
      named = true;
    }
  }
  if (!named) {
    for (const Subcommand& subcommand : kSubcommands) subcommand.add(app, exit_code);
  }
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
  return exit_code;
}
