#include "ui/cell_delegate.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include "actions/action_list.h"
#include "ui/hints.h"

namespace ui {
namespace {

QStyle* StyleOf(const QWidget* widget) {
  return widget != nullptr ? widget->style() : QApplication::style();
}

}  // namespace

CellDelegate::CellDelegate(CellColors colors, CellOptions options, QObject* parent)
    : QStyledItemDelegate(parent), colors_(std::move(colors)), options_(options) {}

QStyleOptionViewItem CellDelegate::Prepared(const QStyleOptionViewItem& option,
                                            const QModelIndex& index) const {
  QStyleOptionViewItem opt = option;
  initStyleOption(&opt, index);
  opt.textElideMode = Qt::ElideNone;
  if (Wraps()) opt.features |= QStyleOptionViewItem::WrapText;
  opt.displayAlignment = Qt::AlignLeft | Qt::AlignTop;
  const auto* model = qobject_cast<const ActionTableModel*>(index.model());
  if (colors_ && model != nullptr && index.column() < model->columnCount()) {
    QFont font = opt.font;
    QColor font_color = opt.palette.color(QPalette::Text);
    QBrush background = opt.backgroundBrush;
    const bool highlighted = (opt.state & QStyle::State_Selected) != 0;
    colors_(*model, index.row(), model->view_columns()[index.column()], highlighted, font,
            font_color, background);
    opt.font = font;
    opt.fontMetrics = QFontMetrics(font);
    opt.palette.setColor(QPalette::Text, font_color);
    opt.backgroundBrush = background;
  }
  return opt;
}

void CellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const {
  const QStyleOptionViewItem opt = Prepared(option, index);
  StyleOf(opt.widget)->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);
}

bool CellDelegate::IsCutOff(const QStyleOptionViewItem& option, const QModelIndex& index,
                            const QWidget* view) const {
  const QStyleOptionViewItem opt = Prepared(option, index);
  if (opt.text.isEmpty()) return false;
  const QRect area = StyleOf(view)->subElementRect(QStyle::SE_ItemViewItemText, &opt, view);
  // The style keeps a margin on each side of the text.
  const int margin = StyleOf(view)->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1;
  const int width = std::max(1, area.width() - 2 * margin);
  const int flags = Wraps() ? Qt::TextWordWrap : Qt::TextSingleLine;
  const QRect needed = opt.fontMetrics.boundingRect(QRect(0, 0, width, 1 << 20), flags, opt.text);
  return needed.width() > width || needed.height() > area.height() ||
         (!Wraps() && opt.text.contains(QLatin1Char('\n')));
}

bool CellDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                             const QStyleOptionViewItem& option, const QModelIndex& index) {
  if (event == nullptr || view == nullptr || event->type() != QEvent::ToolTip) {
    return QStyledItemDelegate::helpEvent(event, view, option, index);
  }
  if (!options_.cut_off_hints || !index.isValid() || !IsCutOff(option, index, view)) {
    QToolTip::hideText();
    return true;
  }
  ShowHint(*event, index.data(Qt::DisplayRole).toString(), view->viewport(),
           view->visualRect(index));
  return true;
}

QWidget* CellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const {
  QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
  // As long as the widest string column (a name); the list cuts a value to its column.
  if (auto* line = qobject_cast<QLineEdit*>(editor)) line->setMaxLength(actions::kNameWidth);
  return editor;
}

void TickBoxDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
  QStyleOptionViewItem opt = Prepared(option, index);
  const bool ticked = index.data(Qt::CheckStateRole).value<Qt::CheckState>() == Qt::Checked;
  opt.text.clear();
  opt.features &= ~QStyleOptionViewItem::HasCheckIndicator;
  QStyle* style = StyleOf(opt.widget);
  style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);
  QStyleOptionViewItem check = opt;
  check.state &= ~(QStyle::State_On | QStyle::State_Off);
  check.state |= ticked ? QStyle::State_On : QStyle::State_Off;
  const QSize size(style->pixelMetric(QStyle::PM_IndicatorWidth, &opt, opt.widget),
                   style->pixelMetric(QStyle::PM_IndicatorHeight, &opt, opt.widget));
  check.rect = QStyle::alignedRect(opt.direction, Qt::AlignHCenter | Qt::AlignTop, size,
                                   opt.rect.adjusted(0, 2, 0, 0));
  style->drawPrimitive(QStyle::PE_IndicatorItemViewItemCheck, &check, painter, opt.widget);
}

bool TickBoxDelegate::editorEvent(QEvent* event, QAbstractItemModel* model,
                                  const QStyleOptionViewItem& option, const QModelIndex& index) {
  if (!(index.flags() & Qt::ItemIsEditable) || !(index.flags() & Qt::ItemIsEnabled)) return false;
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
      return static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
    case QEvent::MouseButtonRelease: {
      const auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->button() != Qt::LeftButton || !option.rect.contains(mouse->position().toPoint())) {
        return false;
      }
      break;
    }
    case QEvent::KeyPress:
      if (static_cast<QKeyEvent*>(event)->key() != Qt::Key_Space) return false;
      break;
    default:
      return false;
  }
  const bool ticked = index.data(Qt::CheckStateRole).value<Qt::CheckState>() == Qt::Checked;
  return model->setData(index, ticked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
}

}  // namespace ui
