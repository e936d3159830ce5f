// The "查詢" page against a real MariaDB server through the ODBC driver, with its real paging workers and
// wait window: what each filter control lists, paging forward and back, a recount that shrinks, a filter
// changed before "下一页", the status texts of the tab change, cancelling a wait (and the next query
// waiting for the cancelled worker), a statement that fails, and the wait window itself.

#include "client/browse/PagingThreads.h"
#include "client/browse/QueryPage.h"
#include "client/browse/uSearchPrompt.h"
#include "platform/db/connection.h"
#include "platform/grid/datagrid.h"
#include "platform/ui/clock.h"
#include "platform/ui/desktop.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/statusbar.h"
#include "tests/support/testdatabase.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QMovie>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QtTest>

#include <functional>
#include <memory>

using namespace Qt::StringLiterals;
using namespace vintrel;
using browse::Kind;

Q_DECLARE_METATYPE(Kind)

namespace {

const QDateTime kNow(QDate(2024, 3, 15), QTime(12, 0, 0));
const QString kDatabaseFailure = u"無法連接服務器，請檢查網絡或重新登錄！"_s;

// How the controls of one kind are named, and how its grid names a record.
struct KindUi
{
    const char16_t *query, *previous, *next, *label, *grid;
    const char16_t *range, *from, *to;
    QStringList menuItems;
    QString totalPrefix;
    int keyColumn;  // grid column whose text names a record of the paging fixture
    int dateColumn; // grid column of the date the pages are ordered by
    QString dateFormat;
};

KindUi kindUi(Kind kind)
{
    switch (kind) {
    case Kind::ANN:
        return {u"suiButton7",
                u"suiButton15",
                u"suiButton10",
                u"Label36",
                u"DBGridEh2",
                u"suiRadioButton1",
                u"DateTimePicker1",
                u"DateTimePicker2",
                {u"N1"_s, u"N2"_s},
                u"共查詢到上市公司公告記錄數 "_s,
                1,
                0,
                u"yyyy-MM-dd hh:mm:ss"_s};
    case Kind::REP:
        return {u"suiButton8",
                u"suiButton16",
                u"suiButton17",
                u"Label37",
                u"DBGridEh3",
                u"suiRadioButton3",
                u"DateTimePicker3",
                u"DateTimePicker4",
                {},
                u"共查詢到股份購回報告記錄數 "_s,
                2,
                0,
                u"yyyy-MM-dd"_s};
    case Kind::DIS:
        return {u"suiButton13",
                u"suiButton18",
                u"suiButton19",
                u"Label38",
                u"DBGridEh6",
                u"suiRadioButton11",
                u"DateTimePicker9",
                u"DateTimePicker10",
                {u"N6"_s, u"N7"_s},
                u"共查詢到披露權益記錄數 "_s,
                2,
                0,
                u"yyyy-MM-dd"_s};
    case Kind::RPT:
        return {u"suiButton14",
                u"suiButton20",
                u"suiButton21",
                u"Label39",
                u"DBGridEh9",
                u"suiRadioButton13",
                u"DateTimePicker11",
                u"DateTimePicker12",
                {u"N10"_s},
                u"共查詢研究報告記錄數 "_s,
                6,
                0,
                u"yyyy-MM-dd hh:mm:ss"_s};
    }
    return {};
}

// The paging fixture's record i (0 is the newest): its key as the grid shows it, and its date.
QString recordKey(int i)
{
    return u"%1"_s.arg(i, 5, 10, QChar(u'0'));
}

QDateTime recordTime(int i)
{
    return QDateTime(kNow.date().addDays(-i), QTime(10, 0, 0));
}

// Inserts `count` records of `kind`, one a day going back from today, keyed 00000, 00001, ...
QString pagingFixture(Kind kind, int count)
{
    if (count == 0)
        return {};
    const QString seq = u" from seq_0_to_%1"_s.arg(count - 1);
    const QString key = u"lpad(seq, 5, '0')"_s;
    const QString day = u"date_sub('2024-03-15 10:00:00', interval seq day)"_s;
    switch (kind) {
    case Kind::ANN:
        return u"insert into announcement (ann_id, release_date, stock_code, stock_name, title_tag, "
               u"file_title) "
               u"select seq + 1, "_s +
               day + u", "_s + key + u", '公司', '公告', concat('標題 ', seq)"_s + seq +
               u"; insert into ann_title_tag (ann_id, tag_id) select seq + 1, 1"_s + seq;
    case Kind::REP:
        return u"insert into stock (code, full_code, name) select concat('c', seq), "_s + key +
               u", '公司'"_s + seq +
               u"; insert into share_repurchase (stock_code, report_date, trade_date, share_amount) "
               u"select concat('c', seq), date("_s +
               day + u"), date("_s + day + u"), 1000"_s + seq;
    case Kind::DIS:
        return u"insert into stock (code, full_code, name) select concat('c', seq), "_s + key +
               u", '公司'"_s + seq +
               u"; insert into disclose_interest (stock_code, update_date, holder_name, disclose_reason, "
               u"form_type) select concat('c', seq), date("_s +
               day + u"), '股東', '1101', '1'"_s + seq;
    case Kind::RPT:
        return u"insert into research_report (report_title, publish_org, publish_time, upload_time, "
               u"report_type, "
               u"stock_code) select concat('報告 ', seq), '機構', date("_s +
               day + u"), "_s + day + u", '港股', "_s + key + seq;
    }
    return {};
}

// Runs SQL on a connection of its own, beside the client's, and so can hold a table lock that makes the
// client's statements wait at the server.
class SecondSession
{
public:
    explicit SecondSession(const QString &connectString) { m_connection.setConnectString(connectString); }
    void run(const QString &sql) { m_connection.execute(sql); }

private:
    db::Connection m_connection;
};

} // namespace

