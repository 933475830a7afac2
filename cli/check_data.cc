// skarnvel-cli check-data WORK: what the ticked actions of the saved lists would do to the
// working database's rows, found without changing anything.
#include "cli/cycle_commands.h"

namespace cli {

void AddCheckDataCommand(CLI::App& app, int& exit_code) {
  auto options = std::make_shared<CycleOptions>();
  CLI::App* command = app.add_subcommand(
      "check-data",
      "tells what the ticked actions of the saved lists would do to the working database's "
      "rows, changing nothing (exit 0 nothing at risk, 1 findings, 2 trouble)");
  command->add_option("WORK", options->work, "the working database")->required();
  AddWorkingOptions(*command, *options);
  command->callback([options, &exit_code] {
    CycleSession session(*options);
    actions::Workbench& bench = session.bench();
    if (!session.LoadSavedLists(*options) || !bench.bCheckDataClick() || session.ui().trouble()) {
      exit_code = kCycleTrouble;
      return;
    }
    exit_code = bench.DataFindings().HasRisk() ? kCycleDifferent : kCycleSame;
  });
}

}  // namespace cli
