#include "ui/unit1.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QTableView>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <exception>

#include "actions/debug_page.h"
#include "actions/engine_access.h"
#include "actions/presentation.h"
#include "actions/workbench_texts.h"
#include "ui/about.h"
#include "ui/data_check_model.h"
#include "ui/hints.h"
#include "ui/icons.h"
#include "ui/message_box_interaction.h"
#include "ui/page_control.h"
#include "ui/qt_text.h"
#include "ui/settings.h"
#include "ui/ui_texts.h"
#include "ui/uqres.h"

namespace ui {
namespace {

using actions::ListId;
using actions::Sender;

// The window's design size and the fixed heights of its bands.
constexpr int kDesignWidth = 1036;
constexpr int kDesignHeight = 615;
constexpr int kPathBoxHeight = 105;
constexpr int kButtonBoxHeight = 44;
constexpr int kTabloHeight = 62;
constexpr int kEditHeight = 21;
constexpr int kFontPoints = 8;

// Toolbar button sizes.
constexpr int kCompareWidth = 144;
constexpr int kRunWidth = 146;
constexpr int kTableRunWidth = 144;
constexpr QSize kSmallButton(23, 22);
constexpr int kToolbarHeight = 22;

// The result colours of the grids.
const QColor kGreen(0, 128, 0);
const QColor kRed(255, 0, 0);
const QColor kFuchsia(255, 0, 255);

constexpr size_t Index(ListId id) { return static_cast<size_t>(id); }

template <typename T>
T* Named(T* widget, const char* name) {
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

QLabel* PlacedLabel(QWidget* parent, const char* name, std::string_view text, int x, int y,
                    bool bold) {
  auto* label = Named(new QLabel(Shown(text), parent), name);
  if (bold) {
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
  }
  label->adjustSize();
  label->move(x, y);
  return label;
}

QLineEdit* PlacedEdit(QWidget* parent, const char* name, int x, int y, int width) {
  auto* edit = Named(new QLineEdit(parent), name);
  edit->setGeometry(x, y, width, kEditHeight);
  return edit;
}

QToolButton* ToolButton(QWidget* parent, const char* name, std::string_view text,
                        std::string_view hint) {
  auto* button = Named(new QToolButton(parent), name);
  button->setText(Shown(text));
  button->setToolButtonStyle(Qt::ToolButtonTextOnly);
  if (!hint.empty()) button->setToolTip(Shown(hint));
  return button;
}

QToolButton* PictureButton(QWidget* parent, const char* name, const QIcon& icon,
                           std::string_view hint) {
  auto* button = Named(new QToolButton(parent), name);
  button->setIcon(icon);
  button->setToolButtonStyle(Qt::ToolButtonIconOnly);
  button->setFixedSize(kSmallButton);
  button->setToolTip(Shown(hint));
  button->setAutoRaise(true);
  return button;
}

}  // namespace

QFont WindowFont() {
  QFont font;
  // Where the Windows font is missing, a font of its widths, else the platform's sans-serif.
  font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                    QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                    QStringLiteral("Arimo")});
  font.setStyleHint(QFont::SansSerif);
  font.setPointSize(kFontPoints);
  return font;
}

TForm1::TForm1(FormEnvironment environment, QWidget* parent)
    : QMainWindow(parent), environment_(std::move(environment)) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(Q(texts::kCaption));
  setFont(WindowFont());
  resize(kDesignWidth, kDesignHeight);

  actions::DatabaseAccess* access = environment_.access;
  if (access == nullptr) {
    own_access_ = std::make_unique<actions::EngineAccess>();
    access = own_access_.get();
  }
  interaction_ = environment_.interaction;
  if (interaction_ == nullptr) {
    own_interaction_ = std::make_unique<MessageBoxInteraction>(
        this, [this](actions::FocusTarget target) { FocusPath(target); },
        [this](const QString& text) { ShowProgress(text); });
    interaction_ = own_interaction_.get();
  }
  unattended_ = std::make_unique<actions::UnattendedInteraction>(*interaction_);
  workbench_ = std::make_unique<actions::Workbench>(environment_.program, *unattended_, *access);

  choose_database_ = [](QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
    return dialog.selectedFiles().front();
  };
  OpenDialog1_ = Named(new QFileDialog(this), "OpenDialog1");
  OpenDialog1_->setOption(QFileDialog::DontUseNativeDialog);
  OpenDialog1_->setFileMode(QFileDialog::ExistingFile);
  OpenDialog1_->setAcceptMode(QFileDialog::AcceptOpen);
  OpenDialog1_->setWindowTitle(Q(texts::kOpenDialogCaption));
  OpenDialog1_->setNameFilters(NameFilters(texts::kDatabaseFilter) +
                               NameFilters(texts::kOtherDatabaseFilters));

  N3 = menuBar()->addAction(Q(texts::kMenuAbout));
  N3->setObjectName(QStringLiteral("N3"));
  connect(N3, &QAction::triggered, this, &TForm1::N3Click);

  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  BuildPathBox();
  BuildButtonBox();
  BuildPages();
  Tablo = Named(new QTextEdit(central), "Tablo");
  Tablo->setReadOnly(true);
  Tablo->setLineWrapMode(QTextEdit::NoWrap);
  Tablo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Tablo->setFixedHeight(kTabloHeight);
  Tablo->document()->setDocumentMargin(2);
  layout->addWidget(gbPath);
  layout->addWidget(gbBtn);
  layout->addWidget(PageControl1_, 1);
  layout->addWidget(Tablo);
  setCentralWidget(central);

  StatusBar1 = Named(new QLabel(this), "StatusBar1");
  statusBar()->addWidget(StatusBar1, 1);
  statusBar()->setSizeGripEnabled(true);

  ConnectControls();
  SetKeyboardOrder();
  workbench_->AddObserver(this);
  RefreshControls();
  qApp->installEventFilter(this);
}

