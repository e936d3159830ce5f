// The data grid: columns matched to a record set, display formats, tooltips, read-only rows.
#include "platform/grid/datagrid.h"

#include <QAction>
#include <QDateTime>
#include <QHeaderView>
#include <QtTest>

using namespace vintrel;
using namespace Qt::StringLiterals;

class TestDataGrid : public QObject
{
    Q_OBJECT

    static db::RecordSet records()
    {
        return db::RecordSet({u"release_date"_s, u"stock_code"_s, u"file_title"_s, u"unit_avg"_s},
                             {{QDateTime(QDate(2026, 12, 1), QTime(9, 5, 7)), u"00005"_s, u"年度業績公告"_s, 12.5},
                              {QVariant(), u"00011"_s, QVariant(), 0.125}});
    }

private slots:
    void displayFormats_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("shown");
        const QDateTime when(QDate(2026, 3, 4), QTime(23, 59, 58));
        QTest::newRow("date") << QVariant(when) << u"yyyy-mm-dd"_s << u"2026-03-04"_s;
        QTest::newRow("date and time") << QVariant(when) << u"yyyy-mm-dd hh:mm:ss"_s << u"2026-03-04 23:59:58"_s;
        QTest::newRow("NULL") << QVariant() << u"yyyy-mm-dd"_s << QString();
        QTest::newRow("decimal") << QVariant(1934433.5) << QString() << u"1934433.5"_s;
        QTest::newRow("whole number") << QVariant(qint64(2200000)) << QString() << u"2200000"_s;
        QTest::newRow("text") << QVariant(u"港股"_s) << QString() << u"港股"_s;
    }
    void displayFormats()
    {
        QFETCH(QVariant, value);
        QFETCH(QString, format);
        QFETCH(QString, shown);
        QCOMPARE(grid::displayText(value, format), shown);
    }

    void columnsShowTheRecordSet()
    {
        grid::DataGrid grid;
        grid.setColumns({{u"RELEASE_DATE"_s, u"發佈時間"_s, 80, u"yyyy-mm-dd hh:mm:ss"_s, true},
                         {u"STOCK_CODE"_s, u"股份代號"_s, 72, {}, true, true},
                         {u"FILE_TITLE"_s, u"文件名稱"_s, 320, {}, true, true},
                         {u"missing_column"_s, u"無"_s}});
        QAction *item = grid.addMenuItem(u"N1"_s, u"下載并打開文件"_s);
        QVERIFY(!item->isVisible());
        QCOMPARE(grid.findChild<QAction *>(u"N1"_s), item);
        QVERIFY(!grid.isAttached());
        QCOMPARE(grid.currentRecord(), -1);

        grid.attach(records());
        QVERIFY(grid.isAttached());
        QCOMPARE(grid.model()->rowCount(), 2);
        QCOMPARE(grid.cellText(0, 0), u"2026-12-01 09:05:07"_s);
        QCOMPARE(grid.cellText(0, 1), u"00005"_s);
        QCOMPARE(grid.cellText(1, 0), QString());
        QCOMPARE(grid.cellText(1, 3), QString());
        QCOMPARE(grid.model()->headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(), u"文件名稱"_s);
        QCOMPARE(grid.columnWidth(2), 320);
        // Tooltips only where the column asks for them; nothing can be edited.
        const QAbstractItemModel *model = grid.model();
        QCOMPARE(model->data(model->index(0, 2), Qt::ToolTipRole).toString(), u"年度業績公告"_s);
        QVERIFY(!model->data(model->index(0, 0), Qt::ToolTipRole).isValid());
        QVERIFY(!(model->flags(model->index(0, 1)) & Qt::ItemIsEditable));
        QCOMPARE(grid.selectionBehavior(), QAbstractItemView::SelectRows);
        QVERIFY(grid.alternatingRowColors());
        QCOMPARE(grid.currentRecord(), 0);
        grid.selectRow(1);
        QCOMPARE(grid.currentRecord(), 1);

        grid.detach();
        QVERIFY(!grid.isAttached());
        QCOMPARE(grid.currentRecord(), -1);
        // Attached again, the columns keep their widths.
        grid.attach(db::RecordSet());
        QCOMPARE(grid.columnWidth(2), 320);
        QCOMPARE(grid.currentRecord(), -1);
    }
};

QTEST_MAIN(TestDataGrid)
#include "tst_datagrid.moc"
