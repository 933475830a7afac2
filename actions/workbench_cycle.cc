// The workbench's whole cycle: compare-all, run-all and the unattended run (the members
// declared in workbench.h under these names).
#include <string>
#include <vector>

#include "actions/backup_copy.h"
#include "actions/file_io.h"
#include "actions/rtf_log.h"
#include "actions/workbench.h"
#include "actions/workbench_texts.h"

namespace actions {

bool Workbench::bCompareAllClick(Sender sender) {
  return Guarded([this, sender] { CompareAllBody(sender); });
}

bool Workbench::bRunAllClick(Sender) {
  return Guarded([this] { RunAllBody(); });
}

void Workbench::CompareAllBody(Sender) {
  if (!CheckPaths()) return;
  CompareTablesBody();
  CompareIndexesBody();
  CompareRelationsBody();
  CompareQueriesBody();
}

void Workbench::RunAllBody() {
  const std::string path1 = Path1_;
  if (!Fon_ && ui_.Ask(Question::kRunAll, std::string(texts::kRunAllCaption),
                       std::string(texts::kRunAllQuestion) + path1 +
                           std::string(texts::kQuestionMark)) != Answer::kYes) {
    return;
  }
  tally_ = {};
  // Unattended, nobody watches the pane: the log is written however run-all ends.
  if (Fon_) {
    try {
      RunAllSteps(path1);
    } catch (...) {
      WriteRtfLog(Tablo_, LogFile());
      throw;
    }
    return;
  }
  if (RunAllSteps(path1)) ui_.Notify(Notice::kChangesDone, std::string(texts::kChangesDoneMessage));
}

bool Workbench::RunAllSteps(const std::string& path1) {
  // The rows left out belong to this run-all alone, however it ends.
  struct ForgetSkipped {
    std::vector<int>& rows;
    ~ForgetSkipped() { rows.clear(); }
  } forget{skipped_rows_};
  if (!CheckDataBeforeRun()) {
    WriteRtfLog(Tablo_, LogFile());
    return false;
  }
  const bool copy = Fon_ || ui_.Ask(Question::kBackupCopy, std::string(texts::kCopyCaption),
                                    std::string(texts::kCopyQuestion) + path1 +
                                        std::string(texts::kQuestionMark)) == Answer::kYes;
  if (copy) {
    ui_.Progress(std::string(texts::kProgressBackup));
    // The copy lies beside the database; its name is shown the way the path was given, so
    // a bare database name gives a bare backup name.
    const std::string located = Located(path1);
    const std::string folder_part = located.substr(0, located.size() - path1.size());
    const auto as_given = [&folder_part](const std::string& name) {
      return name.starts_with(folder_part) ? name.substr(folder_part.size()) : name;
    };
    try {
      const std::string backup = MakeBackupCopy(located, LocalDay(clock_()));
      AppendMessage(std::string(texts::kCopyMadeLine) + as_given(backup), MessageColor::kGrayText);
    } catch (const FileError& error) {
      // The reason (no space, no permission) goes with the name.
      AppendMessage(std::string(texts::kCopyFailedLine) + as_given(error.path()) + " (" +
                        error.reason() + ")",
                    MessageColor::kRed);
      if (Fon_) WriteRtfLog(Tablo_, LogFile());
      ui_.Notify(Notice::kBackupFailed, std::string(texts::kCopyFailedMessage));
      return false;
    }
  }
  AppendMessage(std::string(texts::kChangesStartLine) + LocalTimeStamp(clock_()),
                MessageColor::kGrayText);
  // Each button's state is read just before its run: the runs before it compare again and
  // may have emptied or refilled its list.
  if (states_.bRun) RunBody(Sender::bRun);
  if (states_.bIRun) RunBody(Sender::bIRun);
  if (states_.bfkRun) RunBody(Sender::bfkRun);
  if (states_.bQRun) QueryRunBody();
  AppendMessage(std::string(texts::kChangesDoneLine) + LocalTimeStamp(clock_()),
                MessageColor::kGrayText);
  WriteRtfLog(Tablo_, LogFile());
  return true;
}

bool Workbench::RunUnattended() {
  if (states_.bCompareAll && !bCompareAllClick(Sender::none)) return false;
  if (states_.bRunAll && !bRunAllClick(Sender::none)) return false;
  return true;
}

}  // namespace actions
