// The download window and the download-and-wait sequence, against real HTTP and FTP servers on the
// test's loopback address, with the real window driven while its modal wait runs.

#include "client/core/uMain.h"
#include "client/documents/uDownload.h"
#include "client/documents/uIBindStatusCallback.h"
#include "client/documents/uPrompt.h"
#include "platform/ini/inifile.h"
#include "platform/ui/desktop.h"
#include "platform/ui/dialogs.h"
#include "tests/support/testservers.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

using namespace Qt::StringLiterals;
using namespace vintrel;
using vintrel::test::TestFtpServer;
using vintrel::test::TestHttpServer;

namespace {

constexpr int kWatchLimitMs = 20000;

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

// Watches the download window every few milliseconds while a download runs: records what it shows,
// runs the test's steps once their conditions hold, and what the window showed when it closed. Gives
// up (and closes the window) after kWatchLimitMs, so that a wait that never ends fails the test.
class WindowWatch : public QObject
{
public:
    struct Shown
    {
        QString label;
        quint32 max = 0;
        quint32 position = 0;
        QString caption;
        bool cancelEnabled = false;
        qint32 result = 0;
    };

    WindowWatch(TFrmPrompt *prompt, TDownloader *downloader) : m_prompt(prompt), m_downloader(downloader)
    {
        connect(&m_timer, &QTimer::timeout, this, &WindowWatch::tick);
        connect(prompt, &QDialog::finished, this, [this] {
            atClose = shown();
            ++closes;
        });
        m_clock.start();
        m_timer.start(2);
    }

    // Once `when` holds while the window is the modal one, `act` runs (steps in order).
    void step(std::function<bool()> when, std::function<void()> act)
    {
        m_steps.append({std::move(when), std::move(act)});
    }

    bool stepsDone() const { return m_steps.isEmpty(); }

    QStringList labels;    // distinct texts of the status line while shown, in order
    QList<quint32> maxima; // distinct maxima of the bar while shown, in order
    Shown atClose;
    int closes = 0;
    bool timedOut = false;

private:
    struct Step
    {
        std::function<bool()> when;
        std::function<void()> act;
    };

    Shown shown() const
    {
        return {m_prompt->Label1->text(),
                m_prompt->suiProgressBar1->Max(),
                m_prompt->suiProgressBar1->Position(),
                m_prompt->suiProgressBar1->text(),
                m_prompt->suiButton1->isEnabled(),
                m_downloader->DownloadResult};
    }

    void tick()
    {
        if (m_prompt->isVisible() && qApp->activeModalWidget() == m_prompt) {
            const Shown now = shown();
            if (labels.isEmpty() || labels.last() != now.label)
                labels.append(now.label);
            if (maxima.isEmpty() || maxima.last() != now.max)
                maxima.append(now.max);
            if (!m_steps.isEmpty() && m_steps.first().when()) {
                const Step step = m_steps.takeFirst();
                step.act();
            }
        }
        if (m_clock.elapsed() > kWatchLimitMs && !timedOut) {
            timedOut = true;
            m_prompt->done(QDialog::Rejected);
        }
    }

    TFrmPrompt *m_prompt;
    TDownloader *m_downloader;
    QTimer m_timer;
    QElapsedTimer m_clock;
    QList<Step> m_steps;
};

// Runs one callback notification on a worker thread while this thread waits without handling events.
qint32 notifyFromWorker(TBindStatusCallback &callback, quint32 progress, quint32 max, quint32 status)
{
    qint32 answer = 0;
    std::unique_ptr<QThread> worker(
        QThread::create([&] { answer = callback.OnProgress(progress, max, status, u"127.0.0.1"); }));
    worker->start();
    worker->wait();
    return answer;
}

} // namespace

class TestDownloadWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void sizeText_data();
    void sizeText();
    void progressCaption_data();
    void progressCaption();
    void promptWindow();
    void callbackStatuses_data();
    void callbackStatuses();
    void callbackCancelAndRetiredTicket();

    void completeDownload_data();
    void completeDownload();
    void existingFile_data();
    void existingFile();
    void failure_data();
    void failure();
    void cancel_data();
    void cancel();
    void transferEndsBeforeWait();
    void mainWindowRunsDownload();

