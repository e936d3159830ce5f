// The main window's frame, start-up and keep-alive, on real files and a real database server.
#include "client/core/database.h"
#include "client/core/uLogin.h"
#include "client/core/uMain.h"
#include "client/core/uPublic.h"
#include "client/personal/FavorNewsPage.h"
#include "client/personal/MemoPage.h"
#include "platform/db/connection.h"
#include "platform/ini/inifile.h"
#include "platform/ui/clock.h"
#include "platform/ui/desktop.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/statusbar.h"
#include "tests/support/testdatabase.h"

#include <QAction>
#include <QDateTimeEdit>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <thread>

using namespace vintrel;
using namespace Qt::StringLiterals;

class TestMainWindow : public QObject
{
    Q_OBJECT

    test::TestDatabase m_server;
    std::unique_ptr<QTemporaryDir> m_folder;

    void writeConfig(const QMap<QString, QString> &skip = {}, const QString &fileName = u"Config.ini"_s)
    {
        ini::IniFile config(m_folder->filePath(fileName));
        const QList<std::tuple<QString, QString, QString>> keys = {
            {u"Server"_s, u"IP1"_s, m_server.address()},
            {u"Server"_s, u"IP2"_s, m_server.address()},
            {u"Server"_s, u"FTPPort"_s, u"8080"_s},
            {u"FileLoc"_s, u"AnnounceLoc"_s, m_folder->filePath(u"存放/公告"_s)},
            {u"FileLoc"_s, u"ReportLoc"_s, m_folder->filePath(u"存放/深/報告"_s)},
            {u"VerNo"_s, u"VerNo"_s, u"1.0"_s}};
        for (const auto &[section, key, value] : keys) {
            if (!skip.contains(key))
                config.writeString(section, key, value);
        }
    }

    // A window after a successful login of "chan".
    std::unique_ptr<TFrmMain> loggedInWindow()
    {
        writeConfig();
        auto window = std::make_unique<TFrmMain>();
        LoginState().UserName = u"chan"_s;
        LoginState().Email = u"chan@example.com"_s;
        assignConnection(m_server.address());
        return window;
    }

    QString shownTexts()
    {
        QStringList texts;
        for (const ui::ShownMessage &m : ui::Dialogs::takeShown())
            texts << m.text;
        return texts.join(u'|');
    }

private slots:
    void initTestCase()
    {
        ui::Dialogs::setTestMode(true);
        ui::Desktop::setRecording(true);
        QVERIFY2(m_server.start(), qPrintable(m_server.errorString()));
    }

    void init()
    {
        m_folder = std::make_unique<QTemporaryDir>();
        ui::setProgramFolder(m_folder->path());
        LoginState() = LoginStateData();
        ui::Dialogs::reset();
        QVERIFY(m_server.isRunning() || m_server.start());
        QVERIFY2(m_server.reset(), qPrintable(m_server.errorString()));
    }

    void configurationRequiredValues_data()
    {
        QTest::addColumn<QString>("missing");
        QTest::addColumn<bool>("ok");
        QTest::newRow("complete") << QString() << true;
        QTest::newRow("no FTPPort") << u"FTPPort"_s << true;
        for (const char *key : {"IP1", "IP2", "AnnounceLoc", "ReportLoc", "VerNo"})
            QTest::newRow(key) << QString::fromLatin1(key) << false;
    }
    void configurationRequiredValues()
    {
        QFETCH(QString, missing);
        QFETCH(bool, ok);
        writeConfig({{missing, {}}});
        TFrmMain window;
        QCOMPARE(window.configurationOk(), ok);
        const QList<ui::ShownMessage> shown = ui::Dialogs::takeShown();
        if (ok) {
            QVERIFY(shown.isEmpty());
            QCOMPARE(LoginState().ServerIP1, m_server.address());
            QCOMPARE(LoginState().FTPPort, missing.isEmpty() ? u"8080"_s : QString());
        } else {
            QCOMPARE(shown.size(), 1);
            QCOMPARE(shown.at(0).title, u"提示信息"_s);
            QCOMPARE(shown.at(0).text, u"配置文件讀取錯誤，請聯絡系統管理員！"_s);
            QCOMPARE(shown.at(0).icon, ui::Icon::Error);
        }
    }

    void configurationFileMissingOrOtherCase()
    {
        {
            TFrmMain window;
            QVERIFY(!window.configurationOk());
            QCOMPARE(shownTexts(), u"配置文件讀取錯誤，請聯絡系統管理員！"_s);
        }
        writeConfig({}, u"CONFIG.INI"_s);
        TFrmMain window;
        QVERIFY(window.configurationOk());
    }

