#include "ui/hints.h"

#include <QHelpEvent>
#include <QRect>
#include <QString>
#include <QToolTip>
#include <QWidget>

namespace ui {
namespace {

int hint_hide_pause = -1;

}  // namespace

int HintHidePause() { return hint_hide_pause; }

void SetHintHidePause(int milliseconds) { hint_hide_pause = milliseconds; }

void ShowHint(const QHelpEvent& event, const QString& text, QWidget* widget, const QRect& area) {
  QToolTip::showText(event.globalPos(), text, widget, area, hint_hide_pause);
}

}  // namespace ui