private:
    QString sizeLine(qsizetype bytes) const
    {
        return u"文件大小: "_s + DownloadSizeText(quint32(bytes)) + u" KB"_s;
    }

    QTemporaryDir m_served;
    std::unique_ptr<QTemporaryDir> m_target;
    std::unique_ptr<TestHttpServer> m_http;
    std::unique_ptr<TestFtpServer> m_ftp;
    QByteArray m_document; // served as /doc.bin
    // Created once and reused, as the program does.
    std::unique_ptr<TFrmPrompt> m_prompt;
    std::unique_ptr<TDownloader> m_downloader;
};

void TestDownloadWindow::initTestCase()
{
    ui::Dialogs::setTestMode(true);
    QVERIFY(m_served.isValid());
    QRandomGenerator random(611);
    m_document.resize(312345);
    for (char &c : m_document)
        c = char(random.bounded(256));
    QVERIFY(writeFile(m_served.filePath(u"doc.bin"_s), m_document));

    m_http = std::make_unique<TestHttpServer>(m_served.path());
    QVERIFY2(m_http->isRunning(), qPrintable(m_http->errorString()));
    QVERIFY(m_http->unansweredPort() != 0);
    m_ftp = std::make_unique<TestFtpServer>(m_served.path());
    QVERIFY2(m_ftp->isRunning(), qPrintable(m_ftp->errorString()));

    m_prompt = std::make_unique<TFrmPrompt>();
    m_downloader = std::make_unique<TDownloader>(m_prompt.get());
}

void TestDownloadWindow::init()
{
    m_target = std::make_unique<QTemporaryDir>();
    QVERIFY(m_target->isValid());
    m_downloader->Options = {};
    ui::Dialogs::reset();
}

void TestDownloadWindow::cleanup()
{
    // The sequence reports nothing itself; its callers do.
    QCOMPARE(ui::Dialogs::takeShown().size(), 0);
    QVERIFY(!m_prompt->isVisible());
}

void TestDownloadWindow::sizeText_data()
{
    QTest::addColumn<quint32>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("1234567") << 1234567u << u"1234.567"_s;
    QTest::newRow("2000") << 2000u << u"2"_s;
    QTest::newRow("no length") << 0u << u"0"_s;
    QTest::newRow("largest") << 4294967295u << u"4294967.295"_s;
}

void TestDownloadWindow::sizeText()
{
    QFETCH(quint32, bytes);
    QFETCH(QString, text);
    QCOMPARE(DownloadSizeText(bytes), text);
}

void TestDownloadWindow::progressCaption_data()
{
    QTest::addColumn<quint32>("max");
    QTest::addColumn<quint32>("position");
    QTest::addColumn<QString>("caption");
    QTest::newRow("start") << 100u << 0u << u"0%"_s;
    QTest::newRow("half") << 100u << 50u << u"50%"_s;
    QTest::newRow("whole number, not rounded") << 3u << 2u << u"66%"_s;
    QTest::newRow("one byte short") << 1000u << 999u << u"99%"_s;
    QTest::newRow("complete") << 312345u << 312345u << u"100%"_s;
    QTest::newRow("beyond the range of int") << 4294967295u << 2147483648u << u"50%"_s;
    QTest::newRow("empty range") << 0u << 0u << u"0%"_s;
    QTest::newRow("empty range with data") << 0u << 5000u << u"0%"_s;
}

void TestDownloadWindow::progressCaption()
{
    QFETCH(quint32, max);
    QFETCH(quint32, position);
    QFETCH(QString, caption);
    TProgressBar bar;
    bar.SetMax(max);
    bar.SetPosition(position);
    QCOMPARE(bar.text(), caption);
    QCOMPARE(bar.Max(), max);
    QCOMPARE(bar.Position(), position);
    QCOMPARE(bar.value(), caption.chopped(1).toInt()); // what the bar fills
}

void TestDownloadWindow::promptWindow()
{
    TFrmPrompt prompt;
    QCOMPARE(prompt.windowTitle(), u"文件下載"_s);
    QCOMPARE(prompt.size(), QSize(410, 136));
    QVERIFY(prompt.isModal());
    QCOMPARE(prompt.findChild<QLabel *>(u"Label1"_s), prompt.Label1);
    QVERIFY(prompt.Label1->text().isEmpty());
    QCOMPARE(prompt.findChild<TProgressBar *>(u"suiProgressBar1"_s), prompt.suiProgressBar1);
    QCOMPARE(prompt.suiProgressBar1->Max(), 100u);
    QCOMPARE(prompt.suiProgressBar1->text(), u"0%"_s);
    QCOMPARE(prompt.findChild<QPushButton *>(u"suiButton1"_s), prompt.suiButton1);
    QCOMPARE(prompt.suiButton1->text(), u"取消下载"_s);
    // Top to bottom: status line, bar, button.
    QVERIFY(prompt.Label1->geometry().bottom() < prompt.suiProgressBar1->geometry().top());
    QVERIFY(prompt.suiProgressBar1->geometry().bottom() < prompt.suiButton1->geometry().top());
    QVERIFY(prompt.rect().contains(prompt.suiButton1->geometry()));
}

