#include "ui/message_box_interaction.h"

#include <QApplication>
#include <QCursor>
#include <QMessageBox>
#include <QPushButton>

#include "ui/qt_text.h"
#include "ui/ui_texts.h"

namespace ui {
namespace {

// A box is answered with the normal cursor, also in the middle of busy work.
void Exec(QMessageBox& box, bool busy) {
  if (busy) QApplication::setOverrideCursor(Qt::ArrowCursor);
  box.exec();
  if (busy) QApplication::restoreOverrideCursor();
}

void ShowBox(QWidget* parent, QMessageBox::Icon icon, const std::string& text, bool busy) {
  QMessageBox box(icon, Q(texts::kMessageBoxCaption), Shown(text), QMessageBox::NoButton, parent);
  QPushButton* ok = box.addButton(Q(texts::kOK), QMessageBox::AcceptRole);
  box.setDefaultButton(ok);
  box.setEscapeButton(ok);
  Exec(box, busy);
}

}  // namespace

MessageBoxInteraction::MessageBoxInteraction(QWidget* parent,
                                             std::function<void(actions::FocusTarget)> focus,
                                             std::function<void(const QString&)> progress)
    : parent_(parent), focus_(std::move(focus)), progress_(std::move(progress)) {}

MessageBoxInteraction::~MessageBoxInteraction() {
  while (busy_ > 0) SetBusy(false);
}

actions::Answer MessageBoxInteraction::Ask(actions::Question question, const std::string& caption,
                                           const std::string& text) {
  const bool with_cancel = actions::OffersCancel(question);
  QMessageBox box(QMessageBox::Question, Q(caption), Shown(text), QMessageBox::NoButton, parent_);
  QPushButton* yes = box.addButton(Q(texts::kYes), QMessageBox::YesRole);
  QPushButton* no = box.addButton(Q(texts::kNo), QMessageBox::NoRole);
  QPushButton* cancel =
      with_cancel ? box.addButton(Q(texts::kCancel), QMessageBox::RejectRole) : nullptr;
  box.setDefaultButton(yes);
  box.setEscapeButton(cancel != nullptr ? cancel : no);
  Exec(box, busy_ > 0);
  if (box.clickedButton() == yes) return actions::Answer::kYes;
  if (cancel != nullptr && box.clickedButton() != no) return actions::Answer::kCancel;
  return actions::Answer::kNo;
}

void MessageBoxInteraction::Notify(actions::Notice, const std::string& text) {
  ShowBox(parent_, QMessageBox::NoIcon, text, busy_ > 0);
}

void MessageBoxInteraction::ShowError(const std::string& text) {
  ShowBox(parent_, QMessageBox::Critical, text, busy_ > 0);
}

void MessageBoxInteraction::SetBusy(bool busy) {
  if (busy) {
    ++busy_;
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else if (busy_ > 0) {
    --busy_;
    QApplication::restoreOverrideCursor();
    if (busy_ == 0 && progress_) progress_(QString());
  }
}

void MessageBoxInteraction::Focus(actions::FocusTarget target) {
  if (focus_) focus_(target);
}

void MessageBoxInteraction::Progress(const std::string& text) {
  if (progress_) progress_(Q(text));
}

}  // namespace ui