TForm1::~TForm1() {
  qApp->removeEventFilter(this);
  workbench_->RemoveObserver(this);
  // The grids' models observe the lists: they go before the workbench.
  for (ActionGrid* grid : grids_) delete grid;
  for (ActionTableModel* model : models_) delete model;
}

void TForm1::SetDialogs(TfQRes* fQRes, TFormAbout* FormAbout) {
  fQRes_ = fQRes;
  FormAbout_ = FormAbout;
}

std::string TForm1::SettingsFile() const {
  std::string folder = environment_.program.folder;
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return SettingsFilePath(folder + environment_.program.name);
}

// ---- layout ----------------------------------------------------------------------------------

void TForm1::BuildPathBox() {
  gbPath = Named(new QGroupBox(Q(texts::kGbPath), this), "gbPath");
  gbPath->setFixedHeight(kPathBoxHeight);
  PlacedLabel(gbPath, "Label1", texts::kLabel1, 8, 16, true);
  bPath1 = ToolButton(gbPath, "bPath1", texts::kPathButton, texts::kPathButtonHint);
  bPath1->setGeometry(8, 32, kSmallButton.width(), kSmallButton.height());
  bPath1->setFocusPolicy(Qt::NoFocus);
  Path1 = PlacedEdit(gbPath, "Path1", 36, 32, 389);
  PlacedLabel(gbPath, "Label3", texts::kPasswordLabel, 432, 36, false);
  Pwd1 = PlacedEdit(gbPath, "Pwd1", 480, 32, 113);
  PlacedLabel(gbPath, "Label2", texts::kLabel2, 8, 60, true);
  bPath2 = ToolButton(gbPath, "bPath2", texts::kPathButton, texts::kPathButtonHint);
  bPath2->setGeometry(8, 76, kSmallButton.width(), kSmallButton.height());
  bPath2->setFocusPolicy(Qt::NoFocus);
  Path2 = PlacedEdit(gbPath, "Path2", 36, 76, 389);
  PlacedLabel(gbPath, "Label4", texts::kPasswordLabel, 432, 80, false);
  Pwd2 = PlacedEdit(gbPath, "Pwd2", 480, 76, 113);

  rgRenameField = Named(new QGroupBox(gbPath), "rgRenameField");
  rgRenameField->setGeometry(600, 16, 225, 85);
  rgRenameField->setToolTip(Shown(texts::kRgRenameFieldHint));
  rgRenameFieldItems = new QButtonGroup(rgRenameField);
  const char* items[] = {texts::kRenameByPosition, texts::kRenameByProperties,
                         texts::kRenameByBoth};
  for (int i = 0; i < 3; ++i) {
    auto* item = new QRadioButton(Q(items[i]), rgRenameField);
    item->setObjectName(QStringLiteral("rgRenameField%1").arg(i));
    item->setGeometry(8, 18 + i * 21, 209, 19);
    rgRenameFieldItems->addButton(item, i);
    rgRenameFieldButtons[i] = item;
  }
  rgRenameFieldButtons[0]->setChecked(true);
  // The check box stands in the place of the radio group's frame title.
  cbRenameField = Named(new QCheckBox(Q(texts::kCbRenameField), gbPath), "cbRenameField");
  cbRenameField->setGeometry(608, 14, 205, 15);
  cbRenameField->setAutoFillBackground(true);
  cbRenameField->raise();

  cbRefresh = Named(new QCheckBox(Shown(texts::kCbRefresh), gbPath), "cbRefresh");
  cbRefresh->setGeometry(832, 12, 185, 29);
  cbRefresh->setToolTip(Shown(texts::kCbRefreshHint));
  cbRefresh->setChecked(true);
  cbPre = Named(new QCheckBox(Shown(texts::kCbPre), gbPath), "cbPre");
  cbPre->setGeometry(832, 44, 201, 25);
  bSaveIni = ToolButton(gbPath, "bSaveIni", texts::kBSaveIni, texts::kBSaveIniHint);
  bSaveIni->setIcon(icons::SaveSettings());
  bSaveIni->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  bSaveIni->setAutoRaise(true);
  bSaveIni->setFocusPolicy(Qt::NoFocus);
  bSaveIni->setGeometry(831, 78, 142, 22);
}

