// The main window over a workbench with scripted databases and a scripted person: controls
// and texts, enabled states, tabs, cell colours, the wheel, the pickers, settings and the
// saved lists at start, the unattended run (also over real Access files), the grids' tick
// box and row deletion.
#include "ui/unit1.h"

#include <unistd.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextBlock>
#include <QTextEdit>
#include <QToolButton>
#include <QToolTip>
#include <QtTest>
#include <filesystem>
#include <memory>

#include "actions/file_io.h"
#include "actions/list_file.h"
#include "actions/rtf_log.h"
#include "actions/workbench_testing.h"
#include "actions/workbench_texts.h"
#include "dbaccess/base/temp_folder_testing.h"
#include "dbaccess/base/testdata_testing.h"
#include "engine/result_texts.h"
#include "ui/data_check_model.h"
#include "ui/hints.h"
#include "ui/page_control.h"
#include "ui/program_start.h"
#include "ui/qt_text.h"
#include "ui/settings.h"
#include "ui/ui_texts.h"

namespace ui {
namespace {

using actions::ListId;

std::string Str(std::string_view text) { return std::string(text); }

uAlg::TResult TableResult(const std::string& table, const std::string& field,
                          std::string_view result, const std::string& sql) {
  return {table, field, "", {}, {}, std::string(result), sql, {}};
}

}  // namespace

class Unit1Test : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<dbaccess::testing::TempFolder> folder_;
  std::unique_ptr<actions::FakeDatabase> db_;
  std::unique_ptr<actions::FakeAccess> access_;
  std::unique_ptr<actions::ScriptedInteraction> person_;
  ProgramWindows windows_;
  std::string start_dir_;

  // The program's windows over the scripted databases, in the temporary program folder.
  TForm1& Create(QStringList arguments = {}) {
    FormEnvironment environment;
    environment.debug_database = SKARNVEL_SOURCE_DIR "/samples/work.skdb";
    environment.program = {folder_->path(), "skarnvel"};
    environment.arguments = arguments;
    environment.access = access_.get();
    environment.interaction = person_.get();
    windows_ = CreateProgramWindows(environment);
    return *windows_.Form1;
  }
  TForm1& form() { return *windows_.Form1; }
  template <typename T>
  T* Child(const char* name) {
    T* child = form().findChild<T*>(QString::fromLatin1(name));
    if (child == nullptr) qFatal("no control %s", name);
    return child;
  }
  // Both databases exist beside the program and the settings name them.
  void UseBothDatabases() {
    folder_->Write("work.mdb", "w");
    folder_->Write("new.mdb", "n");
    Settings settings;
    settings.Path1 = "work.mdb";
    settings.Path2 = "new.mdb";
    WriteSettings(folder_->File("skarnvel.ini"), settings);
  }
  void AddRows(actions::ActionList& list, int count) {
    for (int i = 0; i < count; ++i) {
      list.AppendRow({{"V", dbaccess::Variant::Boolean(true)},
                      {"Result", dbaccess::Variant::Text(Str(uAlg::kNewField))}});
    }
  }

 private slots:
  void init() {
    start_dir_ = std::filesystem::current_path().string();
    folder_ = std::make_unique<dbaccess::testing::TempFolder>();
    db_ = std::make_unique<actions::FakeDatabase>();
    access_ = std::make_unique<actions::FakeAccess>(*db_);
    person_ = std::make_unique<actions::ScriptedInteraction>();
  }

  void cleanup() {
    windows_ = ProgramWindows();
    std::filesystem::current_path(start_dir_);
    folder_.reset();
    SetHintHidePause(-1);
  }

