// Download throughput: a large file over loopback HTTP through URLDownloadToFile, against the curl
// command line fetching the same file in the same run. The transfer runs on a worker thread and
// hands its progress to a progress bar on the UI thread, as the download window does.
//
// bench_download [megabytes (200)] [rounds (5)]

#include "bench/curlrace.h"
#include "platform/net/download.h"
#include "tests/support/testservers.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdio>

using namespace Qt::StringLiterals;
using namespace vintrel::net;

namespace {

// Forwards each notification to the UI thread as a queued call, and accounts for the UI time.
class BarCallback : public BindStatusCallback
{
public:
    explicit BarCallback(QProgressBar *bar) : m_bar(bar) {}

    qint32 OnProgress(quint32 ulProgress, quint32 ulProgressMax, quint32,
                      const char16_t *) override
    {
        ++notifications;
        QMetaObject::invokeMethod(
            m_bar,
            [this, ulProgress, ulProgressMax] {
                QElapsedTimer busy;
                busy.start();
                m_bar->setMaximum(int(qMin<quint32>(ulProgressMax, INT_MAX)));
                m_bar->setValue(int(qMin<quint32>(ulProgress, INT_MAX)));
                m_bar->repaint();
                uiNanoseconds += busy.nsecsElapsed();
            },
            Qt::QueuedConnection);
        return S_OK;
    }

    std::atomic<int> notifications{0};
    qint64 uiNanoseconds = 0; // written on the UI thread only

private:
    QProgressBar *m_bar;
};

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const qint64 megabytes = args.size() > 1 ? args[1].toLongLong() : 200;
    const int rounds = args.size() > 2 ? args[2].toInt() : 5;
    const qint64 bytes = megabytes * 1024 * 1024;
    if (megabytes <= 0 || rounds <= 0) {
        std::fprintf(stderr, "usage: bench_download [megabytes] [rounds]\n");
        return 2;
    }

    QTemporaryDir served;
    QTemporaryDir downloads;
    vintrel::test::TestHttpServer server(served.path());
    if (!server.isRunning()) {
        std::fprintf(stderr, "HTTP server: %s\n", qPrintable(server.errorString()));
        return 1;
    }
    const QString url = server.url(u"/generate/"_s + QString::number(bytes));
    const QString curlTarget = downloads.filePath(u"curl.bin"_s);
    const QString ownTarget = downloads.filePath(u"facility.bin"_s);

    QProgressBar bar;
    bar.resize(400, 24);
    bar.show();

    auto runCurl = [&] { return bench::curlSeconds(url, curlTarget, bytes); };
    int notifications = 0;
    qint64 uiNanoseconds = 0;
    auto runOwn = [&]() -> double {
        BarCallback callback(&bar);
        qint32 result = -1;
        double seconds = 0;
        QThread *worker = QThread::create([&] {
            QElapsedTimer timer;
            timer.start();
            result = URLDownloadToFile(url, ownTarget, &callback);
            seconds = timer.nsecsElapsed() / 1e9;
        });
        QObject::connect(worker, &QThread::finished, &app, &QCoreApplication::quit);
        worker->start();
        app.exec();
        worker->wait();
        delete worker;
        QCoreApplication::processEvents(); // the last queued bar updates
        const qint64 size = QFileInfo(ownTarget).size();
        QFile::remove(ownTarget);
        notifications = callback.notifications.load();
        uiNanoseconds = callback.uiNanoseconds;
        if (result != S_OK || size != bytes) {
            std::fprintf(stderr, "download failed: result 0x%08x, %lld bytes\n", unsigned(result),
                         size);
            return -1;
        }
        return seconds;
    };

    std::printf("%lld MiB over %s, %d rounds\n", megabytes, qPrintable(url), rounds);
    const bench::Rates rates = bench::race(rounds, bytes, runCurl, runOwn, [&](int round, double curl, double own) {
        const double curlRate = bench::megabytesPerSecond(bytes, curl);
        const double ownRate = bench::megabytesPerSecond(bytes, own);
        std::printf("round %d: curl %.0f MB/s (%.3f s), facility %.0f MB/s (%.3f s), ratio %.2f, "
                    "%d notifications, UI thread busy %.2f ms (%.2f%% of the transfer)\n",
                    round, curlRate, curl, ownRate, own, ownRate / curlRate, notifications, uiNanoseconds / 1e6,
                    100.0 * uiNanoseconds / 1e9 / qMax(own, 1e-9));
    });
    if (rates.curl.isEmpty())
        return 1;
    const double bestCurl = *std::max_element(rates.curl.begin(), rates.curl.end());
    const double bestOwn = *std::max_element(rates.own.begin(), rates.own.end());
    std::printf("median: curl %.0f MB/s, facility %.0f MB/s, ratio %.2f (goal >= 0.90)\n",
                bench::median(rates.curl), bench::median(rates.own), bench::median(rates.ratio));
    std::printf("best:   curl %.0f MB/s, facility %.0f MB/s, ratio %.2f\n", bestCurl, bestOwn, bestOwn / bestCurl);
    return 0;
}