void TestDownloadWindow::callbackStatuses_data()
{
    QTest::addColumn<quint32>("status");
    QTest::addColumn<quint32>("max");
    QTest::addColumn<QString>("label"); // the status line afterwards
    QTest::addColumn<bool>("cancelEnabled");
    QTest::newRow("1 finding") << 1u << 0u << u"正在查找服务器"_s << true;
    QTest::newRow("2 connecting") << 2u << 0u << u"正在连接服务器"_s << true;
    QTest::newRow("4 with a length") << 4u << 1234567u << u"文件大小: 1234.567 KB"_s << true;
    QTest::newRow("4 without a length") << 4u << 0u << u"文件大小: 0 KB"_s << true;
    QTest::newRow("5 data") << 5u << 2000u << u"before"_s << true;
    QTest::newRow("6 data complete") << 6u << 2000u << u"before"_s << false;
}

// The callback's window changes reach the window through the window thread's queue only.
void TestDownloadWindow::callbackStatuses()
{
    QFETCH(quint32, status);
    QFETCH(quint32, max);
    QFETCH(QString, label);
    QFETCH(bool, cancelEnabled);
    TFrmPrompt prompt;
    auto ticket = std::make_shared<DownloadTicket>(&prompt);
    prompt.BeginDownload(ticket);
    prompt.Label1->setText(u"before"_s);

    TBindStatusCallback callback(ticket);
    QList<QList<quint32>> handled;
    QString handledText;
    callback.ProgressHandler = [&](quint32 p, quint32 m, quint32 s, const char16_t *text) {
        handled.append({p, m, s});
        handledText = QString::fromUtf16(text);
    };
    QCOMPARE(notifyFromWorker(callback, 1000, max, status), net::S_OK);
    QCOMPARE(handled, (QList<QList<quint32>>{{1000, max, status}}));
    QCOMPARE(handledText, u"127.0.0.1"_s);
    // Nothing changed while the window thread was not looking.
    QCOMPARE(prompt.Label1->text(), u"before"_s);
    QVERIFY(prompt.suiButton1->isEnabled());

    QTRY_COMPARE(prompt.Label1->text(), label);
    QTRY_COMPARE(prompt.suiButton1->isEnabled(), cancelEnabled);
    if (!cancelEnabled) {
        // Once the data is complete, closing the window is no cancel either.
        prompt.show();
        prompt.close();
        QVERIFY(prompt.isVisible());
        QVERIFY(!prompt.CancelRequested());
        prompt.done(QDialog::Accepted);
    }
}

void TestDownloadWindow::callbackCancelAndRetiredTicket()
{
    TFrmPrompt prompt;
    auto ticket = std::make_shared<DownloadTicket>(&prompt);
    prompt.BeginDownload(ticket);
    TBindStatusCallback callback(ticket);
    QCOMPARE(notifyFromWorker(callback, 10, 100, net::DownloadingData), net::S_OK);

    prompt.show();
    QTest::mouseClick(prompt.suiButton1, Qt::LeftButton);
    QVERIFY(prompt.CancelRequested());
    QVERIFY(!prompt.isVisible());
    QCOMPARE(notifyFromWorker(callback, 20, 100, net::DownloadingData), net::E_ABORT);

    // The window took on another download: what the old one still sends is dropped, queued or not.
    QCOMPARE(notifyFromWorker(callback, 0, 0, net::Connecting), net::E_ABORT);
    auto next = std::make_shared<DownloadTicket>(&prompt);
    prompt.BeginDownload(next);
    QVERIFY(!prompt.CancelRequested());
    TBindStatusCallback nextCallback(next);
    QCOMPARE(notifyFromWorker(nextCallback, 0, 0, net::FindingResource), net::S_OK);
    QCOMPARE(notifyFromWorker(callback, 0, 777000, net::BeginDownloadData), net::E_ABORT);
    QCOMPARE(notifyFromWorker(callback, 0, 777000, net::EndDownloadData), net::E_ABORT);
    QTRY_COMPARE(prompt.Label1->text(), u"正在查找服务器"_s);
    QCoreApplication::processEvents();
    QCOMPARE(prompt.Label1->text(), u"正在查找服务器"_s);
    QVERIFY(prompt.suiButton1->isEnabled());
}

