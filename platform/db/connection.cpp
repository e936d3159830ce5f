#include "platform/db/connection.h"

#include "platform/text/gbk.h"

#include <soci/odbc/soci-odbc.h>
#include <soci/soci.h>

#include <ctime>
#include <deque>

namespace vintrel::db {

Statement &Statement::bind(const QString &name, const QString &text)
{
    m_parameters.push_back({name, text});
    return *this;
}

Statement &Statement::bind(const QString &name, qint64 integer)
{
    m_parameters.push_back({name, integer});
    return *this;
}

Statement &Statement::bind(const QString &name, const QDateTime &dateTime)
{
    m_parameters.push_back({name, dateTime});
    return *this;
}

QString escapeLiteral(const QString &text)
{
    QString out;
    out.reserve(text.size() + 8);
    for (const QChar c : text) {
        if (c == u'\'' || c == u'\\')
            out.append(c);
        out.append(c);
    }
    return out;
}

QString escapeLikePattern(const QString &text)
{
    QString out;
    out.reserve(text.size() + 8);
    for (const QChar c : text) {
        if (c == u'\\')
            out.append(u"\\\\\\\\");
        else if (c == u'\'')
            out.append(u"''");
        else
            out.append(c);
    }
    return out;
}

struct Connection::Impl
{
    soci::session session;
};

namespace {

std::tm toTm(const QDateTime &dt)
{
    std::tm tm{};
    const QDate d = dt.date();
    const QTime t = dt.time();
    tm.tm_year = d.year() - 1900;
    tm.tm_mon = d.month() - 1;
    tm.tm_mday = d.day();
    tm.tm_hour = t.hour();
    tm.tm_min = t.minute();
    tm.tm_sec = t.second();
    tm.tm_isdst = -1;
    return tm;
}

QDateTime fromTm(const std::tm &tm)
{
    return QDateTime(QDate(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday), QTime(tm.tm_hour, tm.tm_min, tm.tm_sec));
}

// Values bound to a statement must stay put until it has run; a deque never moves its elements.
struct BoundValues
{
    std::deque<std::string> texts;
    std::deque<long long> integers;
    std::deque<std::tm> times;
    std::deque<std::string> names;
};

soci::details::prepare_temp_type prepare(soci::session &session, const Statement &statement, BoundValues &values)
{
    soci::details::prepare_temp_type prepared = (session.prepare << text::toGbk(statement.sql()).toStdString());
    for (const Statement::Parameter &p : statement.parameters()) {
        const std::string &name = values.names.emplace_back(p.name.toStdString());
        if (const auto *t = std::get_if<QString>(&p.value))
            prepared, soci::use(values.texts.emplace_back(text::toGbk(*t).toStdString()), name);
        else if (const auto *i = std::get_if<qint64>(&p.value))
            prepared, soci::use(values.integers.emplace_back(*i), name);
        else
            prepared, soci::use(values.times.emplace_back(toTm(std::get<QDateTime>(p.value))), name);
    }
    return prepared;
}

QVariant readColumn(const soci::row &row, std::size_t i)
{
    if (row.get_indicator(i) == soci::i_null)
        return {};
    switch (row.get_properties(i).get_data_type()) {
    case soci::dt_string:
    case soci::dt_xml: {
        const std::string s = row.get<std::string>(i);
        return text::fromGbk(s.data(), qsizetype(s.size()));
    }
    case soci::dt_date:
        return fromTm(row.get<std::tm>(i));
    case soci::dt_double:
        return row.get<double>(i);
    case soci::dt_integer:
        return qint64(row.get<int>(i));
    case soci::dt_long_long:
        return qint64(row.get<long long>(i));
    case soci::dt_unsigned_long_long:
        return qint64(row.get<unsigned long long>(i));
    case soci::dt_blob:
        break;
    }
    return {};
}

[[noreturn]] void rethrow(const char *what)
{
    try {
        throw;
    } catch (const Error &) {
        throw;
    } catch (const std::exception &e) {
        throw Error(std::string(what) + ": " + e.what());
    }
}

} // namespace

Connection::Connection() : d(std::make_unique<Impl>()) {}

Connection::~Connection() = default;

Connection &Connection::shared()
{
    static Connection connection;
    return connection;
}

void Connection::setConnectString(const QString &connectString)
{
    ConnectionLock lock(m_mutex);
    disconnect();
    m_connectString = connectString;
}

void Connection::disconnect()
{
    ConnectionLock lock(m_mutex);
    try {
        d->session.close();
    } catch (const std::exception &) {
        // A connection that is already broken closes all the same.
    }
}

bool Connection::isConnected() const
{
    return d->session.get_backend() != nullptr;
}

void Connection::ensureConnected()
{
    if (isConnected())
        return;
    if (m_connectString.isEmpty())
        throw Error("the database connection has not been set up");
    try {
        d->session.open(soci::odbc, text::toGbk(m_connectString).toStdString());
    } catch (const std::exception &e) {
        d->session.close();
        throw Error(std::string("cannot connect to the database: ") + e.what());
    }
}

RecordSet Connection::query(const Statement &statement)
{
    ConnectionLock lock(m_mutex);
    ensureConnected();
    try {
        BoundValues values;
        soci::details::prepare_temp_type prepared = prepare(d->session, statement, values);
        soci::row row;
        prepared, soci::into(row);
        soci::statement st(prepared);
        QStringList columns;
        QList<QVariantList> rows;
        bool haveRow = st.execute(true);
        for (std::size_t i = 0; i < row.size(); ++i)
            columns.append(QString::fromStdString(row.get_properties(i).get_name()));
        while (haveRow) {
            QVariantList values;
            values.reserve(qsizetype(row.size()));
            for (std::size_t i = 0; i < row.size(); ++i)
                values.append(readColumn(row, i));
            rows.append(std::move(values));
            haveRow = st.fetch();
        }
        return RecordSet(std::move(columns), std::move(rows));
    } catch (...) {
        rethrow("query failed");
    }
}

long long Connection::execute(const Statement &statement)
{
    ConnectionLock lock(m_mutex);
    ensureConnected();
    try {
        BoundValues values;
        soci::statement st(prepare(d->session, statement, values));
        st.execute(true);
        return st.get_affected_rows();
    } catch (...) {
        rethrow("statement failed");
    }
}

} // namespace vintrel::db