class TestPaging : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void filterControls_data();
    void filterControls();
    void paging_data();
    void paging();
    void recountBelowCurrentPage();
    void filterChangedBeforeNext_data();
    void filterChangedBeforeNext();
    void tabChangeTexts();
    void cancel_data();
    void cancel();
    void failingStatement_data();
    void failingStatement();
    void waitWindow();

private:
    template <typename W> W *child(const QString &name)
    {
        W *w = m_page->findChild<W *>(name);
        if (!w)
            qWarning("no %s named %s", W::staticMetaObject.className(), qPrintable(name));
        return w;
    }
    QPushButton *button(const char16_t *name) { return child<QPushButton>(QString::fromUtf16(name)); }
    grid::DataGrid *grid(Kind kind) { return child<grid::DataGrid>(QString::fromUtf16(kindUi(kind).grid)); }
    QLabel *pageLabel(Kind kind) { return child<QLabel>(QString::fromUtf16(kindUi(kind).label)); }
    QString panel(int i) const { return m_page->suiStatusBar2->panelText(i); }
    QStringList column(Kind kind, int col);
    // The range button of the kind with bounds wide enough for every fixture record.
    void useWideRange(Kind kind);

    // Clicks the button and lets its operation run to its end; the wait must end by itself. An empty
    // answer means it did; otherwise what went wrong.
    QString click(QPushButton *b);
    // Clicks the button and runs `during` inside the wait, once the wait window is up; `during` must
    // end the wait (cancel it, or let the worker through). Empty answer when `during` ran.
    QString clickDuring(QPushButton *b, const std::function<void()> &during);
    // Ends a wait that should have ended by itself, by every means the window has.
    void endWait()
    {
        m_page->FrmSearchPrompt->suiButton1->click();
        m_page->FrmSearchPrompt->reject();
        m_page->FrmSearchPrompt->hide();
    }
    // The page's workers have all finished (so no late outcome is still to come).
    bool workersDone() const { return m_page->findChildren<TPagingThread *>().isEmpty(); }

    test::TestDatabase m_db;
    QTemporaryDir m_programFolder;
    std::unique_ptr<QueryPage> m_page;
};

void TestPaging::initTestCase()
{
    QVERIFY2(m_db.start(), qPrintable(m_db.errorString()));
    db::Connection::shared().setConnectString(m_db.connectString());
    ui::Dialogs::setTestMode(true);
    ui::setFixedNow(kNow);
    // The wait window's picture is the one that ships beside the program.
    QVERIFY(m_programFolder.isValid());
    const QString shipped = qEnvironmentVariable("VINTREL_BIN_DIR") + u"/search.gif"_s;
    QVERIFY2(QFile::copy(shipped, m_programFolder.filePath(u"search.gif"_s)), qPrintable(shipped));
    ui::setProgramFolder(m_programFolder.path());
}

void TestPaging::init()
{
    QVERIFY2(m_db.reset(), qPrintable(m_db.errorString()));
    QVERIFY2(m_db.exec(u"insert into title_tag (tag_id, name, lft, rgt) values (1, '公告及通告', 1, 4), "
                       u"(2, '通告子類', 2, 3), (3, '通函', 5, 6)"_s),
             qPrintable(m_db.errorString()));
    ui::Dialogs::reset();
    m_page = std::make_unique<QueryPage>();
    m_page->resize(1100, 600);
    m_page->show();
}

void TestPaging::cleanup()
{
    m_page.reset();
    QVERIFY(ui::Dialogs::takeShown().isEmpty());
}

QStringList TestPaging::column(Kind kind, int col)
{
    grid::DataGrid *g = grid(kind);
    QStringList texts;
    if (!g->isAttached())
        return texts;
    for (int row = 0; row < g->model()->rowCount(); ++row)
        texts.append(g->cellText(row, col));
    return texts;
}