void TestDownloadWindow::completeDownload_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<bool>("announced");
    QTest::addColumn<bool>("seesConnecting"); // the server answers late enough to see that stage
    const QString http = m_http->url(u"/doc.bin"_s);
    QTest::newRow("http with length") << http << true << false;
    QTest::newRow("http answering late") << http + u"?delay=0.4"_s << true << true;
    QTest::newRow("http without length") << http + u"?length=0&delay=0.4"_s << false << true;
    QTest::newRow("http chunked") << http + u"?chunked=1"_s << false << false;
    QTest::newRow("http slowly") << http + u"?rate=400000"_s << true << false;
    QTest::newRow("ftp with credentials") << m_ftp->url(u"/doc.bin"_s) << true << false;
}

void TestDownloadWindow::completeDownload()
{
    QFETCH(QString, url);
    QFETCH(bool, announced);
    QFETCH(bool, seesConnecting);
    const QString target = m_target->filePath(u"公告 1.pdf"_s);
    const QString size = sizeLine(announced ? m_document.size() : 0);

    WindowWatch watch(m_prompt.get(), m_downloader.get());
    QCOMPARE(m_downloader->RunDownload(url, target), net::S_OK);
    QVERIFY(!watch.timedOut);
    QCOMPARE(m_downloader->DownloadResult, net::S_OK);
    QCOMPARE(m_downloader->DownloadURL, url);
    QCOMPARE(m_downloader->DownloadPath, target);

    QCOMPARE(watch.closes, 1);
    QCOMPARE(watch.atClose.result, net::S_OK); // stored before the window closed
    QCOMPARE(watch.atClose.label, size);
    QCOMPARE(watch.atClose.max, announced ? quint32(m_document.size()) : 0u);
    QCOMPARE(watch.atClose.position, quint32(m_document.size()));
    QCOMPARE(watch.atClose.caption, announced ? u"100%"_s : u"0%"_s);
    QVERIFY(!watch.atClose.cancelEnabled);

    const QStringList ownTexts{QString(), u"正在查找服务器"_s, u"正在连接服务器"_s, size};
    for (const QString &text : std::as_const(watch.labels))
        QVERIFY2(ownTexts.contains(text), qPrintable(text));
    if (seesConnecting)
        QVERIFY(watch.labels.contains(u"正在连接服务器"_s));

    QVERIFY(readAll(target) == m_document);
    QCOMPARE(entries(m_target->path()), QStringList{u"公告 1.pdf"_s});
}

void TestDownloadWindow::existingFile_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<bool>("replaced");
    QTest::newRow("replaced on success") << m_http->url(u"/doc.bin"_s) << true;
    QTest::newRow("kept on an HTTP error") << m_http->url(u"/status/500"_s) << false;
    QTest::newRow("kept when the body breaks off") << m_http->url(u"/doc.bin?drop=100000"_s) << false;
}

void TestDownloadWindow::existingFile()
{
    QFETCH(QString, url);
    QFETCH(bool, replaced);
    const QString target = m_target->filePath(u"doc.pdf"_s);
    const QByteArray earlier = "the copy fetched last week";
    QVERIFY(writeFile(target, earlier));

    WindowWatch watch(m_prompt.get(), m_downloader.get());
    const qint32 result = m_downloader->RunDownload(url, target);
    QVERIFY(!watch.timedOut);
    QCOMPARE(result == net::S_OK, replaced);
    QVERIFY(readAll(target) == (replaced ? m_document : earlier));
    QCOMPARE(entries(m_target->path()), QStringList{u"doc.pdf"_s});
}

