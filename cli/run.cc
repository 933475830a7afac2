// skarnvel-cli run WORK: run-all on the saved action lists, with backup copy and log.
#include <iostream>

#include "cli/cycle_commands.h"

namespace cli {

void AddRunCommand(CLI::App& app, int& exit_code) {
  auto options = std::make_shared<CycleOptions>();
  CLI::App* command = app.add_subcommand(
      "run",
      "executes the ticked actions of the saved lists against the working database "
      "(exit 0 all succeeded, 1 some failed, 2 trouble)");
  command->add_option("WORK", options->work, "the working database")->required();
  AddRunOptions(*command, *options);
  command->callback([options, &exit_code] {
    CycleSession session(*options);
    if (!session.LoadSavedLists(*options)) {
      exit_code = kCycleTrouble;
      return;
    }
    actions::Workbench& bench = session.bench();
    if (!bench.states().bRunAll) {
      std::cerr << "no actions in the list files of "
                << bench.files().FileT.substr(0, bench.files().FileT.rfind('/')) << '\n';
      exit_code = kCycleSame;
      return;
    }
    if (!bench.bRunAllClick() || session.ui().trouble()) {
      exit_code = kCycleTrouble;
      return;
    }
    std::cerr << "log: " << bench.LogFile() << '\n';
    const actions::RunTally& tally = bench.tally();
    exit_code = tally.failed > 0 || tally.stopped ? kCycleDifferent : kCycleSame;
  });
}

}  // namespace cli