void TestPaging::useWideRange(Kind kind)
{
    const KindUi k = kindUi(kind);
    child<QRadioButton>(QString::fromUtf16(k.range))->setChecked(true);
    child<QDateEdit>(QString::fromUtf16(k.from))->setDate(QDate(2020, 1, 1));
    child<QDateEdit>(QString::fromUtf16(k.to))->setDate(kNow.date());
}

QString TestPaging::click(QPushButton *b)
{
    if (!b)
        return u"no such button"_s;
    if (!b->isEnabled())
        return b->objectName() + u" is disabled"_s;
    // A wait that never ends by itself is ended here, and reported.
    bool hung = false;
    QTimer guard;
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, m_page.get(), [&] {
        if (m_page->FrmSearchPrompt->isVisible()) {
            hung = true;
            endWait();
        }
    });
    guard.start(20000);
    b->click();
    if (hung)
        return u"the wait did not end by itself"_s;
    if (m_page->FrmSearchPrompt->isVisible())
        return u"the wait window is still up"_s;
    return {};
}

QString TestPaging::clickDuring(QPushButton *b, const std::function<void()> &during)
{
    if (!b || !b->isEnabled())
        return u"button missing or disabled"_s;
    bool ran = false;
    QTimer poll;
    poll.setInterval(5);
    connect(&poll, &QTimer::timeout, m_page.get(), [&] {
        if (!ran && m_page->FrmSearchPrompt->isVisible()) {
            ran = true;
            poll.stop();
            during();
        }
    });
    poll.start();
    bool hung = false;
    QTimer guard;
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, m_page.get(), [&] {
        hung = true;
        endWait();
    });
    guard.start(30000);
    b->click();
    if (!ran)
        return u"the wait window never came up"_s;
    if (hung)
        return u"the wait did not end"_s;
    if (m_page->FrmSearchPrompt->isVisible())
        return u"the wait window is still up"_s;
    return {};
}

// Each filter control narrows the list by its own column, and the choice controls by theirs.
void TestPaging::filterControls_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("value"); // the text to type; for a radio button, empty
    QTest::addColumn<QStringList>("listed");

    // ANN: rec0 to rec3 and rec5 lie in the default category (rec5 through its sub-category), rec4 is
    // in "通函", rec6 is eight days old.
    QTest::newRow("ANN defaults") << Kind::ANN << QString() << QString()
                                  << QStringList{u"rec0"_s, u"rec1"_s, u"rec2"_s, u"rec3"_s, u"rec5"_s};
    QTest::newRow("ANN stock code") << Kind::ANN << u"suiEdit1"_s << u"zz"_s << QStringList{u"rec1"_s};
    QTest::newRow("ANN stock name") << Kind::ANN << u"suiEdit2"_s << u"zz"_s << QStringList{u"rec2"_s};
    QTest::newRow("ANN file title") << Kind::ANN << u"suiEdit3"_s << u"zz"_s << QStringList{u"rec3"_s};
    QTest::newRow("ANN all categories")
        << Kind::ANN << u"suiComboBox3"_s << u"所有"_s
        << QStringList{u"rec0"_s, u"rec1"_s, u"rec2"_s, u"rec3"_s, u"rec4"_s, u"rec5"_s};
    QTest::newRow("ANN chosen category")
        << Kind::ANN << u"suiComboBox3"_s << u"通函"_s << QStringList{u"rec4"_s};
    QTest::newRow("ANN typed category")
        << Kind::ANN << u"suiComboBox3"_s << u"通告子類"_s << QStringList{u"rec5"_s};
    QTest::newRow("ANN range") << Kind::ANN << u"suiRadioButton1"_s << QString()
                               << QStringList{u"rec0"_s, u"rec1"_s, u"rec2"_s,
                                              u"rec3"_s, u"rec5"_s, u"rec6"_s};

    QTest::newRow("REP defaults") << Kind::REP << QString() << QString()
                                  << QStringList{u"rec0"_s, u"rec1"_s, u"rec2"_s};
    QTest::newRow("REP stock code") << Kind::REP << u"suiEdit4"_s << u"zz"_s << QStringList{u"rec1"_s};
    QTest::newRow("REP stock name") << Kind::REP << u"suiEdit5"_s << u"zz"_s << QStringList{u"rec2"_s};
    QTest::newRow("REP range") << Kind::REP << u"suiRadioButton3"_s << QString()
                               << QStringList{u"rec0"_s, u"rec1"_s, u"rec2"_s, u"rec6"_s};

    QTest::newRow("DIS defaults") << Kind::DIS << QString() << QString()
                                  << QStringList{u"rec0"_s, u"rec1"_s, u"rec2"_s, u"rec3"_s, u"rec4"_s};
    QTest::newRow("DIS stock code") << Kind::DIS << u"suiEdit10"_s << u"zz"_s << QStringList{u"rec1"_s};
    QTest::newRow("DIS stock name") << Kind::DIS << u"suiEdit11"_s << u"zz"_s << QStringList{u"rec2"_s};
    QTest::newRow("DIS holder") << Kind::DIS << u"suiEdit7"_s << u"zz"_s << QStringList{u"rec3"_s};
    QTest::newRow("DIS reason") << Kind::DIS << u"suiEdit14"_s << u"zz"_s << QStringList{u"rec4"_s};
    QTest::newRow("DIS directors") << Kind::DIS << u"suiRadioButton6"_s << QString()
                                   << QStringList{u"rec2"_s, u"rec3"_s};
    QTest::newRow("DIS substantial") << Kind::DIS << u"suiRadioButton9"_s << QString()
                                     << QStringList{u"rec0"_s, u"rec1"_s};
    QTest::newRow("DIS range") << Kind::DIS << u"suiRadioButton11"_s << QString()
                               << QStringList{u"rec0"_s, u"rec1"_s, u"rec2"_s,
                                              u"rec3"_s, u"rec4"_s, u"rec6"_s};

    QTest::newRow("RPT defaults") << Kind::RPT << QString() << QString()
                                  << QStringList{u"rec0"_s, u"rec1"_s, u"rec2"_s, u"rec3"_s};
    QTest::newRow("RPT organisation") << Kind::RPT << u"suiEdit12"_s << u"zz"_s << QStringList{u"rec1"_s};
    QTest::newRow("RPT title") << Kind::RPT << u"suiEdit13"_s << u"zz"_s << QStringList{u"rec2"_s};
    QTest::newRow("RPT stock code") << Kind::RPT << u"suiEdit6"_s << u"zz"_s << QStringList{u"rec3"_s};
    QTest::newRow("RPT Hong Kong") << Kind::RPT << u"suiRadioButton15"_s << QString()
                                   << QStringList{u"rec0"_s, u"rec1"_s};
    QTest::newRow("RPT foreign") << Kind::RPT << u"suiRadioButton16"_s << QString()
                                 << QStringList{u"rec2"_s, u"rec3"_s};
    QTest::newRow("RPT range") << Kind::RPT << u"suiRadioButton13"_s << QString()
                               << QStringList{u"rec0"_s, u"rec1"_s, u"rec2"_s, u"rec3"_s, u"rec6"_s};
}

