// Compare-all, run-all and the unattended run of the workbench.
#include <string>

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
  if (!Fon_ &&
      ui_.Ask(std::string(texts::kRunAllCaption),
              std::string(texts::kRunAllQuestion) + path1 + std::string(texts::kQuestionMark),
              false) != Answer::kYes) {
    return;
  }
  tally_ = {};
  const bool copy =
      Fon_ || ui_.Ask(std::string(texts::kCopyCaption),
                      std::string(texts::kCopyQuestion) + path1 + std::string(texts::kQuestionMark),
                      false) == Answer::kYes;
  if (copy) {
    ui_.Progress("Создание копии рабочей БД");
    try {
      const std::string backup = MakeBackupCopy(path1, LocalDay(clock_()));
      AppendMessage(std::string(texts::kCopyMadeLine) + backup, MessageColor::kGrayText);
    } catch (const FileError& error) {
      // The reason (no space, no permission) goes with the name.
      AppendMessage(
          std::string(texts::kCopyFailedLine) + error.path() + " (" + error.reason() + ")",
          MessageColor::kRed);
      ui_.Notify(std::string(texts::kCopyFailedMessage));
      return;
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
  if (!Fon_) ui_.Notify(std::string(texts::kChangesDoneMessage));
}

bool Workbench::RunUnattended() {
  if (states_.bCompareAll && !bCompareAllClick(Sender::none)) return false;
  if (states_.bRunAll && !bRunAllClick(Sender::none)) return false;
  return true;
}

}  // namespace actions
