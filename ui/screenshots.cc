// skarnvel-screenshots OUTDIR: renders what the user sees to PNG files in OUTDIR: the main
// window on each page with its lists filled from the sample databases (samples/), the query
// result dialog and the About dialog. Meant for the offscreen platform
// (QT_QPA_PLATFORM=offscreen); the sample databases are copied into a temporary program
// folder, so nothing under samples/ changes. Questions are answered Yes.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPixmap>
#include <QTemporaryDir>
#include <cstdio>
#include <string>

#include "actions/list_file.h"
#include "engine/result_texts.h"
#include "ui/page_control.h"
#include "ui/program_start.h"
#include "ui/qt_text.h"
#include "ui/settings.h"

#ifndef SKARNVEL_SOURCE_DIR
#define SKARNVEL_SOURCE_DIR "."
#endif

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 760;

class YesToEverything : public actions::Interaction {
 public:
  actions::Answer Ask(actions::Question, const std::string&, const std::string&) override {
    return actions::Answer::kYes;
  }
  void Notify(actions::Notice, const std::string& text) override {
    std::fprintf(stderr, "%s\n", text.c_str());
  }
  void ShowError(const std::string& text) override {
    std::fprintf(stderr, "error: %s\n", text.c_str());
  }
  void SetBusy(bool) override {}
  void Focus(actions::FocusTarget) override {}
};

bool Save(QWidget* widget, const QString& folder, const QString& name) {
  QApplication::processEvents();
  const QString path = QDir(folder).filePath(name);
  if (!widget->grab().save(path, "PNG")) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
  }
  std::printf("%s\n", qPrintable(path));
  return true;
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: skarnvel-screenshots OUTDIR [SAMPLES_DIR]\n");
    return 2;
  }
  // Absolute, because the window finds relative database paths in the program's folder.
  const QString out = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
  const QString samples = QDir(argc > 2 ? QString::fromLocal8Bit(argv[2])
                                        : QStringLiteral(SKARNVEL_SOURCE_DIR "/samples"))
                              .absolutePath();
  QDir().mkpath(out);
  ui::UseRussianToolkitTexts();

  QTemporaryDir program;
  if (!program.isValid() ||
      !QFile::copy(samples + QStringLiteral("/work.skdb"), program.filePath("work.skdb")) ||
      !QFile::copy(samples + QStringLiteral("/new.skdb"), program.filePath("new.skdb"))) {
    std::fprintf(stderr, "cannot copy the sample databases from %s\n", qPrintable(samples));
    return 1;
  }
  ui::Settings settings;
  settings.Path1 = "work.skdb";
  settings.Path2 = "new.skdb";
  settings.cbRenameField = true;
  settings.rgRenameField = 2;
  const std::string folder = ui::S(program.path());
  ui::WriteSettings(folder + "/skarnvel.ini", settings);

  YesToEverything person;
  ui::FormEnvironment environment;
  environment.program = {folder, "skarnvel"};
  environment.interaction = &person;
  environment.debug_database = folder + "/work.skdb";
  ui::ProgramWindows windows = ui::CreateProgramWindows(environment);
  ui::TForm1& form = *windows.Form1;
  actions::Workbench& wb = form.workbench();
  form.resize(kWidth, kHeight);
  form.show();

  // Saved table actions preloaded before the comparison are shaded.
  wb.bCompareClick();
  actions::SaveList(wb.qT(), wb.FileT());
  // A run of the relation list writes lines into the message pane.
  wb.bfkCompareClick();
  wb.bRunClick(actions::Sender::bfkRun);
  wb.SetPre(true);
  wb.bCompareAllClick();
  QFile::copy(samples + QStringLiteral("/work.skdb"), program.filePath("work.skdb"));

  bool ok = true;
  const char* pages[] = {"main-tables.png", "main-indexes.png", "main-relations.png",
                         "main-queries.png"};
  for (int page = 0; page < 4; ++page) {
    form.PageControl1()->setCurrentIndex(page);
    if (ui::ActionGrid* grid = form.grid(static_cast<actions::ListId>(page))) {
      grid->setFocus();
      if (grid->model()->rowCount() > 1) grid->setCurrentIndex(grid->model()->index(1, 1));
    }
    ok = Save(&form, out, QString::fromLatin1(pages[page])) && ok;
  }

  actions::ActionList& qQ = wb.qQ();
  if (qQ.IsOpen() && qQ.Locate("Result", {std::string(uAlg::kChangedQueryText)})) {
    windows.fQRes->show();
    ok = Save(windows.fQRes.get(), out, QStringLiteral("query-dialog.png")) && ok;
    windows.fQRes->hide();
  }
  windows.FormAbout->show();
  ok = Save(windows.FormAbout.get(), out, QStringLiteral("about.png")) && ok;
  windows.FormAbout->hide();
  return ok ? 0 : 1;
}