void TestPaging::filterControls()
{
    QFETCH(Kind, kind);
    QFETCH(QString, control);
    QFETCH(QString, value);
    QFETCH(QStringList, listed);

    // Every record is of today or six days back (inside "過去七天"), except rec6, eight days back.
    // "zz" marks the one column that a text control should find.
    const bool ok = m_db.exec(
        u"insert into announcement (ann_id, release_date, stock_code, stock_name, title_tag, file_title) "
        u"values "
        u"(1, '2024-03-15 09:00:00', '00001', 'aa', 'rec0', 'aa'), (2, '2024-03-09 00:00:00', '0zz02', 'aa', "
        u"'rec1', 'aa'), (3, '2024-03-15 08:00:00', '00003', 'azz', 'rec2', 'aa'), (4, '2024-03-14 "
        u"10:00:00', "
        u"'00004', 'aa', 'rec3', 'a zz'), (5, '2024-03-13 10:00:00', '00005', 'aa', 'rec4', 'aa'), "
        u"(6, '2024-03-12 10:00:00', '00006', 'aa', 'rec5', 'aa'), (7, '2024-03-07 10:00:00', '00007', 'aa', "
        u"'rec6', 'aa');"
        u"insert into ann_title_tag (ann_id, tag_id) values (1, 1), (2, 1), (3, 1), (4, 1), (5, 3), (6, 2), "
        u"(7, 1);"
        u"insert into stock (code, full_code, name) values ('c0', '00000', 'aa'), ('c1', '0zz01', 'aa'), "
        u"('c2', '00002', 'zza'), ('c3', '00003', 'aa'), ('c4', '00004', 'aa'), ('c6', '00006', 'aa');"
        u"insert into share_repurchase (stock_code, report_date, method) values ('c0', '2024-03-15', "
        u"'rec0'), "
        u"('c1', '2024-03-09', 'rec1'), ('c2', '2024-03-12', 'rec2'), ('c6', '2024-03-07', 'rec6');"
        u"insert into disclose_interest (stock_code, update_date, holder_name, disclose_reason, form_type, "
        u"share_involved) values ('c0', '2024-03-15', 'aa', 'aa', '1', 0), ('c1', '2024-03-14', 'aa', 'aa', "
        u"'2', "
        u"1), ('c2', '2024-03-13', 'aa', 'aa', '3A', 2), ('c3', '2024-03-12', 'azz', 'aa', '3B', 3), "
        u"('c4', '2024-03-11', 'aa', 'zz', '4', 4), ('c6', '2024-03-07', 'aa', 'aa', '1', 6);"
        u"insert into research_report (report_title, publish_org, stock_code, upload_time, report_type, "
        u"report_level) values ('aa', 'aa', '00000', '2024-03-15 09:00:00', '港股', 'rec0'), ('aa', 'zz', "
        u"'00001', '2024-03-14 09:00:00', '港股', 'rec1'), ('zz', 'aa', '00002', '2024-03-13 09:00:00', "
        u"'外文', "
        u"'rec2'), ('aa', 'aa', '0zz03', '2024-03-09 00:00:00', '外文', 'rec3'), ('aa', 'aa', '00006', "
        u"'2024-03-07 23:59:59', '港股', 'rec6')"_s);
    QVERIFY2(ok, qPrintable(m_db.errorString()));

    if (control.startsWith(u"suiEdit"_s)) {
        child<QLineEdit>(control)->setText(value);
    } else if (control.startsWith(u"suiRadioButton"_s)) {
        child<QRadioButton>(control)->setChecked(true);
        if (auto *from = m_page->findChild<QDateEdit *>(QString::fromUtf16(kindUi(kind).from)))
            from->setDate(QDate(2024, 1, 1));
    } else if (control == u"suiComboBox3") {
        auto *box = child<QComboBox>(control);
        const int item = box->findText(value);
        if (item >= 0)
            box->setCurrentIndex(item);
        else
            box->setEditText(value);
    }

    const KindUi k = kindUi(kind);
    QCOMPARE(click(button(k.query)), QString());
    // The fixture names its records in a column no filter reads.
    const int keyColumn = kind == Kind::ANN ? 3 : kind == Kind::REP ? 8 : kind == Kind::DIS ? 6 : 5;
    QStringList shown = column(kind, keyColumn);
    if (kind == Kind::DIS) {
        for (QString &key : shown)
            key = u"rec"_s + key;
    }
    shown.sort();
    QCOMPARE(shown, listed);
    QCOMPARE(panel(0), k.totalPrefix + QString::number(listed.size()) + u" 條"_s);
}

