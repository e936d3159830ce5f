// The private database server of the tests: the schema it starts with, GBK text through fixtures,
// the ODBC data source the client connects with, stopping and restarting, two servers side by side,
// and the folders that a killed run leaves behind.

#include "platform/text/gbk.h"
#include "tests/support/testdatabase.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using vintrel::test::TestDatabase;
using vintrel::text::toGbk;

namespace {

constexpr int kProcessTimeoutMs = 60000;

// The test address with its third part replaced, for further servers of this program only.
QString siblingAddress(int third)
{
    QStringList parts = vintrel::test::testAddress().split(u'.');
    parts[2] = QString::number(third);
    return parts.join(u'.');
}

QString dbctl()
{
    return vintrel::test::sourceFile(u"server/dbctl"_s);
}

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Run run(const QString &program, const QStringList &arguments, const QByteArray &input = {},
        const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    Run result;
    if (!process.waitForStarted(kProcessTimeoutMs))
        return result;
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(kProcessTimeoutMs)) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

// A statement through the ODBC data source, as the client connects: isql with the connection string,
// with ODBCINI as TestDatabase set it in this process. Output columns are separated by '|'.
Run odbcQuery(const QString &connectString, const QString &sql)
{
    const QString isql = QStandardPaths::findExecutable(u"isql"_s);
    if (isql.isEmpty())
        return {};
    return run(isql, {u"-k"_s, connectString, u"-b"_s, u"-d|"_s}, toGbk(sql) + "\n");
}

QString literal(QString text)
{
    text.replace(u'\\', u"\\\\"_s).replace(u'\'', u"''"_s);
    return u"'"_s + text + u"'"_s;
}

} // namespace