void TestDownloadWindow::failure_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("path"); // inside the target folder
    QTest::addColumn<qint32>("result");
    QTest::newRow("http not found") << m_http->url(u"/missing.pdf"_s) << u"doc.pdf"_s
                                    << net::E_OBJECT_NOT_FOUND;
    QTest::newRow("http 503") << m_http->url(u"/status/503"_s) << u"doc.pdf"_s << net::E_DOWNLOAD_FAILURE;
    QTest::newRow("connection refused")
        << u"http://"_s + m_http->address() + u":1/doc.bin"_s << u"doc.pdf"_s << net::E_CANNOT_CONNECT;
    QTest::newRow("ftp file missing")
        << m_ftp->url(u"/missing.pdf"_s) << u"doc.pdf"_s << net::E_OBJECT_NOT_FOUND;
    QTest::newRow("folder does not exist")
        << m_http->url(u"/doc.bin"_s) << u"沒有/doc.pdf"_s << net::E_CANNOT_WRITE;
    QTest::newRow("name the file system refuses")
        << m_http->url(u"/doc.bin"_s) << QString(300, u'名') + u".pdf"_s << net::E_CANNOT_WRITE;
}

// The window closes by itself and the result is the transfer's, never 0 and never the start value.
void TestDownloadWindow::failure()
{
    QFETCH(QString, url);
    QFETCH(QString, path);
    QFETCH(qint32, result);
    const QString target = m_target->filePath(path);

    WindowWatch watch(m_prompt.get(), m_downloader.get());
    QCOMPARE(m_downloader->RunDownload(url, target), result);
    QVERIFY(!watch.timedOut);
    QCOMPARE(watch.closes, 1);
    QCOMPARE(watch.atClose.result, result);
    QVERIFY(!QFileInfo::exists(target));
    QVERIFY(entries(m_target->path()).isEmpty());
}

void TestDownloadWindow::cancel_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("stage"); // the status line at which the user cancels
    QTest::addColumn<QString>("how");
    const QString unanswered =
        u"http://"_s + m_http->address() + u':' + QString::number(m_http->unansweredPort()) + u"/doc.bin"_s;
    // 4 MiB of which the first 64 KiB come at once, the rest only after 10 s.
    const QString pausing = m_http->url(u"/generate/4M?after=65536&pause=10"_s);
    const QString receiving = sizeLine(4 * 1024 * 1024);
    QTest::newRow("button while connecting") << unanswered << u"正在连接服务器"_s << u"button"_s;
    QTest::newRow("button while receiving") << pausing << receiving << u"button"_s;
    QTest::newRow("window closed while connecting") << unanswered << u"正在连接服务器"_s << u"close"_s;
    QTest::newRow("Escape while receiving") << pausing << receiving << u"escape"_s;
}

// A cancel closes the window at once with the result left at 1; the transfer stops; a download right
// after it sees nothing of it.
void TestDownloadWindow::cancel()
{
    QFETCH(QString, url);
    QFETCH(QString, stage);
    QFETCH(QString, how);
    // Were the cancel to wait for the unanswered connection, it would end only after this.
    m_downloader->Options.connectTimeoutMs = 2000;
    const QString cancelled = m_target->filePath(u"cancelled.pdf"_s);
    const QString next = m_target->filePath(u"next.pdf"_s);
    QPointer<TMyThread> cancelledWorker;

    {
        WindowWatch watch(m_prompt.get(), m_downloader.get());
        TFrmPrompt *prompt = m_prompt.get();
        watch.step([&] { return prompt->Label1->text() == stage; },
                   [&] {
                       if (how == u"button")
                           QTest::mouseClick(prompt->suiButton1, Qt::LeftButton);
                       else if (how == u"close")
                           prompt->close();
                       else
                           QTest::keyClick(prompt, Qt::Key_Escape);
                   });
        QCOMPARE(m_downloader->RunDownload(url, cancelled), 1);
        QVERIFY(!watch.timedOut);
        QVERIFY(watch.stepsDone());
        QVERIFY(m_prompt->CancelRequested());
        QCOMPARE(watch.atClose.result, 1);
    }
    for (TMyThread *worker : m_downloader->findChildren<TMyThread *>()) {
        if (worker->ticket() == m_prompt->ticket())
            cancelledWorker = worker;
    }
    // The cancelled transfer stops at once, well within the connect timeout even while the connection
    // is still being made.
    QTRY_VERIFY_WITH_TIMEOUT(!cancelledWorker || cancelledWorker->isFinished(), 1000);

    // About 2.5 s, long enough for the cancelled transfer to end in the middle of it.
    const QString nextUrl = m_http->url(u"/doc.bin?rate=125000"_s);
    WindowWatch watch(m_prompt.get(), m_downloader.get());
    QCOMPARE(m_downloader->RunDownload(nextUrl, next), net::S_OK);
    QVERIFY(!watch.timedOut);
    QVERIFY(!m_prompt->CancelRequested());
    QCOMPARE(watch.closes, 1);
    QCOMPARE(watch.atClose.label, sizeLine(m_document.size()));
    QCOMPARE(watch.atClose.caption, u"100%"_s);
    const QStringList ownTexts{QString(), u"正在查找服务器"_s, u"正在连接服务器"_s,
                               sizeLine(m_document.size())};
    for (const QString &text : std::as_const(watch.labels))
        QVERIFY2(ownTexts.contains(text), qPrintable(text));
    // 100 when the window takes the download on, 0 before a length is known, then the length.
    for (quint32 max : std::as_const(watch.maxima))
        QVERIFY2(max == 100 || max == 0 || max == quint32(m_document.size()),
                 qPrintable(QString::number(max)));
    QVERIFY(readAll(next) == m_document);

    // The cancelled transfer has stopped, well before its server would have sent the rest.
    QTRY_VERIFY(!cancelledWorker || cancelledWorker->isFinished());
    QCOMPARE(entries(m_target->path()), QStringList{u"next.pdf"_s});
    QCOMPARE(m_downloader->DownloadResult, net::S_OK);
}

