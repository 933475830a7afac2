// TForm1, the main window: the choice of the two databases and the options, one page per
// action list with its toolbar and grid, the debug page, the message pane `Tablo` and the
// status bar. The window shows the workbench's state and hands every control's event to it;
// the behaviour behind the buttons lives in the workbench (actions/).
//
// It is also the workbench's person (message boxes, busy cursor, focus) unless a test puts
// another in its place, and it turns the mouse wheel in a focused grid into one row up or
// down per wheel message. Started with "/fon" it shows no question: the unattended run
// answers them by their kind (the relation question as the settings file says).
#ifndef SKARNVEL_UI_UNIT1_H_
#define SKARNVEL_UI_UNIT1_H_

#include <QFileDialog>
#include <QMainWindow>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>
#include <string>

#include "actions/database_access.h"
#include "actions/interaction.h"
#include "actions/unattended_interaction.h"
#include "actions/workbench.h"
#include "ui/action_grid.h"

class QAction;
class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QStandardItemModel;
class QTableView;
class QTextEdit;
class QToolBar;
class QToolButton;

namespace ui {

class DataCheckModel;
class PageControl;
class TfQRes;
class TFormAbout;
struct Settings;

// The name of the project file whose presence in the current directory at start shows the
// debug page.
inline constexpr char kProjectFile[] = "Skarnvel.pro";

// What the window needs from outside.
struct FormEnvironment {
  actions::ProgramLocation program;             // the executable's folder and file name
  QStringList arguments;                        // the command line without the program's name
  actions::DatabaseAccess* access = nullptr;    // the structure engine when null
  actions::Interaction* interaction = nullptr;  // the window's message boxes when null
  std::string debug_database;                   // the database of the debug page
};

class TForm1 : public QMainWindow, private actions::WorkbenchObserver {
  Q_OBJECT

 public:
  // Picks a database file with the open dialog; the file, or an empty text on cancel.
  using DatabaseChooser = std::function<QString(QFileDialog& dialog)>;

  explicit TForm1(FormEnvironment environment, QWidget* parent = nullptr);
  ~TForm1() override;

  actions::Workbench& workbench() { return *workbench_; }
  actions::Interaction& interaction() { return *interaction_; }
  void SetDialogs(TfQRes* fQRes, TFormAbout* FormAbout);
  void SetDatabaseChooser(DatabaseChooser chooser) { choose_database_ = std::move(chooser); }
  QFileDialog& OpenDialog1() { return *OpenDialog1_; }
  ActionGrid* grid(actions::ListId id) const { return grids_[static_cast<size_t>(id)]; }
  PageControl* PageControl1() const { return PageControl1_; }
  // The data check's page and its findings.
  QWidget* DataPage() const { return TabData; }
  DataCheckModel* DataFindingsModel() const { return dataModel_; }
  // The settings file beside the program.
  std::string SettingsFile() const;
  // Whether FormShow has run.
  bool shown() const { return shown_; }

  // Start-up when the window is first shown: settings, saved lists, path rule, pages, the
  // unattended run with "/fon".
  void FormShow();
  void bSaveIniClick();
  void bPath1Click();
  void bPath2Click();
  void N3Click();
  void gQDblClick();
  void Button1Click();
  // The cell-colour callback of the four grids.
  void gTCalcCellColors(const ActionTableModel& model, int row,
                        const ActionTableModel::ViewColumn& column, bool highlight, QFont& font,
                        QColor& font_color, QBrush& background) const;
  // Every event of the application passes here first: the mouse wheel in a focused grid
  // becomes an arrow key, and hints stay up for the hint hide pause.
  bool ApplicationEvents1Message(QObject* receiver, QEvent* event);

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // WorkbenchObserver.
  void StateChanged() override;
  void MessageAppended(const actions::PaneLine& line) override;
  void DataChecked() override;

  void BuildPathBox();
  void BuildButtonBox();
  void BuildPages();
  QWidget* BuildListPage(actions::ListId id, QToolBar* toolbar, const GridOptions& options);
  void BuildDebugPage();
  void BuildDataPage();
  void ConnectControls();
  void SetKeyboardOrder();
  void RefreshControls();
  void ApplySettings(const Settings& settings);
  void PickDatabase(QLineEdit* edit);
  void ShowProgress(const QString& text);
  void FocusPath(actions::FocusTarget target);
  ActionGrid* GridHolding(QWidget* widget) const;

  FormEnvironment environment_;
  std::unique_ptr<actions::DatabaseAccess> own_access_;
  std::unique_ptr<actions::Interaction> own_interaction_;
  actions::Interaction* interaction_ = nullptr;
  // What the workbench talks to: the person, or nobody once the unattended run starts.
  std::unique_ptr<actions::UnattendedInteraction> unattended_;
  std::unique_ptr<actions::Workbench> workbench_;
  TfQRes* fQRes_ = nullptr;
  TFormAbout* FormAbout_ = nullptr;
  DatabaseChooser choose_database_;
  bool shown_ = false;
  bool refreshing_ = false;
  int shaded_rows_ = 0;

  // gbPath.
  QGroupBox* gbPath = nullptr;
  QLineEdit* Path1 = nullptr;
  QLineEdit* Path2 = nullptr;
  QLineEdit* Pwd1 = nullptr;
  QLineEdit* Pwd2 = nullptr;
  QToolButton* bPath1 = nullptr;
  QToolButton* bPath2 = nullptr;
  QGroupBox* rgRenameField = nullptr;
  QButtonGroup* rgRenameFieldItems = nullptr;
  std::array<QRadioButton*, 3> rgRenameFieldButtons{};
  QCheckBox* cbRenameField = nullptr;
  QCheckBox* cbRefresh = nullptr;
  QCheckBox* cbPre = nullptr;
  QToolButton* bSaveIni = nullptr;
  // gbBtn.
  QGroupBox* gbBtn = nullptr;
  QPushButton* bCompareAll = nullptr;
  QPushButton* bRunAll = nullptr;
  QPushButton* bCheckData = nullptr;
  QPushButton* bTrialRun = nullptr;
  QPushButton* bSaveXML = nullptr;
  // The pages.
  PageControl* PageControl1_ = nullptr;
  std::array<QWidget*, 4> pages_{};
  std::array<ActionTableModel*, 4> models_{};
  std::array<ActionGrid*, 4> grids_{};
  QToolButton* bCompare = nullptr;
  QToolButton* bRun = nullptr;
  QToolButton* bICompare = nullptr;
  QToolButton* bIRun = nullptr;
  QToolButton* bfkCompare = nullptr;
  QToolButton* bfkRun = nullptr;
  QToolButton* bQCompare = nullptr;
  QToolButton* bQRun = nullptr;
  QToolButton* bSaveT = nullptr;
  QToolButton* navigatorPost = nullptr;
  QWidget* TabSheet5 = nullptr;
  QTableView* DBGrid1 = nullptr;
  QStandardItemModel* ADOQuery1 = nullptr;
  QPushButton* Button1 = nullptr;
  // The data check's page.
  QWidget* TabData = nullptr;
  DataCheckModel* dataModel_ = nullptr;
  QTableView* gData = nullptr;
  // The rest.
  QTextEdit* Tablo = nullptr;
  QLabel* StatusBar1 = nullptr;
  QAction* N3 = nullptr;
  QFileDialog* OpenDialog1_ = nullptr;
};

// The window's font: "MS Sans Serif" of 8 points, or the platform's sans-serif font of that
// size where it is missing.
QFont WindowFont();

}  // namespace ui

#endif  // SKARNVEL_UI_UNIT1_H_
