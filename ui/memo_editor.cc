#include "ui/memo_editor.h"

#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/qt_text.h"
#include "ui/ui_texts.h"

namespace ui {
namespace {

constexpr int kWidth = 560;
constexpr int kHeight = 320;

}  // namespace

MemoEditor::MemoEditor(const QString& title, const QString& text, QWidget* parent)
    : QDialog(parent), memo_(new QPlainTextEdit(this)) {
  setObjectName(QStringLiteral("MemoEditor"));
  setWindowTitle(title.isEmpty() ? Q(texts::kMemoEditorCaption) : title);
  setSizeGripEnabled(true);
  memo_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  memo_->setPlainText(text);
  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(Q(texts::kOK), QDialogButtonBox::AcceptRole);
  buttons->addButton(Q(texts::kCancel), QDialogButtonBox::RejectRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(memo_);
  layout->addWidget(buttons);
  resize(kWidth, kHeight);
}

QString MemoEditor::text() const { return memo_->toPlainText(); }

std::optional<QString> MemoEditor::Edit(QWidget* parent, const QString& title,
                                        const QString& text) {
  MemoEditor editor(title, text, parent);
  if (editor.exec() != QDialog::Accepted) return std::nullopt;
  return editor.text();
}

}  // namespace ui
