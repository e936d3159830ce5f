// ICMP echo over the real network stack: replies from loopback, addresses that cannot be used, the test
// responder, and a silent host inside a private network namespace with each of the two socket kinds.

#include "platform/net/icmpecho.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMutex>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

#include <cstdio>
#include <cstdlib>

using namespace Qt::StringLiterals;
using vintrel::net::EchoResult;
using vintrel::net::icmpEcho;
using vintrel::net::setEchoResponder;

namespace {

constexpr int kTimeoutMs = 3000;

QString testAddress()
{
    const QString address = qEnvironmentVariable("VINTREL_TEST_ADDRESS");
    return address.isEmpty() ? u"127.0.0.1"_s : address;
}

} // namespace

class TstIcmpEcho : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { setEchoResponder({}); }

    void loopbackAnswers_data()
    {
        QTest::addColumn<QString>("address");
        QTest::newRow("own test address") << testAddress();
        // Pinging ourselves, a raw socket also sees the request going out.
        QTest::newRow("127.0.0.1") << u"127.0.0.1"_s;
        QTest::newRow("host name") << u"localhost"_s;
    }
    void loopbackAnswers()
    {
        QFETCH(QString, address);
        const EchoResult result = icmpEcho(address, kTimeoutMs);
        QVERIFY(result.echoReply);
        QVERIFY(result.roundTripMs >= 0);
        QVERIFY(result.roundTripMs < kTimeoutMs);
    }

    void unusableAddressGivesNoReplyAtOnce_data()
    {
        QTest::addColumn<QString>("address");
        QTest::newRow("empty") << QString();
        QTest::newRow("blank") << u"   "_s;
        QTest::newRow("octet above 255") << u"127.0.0.256"_s;
        QTest::newRow("five parts") << u"127.0.0.1.1"_s;
        QTest::newRow("not a host name") << u"server one!"_s;
        QTest::newRow("non-ASCII") << u"伺服器"_s;
    }
    void unusableAddressGivesNoReplyAtOnce()
    {
        QFETCH(QString, address);
        QElapsedTimer clock;
        clock.start();
        const EchoResult result = icmpEcho(address, kTimeoutMs);
        QVERIFY(!result.echoReply);
        QVERIFY(result.roundTripMs >= 0);
        // Nothing can answer, so nothing is waited for.
        QVERIFY(clock.elapsed() < kTimeoutMs);
    }

    void responderReplacesNetworkUntilCleared()
    {
        QMutex lock;
        QStringList asked;
        setEchoResponder([&](const QString &address, int timeoutMs) {
            const QMutexLocker locker(&lock);
            asked << address + u'/' + QString::number(timeoutMs);
            return address == u"127.0.0.2"_s ? EchoResult{17, true} : EchoResult{timeoutMs, false};
        });

        const EchoResult answered = icmpEcho(u"127.0.0.2"_s, kTimeoutMs);
        QCOMPARE(answered.roundTripMs, 17);
        QVERIFY(answered.echoReply);
        // Loopback would answer for real; the responder says it does not.
        EchoResult silent;
        QThread *worker = QThread::create([&] { silent = icmpEcho(testAddress(), 250); });
        worker->start();
        QVERIFY(worker->wait(10000));
        delete worker;
        QCOMPARE(silent.roundTripMs, 250);
        QVERIFY(!silent.echoReply);
        QCOMPARE(asked, QStringList({u"127.0.0.2/3000"_s, testAddress() + u"/250"_s}));

        setEchoResponder({});
        QVERIFY(icmpEcho(testAddress(), kTimeoutMs).echoReply);
        QCOMPARE(asked.size(), 2);
    }

    // Each row runs one echo to 127.0.0.1 in a network namespace of its own, where the kernel may be told
    // to ignore echo requests, and where either only the datagram socket or only the raw socket is allowed.
    void privateNamespace_data()
    {
        QTest::addColumn<bool>("datagramAllowed");
        QTest::addColumn<bool>("rawAllowed");
        QTest::addColumn<bool>("hostAnswers");
        QTest::newRow("datagram socket, host answers") << true << false << true;
        QTest::newRow("datagram socket, host silent") << true << false << false;
        QTest::newRow("raw socket, host answers") << false << true << true;
        // The only packet the raw socket then sees is our own request.
        QTest::newRow("raw socket, host silent") << false << true << false;
        QTest::newRow("no ICMP socket allowed") << false << false << true;
    }
    void privateNamespace()
    {
        QFETCH(bool, datagramAllowed);
        QFETCH(bool, rawAllowed);
        QFETCH(bool, hostAnswers);
        const QString unshare = QStandardPaths::findExecutable(u"unshare"_s);
        const QString setpriv = QStandardPaths::findExecutable(u"setpriv"_s);
        const QString ip = QStandardPaths::findExecutable(u"ip"_s);
        if (unshare.isEmpty() || setpriv.isEmpty() || ip.isEmpty())
            QSKIP("needs unshare, setpriv and ip");
        if (QProcess::execute(unshare, {u"--net"_s, u"--"_s, ip, u"link"_s, u"set"_s, u"lo"_s, u"up"_s}) != 0)
            QSKIP("network namespaces are not available here");

        const int timeoutMs = 400;
        // In the namespace: loopback up, the two settings of this row, then the probe, without
        // CAP_NET_RAW where raw sockets are not allowed.
        const QString script = u"\"$0\" link set lo up"
                               " && echo \"$1\" > /proc/sys/net/ipv4/ping_group_range"
                               " && echo \"$2\" > /proc/sys/net/ipv4/icmp_echo_ignore_all"
                               " && shift 2 && exec \"$@\""_s;
        QStringList arguments{u"--net"_s,
                              u"--"_s,
                              u"sh"_s,
                              u"-c"_s,
                              script,
                              ip,
                              datagramAllowed ? u"0 2147483647"_s : u"1 0"_s,
                              hostAnswers ? u"0"_s : u"1"_s};
        if (!rawAllowed)
            arguments << setpriv << u"--bounding-set=-net_raw"_s << u"--inh-caps=-net_raw"_s;
        arguments << QCoreApplication::applicationFilePath() << u"--echo-probe"_s << u"127.0.0.1"_s
                  << QString::number(timeoutMs);

        QProcess probe;
        probe.start(unshare, arguments);
        QVERIFY(probe.waitForFinished(10000));
        QCOMPARE(probe.exitCode(), 0);
        const QStringList fields = QString::fromLatin1(probe.readAllStandardOutput()).split(u' ');
        QCOMPARE(fields.size(), 2);
        const bool echoReply = fields[0] == u"1"_s;
        const int roundTripMs = fields[1].trimmed().toInt();

        const bool expectReply = (datagramAllowed || rawAllowed) && hostAnswers;
        QCOMPARE(echoReply, expectReply);
        QVERIFY(roundTripMs >= 0);
        if (expectReply || !(datagramAllowed || rawAllowed))
            QVERIFY(roundTripMs < timeoutMs);
        else
            QVERIFY(roundTripMs >= timeoutMs); // waited out the whole time-out
    }
};

int main(int argc, char *argv[])
{
    // Probe mode, run by privateNamespace() inside its namespace: one echo, result on stdout.
    if (argc == 4 && qstrcmp(argv[1], "--echo-probe") == 0) {
        const EchoResult result = icmpEcho(QString::fromLocal8Bit(argv[2]), std::atoi(argv[3]));
        std::printf("%d %d\n", result.echoReply ? 1 : 0, result.roundTripMs);
        return 0;
    }
    QCoreApplication app(argc, argv);
    TstIcmpEcho test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_icmpecho.moc"