  void controlsAndTextsOfTheLayout() {
    TForm1& f = Create();
    QCOMPARE(f.windowTitle(), Q(texts::kCaption));
    QCOMPARE(Child<QLabel>("Label1")->text(), Q(texts::kLabel1));
    QCOMPARE(Child<QLabel>("Label3")->text(), Q(texts::kPasswordLabel));
    QCOMPARE(Child<QToolButton>("bPath1")->toolTip(), Q(texts::kPathButtonHint));
    QCOMPARE(Child<QLineEdit>("Path1")->geometry(), QRect(36, 32, 389, 21));
    QCOMPARE(Child<QLineEdit>("Pwd2")->geometry(), QRect(480, 76, 113, 21));
    QCOMPARE(Child<QLineEdit>("Pwd1")->echoMode(), QLineEdit::Normal);
    QCOMPARE(Child<QCheckBox>("cbRefresh")->text(),
             QStringLiteral("Обновлять список изменений\nв индексах и связях"));
    QCOMPARE(Child<QCheckBox>("cbRefresh")->toolTip(), Shown(texts::kCbRefreshHint));
    QVERIFY(Child<QCheckBox>("cbRefresh")->isChecked());
    QVERIFY(!Child<QCheckBox>("cbPre")->isChecked());
    QVERIFY(!Child<QCheckBox>("cbRenameField")->isChecked());
    QVERIFY(Child<QRadioButton>("rgRenameField0")->isChecked());
    QCOMPARE(Child<QPushButton>("bCompareAll")->geometry(), QRect(8, 12, 113, 25));
    QCOMPARE(Child<QPushButton>("bRunAll")->toolTip(), Shown(texts::kBRunAllHint));
    QCOMPARE(Child<QToolButton>("bCompare")->width(), 144);
    QCOMPARE(Child<QToolButton>("bQRun")->width(), 146);
    QCOMPARE(Child<QToolButton>("bV1")->toolTip(), Q(texts::kMarkAllHint));
    QCOMPARE(Child<QToolButton>("bVDef")->toolTip(), Q(texts::kBVDefHint));
    QCOMPARE(Child<QTextEdit>("Tablo")->height(), 62);
    QVERIFY(Child<QTextEdit>("Tablo")->isReadOnly());
    QCOMPARE(Child<QTextEdit>("Tablo")->lineWrapMode(), QTextEdit::NoWrap);
    QCOMPARE(Child<QLabel>("StatusBar1")->text(), Q(actions::texts::kTotalPrefix) + "0");
    QCOMPARE(f.findChild<QAction*>("N3")->text(), Q(texts::kMenuAbout));
    // The run buttons start disabled; the page of the indexes is active until start-up.
    for (const char* run : {"bRun", "bIRun", "bfkRun", "bQRun"}) {
      QVERIFY2(!Child<QToolButton>(run)->isEnabled(), run);
    }
    QVERIFY(!Child<QPushButton>("bRunAll")->isEnabled());
    QCOMPARE(f.PageControl1()->currentWidget()->objectName(), QStringLiteral("TabI"));
    const QStringList captions = {"Таблицы", "Индексы", "Связи", "Запросы", "TabSheet5"};
    for (int i = 0; i < captions.size(); ++i) QCOMPARE(f.PageControl1()->tabText(i), captions[i]);
    // The keyboard order of the path box.
    QWidget* expected[] = {
        Child<QLineEdit>("Path1"),         Child<QLineEdit>("Path2"),
        Child<QLineEdit>("Pwd1"),          Child<QLineEdit>("Pwd2"),
        Child<QCheckBox>("cbRenameField"), Child<QRadioButton>("rgRenameField0")};
    auto next_tab_stop = [](QWidget* widget) {
      do {
        widget = widget->nextInFocusChain();
      } while ((widget->focusPolicy() & Qt::TabFocus) == 0);
      return widget;
    };
    for (size_t i = 0; i + 1 < std::size(expected); ++i) {
      QCOMPARE(next_tab_stop(expected[i]), expected[i + 1]);
    }
  }

  void pathRuleEnablesTheFiveCompareButtonsTogether() {
    Create();
    auto compare_buttons = [this] {
      return QList<QWidget*>{Child<QToolButton>("bCompare"), Child<QToolButton>("bICompare"),
                             Child<QToolButton>("bfkCompare"), Child<QToolButton>("bQCompare"),
                             Child<QPushButton>("bCompareAll")};
    };
    Child<QLineEdit>("Path1")->setText("a.mdb");
    for (QWidget* b : compare_buttons()) QVERIFY(!b->isEnabled());
    Child<QLineEdit>("Path2")->setText(" ");  // blanks count as text
    for (QWidget* b : compare_buttons()) QVERIFY(b->isEnabled());
    QCOMPARE(form().workbench().Path2(), std::string(" "));
    Child<QLineEdit>("Path1")->clear();
    for (QWidget* b : compare_buttons()) QVERIFY(!b->isEnabled());
  }

