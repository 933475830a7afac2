// The workbench's data check, alone and before run-all (the members declared in
// workbench.h under these names).
#include <algorithm>
#include <string>

#include "actions/data_check.h"
#include "actions/workbench.h"
#include "actions/workbench_texts.h"

namespace actions {

bool Workbench::bCheckDataClick() {
  return Guarded([this] { CheckDataBody(/*quiet_when_safe=*/false); });
}

void Workbench::CheckDataBody(bool quiet_when_safe) {
  ui_.Progress(std::string(texts::kProgressDataCheck));
  data_check_ = {};
  {
    const std::unique_ptr<DryRunDatabase> database = access_.OpenDryRun(Located(Path1_), Pwd1_);
    data_check_ = CheckTickedActions(*database, lists_);
  }
  for (WorkbenchObserver* observer : observers_) observer->DataChecked();
  if (quiet_when_safe && !data_check_.HasRisk()) return;
  AppendMessage(std::string(texts::kDataCheckStartLine) + LocalTimeStamp(clock_()),
                MessageColor::kGrayText);
  for (const DataFinding& finding : data_check_.findings) {
    if (finding.level == FindingLevel::kSafe) continue;
    AppendMessage(FindingLine(finding), finding.level == FindingLevel::kLoss
                                            ? MessageColor::kRed
                                            : MessageColor::kWindowText);
  }
  if (!data_check_.HasRisk()) {
    AppendMessage(std::string(texts::kDataCheckNothing), MessageColor::kGrayText);
  }
  if (quiet_when_safe) return;
  const auto safe = std::count_if(
      data_check_.findings.begin(), data_check_.findings.end(),
      [](const DataFinding& finding) { return finding.level == FindingLevel::kSafe; });
  AppendMessage(std::string(texts::kDataCheckSafeCount) + std::to_string(safe),
                MessageColor::kGrayText);
}

bool Workbench::CheckDataBeforeRun() {
  skipped_rows_.clear();
  CheckDataBody(/*quiet_when_safe=*/true);
  if (!data_check_.LosesData()) return true;
  DataLossRule rule = on_data_loss_;
  if (rule == DataLossRule::kAsk && Fon_) rule = DataLossRule::kSkip;
  if (rule == DataLossRule::kAsk) {
    std::string listing;
    for (const DataFinding& finding : data_check_.findings) {
      if (finding.level == FindingLevel::kLoss) listing += FindingLine(finding) + "\r";
    }
    rule = ui_.Ask(Question::kDataLoss, std::string(texts::kDataLossCaption),
                   std::string(texts::kDataLossQuestionHead) + listing +
                       std::string(texts::kDataLossQuestionTail)) == Answer::kYes
               ? DataLossRule::kRun
               : DataLossRule::kSkip;
  }
  switch (rule) {
    case DataLossRule::kStop:
      AppendMessage(std::string(texts::kDataLossStoppedLine), MessageColor::kRed);
      tally_.stopped = true;
      return false;
    case DataLossRule::kSkip:
      // Only the table list's actions drop or convert stored values.
      skipped_rows_ = data_check_.LossRows(ListId::qT);
      return true;
    case DataLossRule::kAsk:
    case DataLossRule::kRun:
      break;
  }
  return true;
}

}  // namespace actions
