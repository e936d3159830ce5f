// The shared connection against a real MariaDB server through the real ODBC driver.
#include "platform/db/connection.h"
#include "platform/db/dataset.h"
#include "platform/text/gbk.h"
#include "tests/support/testdatabase.h"

#include <QtTest>

#include <atomic>
#include <thread>

using namespace vintrel;
using namespace Qt::StringLiterals;

namespace {
// A Chinese character whose GBK second byte is the byte of a backslash.
QString charWithBackslashTrailByte()
{
    for (char16_t c = 0x4E00; c < 0x9FA5; ++c) {
        const QByteArray gbk = text::toGbk(QString(QChar(c)));
        if (gbk.size() == 2 && gbk.at(1) == '\\')
            return QString(QChar(c));
    }
    return {};
}
} // namespace

class TestDb : public QObject
{
    Q_OBJECT

    test::TestDatabase m_server;
    db::Connection &conn() { return db::Connection::shared(); }

private slots:
    void initTestCase()
    {
        QVERIFY2(m_server.start(), qPrintable(m_server.errorString()));
        conn().setConnectString(m_server.connectString());
    }

    void init() { QVERIFY2(m_server.reset(), qPrintable(m_server.errorString())); }

    void namedParametersOfEachType()
    {
        const QDateTime when(QDate(2026, 3, 4), QTime(23, 59, 58));
        db::Statement insert(u"insert into que_answer (submit_time,username,que_title,que_content) "
                             u"values (:st1,:id1,:qt1,:qc1)"_s);
        insert.bind(u"st1"_s, when).bind(u"id1"_s, u"陳大文"_s).bind(u"qt1"_s, u"問題: 'a' \\ b"_s).bind(u"qc1"_s, u"正文"_s);
        QCOMPARE(conn().execute(insert), 1LL);
        QCOMPARE(m_server.scalar(u"select que_title from que_answer"_s), u"問題: 'a' \\ b"_s);

        db::Statement select(u"select * from que_answer where username = :id1 and submit_time = :st1"_s);
        select.bind(u"id1"_s, u"陳大文"_s).bind(u"st1"_s, when);
        const db::RecordSet rs = conn().query(select);
        QCOMPARE(rs.rowCount(), 1);
        QCOMPARE(rs.value(0, u"SUBMIT_TIME"_s).toDateTime(), when);
        QCOMPARE(rs.text(0, u"Que_Content"_s), u"正文"_s);
        QVERIFY(rs.value(0, u"answer_time"_s).isNull());
        QCOMPARE(rs.text(0, u"answer_time"_s), QString());
        QVERIFY_THROWS_EXCEPTION(db::Error, rs.value(0, u"no_such_column"_s));

        db::Statement update(u"update user set online = :ol1 where username = :id1"_s);
        QVERIFY(m_server.exec(u"insert into user (username,password,email,online) values ('u1','p','e',0)"_s));
        update.bind(u"ol1"_s, 1).bind(u"id1"_s, u"u1"_s);
        QCOMPARE(conn().execute(update), 1LL);
        const db::RecordSet user = conn().query(u"select online, count(*) as mycount from user"_s);
        QCOMPARE(user.value(0, u"online"_s).toLongLong(), 1);
        QCOMPARE(user.value(0, u"MYCOUNT"_s).toLongLong(), 1);
    }

    void gbkTextInLiteralsAndParameters()
    {
        const QString tricky = charWithBackslashTrailByte();
        QVERIFY(!tricky.isEmpty());
        const QString name = tricky + u"公司's \\ 100% _x:y"_s;
        db::Statement insert(u"insert into stock (code,full_code,name) values (:c1,:fc1,:n1)"_s);
        insert.bind(u"c1"_s, u"5"_s).bind(u"fc1"_s, u"00005"_s).bind(u"n1"_s, name);
        conn().execute(insert);
        QCOMPARE(m_server.scalar(u"select hex(name) from stock"_s),
                 QString::fromLatin1(text::toGbk(name).toHex().toUpper()));

        // The same text inside a literal, escaped, finds the row and nothing else.
        QVERIFY(m_server.exec(u"insert into stock (code,full_code,name) values ('6','00006','other')"_s));
        const db::RecordSet found = conn().query(
            u"select full_code from stock where name like '%"_s + db::escapeLikePattern(name) + u"%'"_s);
        QCOMPARE(found.rowCount(), 1);
        QCOMPARE(found.text(0, u"full_code"_s), u"00005"_s);
        const db::RecordSet exact =
            conn().query(u"select name from stock where name = '"_s + db::escapeLiteral(name) + u"'"_s);
        QCOMPARE(exact.rowCount(), 1);
        QCOMPARE(exact.text(0, u"name"_s), name);
    }