void TestPaging::paging_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<int>("records");

    QTest::newRow("ANN none") << Kind::ANN << 0;
    QTest::newRow("ANN 50") << Kind::ANN << 50;
    QTest::newRow("ANN 51") << Kind::ANN << 51;
    QTest::newRow("ANN 101") << Kind::ANN << 101;
    QTest::newRow("REP 51") << Kind::REP << 51;
    QTest::newRow("REP none") << Kind::REP << 0;
    QTest::newRow("DIS 101") << Kind::DIS << 101;
    QTest::newRow("DIS none") << Kind::DIS << 0;
    QTest::newRow("RPT 51") << Kind::RPT << 51;
    QTest::newRow("RPT none") << Kind::RPT << 0;
}

// A new query, "下一页" to the last page, then "上一页" back to the first: at every page the grid holds
// that page's records newest first, and the labels, texts, buttons and menu items say where it is.
void TestPaging::paging()
{
    QFETCH(Kind, kind);
    QFETCH(int, records);
    QVERIFY2(records == 0 || m_db.exec(pagingFixture(kind, records)), qPrintable(m_db.errorString()));
    const KindUi k = kindUi(kind);
    const int pages = (records + 49) / 50;
    m_page->suiPageControl3->setCurrentIndex(int(kind));
    useWideRange(kind);

    const auto checkPage = [&](int page) {
        const int first = (page - 1) * 50;
        const int rows = qMin(50, records - first);
        QCOMPARE(pageLabel(kind)->text(), records == 0 ? QString() : u"%1 of %2 頁"_s.arg(page).arg(pages));
        QCOMPARE(button(k.previous)->isEnabled(), page > 1);
        QCOMPARE(button(k.next)->isEnabled(), page < pages);
        QCOMPARE(panel(0), k.totalPrefix + QString::number(records) + u" 條"_s);
        QCOMPARE(panel(1), u"當前顯示第 %1 條 至 第 %2 條"_s.arg(first + 1).arg(first + rows));
        QVERIFY(grid(kind)->isAttached());
        const QStringList keys = column(kind, k.keyColumn);
        QCOMPARE(keys.size(), rows);
        if (rows > 0) {
            QCOMPARE(keys.first(), recordKey(first));
            QCOMPARE(keys.last(), recordKey(first + rows - 1));
            QCOMPARE(grid(kind)->cellText(0, k.dateColumn), recordTime(first).toString(k.dateFormat));
        }
        for (const QString &item : k.menuItems)
            QCOMPARE(child<QAction>(item)->isVisible(), rows > 0);
        QVERIFY(!m_page->FrmSearchPrompt->suiButton1->isEnabled());
    };

    QCOMPARE(click(button(k.query)), QString());
    checkPage(1);
    if (QTest::currentTestFailed())
        return;
    for (int page = 2; page <= pages; ++page) {
        QCOMPARE(click(button(k.next)), QString());
        checkPage(page);
        if (QTest::currentTestFailed())
            return;
    }
    for (int page = pages - 1; page >= 1; --page) {
        QCOMPARE(click(button(k.previous)), QString());
        checkPage(page);
        if (QTest::currentTestFailed())
            return;
    }
    // A new query after paging starts at page 1 again.
    if (pages > 1) {
        QCOMPARE(click(button(k.next)), QString());
        QCOMPARE(click(button(k.query)), QString());
        checkPage(1);
    }
}

