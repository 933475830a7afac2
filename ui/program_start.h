// The program's windows, created in their order: the main window TForm1, then the query
// result dialog TfQRes, then the About dialog TFormAbout, which reads the main window's
// caption. The dialogs live as long as the main window and are shown modally when asked for.
#ifndef SKARNVEL_UI_PROGRAM_START_H_
#define SKARNVEL_UI_PROGRAM_START_H_

#include <memory>

#include "ui/about.h"
#include "ui/unit1.h"
#include "ui/uqres.h"

namespace ui {

struct ProgramWindows {
  std::unique_ptr<TForm1> Form1;
  std::unique_ptr<TfQRes> fQRes;
  std::unique_ptr<TFormAbout> FormAbout;

  ProgramWindows() = default;
  ProgramWindows(ProgramWindows&&) = default;
  ProgramWindows& operator=(ProgramWindows&& other);
  ~ProgramWindows();  // the dialogs go before the main window
};

ProgramWindows CreateProgramWindows(FormEnvironment environment);

// The running program's location (its folder and file name) and its arguments.
FormEnvironment EnvironmentOfThisProgram();

// Loads Qt's own Russian texts (file dialogs, edit menus) when they are installed.
void UseRussianToolkitTexts();

}  // namespace ui

#endif  // SKARNVEL_UI_PROGRAM_START_H_
