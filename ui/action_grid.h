// The grid that shows one action list: titles, a row indicator, column and row lines,
// resizable columns, the tab key between cells, a horizontal scroll bar, the tick column as
// a check box, memo cells opened in the memo editor, and the deletion of a row after a
// question. The grid's current row is the list's current row, both ways.
#ifndef SKARNVEL_UI_ACTION_GRID_H_
#define SKARNVEL_UI_ACTION_GRID_H_

#include <QTableView>
#include <functional>
#include <optional>

#include "ui/action_table_model.h"
#include "ui/cell_delegate.h"

namespace ui {

struct GridOptions {
  bool memo_editor = true;         // memo cells open the memo editor
  bool double_click_edits = true;  // a double click starts editing (or the memo editor)
  int text_lines = 2;              // the height of a row in lines of text
  CellOptions cells;
};

class ActionGrid : public QTableView {
  Q_OBJECT

 public:
  // Opens a memo editor: the parent, the column's title and the text; the edited text, or
  // nothing when the user cancelled.
  using MemoEditing = std::function<std::optional<QString>(QWidget* parent, const QString& title,
                                                           const QString& text)>;

  ActionGrid(ActionTableModel* model, CellColors colors, GridOptions options,
             QWidget* parent = nullptr);

  ActionTableModel* actionModel() const { return model_; }
  const GridOptions& options() const { return options_; }
  void SetMemoEditing(MemoEditing editing) { memo_editing_ = std::move(editing); }
  // The width of `characters` characters of the grid's font, as a column's width.
  int CharactersWidth(int characters) const;
  // Opens the memo editor on a memo cell and stores the edited text; false when the cell
  // is no memo cell or its editor is disabled.
  bool OpenMemoEditor(const QModelIndex& index);

 signals:
  // The user asked to delete this row (Ctrl+Delete).
  void deleteRowRequested(int row);

 protected:
  bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

 private:
  void ApplyColumns();
  void FollowList(int row);

  ActionTableModel* model_;
  CellColors colors_;
  GridOptions options_;
  MemoEditing memo_editing_;
  bool following_ = false;
};

}  // namespace ui

#endif  // SKARNVEL_UI_ACTION_GRID_H_
