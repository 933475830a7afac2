#include <unistd.h>

#include <exception>
#include <filesystem>
#include <iostream>

#include "actions/list_file.h"
#include "actions/unattended_interaction.h"
#include "cli/cycle_commands.h"
#include "cli/list_table.h"

namespace cli {
namespace {

namespace fs = std::filesystem;

// The command line's paths are the user's: relative to the current directory.
std::string Absolute(const std::string& path) {
  if (path.empty()) return path;
  return fs::absolute(path).lexically_normal().string();
}

Answers AnswersOf(const CycleOptions& options) {
  Answers answers;
  answers.on_relation =
      actions::RelationAnswerFromWord(options.on_relation).value_or(actions::Answer::kYes);
  answers.continue_on_error = options.on_error == "continue";
  answers.make_backup = !options.no_backup;
  return answers;
}

}  // namespace

std::string ProgramFolder() {
  std::error_code error;
  const fs::path self = fs::read_symlink("/proc/self/exe", error);
  if (error) return fs::current_path().string();
  return self.parent_path().string();
}

void AddCompareOptions(CLI::App& command, CycleOptions& options) {
  command.add_option("WORK", options.work, "the working database (its structure is changed)")
      ->required();
  command.add_option("NEW", options.fresh, "the new database (its structure is loaded)")
      ->required();
  command.add_option("--pwd1", options.pwd1, "password of the working database");
  command.add_option("--pwd2", options.pwd2, "password of the new database");
  command
      .add_option("--rename-fields", options.rename_fields,
                  "detect renamed fields: 0 by position, 1 by properties, 2 by both")
      ->check(CLI::Range(0, 2));
  command.add_flag("--preload", options.preload,
                   "load the saved table actions before comparing tables");
  command.add_option("--lists", options.lists,
                     "folder of the list files and the log (default: beside the program)");
}

void AddWorkingOptions(CLI::App& command, CycleOptions& options) {
  command.add_option("--pwd1", options.pwd1, "password of the working database");
  command.add_option("--lists", options.lists,
                     "folder of the list files and the log (default: beside the program)");
}

void AddRunOptions(CLI::App& command, CycleOptions& options) {
  AddWorkingOptions(command, options);
  AddRunAnswerOptions(command, options);
}

void AddRunAnswerOptions(CLI::App& command, CycleOptions& options) {
  command.add_flag("--no-backup", options.no_backup, "make no backup copy before the changes");
  command
      .add_option("--on-relation", options.on_relation,
                  "relations in the way of a change: yes drop them, no keep them, cancel stop")
      ->check(CLI::IsMember({"yes", "no", "cancel"}));
  command.add_option("--on-error", options.on_error, "after a failed action: continue or stop")
      ->check(CLI::IsMember({"continue", "stop"}));
  command
      .add_option("--on-data-loss", options.on_data_loss,
                  "ticked actions that would lose data: run them, skip them (run the others) "
                  "or stop before anything is changed (default)")
      ->check(CLI::IsMember({"run", "skip", "stop"}));
}

CycleSession::CycleSession(const CycleOptions& options)
    : ui_(AnswersOf(options), std::cerr, ::isatty(STDERR_FILENO) != 0) {
  const std::string folder = options.lists.empty() ? ProgramFolder() : Absolute(options.lists);
  bench_ = std::make_unique<actions::Workbench>(actions::ProgramLocation{folder, "skarnvel-cli"},
                                                ui_, access_);
  bench_->AddObserver(this);
  // Relative paths are the user's, from where the command was started.
  bench_->SetDatabaseFolder(fs::current_path().string());
  bench_->SetPath1(Absolute(options.work));
  bench_->SetPath2(Absolute(options.fresh));
  bench_->SetPwd1(options.pwd1);
  bench_->SetPwd2(options.pwd2);
  bench_->SetRenameField(options.rename_fields >= 0);
  bench_->SetRenameMode(options.rename_fields >= 0 ? options.rename_fields : 0);
  bench_->SetPre(options.preload);
  bench_->SetRefresh(!options.no_refresh);
  // Without a backup copy run-all asks; with one it runs as the unattended start does.
  bench_->SetFon(!options.no_backup);
  bench_->SetOnDataLoss(
      actions::DataLossRuleFromWord(options.on_data_loss).value_or(actions::DataLossRule::kStop));
}

CycleSession::~CycleSession() { bench_->RemoveObserver(this); }

bool CycleSession::LoadSavedLists(const CycleOptions& options) {
  return CheckOptions(options, /*needs_new=*/false, /*create_lists_folder=*/false) &&
         bench_->LoadListsAtStart();
}

void CycleSession::MessageAppended(const actions::PaneLine& line) {
  std::cout << MessageLines(line.text) << std::endl;
}

bool CycleSession::CheckOptions(const CycleOptions& options, bool needs_new,
                                bool create_lists_folder) {
  if (options.work.empty()) {
    std::cerr << "no working database: WORK is empty\n";
    return false;
  }
  if (needs_new && options.fresh.empty()) {
    std::cerr << "no new database: NEW is empty\n";
    return false;
  }
  if (options.lists.empty()) return true;
  const std::string folder = Absolute(options.lists);
  std::error_code error;
  if (fs::is_directory(folder, error)) return true;
  if (fs::exists(folder, error)) {
    std::cerr << "the lists folder " << folder << " is not a folder\n";
    return false;
  }
  if (!create_lists_folder) {
    std::cerr << "the lists folder " << folder << " does not exist\n";
    return false;
  }
  fs::create_directories(folder, error);
  if (error) {
    std::cerr << "cannot create the lists folder " << folder << ": " << error.message() << '\n';
    return false;
  }
  return true;
}

bool CycleSession::SaveLists() {
  try {
    for (actions::ListId id : actions::kAllLists) {
      actions::SaveList(bench_->lists()[id], bench_->files()[id]);
    }
  } catch (const std::exception& error) {
    ui().ShowError(error.what());
    return false;
  }
  return true;
}

int CycleSession::PrintLists(std::ostream& out) {
  int rows = 0;
  for (actions::ListId id : actions::kAllLists) {
    PrintList(out, id, bench_->lists()[id]);
    if (bench_->lists()[id].IsOpen()) rows += bench_->lists()[id].RowCount();
  }
  return rows;
}

bool CycleSession::NothingLeft() {
  for (actions::ListId id : actions::kAllLists) {
    const actions::ActionList& list = bench_->lists()[id];
    if (list.IsOpen() && list.RowCount() > 0) return false;
  }
  return true;
}

}  // namespace cli
