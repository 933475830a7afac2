// The pictures of the main window's small buttons, drawn in a few strokes.
#ifndef SKARNVEL_UI_ICONS_H_
#define SKARNVEL_UI_ICONS_H_

#include <QIcon>

namespace ui::icons {

QIcon MarkAll();         // a ticked box
QIcon UnmarkAll();       // an empty box
QIcon InvertMarks();     // a box, half ticked
QIcon DeleteUnmarked();  // a red cross beside an empty box
QIcon FirstRow();
QIcon LastRow();
QIcon PostRow();       // a tick
QIcon SaveSettings();  // a disk

}  // namespace ui::icons

#endif  // SKARNVEL_UI_ICONS_H_