void TForm1::BuildButtonBox() {
  gbBtn = Named(new QGroupBox(this), "gbBtn");
  gbBtn->setFixedHeight(kButtonBoxHeight);
  bCompareAll = Named(new QPushButton(Q(texts::kBCompareAll), gbBtn), "bCompareAll");
  bCompareAll->setGeometry(8, 12, 113, 25);
  bCompareAll->setToolTip(Shown(texts::kBCompareAllHint));
  bRunAll = Named(new QPushButton(Q(texts::kBRunAll), gbBtn), "bRunAll");
  bRunAll->setGeometry(128, 12, 113, 25);
  bRunAll->setToolTip(Shown(texts::kBRunAllHint));
  bCheckData = Named(new QPushButton(Q(texts::kBCheckData), gbBtn), "bCheckData");
  bCheckData->setGeometry(248, 12, 123, 25);
  bCheckData->setToolTip(Shown(texts::kBCheckDataHint));
  bTrialRun = Named(new QPushButton(Q(texts::kBTrialRun), gbBtn), "bTrialRun");
  bTrialRun->setGeometry(378, 12, 123, 25);
  bTrialRun->setToolTip(Shown(texts::kBTrialRunHint));
  bSaveXML = Named(new QPushButton(Q(texts::kBSaveXML), gbBtn), "bSaveXML");
  bSaveXML->setGeometry(828, 14, 165, 22);
  bSaveXML->setFlat(true);
  bSaveXML->setToolTip(Shown(texts::kBSaveXMLHint));
}

QWidget* TForm1::BuildListPage(ListId id, QToolBar* toolbar, const GridOptions& options) {
  const actions::ListLayout& layout = actions::LayoutOf(id);
  auto* page = new QWidget();
  page->setObjectName(Q(layout.page));
  auto* model = new ActionTableModel(id, workbench_->lists()[id]);
  model->setObjectName(Q(layout.data_source));
  auto* grid = new ActionGrid(
      model,
      [this](const ActionTableModel& m, int row, const ActionTableModel::ViewColumn& column,
             bool highlight, QFont& font, QColor& font_color, QBrush& background) {
        gTCalcCellColors(m, row, column, highlight, font, font_color, background);
      },
      options, page);
  grid->setObjectName(Q(layout.grid));
  connect(grid, &ActionGrid::deleteRowRequested, this,
          [this, id](int row) { workbench_->DeleteRow(id, row); });
  models_[Index(id)] = model;
  grids_[Index(id)] = grid;
  pages_[Index(id)] = page;
  toolbar->setParent(page);
  toolbar->setMovable(false);
  toolbar->setFloatable(false);
  toolbar->setIconSize(QSize(16, 16));
  toolbar->setFixedHeight(kToolbarHeight + 4);
  auto* box = new QVBoxLayout(page);
  box->setContentsMargins(0, 0, 0, 0);
  box->setSpacing(0);
  box->addWidget(toolbar);
  box->addWidget(grid, 1);
  PageControl1_->addTab(page, Q(layout.page_caption));
  return page;
}

