// skarnvel-cli compare WORK NEW: compare-all, the four list files, the lists as tables.
#include <iostream>

#include "cli/cycle_commands.h"

namespace cli {

void AddCompareCommand(CLI::App& app, int& exit_code) {
  auto options = std::make_shared<CycleOptions>();
  CLI::App* command =
      app.add_subcommand("compare",
                         "compares two databases and writes the four action lists (exit 0 same, 1 "
                         "different, 2 trouble)");
  AddCompareOptions(*command, *options);
  command->callback([options, &exit_code] {
    CycleSession session(*options);
    if (!session.CheckOptions(*options, /*needs_new=*/true, /*create_lists_folder=*/true)) {
      exit_code = kCycleTrouble;
      return;
    }
    actions::Workbench& bench = session.bench();
    if (!bench.CheckPaths() || !bench.bCompareAllClick() || session.ui().trouble()) {
      exit_code = kCycleTrouble;
      return;
    }
    if (!session.SaveLists()) {
      exit_code = kCycleTrouble;
      return;
    }
    const int rows = session.PrintLists(std::cout);
    exit_code = rows > 0 ? kCycleDifferent : kCycleSame;
  });
}

}  // namespace cli
