// skarnvel: the desktop program.
#include <QApplication>

#include "ui/program_start.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  ui::UseRussianToolkitTexts();
  ui::ProgramWindows windows = ui::CreateProgramWindows(ui::EnvironmentOfThisProgram());
  windows.Form1->showMaximized();
  return QApplication::exec();
}
