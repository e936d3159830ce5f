// The login window against two configured servers on two loopback addresses, each with its own MariaDB
// server and FTP update area on port 21: server choice, account check, login record, version file,
// Locate.ini, and the main window running the login. Echo replies come from the test responder, so that
// round-trip times are fixed and a silent server costs no time-out.

#include "client/core/database.h"
#include "client/core/uLogin.h"
#include "client/core/uMain.h"
#include "client/core/uPublic.h"
#include "platform/db/connection.h"
#include "platform/ini/inifile.h"
#include "platform/net/icmpecho.h"
#include "platform/ui/clock.h"
#include "platform/ui/desktop.h"
#include "platform/ui/dialogs.h"
#include "tests/support/testdatabase.h"
#include "tests/support/testservers.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMutex>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

using namespace Qt::StringLiterals;
using namespace vintrel;
using net::EchoResult;

Q_DECLARE_METATYPE(EchoResult)

namespace {

const QString kFixedNow = u"2026-03-02 09:15:30"_s;
const QString kLocalVersion = u"1.0"_s;

// The second server: same last octet as this program's address, in a range no other test program uses.
QString secondAddress(const QString &first)
{
    return u"127.0.3."_s + first.section(u'.', 3, 3);
}

// Echo replies per address: queued ones first, then the address's standing reply. Every request is logged.
struct EchoScript
{
    QMutex mutex;
    QHash<QString, QList<EchoResult>> queued;
    QHash<QString, EchoResult> standing;
    QStringList calls;
    QList<int> timeouts;

    EchoResult answer(const QString &address, int timeoutMs)
    {
        const QMutexLocker lock(&mutex);
        calls << address;
        timeouts << timeoutMs;
        QList<EchoResult> &list = queued[address];
        if (!list.isEmpty())
            return list.takeFirst();
        return standing.value(address, EchoResult{timeoutMs, false});
    }
    void set(const QString &address, EchoResult reply)
    {
        const QMutexLocker lock(&mutex);
        standing[address] = reply;
    }
    void queue(const QString &address, const QList<EchoResult> &replies)
    {
        const QMutexLocker lock(&mutex);
        queued[address] = replies;
    }
    QStringList takeCalls()
    {
        const QMutexLocker lock(&mutex);
        timeouts.clear();
        return std::exchange(calls, {});
    }
    void clear()
    {
        const QMutexLocker lock(&mutex);
        queued.clear();
        standing.clear();
        calls.clear();
        timeouts.clear();
    }
};

EchoScript g_echo;

QString shownTexts()
{
    QStringList texts;
    for (const ui::ShownMessage &m : ui::Dialogs::takeShown())
        texts << m.text;
    return texts.join(u'|');
}

} // namespace

class TstLogin : public QObject
{
    Q_OBJECT

    const QString m_address1 = test::testAddress();
    const QString m_address2 = secondAddress(m_address1);
    test::TestDatabase m_db1{m_address1};
    test::TestDatabase m_db2{m_address2};
    QTemporaryDir m_ftpRoot1;
    QTemporaryDir m_ftpRoot2;
    std::unique_ptr<test::TestFtpServer> m_ftp1;
    std::unique_ptr<test::TestFtpServer> m_ftp2;
    std::unique_ptr<QTemporaryDir> m_folder;
    std::unique_ptr<TFrmLogin> m_login;

    QString programPath(const QString &name) const { return m_folder->filePath(name); }

    static bool startFtp(std::unique_ptr<test::TestFtpServer> &server, const QTemporaryDir &root,
                         const QString &address)
    {
        if (server && server->isRunning())
            return true;
        server.reset();
        server = std::make_unique<test::TestFtpServer>(root.path(), address, quint16(21));
        if (!server->isRunning())
            qWarning("%s", qPrintable(server->errorString()));
        return server->isRunning();
    }

    static void writeServerVersion(const QTemporaryDir &root, const QString &version)
    {
        QFile::remove(root.filePath(u"update.ini"_s));
        ini::IniFile(root.filePath(u"update.ini"_s)).writeString(u"VerNo"_s, u"VerNo"_s, version);
    }