// Records vanish between page moves: the recount has fewer pages than the one asked for, so page 1 of
// the new count is shown.
void TestPaging::recountBelowCurrentPage()
{
    QVERIFY2(m_db.exec(pagingFixture(Kind::ANN, 101)), qPrintable(m_db.errorString()));
    useWideRange(Kind::ANN);
    QCOMPARE(click(m_page->suiButton7), QString());
    QCOMPARE(click(m_page->suiButton10), QString());
    QCOMPARE(m_page->Label36->text(), u"2 of 3 頁"_s);

    QVERIFY2(m_db.exec(u"delete from announcement where ann_id > 41"_s), qPrintable(m_db.errorString()));
    QCOMPARE(click(m_page->suiButton10), QString());
    QCOMPARE(m_page->Label36->text(), u"1 of 1 頁"_s);
    QVERIFY(!m_page->suiButton15->isEnabled());
    QVERIFY(!m_page->suiButton10->isEnabled());
    QCOMPARE(panel(0), u"共查詢到上市公司公告記錄數 41 條"_s);
    QCOMPARE(panel(1), u"當前顯示第 1 條 至 第 41 條"_s);
    const QStringList keys = column(Kind::ANN, 1);
    QCOMPARE(keys.size(), 41);
    QCOMPARE(keys.first(), recordKey(0));
}

void TestPaging::filterChangedBeforeNext_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("label");
    QTest::addColumn<int>("total");
    QTest::addColumn<int>("firstShown");
    QTest::addColumn<bool>("previousEnabled");

    // 00000 to 00100: "000" keeps the first hundred (two pages), "0000" the first ten (one page).
    QTest::newRow("next page of the new filter") << u"000"_s << u"2 of 2 頁"_s << 100 << 50 << true;
    QTest::newRow("new filter has no such page") << u"0000"_s << u"1 of 1 頁"_s << 10 << 0 << false;
}

// "下一页" counts and pages under the filters as they stand when it is pressed.
void TestPaging::filterChangedBeforeNext()
{
    QFETCH(QString, code);
    QFETCH(QString, label);
    QFETCH(int, total);
    QFETCH(int, firstShown);
    QFETCH(bool, previousEnabled);

    QVERIFY2(m_db.exec(pagingFixture(Kind::ANN, 101)), qPrintable(m_db.errorString()));
    useWideRange(Kind::ANN);
    QCOMPARE(click(m_page->suiButton7), QString());
    QCOMPARE(m_page->Label36->text(), u"1 of 3 頁"_s);

    m_page->suiEdit1->setText(code);
    QCOMPARE(click(m_page->suiButton10), QString());
    QCOMPARE(m_page->Label36->text(), label);
    QCOMPARE(panel(0), u"共查詢到上市公司公告記錄數 %1 條"_s.arg(total));
    QCOMPARE(m_page->suiButton15->isEnabled(), previousEnabled);
    QVERIFY(!m_page->suiButton10->isEnabled());
    const QStringList keys = column(Kind::ANN, 1);
    QVERIFY(!keys.isEmpty());
    QCOMPARE(keys.first(), recordKey(firstShown));
    for (const QString &key : keys)
        QVERIFY2(key.startsWith(code), qPrintable(key));
}

// Each tab shows its own kind's totals and position; a kind never queried shows its zero text.
void TestPaging::tabChangeTexts()
{
    QVERIFY2(m_db.exec(pagingFixture(Kind::ANN, 51) + u";"_s + pagingFixture(Kind::REP, 3)),
             qPrintable(m_db.errorString()));
    useWideRange(Kind::ANN);
    useWideRange(Kind::REP);
    QTabWidget *tabs = m_page->suiPageControl3;

    QCOMPARE(click(m_page->suiButton7), QString());
    QCOMPARE(click(m_page->suiButton10), QString());
    tabs->setCurrentIndex(1);
    QCOMPARE(panel(0), u"共查詢到股份購回報告記錄數 0 條"_s);
    QCOMPARE(panel(1), QString());
    tabs->setCurrentIndex(2);
    QCOMPARE(panel(0), u"共查詢到披露權益記錄數 0 條"_s);
    QCOMPARE(panel(1), QString());
    tabs->setCurrentIndex(3);
    QCOMPARE(panel(0), u"共查詢到研究報告記錄數 0 條"_s);
    QCOMPARE(panel(1), QString());

    tabs->setCurrentIndex(1);
    QCOMPARE(click(m_page->suiButton8), QString());
    QCOMPARE(panel(0), u"共查詢到股份購回報告記錄數 3 條"_s);
    tabs->setCurrentIndex(0);
    QCOMPARE(panel(0), u"共查詢到上市公司公告記錄數 51 條"_s);
    QCOMPARE(panel(1), u"當前顯示第 51 條 至 第 51 條"_s);
    tabs->setCurrentIndex(1);
    QCOMPARE(panel(0), u"共查詢到股份購回報告記錄數 3 條"_s);
    QCOMPARE(panel(1), u"當前顯示第 1 條 至 第 3 條"_s);
    // The tab change leaves page labels and buttons alone.
    QCOMPARE(m_page->Label36->text(), u"2 of 2 頁"_s);
    QCOMPARE(m_page->Label37->text(), u"1 of 1 頁"_s);
    QVERIFY(m_page->suiButton15->isEnabled());
}