    void literalsCannotBeEnded_data()
    {
        QTest::addColumn<QString>("input");
        QTest::newRow("quote or") << u"' or '1'='1"_s;
        QTest::newRow("backslash quote") << u"\\' or 1=1 -- "_s;
        QTest::newRow("trailing backslash") << u"abc\\"_s;
        QTest::newRow("colon parameter") << u"':id1 '"_s;
    }
    void literalsCannotBeEnded()
    {
        QFETCH(QString, input);
        QVERIFY(m_server.exec(u"insert into stock (code,full_code,name) values ('1','00001','a'),('2','00002','b')"_s));
        const db::RecordSet rs =
            conn().query(u"select * from stock where name like '%"_s + db::escapeLikePattern(input) + u"%'"_s);
        QCOMPARE(rs.rowCount(), 0);
        const db::RecordSet same =
            conn().query(u"select * from stock where name = '"_s + db::escapeLiteral(input) + u"'"_s);
        QCOMPARE(same.rowCount(), 0);
    }

    void likePatternsKeepWildcardsAndFindBackslashes_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QStringList>("found");
        QTest::newRow("backslash") << u"\\"_s << QStringList{u"00003"_s};
        QTest::newRow("backslash before wildcard") << u"c\\%"_s << QStringList{u"00003"_s};
        QTest::newRow("percent is a wildcard") << u"a%c"_s << QStringList{u"00001"_s, u"00003"_s};
        QTest::newRow("underscore is a wildcard") << u"a_c"_s << QStringList{u"00001"_s, u"00003"_s};
        QTest::newRow("quote") << u"'"_s << QStringList{u"00002"_s};
    }
    void likePatternsKeepWildcardsAndFindBackslashes()
    {
        QFETCH(QString, pattern);
        QFETCH(QStringList, found);
        QVERIFY(m_server.exec(u"insert into stock (code,full_code,name) values "
                              u"('1','00001','abc'),('2','00002','o''neil'),('3','00003','a-c\\\\d')"_s));
        const db::RecordSet rs = conn().query(u"select full_code from stock where name like '%"_s
                                              + db::escapeLikePattern(pattern) + u"%' order by full_code"_s);
        QStringList codes;
        for (int i = 0; i < rs.rowCount(); ++i)
            codes << rs.text(i, u"full_code"_s);
        QCOMPARE(codes, found);
    }

    void failuresThrow()
    {
        QVERIFY_THROWS_EXCEPTION(db::Error, conn().query(u"select * from no_such_table"_s));
        QVERIFY_THROWS_EXCEPTION(db::Error, conn().execute(u"update user set nothing = 1"_s));
        db::Dataset set;
        QVERIFY_THROWS_EXCEPTION(db::Error, set.open(u"select broken from"_s));
        QVERIFY(!set.isOpen());
        QCOMPARE(set.rowCount(), 0);
        // The connection goes on working after a rejected statement.
        QCOMPARE(conn().query(u"select count(*) from user"_s).value(0, 0).toLongLong(), 0);
    }

    void usableFromWorkersUnderTheLock()
    {
        QVERIFY(m_server.exec(u"insert into update_log (finish_date) values ('2026-01-02 03:04:05')"_s));
        std::atomic<int> ok = 0;
        std::atomic<bool> holding = false;
        std::thread worker([&] {
            db::ConnectionLock lock(conn().mutex());
            holding = true;
            for (int i = 0; i < 20; ++i) {
                if (conn().query(u"select max(finish_date) from update_log"_s).value(0, 0).toDateTime()
                    == QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)))
                    ++ok;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        });
        QTRY_VERIFY(holding.load());
        // While a worker holds the connection, another thread cannot take it...
        db::ConnectionLock attempt(conn().mutex(), std::try_to_lock);
        QVERIFY(!attempt.owns_lock());
        worker.join();
        QCOMPARE(ok.load(), 20);
        // ...and afterwards it can.
        QVERIFY(attempt.try_lock());
    }

    void unreachableServerFailsAndRecovers()
    {
        m_server.stop();
        QVERIFY_THROWS_EXCEPTION(db::Error, conn().query(u"select count(*) from user"_s));
        QVERIFY2(m_server.start(), qPrintable(m_server.errorString()));
        // Nothing reconnects by itself; pointing the connection again brings it back.
        conn().setConnectString(m_server.connectString());
        QCOMPARE(conn().query(u"select count(*) from user"_s).rowCount(), 1);
    }
};

QTEST_GUILESS_MAIN(TestDb)
#include "tst_db.moc"