void TForm1::BuildPages() {
  PageControl1_ = Named(new PageControl(this), "PageControl1");

  auto marks = [this](QToolBar* bar, ListId id, const char* names[3]) {
    const QIcon pictures[3] = {icons::MarkAll(), icons::UnmarkAll(), icons::InvertMarks()};
    const char* hints[3] = {texts::kMarkAllHint, texts::kUnmarkAllHint, texts::kInvertHint};
    const int modes[3] = {1, 0, 2};
    for (int i = 0; i < 3; ++i) {
      QToolButton* button = PictureButton(bar, names[i], pictures[i], hints[i]);
      const int mode = modes[i];
      connect(button, &QToolButton::clicked, this,
              [this, id, mode] { workbench_->SetMarks(id, mode); });
      bar->addWidget(button);
    }
  };
  auto command = [](QToolBar* bar, const char* name, std::string_view text, std::string_view hint,
                    int width) {
    QToolButton* button = ToolButton(bar, name, text, hint);
    button->setFixedSize(width, kToolbarHeight);
    bar->addWidget(button);
    return button;
  };

  // Tables.
  {
    auto* bar = Named(new QToolBar(), "ToolBar1");
    bCompare = command(bar, "bCompare", texts::kBCompare, texts::kBCompareHint, kCompareWidth);
    bRun = command(bar, "bRun", texts::kBRun, texts::kBRunHint, kTableRunWidth);
    bar->addSeparator();
    QToolButton* first =
        PictureButton(bar, "DBNavigator1First", icons::FirstRow(), texts::kFirstRowHint);
    QToolButton* last =
        PictureButton(bar, "DBNavigator1Last", icons::LastRow(), texts::kLastRowHint);
    navigatorPost = PictureButton(bar, "DBNavigator1Post", icons::PostRow(), texts::kPostHint);
    bar->addWidget(first);
    bar->addWidget(last);
    bar->addWidget(navigatorPost);
    connect(first, &QToolButton::clicked, this, [this] {
      actions::ActionList& qT = workbench_->qT();
      if (qT.IsOpen() && qT.RowCount() > 0) qT.First();
    });
    connect(last, &QToolButton::clicked, this, [this] {
      actions::ActionList& qT = workbench_->qT();
      if (qT.IsOpen() && qT.RowCount() > 0) qT.GoTo(qT.RowCount() - 1);
    });
    connect(navigatorPost, &QToolButton::clicked, this, [this] {
      actions::ActionList& qT = workbench_->qT();
      if (qT.IsOpen()) qT.Post();
      RefreshControls();
    });
    const char* names[3] = {"bV1", "bV0", "bV2"};
    marks(bar, ListId::qT, names);
    QToolButton* bVDef = ToolButton(bar, "bVDef", texts::kBVDef, texts::kBVDefHint);
    bVDef->setFixedHeight(kToolbarHeight);
    bar->addWidget(bVDef);
    connect(bVDef, &QToolButton::clicked, this, [this] { workbench_->bVDefClick(); });
    QToolButton* bDel = PictureButton(bar, "bDel", icons::DeleteUnmarked(), texts::kBDelHint);
    bar->addWidget(bDel);
    connect(bDel, &QToolButton::clicked, this, [this] { workbench_->bDelClick(); });
    bar->addSeparator();
    bSaveT = ToolButton(bar, "bSaveT", texts::kBSaveT, texts::kBSaveTHint);
    bSaveT->setFixedHeight(kToolbarHeight);
    bSaveT->setAutoRaise(true);
    bar->addWidget(bSaveT);
    BuildListPage(ListId::qT, bar, GridOptions{});
  }
  // Indexes.
  {
    auto* bar = Named(new QToolBar(), "ToolBar2");
    bICompare = command(bar, "bICompare", texts::kBICompare, texts::kBICompareHint, kCompareWidth);
    bIRun = command(bar, "bIRun", texts::kBRun, texts::kBRunHint, kRunWidth);
    bar->addSeparator();
    const char* names[3] = {"bI1", "bI0", "bI2"};
    marks(bar, ListId::qI, names);
    bar->addSeparator();
    BuildListPage(ListId::qI, bar, GridOptions{});
  }
  // Relations: the grid's plain behaviour, without word wrap (but in memo cells) and cut-off
  // hints.
  {
    auto* bar = Named(new QToolBar(), "ToolBar3");
    bfkCompare =
        command(bar, "bfkCompare", texts::kBfkCompare, texts::kBfkCompareHint, kCompareWidth);
    bfkRun = command(bar, "bfkRun", texts::kBRun, texts::kBRunHint, kRunWidth);
    bar->addSeparator();
    const char* names[3] = {"bfkV1", "bfkV0", "bfkV2"};
    marks(bar, ListId::qFK, names);
    bar->addSeparator();
    GridOptions options;
    options.cells.word_wrap = false;
    options.cells.cut_off_hints = false;
    BuildListPage(ListId::qFK, bar, options);
  }
  // Queries: a double click opens the query result dialog, not an editor.
  {
    auto* bar = Named(new QToolBar(), "ToolBar4");
    bQCompare = command(bar, "bQCompare", texts::kBQCompare, texts::kBQCompareHint, kCompareWidth);
    bQRun = command(bar, "bQRun", texts::kBRun, texts::kBRunHint, kRunWidth);
    bar->addSeparator();
    const char* names[3] = {"bQV1", "bQV0", "bQV2"};
    marks(bar, ListId::qQ, names);
    bar->addSeparator();
    GridOptions options;
    options.memo_editor = false;
    options.double_click_edits = false;
    BuildListPage(ListId::qQ, bar, options);
    connect(grids_[Index(ListId::qQ)], &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex&) { gQDblClick(); });
  }
  BuildDebugPage();
  BuildDataPage();
  PageControl1_->setCurrentWidget(pages_[Index(ListId::qI)]);
}

