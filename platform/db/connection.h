#pragma once
// The one shared database connection of the client (SOCI over ODBC), and its statements.
//
// Threading: usable from any thread. Every statement holds the connection's lock while it runs. The lock
// is recursive, so a worker may hold it across a run of statements (ConnectionLock); the keep-alive and
// the connection probe use tryLock so that the window thread never waits behind a worker's statement.
// Failures throw db::Error; the message never contains the connection string.

#include "platform/db/recordset.h"

#include <QDateTime>
#include <QString>

#include <memory>
#include <mutex>
#include <stdexcept>
#include <variant>
#include <vector>

namespace vintrel::db {

class Error : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// SQL text with named parameters (":id1"), each bound by name as text, integer or date-time.
class Statement
{
public:
    using Value = std::variant<QString, qint64, QDateTime>;
    struct Parameter
    {
        QString name; // without the colon
        Value value;
    };

    Statement() = default;
    explicit Statement(QString sql) : m_sql(std::move(sql)) {}

    Statement &bind(const QString &name, const QString &text);
    Statement &bind(const QString &name, const char16_t *text) { return bind(name, QString::fromUtf16(text)); }
    Statement &bind(const QString &name, qint64 integer);
    Statement &bind(const QString &name, int integer) { return bind(name, qint64(integer)); }
    Statement &bind(const QString &name, const QDateTime &dateTime);

    const QString &sql() const { return m_sql; }
    const std::vector<Parameter> &parameters() const { return m_parameters; }

private:
    QString m_sql;
    std::vector<Parameter> m_parameters;
};

// Text placed inside a single-quoted SQL literal: the quote and the backslash are doubled, so no input can
// end the literal, while LIKE wildcards keep their meaning. Works on characters, before the text becomes
// GBK, so a Chinese character whose second byte happens to be 0x5C is never touched.
QString escapeLiteral(const QString &text);

// Text placed inside the single-quoted pattern of a LIKE condition. As escapeLiteral, except that a
// backslash is written so that it reaches LIKE as a plain backslash: LIKE itself treats a backslash as
// its escape character, so a doubled one would make a typed backslash swallow the character after it.
// "%" and "_" keep their wildcard meaning.
QString escapeLikePattern(const QString &text);

class Connection
{
public:
    Connection();
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    // The client's one connection.
    static Connection &shared();

    // Disconnects and remembers the ODBC connection string; the next statement connects with it.
    void setConnectString(const QString &connectString);
    void disconnect();
    bool isConnected() const;

    // Runs a statement that returns rows and fetches them all. Connects first when needed.
    RecordSet query(const Statement &statement);
    RecordSet query(const QString &sql) { return query(Statement(sql)); }
    // Runs a statement that changes data; returns the number of rows it changed.
    long long execute(const Statement &statement);
    long long execute(const QString &sql) { return execute(Statement(sql)); }

    std::recursive_mutex &mutex() { return m_mutex; }

private:
    struct Impl;
    void ensureConnected();
    std::recursive_mutex m_mutex;
    std::unique_ptr<Impl> d;
    QString m_connectString;
};

using ConnectionLock = std::unique_lock<std::recursive_mutex>;

} // namespace vintrel::db