    void rememberedLogin()
    {
        writeConfig();
        {
            TFrmMain window;
            QCOMPARE(LoginState().SavedUserName, QString());
            QCOMPARE(LoginState().SavedIfRem, QString());
        }
        ini::IniFile locate(m_folder->filePath(u"locate.ini"_s));
        locate.writeString(u"LocateAccount"_s, u"username"_s, u"陳大文"_s);
        locate.writeString(u"LocateAccount"_s, u"password"_s, u"pw"_s);
        locate.writeString(u"LocateAccount"_s, u"ifrem"_s, u"no"_s);
        TFrmMain window;
        QCOMPARE(LoginState().SavedUserName, u"陳大文"_s);
        QCOMPARE(LoginState().SavedPassword, u"pw"_s);
        QCOMPARE(LoginState().SavedIfRem, u"no"_s);
    }

    void frame()
    {
        writeConfig();
        TFrmMain window;
        QCOMPARE(window.windowTitle(), u"Vintrel V1.0"_s);
        QStringList captions;
        for (const char *name : {"suiButton1", "suiButton5", "suiButton3", "suiButton6", "suiButton4", "suiButton2",
                                 "suiButton9"}) {
            auto *button = window.findChild<QPushButton *>(QString::fromLatin1(name));
            QVERIFY2(button, name);
            QCOMPARE(button->parentWidget()->objectName(), u"suiSideChannel1"_s);
            captions << button->text();
        }
        QCOMPARE(captions, (QStringList{u"數據更新"_s, u"自選股管理"_s, u"股份代號查询"_s, u"文件存放路徑"_s,
                                        u"修改密碼"_s, u"問題反饋"_s, u"幫助文檔"_s}));
        const auto tabs = [](QTabWidget *w) {
            QStringList t;
            for (int i = 0; w && i < w->count(); ++i)
                t << w->tabText(i);
            return t;
        };
        QCOMPARE(tabs(window.findChild<QTabWidget *>(u"suiPageControl1"_s)),
                 (QStringList{u"我的自選股"_s, u"查詢"_s, u"備忘錄"_s}));
        const QStringList kinds{u"上市公司公告"_s, u"股份購回報告"_s, u"披露權益"_s, u"研究報告"_s};
        QCOMPARE(tabs(window.findChild<QTabWidget *>(u"suiPageControl2"_s)), kinds);
        QCOMPARE(tabs(window.findChild<QTabWidget *>(u"suiPageControl3"_s)), kinds);
        for (const char *name : {"suiStatusBar1", "suiStatusBar2", "suiStatusBar3"}) {
            auto *bar = window.findChild<ui::StatusBar *>(QString::fromLatin1(name));
            QVERIFY2(bar, name);
            QCOMPARE(bar->panelCount(), 3);
            QCOMPARE((QList<int>{bar->panelWidth(0), bar->panelWidth(1), bar->panelWidth(2)}), (QList<int>{400, 400, 200}));
            QVERIFY(!bar->panelText(2).isEmpty());
        }
        QCOMPARE(window.Timer1->interval(), 300000);
        QVERIFY(!window.Timer1->isActive());
    }

    void sessionStart()
    {
        QVERIFY(m_server.exec(
            u"insert into stock (code,full_code,name) values ('5','00005','滙豐控股'),('11','00011','恒生銀行');"
            u"insert into favor_stock (username,stock_code) values ('chan','00005'),('chan','00011'),('lee','00005');"
            u"insert into recent_update (stock_code,ann,srr,din,rrp) values ('5',2,0,0,0),('11',0,0,0,0);"
            u"insert into update_log (finish_date) values ('2026-12-01 08:00:00'),('2026-12-10 18:30:05')"_s));
        auto window = loggedInWindow();
        window->memoPage()->suiStatusBar3->setPanelText(0, u"stale"_s);
        window->StartSession();
        QCOMPARE(shownTexts(), QString());
        QVERIFY(window->Timer1->isActive());
        QCOMPARE(window->favorNewsPage()->suiStatusBar1->panelText(0), u"當前有新增消息的自選股有1只"_s);
        QCOMPARE(window->Label1->text(), u"上次服務器數據更新發生於 2026-12-10 18:30:05"_s);
        QCOMPARE(window->LastServerUpdate, QDateTime(QDate(2026, 12, 10), QTime(18, 30, 5)));
        QCOMPARE(window->Label31->text(), u"歡迎您回來 chan@example.com"_s);
        QCOMPARE(window->memoPage()->suiStatusBar3->panelText(0), u"查詢日誌記錄數 0 條"_s);
        QVERIFY(QFileInfo(LoginState().AnnounceLoc).isDir());
        QVERIFY(QFileInfo(LoginState().ReportLoc).isDir());
        for (const char *name : {"N3", "N4", "N5", "N8", "N9", "N12"}) {
            auto *item = window->findChild<QAction *>(QString::fromLatin1(name));
            QVERIFY2(item && !item->isVisible(), name);
        }
        const QDate today = QDate::currentDate();
        QCOMPARE(window->memoPage()->DateTimePicker7->date(), today.addDays(-30));
        QCOMPARE(window->memoPage()->DateTimePicker8->date(), today);
    }