void TForm1::BuildDataPage() {
  TabData = new QWidget();
  TabData->setObjectName(QString::fromLatin1(texts::kDataPageName));
  dataModel_ = new DataCheckModel(TabData);
  gData = Named(new QTableView(TabData), "gData");
  gData->setModel(dataModel_);
  gData->setSelectionBehavior(QAbstractItemView::SelectRows);
  gData->setEditTriggers(QAbstractItemView::NoEditTriggers);
  gData->setWordWrap(true);
  gData->horizontalHeader()->setStretchLastSection(true);
  gData->setColumnWidth(DataCheckModel::kListColumn, 90);
  gData->setColumnWidth(DataCheckModel::kCommandColumn, 420);
  auto* box = new QVBoxLayout(TabData);
  box->setContentsMargins(0, 0, 0, 0);
  box->addWidget(gData);
  PageControl1_->addTab(TabData, Q(actions::texts::kDataPage));
}

void TForm1::DataChecked() {
  dataModel_->SetFindings(workbench_->DataFindings());
  gData->resizeRowsToContents();
  PageControl1_->setCurrentWidget(TabData);
}

void TForm1::BuildDebugPage() {
  TabSheet5 = new QWidget();
  TabSheet5->setObjectName(QStringLiteral("TabSheet5"));
  ADOQuery1 = new QStandardItemModel(TabSheet5);
  ADOQuery1->setObjectName(QStringLiteral("ADOQuery1"));
  DBGrid1 = Named(new QTableView(TabSheet5), "DBGrid1");
  DBGrid1->setModel(ADOQuery1);
  auto* box = new QVBoxLayout(TabSheet5);
  box->setContentsMargins(0, 0, 0, 0);
  box->addWidget(DBGrid1);
  Button1 = Named(new QPushButton(Q(texts::kButton1), TabSheet5), "Button1");
  Button1->move(640, 16);
  Button1->raise();
  connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
  PageControl1_->addTab(TabSheet5, Q(texts::kTabSheet5));
}

void TForm1::ConnectControls() {
  actions::Workbench& wb = *workbench_;
  connect(Path1, &QLineEdit::textChanged, this, [&wb](const QString& t) { wb.SetPath1(S(t)); });
  connect(Path2, &QLineEdit::textChanged, this, [&wb](const QString& t) { wb.SetPath2(S(t)); });
  connect(Pwd1, &QLineEdit::textChanged, this, [&wb](const QString& t) { wb.SetPwd1(S(t)); });
  connect(Pwd2, &QLineEdit::textChanged, this, [&wb](const QString& t) { wb.SetPwd2(S(t)); });
  connect(cbRenameField, &QCheckBox::toggled, this, [&wb](bool on) { wb.SetRenameField(on); });
  connect(rgRenameFieldItems, &QButtonGroup::idToggled, this, [&wb](int id, bool on) {
    if (on) wb.SetRenameMode(id);
  });
  connect(cbRefresh, &QCheckBox::toggled, this, [&wb](bool on) { wb.SetRefresh(on); });
  connect(cbPre, &QCheckBox::toggled, this, [&wb](bool on) { wb.SetPre(on); });
  connect(bPath1, &QToolButton::clicked, this, &TForm1::bPath1Click);
  connect(bPath2, &QToolButton::clicked, this, &TForm1::bPath2Click);
  connect(bSaveIni, &QToolButton::clicked, this, &TForm1::bSaveIniClick);

  connect(bCompareAll, &QPushButton::clicked, this, [&wb] { wb.bCompareAllClick(); });
  connect(bRunAll, &QPushButton::clicked, this, [&wb] { wb.bRunAllClick(); });
  connect(bCheckData, &QPushButton::clicked, this, [&wb] { wb.bCheckDataClick(); });
  connect(bTrialRun, &QPushButton::clicked, this, [&wb] { wb.TrialRunClick(); });
  connect(bSaveXML, &QPushButton::clicked, this, [&wb] { wb.bSaveXMLClick(); });
  connect(bCompare, &QToolButton::clicked, this, [&wb] { wb.bCompareClick(Sender::bCompare); });
  connect(bICompare, &QToolButton::clicked, this, [&wb] { wb.bICompareClick(Sender::bICompare); });
  connect(bfkCompare, &QToolButton::clicked, this,
          [&wb] { wb.bfkCompareClick(Sender::bfkCompare); });
  connect(bQCompare, &QToolButton::clicked, this, [&wb] { wb.bQCompareClick(Sender::bQCompare); });
  connect(bRun, &QToolButton::clicked, this, [&wb] { wb.bRunClick(Sender::bRun); });
  connect(bIRun, &QToolButton::clicked, this, [&wb] { wb.bRunClick(Sender::bIRun); });
  connect(bfkRun, &QToolButton::clicked, this, [&wb] { wb.bRunClick(Sender::bfkRun); });
  connect(bQRun, &QToolButton::clicked, this, [&wb] { wb.bQRunClick(Sender::bQRun); });
  connect(bSaveT, &QToolButton::clicked, this, [&wb] { wb.bSaveTClick(); });
}

