#include "ui/program_start.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "ui/qt_text.h"

#ifndef SKARNVEL_DEBUG_DATABASE
#define SKARNVEL_DEBUG_DATABASE ""
#endif

namespace ui {

ProgramWindows& ProgramWindows::operator=(ProgramWindows&& other) {
  if (this != &other) {
    FormAbout.reset();
    fQRes.reset();
    Form1 = std::move(other.Form1);
    fQRes = std::move(other.fQRes);
    FormAbout = std::move(other.FormAbout);
  }
  return *this;
}

ProgramWindows::~ProgramWindows() {
  FormAbout.reset();
  fQRes.reset();
  Form1.reset();
}

ProgramWindows CreateProgramWindows(FormEnvironment environment) {
  ProgramWindows windows;
  const QString folder = Q(environment.program.folder);
  windows.Form1 = std::make_unique<TForm1>(std::move(environment));
  windows.fQRes = std::make_unique<TfQRes>(windows.Form1->workbench().qQ(), windows.Form1.get());
  windows.FormAbout =
      std::make_unique<TFormAbout>(windows.Form1->windowTitle(), folder, windows.Form1.get());
  windows.Form1->SetDialogs(windows.fQRes.get(), windows.FormAbout.get());
  return windows;
}

FormEnvironment EnvironmentOfThisProgram() {
  FormEnvironment environment;
  environment.program.folder = S(QCoreApplication::applicationDirPath());
  environment.program.name = S(QFileInfo(QCoreApplication::applicationFilePath()).fileName());
  QStringList arguments = QCoreApplication::arguments();
  if (!arguments.isEmpty()) arguments.removeFirst();
  environment.arguments = arguments;
  environment.debug_database = SKARNVEL_DEBUG_DATABASE;
  return environment;
}

void UseRussianToolkitTexts() {
  auto* translator = new QTranslator(QCoreApplication::instance());
  if (translator->load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QCoreApplication::installTranslator(translator);
  } else {
    delete translator;
  }
}

}  // namespace ui
