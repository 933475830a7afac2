// The message pane `Tablo`: the coloured lines that runs and run-all append, kept for the
// life of the workbench (nothing clears it) and written whole into the log file.
#ifndef SKARNVEL_ACTIONS_MESSAGE_PANE_H_
#define SKARNVEL_ACTIONS_MESSAGE_PANE_H_

#include <string>
#include <vector>

namespace actions {

// The colours of the pane's lines. The window maps the first two to the system's
// window-text and grey-text colours; the log file writes them as black, grey (128, 128,
// 128) and red (255, 0, 0).
enum class MessageColor { kWindowText, kGrayText, kRed };

struct PaneLine {
  std::string text;  // UTF-8; may hold line breaks of its own (a two-statement command)
  MessageColor color = MessageColor::kWindowText;

  friend bool operator==(const PaneLine&, const PaneLine&) = default;
};

using MessagePane = std::vector<PaneLine>;

}  // namespace actions

#endif  // SKARNVEL_ACTIONS_MESSAGE_PANE_H_
