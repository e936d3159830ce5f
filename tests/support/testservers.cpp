#include "tests/support/testservers.h"

#include "tests/support/testdatabase.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace vintrel::test {

using namespace Qt::StringLiterals;

namespace {

constexpr int kStartTimeoutMs = 15000;
constexpr int kStopTimeoutMs = 5000;

// pyftpdlib is installed for the system's python, which need not be the first on PATH.
QString pythonProgram()
{
    QString program = QStandardPaths::findExecutable(u"python3"_s, {u"/usr/bin"_s});
    if (program.isEmpty())
        program = QStandardPaths::findExecutable(u"python3"_s);
    return program;
}

} // namespace

TestServerProcess::TestServerProcess(const QString &script, const QString &root,
                                     const QString &address, quint16 port,
                                     const QStringList &extraArguments)
    : m_address(address.isEmpty() ? testAddress() : address)
{
    const QString python = pythonProgram();
    if (python.isEmpty()) {
        m_error = u"python3 not found"_s;
        return;
    }
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QStringList arguments{sourceFile(u"tests/support/"_s + script), u"--address"_s, m_address, u"--port"_s,
                          QString::number(port), u"--root"_s, QDir(root).absolutePath()};
    arguments += extraArguments;
    m_process.start(python, arguments);

    const QDeadlineTimer deadline(kStartTimeoutMs);
    if (!m_process.waitForStarted(kStartTimeoutMs)) {
        m_error = script + u": "_s + m_process.errorString();
        return;
    }
    while (!deadline.hasExpired()) {
        while (m_process.canReadLine()) {
            const QList<QByteArray> words = m_process.readLine().simplified().split(' ');
            bool ok = false;
            const uint value = words.size() == 2 ? words[1].toUInt(&ok) : 0;
            if (!ok || value == 0 || value > 65535)
                continue;
            if (words[0] == "PORT") {
                m_port = quint16(value);
                return;
            }
            m_announced.insert(words[0], quint16(value));
        }
        if (m_process.state() != QProcess::Running) {
            m_error = script + u" ended before listening (exit code "_s
                      + QString::number(m_process.exitCode()) + u')';
            return;
        }
        m_process.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
    }
    m_error = script + u" did not start listening in time"_s;
    stop();
}

TestServerProcess::~TestServerProcess()
{
    stop();
}

bool TestServerProcess::isRunning() const
{
    return m_port != 0 && m_process.state() == QProcess::Running;
}

void TestServerProcess::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(kStopTimeoutMs)) {
        m_process.kill();
        m_process.waitForFinished(kStopTimeoutMs);
    }
}

TestHttpServer::TestHttpServer(const QString &root, const QString &address, quint16 port)
    : TestServerProcess(u"http_server.py"_s, root, address, port, {u"--unanswered"_s})
{
}

QString TestHttpServer::url(const QString &path) const
{
    return u"http://"_s + address() + u':' + QString::number(port()) + path;
}

TestFtpServer::TestFtpServer(const QString &root, const QString &address, quint16 port)
    : TestServerProcess(u"ftp_server.py"_s, root, address, port)
{
}

QString TestFtpServer::url(const QString &path) const
{
    return u"ftp://"_s + QString::fromUtf16(user) + u':' + QString::fromUtf16(password) + u'@'
           + address() + u':' + QString::number(port()) + path;
}

QString TestFtpServer::anonymousUrl(const QString &path) const
{
    return u"ftp://"_s + address() + u':' + QString::number(port()) + path;
}

} // namespace vintrel::test