  void enabledStatesCaptionsAndStatusFollowTheLists() {
    TForm1& f = Create();
    actions::Workbench& wb = f.workbench();
    AddRows(wb.qI(), 2);
    AddRows(wb.qQ(), 1);
    QVERIFY(Child<QToolButton>("bIRun")->isEnabled());
    QVERIFY(f.grid(ListId::qI)->isEnabled());
    QVERIFY(!f.grid(ListId::qFK)->isEnabled());
    QVERIFY(f.grid(ListId::qT)->isEnabled());  // never disabled
    QVERIFY(!Child<QToolButton>("bSaveT")->isEnabled());
    QVERIFY(Child<QPushButton>("bRunAll")->isEnabled());
    QVERIFY(Child<QPushButton>("bSaveXML")->isEnabled());
    QCOMPARE(f.PageControl1()->tabText(1), QStringLiteral("Индексы - 2"));
    QCOMPARE(f.PageControl1()->tabText(2), QStringLiteral("Связи"));
    QCOMPARE(Child<QLabel>("StatusBar1")->text(), Q(actions::texts::kTotalPrefix) + "3");
    QCOMPARE(f.grid(ListId::qI)->model()->rowCount(), 2);

    wb.qI().Empty();
    QVERIFY(!Child<QToolButton>("bIRun")->isEnabled());
    QCOMPARE(f.PageControl1()->tabText(1), QStringLiteral("Индексы"));
    QVERIFY(Child<QPushButton>("bRunAll")->isEnabled());  // the queries still have a row
    AddRows(wb.qT(), 1);
    QVERIFY(Child<QToolButton>("bSaveT")->isEnabled());
    QVERIFY(Child<QToolButton>("bRun")->isEnabled());
  }

  void tabsAreOwnerDrawnAfterStartWithCountedCaptionsInRed() {
    TForm1& f = Create();
    AddRows(f.workbench().qT(), 3);
    f.show();
    QVERIFY(f.shown());
    PageTabBar* bar = f.PageControl1()->pageTabBar();
    QVERIFY(bar->ownerDraw());
    QCOMPARE(f.PageControl1()->currentWidget()->objectName(), QStringLiteral("TabT"));
    QCOMPARE(bar->tabRect(0).width(), PageTabBar::kTabWidth);
    QCOMPARE(bar->CaptionColor(0), QColor(255, 0, 0));
    QCOMPARE(bar->CaptionColor(1), bar->palette().color(QPalette::WindowText));
    const QRect tab = bar->tabRect(1);
    const QRect caption = bar->CaptionRect(1);
    const QFontMetrics metrics(bar->font());
    QCOMPARE(caption.left(),
             tab.left() + tab.width() / 2 - metrics.horizontalAdvance(bar->tabText(1)) / 2);
    QCOMPARE(caption.top(), tab.top() + tab.height() / 2 - metrics.height() / 2);
    // Drawn red where the caption stands.
    const QImage image = bar->grab().toImage();
    bool red = false;
    const QRect counted = bar->CaptionRect(0);
    for (int x = counted.left(); x <= counted.right() && !red; ++x) {
      for (int y = counted.top(); y <= counted.bottom() && !red; ++y) {
        const QColor c = image.pixelColor(x, y);
        red = c.red() > 200 && c.green() < 90 && c.blue() < 90;
      }
    }
    QVERIFY(red);
  }