void TForm1::SetKeyboardOrder() {
  QWidget* order[] = {Path1,
                      Path2,
                      Pwd1,
                      Pwd2,
                      cbRenameField,
                      rgRenameFieldButtons[0],
                      rgRenameFieldButtons[1],
                      rgRenameFieldButtons[2],
                      cbRefresh,
                      cbPre,
                      bCompareAll,
                      bRunAll,
                      bCheckData,
                      bTrialRun,
                      bSaveXML,
                      PageControl1_};
  for (size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);
}

// ---- state -----------------------------------------------------------------------------------

void TForm1::StateChanged() { RefreshControls(); }

void TForm1::RefreshControls() {
  if (refreshing_ || Path1 == nullptr) return;
  refreshing_ = true;
  const actions::Workbench& wb = *workbench_;
  const actions::ControlStates& s = wb.states();
  auto text = [](QLineEdit* edit, const std::string& value) {
    const QString shown = Q(value);
    if (edit->text() != shown) {
      const QSignalBlocker block(edit);
      edit->setText(shown);
    }
  };
  text(Path1, wb.Path1());
  text(Path2, wb.Path2());
  text(Pwd1, wb.Pwd1());
  text(Pwd2, wb.Pwd2());
  auto tick = [](QCheckBox* box, bool value) {
    if (box->isChecked() != value) {
      const QSignalBlocker block(box);
      box->setChecked(value);
    }
  };
  tick(cbRenameField, wb.cbRenameField());
  tick(cbRefresh, wb.cbRefresh());
  tick(cbPre, wb.cbPre());
  const int item = wb.rgRenameField();
  if (rgRenameFieldItems->checkedId() != item) {
    const QSignalBlocker block(rgRenameFieldItems);
    if (item >= 0 && item < 3) {
      rgRenameFieldButtons[item]->setChecked(true);
    } else {
      rgRenameFieldItems->setExclusive(false);
      for (QRadioButton* button : rgRenameFieldButtons) button->setChecked(false);
      rgRenameFieldItems->setExclusive(true);
    }
  }
  cbPre->setEnabled(s.cbPre_enabled);

  bCompare->setEnabled(s.bCompare);
  bICompare->setEnabled(s.bICompare);
  bfkCompare->setEnabled(s.bfkCompare);
  bQCompare->setEnabled(s.bQCompare);
  bCompareAll->setEnabled(s.bCompareAll);
  bRun->setEnabled(s.bRun);
  bIRun->setEnabled(s.bIRun);
  bfkRun->setEnabled(s.bfkRun);
  bQRun->setEnabled(s.bQRun);
  bRunAll->setEnabled(s.bRunAll);
  bCheckData->setEnabled(s.bRunAll);
  bTrialRun->setEnabled(s.bCompareAll);
  bSaveXML->setEnabled(s.bSaveXML);
  bSaveT->setEnabled(s.bSaveT);
  grids_[Index(ListId::qI)]->setEnabled(s.gI);
  grids_[Index(ListId::qFK)]->setEnabled(s.gFK);
  grids_[Index(ListId::qQ)]->setEnabled(s.gQ);
  const std::string* captions[] = {&s.TabT, &s.TabI, &s.TabFK, &s.TabQ};
  for (ListId id : actions::kAllLists) {
    const int tab = PageControl1_->indexOf(pages_[Index(id)]);
    const QString caption = Q(*captions[Index(id)]);
    if (PageControl1_->tabText(tab) != caption) PageControl1_->setTabText(tab, caption);
  }
  StatusBar1->setText(Q(s.status));
  const actions::ActionList& qT = workbench_->qT();
  navigatorPost->setEnabled(qT.IsOpen() && qT.state() != actions::ActionList::State::kBrowse);
  if (shaded_rows_ != wb.PreCount()) {
    shaded_rows_ = wb.PreCount();
    grids_[Index(ListId::qT)]->viewport()->update();
  }
  refreshing_ = false;
}

