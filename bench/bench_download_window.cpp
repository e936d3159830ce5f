// The whole download-and-wait sequence with the download window showing: a large file over loopback
// HTTP through TDownloader::RunDownload (worker, callback, TFrmPrompt's modal wait), against the curl
// command line fetching the same file in the same run. Also how busy the window thread is meanwhile:
// the time it spends outside its event dispatcher's waits, as a share of the transfer time.
//
// bench_download_window [megabytes (200)] [rounds (3)]

#include "bench/curlrace.h"
#include "client/documents/uDownload.h"
#include "client/documents/uPrompt.h"
#include "platform/net/download.h"
#include "tests/support/testservers.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

using namespace Qt::StringLiterals;
using namespace vintrel;

namespace {

// Window-thread time spent blocked in the event dispatcher, between start() and stop().
class IdleClock : public QObject
{
public:
    explicit IdleClock(QAbstractEventDispatcher *dispatcher)
    {
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, [this] {
            if (m_running)
                m_blockedSince = m_clock.nsecsElapsed();
        });
        connect(dispatcher, &QAbstractEventDispatcher::awake, this, [this] {
            if (m_running && m_blockedSince >= 0) {
                idleNs += m_clock.nsecsElapsed() - m_blockedSince;
                ++wakeups;
            }
            m_blockedSince = -1;
        });
    }
    void start()
    {
        idleNs = 0;
        wakeups = 0;
        m_blockedSince = -1;
        m_clock.start();
        m_running = true;
    }
    // Total time since start().
    qint64 stop()
    {
        m_running = false;
        return m_clock.nsecsElapsed();
    }

    qint64 idleNs = 0;
    int wakeups = 0;

private:
    QElapsedTimer m_clock;
    qint64 m_blockedSince = -1;
    bool m_running = false;
};

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const qint64 megabytes = args.size() > 1 ? args[1].toLongLong() : 200;
    const int rounds = args.size() > 2 ? args[2].toInt() : 3;
    const qint64 bytes = megabytes * 1024 * 1024;
    if (megabytes <= 0 || megabytes > 4095 || rounds <= 0) {
        std::fprintf(stderr, "usage: bench_download_window [megabytes (1..4095)] [rounds]\n");
        return 2;
    }

    QTemporaryDir served;
    QTemporaryDir downloads;
    test::TestHttpServer server(served.path());
    if (!server.isRunning()) {
        std::fprintf(stderr, "HTTP server: %s\n", qPrintable(server.errorString()));
        return 1;
    }
    const QString url = server.url(u"/generate/"_s + QString::number(bytes));
    const QString curlTarget = downloads.filePath(u"curl.bin"_s);
    const QString ownTarget = downloads.filePath(u"公告.pdf"_s);

    TFrmPrompt prompt;
    TDownloader downloader(&prompt);
    IdleClock idle(QAbstractEventDispatcher::instance());
    int percentSteps = 0;
    QObject::connect(prompt.suiProgressBar1, &QProgressBar::valueChanged, &prompt, [&] { ++percentSteps; });

    auto runCurl = [&] { return bench::curlSeconds(url, curlTarget, bytes); };

    double uiShare = 0;
    double uiBusyMs = 0;
    bool sawWindow = false;
    // The whole sequence as a document command runs it: from the call to the window's closing.
    auto runWindow = [&]() -> double {
        percentSteps = 0;
        sawWindow = false;
        QMetaObject::invokeMethod(
            &prompt, [&] { sawWindow = qApp->activeModalWidget() == &prompt && prompt.isVisible(); },
            Qt::QueuedConnection);
        idle.start();
        const qint32 result = downloader.RunDownload(url, ownTarget);
        const qint64 totalNs = idle.stop();
        const qint64 size = QFileInfo(ownTarget).size();
        QFile::remove(ownTarget);
        if (result != net::S_OK || size != bytes || !sawWindow) {
            std::fprintf(stderr, "download failed: result 0x%08x, %lld bytes, window %s\n", unsigned(result),
                         size, sawWindow ? "shown" : "not shown");
            return -1;
        }
        uiBusyMs = (totalNs - idle.idleNs) / 1e6;
        uiShare = 100.0 * (totalNs - idle.idleNs) / qMax<qint64>(totalNs, 1);
        return totalNs / 1e9;
    };

    std::printf("%lld MiB over %s, %d rounds, window platform %s\n", megabytes, qPrintable(url), rounds,
                qPrintable(QGuiApplication::platformName()));
    QList<double> shares;
    const bench::Rates rates = bench::race(rounds, bytes, runCurl, runWindow, [&](int round, double curl, double own) {
        const double curlRate = bench::megabytesPerSecond(bytes, curl);
        const double ownRate = bench::megabytesPerSecond(bytes, own);
        shares.append(uiShare);
        std::printf("round %d: curl %.0f MB/s (%.3f s), window sequence %.0f MB/s (%.3f s), ratio %.2f; "
                    "window thread busy %.1f ms = %.2f%% of the transfer, %d wake-ups, %d bar steps\n",
                    round, curlRate, curl, ownRate, own, ownRate / curlRate, uiBusyMs, uiShare, idle.wakeups,
                    percentSteps);
    });
    if (rates.curl.isEmpty())
        return 1;
    std::printf("median: curl %.0f MB/s, window sequence %.0f MB/s, ratio %.2f (goal >= 0.90), "
                "window thread busy %.2f%% (goal < 5%%)\n",
                bench::median(rates.curl), bench::median(rates.own), bench::median(rates.ratio), bench::median(shares));
    return 0;
}