  void cellColoursOfResultsBoldRowsAndPreloadedRows() {
    UseBothDatabases();
    TForm1& f = Create();
    f.show();
    actions::Workbench& wb = f.workbench();
    db_->tables = {TableResult("A", "", uAlg::kNewTable, "CREATE TABLE [A] ([X] Long)")};
    QVERIFY(wb.bCompareClick());
    actions::SaveList(wb.qT(), wb.FileT());
    db_->tables = {TableResult("B", "", uAlg::kDroppedTable, "DROP TABLE [B]"),
                   TableResult("C", "F", Str(actions::texts::kRenamedField), "x;y")};
    Child<QCheckBox>("cbPre")->setChecked(true);
    QVERIFY(wb.bCompareClick());
    QCOMPARE(wb.PreCount(), 1);
    QCOMPARE(wb.qT().RowCount(), 3);

    const ActionTableModel& model = *f.grid(ListId::qT)->actionModel();
    const auto& columns = model.view_columns();
    const auto result = columns[model.SectionOf("Result")];
    const auto table = columns[model.SectionOf("TableName")];
    auto look = [&](int row, const ActionTableModel::ViewColumn& column, bool highlight) {
      QFont font = f.font();
      QColor color = Qt::black;
      QBrush background(Qt::white);
      f.gTCalcCellColors(model, row, column, highlight, font, color, background);
      return std::make_tuple(color, font.bold(), background.color());
    };
    const QColor tip = QToolTip::palette().color(QPalette::ToolTipBase);
    QCOMPARE(std::get<0>(look(0, result, false)), QColor(0, 128, 0));
    QCOMPARE(std::get<2>(look(0, table, false)), tip);
    QCOMPARE(std::get<2>(look(0, table, true)), QColor(Qt::white));
    QCOMPARE(std::get<0>(look(1, result, false)), QColor(255, 0, 0));
    QCOMPARE(std::get<2>(look(1, result, false)), QColor(Qt::white));
    QVERIFY(!std::get<1>(look(1, table, false)));
    QCOMPARE(std::get<0>(look(2, result, false)), QColor(255, 0, 255));
    QVERIFY(std::get<1>(look(2, table, false)));  // its command holds ";"
    QCOMPARE(std::get<0>(look(2, table, false)), QColor(Qt::black));
  }

