// TfQRes, the query result dialog: the current row of the query list `qQ` with its result,
// action and query name on top, the old SQL text (read-only) and the new SQL text
// (editable) side by side below, divided by a splitter. Typing into the new text puts the
// row into edit state; "ОК" posts the row and "Отмена" (or closing the dialog) drops the
// pending edit.
#ifndef SKARNVEL_UI_UQRES_H_
#define SKARNVEL_UI_UQRES_H_

#include <QDialog>
#include <string>

#include "actions/action_list.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSplitter;

namespace ui {

class TfQRes : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kClientWidth = 784;
  static constexpr int kClientHeight = 595;

  explicit TfQRes(actions::ActionList& qQ, QWidget* parent = nullptr);

  // Shows the list's current row.
  void Refresh();
  void _bOKClick();
  void _bCancelClick();
  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void NewSQLChanged();

  actions::ActionList& qQ_;
  std::string shown_new_sql_;  // NewSQL as the row held it when shown
  QLineEdit* Result_;
  QLineEdit* Act_;
  QLineEdit* Name_;
  QSplitter* Splitter1_;
  QPlainTextEdit* OldSQL_;
  QPlainTextEdit* NewSQL_;
  QPushButton* _bOK_;
  QPushButton* _bCancel_;
};

}  // namespace ui

#endif  // SKARNVEL_UI_UQRES_H_
