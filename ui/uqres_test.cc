// The query result dialog edits NewSQL of the query list's current row.
#include "ui/uqres.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include "actions/column_sets.h"
#include "engine/result_texts.h"
#include "ui/qt_text.h"
#include "ui/ui_texts.h"

namespace ui {

class TfQResTest : public QObject {
  Q_OBJECT

 private:
  static void AddQuery(actions::ActionList& qQ, std::string_view result, const std::string& name,
                       const std::string& old_sql, const std::string& new_sql) {
    qQ.AppendRow({{"V", dbaccess::Variant::Boolean(true)},
                  {"Result", dbaccess::Variant::Text(std::string(result))},
                  {"Name", dbaccess::Variant::Text(name)},
                  {"Act", dbaccess::Variant::Text(std::string(uAlg::kReplaceQueryAction))},
                  {"OldSQL", dbaccess::Variant::Text(old_sql)},
                  {"NewSQL", dbaccess::Variant::Text(new_sql)}});
  }
  template <typename T>
  static T* Child(QWidget& dialog, const char* name) {
    return dialog.findChild<T*>(QString::fromLatin1(name));
  }

 private slots:
  void showsTheCurrentRowAndEditsItsNewText() {
    actions::ActionList qQ(actions::ColumnsOf(actions::ListId::qQ));
    AddQuery(qQ, uAlg::kNewQuery, "First", "", "SELECT 1;");
    AddQuery(qQ, uAlg::kChangedQueryText, "Second", "SELECT a\r\nFROM t;", "SELECT b\r\nFROM t;");
    qQ.GoTo(1);
    TfQRes dialog(qQ);
    QCOMPARE(dialog.windowTitle(), Q(texts::kQResCaption));
    QCOMPARE(Child<QPushButton>(dialog, "_bOK")->text(), Q(texts::kQResOK));
    dialog.show();
    QCOMPARE(Child<QLineEdit>(dialog, "Name")->text(), QStringLiteral("Second"));
    QCOMPARE(Child<QLineEdit>(dialog, "Result")->text(), Q(uAlg::kChangedQueryText));
    QCOMPARE(Child<QLineEdit>(dialog, "Act")->text(), Q(uAlg::kReplaceQueryAction));
    QPlainTextEdit* old_sql = Child<QPlainTextEdit>(dialog, "OldSQL");
    QPlainTextEdit* new_sql = Child<QPlainTextEdit>(dialog, "NewSQL");
    QVERIFY(old_sql->isReadOnly());
    QVERIFY(!new_sql->isReadOnly());
    QCOMPARE(old_sql->toPlainText(), QStringLiteral("SELECT a\nFROM t;"));

    // Typing puts the row into edit state; OK posts it, line breaks as the row had them.
    new_sql->moveCursor(QTextCursor::End);
    QTest::keyClicks(new_sql, " -- x");
    QCOMPARE(qQ.state(), actions::ActionList::State::kEdit);
    dialog._bOKClick();
    QCOMPARE(qQ.state(), actions::ActionList::State::kBrowse);
    QCOMPARE(qQ.Text("NewSQL"), std::string("SELECT b\r\nFROM t; -- x"));
    QVERIFY(!dialog.isVisible());

    // Cancel drops the pending edit.
    dialog.show();
    QCOMPARE(new_sql->toPlainText(), QStringLiteral("SELECT b\nFROM t; -- x"));
    new_sql->selectAll();
    QTest::keyClicks(new_sql, "DROP");
    dialog._bCancelClick();
    QCOMPARE(qQ.state(), actions::ActionList::State::kBrowse);
    QCOMPARE(qQ.Text("NewSQL"), std::string("SELECT b\r\nFROM t; -- x"));

    // Closing the dialog counts as Cancel.
    dialog.show();
    QTest::keyClicks(new_sql, "z");
    dialog.reject();
    QCOMPARE(qQ.Text("NewSQL"), std::string("SELECT b\r\nFROM t; -- x"));

    // The dialog follows the list's current row.
    qQ.GoTo(0);
    dialog.show();
    QCOMPARE(Child<QLineEdit>(dialog, "Name")->text(), QStringLiteral("First"));
    dialog.hide();
  }
};

}  // namespace ui

QTEST_MAIN(ui::TfQResTest)
#include "uqres_test.moc"