class TstTestDatabase : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(!QStandardPaths::findExecutable(u"isql"_s).isEmpty(),
                 "isql (package unixodbc) is needed to check the ODBC data source");
        QVERIFY2(m_db.start(), qPrintable(m_db.errorString()));
    }
    void init() { QVERIFY2(m_db.reset(), qPrintable(m_db.errorString())); }

    void schemaHasEveryTable_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QStringList>("columns");
        QTest::newRow("user") << u"user"_s
                              << QStringList{u"username"_s, u"password"_s, u"email"_s,
                                             u"login_time"_s, u"logout_time"_s, u"online"_s};
        QTest::newRow("stock") << u"stock"_s
                               << QStringList{u"code"_s, u"full_code"_s, u"name"_s};
        QTest::newRow("announcement")
            << u"announcement"_s
            << QStringList{u"ann_id"_s, u"release_date"_s, u"stock_code"_s, u"stock_name"_s,
                           u"title_tag"_s, u"file_title"_s, u"file_link"_s};
        QTest::newRow("title_tag") << u"title_tag"_s
                                   << QStringList{u"tag_id"_s, u"name"_s, u"lft"_s, u"rgt"_s};
        QTest::newRow("ann_title_tag") << u"ann_title_tag"_s
                                       << QStringList{u"ann_id"_s, u"tag_id"_s};
        QTest::newRow("share_repurchase")
            << u"share_repurchase"_s
            << QStringList{u"stock_code"_s, u"report_date"_s, u"trade_date"_s,
                           u"share_amount"_s, u"unit_high"_s, u"unit_low"_s, u"total_paid"_s,
                           u"method"_s, u"share_total_ytd"_s};
        QTest::newRow("disclose_interest")
            << u"disclose_interest"_s
            << QStringList{u"stock_code"_s, u"update_date"_s, u"event_date"_s,
                           u"holder_name"_s, u"disclose_reason"_s, u"share_involved"_s,
                           u"unit_avg"_s, u"share_interested"_s, u"percent_interested"_s,
                           u"form_type"_s, u"form_no"_s};
        QTest::newRow("research_report")
            << u"research_report"_s
            << QStringList{u"report_id"_s, u"report_title"_s, u"publish_org"_s,
                           u"publish_time"_s, u"upload_time"_s, u"report_type"_s,
                           u"report_level"_s, u"stock_code"_s};
        QTest::newRow("favor_stock") << u"favor_stock"_s
                                     << QStringList{u"username"_s, u"stock_code"_s};
        QTest::newRow("recent_update")
            << u"recent_update"_s
            << QStringList{u"stock_code"_s, u"ann"_s, u"srr"_s, u"din"_s, u"rrp"_s};
        QTest::newRow("update_log") << u"update_log"_s << QStringList{u"finish_date"_s};
        QTest::newRow("my_blog")
            << u"my_blog"_s
            << QStringList{u"blog_id"_s, u"username"_s, u"release_date"_s, u"blog_title"_s,
                           u"key_word"_s, u"blog_content"_s};
        QTest::newRow("que_answer")
            << u"que_answer"_s
            << QStringList{u"que_id"_s, u"submit_time"_s, u"username"_s, u"que_title"_s,
                           u"que_content"_s, u"que_answer"_s, u"que_status"_s,
                           u"answer_time"_s};
    }
    void schemaHasEveryTable()
    {
        QFETCH(QString, table);
        QFETCH(QStringList, columns);
        const QList<QStringList> info = m_db.rows(
            u"select engine, table_collation from information_schema.tables "
            "where table_schema = 'qavrenu' and table_name = "_s
            + literal(table));
        QCOMPARE(info.size(), 1);
        QCOMPARE(info[0].value(0), u"InnoDB"_s);
        QVERIFY2(info[0].value(1).startsWith(u"gbk_"_s), qPrintable(info[0].value(1)));

        QStringList found;
        for (const QStringList &row :
             m_db.rows(u"select column_name from information_schema.columns where "
                       "table_schema = 'qavrenu' and table_name = "_s
                       + literal(table)))
            found.append(row.value(0));
        for (const QString &column : columns)
            QVERIFY2(found.contains(column), qPrintable(table + u'.' + column));
    }

    // The stored bytes are the text's GBK form (not double-encoded), and the text reads back as it was.
    void textRoundTripsAsGbk_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("simplified") << u"上市公司公告"_s;
        QTest::newRow("traditional") << u"發佈時間：滙豐控股 董事會會議通告"_s;
        QTest::newRow("quote and backslash") << u"O'Neil \\ 股份"_s;
        QTest::newRow("line breaks and tab") << u"第一行\r\n第二行\n\t第三行"_s;
        QTest::newRow("markup characters") << u"<b>A & B</b> \"x\""_s;
    }
    void textRoundTripsAsGbk()
    {
        QFETCH(QString, text);
        QVERIFY2(m_db.exec(u"insert into announcement (stock_code, file_title) values ('00005', "_s
                           + literal(text) + u")"_s),
                 qPrintable(m_db.errorString()));
        QCOMPARE(m_db.scalar(u"select file_title from announcement where stock_code = '00005'"_s),
                 text);
        QCOMPARE(m_db.scalar(u"select hex(file_title) from announcement"_s).toLatin1(),
                 toGbk(text).toHex().toUpper());
    }

    void nullIsNotEmptyText()
    {
        QVERIFY(m_db.exec(u"insert into stock (code, full_code, name) values ('1', '00001', NULL);"
                          "insert into stock (code, full_code, name) values ('2', '00002', '')"_s));
        const QList<QStringList> rows =
            m_db.rows(u"select code, name from stock order by code"_s);
        QCOMPARE(rows.size(), 2);
        QVERIFY(rows[0][1].isNull());
        QVERIFY(!rows[1][1].isNull());
        QCOMPARE(rows[1][1], u""_s);
        QCOMPARE(m_db.scalar(u"select name from stock where code = '9'"_s), u""_s);
    }

    void failingStatementStopsTheRun()
    {
        QVERIFY(!m_db.exec(u"insert into update_log values ('2024-05-01 10:00:00');"
                           "insert into no_such_table values (1);"
                           "insert into update_log values ('2024-05-02 10:00:00')"_s));
        QVERIFY2(m_db.errorString().contains(u"no_such_table"_s), qPrintable(m_db.errorString()));
        QCOMPARE(m_db.scalar(u"select group_concat(finish_date) from update_log"_s),
                 u"2024-05-01 10:00:00"_s);
    }

    void resetEmptiesTablesAndRestartsIds()
    {
        QVERIFY(m_db.exec(
            u"insert into user (username, password) values ('alice', 'secret1');"
            "insert into favor_stock values ('alice', '00005');"
            "insert into my_blog (username, blog_title) values ('alice', 'a'), ('alice', 'b');"
            "insert into que_answer (username, que_title) values ('alice', 'q')"_s));
        QCOMPARE(m_db.scalar(u"select max(blog_id) from my_blog"_s), u"2"_s);
        QVERIFY(m_db.reset());
        QCOMPARE(m_db.scalar(u"select (select count(*) from user) + (select count(*) from favor_stock)"
                             " + (select count(*) from my_blog) + (select count(*) from que_answer)"_s),
                 u"0"_s);
        QVERIFY(m_db.exec(u"insert into my_blog (username, blog_title) values ('bob', 'c')"_s));
        QCOMPARE(m_db.scalar(u"select blog_id from my_blog"_s), u"1"_s);
    }

    // The client's connection string through the private odbc.ini, as the account "qavrenu" over TCP.
    void odbcDataSourceReachesTheServer()
    {
        QVERIFY(m_db.exec(u"insert into stock values ('5', '00005', '滙豐控股')"_s));
        QCOMPARE(qEnvironmentVariable("ODBCINI"), m_db.odbcIniPath());
        const Run result = odbcQuery(
            m_db.connectString(),
            u"select full_code, name, current_user(), @@character_set_client from stock"_s);
        QVERIFY2(result.exitCode == 0, result.err.constData());
        QVERIFY2(result.out.contains(QByteArray("00005|" + toGbk(u"滙豐控股"_s) + "|qavrenu@%|gbk")),
                 result.out.constData());
    }

    void passwordComparesExactly_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("matches");
        QTest::newRow("same") << u"Secret1"_s << u"1"_s;
        QTest::newRow("other case") << u"secret1"_s << u"0"_s;
        QTest::newRow("trailing blank") << u"Secret1 "_s << u"0"_s;
    }
    void passwordComparesExactly()
    {
        QFETCH(QString, typed);
        QFETCH(QString, matches);
        QVERIFY(m_db.exec(u"insert into user (username, password) values ('alice', 'Secret1')"_s));
        QCOMPARE(m_db.scalar(u"select count(*) from user where username = 'alice' and password = "_s
                             + literal(typed)),
                 matches);
    }

    void twoServersRunAtOnce()
    {
        QString secondFolder;
        {
            TestDatabase second(siblingAddress(2));
            QVERIFY2(second.start(), qPrintable(second.errorString()));
            secondFolder = QFileInfo(second.odbcIniPath()).path();
            QVERIFY(m_db.exec(u"insert into stock values ('1', '00001', '長江和記')"_s));
            QVERIFY(second.exec(u"insert into stock values ('2', '00002', '中電控股')"_s));
            QCOMPARE(m_db.scalar(u"select group_concat(code) from stock"_s), u"1"_s);
            QCOMPARE(second.scalar(u"select group_concat(code) from stock"_s), u"2"_s);

            const Run viaOdbc = odbcQuery(second.connectString(), u"select full_code from stock"_s);
            QVERIFY2(viaOdbc.exitCode == 0, viaOdbc.err.constData());
            QVERIFY(viaOdbc.out.contains("00002"));
            QVERIFY(!viaOdbc.out.contains("00001"));
        }
        // Gone with its object: the server and its folder; the first one's data source works on.
        QVERIFY(!QFileInfo::exists(secondFolder));
        const Run afterwards = odbcQuery(TestDatabase(siblingAddress(2)).connectString(),
                                         u"select 1"_s);
        QVERIFY(afterwards.exitCode != 0);
        QCOMPARE(qEnvironmentVariable("ODBCINI"), m_db.odbcIniPath());
        const Run first = odbcQuery(m_db.connectString(), u"select full_code from stock"_s);
        QVERIFY2(first.exitCode == 0, first.out.constData());
        QVERIFY(first.out.contains("00001"));
    }

    // Two programs making the first template at once: both get a working server.
    void concurrentFirstStarts()
    {
        QTemporaryDir dir(QDir::tempPath() + u"/vtdb-XXXXXX"_s);
        QVERIFY(dir.isValid());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"VINTREL_DB_TEMPLATE_DIR"_s, dir.filePath(u"template"_s));
        QProcess first, second;
        for (QProcess *process : {&first, &second})
            process->setProcessEnvironment(environment);
        first.start(dbctl(), {u"start"_s, dir.filePath(u"a"_s), siblingAddress(3)});
        second.start(dbctl(), {u"start"_s, dir.filePath(u"b"_s), siblingAddress(4)});
        QVERIFY(first.waitForFinished(kProcessTimeoutMs));
        QVERIFY(second.waitForFinished(kProcessTimeoutMs));
        const bool firstOk = first.exitCode() == 0, secondOk = second.exitCode() == 0;
        for (const QString &folder : {dir.filePath(u"a"_s), dir.filePath(u"b"_s)}) {
            if (QFileInfo::exists(folder))
                run(dbctl(), {u"stop"_s, folder});
        }
        QVERIFY2(firstOk, first.readAllStandardError().constData());
        QVERIFY2(secondOk, second.readAllStandardError().constData());
    }

    // A folder whose server was killed, and a folder whose owner was killed.
    void leftoversOfKilledRuns()
    {
        // Folders directly in the temporary folder, as TestDatabase makes them, share its template.
        QTemporaryDir dir(QDir::tempPath() + u"/vtdb-XXXXXX"_s);
        QVERIFY(dir.isValid());
        const QString folder = dir.path();
        const QString address = siblingAddress(5);
        const auto stopServer = qScopeGuard([&] { run(dbctl(), {u"stop"_s, folder}); });
        QCOMPARE(run(dbctl(), {u"start"_s, folder, address}).exitCode, 0);
        QCOMPARE(run(dbctl(), {u"sql"_s, folder, u"insert into update_log values (now())"_s}).exitCode, 0);

        QFile pidFile(folder + u"/server.pid"_s);
        QVERIFY(pidFile.open(QIODevice::ReadOnly));
        const QString pid = QString::fromLatin1(pidFile.readAll().trimmed());
        QCOMPARE(run(u"kill"_s, {u"-KILL"_s, pid}).exitCode, 0);
        QTRY_VERIFY_WITH_TIMEOUT(run(dbctl(), {u"status"_s, folder}).exitCode != 0, 10000);

        const Run restart = run(dbctl(), {u"start"_s, folder, address});
        QVERIFY2(restart.exitCode == 0, restart.err.constData());
        const Run count = run(dbctl(), {u"sql"_s, folder, u"select count(*) from update_log"_s});
        QCOMPARE(count.out, QByteArray("count(*)\n1\n"));
        QCOMPARE(run(dbctl(), {u"stop"_s, folder}).exitCode, 0);

        // The owner ends without stopping its server: the server stops and the folder goes.
        QProcess owner;
        owner.start(u"sleep"_s, {u"600"_s});
        QVERIFY(owner.waitForStarted());
        QTemporaryDir ownedDir(QDir::tempPath() + u"/vtdb-XXXXXX"_s);
        QVERIFY(ownedDir.isValid());
        const QString owned = ownedDir.path();
        const auto stopOwned = qScopeGuard([&] { run(dbctl(), {u"stop"_s, owned}); });
        const Run start = run(dbctl(), {u"start"_s, u"--owner"_s, QString::number(owner.processId()),
                                        owned, address});
        QVERIFY2(start.exitCode == 0, start.err.constData());
        owner.kill();
        QVERIFY(owner.waitForFinished());
        QTRY_VERIFY_WITH_TIMEOUT(!QFileInfo::exists(owned), 15000);
        const Run again = run(dbctl(), {u"start"_s, folder, address});
        QVERIFY2(again.exitCode == 0, again.err.constData());
        QCOMPARE(run(dbctl(), {u"stop"_s, folder}).exitCode, 0);
    }

    // Last: stop makes the database unreachable, start brings it back with its data.
    void stopMakesTheDatabaseUnreachable()
    {
        QVERIFY(m_db.exec(u"insert into update_log values ('2024-05-01 10:00:00')"_s));
        m_db.stop();
        QVERIFY(!m_db.exec(u"select 1"_s));
        QVERIFY(!m_db.errorString().isEmpty());
        const Run viaOdbc = odbcQuery(m_db.connectString(), u"select 1"_s);
        QVERIFY(viaOdbc.exitCode != 0);

        QVERIFY2(m_db.start(), qPrintable(m_db.errorString()));
        QCOMPARE(m_db.scalar(u"select max(finish_date) from update_log"_s), u"2024-05-01 10:00:00"_s);
        QCOMPARE(odbcQuery(m_db.connectString(), u"select 1"_s).exitCode, 0);
    }

private:
    TestDatabase m_db;
};

QTEST_GUILESS_MAIN(TstTestDatabase)
#include "tst_testdatabase.moc"
