// How a grid draws its cells. Every cell asks the window's cell-colour callback
// (gTCalcCellColors) for its font and background; text cells may wrap their words and show
// their whole text as a hint when it is cut off. The tick column is drawn as a check box
// toggled by one click (or the space key); memo cells wrap their words and are edited in the
// memo editor the grid opens, not in the cell.
#ifndef SKARNVEL_UI_CELL_DELEGATE_H_
#define SKARNVEL_UI_CELL_DELEGATE_H_

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QStyledItemDelegate>
#include <functional>

#include "ui/action_table_model.h"

namespace ui {

// The cell-colour callback: the grid's model, the row (from 0), the column being drawn,
// whether the cell is highlighted, and the cell's font, font colour and background, which
// it may change.
using CellColors = std::function<void(const ActionTableModel& model, int row,
                                      const ActionTableModel::ViewColumn& column, bool highlighted,
                                      QFont& font, QColor& font_color, QBrush& background)>;

struct CellOptions {
  bool word_wrap = true;      // text cells wrap their words (memo cells always do)
  bool cut_off_hints = true;  // a cut-off cell shows its whole text as a hint
};

class CellDelegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  CellDelegate(CellColors colors, CellOptions options, QObject* parent = nullptr);

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
  bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                 const QModelIndex& index) override;
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override;

  // Whether the cell's whole text does not fit into it.
  bool IsCutOff(const QStyleOptionViewItem& option, const QModelIndex& index,
                const QWidget* view) const;

 protected:
  // The cell's look: the model's data, then the colour callback.
  QStyleOptionViewItem Prepared(const QStyleOptionViewItem& option, const QModelIndex& index) const;
  virtual bool Wraps() const { return options_.word_wrap; }

 private:
  CellColors colors_;
  CellOptions options_;
};

class TickBoxDelegate : public CellDelegate {
  Q_OBJECT

 public:
  using CellDelegate::CellDelegate;

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
  bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;
  QWidget* createEditor(QWidget*, const QStyleOptionViewItem&, const QModelIndex&) const override {
    return nullptr;
  }
};

class MemoDelegate : public CellDelegate {
  Q_OBJECT

 public:
  using CellDelegate::CellDelegate;

  QWidget* createEditor(QWidget*, const QStyleOptionViewItem&, const QModelIndex&) const override {
    return nullptr;
  }

 protected:
  bool Wraps() const override { return true; }
};

}  // namespace ui

#endif  // SKARNVEL_UI_CELL_DELEGATE_H_
