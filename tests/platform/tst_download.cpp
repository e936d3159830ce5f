// The URL download facility against real HTTP and FTP servers on the test's loopback address.

#include "platform/net/download.h"
#include "tests/support/testservers.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <algorithm>
#include <memory>

using namespace Qt::StringLiterals;
using namespace vintrel::net;
using vintrel::test::TestFtpServer;
using vintrel::test::TestHttpServer;

namespace {

struct Notification
{
    quint32 progress;
    quint32 max;
    quint32 status;
    QString text;
};

// Records every notification and answers E_ABORT at the chosen one.
class Recorder : public BindStatusCallback
{
public:
    quint32 abortStatus = 0;  // 0: never abort
    int abortOccurrence = 1;  // abort at the n-th notification with abortStatus
    QList<Notification> notes;
    bool wrongThread = false;

    qint32 OnProgress(quint32 ulProgress, quint32 ulProgressMax, quint32 ulStatusCode,
                      const char16_t *szStatusText) override
    {
        if (QThread::currentThread() != m_thread)
            wrongThread = true;
        notes.append({ulProgress, ulProgressMax, ulStatusCode,
                      szStatusText ? QString::fromUtf16(szStatusText) : QString()});
        if (ulStatusCode == abortStatus && --abortOccurrence == 0)
            return E_ABORT;
        return S_OK;
    }

    // The statuses in order, with runs of data notifications shown once.
    QList<quint32> stages() const
    {
        QList<quint32> result;
        for (const Notification &n : notes) {
            if (result.isEmpty() || result.last() != n.status || n.status != DownloadingData)
                result.append(n.status);
        }
        return result;
    }

    bool has(quint32 status) const
    {
        return std::any_of(notes.begin(), notes.end(),
                           [status](const Notification &n) { return n.status == status; });
    }

private:
    QThread *m_thread = QThread::currentThread();
};

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

QStringList entries(const QString &dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

} // namespace

class TestDownload : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void completeDownload_data();
    void completeDownload();
    void existingFileReplaced();
    void failure_data();
    void failure();
    void abort_data();
    void abort();
    void abortRequestedWhileConnecting();
    void unwritableTarget_data();
    void unwritableTarget();
    void timeouts_data();
    void timeouts();

private:
    QString urlFor(const QString &server, const QString &path) const;

    QTemporaryDir m_served;
    std::unique_ptr<QTemporaryDir> m_target;
    std::unique_ptr<TestHttpServer> m_http;
    std::unique_ptr<TestFtpServer> m_ftp;
    QByteArray m_document; // served as /doc.bin
    QByteArray m_small;    // served as /small.bin
};

void TestDownload::initTestCase()
{
    QVERIFY(m_served.isValid());
    QRandomGenerator random(20240611);
    m_document.resize(3 * 1024 * 1024 + 123);
    random.fillRange(reinterpret_cast<quint32 *>(m_document.data()), m_document.size() / 4);
    m_small = m_document.left(32 * 1024);
    writeFile(m_served.filePath(u"doc.bin"_s), m_document);
    writeFile(m_served.filePath(u"small.bin"_s), m_small);
    writeFile(m_served.filePath(u"empty.bin"_s), {});

    m_http = std::make_unique<TestHttpServer>(m_served.path());
    QVERIFY2(m_http->isRunning(), qPrintable(m_http->errorString()));
    QVERIFY(m_http->unansweredPort() != 0);
    m_ftp = std::make_unique<TestFtpServer>(m_served.path());
    QVERIFY2(m_ftp->isRunning(), qPrintable(m_ftp->errorString()));
}

void TestDownload::init()
{
    m_target = std::make_unique<QTemporaryDir>();
    QVERIFY(m_target->isValid());
}

QString TestDownload::urlFor(const QString &server, const QString &path) const
{
    if (server == u"ftp")
        return m_ftp->url(path);
    if (server == u"ftp-anonymous")
        return m_ftp->anonymousUrl(path);
    if (server == u"gopher")
        return u"gopher://"_s + m_http->address() + path;
    if (server == u"refused")
        return u"http://"_s + m_http->address() + u":1"_s + path;
    if (server == u"unanswered")
        return u"http://"_s + m_http->address() + u':' + QString::number(m_http->unansweredPort())
               + path;
    return m_http->url(path);
}

