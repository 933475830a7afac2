// The About dialog: name and folder taken once at creation, the mail link.
#include "ui/about.h"

#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <filesystem>

#include "dbaccess/base/temp_folder_testing.h"
#include "ui/qt_text.h"
#include "ui/ui_texts.h"

namespace ui {

class MailCatcher : public QObject {
  Q_OBJECT

 public slots:
  void Open(const QUrl& url) { urls << url; }

 public:
  QList<QUrl> urls;
};

class AboutTest : public QObject {
  Q_OBJECT

 private slots:
  void showsTheNameAndFolderAndOpensTheMailLink() {
    const std::string start = std::filesystem::current_path().string();
    dbaccess::testing::TempFolder elsewhere;
    TFormAbout about(Q(texts::kCaption), QStringLiteral("/opt/skarnvel/"));
    std::filesystem::current_path(elsewhere.path());
    QCOMPARE(about.windowTitle(), Q(texts::kAboutCaption));
    QCOMPARE(about.size(), QSize(TFormAbout::kClientWidth, TFormAbout::kClientHeight));
    QCOMPARE(about.findChild<QLabel*>("lName")->text(), Q(texts::kCaption));
    QLineEdit* folder = about.findChild<QLineEdit*>("lDir");
    QCOMPARE(folder->text(), QStringLiteral("/opt/skarnvel"));
    QVERIFY(folder->isReadOnly());
    QCOMPARE(about.findChild<QPushButton*>("BitBtn1")->text(), Q(texts::kAboutOK));
    about.show();
    QCOMPARE(QApplication::focusWidget() == about.findChild<QPushButton*>("BitBtn1") ||
                 about.focusWidget() == about.findChild<QPushButton*>("BitBtn1"),
             true);
    about.BitBtn1Click();
    QVERIFY(!about.isVisible());
    about.show();  // a second time: the same texts
    QCOMPARE(folder->text(), QStringLiteral("/opt/skarnvel"));
    std::filesystem::current_path(start);

    MailCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("mailto"), &catcher, "Open");
    QLabel* mail = about.findChild<QLabel*>("lMail");
    QCOMPARE(mail->toolTip(), Q(texts::kMailHint));
    QTest::mouseClick(mail, Qt::LeftButton);
    QDesktopServices::unsetUrlHandler(QStringLiteral("mailto"));
    QCOMPARE(catcher.urls.size(), 1);
    QCOMPARE(catcher.urls.front().toString(), Q(texts::kMailto) + Q(texts::kContactMail));
    QVERIFY(about.isVisible());  // the dialog stays open
  }
};

}  // namespace ui

QTEST_MAIN(ui::AboutTest)
#include "about_test.moc"