    void sessionStartWithEmptyUpdateLog()
    {
        auto window = loggedInWindow();
        window->StartSession();
        QCOMPARE(shownTexts(), QString());
        QCOMPARE(window->Label1->text(), u"上次服務器數據更新發生於 "_s);
        QCOMPARE(window->favorNewsPage()->suiStatusBar1->panelText(0), u"當前有新增消息的自選股有0只"_s);
        QCOMPARE(window->Label31->text(), u"歡迎您回來 chan@example.com"_s);
        QVERIFY(QFileInfo(LoginState().ReportLoc).isDir());
    }

    void sessionStartWithoutDatabase()
    {
        auto window = loggedInWindow();
        m_server.stop();
        window->StartSession();
        QCOMPARE(shownTexts(), u"無法連接服務器，請檢查網絡或重新登錄！"_s);
        QCOMPARE(window->Label31->text(), QString());
        QVERIFY(!QFileInfo::exists(LoginState().AnnounceLoc));
        // The window stays usable and the keep-alive runs.
        QVERIFY(window->Timer1->isActive());
    }

    void keepAliveAndProbe()
    {
        auto window = loggedInWindow();
        window->Timer1Timer();
        QVERIFY(ProbeConnection(window.get()));
        QCOMPARE(shownTexts(), QString());

        m_server.stop();
        window->Timer1Timer();
        QCOMPARE(shownTexts(), u"無法連接服務器，請檢查網絡或重新登錄！"_s);
        QVERIFY(!ProbeConnection(window.get()));
        const QList<ui::ShownMessage> probe = ui::Dialogs::takeShown();
        QCOMPARE(probe.size(), 1);
        QCOMPARE(probe.at(0).title, u"提示信息"_s);
        QCOMPARE(probe.at(0).icon, ui::Icon::Error);

        // While a worker holds the connection the tick is skipped and does not wait for it.
        std::atomic<bool> holding = false, release = false;
        std::thread worker([&] {
            db::ConnectionLock lock(db::Connection::shared().mutex());
            holding = true;
            while (!release)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
        });
        QTRY_VERIFY(holding.load());
        QElapsedTimer timer;
        timer.start();
        window->Timer1Timer();
        QVERIFY(ProbeConnection(window.get()));
        const qint64 elapsed = timer.elapsed();
        release = true;
        worker.join();
        QCOMPARE(shownTexts(), QString());
        QVERIFY2(elapsed < 5000, "the tick waited for the worker");
    }

    void closingWithoutLogin()
    {
        QVERIFY(m_server.exec(u"insert into user (username,password,email,online) values ('chan','p','e',1)"_s));
        auto window = loggedInWindow();
        QVERIFY(!window->loginOk());
        QVERIFY(window->FormCloseQuery());
        window->FormClose();
        QCOMPARE(shownTexts(), QString());
        QCOMPARE(m_server.scalar(u"select concat(online, '/', ifnull(logout_time, 'none')) from user"_s), u"1/none"_s);
        QVERIFY(!db::Connection::shared().isConnected());
    }

    void quitQuestionAndLogout()
    {
        QVERIFY(m_server.exec(u"insert into user (username,password,email,online) values ('chan','p','e',1),"
                              u"('lee','p','e',1)"_s));
        auto window = loggedInWindow();
        window->loginWindow()->LoginOk = true;
        ui::setFixedNow(QDateTime(QDate(2026, 12, 11), QTime(17, 45, 1)));

        ui::Dialogs::queueAnswer(ui::Answer::No);
        QVERIFY(!window->close());
        const QList<ui::ShownMessage> asked = ui::Dialogs::takeShown();
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked.at(0).title, u"提示"_s);
        QCOMPARE(asked.at(0).text, u"確認要退出嗎？"_s);
        QCOMPARE(asked.at(0).icon, ui::Icon::Question);
        QCOMPARE(asked.at(0).buttons, ui::Buttons::YesNo);
        QCOMPARE(m_server.scalar(u"select online from user where username = 'chan'"_s), u"1"_s);

        ui::Dialogs::queueAnswer(ui::Answer::Yes);
        QVERIFY(window->close());
        ui::setFixedNow({});
        QCOMPARE(m_server.scalar(u"select concat(online, ' ', logout_time) from user where username = 'chan'"_s),
                 u"0 2026-12-11 17:45:01"_s);
        QCOMPARE(m_server.scalar(u"select concat(online, ' ', ifnull(logout_time, '-')) from user where username = 'lee'"_s),
                 u"1 -"_s);
        QVERIFY(!db::Connection::shared().isConnected());
    }

    void logoutFailureIsSilent()
    {
        auto window = loggedInWindow();
        window->loginWindow()->LoginOk = true;
        m_server.stop();
        ui::Dialogs::queueAnswer(ui::Answer::Yes);
        QVERIFY(window->close());
        QCOMPARE(shownTexts(), u"確認要退出嗎？"_s);
        QVERIFY(!db::Connection::shared().isConnected());
    }

    void helpFile()
    {
        writeConfig();
        TFrmMain window;
        window.suiButton9->click();
        QCOMPARE(ui::Desktop::takeOpened(), QStringList{m_folder->filePath(u"幫助文檔.chm"_s)});
        QCOMPARE(shownTexts(), QString());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
