// Download throughput: a large file over loopback HTTP through URLDownloadToFile, against the curl
// command line fetching the same file in the same run. The transfer runs on a worker thread and
// hands its progress to a progress bar on the UI thread, as the download window does.
//
// bench_download [megabytes (200)] [rounds (5)]

#include "platform/net/download.h"
#include "tests/support/testservers.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
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

double megabytesPerSecond(qint64 bytes, double seconds)
{
    return seconds > 0 ? bytes / seconds / 1e6 : 0;
}

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

    // curl's own transfer time, which leaves out the start of its process.
    auto runCurl = [&]() -> double {
        QProcess curl;
        curl.start(u"curl"_s, {u"-s"_s, u"--noproxy"_s, u"*"_s, u"-o"_s, curlTarget, u"-w"_s,
                               u"%{time_total} %{size_download}"_s, url});
        if (!curl.waitForFinished(600000) || curl.exitCode() != 0) {
            std::fprintf(stderr, "curl failed: %s\n", curl.readAllStandardError().constData());
            return -1;
        }
        const QList<QByteArray> out = curl.readAllStandardOutput().split(' ');
        QFile::remove(curlTarget);
        if (out.value(1).toLongLong() != bytes) {
            std::fprintf(stderr, "curl fetched %s bytes\n", out.value(1).constData());
            return -1;
        }
        return out.value(0).toDouble();
    };
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
    QList<double> curlRates;
    QList<double> ownRates;
    QList<double> ratios;
    for (int round = 1; round <= rounds; ++round) {
        // Alternate the order, so that neither always runs on a cache the other has warmed.
        double curlSeconds = 0;
        double ownSeconds = 0;
        if (round % 2) {
            curlSeconds = runCurl();
            ownSeconds = curlSeconds < 0 ? -1 : runOwn();
        } else {
            ownSeconds = runOwn();
            curlSeconds = ownSeconds < 0 ? -1 : runCurl();
        }
        if (curlSeconds < 0 || ownSeconds < 0)
            return 1;
        const double curlRate = megabytesPerSecond(bytes, curlSeconds);
        const double ownRate = megabytesPerSecond(bytes, ownSeconds);
        curlRates.append(curlRate);
        ownRates.append(ownRate);
        ratios.append(ownRate / curlRate);
        std::printf("round %d: curl %.0f MB/s (%.3f s), facility %.0f MB/s (%.3f s), ratio %.2f, "
                    "%d notifications, UI thread busy %.2f ms (%.2f%% of the transfer)\n",
                    round, curlRate, curlSeconds, ownRate, ownSeconds, ownRate / curlRate,
                    notifications, uiNanoseconds / 1e6,
                    100.0 * uiNanoseconds / 1e9 / qMax(ownSeconds, 1e-9));
    }
    auto median = [](QList<double> values) {
        std::sort(values.begin(), values.end());
        const qsizetype n = values.size();
        return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    };
    std::printf("median: curl %.0f MB/s, facility %.0f MB/s, ratio %.2f (goal >= 0.90)\n",
                median(curlRates), median(ownRates), median(ratios));
    std::printf("best:   curl %.0f MB/s, facility %.0f MB/s, ratio %.2f\n",
                *std::max_element(curlRates.begin(), curlRates.end()),
                *std::max_element(ownRates.begin(), ownRates.end()),
                *std::max_element(ownRates.begin(), ownRates.end())
                    / *std::max_element(curlRates.begin(), curlRates.end()));
    return 0;
}