    TFrmLogin &openLogin()
    {
        m_login = std::make_unique<TFrmLogin>();
        m_login->show();
        m_login->activateWindow();
        (void)QTest::qWaitForWindowActive(m_login.get());
        return *m_login;
    }

    void tryLogin(const QString &user, const QString &password)
    {
        m_login->suiEdit1->setText(user);
        m_login->suiEdit2->setText(password);
        QTest::mouseClick(m_login->suiButton1, Qt::LeftButton);
    }

    // The login record of a user on a server: "login_time/online".
    static QString loginRecord(test::TestDatabase &db, const QString &user)
    {
        return db.scalar(u"select concat(ifnull(login_time, 'none'), '/', online) from user where username = '"_s
                         + user + u'\'');
    }

    QString locate(const QString &key) const
    {
        return ini::IniFile(programPath(u"Locate.ini"_s)).readString(u"LocateAccount"_s, key);
    }

    // The key names of Locate.ini in the order they stand in the file.
    QStringList locateKeyOrder() const
    {
        QFile file(programPath(u"Locate.ini"_s));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        QStringList keys;
        for (const QByteArray &line : file.readAll().split('\n')) {
            const qsizetype equals = line.indexOf('=');
            if (equals > 0)
                keys << QString::fromLatin1(line.left(equals)).trimmed();
        }
        return keys;
    }

    // The try ended with the window open for another one.
    void verifyOpenForAnotherTry()
    {
        QVERIFY(m_login->isVisible());
        QVERIFY(!m_login->LoginOk);
        QVERIFY(m_login->suiEdit1->isEnabled());
        QVERIFY(m_login->suiEdit2->isEnabled());
        QVERIFY(m_login->suiButton1->isEnabled());
        QVERIFY(m_login->suiButton3->isEnabled());
    }

    void verifyErrorBox(const QString &text)
    {
        const QList<ui::ShownMessage> shown = ui::Dialogs::takeShown();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].title, u"提示信息"_s);
        QCOMPARE(shown[0].text, text);
        QCOMPARE(shown[0].icon, ui::Icon::Error);
    }

