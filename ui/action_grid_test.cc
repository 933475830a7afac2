// The table model and the grid over an action list: columns in their grid places, the
// list's changes, the current row both ways, edits through the list, cut-off hints.
#include "ui/action_grid.h"

#include <QtTest>

#include "actions/column_sets.h"
#include "ui/qt_text.h"

namespace ui {

class ActionGridTest : public QObject {
  Q_OBJECT

 private:
  static QStringList Titles(const ActionTableModel& model) {
    QStringList titles;
    for (int i = 0; i < model.columnCount(); ++i) {
      titles << model.headerData(i, Qt::Horizontal).toString();
    }
    return titles;
  }

 private slots:
  void columnsStandInTheirGridPlacesWithTitlesAndWidths() {
    actions::ActionList qQ(actions::ColumnsOf(actions::ListId::qQ));
    ActionTableModel model(actions::ListId::qQ, qQ);
    QCOMPARE(Titles(model), (QStringList{"V", "Результат сравнения", "Действие", "Запрос",
                                         "Старый текст запроса", "Новый текст запроса"}));
    actions::ActionList qT(actions::ColumnsOf(actions::ListId::qT));
    ActionTableModel tables(actions::ListId::qT, qT);
    QCOMPARE(Titles(tables).mid(0, 3), (QStringList{"V", "Результат сравнения", "Таблица"}));
    QCOMPARE(Titles(tables).back(), QStringLiteral("SQL-Команда"));
    ActionGrid grid(&tables, nullptr, GridOptions{});
    QCOMPARE(grid.columnWidth(tables.SectionOf("SQL")), grid.CharactersWidth(50));
    QCOMPARE(grid.columnWidth(tables.SectionOf("V")), grid.CharactersWidth(3));

    // A file of another column set: the known columns in place, the others after them.
    qT.Open({actions::Column::String("Extra"), actions::Column::Boolean("V"),
             actions::Column::Memo("SQL")});
    QCOMPARE(Titles(tables), (QStringList{"V", "SQL-Команда", "Extra"}));
    QCOMPARE(grid.columnWidth(2), grid.CharactersWidth(ActionTableModel::kDefaultWidth));
    qT.Close();
    QCOMPARE(tables.columnCount(), 0);
    QCOMPARE(tables.rowCount(), 0);
  }

  void theModelFollowsTheListAndEditsGoThroughIt() {
    actions::ActionList qI(actions::ColumnsOf(actions::ListId::qI));
    ActionTableModel model(actions::ListId::qI, qI);
    QAbstractItemModelTester tester(&model);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    for (const char* table : {"A", "B", "C"}) {
      qI.AppendRow({{"TABLE_NAME", dbaccess::Variant::Text(table)},
                    {"V", dbaccess::Variant::Boolean(true)}});
    }
    QCOMPARE(inserted.size(), 3);
    QCOMPARE(model.rowCount(), 3);
    const int name = model.SectionOf("TABLE_NAME");
    const int tick = model.SectionOf("V");
    QCOMPARE(model.data(model.index(1, name)).toString(), QStringLiteral("B"));
    QCOMPARE(model.data(model.index(1, tick), Qt::CheckStateRole).value<Qt::CheckState>(),
             Qt::Checked);

    QVERIFY(model.setData(model.index(0, tick), Qt::Unchecked, Qt::CheckStateRole));
    qI.GoTo(0);
    QVERIFY(!qI.Boolean("V"));
    const QString long_name(70, QLatin1Char('x'));
    QVERIFY(model.setData(model.index(2, name), long_name));
    QCOMPARE(model.data(model.index(2, name)).toString(), long_name.left(64));  // a whole Jet name
    QCOMPARE(qI.CurrentRow(), 2);
    QCOMPARE(model.headerData(2, Qt::Vertical).toString().isEmpty(), false);  // the indicator
    QVERIFY(model.headerData(0, Qt::Vertical).toString().isEmpty());

    qI.GoTo(1);
    qI.Delete();
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.data(model.index(1, name)).toString(), long_name.left(64));
    qI.Empty();
    QCOMPARE(model.rowCount(), 0);
  }

  void theGridsCurrentRowIsTheListsCurrentRow() {
    actions::ActionList qT(actions::ColumnsOf(actions::ListId::qT));
    for (int i = 0; i < 4; ++i) qT.AppendRow({{"TableName", dbaccess::Variant::Text("T")}});
    ActionTableModel model(actions::ListId::qT, qT);
    ActionGrid grid(&model, nullptr, GridOptions{});
    grid.show();
    qT.GoTo(2);
    QCOMPARE(grid.currentIndex().row(), 2);
    grid.setCurrentIndex(model.index(0, 1));
    QCOMPARE(qT.CurrentRow(), 0);
    QTest::keyClick(&grid, Qt::Key_Down);
    QCOMPARE(qT.CurrentRow(), 1);
  }

  void aCutOffCellShowsItsWholeTextAsAHint() {
    actions::ActionList qT(actions::ColumnsOf(actions::ListId::qT));
    qT.AppendRow({{"TableName", dbaccess::Variant::Text("T")},
                  {"SQL", dbaccess::Variant::Text(std::string(400, 'w') + " end")}});
    ActionTableModel model(actions::ListId::qT, qT);
    ActionGrid grid(&model, nullptr, GridOptions{});
    grid.resize(900, 300);
    grid.show();
    auto* sql = qobject_cast<CellDelegate*>(grid.itemDelegateForColumn(model.SectionOf("SQL")));
    auto* table =
        qobject_cast<CellDelegate*>(grid.itemDelegateForColumn(model.SectionOf("TableName")));
    QVERIFY(sql != nullptr && table != nullptr);
    QStyleOptionViewItem option;
    option.initFrom(grid.viewport());
    option.rect = grid.visualRect(model.index(0, model.SectionOf("SQL")));
    QVERIFY(sql->IsCutOff(option, model.index(0, model.SectionOf("SQL")), &grid));
    option.rect = grid.visualRect(model.index(0, model.SectionOf("TableName")));
    QVERIFY(!table->IsCutOff(option, model.index(0, model.SectionOf("TableName")), &grid));
  }
};

}  // namespace ui

QTEST_MAIN(ui::ActionGridTest)
#include "action_grid_test.moc"