void TForm1::MessageAppended(const actions::PaneLine& line) {
  QColor color;
  switch (line.color) {
    case actions::MessageColor::kWindowText:
      color = Tablo->palette().color(QPalette::WindowText);
      break;
    case actions::MessageColor::kGrayText:
      color = Tablo->palette().color(QPalette::Disabled, QPalette::WindowText);
      break;
    case actions::MessageColor::kRed:
      color = kRed;
      break;
  }
  QTextCursor cursor(Tablo->document());
  cursor.movePosition(QTextCursor::End);
  if (!Tablo->document()->isEmpty()) cursor.insertBlock();
  QTextCharFormat format;
  format.setForeground(color);
  cursor.insertText(Shown(line.text), format);
  Tablo->verticalScrollBar()->setValue(Tablo->verticalScrollBar()->maximum());
}

void TForm1::ShowProgress(const QString& text) {
  StatusBar1->setText(text.isEmpty() ? Q(workbench_->states().status) : text);
  StatusBar1->repaint();
}

void TForm1::FocusPath(actions::FocusTarget target) {
  (target == actions::FocusTarget::kPath1 ? Path1 : Path2)->setFocus();
}

// ---- handlers --------------------------------------------------------------------------------

void TForm1::ApplySettings(const Settings& settings) {
  Path1->setText(Q(settings.Path1));
  Path2->setText(Q(settings.Path2));
  Pwd1->setText(Q(settings.Pwd1));
  Pwd2->setText(Q(settings.Pwd2));
  cbRenameField->setChecked(settings.cbRenameField);
  // A stored item outside the three chooses none.
  const int item = settings.rgRenameField;
  workbench_->SetRenameMode(item >= 0 && item < 3 ? item : -1);
  cbRefresh->setChecked(settings.cbRefresh);
  cbPre->setChecked(settings.cbPre);
}

void TForm1::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!shown_) FormShow();
}

void TForm1::FormShow() {
  shown_ = true;
  Settings settings;
  try {
    settings = ReadSettings(SettingsFile());
  } catch (const std::exception& error) {
    interaction_->ShowError(error.what());
  }
  ApplySettings(settings);
  // The list files' paths come with the workbench, from the program's folder.
  if (!workbench_->LoadListsAtStart()) return;
  workbench_->Path1Change();
  OpenDialog1_->setDirectory(Q(environment_.program.folder));
  PageControl1_->setCurrentWidget(pages_[Index(ListId::qT)]);
  SetHintHidePause(kHintHidePause);
  PageControl1_->setTabVisible(PageControl1_->indexOf(TabSheet5),
                               QFileInfo::exists(QString::fromLatin1(kProjectFile)));
  PageControl1_->pageTabBar()->setOwnerDraw(true);
  std::vector<std::string> arguments;
  for (const QString& argument : environment_.arguments) arguments.push_back(S(argument));
  workbench_->SetFon(actions::Workbench::FonRequested(arguments));
  if (!workbench_->Fon()) return;
  unattended_->SwitchOn(settings.FonOnRelation);
  workbench_->SetOnDataLoss(settings.FonOnDataLoss);
  if (workbench_->RunUnattended()) {
    // Closed once the message loop runs, which then ends the program.
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
  }
}

void TForm1::bSaveIniClick() {
  const actions::Workbench& wb = *workbench_;
  Settings settings;
  settings.Path1 = wb.Path1();
  settings.Path2 = wb.Path2();
  settings.Pwd1 = wb.Pwd1();
  settings.Pwd2 = wb.Pwd2();
  settings.cbRenameField = wb.cbRenameField();
  settings.rgRenameField = wb.rgRenameField();
  settings.cbRefresh = wb.cbRefresh();
  settings.cbPre = wb.cbPre();
  try {
    WriteSettings(SettingsFile(), settings);
  } catch (const std::exception& error) {
    interaction_->ShowError(error.what());
  }
}