// A transfer that is over before the modal wait begins still closes the window.
void TestDownloadWindow::transferEndsBeforeWait()
{
    const QString target = m_target->filePath(u"quick.pdf"_s);
    bool endedFirst = false;
    // Showing the window comes right before its wait: hold the window thread there until the
    // download's worker has ended.
    struct ShowFilter : QObject
    {
        std::function<void()> onShow;
        bool eventFilter(QObject *, QEvent *event) override
        {
            if (event->type() == QEvent::Show && onShow)
                std::exchange(onShow, nullptr)();
            return false;
        }
    } filter;
    filter.onShow = [&] {
        for (TMyThread *worker : m_downloader->findChildren<TMyThread *>()) {
            if (worker->ticket() == m_prompt->ticket())
                endedFirst = worker->wait(10000);
        }
    };
    m_prompt->installEventFilter(&filter);
    WindowWatch watch(m_prompt.get(), m_downloader.get());
    const qint32 result = m_downloader->RunDownload(m_http->url(u"/doc.bin"_s), target);
    m_prompt->removeEventFilter(&filter);
    QVERIFY(endedFirst);
    QVERIFY(!watch.timedOut);
    QCOMPARE(result, net::S_OK);
    QCOMPARE(watch.closes, 1);
    QVERIFY(readAll(target) == m_document);
}

// The main window owns the download window and runs the sequence for the document commands.
void TestDownloadWindow::mainWindowRunsDownload()
{
    QTemporaryDir programFolder;
    ui::setProgramFolder(programFolder.path());
    ini::IniFile config(programFolder.filePath(u"Config.ini"_s));
    config.writeString(u"Server"_s, u"IP1"_s, m_http->address());
    config.writeString(u"Server"_s, u"IP2"_s, m_http->address());
    config.writeString(u"FileLoc"_s, u"AnnounceLoc"_s, m_target->filePath(u"公告"_s));
    config.writeString(u"FileLoc"_s, u"ReportLoc"_s, m_target->filePath(u"報告"_s));
    config.writeString(u"VerNo"_s, u"VerNo"_s, u"1.0"_s);
    TFrmMain window;
    QVERIFY(window.configurationOk());

    const QString target = m_target->filePath(u"doc.pdf"_s);
    QString modalTitle;
    QTimer::singleShot(0, &window, [&] {
        if (QWidget *modal = qApp->activeModalWidget())
            modalTitle = modal->windowTitle();
    });
    QCOMPARE(window.RunDownload(m_http->url(u"/doc.bin?delay=0.3"_s), target), net::S_OK);
    QCOMPARE(modalTitle, u"文件下載"_s);
    QCOMPARE(window.downloader()->DownloadResult, net::S_OK);
    QCOMPARE(window.downloader()->prompt()->parentWidget(), &window);
    QVERIFY(readAll(target) == m_document);
}

QTEST_MAIN(TestDownloadWindow)
#include "tst_downloadwindow.moc"
