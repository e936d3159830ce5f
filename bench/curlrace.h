#pragma once
// What both download benchmarks share: curl's own time for the same URL, and rounds that alternate which
// of the two goes first, so that neither always runs on a cache the other has warmed.

#include <QFile>
#include <QList>
#include <QProcess>
#include <QString>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace bench {

inline double megabytesPerSecond(qint64 bytes, double seconds)
{
    return seconds > 0 ? bytes / seconds / 1e6 : 0;
}

inline double median(QList<double> values)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// curl's own transfer time for url (which leaves out the start of its process), or -1 when it failed or
// fetched another size than `bytes`. The file it writes is removed again.
inline double curlSeconds(const QString &url, const QString &target, qint64 bytes)
{
    QProcess curl;
    curl.start(QStringLiteral("curl"), {QStringLiteral("-s"), QStringLiteral("--noproxy"), QStringLiteral("*"),
                                        QStringLiteral("-o"), target, QStringLiteral("-w"),
                                        QStringLiteral("%{time_total} %{size_download}"), url});
    if (!curl.waitForFinished(600000) || curl.exitCode() != 0) {
        std::fprintf(stderr, "curl failed: %s\n", curl.readAllStandardError().constData());
        return -1;
    }
    const QList<QByteArray> out = curl.readAllStandardOutput().split(' ');
    QFile::remove(target);
    if (out.value(1).toLongLong() != bytes) {
        std::fprintf(stderr, "curl fetched %s bytes\n", out.value(1).constData());
        return -1;
    }
    return out.value(0).toDouble();
}

struct Rates
{
    QList<double> curl; // MB/s per round
    QList<double> own;
    QList<double> ratio;
};

// Runs the rounds; `report` sees each round's times. Empty rates when a run failed.
inline Rates race(int rounds, qint64 bytes, const std::function<double()> &runCurl,
                  const std::function<double()> &runOwn,
                  const std::function<void(int round, double curlSeconds, double ownSeconds)> &report)
{
    Rates rates;
    for (int round = 1; round <= rounds; ++round) {
        double curl = 0;
        double own = 0;
        if (round % 2) {
            curl = runCurl();
            own = curl < 0 ? -1 : runOwn();
        } else {
            own = runOwn();
            curl = own < 0 ? -1 : runCurl();
        }
        if (curl < 0 || own < 0)
            return {};
        rates.curl.append(megabytesPerSecond(bytes, curl));
        rates.own.append(megabytesPerSecond(bytes, own));
        rates.ratio.append(rates.own.last() / rates.curl.last());
        report(round, curl, own);
    }
    return rates;
}

} // namespace bench
