#include "ui/action_grid.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <exception>

#include "actions/presentation.h"
#include "ui/memo_editor.h"
#include "ui/qt_text.h"

namespace ui {
namespace {

// Pixels a column keeps beside its text, and the width of the row indicator.
constexpr int kColumnPadding = 4;
constexpr int kIndicatorWidth = 14;
constexpr int kRowPadding = 3;

}  // namespace

ActionGrid::ActionGrid(ActionTableModel* model, CellColors colors, GridOptions options,
                       QWidget* parent)
    : QTableView(parent),
      model_(model),
      colors_(std::move(colors)),
      options_(options),
      memo_editing_(&MemoEditor::Edit) {
  setModel(model_);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setTabKeyNavigation(true);
  setShowGrid(true);
  setWordWrap(true);
  setCornerButtonEnabled(false);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  EditTriggers triggers = QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed |
                          QAbstractItemView::AnyKeyPressed;
  if (options_.double_click_edits) triggers |= QAbstractItemView::DoubleClicked;
  setEditTriggers(triggers);

  QHeaderView* titles = horizontalHeader();
  titles->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  titles->setSectionResizeMode(QHeaderView::Interactive);
  titles->setStretchLastSection(false);
  titles->setHighlightSections(false);
  titles->setSectionsClickable(false);
  titles->setTextElideMode(Qt::ElideNone);

  QHeaderView* indicator = verticalHeader();
  indicator->setSectionResizeMode(QHeaderView::Fixed);
  indicator->setDefaultSectionSize(fontMetrics().height() * options_.text_lines + kRowPadding * 2);
  indicator->setDefaultAlignment(Qt::AlignCenter);
  indicator->setFixedWidth(kIndicatorWidth);
  indicator->setHighlightSections(false);
  indicator->setSectionsClickable(false);

  connect(model_, &ActionTableModel::columnsChanged, this, &ActionGrid::ApplyColumns);
  connect(model_, &ActionTableModel::currentRowChanged, this, &ActionGrid::FollowList);
  ApplyColumns();
}

int ActionGrid::CharactersWidth(int characters) const {
  return characters * fontMetrics().horizontalAdvance(QLatin1Char('0')) + kColumnPadding;
}

void ActionGrid::ApplyColumns() {
  const auto& columns = model_->view_columns();
  for (int section = 0; section < static_cast<int>(columns.size()); ++section) {
    const ActionTableModel::ViewColumn& column = columns[section];
    QAbstractItemDelegate* old = itemDelegateForColumn(section);
    CellDelegate* delegate = nullptr;
    switch (column.kind) {
      case actions::ColumnKind::kBoolean:
        delegate = new TickBoxDelegate(colors_, options_.cells, this);
        break;
      case actions::ColumnKind::kMemo:
        delegate = new MemoDelegate(colors_, options_.cells, this);
        break;
      case actions::ColumnKind::kString:
        delegate = new CellDelegate(colors_, options_.cells, this);
        break;
    }
    setItemDelegateForColumn(section, delegate);
    delete old;
    setColumnWidth(section, CharactersWidth(column.width));
  }
  // Sections past the columns keep no delegate of an earlier column set.
  for (int section = static_cast<int>(columns.size()); itemDelegateForColumn(section) != nullptr;
       ++section) {
    QAbstractItemDelegate* old = itemDelegateForColumn(section);
    setItemDelegateForColumn(section, nullptr);
    delete old;
  }
}

void ActionGrid::FollowList(int row) {
  if (following_ || row < 0 || row >= model_->rowCount()) return;
  if (currentIndex().row() == row) return;
  following_ = true;
  const int column = currentIndex().isValid() ? currentIndex().column() : 0;
  setCurrentIndex(model_->index(row, column));
  scrollTo(currentIndex());
  following_ = false;
}

void ActionGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  QTableView::currentChanged(current, previous);
  if (following_ || !current.isValid()) return;
  actions::ActionList& list = model_->list();
  try {
    if (list.IsOpen() && (list.CurrentRow() != current.row() || list.AtEnd())) {
      following_ = true;
      list.GoTo(current.row());
    }
  } catch (const std::exception&) {
    // A row that went away meanwhile: the list keeps its cursor.
  }
  following_ = false;
}

bool ActionGrid::OpenMemoEditor(const QModelIndex& index) {
  if (!index.isValid() || index.column() >= model_->columnCount()) return false;
  const ActionTableModel::ViewColumn& column = model_->view_columns()[index.column()];
  if (column.kind != actions::ColumnKind::kMemo || !options_.memo_editor) return false;
  const std::string original = model_->Text(index.row(), column.name);
  const std::optional<QString> edited =
      memo_editing_(this, column.title, Q(actions::EditorText(original)));
  if (!edited) return true;
  const std::string stored = actions::StoredText(S(*edited), original);
  if (stored != original) model_->setData(index, Q(stored), Qt::EditRole);
  return true;
}

bool ActionGrid::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
  if (index.isValid() && index.column() < model_->columnCount() &&
      model_->view_columns()[index.column()].kind == actions::ColumnKind::kMemo) {
    if ((trigger == QAbstractItemView::DoubleClicked && options_.double_click_edits) ||
        trigger == QAbstractItemView::EditKeyPressed) {
      return OpenMemoEditor(index);
    }
    if (trigger != QAbstractItemView::NoEditTriggers) return false;
  }
  return QTableView::edit(index, trigger, event);
}

void ActionGrid::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Delete && (event->modifiers() & Qt::ControlModifier) &&
      state() != QAbstractItemView::EditingState) {
    if (currentIndex().isValid()) emit deleteRowRequested(currentIndex().row());
    event->accept();
    return;
  }
  QTableView::keyPressEvent(event);
}

}  // namespace ui