void TestPaging::cancel_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("pageMove");

    QTest::newRow("取消查询 on a page move") << u"button"_s << true;
    QTest::newRow("取消查询 on a new query") << u"button"_s << false;
    QTest::newRow("Escape on a new query") << u"escape"_s << false;
    QTest::newRow("window closed on a page move") << u"close"_s << true;
}

// A cancelled wait leaves the grid empty and the texts of the previous result; its worker goes on, holds
// the connection until it is done, and its rows never show. The next query waits for it.
void TestPaging::cancel()
{
    QFETCH(QString, how);
    QFETCH(bool, pageMove);

    QVERIFY2(m_db.exec(pagingFixture(Kind::ANN, 60) + u";"_s + pagingFixture(Kind::REP, 3)),
             qPrintable(m_db.errorString()));
    useWideRange(Kind::ANN);
    useWideRange(Kind::REP);
    QCOMPARE(click(m_page->suiButton7), QString());
    const QString total = panel(0);
    const QString position = panel(1);
    QCOMPARE(total, u"共查詢到上市公司公告記錄數 60 條"_s);

    // While another session holds the table, the worker's statement waits at the server.
    SecondSession blocker(m_db.connectString());
    blocker.run(u"lock tables announcement write"_s);
    TFrmSearchPrompt *prompt = m_page->FrmSearchPrompt;
    const QString error = clickDuring(pageMove ? m_page->suiButton10 : m_page->suiButton7, [&] {
        QVERIFY(prompt->suiButton1->isEnabled());
        if (how == u"button")
            prompt->suiButton1->click();
        else if (how == u"escape")
            QTest::keyClick(prompt, Qt::Key_Escape);
        else
            prompt->close();
    });
    QCOMPARE(error, QString());
    QVERIFY(m_page->paging(Kind::ANN).cancelled);
    QVERIFY(!m_page->DBGridEh2->isAttached());
    QCOMPARE(panel(0), total);
    QCOMPARE(panel(1), position);
    QCOMPARE(m_page->Label36->text(), u"1 of 2 頁"_s);
    // Buttons as the operation left them before its wait.
    QCOMPARE(m_page->suiButton10->isEnabled(), pageMove);
    QVERIFY(!m_page->suiButton15->isEnabled());
    QVERIFY(!workersDone());

    // A query of another kind now waits behind the cancelled worker, though its own table is free.
    bool waitedBehind = false;
    const QString second = clickDuring(m_page->suiButton8, [&] {
        // Long enough for the repurchase statements to have finished many times over, had they run.
        QTest::qWait(300);
        waitedBehind = prompt->isVisible() && m_page->paging(Kind::REP).total == 0;
        blocker.run(u"unlock tables"_s);
    });
    QCOMPARE(second, QString());
    QVERIFY(waitedBehind);
    QCOMPARE(panel(0), u"共查詢到股份購回報告記錄數 3 條"_s);
    QCOMPARE(column(Kind::REP, 2).size(), 3);

    // The cancelled worker has finished by now, and nothing of its fetch reached the announcement tab.
    QTRY_VERIFY(workersDone());
    QCoreApplication::processEvents();
    QVERIFY(!m_page->DBGridEh2->isAttached());
    QVERIFY(!m_page->AQAnn.isOpen());
    QCOMPARE(m_page->Label36->text(), u"1 of 2 頁"_s);

    // The kind works again with its next query.
    QCOMPARE(click(m_page->suiButton7), QString());
    QCOMPARE(m_page->Label36->text(), u"1 of 2 頁"_s);
    QCOMPARE(column(Kind::ANN, 1).size(), 50);
    QVERIFY(!m_page->paging(Kind::ANN).cancelled);
}

void TestPaging::failingStatement_data()
{
    QTest::addColumn<bool>("pageMove");
    QTest::newRow("new query") << false;
    QTest::newRow("page move") << true;
}