private slots:
    void initTestCase()
    {
        ui::Dialogs::setTestMode(true);
        ui::Desktop::setRecording(true);
        net::setEchoResponder([](const QString &address, int timeoutMs) { return g_echo.answer(address, timeoutMs); });
        QVERIFY(m_ftpRoot1.isValid() && m_ftpRoot2.isValid());
        QVERIFY2(m_db1.start(), qPrintable(m_db1.errorString()));
        QVERIFY2(m_db2.start(), qPrintable(m_db2.errorString()));
    }

    void cleanupTestCase()
    {
        net::setEchoResponder({});
        ui::setFixedNow({});
    }

    void init()
    {
        m_folder = std::make_unique<QTemporaryDir>();
        QVERIFY(m_folder->isValid());
        ui::setProgramFolder(m_folder->path());
        ui::setFixedNow(QDateTime::fromString(kFixedNow, u"yyyy-MM-dd hh:mm:ss"_s));

        QVERIFY2(startFtp(m_ftp1, m_ftpRoot1, m_address1), "FTP server 1");
        QVERIFY2(startFtp(m_ftp2, m_ftpRoot2, m_address2), "FTP server 2");
        writeServerVersion(m_ftpRoot1, kLocalVersion);
        writeServerVersion(m_ftpRoot2, kLocalVersion);

        for (test::TestDatabase *db : {&m_db1, &m_db2}) {
            if (!db->isRunning())
                QVERIFY2(db->start(), qPrintable(db->errorString()));
            QVERIFY2(db->reset(), qPrintable(db->errorString()));
            const QString server = db == &m_db1 ? u"one"_s : u"two"_s;
            QVERIFY2(db->exec(u"insert into user (username, password, email, online) values "
                              "('chan', 'secret', 'chan@%1.example', 0), ('lee', ' pw ', 'lee@%1.example', 0)"_s
                                  .arg(server)),
                     qPrintable(db->errorString()));
        }

        LoginState() = LoginStateData{};
        LoginState().ServerIP1 = m_address1;
        LoginState().ServerIP2 = m_address2;
        LoginState().VerNo = kLocalVersion;

        g_echo.clear();
        // Both answer; server 1 is the faster.
        g_echo.set(m_address1, {2, true});
        g_echo.set(m_address2, {7, true});

        ui::Dialogs::reset();
        ui::Desktop::takeStarted();
        ui::Desktop::takeOpened();
        db::Connection::shared().disconnect();
    }

    void cleanup()
    {
        m_login.reset();
        db::Connection::shared().disconnect();
    }

    void windowLooksAsDesigned()
    {
        TFrmLogin &login = openLogin();
        QCOMPARE(login.windowTitle(), u"Vintrel軟體版 - 登录"_s);
        QCOMPARE(login.size(), QSize(800, 499));
        QVERIFY(login.windowFlags().testFlag(Qt::FramelessWindowHint));
        QCOMPARE(login.suiButton1->text(), u"登 錄"_s);
        QCOMPARE(login.suiButton3->text(), u"退 出"_s);
        QCOMPARE(login.suiCheckBox1->text(), u"記住用戶名和密碼"_s);
        login.suiEdit2->setText(u"abc"_s);
        QCOMPARE(login.suiEdit2->displayText(), u"***"_s);
        QVERIFY(!login.LoginOk);
    }

    void formShowFillsSavedAccount_data()
    {
        QTest::addColumn<QString>("ifrem");
        QTest::addColumn<bool>("ticked");
        QTest::newRow("remembered") << u"yes"_s << true;
        QTest::newRow("not remembered") << u"no"_s << false;
        QTest::newRow("no Locate.ini value") << QString() << true;
        QTest::newRow("other value") << u"NO"_s << true;
    }
    void formShowFillsSavedAccount()
    {
        QFETCH(QString, ifrem);
        QFETCH(bool, ticked);
        LoginState().SavedUserName = u"chan"_s;
        LoginState().SavedPassword = u"secret"_s;
        LoginState().SavedIfRem = ifrem;
        LoginState().VerNo = u"2.3.1"_s;
        TFrmLogin &login = openLogin();
        QCOMPARE(login.Label2->text(), u"版本号：2.3.1"_s);
        QCOMPARE(login.suiEdit1->text(), u"chan"_s);
        QCOMPARE(login.suiEdit2->text(), u"secret"_s);
        QCOMPARE(login.suiCheckBox1->isChecked(), ticked);
    }

    void goodLogin_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("remember");
        QTest::addColumn<QString>("storedUser");
        QTest::addColumn<QString>("savedUser");
        QTest::addColumn<QString>("savedPassword");
        QTest::addColumn<QString>("savedIfRem");
        QTest::newRow("remembered") << u"chan"_s << u"secret"_s << true << u"chan"_s << u"chan"_s << u"secret"_s
                                    << u"yes"_s;
        QTest::newRow("not remembered")
            << u"chan"_s << u"secret"_s << false << u"chan"_s << QString() << QString() << u"no"_s;
        // The server matches names without case and trailing blanks; the stored name is what counts.
        QTest::newRow("name typed in capitals with a blank")
            << u"CHAN "_s << u"secret"_s << true << u"chan"_s << u"CHAN"_s << u"secret"_s << u"yes"_s;
        // Saved trimmed, so the prefilled password will not match this account next time.
        QTest::newRow("password with blanks around it")
            << u"lee"_s << u" pw "_s << true << u"lee"_s << u"lee"_s << u"pw"_s << u"yes"_s;
    }
    void goodLogin()
    {
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(bool, remember);
        QFETCH(QString, storedUser);
        QFETCH(QString, savedUser);
        QFETCH(QString, savedPassword);
        QFETCH(QString, savedIfRem);

        TFrmLogin &login = openLogin();
        login.suiCheckBox1->setChecked(remember);
        tryLogin(user, password);

        QCOMPARE(shownTexts(), QString());
        QVERIFY(login.LoginOk);
        QVERIFY(!login.isVisible());
        QCOMPARE(login.result(), int(QDialog::Accepted));

        // Three echoes to each server, server 1 first, each allowed the full receive time-out.
        QCOMPARE(g_echo.calls, (QStringList{m_address1, m_address1, m_address1, m_address2, m_address2, m_address2}));
        QCOMPARE(g_echo.timeouts, QList<int>(6, 3000));

        QCOMPARE(LoginState().ServerIP, m_address1);
        QCOMPARE(LoginState().UserName, storedUser);
        QCOMPARE(LoginState().Email, storedUser + u"@one.example"_s);
        QCOMPARE(LoginState().Password, m_db1.scalar(u"select password from user where username = '"_s
                                                     + storedUser + u'\''));
        QCOMPARE(loginRecord(m_db1, storedUser), kFixedNow + u"/1"_s);
        QCOMPARE(loginRecord(m_db2, storedUser), u"none/0"_s);
        // Nobody else's row changed.
        QCOMPARE(m_db1.scalar(u"select count(*) from user where online = 1"_s), u"1"_s);

        QCOMPARE(login.UpdateInfoURL, u"ftp://update:qavrenu@"_s + m_address1 + u"/update.ini"_s);
        QCOMPARE(login.UpdateInfoPath, programPath(u"update.ini"_s));
        QCOMPARE(ini::IniFile(programPath(u"update.ini"_s)).readString(u"VerNo"_s, u"VerNo"_s), kLocalVersion);

        QCOMPARE(locate(u"username"_s), savedUser);
        QCOMPARE(locate(u"password"_s), savedPassword);
        QCOMPARE(locate(u"ifrem"_s), savedIfRem);
        QCOMPARE(locate(u"preferIP"_s), m_address1);
        QCOMPARE(locateKeyOrder(), (QStringList{u"username"_s, u"password"_s, u"ifrem"_s, u"preferIP"_s}));
        QCOMPARE(ui::Desktop::takeStarted(), QStringList());

        // The connection stays on the chosen server.
        QCOMPARE(db::Connection::shared().query(u"select email from user where username = 'chan'"_s).text(0, u"email"_s),
                 u"chan@one.example"_s);
    }

    // Which server the login goes to, from three echoes each; the chosen server's database gets the login.
    void serverChoice_data()
    {
        QTest::addColumn<QList<EchoResult>>("server1");
        QTest::addColumn<QList<EchoResult>>("server2");
        QTest::addColumn<int>("chosen"); // 0: none
        const EchoResult silent{3000, false};
        QTest::newRow("server 1 answers one of three, server 2 none, whatever the sums")
            << QList<EchoResult>{silent, {900, true}, silent} << QList<EchoResult>{{1, false}, {1, false}, {1, false}}
            << 1;
        QTest::newRow("only server 2 answers")
            << QList<EchoResult>{silent, silent, silent} << QList<EchoResult>{{40, true}, {50, true}, silent} << 2;
        QTest::newRow("both answer, server 1 faster")
            << QList<EchoResult>{{3, true}, {4, true}, {5, true}} << QList<EchoResult>{{4, true}, {4, true}, {5, true}}
            << 1;
        QTest::newRow("both answer, server 2 faster")
            << QList<EchoResult>{{4, true}, {4, true}, {5, true}} << QList<EchoResult>{{3, true}, {4, true}, {5, true}}
            << 2;
        QTest::newRow("equal sums go to server 2")
            << QList<EchoResult>{{1, true}, {8, true}, {3, true}} << QList<EchoResult>{{4, true}, {4, true}, {4, true}}
            << 2;
        QTest::newRow("neither answers") << QList<EchoResult>{silent, silent, silent}
                                         << QList<EchoResult>{silent, {2, false}, silent} << 0;
    }
    void serverChoice()
    {
        QFETCH(QList<EchoResult>, server1);
        QFETCH(QList<EchoResult>, server2);
        QFETCH(int, chosen);
        g_echo.queue(m_address1, server1);
        g_echo.queue(m_address2, server2);

        TFrmLogin &login = openLogin();
        tryLogin(u"chan"_s, u"secret"_s);

        for (int i = 0; i < 3; ++i) {
            QCOMPARE(login.PingTimes[i], server1[i].roundTripMs);
            QCOMPARE(login.PingOk[i], server1[i].echoReply ? 1 : 0);
            QCOMPARE(login.PingTimes[i + 3], server2[i].roundTripMs);
            QCOMPARE(login.PingOk[i + 3], server2[i].echoReply ? 1 : 0);
        }

        if (chosen == 0) {
            QCOMPARE(shownTexts(), QString());
            verifyOpenForAnotherTry();
            QCOMPARE(login.Label1->text(), u"服務器連接失敗，請重試！"_s);
            QCOMPARE(login.suiEdit1->text(), u"chan"_s);
            QCOMPARE(loginRecord(m_db1, u"chan"_s), u"none/0"_s);
            QCOMPARE(loginRecord(m_db2, u"chan"_s), u"none/0"_s);
            QVERIFY(!QFile::exists(programPath(u"Locate.ini"_s)));
            QVERIFY(!QFile::exists(programPath(u"update.ini"_s)));
            return;
        }

        QCOMPARE(shownTexts(), QString());
        QVERIFY(login.LoginOk);
        const QString address = chosen == 1 ? m_address1 : m_address2;
        QCOMPARE(LoginState().ServerIP, address);
        QCOMPARE(loginRecord(chosen == 1 ? m_db1 : m_db2, u"chan"_s), kFixedNow + u"/1"_s);
        QCOMPARE(loginRecord(chosen == 1 ? m_db2 : m_db1, u"chan"_s), u"none/0"_s);
        QCOMPARE(LoginState().Email, chosen == 1 ? u"chan@one.example"_s : u"chan@two.example"_s);
        QCOMPARE(login.UpdateInfoURL, u"ftp://update:qavrenu@"_s + address + u"/update.ini"_s);
        QCOMPARE(locate(u"preferIP"_s), address);
    }

    void wrongAccount_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::newRow("wrong password") << u"chan"_s << u"secrets"_s;
        QTest::newRow("password in other case") << u"chan"_s << u"SECRET"_s;
        QTest::newRow("unknown user") << u"wong"_s << u"secret"_s;
        // What a remembered password becomes for an account whose password has blanks around it.
        QTest::newRow("stored password has blanks") << u"lee"_s << u"pw"_s;
        QTest::newRow("quote in the user name") << u"' or '1'='1"_s << u"' or '1'='1"_s;
    }
    void wrongAccount()
    {
        QFETCH(QString, user);
        QFETCH(QString, password);
        TFrmLogin &login = openLogin();
        QVERIFY(login.isActiveWindow());
        tryLogin(user, password);

        verifyErrorBox(u"用戶名或密碼錯，請重新輸入！"_s);
        verifyOpenForAnotherTry();
        QCOMPARE(login.suiEdit1->text(), QString());
        QCOMPARE(login.suiEdit2->text(), QString());
        QCOMPARE(QApplication::focusWidget(), login.suiEdit1);
        QCOMPARE(login.Label1->text(), QString());
        QCOMPARE(m_db1.scalar(u"select count(*) from user where login_time is not null or online <> 0"_s), u"0"_s);
        QCOMPARE(m_db1.scalar(u"select count(*) from user"_s), u"2"_s);
        QVERIFY(!QFile::exists(programPath(u"Locate.ini"_s)));
    }

    void emptyFields_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::newRow("both empty") << QString() << QString();
        QTest::newRow("no user name") << QString() << u"secret"_s;
        QTest::newRow("no password") << u"chan"_s << QString();
        QTest::newRow("blanks and a tab only") << u"chan"_s << u" \t "_s;
    }
    void emptyFields()
    {
        QFETCH(QString, user);
        QFETCH(QString, password);
        TFrmLogin &login = openLogin();
        tryLogin(user, password);

        verifyErrorBox(u"用戶名或密碼不能為空！"_s);
        verifyOpenForAnotherTry();
        QCOMPARE(login.suiEdit1->text(), user);
        QCOMPARE(login.suiEdit2->text(), password);
        QCOMPARE(g_echo.takeCalls(), QStringList());
        QCOMPARE(login.Label1->text(), QString());
    }

    void userQueryFails()
    {
        TFrmLogin &login = openLogin();
        m_db1.stop();
        tryLogin(u"chan"_s, u"secret"_s);
        const QList<ui::ShownMessage> shown = ui::Dialogs::takeShown();
        QVERIFY2(m_db1.start(), qPrintable(m_db1.errorString()));

        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text, u"無法登錄服務器，請檢查網絡或重新登錄！"_s);
        QCOMPARE(shown[0].title, u"提示信息"_s);
        QCOMPARE(shown[0].icon, ui::Icon::Error);
        verifyOpenForAnotherTry();
        QCOMPARE(login.Label1->text(), QString());
        QCOMPARE(login.suiEdit1->text(), u"chan"_s);
        QCOMPARE(LoginState().UserName, QString());
        QCOMPARE(loginRecord(m_db1, u"chan"_s), u"none/0"_s);
        QVERIFY(!QFile::exists(programPath(u"update.ini"_s)));
        QVERIFY(!QFile::exists(programPath(u"Locate.ini"_s)));
    }

    void loginRecordFails()
    {
        QVERIFY(m_db1.exec(u"create trigger refuse_login before update on user for each row "
                           "signal sqlstate '45000' set message_text = 'refused'"_s));
        TFrmLogin &login = openLogin();
        tryLogin(u"chan"_s, u"secret"_s);
        QVERIFY(m_db1.exec(u"drop trigger refuse_login"_s));

        verifyErrorBox(u"無法登錄服務器，請檢查網絡或重新登錄！"_s);
        verifyOpenForAnotherTry();
        QCOMPARE(login.Label1->text(), QString());
        // The account was read before the record failed.
        QCOMPARE(LoginState().UserName, u"chan"_s);
        QCOMPARE(LoginState().Password, u"secret"_s);
        QCOMPARE(LoginState().Email, u"chan@one.example"_s);
        QCOMPARE(loginRecord(m_db1, u"chan"_s), u"none/0"_s);
        QVERIFY(!QFile::exists(programPath(u"update.ini"_s)));
    }

    void versionFileUnavailable_data()
    {
        QTest::addColumn<bool>("stopServer");
        QTest::newRow("file missing on the server") << false;
        QTest::newRow("no FTP service on the server") << true;
    }
    void versionFileUnavailable()
    {
        QFETCH(bool, stopServer);
        QVERIFY(QFile::remove(m_ftpRoot1.filePath(u"update.ini"_s)));
        if (stopServer)
            m_ftp1->stop();
        // A copy left by an earlier login must not stand in for the service's file.
        ini::IniFile(programPath(u"update.ini"_s)).writeString(u"VerNo"_s, u"VerNo"_s, kLocalVersion);

        TFrmLogin &login = openLogin();
        tryLogin(u"chan"_s, u"secret"_s);

        verifyErrorBox(u"版本檢查發生錯誤，請重試或聯繫系統管理員！"_s);
        verifyOpenForAnotherTry();
        QCOMPARE(login.Label1->text(), QString());
        QVERIFY(login.VersionFileResult != 0);
        QCOMPARE(loginRecord(m_db1, u"chan"_s), kFixedNow + u"/1"_s);
        QVERIFY(!QFile::exists(programPath(u"Locate.ini"_s)));
        QCOMPARE(ui::Desktop::takeStarted(), QStringList());
    }

    void otherVersionStartsUpdater_data()
    {
        QTest::addColumn<QString>("local");
        QTest::addColumn<QString>("server");
        QTest::newRow("newer on the server") << u"1.0"_s << u"1.1"_s;
        QTest::newRow("older on the server") << u"1.0"_s << u"0.9"_s;
        QTest::newRow("differs in case only") << u"v1.0"_s << u"V1.0"_s;
    }
    void otherVersionStartsUpdater()
    {
        QFETCH(QString, local);
        QFETCH(QString, server);
        LoginState().VerNo = local;
        writeServerVersion(m_ftpRoot1, server);
        TFrmLogin &login = openLogin();
        login.suiCheckBox1->setChecked(false);
        tryLogin(u"chan"_s, u"secret"_s);

        const QList<ui::ShownMessage> shown = ui::Dialogs::takeShown();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].title, u"提示信息"_s);
        QCOMPARE(shown[0].text, u"有版本更新，系統將啟動下載...！"_s);
        QCOMPARE(shown[0].icon, ui::Icon::None);
        QCOMPARE(shown[0].buttons, ui::Buttons::Ok);
        QCOMPARE(ui::Desktop::takeStarted(), QStringList{programPath(ui::programFileName(u"update"_s))});
        QVERIFY(!login.LoginOk);
        QVERIFY(!login.isVisible());
        // The updater reads the downloaded file and the last server.
        QCOMPARE(ini::IniFile(programPath(u"update.ini"_s)).readString(u"VerNo"_s, u"VerNo"_s), server);
        QCOMPARE(locate(u"ifrem"_s), u"no"_s);
        QCOMPARE(locate(u"preferIP"_s), m_address1);
        QCOMPARE(locateKeyOrder(), (QStringList{u"username"_s, u"password"_s, u"ifrem"_s, u"preferIP"_s}));
        QCOMPARE(loginRecord(m_db1, u"chan"_s), kFixedNow + u"/1"_s);
    }

    void enterKeys()
    {
        TFrmLogin &login = openLogin();

        // Enter in an empty user-name field does nothing.
        login.suiEdit1->setFocus();
        QTest::keyClick(login.suiEdit1, Qt::Key_Return);
        QCOMPARE(login.focusWidget(), login.suiEdit1);
        QCOMPARE(shownTexts(), QString());

        // With a name, Enter moves on to the password, and no login starts.
        login.suiEdit1->setText(u"chan"_s);
        QTest::keyClick(login.suiEdit1, Qt::Key_Return);
        QCOMPARE(login.focusWidget(), login.suiEdit2);
        QCOMPARE(shownTexts(), QString());
        QCOMPARE(g_echo.takeCalls(), QStringList());

        // Enter in the password field logs in, checking the fields like the button.
        login.suiEdit1->clear();
        login.suiEdit2->setText(u"secret"_s);
        QTest::keyClick(login.suiEdit2, Qt::Key_Enter, Qt::KeypadModifier);
        verifyErrorBox(u"用戶名或密碼不能為空！"_s);
        QCOMPARE(g_echo.takeCalls(), QStringList());

        login.suiEdit1->setText(u"chan"_s);
        QTest::keyClick(login.suiEdit2, Qt::Key_Return);
        QCOMPARE(shownTexts(), QString());
        QVERIFY(login.LoginOk);
        QCOMPARE(loginRecord(m_db1, u"chan"_s), kFixedNow + u"/1"_s);
    }

    // A second try pings both servers again and may go to the other one.
    void secondTryPingsAgain()
    {
        TFrmLogin &login = openLogin();
        tryLogin(u"chan"_s, u"wrong"_s);
        verifyErrorBox(u"用戶名或密碼錯，請重新輸入！"_s);
        QCOMPARE(g_echo.takeCalls().size(), 6);
        QCOMPARE(LoginState().ServerIP, m_address1);

        g_echo.set(m_address1, {30, true});
        tryLogin(u"chan"_s, u"secret"_s);
        QCOMPARE(shownTexts(), QString());
        QCOMPARE(g_echo.takeCalls(),
                 (QStringList{m_address1, m_address1, m_address1, m_address2, m_address2, m_address2}));
        QCOMPARE(login.Server1Sum, 90);
        QCOMPARE(login.Server2Sum, 21);
        QVERIFY(login.LoginOk);
        QCOMPARE(LoginState().ServerIP, m_address2);
        QCOMPARE(LoginState().Email, u"chan@two.example"_s);
        QCOMPARE(loginRecord(m_db2, u"chan"_s), kFixedNow + u"/1"_s);
        QCOMPARE(loginRecord(m_db1, u"chan"_s), u"none/0"_s);
        QCOMPARE(locate(u"preferIP"_s), m_address2);
    }

    void exitButton()
    {
        TFrmLogin &login = openLogin();
        QTest::mouseClick(login.suiButton3, Qt::LeftButton);
        QVERIFY(!login.isVisible());
        QVERIFY(!login.LoginOk);
        QCOMPARE(shownTexts(), QString());
        QCOMPARE(g_echo.takeCalls(), QStringList());
        QVERIFY(!QFile::exists(programPath(u"Locate.ini"_s)));
    }

    // The client's start: the main window reads Config.ini and Locate.ini, shows the login modally and runs
    // only when it succeeded.
    void mainWindowRunsLogin_data()
    {
        QTest::addColumn<bool>("logIn");
        QTest::newRow("logs in") << true;
        QTest::newRow("exit button") << false;
    }
    void mainWindowRunsLogin()
    {
        QFETCH(bool, logIn);
        ini::IniFile config(programPath(u"Config.ini"_s));
        config.writeString(u"Server"_s, u"IP1"_s, m_address1);
        config.writeString(u"Server"_s, u"IP2"_s, m_address2);
        config.writeString(u"FileLoc"_s, u"AnnounceLoc"_s, programPath(u"公告"_s));
        config.writeString(u"FileLoc"_s, u"ReportLoc"_s, programPath(u"報告"_s));
        config.writeString(u"VerNo"_s, u"VerNo"_s, kLocalVersion);
        ini::IniFile locateIni(programPath(u"Locate.ini"_s));
        locateIni.writeString(u"LocateAccount"_s, u"username"_s, u"chan"_s);
        locateIni.writeString(u"LocateAccount"_s, u"password"_s, u"secret"_s);
        locateIni.writeString(u"LocateAccount"_s, u"ifrem"_s, u"yes"_s);
        // The main window's first data, so that its start runs through.
        QVERIFY(m_db1.exec(u"insert into update_log (finish_date) values ('2026-03-01 18:00:00')"_s));

        TFrmMain window;
        QVERIFY(window.configurationOk());

        // The login window is modal: answer it from inside its own event loop.
        QPointer<TFrmLogin> seen;
        QTimer poll;
        poll.setInterval(20);
        int polls = 0;
        connect(&poll, &QTimer::timeout, this, [&] {
            auto *login = qobject_cast<TFrmLogin *>(QApplication::activeModalWidget());
            if (!login) {
                if (++polls > 500)
                    poll.stop();
                return;
            }
            poll.stop();
            seen = login;
            QTest::mouseClick(logIn ? login->suiButton1 : login->suiButton3, Qt::LeftButton);
        });
        poll.start();
        window.show();

        QTRY_VERIFY(seen);
        QTRY_VERIFY(!seen->isVisible());
        QCOMPARE(window.loginWindow(), seen.data());
        if (logIn) {
            QTRY_VERIFY(window.loginOk());
            QVERIFY(window.isVisible());
            QCOMPARE(shownTexts(), QString());
            QCOMPARE(window.Label31->text(), u"歡迎您回來 chan@one.example"_s);
            QVERIFY(window.Timer1->isActive());
            QCOMPARE(loginRecord(m_db1, u"chan"_s), kFixedNow + u"/1"_s);
        } else {
            QTRY_VERIFY(!window.isVisible());
            QVERIFY(!window.loginOk());
            QCOMPARE(shownTexts(), QString());
            QCOMPARE(loginRecord(m_db1, u"chan"_s), u"none/0"_s);
            QCOMPARE(g_echo.takeCalls(), QStringList());
        }
    }
};

QTEST_MAIN(TstLogin)
#include "tst_login.moc"
