#include "ui/about.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QUrl>

#include "ui/qt_text.h"
#include "ui/ui_texts.h"
#include "ui/unit1.h"

namespace ui {
namespace {

constexpr int kEditHeight = 18;

// A read-only edit without border in the button-face colour, with its label on its left.
QLineEdit* LabeledEdit(QWidget* parent, const char* name, const char* label, int x, int y,
                       int width) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(QString::fromLatin1(name));
  edit->setReadOnly(true);
  edit->setFrame(false);
  edit->setFocusPolicy(Qt::ClickFocus);
  QPalette palette = edit->palette();
  palette.setColor(QPalette::Base, palette.color(QPalette::Button));
  edit->setPalette(palette);
  edit->setGeometry(x, y, width, kEditHeight);
  auto* caption = new QLabel(Q(label), parent);
  caption->adjustSize();
  caption->move(x - caption->width() - 3, y + (kEditHeight - caption->height()) / 2);
  caption->setBuddy(edit);
  return edit;
}

}  // namespace

TFormAbout::TFormAbout(const QString& main_caption, const QString& program_folder, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint) {
  setObjectName(QStringLiteral("FormAbout"));
  setWindowTitle(Q(texts::kAboutCaption));
  setFont(WindowFont());
  setFixedSize(kClientWidth, kClientHeight);

  lName_ = new QLabel(this);
  lName_->setObjectName(QStringLiteral("lName"));
  QFont bold = font();
  bold.setBold(true);
  lName_->setFont(bold);
  lName_->setWordWrap(true);
  lName_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  lName_->setGeometry(4, 4, 405, 29);

  lDir_ = LabeledEdit(this, "lDir", texts::kDirLabel, 132, 40, 281);

  auto* notice = new QLabel(Q(texts::kLegalNotice), this);
  notice->setObjectName(QStringLiteral("StaticText1"));
  QFont serif = font();
  serif.setFamilies({QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"),
                     QStringLiteral("Tinos")});
  serif.setStyleHint(QFont::Serif);
  notice->setFont(serif);
  notice->setAlignment(Qt::AlignCenter);
  notice->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  notice->setGeometry(4, 60, 409, 61);

  auto* maker = new QLabel(Q(texts::kMakerLine), this);
  maker->setObjectName(QStringLiteral("Label7"));
  maker->adjustSize();
  maker->move(4, 128);
  auto* mail_label = new QLabel(Q(texts::kEmailLabel), this);
  mail_label->setObjectName(QStringLiteral("Label4"));
  mail_label->adjustSize();
  mail_label->move(4, 148);

  lMail_ = new QLabel(Q(texts::kContactMail), this);
  lMail_->setObjectName(QStringLiteral("lMail"));
  QFont link = font();
  link.setBold(true);
  link.setUnderline(true);
  lMail_->setFont(link);
  QPalette blue = lMail_->palette();
  blue.setColor(QPalette::WindowText, QColor(0, 0, 255));
  lMail_->setPalette(blue);
  lMail_->setCursor(Qt::PointingHandCursor);
  lMail_->setToolTip(Q(texts::kMailHint));
  lMail_->adjustSize();
  lMail_->move(44, 148);
  lMail_->installEventFilter(this);

  QLineEdit* messenger = LabeledEdit(this, "LabeledEdit2", texts::kMessengerLabel, 40, 168, 77);
  messenger->setText(Q(texts::kMessengerName));

  BitBtn1_ = new QPushButton(Q(texts::kAboutOK), this);
  BitBtn1_->setObjectName(QStringLiteral("BitBtn1"));
  BitBtn1_->setGeometry(173, 199, 75, 25);
  BitBtn1_->setDefault(true);
  connect(BitBtn1_, &QPushButton::clicked, this, &TFormAbout::BitBtn1Click);

  FormCreate(main_caption, program_folder);
}

void TFormAbout::FormCreate(const QString& main_caption, const QString& program_folder) {
  lName_->setText(main_caption);
  QString folder = program_folder;
  while (folder.size() > 1 && folder.endsWith(QLatin1Char('/'))) folder.chop(1);
  lDir_->setText(folder);
  lDir_->setCursorPosition(0);
}

void TFormAbout::showEvent(QShowEvent* event) {
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect area = frameGeometry();
    area.moveCenter(screen->availableGeometry().center());
    move(area.topLeft());
  }
  BitBtn1_->setFocus();
  QDialog::showEvent(event);
}

bool TFormAbout::eventFilter(QObject* watched, QEvent* event) {
  if (watched == lMail_ && event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    lMailClick();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

void TFormAbout::lMailClick() {
  QDesktopServices::openUrl(QUrl(Q(texts::kMailto) + lMail_->text()));
}

void TFormAbout::BitBtn1Click() { accept(); }

}  // namespace ui