// A statement that the server rejects ends the wait with the database-failure message; the kind is left
// as after a cancel.
void TestPaging::failingStatement()
{
    QFETCH(bool, pageMove);
    QVERIFY2(m_db.exec(pagingFixture(Kind::ANN, 60)), qPrintable(m_db.errorString()));
    useWideRange(Kind::ANN);
    QCOMPARE(click(m_page->suiButton7), QString());
    const QString total = panel(0);
    const QString position = panel(1);

    QVERIFY2(m_db.exec(u"rename table ann_title_tag to ann_title_tag_gone"_s),
             qPrintable(m_db.errorString()));
    // Put back however the test ends, so that the next test finds the schema whole.
    struct Restore
    {
        test::TestDatabase &db;
        bool done = false;
        bool run() { return done = done || db.exec(u"rename table ann_title_tag_gone to ann_title_tag"_s); }
        ~Restore() { run(); }
    } restore{m_db};

    QCOMPARE(click(pageMove ? m_page->suiButton10 : m_page->suiButton7), QString());
    const QList<ui::ShownMessage> shown = ui::Dialogs::takeShown();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown.first().title, u"提示信息"_s);
    QCOMPARE(shown.first().text, kDatabaseFailure);
    QCOMPARE(shown.first().icon, ui::Icon::Error);
    QVERIFY(m_page->paging(Kind::ANN).cancelled);
    QVERIFY(!m_page->DBGridEh2->isAttached());
    QCOMPARE(panel(0), total);
    QCOMPARE(panel(1), position);
    QCOMPARE(m_page->Label36->text(), u"1 of 2 頁"_s);
    QCOMPARE(m_page->suiButton10->isEnabled(), pageMove);

    // Once the table is back, a new query shows its result again.
    QVERIFY2(restore.run(), qPrintable(m_db.errorString()));
    QCOMPARE(click(m_page->suiButton7), QString());
    QCOMPARE(panel(0), total);
    QCOMPARE(column(Kind::ANN, 1).size(), 50);
    QVERIFY(ui::Dialogs::takeShown().isEmpty());
}

// The wait window: where it stands, its button, and the animation it loads from the program's folder at
// every showing (the still picture and a message when the file cannot be read).
void TestPaging::waitWindow()
{
    QVERIFY2(m_db.exec(pagingFixture(Kind::ANN, 3)), qPrintable(m_db.errorString()));
    TFrmSearchPrompt *prompt = m_page->FrmSearchPrompt;
    SecondSession blocker(m_db.connectString());

    blocker.run(u"lock tables announcement write"_s);
    QString error = clickDuring(m_page->suiButton7, [&] {
        QCOMPARE(QApplication::activeModalWidget(), static_cast<QWidget *>(prompt));
        QCOMPARE(prompt->pos(), QPoint(474, 388));
        QCOMPARE(prompt->size(), QSize(400, 206));
        QVERIFY(prompt->windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(prompt->windowTitle(), u"查詢"_s);
        QCOMPARE(prompt->suiButton1->text(), u"取消查询"_s);
        QCOMPARE(prompt->suiButton1->geometry(), QRect(184, 132, 88, 35));
        QVERIFY(prompt->suiButton1->isEnabled());
        QMovie *movie = prompt->Image1->movie();
        QVERIFY(movie);
        QCOMPARE(QFileInfo(movie->fileName()).absolutePath(), QDir(m_programFolder.path()).absolutePath());
        QVERIFY(movie->frameCount() > 1);
        QCOMPARE(movie->state(), QMovie::Running);
        QCOMPARE(movie->currentImage().size(), QSize(400, 206));
        // Let the worker through: the wait then ends by completion.
        blocker.run(u"unlock tables"_s);
    });
    QCOMPARE(error, QString());
    QCOMPARE(m_page->Label36->text(), u"1 of 1 頁"_s);
    QVERIFY(!prompt->suiButton1->isEnabled());

    // Without the file the next showing reports it and keeps the still picture.
    QVERIFY(
        QFile::rename(m_programFolder.filePath(u"search.gif"_s), m_programFolder.filePath(u"away.gif"_s)));
    blocker.run(u"lock tables announcement write"_s);
    error = clickDuring(m_page->suiButton7, [&] {
        QVERIFY(!prompt->Image1->movie());
        QVERIFY(!prompt->Image1->pixmap().isNull());
        QList<ui::ShownMessage> shown;
        QTRY_VERIFY((shown += ui::Dialogs::takeShown(), !shown.isEmpty()));
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown.first().icon, ui::Icon::Error);
        QVERIFY2(shown.first().text.contains(u"search.gif"_s), qPrintable(shown.first().text));
        QVERIFY(prompt->isVisible());
        blocker.run(u"unlock tables"_s);
    });
    QVERIFY(
        QFile::rename(m_programFolder.filePath(u"away.gif"_s), m_programFolder.filePath(u"search.gif"_s)));
    QCOMPARE(error, QString());
    QCOMPARE(m_page->Label36->text(), u"1 of 1 頁"_s);
}

QTEST_MAIN(TestPaging)
#include "tst_paging.moc"
