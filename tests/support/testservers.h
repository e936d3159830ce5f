#pragma once
// Real HTTP and FTP servers for tests: the python scripts beside this file, run as child processes
// on a loopback address. Each object owns its process: it is listening once the constructor
// returns (check isRunning()) and stopped by the destructor. Use from one thread.

#include <QHash>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace vintrel::test {

class TestServerProcess
{
public:
    TestServerProcess(const TestServerProcess &) = delete;
    TestServerProcess &operator=(const TestServerProcess &) = delete;
    virtual ~TestServerProcess();

    bool isRunning() const;
    QString errorString() const { return m_error; }
    QString address() const { return m_address; }
    quint16 port() const { return m_port; }
    void stop();

protected:
    // address empty: testAddress(); port 0: a free one.
    TestServerProcess(const QString &script, const QString &root, const QString &address,
                      quint16 port, const QStringList &extraArguments = {});
    // A further port the script announced before listening ("<key> <port>"), 0 if none.
    quint16 announcedPort(const QByteArray &key) const { return m_announced.value(key); }

private:
    QProcess m_process;
    QString m_address;
    quint16 m_port = 0;
    QHash<QByteArray, quint16> m_announced;
    QString m_error;
};

// Serves the files under root, plus the test paths of http_server.py: /status/<code>,
// /generate/<size>, and the query options length=0, chunked=1, rate=, stall=, delay=, drop=.
class TestHttpServer : public TestServerProcess
{
public:
    explicit TestHttpServer(const QString &root, const QString &address = {}, quint16 port = 0);
    // "http://<address>:<port>" + path; path starts with "/".
    QString url(const QString &path) const;
    // A port on address() that takes no connection: connecting to it times out.
    quint16 unansweredPort() const { return announcedPort("UNANSWERED"); }
};

// Serves root read-only to the user "update" with the password "qavrenu".
class TestFtpServer : public TestServerProcess
{
public:
    static constexpr const char16_t *user = u"update";
    static constexpr const char16_t *password = u"qavrenu";

    explicit TestFtpServer(const QString &root, const QString &address = {}, quint16 port = 0);
    // "ftp://update:qavrenu@<address>:<port>" + path; path starts with "/".
    QString url(const QString &path) const;
    // The same without credentials.
    QString anonymousUrl(const QString &path) const;
};

} // namespace vintrel::test