void TestDownload::completeDownload_data()
{
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("content"); // which served file arrives
    QTest::addColumn<bool>("announced");  // whether its length is announced

    QTest::newRow("http with length") << u"http"_s << u"/doc.bin"_s << u"doc"_s << true;
    QTest::newRow("http without length") << u"http"_s << u"/doc.bin?length=0"_s << u"doc"_s << false;
    QTest::newRow("http chunked") << u"http"_s << u"/doc.bin?chunked=1"_s << u"doc"_s << false;
    QTest::newRow("http slowly") << u"http"_s << u"/small.bin?rate=40000"_s << u"small"_s << true;
    QTest::newRow("http slowly without length")
        << u"http"_s << u"/small.bin?rate=40000&length=0"_s << u"small"_s << false;
    QTest::newRow("http after a pause") << u"http"_s << u"/small.bin?stall=0.3&delay=0.3"_s
                                        << u"small"_s << true;
    QTest::newRow("http empty file") << u"http"_s << u"/empty.bin"_s << u"empty"_s << true;
    QTest::newRow("ftp with credentials") << u"ftp"_s << u"/doc.bin"_s << u"doc"_s << true;
    QTest::newRow("ftp empty file") << u"ftp"_s << u"/empty.bin"_s << u"empty"_s << true;
}

void TestDownload::completeDownload()
{
    QFETCH(QString, server);
    QFETCH(QString, path);
    QFETCH(QString, content);
    QFETCH(bool, announced);
    const QByteArray expected = content == u"doc" ? m_document
                                : content == u"small" ? m_small
                                                      : QByteArray();
    const QString target = m_target->filePath(u"文件.pdf"_s);

    Recorder recorder;
    QCOMPARE(URLDownloadToFile(urlFor(server, path), target, &recorder), S_OK);

    QVERIFY(!recorder.wrongThread);
    const QList<quint32> stages{FindingResource, Connecting, BeginDownloadData, DownloadingData,
                                EndDownloadData};
    QCOMPARE(recorder.stages(), stages);
    const quint32 max = announced ? quint32(expected.size()) : 0u;
    QCOMPARE(recorder.notes.first().text, m_http->address()); // sent for a numeric address too
    QVERIFY(!recorder.notes.first().text.contains(u"qavrenu"));
    quint32 previous = 0;
    for (const Notification &n : std::as_const(recorder.notes)) {
        if (n.status < BeginDownloadData)
            continue;
        QCOMPARE(n.max, max);
        QVERIFY(n.progress >= previous);
        QVERIFY(!n.text.contains(u"qavrenu")); // the URL is given without its password
        previous = n.progress;
    }
    const Notification &last = recorder.notes.last();
    QCOMPARE(last.progress, quint32(expected.size()));
    QCOMPARE(recorder.notes.at(recorder.notes.size() - 2).progress, quint32(expected.size()));

    const QByteArray got = readAll(target);
    QCOMPARE(got.size(), expected.size());
    QVERIFY(got == expected);
    QCOMPARE(entries(m_target->path()), QStringList{u"文件.pdf"_s});
}

void TestDownload::existingFileReplaced()
{
    const QString target = m_target->filePath(u"doc.bin"_s);
    writeFile(target, "an earlier copy, longer than nothing");
    QCOMPARE(URLDownloadToFile(m_http->url(u"/small.bin"_s), target, nullptr), S_OK);
    QVERIFY(readAll(target) == m_small);
    QCOMPARE(entries(m_target->path()), QStringList{u"doc.bin"_s});
}

