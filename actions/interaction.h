// How the workbench talks to a person. Every question, notice, error box, focus change
// and busy cursor goes through this interface; the window, the command line and the
// tests each implement it. Texts are UTF-8; "\r" inside a text is a line break as the
// message box shows it.
//
// Every question and notice carries its kind, named where it is asked. Whoever answers
// (a person, the command line's options, an unattended run, a test) decides by the kind;
// the caption and text are for showing only.
#ifndef SKARNVEL_ACTIONS_INTERACTION_H_
#define SKARNVEL_ACTIONS_INTERACTION_H_

#include <string>

namespace actions {

enum class Answer { kYes, kNo, kCancel };

// What a question asks.
enum class Question {
  kRunAll,          // execute the ticked actions against the working database?
  kDataLoss,        // ticked actions would lose data: run them too (Yes) or run the others
                    // without them (No)?
  kBackupCopy,      // make a backup copy of the working database first?
  kDropRelations,   // relations stand in the way of a row: drop them and go on (Yes), keep
                    // them and go on (No), or stop the run (Cancel)?
  kRowFailed,       // a row of a table, index or relation run failed: go on with the next?
  kQueryRowFailed,  // a row of the query run failed: go on with the next?
  kSaveLists,       // save the comparison results into the list files?
  kDeleteRow,       // delete a row of a list?
};

// Whether a question of this kind offers Cancel besides Yes and No.
constexpr bool OffersCancel(Question question) { return question == Question::kDropRelations; }

// What a notice tells.
enum class Notice {
  kMissingDatabase,  // a database named in the paths does not exist; nothing was compared
  kBackupFailed,     // the backup copy could not be made; nothing was executed
  kChangesDone,      // run-all has finished
};

// The edit boxes a message may send the keyboard focus to.
enum class FocusTarget { kPath1, kPath2 };

class Interaction {
 public:
  virtual ~Interaction() = default;

  // A modal question with the question icon: buttons Yes and No, and Cancel when the
  // question offers it. Closing the box without a button counts as No (Cancel when
  // offered).
  virtual Answer Ask(Question question, const std::string& caption, const std::string& text) = 0;

  // A plain notice with an OK button.
  virtual void Notify(Notice notice, const std::string& text) = 0;

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
