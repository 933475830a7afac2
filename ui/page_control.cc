#include "ui/page_control.h"

#include <QPainter>
#include <QStyleOptionTab>
#include <QStylePainter>

#include "actions/presentation.h"
#include "ui/qt_text.h"

namespace ui {
namespace {

// Pure red, as the system draws it.
const QColor kCountedCaption(255, 0, 0);

}  // namespace

PageTabBar::PageTabBar(QWidget* parent) : QTabBar(parent) {
  setExpanding(false);
  setElideMode(Qt::ElideNone);
  setUsesScrollButtons(true);
}

void PageTabBar::setOwnerDraw(bool on) {
  owner_draw_ = on;
  update();
}

QSize PageTabBar::tabSizeHint(int index) const {
  QSize size = QTabBar::tabSizeHint(index);
  size.setWidth(kTabWidth);
  return size;
}

QColor PageTabBar::CaptionColor(int index) const {
  return actions::TabCaptionMarked(S(tabText(index))) ? kCountedCaption
                                                      : palette().color(QPalette::WindowText);
}

QRect PageTabBar::CaptionRect(int index) const {
  const QRect tab = tabRect(index);
  const QFontMetrics metrics(font());
  const int width = metrics.horizontalAdvance(tabText(index));
  const int height = metrics.height();
  // Halves rounded towards zero, as integer division does.
  const int left = tab.left() + (tab.width() / 2 - width / 2);
  const int top = tab.top() + (tab.height() / 2 - height / 2);
  return QRect(left, top, width, height);
}

void PageTabBar::PageControl1DrawTab(QPainter& painter, int index) const {
  const QRect tab = tabRect(index);
  painter.save();
  painter.setClipRect(tab);
  painter.setFont(font());
  painter.setPen(CaptionColor(index));
  painter.drawText(CaptionRect(index), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                   tabText(index));
  painter.restore();
}

void PageTabBar::paintEvent(QPaintEvent* event) {
  if (!owner_draw_) {
    QTabBar::paintEvent(event);
    return;
  }
  QStylePainter painter(this);
  // The current tab last, so that it overlaps its neighbours as the style means it to.
  QList<int> order;
  for (int i = 0; i < count(); ++i) {
    if (i != currentIndex()) order << i;
  }
  if (currentIndex() >= 0) order << currentIndex();
  for (int i : order) {
    if (!isTabVisible(i)) continue;
    QStyleOptionTab option;
    initStyleOption(&option, i);
    option.text.clear();
    painter.drawControl(QStyle::CE_TabBarTabShape, option);
    PageControl1DrawTab(painter, i);
  }
}

PageControl::PageControl(QWidget* parent) : QTabWidget(parent), bar_(new PageTabBar(this)) {
  setTabBar(bar_);
}

}  // namespace ui
