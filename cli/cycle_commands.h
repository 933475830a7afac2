// The whole-cycle subcommands of skarnvel-cli: compare, run and sync, over the workbench
// the window uses. Their exit codes go as diff's do: 0 nothing left to do, 1 differences
// (or rows that failed), 2 trouble (a missing file, an error outside the rows).
#ifndef SKARNVEL_CLI_CYCLE_COMMANDS_H_
#define SKARNVEL_CLI_CYCLE_COMMANDS_H_

#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>
#include <string>

#include "actions/engine_access.h"
#include "actions/workbench.h"
#include "cli/cli_interaction.h"

namespace cli {

constexpr int kCycleSame = 0;
constexpr int kCycleDifferent = 1;
constexpr int kCycleTrouble = 2;

// Registers compare, run and sync; the one that runs puts its exit code into `exit_code`.
void AddCompareCommand(CLI::App& app, int& exit_code);
void AddRunCommand(CLI::App& app, int& exit_code);
void AddSyncCommand(CLI::App& app, int& exit_code);
void AddCheckDataCommand(CLI::App& app, int& exit_code);

// The options the three share (each registers those it takes).
struct CycleOptions {
  std::string work;
  std::string fresh;
  std::string pwd1;
  std::string pwd2;
  int rename_fields = -1;  // -1: no rename detection
  bool preload = false;
  std::string lists;  // "" for the program's folder
  bool no_backup = false;
  std::string on_relation = "yes";
  std::string on_error = "stop";
  std::string on_data_loss = "stop";
  bool no_refresh = false;
  bool trial = false;
};

void AddCompareOptions(CLI::App& command, CycleOptions& options);
// --pwd1 and --lists, for the commands that work on the working database alone.
void AddWorkingOptions(CLI::App& command, CycleOptions& options);
void AddRunOptions(CLI::App& command, CycleOptions& options);
// The run's own options, those that compare does not have (AddRunOptions includes them).
void AddRunAnswerOptions(CLI::App& command, CycleOptions& options);

// A workbench set up from the options, printing the message pane's lines to `out` as they
// come and talking to the user through standard error.
class CycleSession : private actions::WorkbenchObserver {
 public:
  explicit CycleSession(const CycleOptions& options);
  ~CycleSession() override;

  actions::Workbench& bench() { return *bench_; }
  CliInteraction& ui() { return ui_; }

  // Checks what the options name before anything is read: both databases named (for
  // compare and sync), and the lists folder, which compare and sync create when it is
  // missing (`create`) and run requires. On a refusal prints why and returns false.
  bool CheckOptions(const CycleOptions& options, bool needs_new, bool create_lists_folder);

  // For the commands on the working database alone: checks the options (the lists folder
  // must exist) and loads the saved lists. False, the refusal said, when either fails.
  bool LoadSavedLists(const CycleOptions& options);
  // Writes the four list files into the lists folder; on failure shows the error and
  // returns false.
  bool SaveLists();
  // Prints the four lists; returns the number of rows in all.
  int PrintLists(std::ostream& out);
  // Whether every list is empty.
  bool NothingLeft();

 private:
  void MessageAppended(const actions::PaneLine& line) override;

  CliInteraction ui_;
  actions::EngineAccess access_;
  std::unique_ptr<actions::Workbench> bench_;
};

// The folder of the running program.
std::string ProgramFolder();

}  // namespace cli

#endif  // SKARNVEL_CLI_CYCLE_COMMANDS_H_