void TestDownload::failure_data()
{
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("path");
    QTest::addColumn<qint32>("result");

    QTest::newRow("http not found") << u"http"_s << u"/missing.bin"_s << E_OBJECT_NOT_FOUND;
    QTest::newRow("http 403") << u"http"_s << u"/status/403"_s << E_ACCESS_DENIED;
    QTest::newRow("http 500") << u"http"_s << u"/status/500"_s << E_DOWNLOAD_FAILURE;
    QTest::newRow("http 503") << u"http"_s << u"/status/503"_s << E_DOWNLOAD_FAILURE;
    QTest::newRow("http dropped mid-body") << u"http"_s << u"/doc.bin?drop=1000000"_s
                                           << E_DOWNLOAD_FAILURE;
    QTest::newRow("http dropped mid-chunk") << u"http"_s << u"/doc.bin?chunked=1&drop=1000000"_s
                                            << E_DOWNLOAD_FAILURE;
    QTest::newRow("connection refused") << u"refused"_s << u"/doc.bin"_s << E_CANNOT_CONNECT;
    QTest::newRow("ftp file missing") << u"ftp"_s << u"/missing.ini"_s << E_OBJECT_NOT_FOUND;
    QTest::newRow("ftp without credentials") << u"ftp-anonymous"_s << u"/doc.bin"_s
                                             << E_ACCESS_DENIED;
    QTest::newRow("other protocol") << u"gopher"_s << u"/1"_s << E_INVALID_URL;
}

// A failed download leaves no file of its own, and an earlier file exactly as it was.
void TestDownload::failure()
{
    QFETCH(QString, server);
    QFETCH(QString, path);
    QFETCH(qint32, result);
    const QString url = urlFor(server, path);
    const QString target = m_target->filePath(u"update.ini"_s);

    Recorder fresh;
    QCOMPARE(URLDownloadToFile(url, target, &fresh), result);
    QVERIFY(!fresh.has(EndDownloadData));
    QVERIFY(entries(m_target->path()).isEmpty());

    const QByteArray earlier = "[update]\r\nver=1.0\r\n";
    writeFile(target, earlier);
    Recorder again;
    QCOMPARE(URLDownloadToFile(url, target, &again), result);
    QVERIFY(!again.has(EndDownloadData));
    QCOMPARE(readAll(target), earlier);
    QCOMPARE(entries(m_target->path()), QStringList{u"update.ini"_s});
}

void TestDownload::abort_data()
{
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("path");
    QTest::addColumn<quint32>("status");
    QTest::addColumn<int>("occurrence");

    // A body that would take about an hour: only an honoured abort ends the call.
    const QString slow = u"/doc.bin?rate=1000"_s;
    QTest::newRow("while finding") << u"http"_s << slow << quint32(FindingResource) << 1;
    QTest::newRow("while connecting") << u"http"_s << slow << quint32(Connecting) << 1;
    QTest::newRow("at the start of the body") << u"http"_s << slow << quint32(BeginDownloadData)
                                              << 1;
    QTest::newRow("while receiving") << u"http"_s << slow << quint32(DownloadingData) << 3;
    QTest::newRow("while the body stalls") << u"http"_s << u"/doc.bin?after=8000&pause=600"_s
                                           << quint32(DownloadingData) << 2;
    QTest::newRow("ftp at a data notification") << u"ftp"_s << u"/doc.bin"_s
                                                << quint32(DownloadingData) << 1;
    QTest::newRow("at the end of the data") << u"http"_s << u"/small.bin"_s
                                            << quint32(EndDownloadData) << 1;
}

void TestDownload::abort()
{
    QFETCH(QString, server);
    QFETCH(QString, path);
    QFETCH(quint32, status);
    QFETCH(int, occurrence);
    const QString target = m_target->filePath(u"report.pdf"_s);

    Recorder recorder;
    recorder.abortStatus = status;
    recorder.abortOccurrence = occurrence;
    QCOMPARE(URLDownloadToFile(urlFor(server, path), target, &recorder), E_ABORT);
    // Nothing is reported after the answer that stopped the transfer.
    QCOMPARE(recorder.notes.last().status, status);
    QCOMPARE(recorder.abortOccurrence, 0);
    QVERIFY(entries(m_target->path()).isEmpty());

    // The next download is not disturbed.
    Recorder next;
    QCOMPARE(URLDownloadToFile(m_http->url(u"/small.bin"_s), target, &next), S_OK);
    QVERIFY(readAll(target) == m_small);
}

