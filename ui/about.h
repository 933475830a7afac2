// TFormAbout, the About dialog: the program's name (the main window's caption) and folder,
// taken once when the dialog is created, a legal notice and the maker's contact; a click on
// the e-mail address opens a new mail to it in the user's mail program.
#ifndef SKARNVEL_UI_ABOUT_H_
#define SKARNVEL_UI_ABOUT_H_

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace ui {

class TFormAbout : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kClientWidth = 417;
  static constexpr int kClientHeight = 229;

  // `main_caption` is the main window's caption, `program_folder` the executable's folder.
  TFormAbout(const QString& main_caption, const QString& program_folder, QWidget* parent = nullptr);

  void lMailClick();
  void BitBtn1Click();

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FormCreate(const QString& main_caption, const QString& program_folder);

  QLabel* lName_;
  QLineEdit* lDir_;
  QLabel* lMail_;
  QPushButton* BitBtn1_;
};

}  // namespace ui

#endif  // SKARNVEL_UI_ABOUT_H_
