// How the workbench talks to a person. Every question, notice, error box, focus change
// and busy cursor goes through this interface; the window, the command line and the
// tests each implement it. Texts are UTF-8; "\r" inside a text is a line break as the
// message box shows it.
#ifndef SKARNVEL_ACTIONS_INTERACTION_H_
#define SKARNVEL_ACTIONS_INTERACTION_H_

#include <string>

namespace actions {

enum class Answer { kYes, kNo, kCancel };

// The edit boxes a message may send the keyboard focus to.
enum class FocusTarget { kPath1, kPath2 };

class Interaction {
 public:
  virtual ~Interaction() = default;

  // A modal question with the question icon: buttons Yes and No, or Yes, No and Cancel
  // when `with_cancel`. Closing the box without a button counts as No (Cancel when offered).
  virtual Answer Ask(const std::string& caption, const std::string& text, bool with_cancel) = 0;

  // A plain notice with an OK button.
  virtual void Notify(const std::string& text) = 0;

  // The application's general error handler: a box with the error's text.
  virtual void ShowError(const std::string& text) = 0;

  // The busy (hourglass) cursor for the whole application, on or off.
  virtual void SetBusy(bool busy) = 0;

  virtual void Focus(FocusTarget target) = 0;

  // Progress of long work, for a person watching; may be ignored.
  virtual void Progress(const std::string& /*text*/) {}
};

}  // namespace actions

#endif  // SKARNVEL_ACTIONS_INTERACTION_H_