  void oneWheelMessageMovesTheFocusedGridByOneRow() {
    TForm1& f = Create();
    AddRows(f.workbench().qT(), 5);
    f.show();
    QApplication::setActiveWindow(&f);
    ActionGrid* grid = f.grid(ListId::qT);
    f.workbench().qT().GoTo(0);
    grid->setFocus();
    QCOMPARE(QApplication::focusWidget(), grid);
    auto wheel = [&](int distance) {
      const QPointF at(grid->viewport()->rect().center());
      QWheelEvent event(at, grid->viewport()->mapToGlobal(at), QPoint(), QPoint(0, distance),
                        Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
      QApplication::sendEvent(grid->viewport(), &event);
      return f.workbench().qT().CurrentRow();
    };
    QCOMPARE(wheel(-120), 1);
    QCOMPARE(wheel(-1200), 2);  // a fast wheel still moves one row
    QCOMPARE(wheel(360), 1);
    QCOMPARE(wheel(0), 2);
    QCOMPARE(grid->currentIndex().row(), 2);
  }

  void pickersPutABareNameOnlyForTheProgramsFolder() {
    TForm1& f = Create();
    f.show();
    QCOMPARE(f.OpenDialog1().nameFilters(),
             (QStringList{QStringLiteral("Базы данных МS Access (*.mdb)"),
                          QStringLiteral("Текстовые базы данных Skarnvel (*.skdb)"),
                          QStringLiteral("Все файлы (*)")}));
    QCOMPARE(QDir(f.OpenDialog1().directory()).canonicalPath(),
             QDir(Q(folder_->path())).canonicalPath());
    QString picked = Q(folder_->path()) + "/work.mdb";
    f.SetDatabaseChooser([&picked](QFileDialog&) { return picked; });
    f.bPath1Click();
    QCOMPARE(Child<QLineEdit>("Path1")->text(), QStringLiteral("work.mdb"));
    QCOMPARE(f.workbench().Path1(), std::string("work.mdb"));
    picked = Q(folder_->path()).toUpper() + "/new.mdb";  // differs in letter case only
    f.bPath2Click();
    QCOMPARE(Child<QLineEdit>("Path2")->text(), picked);
    QVERIFY(Child<QPushButton>("bCompareAll")->isEnabled());
    picked.clear();  // cancelled
    f.bPath1Click();
    QCOMPARE(Child<QLineEdit>("Path1")->text(), QStringLiteral("work.mdb"));
  }

  void settingsAreReadAtStartAndSavedByTheButton() {
    Settings settings;
    settings.Path1 = "рабочая.mdb";
    settings.Path2 = "/x/new.mdb";
    settings.Pwd1 = "секрет";
    settings.cbRenameField = true;
    settings.rgRenameField = 2;
    settings.cbRefresh = false;
    settings.cbPre = true;
    const std::string ini = folder_->File("skarnvel.ini");
    WriteSettings(ini, settings);
    TForm1& f = Create();
    QCOMPARE(f.SettingsFile(), ini);
    f.show();
    QCOMPARE(Child<QLineEdit>("Path1")->text(), QStringLiteral("рабочая.mdb"));
    QCOMPARE(Child<QLineEdit>("Pwd1")->text(), QStringLiteral("секрет"));
    QVERIFY(Child<QRadioButton>("rgRenameField2")->isChecked());
    QVERIFY(Child<QCheckBox>("cbRenameField")->isChecked());
    QVERIFY(!Child<QCheckBox>("cbRefresh")->isChecked());
    QVERIFY(Child<QCheckBox>("cbPre")->isChecked());
    QVERIFY(Child<QToolButton>("bCompare")->isEnabled());
    QCOMPARE(f.workbench().rgRenameField(), 2);

    Child<QLineEdit>("Pwd2")->setText("второй");
    Child<QRadioButton>("rgRenameField1")->setChecked(true);
    Child<QCheckBox>("cbRefresh")->setChecked(true);
    std::filesystem::remove(ini);
    QVERIFY(!actions::FileExists(ini));  // changing a control writes nothing
    Child<QToolButton>("bSaveIni")->click();
    settings.Pwd2 = "второй";
    settings.rgRenameField = 1;
    settings.cbRefresh = true;
    QCOMPARE(ReadSettings(ini), settings);
    QVERIFY(person_->log.empty());  // no question, no message
  }

  void aStoredItemOutsideTheRadioGroupChoosesNone() {
    folder_->Write("skarnvel.ini", "[Start]\nrgRenameField=7\n");
    Create().show();
    for (const char* item : {"rgRenameField0", "rgRenameField1", "rgRenameField2"}) {
      QVERIFY(!Child<QRadioButton>(item)->isChecked());
    }
    QCOMPARE(form().workbench().rgRenameField(), -1);
  }

  void savedListsAreShownAtStart() {
    {
      actions::ActionList qI(actions::ColumnsOf(ListId::qI));
      AddRows(qI, 2);
      actions::SaveList(qI, folder_->File(Str(actions::LayoutOf(ListId::qI).file_name)));
    }
    TForm1& f = Create();
    f.show();
    QCOMPARE(f.PageControl1()->tabText(1), QStringLiteral("Индексы - 2"));
    QCOMPARE(f.grid(ListId::qI)->model()->rowCount(), 2);
    QVERIFY(Child<QToolButton>("bIRun")->isEnabled());
    QCOMPARE(Child<QLabel>("StatusBar1")->text(), Q(actions::texts::kTotalPrefix) + "2");
  }

  void anUnreadableListFileStopsTheStartUp() {
    folder_->Write(Str(actions::LayoutOf(ListId::qFK).file_name), "<broken");
    TForm1& f = Create();
    f.show();
    QCOMPARE(person_->With("error ").size(), size_t(1));
    QVERIFY(!f.PageControl1()->pageTabBar()->ownerDraw());
    QCOMPARE(f.PageControl1()->currentWidget()->objectName(), QStringLiteral("TabI"));
  }

  void fonRunsTheCycleAndCloses() {
    UseBothDatabases();
    db_->tables = {TableResult("A", "", uAlg::kNewTable, "CREATE TABLE [A] ([X] Long)")};
    TForm1& f = Create({QStringLiteral("/FON")});
    f.show();
    QVERIFY(f.workbench().Fon());
    QVERIFY(person_->With("ask ").empty());  // no questions in the unattended run
    QCOMPARE(db_->Executed(), std::vector<std::string>{"CREATE TABLE [A] ([X] Long)"});
    QVERIFY(actions::FileExists(f.workbench().LogFile()));
    QVERIFY(f.isVisible());
    QCoreApplication::processEvents();
    QVERIFY(!f.isVisible());
  }

  void fonAnswersTheQuestionsOfTheRunsItselfAndWritesTheLog() {
    // A relation stands in the way of the dropped table, and a later row fails.
    const auto prepare = [this] {
      db_ = std::make_unique<actions::FakeDatabase>();
      access_ = std::make_unique<actions::FakeAccess>(*db_);
      person_ = std::make_unique<actions::ScriptedInteraction>();
      // Whoever asks the person is told to cancel, keep and go on: none of it may be used.
      person_->Answer(actions::Question::kDropRelations, actions::Answer::kCancel);
      db_->tables = {TableResult("B", "", uAlg::kDroppedTable, "DROP TABLE [B]"),
                     TableResult("C", "", uAlg::kNewTable, "CREATE TABLE [C] ([X] Long)"),
                     TableResult("D", "", uAlg::kNewTable, "CREATE TABLE [D] ([X] Long)")};
      db_->foreign_keys = {{"B", "ID", "E", "BID", "RelB"}};
      db_->failing["CREATE TABLE [C] ([X] Long)"] = "Table 'C' already exists.";
    };
    const std::string drop_relation = "ALTER TABLE [E] DROP CONSTRAINT [RelB]";

    prepare();
    UseBothDatabases();
    {
      TForm1& f = Create({QStringLiteral("/fon")});
      f.show();
      QVERIFY(person_->With("ask ").empty());
      // The relation is dropped (the default answer), the failed row stops the table run.
      QCOMPARE(db_->Executed(), (std::vector<std::string>{drop_relation, "DROP TABLE [B]",
                                                          "CREATE TABLE [C] ([X] Long)"}));
      QCOMPARE(actions::ReadFile(f.workbench().LogFile()),
               actions::EncodeRtfLog(f.workbench().Tablo()));
      QVERIFY(f.workbench().tally().stopped);
      QCoreApplication::processEvents();
      QVERIFY(!f.isVisible());
    }

    // The settings file may say to keep the relations, or to stop.
    for (const auto& [word, executed] :
         {std::pair<std::string, std::vector<std::string>>{
              "no", {"DROP TABLE [B]", "CREATE TABLE [C] ([X] Long)"}},
          std::pair<std::string, std::vector<std::string>>{"cancel", {}}}) {
      windows_ = ProgramWindows();
      prepare();
      std::filesystem::remove(folder_->File("skarnvel.log"));
      std::filesystem::remove(folder_->File("skarnvel.ini"));
      UseBothDatabases();
      std::string ini = actions::ReadFile(folder_->File("skarnvel.ini"));
      ini += std::string(texts::kKeyFonOnRelation) + "=" + word + "\n";
      folder_->Write("skarnvel.ini", ini);
      TForm1& f = Create({QStringLiteral("/fon")});
      f.show();
      QVERIFY(person_->With("ask ").empty());
      QCOMPARE(db_->Executed(), executed);
      QVERIFY(actions::FileExists(f.workbench().LogFile()));
      QCoreApplication::processEvents();
      QVERIFY(!f.isVisible());
    }
  }

  // The window's unattended cycle over real Access files, through the engine itself: the
  // working copy is brought into line, and a fresh comparison finds nothing.
  void fonBringsARealWorkingFileIntoLine() {
    if (!skarnvel_test::HaveTestData()) QSKIP("the real .mdb files are not there");
    for (const auto& [name, from] :
         {std::pair<const char*, const char*>{"work.mdb", "empty2000.mdb"},
          {"new.mdb", "indexTestV2000.mdb"}}) {
      std::filesystem::copy_file(skarnvel_test::TestDataFile(from), folder_->File(name));
      std::filesystem::permissions(folder_->File(name), std::filesystem::perms::owner_write,
                                   std::filesystem::perm_options::add);
    }
    Settings settings;
    settings.Path1 = "work.mdb";
    settings.Path2 = "new.mdb";
    WriteSettings(folder_->File("skarnvel.ini"), settings);
    {
      FormEnvironment environment;
      environment.program = {folder_->path(), "skarnvel"};
      environment.arguments = {QStringLiteral("/FON")};
      environment.interaction = person_.get();
      windows_ = CreateProgramWindows(environment);
      windows_.Form1->show();
      QVERIFY(windows_.Form1->workbench().Fon());
      QVERIFY(!windows_.Form1->workbench().tally().stopped);
    }
    windows_ = ProgramWindows();
    FormEnvironment environment;
    environment.program = {folder_->path(), "skarnvel"};
    environment.interaction = person_.get();
    windows_ = CreateProgramWindows(environment);
    actions::Workbench& wb = windows_.Form1->workbench();
    QVERIFY(wb.bCompareClick());
    QCOMPARE(wb.qT().RowCount() + wb.qI().RowCount() + wb.qFK().RowCount() + wb.qQ().RowCount(), 0);
  }

  void dataCheckFillsItsPageWithColouredFindings() {
    UseBothDatabases();
    db_->tables = {TableResult("T", "Old", uAlg::kDroppedField, "ALTER TABLE [T] DROP [Old]"),
                   TableResult("T", "B", uAlg::kNewField, "ALTER TABLE [T] ADD [B] Long")};
    db_->primary_keys = {{"T", "ID", "PK", Str(uAlg::kNewPrimaryKey), "ADD PK"}};
    dbaccess::DataEffect lost;
    lost.kind = dbaccess::DataEffect::Kind::kValuesLost;
    lost.table = "T";
    lost.columns = {"Old"};
    lost.count = 3;
    db_->effects["ALTER TABLE [T] DROP [Old]"] = {lost};
    dbaccess::DataEffect nulls = lost;
    nulls.kind = dbaccess::DataEffect::Kind::kNulls;
    db_->effects["ADD PK"] = {nulls};
    TForm1& f = Create();
    f.show();
    QCOMPARE(Child<QPushButton>("bCheckData")->text(), Q(texts::kBCheckData));
    QCOMPARE(Child<QPushButton>("bTrialRun")->toolTip(), Shown(texts::kBTrialRunHint));
    QVERIFY(!Child<QPushButton>("bCheckData")->isEnabled());
    QVERIFY(f.workbench().bCompareAllClick());
    QVERIFY(Child<QPushButton>("bCheckData")->isEnabled());
    Child<QPushButton>("bCheckData")->click();
    QCOMPARE(f.PageControl1()->currentWidget(), f.DataPage());
    QCOMPARE(f.PageControl1()->tabText(f.PageControl1()->indexOf(f.DataPage())),
             Q(actions::texts::kDataPage));
    const DataCheckModel& model = *f.DataFindingsModel();
    QCOMPARE(model.rowCount(), 3);
    QCOMPARE(model.data(model.index(0, DataCheckModel::kCommandColumn)).toString(),
             QStringLiteral("ALTER TABLE [T] DROP [Old]"));
    QCOMPARE(model.data(model.index(0, DataCheckModel::kListColumn)).toString(),
             Q(actions::texts::kPageTables));
    QCOMPARE(model.data(model.index(0, 0), Qt::BackgroundRole).value<QBrush>().color(), kLossColor);
    QVERIFY(!model.data(model.index(1, 0), Qt::BackgroundRole).isValid());
    QCOMPARE(model.data(model.index(2, 0), Qt::BackgroundRole).value<QBrush>().color(),
             kRefusedColor);
    QVERIFY(model.data(model.index(2, DataCheckModel::kFindingColumn))
                .toString()
                .endsWith(Q(actions::texts::kFindingRefused)));
    QVERIFY(db_->Executed().empty());
  }

  void fonAsSecondArgumentIsIgnored() {
    UseBothDatabases();
    db_->tables = {TableResult("A", "", uAlg::kNewTable, "CREATE TABLE [A] ([X] Long)")};
    TForm1& f = Create({QStringLiteral("x"), QStringLiteral("/fon")});
    f.show();
    QCoreApplication::processEvents();
    QVERIFY(!f.workbench().Fon());
    QVERIFY(db_->log.empty());
    QVERIFY(f.isVisible());
  }

  void theDebugPageNeedsTheProjectFileInTheCurrentDirectory() {
    std::filesystem::current_path(folder_->path());
    {
      TForm1& f = Create();
      f.show();
      QVERIFY(!f.PageControl1()->isTabVisible(4));
    }
    folder_->Write(kProjectFile, "");
    TForm1& f = Create();
    f.show();
    QVERIFY(f.PageControl1()->isTabVisible(4));
    // Its button reads the index rowset of one table into its grid.
    Child<QPushButton>("Button1")->click();
    QVERIFY(person_->With("error ").empty());
    auto* rowset = f.findChild<QAbstractItemModel*>("ADOQuery1");
    QVERIFY(rowset->columnCount() > 0);
    QCOMPARE(rowset->headerData(0, Qt::Horizontal).toString(), QStringLiteral("TABLE_CATALOG"));
  }

  void oneClickTicksAndRowsAreDeletedAfterTheQuestion() {
    TForm1& f = Create();
    actions::ActionList& qT = f.workbench().qT();
    AddRows(qT, 3);
    f.show();
    QApplication::setActiveWindow(&f);
    ActionGrid* grid = f.grid(ListId::qT);
    const QModelIndex tick = grid->model()->index(1, grid->actionModel()->SectionOf("V"));
    const QPoint at = grid->visualRect(tick).center();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QCOMPARE(qT.CurrentRow(), 1);
    QVERIFY(!qT.Boolean("V"));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QVERIFY(qT.Boolean("V"));

    grid->setFocus();
    person_->Answer(actions::Question::kDeleteRow, actions::Answer::kNo);
    QTest::keyClick(grid, Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(qT.RowCount(), 3);
    QTest::keyClick(grid, Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(qT.RowCount(), 2);
    QCOMPARE(grid->model()->rowCount(), 2);
  }

  void runLinesAppearInTheMessagePaneInTheirColours() {
    TForm1& f = Create();
    f.workbench().AppendMessage("Успешно: DROP TABLE [a]", actions::MessageColor::kWindowText);
    f.workbench().AppendMessage("Ошибка: X\r\n;\r\nY", actions::MessageColor::kRed);
    QTextDocument* pane = Child<QTextEdit>("Tablo")->document();
    QCOMPARE(pane->blockCount(), 4);
    QCOMPARE(pane->firstBlock().text(), QStringLiteral("Успешно: DROP TABLE [a]"));
    const QTextBlock error = pane->findBlockByNumber(1);
    QCOMPARE(error.text(), QStringLiteral("Ошибка: X"));
    QCOMPARE(error.begin().fragment().charFormat().foreground().color(), QColor(255, 0, 0));
  }

  void memoCellsOpenTheMemoEditorExceptInTheQueryGrid() {
    TForm1& f = Create();
    actions::ActionList& qT = f.workbench().qT();
    qT.AppendRow({{"SQL", dbaccess::Variant::Text("SELECT 1\r\nFROM t")}});
    ActionGrid* grid = f.grid(ListId::qT);
    QString shown;
    grid->SetMemoEditing([&shown](QWidget*, const QString&, const QString& text) {
      shown = text;
      return std::optional<QString>(QStringLiteral("SELECT 2\nFROM t"));
    });
    QVERIFY(grid->OpenMemoEditor(grid->model()->index(0, grid->actionModel()->SectionOf("SQL"))));
    QCOMPARE(shown, QStringLiteral("SELECT 1\nFROM t"));
    QCOMPARE(qT.Text("SQL"), std::string("SELECT 2\r\nFROM t"));

    actions::ActionList& qQ = f.workbench().qQ();
    qQ.AppendRow({{"NewSQL", dbaccess::Variant::Text("x")}});
    ActionGrid* gQ = f.grid(ListId::qQ);
    QVERIFY(!gQ->OpenMemoEditor(gQ->model()->index(0, gQ->actionModel()->SectionOf("NewSQL"))));
  }

  void doubleClickOnTheQueryGridOpensTheDialogOnlyWithRows() {
    TForm1& f = Create();
    QWidget* opened = nullptr;
    auto close_modal = [&opened] {
      opened = QApplication::activeModalWidget();
      if (auto* dialog = qobject_cast<QDialog*>(opened)) dialog->reject();
    };
    QTimer::singleShot(0, close_modal);
    f.gQDblClick();
    QCoreApplication::processEvents();
    QCOMPARE(opened, nullptr);

    AddRows(f.workbench().qQ(), 1);
    QTimer::singleShot(0, close_modal);
    f.gQDblClick();
    QCOMPARE(opened, static_cast<QWidget*>(windows_.fQRes.get()));
  }
};

}  // namespace ui

QTEST_MAIN(ui::Unit1Test)
#include "unit1_test.moc"
