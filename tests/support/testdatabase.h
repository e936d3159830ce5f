#pragma once
// A private MariaDB server for one test program (server/dbctl), on a loopback address, port 3306,
// holding the service's schema; reached by the client through ODBC with the data source "qavrenu".
// Each object owns its server and temporary folder: the destructor stops the server and removes the
// folder, and a killed test program's server stops by itself. Use from one thread.

#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

namespace vintrel::test {

// The loopback address of this test program's servers: VINTREL_TEST_ADDRESS, or 127.0.1.2.
QString testAddress();
// A file of the source tree, e.g. "server/dbctl": under VINTREL_SOURCE_DIR, or the tree this was built from.
QString sourceFile(const QString &relativePath);

class TestDatabase
{
public:
    explicit TestDatabase(const QString &address = testAddress());
    ~TestDatabase();
    TestDatabase(const TestDatabase &) = delete;
    TestDatabase &operator=(const TestDatabase &) = delete;

    // Starts the server: the first time with a fresh database and the empty schema, after stop()
    // with the data it had. Writes the private odbc.ini and points ODBCINI of this process at it
    // (the destructor gives ODBCINI back its earlier value if it still points there). Any of these
    // files serves every TestDatabase, since the connection string names the server.
    // Returns false with errorString() when the server could not be started.
    bool start();
    // Stops the server, so that the database cannot be reached; start() brings it back.
    void stop();
    bool isRunning() const { return m_running; }

    QString errorString() const { return m_error; }
    QString address() const { return m_address; }
    // The connection string the client uses for this server.
    QString connectString() const;
    // The private odbc.ini (valid once started).
    QString odbcIniPath() const;

    // Runs SQL as root with the client charset GBK, for fixtures; several statements separated by
    // ';' run in order and the first failure ends the run. Returns false with errorString().
    bool exec(const QString &sql);
    // The first result set of the SQL, as text; a NULL is a null QString, an empty text is empty but
    // not null. Empty on failure (with errorString() and a warning).
    QList<QStringList> rows(const QString &sql);
    // The first column of the first row as text; "" when there is no row or on failure.
    QString scalar(const QString &sql);
    // Empties every table of the schema; AUTO_INCREMENT ids start at 1 again. Returns false with
    // errorString() on failure.
    bool reset();

private:
    bool runSql(const QString &sql, bool xml, QByteArray *output);
    bool runDbctl(const QStringList &arguments, int timeoutMs, QByteArray *output = nullptr);

    QString m_address;
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_resetSql;
    QString m_error;
    QByteArray m_previousOdbcIni;
    bool m_setOdbcIni = false;
    bool m_running = false;
};

} // namespace vintrel::test
