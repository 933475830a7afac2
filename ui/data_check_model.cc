#include "ui/data_check_model.h"

#include <QBrush>

#include "actions/column_sets.h"
#include "ui/qt_text.h"
#include "ui/ui_texts.h"

namespace ui {

void DataCheckModel::SetFindings(const actions::DataCheck& check) {
  beginResetModel();
  findings_ = check.findings;
  endResetModel();
}

int DataCheckModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(findings_.size());
}

int DataCheckModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumnCount;
}

QVariant DataCheckModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const actions::DataFinding& finding = findings_[static_cast<size_t>(index.row())];
  if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
    switch (index.column()) {
      case kListColumn:
        return Q(actions::LayoutOf(finding.list).page_caption);
      case kCommandColumn:
        return Q(finding.command);
      case kFindingColumn:
        return Q(finding.text);
      default:
        return {};
    }
  }
  if (role == Qt::BackgroundRole) {
    switch (finding.level) {
      case actions::FindingLevel::kLoss:
        return QBrush(kLossColor);
      case actions::FindingLevel::kRefused:
        return QBrush(kRefusedColor);
      case actions::FindingLevel::kSafe:
        break;
    }
  }
  return {};
}

QVariant DataCheckModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Vertical) return section + 1;
  switch (section) {
    case kListColumn:
      return Q(texts::kDataColumnList);
    case kCommandColumn:
      return Q(texts::kDataColumnCommand);
    case kFindingColumn:
      return Q(texts::kDataColumnFinding);
    default:
      return {};
  }
}

}  // namespace ui
