// A Qt table model over the data check's findings (actions/data_check.h): one row per
// finding, with the list's page, the action's command and what it does to the rows. A
// finding that loses data is red, one the engine would refuse yellow, a safe one plain.
#ifndef SKARNVEL_UI_DATA_CHECK_MODEL_H_
#define SKARNVEL_UI_DATA_CHECK_MODEL_H_

#include <QAbstractTableModel>
#include <QColor>

#include "actions/data_check.h"

namespace ui {

// The backgrounds of the findings that put data at risk.
inline const QColor kLossColor(255, 170, 170);
inline const QColor kRefusedColor(255, 240, 150);

class DataCheckModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum ColumnNumber { kListColumn, kCommandColumn, kFindingColumn, kColumnCount };

  explicit DataCheckModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

  // Shows these findings instead of the ones shown so far.
  void SetFindings(const actions::DataCheck& check);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

 private:
  std::vector<actions::DataFinding> findings_;
};

}  // namespace ui

#endif  // SKARNVEL_UI_DATA_CHECK_MODEL_H_
