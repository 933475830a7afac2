// A Qt table model over one action list: the list's columns in their grid places, with the
// titles and widths of the list's layout (columns a loaded file brought that the layout
// does not know follow in stored order, titled by their names). It follows the list's
// fine-grained change events and writes the user's edits through the list (edit, set,
// post). The vertical header is the grid's row indicator: it marks the list's current row.
#ifndef SKARNVEL_UI_ACTION_TABLE_MODEL_H_
#define SKARNVEL_UI_ACTION_TABLE_MODEL_H_

#include <QAbstractTableModel>
#include <string>
#include <vector>

#include "actions/action_list.h"
#include "actions/column_sets.h"

namespace ui {

class ActionTableModel : public QAbstractTableModel, private actions::ListObserver {
  Q_OBJECT

 public:
  struct ViewColumn {
    int list_column;  // index in the list's stored order
    std::string name;
    QString title;
    int width;  // characters
    actions::ColumnKind kind;
  };

  // The width of a column the layout does not know, in characters.
  static constexpr int kDefaultWidth = 20;

  ActionTableModel(actions::ListId id, actions::ActionList& list, QObject* parent = nullptr);
  ~ActionTableModel() override;

  actions::ListId id() const { return id_; }
  actions::ActionList& list() { return list_; }
  const std::vector<ViewColumn>& view_columns() const { return columns_; }
  // The grid column showing the list column `name`, or -1.
  int SectionOf(std::string_view name) const;
  // The text of a row's cell by column name ("" when the list has no such column); the
  // current row is read with its pending edit.
  std::string Text(int row, std::string_view column) const;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 signals:
  // The list's cursor moved to `row` (from 0).
  void currentRowChanged(int row);
  // The columns may have changed (after a reset).
  void columnsChanged();

 private:
  void ListAboutToChange(const actions::ActionList& list, const actions::ListEvent& event) override;
  void ListChanged(const actions::ActionList& list, const actions::ListEvent& event) override;
  void BuildColumns();
  const dbaccess::Variant& CellValue(int row, int list_column) const;

  actions::ListId id_;
  actions::ActionList& list_;
  std::vector<ViewColumn> columns_;
  int indicated_row_ = -1;
};

}  // namespace ui

#endif  // SKARNVEL_UI_ACTION_TABLE_MODEL_H_
