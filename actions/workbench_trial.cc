// The workbench's trial run (the members declared in workbench.h under these names).
#include <filesystem>
#include <random>
#include <string>
#include <system_error>

#include "actions/file_io.h"
#include "actions/workbench.h"
#include "actions/workbench_texts.h"

namespace actions {
namespace {

namespace fs = std::filesystem;

// How many names a new temporary folder tries before giving up.
constexpr int kFolderNameTries = 100;

// A folder of its own under the system's temporary folder, removed with all it holds.
class TrialFolder {
 public:
  TrialFolder() {
    std::random_device seed;
    std::mt19937_64 random(seed());
    const fs::path parent = fs::temp_directory_path();
    for (int i = 0; i < kFolderNameTries; ++i) {
      const fs::path candidate = parent / ("skarnvel-trial-" + std::to_string(random()));
      std::error_code error;
      if (fs::create_directory(candidate, error)) {
        fs::permissions(candidate, fs::perms::owner_all, error);
        path_ = candidate;
        return;
      }
      if (error) throw FileError(candidate.string(), error.message());
    }
    throw FileError(parent.string(), "no free name for a temporary folder");
  }
  ~TrialFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  TrialFolder(const TrialFolder&) = delete;
  TrialFolder& operator=(const TrialFolder&) = delete;

  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

// Stands in for the person during a trial: run-all is wanted, no copy is made and the
// trial's lists are not saved; the notice that the changes are done is the trial's own to
// give; everything else is asked of the workbench's Interaction.
class TrialInteraction : public Interaction {
 public:
  explicit TrialInteraction(Interaction& ui) : ui_(ui) {}
  Answer Ask(Question question, const std::string& caption, const std::string& text) override {
    if (question == Question::kRunAll) return Answer::kYes;
    if (question == Question::kBackupCopy || question == Question::kSaveLists) return Answer::kNo;
    return ui_.Ask(question, caption, text);
  }
  void Notify(Notice notice, const std::string& text) override {
    if (notice != Notice::kChangesDone) ui_.Notify(notice, text);
  }
  void ShowError(const std::string& text) override { ui_.ShowError(text); }
  void SetBusy(bool busy) override { ui_.SetBusy(busy); }
  void Focus(FocusTarget target) override { ui_.Focus(target); }
  void Progress(const std::string& text) override { ui_.Progress(text); }

 private:
  Interaction& ui_;
};

// Hands the trial's pane lines on to the workbench's.
class PaneRelay : public WorkbenchObserver {
 public:
  explicit PaneRelay(std::function<void(const PaneLine&)> relay) : relay_(std::move(relay)) {}
  void MessageAppended(const PaneLine& line) override { relay_(line); }

 private:
  std::function<void(const PaneLine&)> relay_;
};

}  // namespace

bool Workbench::TrialRunClick() {
  last_trial_ = {};
  return Guarded([this] { TrialRunBody(); });
}

void Workbench::TrialRunBody() {
  if (!CheckPaths()) return;
  const TrialFolder folder;
  const fs::path copy = folder.path() / fs::path(Located(Path1_)).filename();
  std::error_code error;
  if (!fs::copy_file(Located(Path1_), copy, error)) {
    throw FileError(copy.string(), error ? error.message() : "not copied");
  }
  AppendMessage(std::string(texts::kTrialStartLine) + copy.string(), MessageColor::kGrayText);

  TrialInteraction ui(ui_);
  // Declared before the trial's workbench, so that it outlives it however the trial ends.
  PaneRelay relay([this](const PaneLine& line) { AppendMessage(line.text, line.color); });
  Workbench trial({folder.path().string(), program_.name}, ui, access_, clock_);
  trial.AddObserver(&relay);
  trial.SetDatabaseFolder(database_folder_);
  trial.SetPath1(copy.string());
  trial.SetPath2(Path2_);
  trial.SetPwd1(Pwd1_);
  trial.SetPwd2(Pwd2_);
  trial.SetRenameField(cbRenameField_);
  trial.SetRenameMode(rgRenameField_);
  trial.SetRefresh(cbRefresh_);
  trial.SetOnDataLoss(on_data_loss_);
  const bool ran = trial.bCompareAllClick() && (!trial.states().bRunAll || trial.bRunAllClick());
  last_trial_.tally = trial.tally();
  if (ran && trial.bCompareAllClick()) {
    int left = 0;
    for (ListId id : kAllLists) left += trial.lists()[id].RowCount();
    last_trial_.left = left;
    AppendMessage(left == 0 ? std::string(texts::kTrialNothingLeftLine)
                            : std::string(texts::kTrialLeftLine) + std::to_string(left),
                  left == 0 ? MessageColor::kGrayText : MessageColor::kRed);
  }
  AppendMessage(std::string(texts::kTrialDoneLine), MessageColor::kGrayText);
}

}  // namespace actions
