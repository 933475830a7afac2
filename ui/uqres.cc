#include "ui/uqres.h"

#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QVBoxLayout>
#include <exception>

#include "actions/presentation.h"
#include "ui/qt_text.h"
#include "ui/ui_texts.h"
#include "ui/unit1.h"

namespace ui {
namespace {

using State = actions::ActionList::State;

constexpr char kNewSQL[] = "NewSQL";

QLineEdit* Field(QWidget* parent, QHBoxLayout* row, const char* name, const char* label) {
  auto* column = new QVBoxLayout();
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(QString::fromLatin1(name));
  edit->setReadOnly(true);
  auto* caption = new QLabel(Q(label), parent);
  caption->setBuddy(edit);
  column->addWidget(caption);
  column->addWidget(edit);
  row->addLayout(column, 1);
  return edit;
}

QPlainTextEdit* Memo(QGroupBox* group, const char* name, bool read_only) {
  auto* memo = new QPlainTextEdit(group);
  memo->setObjectName(QString::fromLatin1(name));
  memo->setReadOnly(read_only);
  memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  memo->setLineWrapMode(QPlainTextEdit::NoWrap);
  auto* box = new QVBoxLayout(group);
  box->addWidget(memo);
  return memo;
}

}  // namespace

TfQRes::TfQRes(actions::ActionList& qQ, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint),
      qQ_(qQ) {
  setObjectName(QStringLiteral("fQRes"));
  setWindowTitle(Q(texts::kQResCaption));
  setFont(WindowFont());
  resize(kClientWidth, kClientHeight);

  auto* top = new QHBoxLayout();
  Result_ = Field(this, top, "Result", texts::kQResResult);
  Act_ = Field(this, top, "Act", texts::kQResAct);
  Name_ = Field(this, top, "Name", texts::kQResName);

  Splitter1_ = new QSplitter(Qt::Horizontal, this);
  Splitter1_->setObjectName(QStringLiteral("Splitter1"));
  Splitter1_->setOpaqueResize(true);
  Splitter1_->setChildrenCollapsible(false);
  auto* old_group = new QGroupBox(Q(texts::kQResOldGroup), Splitter1_);
  OldSQL_ = Memo(old_group, "OldSQL", true);
  auto* new_group = new QGroupBox(Q(texts::kQResNewGroup), Splitter1_);
  NewSQL_ = Memo(new_group, "NewSQL", false);
  Splitter1_->addWidget(old_group);
  Splitter1_->addWidget(new_group);
  Splitter1_->setSizes({kClientWidth / 2, kClientWidth / 2});

  auto* bottom = new QHBoxLayout();
  bottom->addStretch(1);
  _bOK_ = new QPushButton(Q(texts::kQResOK), this);
  _bOK_->setObjectName(QStringLiteral("_bOK"));
  _bCancel_ = new QPushButton(Q(texts::kQResCancel), this);
  _bCancel_->setObjectName(QStringLiteral("_bCancel"));
  bottom->addWidget(_bOK_);
  bottom->addWidget(_bCancel_);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(Splitter1_, 1);
  layout->addLayout(bottom);

  connect(_bOK_, &QPushButton::clicked, this, &TfQRes::_bOKClick);
  connect(_bCancel_, &QPushButton::clicked, this, &TfQRes::_bCancelClick);
  connect(NewSQL_, &QPlainTextEdit::textChanged, this, &TfQRes::NewSQLChanged);
}

void TfQRes::Refresh() {
  const bool has_row = qQ_.IsOpen() && qQ_.CurrentRow() >= 0;
  auto text = [&](const char* column) {
    if (!has_row || qQ_.FindColumn(column) < 0) return std::string();
    return qQ_.Text(column);
  };
  Result_->setText(Q(text("Result")));
  Act_->setText(Q(text("Act")));
  Name_->setText(Q(text("Name")));
  OldSQL_->setPlainText(Q(actions::EditorText(text("OldSQL"))));
  shown_new_sql_ = text(kNewSQL);
  const QSignalBlocker block(NewSQL_);
  NewSQL_->setPlainText(Q(actions::EditorText(shown_new_sql_)));
  NewSQL_->setReadOnly(!has_row || qQ_.FindColumn(kNewSQL) < 0);
}

void TfQRes::showEvent(QShowEvent* event) {
  Refresh();
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect area = frameGeometry();
    area.moveCenter(screen->availableGeometry().center());
    move(area.topLeft());
  }
  NewSQL_->setFocus();
  QDialog::showEvent(event);
}

void TfQRes::NewSQLChanged() {
  try {
    if (qQ_.state() == State::kBrowse) qQ_.Edit();
    qQ_.SetText(kNewSQL, actions::StoredText(S(NewSQL_->toPlainText()), shown_new_sql_));
  } catch (const std::exception&) {
    // No row to edit: the text stays in the dialog only.
  }
}

void TfQRes::_bOKClick() {
  if (qQ_.IsOpen() && qQ_.state() == State::kEdit) qQ_.Post();
  accept();
}

void TfQRes::_bCancelClick() { reject(); }

void TfQRes::reject() {
  if (qQ_.IsOpen() && qQ_.state() == State::kEdit) qQ_.Cancel();
  QDialog::reject();
}

}  // namespace ui