void TForm1::PickDatabase(QLineEdit* edit) {
  const QString picked = choose_database_(*OpenDialog1_);
  if (picked.isEmpty()) return;
  edit->setText(Q(actions::PickedDatabasePath(S(picked), environment_.program.folder)));
}

void TForm1::bPath1Click() { PickDatabase(Path1); }

void TForm1::bPath2Click() { PickDatabase(Path2); }

void TForm1::N3Click() {
  if (FormAbout_ != nullptr) FormAbout_->exec();
}

void TForm1::gQDblClick() {
  const actions::ActionList& qQ = workbench_->qQ();
  if (fQRes_ != nullptr && qQ.IsOpen() && qQ.RowCount() > 0) fQRes_->exec();
}

void TForm1::Button1Click() {
  try {
    const dbaccess::ado::Recordset rowset =
        actions::DebugIndexRowset(environment_.debug_database, texts::kDebugTable);
    ADOQuery1->clear();
    ADOQuery1->setColumnCount(rowset.FieldCount());
    for (int column = 0; column < rowset.FieldCount(); ++column) {
      ADOQuery1->setHeaderData(column, Qt::Horizontal, Q(rowset.FieldName(column)));
    }
    dbaccess::ado::Recordset rows = rowset;
    for (rows.MoveFirst(); !rows.Eof(); rows.MoveNext()) {
      QList<QStandardItem*> items;
      for (int column = 0; column < rows.FieldCount(); ++column) {
        items << new QStandardItem(Q(rows.Field(rows.FieldName(column)).DisplayText()));
      }
      ADOQuery1->appendRow(items);
    }
    const int digit = DBGrid1->fontMetrics().horizontalAdvance(QLatin1Char('0'));
    for (int column = 0; column < rowset.FieldCount(); ++column) {
      DBGrid1->setColumnWidth(column, actions::kDebugColumnWidth * digit);
    }
  } catch (const std::exception& error) {
    interaction_->ShowError(error.what());
  }
}

void TForm1::gTCalcCellColors(const ActionTableModel& model, int row,
                              const ActionTableModel::ViewColumn& column, bool highlight,
                              QFont& font, QColor& font_color, QBrush& background) const {
  const actions::CellLook look =
      actions::CalcCellLook(model.id(), column.name, model.Text(row, column.name),
                            model.Text(row, "SQL"), row + 1, workbench_->PreCount(), highlight);
  switch (look.text) {
    case actions::CellTextColor::kGreen:
      font_color = kGreen;
      break;
    case actions::CellTextColor::kRed:
      font_color = kRed;
      break;
    case actions::CellTextColor::kFuchsia:
      font_color = kFuchsia;
      break;
    case actions::CellTextColor::kGridFont:
      break;
  }
  if (model.id() == ListId::qT) font.setBold(look.bold);
  if (look.tooltip_background) background = QToolTip::palette().color(QPalette::ToolTipBase);
}

// ---- events ----------------------------------------------------------------------------------

ActionGrid* TForm1::GridHolding(QWidget* widget) const {
  for (; widget != nullptr; widget = widget->parentWidget()) {
    for (ActionGrid* grid : grids_) {
      if (grid == widget) return grid;
    }
  }
  return nullptr;
}

bool TForm1::ApplicationEvents1Message(QObject* receiver, QEvent* event) {
  if (event->type() == QEvent::Wheel) {
    QWidget* focus = QApplication::focusWidget();
    QAbstractItemView* grid = GridHolding(focus);
    if (grid == nullptr && focus != nullptr && (focus == DBGrid1 || DBGrid1->isAncestorOf(focus))) {
      grid = DBGrid1;
    }
    if (grid == nullptr || focus->window() != this) return false;
    const auto* wheel = static_cast<QWheelEvent*>(event);
    int distance = wheel->angleDelta().y();
    if (distance == 0 && wheel->angleDelta().x() != 0) return false;  // a sideways wheel
    if (distance == 0) distance = wheel->pixelDelta().y();
    QKeyEvent key(QEvent::KeyPress, distance > 0 ? Qt::Key_Up : Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(grid, &key);
    return true;
  }
  if (event->type() == QEvent::ToolTip && HintHidePause() > 0) {
    auto* widget = qobject_cast<QWidget*>(receiver);
    if (widget != nullptr && !widget->toolTip().isEmpty() && widget->window() == this) {
      ShowHint(*static_cast<QHelpEvent*>(event), widget->toolTip(), widget, QRect());
      return true;
    }
  }
  return false;
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  if (ApplicationEvents1Message(watched, event)) return true;
  return QMainWindow::eventFilter(watched, event);
}

}  // namespace ui
