#include "ui/icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <functional>

namespace ui::icons {
namespace {

constexpr int kSize = 16;
const QColor kInk(40, 40, 40);
const QColor kTick(0, 128, 0);
const QColor kCross(200, 0, 0);
const QColor kArrow(0, 70, 160);

QIcon Drawn(const std::function<void(QPainter&)>& draw) {
  QPixmap pixmap(kSize, kSize);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  draw(painter);
  return QIcon(pixmap);
}

void Box(QPainter& p, const QRect& r) {
  p.setPen(QPen(kInk, 1));
  p.setBrush(Qt::white);
  p.drawRect(r);
}

void Tick(QPainter& p, const QRect& r) {
  p.setPen(QPen(kTick, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  QPainterPath path;
  path.moveTo(r.left() + 2, r.center().y());
  path.lineTo(r.left() + r.width() / 2 - 1, r.bottom() - 2);
  path.lineTo(r.right() - 1, r.top() + 2);
  p.setBrush(Qt::NoBrush);
  p.drawPath(path);
}

}  // namespace

QIcon MarkAll() {
  return Drawn([](QPainter& p) {
    Box(p, QRect(2, 2, 12, 12));
    Tick(p, QRect(2, 2, 12, 12));
  });
}

QIcon UnmarkAll() {
  return Drawn([](QPainter& p) { Box(p, QRect(2, 2, 12, 12)); });
}

QIcon InvertMarks() {
  return Drawn([](QPainter& p) {
    Box(p, QRect(2, 2, 12, 12));
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    QPainterPath half;
    half.moveTo(14, 2);
    half.lineTo(14, 14);
    half.lineTo(2, 14);
    half.closeSubpath();
    p.drawPath(half);
  });
}

QIcon DeleteUnmarked() {
  return Drawn([](QPainter& p) {
    Box(p, QRect(1, 5, 9, 9));
    p.setPen(QPen(kCross, 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(8, 1, 15, 8);
    p.drawLine(15, 1, 8, 8);
  });
}

QIcon FirstRow() {
  return Drawn([](QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(kArrow);
    p.drawRect(3, 3, 2, 10);
    QPainterPath arrow;
    arrow.moveTo(13, 3);
    arrow.lineTo(13, 13);
    arrow.lineTo(6, 8);
    arrow.closeSubpath();
    p.drawPath(arrow);
  });
}

QIcon LastRow() {
  return Drawn([](QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(kArrow);
    p.drawRect(11, 3, 2, 10);
    QPainterPath arrow;
    arrow.moveTo(3, 3);
    arrow.lineTo(3, 13);
    arrow.lineTo(10, 8);
    arrow.closeSubpath();
    p.drawPath(arrow);
  });
}

QIcon PostRow() {
  return Drawn([](QPainter& p) { Tick(p, QRect(1, 2, 14, 12)); });
}

QIcon SaveSettings() {
  return Drawn([](QPainter& p) {
    p.setPen(QPen(kInk, 1));
    p.setBrush(kArrow);
    p.drawRect(2, 2, 12, 12);
    p.setBrush(Qt::white);
    p.drawRect(4, 2, 8, 5);
    p.setBrush(QColor(200, 200, 200));
    p.drawRect(5, 10, 6, 4);
  });
}

}  // namespace ui::icons
