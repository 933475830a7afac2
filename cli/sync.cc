// skarnvel-cli sync WORK NEW: the unattended cycle (compare-all, run-all) and a fresh
// comparison that tells whether anything is left to do.
#include <iostream>

#include "cli/cycle_commands.h"

namespace cli {
namespace {

int RunTrial(actions::Workbench& bench, CycleSession& session) {
  if (!bench.TrialRunClick() || session.ui().trouble() || bench.LastTrial().left < 0) {
    return kCycleTrouble;
  }
  const actions::Workbench::TrialOutcome& trial = bench.LastTrial();
  std::cout << (trial.left == 0 ? "trial: no differences left\n"
                                : "trial: differences left: " + std::to_string(trial.left) + "\n");
  return trial.tally.failed == 0 && !trial.tally.stopped && trial.left == 0 ? kCycleSame
                                                                            : kCycleDifferent;
}

}  // namespace

void AddSyncCommand(CLI::App& app, int& exit_code) {
  auto options = std::make_shared<CycleOptions>();
  CLI::App* command = app.add_subcommand(
      "sync",
      "brings the working database's structure into line with the new one's (exit 0 "
      "done, 1 differences left or actions failed, 2 trouble)");
  AddCompareOptions(*command, *options);
  AddRunAnswerOptions(*command, *options);
  command->add_flag("--no-refresh", options->no_refresh,
                    "do not compare indexes and relations again after the table actions");
  command->add_flag("--trial", options->trial,
                    "run the whole cycle on a temporary copy of the working database and "
                    "report how it went; the working database and the list files stay as "
                    "they are");
  command->callback([options, &exit_code] {
    CycleSession session(*options);
    if (!session.CheckOptions(*options, /*needs_new=*/true, /*create_lists_folder=*/true)) {
      exit_code = kCycleTrouble;
      return;
    }
    actions::Workbench& bench = session.bench();
    if (options->trial) {
      exit_code = RunTrial(bench, session);
      return;
    }
    if (!bench.CheckPaths() || !bench.RunUnattended() || session.ui().trouble()) {
      exit_code = kCycleTrouble;
      return;
    }
    if (!bench.Tablo().empty()) std::cerr << "log: " << bench.LogFile() << '\n';
    // What is still different, without the saved actions.
    bench.SetPre(false);
    if (!bench.bCompareAllClick() || session.ui().trouble()) {
      exit_code = kCycleTrouble;
      return;
    }
    if (!session.SaveLists()) {
      exit_code = kCycleTrouble;
      return;
    }
    const actions::RunTally& tally = bench.tally();
    if (session.NothingLeft()) {
      std::cout << "no differences left\n";
    } else {
      std::cout << "differences left:\n";
      session.PrintLists(std::cout);
    }
    exit_code =
        tally.failed == 0 && !tally.stopped && session.NothingLeft() ? kCycleSame : kCycleDifferent;
  });
}

}  // namespace cli
