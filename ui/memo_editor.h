// The memo editor of a grid cell: a resizable, word-wrapping text window opened from the
// cell, with "OK" to keep the text and "Отмена" to drop the change.
#ifndef SKARNVEL_UI_MEMO_EDITOR_H_
#define SKARNVEL_UI_MEMO_EDITOR_H_

#include <QDialog>
#include <optional>

class QPlainTextEdit;

namespace ui {

class MemoEditor : public QDialog {
  Q_OBJECT

 public:
  MemoEditor(const QString& title, const QString& text, QWidget* parent = nullptr);
  QString text() const;

  // Opens the editor modally; the edited text, or nothing when the user cancelled.
  static std::optional<QString> Edit(QWidget* parent, const QString& title, const QString& text);

 private:
  QPlainTextEdit* memo_;
};

}  // namespace ui

#endif  // SKARNVEL_UI_MEMO_EDITOR_H_