// A stop asked for between notifications ends a connection attempt that would otherwise run into its
// connect timeout (and return E_TIMEOUT).
void TestDownload::abortRequestedWhileConnecting()
{
    struct Requester : Recorder
    {
        bool requested = false;
        qint32 OnProgress(quint32 p, quint32 m, quint32 status, const char16_t *text) override
        {
            requested = requested || status == Connecting;
            return Recorder::OnProgress(p, m, status, text);
        }
        bool AbortRequested() const override { return requested; }
    } recorder;
    DownloadOptions options;
    options.connectTimeoutMs = 30000;
    const QString target = m_target->filePath(u"report.pdf"_s);
    QCOMPARE(URLDownloadToFile(urlFor(u"unanswered"_s, u"/doc.bin"_s), target, &recorder, options), E_ABORT);
    QCOMPARE(recorder.stages(), (QList<quint32>{FindingResource, Connecting}));
    QVERIFY(entries(m_target->path()).isEmpty());
}

void TestDownload::unwritableTarget_data()
{
    QTest::addColumn<QString>("relative");

    QTest::newRow("folder does not exist") << u"no such folder/sub/file.pdf"_s;
    QTest::newRow("name too long") << QString(300, u'a') + u".pdf"_s;
    QTest::newRow("name is a folder") << u"existing folder"_s;
    QTest::newRow("empty name") << QString();
}

void TestDownload::unwritableTarget()
{
    QFETCH(QString, relative);
    QVERIFY(QDir(m_target->path()).mkdir(u"existing folder"_s));
    const QString target = relative.isEmpty() ? QString() : m_target->filePath(relative);

    Recorder recorder;
    QCOMPARE(URLDownloadToFile(m_http->url(u"/small.bin"_s), target, &recorder), E_CANNOT_WRITE);
    QCOMPARE(entries(m_target->path()), QStringList{u"existing folder"_s});
    QVERIFY(entries(m_target->filePath(u"existing folder"_s)).isEmpty());
}

void TestDownload::timeouts_data()
{
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("timeoutMs");
    QTest::addColumn<qint32>("result");

    QTest::newRow("stall after the headers") << u"http"_s << u"/small.bin?stall=60"_s << 500
                                             << E_TIMEOUT;
    QTest::newRow("stall before the headers") << u"http"_s << u"/small.bin?delay=60"_s << 500
                                              << E_TIMEOUT;
    QTest::newRow("stall in the body") << u"http"_s << u"/small.bin?after=8000&pause=60"_s << 500
                                       << E_TIMEOUT;
    QTest::newRow("connection never made") << u"unanswered"_s << u"/doc.bin"_s << 500
                                           << E_TIMEOUT;
    // Longer in all than the timeout, but never silent for that long.
    QTest::newRow("pause shorter than the timeout")
        << u"http"_s << u"/small.bin?after=8000&pause=0.3"_s << 1500 << S_OK;
    QTest::newRow("slow but steady") << u"http"_s << u"/small.bin?rate=12000"_s << 1000 << S_OK;
}

void TestDownload::timeouts()
{
    QFETCH(QString, server);
    QFETCH(QString, path);
    QFETCH(int, timeoutMs);
    QFETCH(qint32, result);
    const QString target = m_target->filePath(u"doc.bin"_s);

    DownloadOptions options;
    options.connectTimeoutMs = timeoutMs;
    options.stallTimeoutMs = timeoutMs;
    Recorder recorder;
    QCOMPARE(URLDownloadToFile(urlFor(server, path), target, &recorder, options), result);
    QCOMPARE(QFile::exists(target), result == S_OK);
    QCOMPARE(recorder.has(EndDownloadData), result == S_OK);
    if (result != S_OK)
        QVERIFY(entries(m_target->path()).isEmpty());
}

QTEST_GUILESS_MAIN(TestDownload)
#include "tst_download.moc"
