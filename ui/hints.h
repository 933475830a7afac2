// How long a hint stays visible: the toolkit's own time until the window sets the
// program's hint hide pause at start.
#ifndef SKARNVEL_UI_HINTS_H_
#define SKARNVEL_UI_HINTS_H_

class QHelpEvent;
class QRect;
class QString;
class QWidget;

namespace ui {

// The hint hide pause the window sets at start, in milliseconds.
inline constexpr int kHintHidePause = 60000;

// The pause in milliseconds, or -1 for the toolkit's own time.
int HintHidePause();
void SetHintHidePause(int milliseconds);

// Shows `text` as the hint of `widget` at the event's position for the hint hide pause;
// `area` is where the hint belongs (an empty rectangle for the whole widget).
void ShowHint(const QHelpEvent& event, const QString& text, QWidget* widget, const QRect& area);

}  // namespace ui

#endif  // SKARNVEL_UI_HINTS_H_
