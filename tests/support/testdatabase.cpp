#include "tests/support/testdatabase.h"

#include "platform/text/gbk.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QtDebug>

namespace vintrel::test {

using namespace Qt::StringLiterals;

namespace {

// The first start of a machine builds the template under a lock that another test program may hold
// while it builds it; later starts take about a second.
constexpr int kStartTimeoutMs = 180000;
constexpr int kStopTimeoutMs = 60000;
constexpr int kSqlTimeoutMs = 60000;

QString dbctlPath()
{
    return sourceFile(u"server/dbctl"_s);
}

QString unescapeXml(QString text)
{
    text.replace(u"&lt;"_s, u"<"_s);
    text.replace(u"&gt;"_s, u">"_s);
    text.replace(u"&quot;"_s, u"\""_s);
    text.replace(u"&apos;"_s, u"'"_s);
    text.replace(u"&amp;"_s, u"&"_s);
    return text;
}

// The first result set of the client's --xml output. Its form is fixed and simple (field text never
// holds '<'), and reading it by pattern keeps carriage returns that an XML reader would normalise.
QList<QStringList> parseFirstResultSet(const QString &xml)
{
    QList<QStringList> rows;
    const qsizetype begin = xml.indexOf(u"<resultset"_s);
    if (begin < 0)
        return rows;
    const qsizetype end = xml.indexOf(u"</resultset>"_s, begin);
    const QString set = xml.mid(begin, end < 0 ? -1 : end - begin);

    static const QRegularExpression rowPattern(u"<row>(.*?)</row>"_s,
                                               QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression fieldPattern(
        u"<field name=\"[^\"]*\"(?: xsi:nil=\"true\" />|>([^<]*)</field>)"_s);
    for (auto row = rowPattern.globalMatch(set); row.hasNext();) {
        const QString body = row.next().captured(1);
        QStringList fields;
        for (auto field = fieldPattern.globalMatch(body); field.hasNext();) {
            const auto match = field.next();
            if (match.capturedStart(1) < 0) {
                fields.append(QString());
            } else {
                QString value = unescapeXml(match.captured(1));
                if (value.isNull())
                    value = QString(0, QChar()); // empty text, not NULL
                fields.append(value);
            }
        }
        rows.append(fields);
    }
    return rows;
}

} // namespace

QString sourceFile(const QString &relativePath)
{
    QString source = qEnvironmentVariable("VINTREL_SOURCE_DIR");
    if (source.isEmpty())
        source = QString::fromUtf8(VINTREL_SOURCE_DIR);
    return source + u'/' + relativePath;
}

QString testAddress()
{
    const QString fromEnv = qEnvironmentVariable("VINTREL_TEST_ADDRESS");
    return fromEnv.isEmpty() ? u"127.0.1.2"_s : fromEnv;
}

TestDatabase::TestDatabase(const QString &address) : m_address(address) {}

TestDatabase::~TestDatabase()
{
    stop();
    // The file goes with the folder: a server that outlives this one keeps its own data source.
    if (m_setOdbcIni && qgetenv("ODBCINI") == QFile::encodeName(odbcIniPath())) {
        if (m_previousOdbcIni.isNull())
            qunsetenv("ODBCINI");
        else
            qputenv("ODBCINI", m_previousOdbcIni);
    }
}

QString TestDatabase::connectString() const
{
    return u"DSN=qavrenu;UID=qavrenu;PWD=qavrenu;DESCRIPTION=qavrenu;SERVER="_s + m_address
        + u";charset=GBK;DATABASE=qavrenu;Port=3306"_s;
}

QString TestDatabase::odbcIniPath() const
{
    return m_dir ? m_dir->filePath(u"odbc.ini"_s) : QString();
}

bool TestDatabase::start()
{
    if (m_running)
        return true;
    if (!m_dir) {
        // Short, so that the server's socket fits in its folder.
        m_dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + u"/vtdb-XXXXXX"_s);
        if (!m_dir->isValid()) {
            m_error = u"cannot create a temporary folder: "_s + m_dir->errorString();
            m_dir.reset();
            return false;
        }
    }
    // The owner lets the server stop by itself should this program be killed.
    if (!runDbctl({u"start"_s, u"--owner"_s, QString::number(QCoreApplication::applicationPid()),
                   m_dir->path(), m_address},
                  kStartTimeoutMs))
        return false;
    m_running = true;
    if (!runDbctl({u"odbcini"_s, odbcIniPath(), m_address}, kSqlTimeoutMs))
        return false;
    const QByteArray odbcIni = QFile::encodeName(odbcIniPath());
    if (!m_setOdbcIni) {
        m_previousOdbcIni = qEnvironmentVariableIsSet("ODBCINI") ? qgetenv("ODBCINI") : QByteArray();
        m_setOdbcIni = true;
    }
    qputenv("ODBCINI", odbcIni);
    return true;
}

void TestDatabase::stop()
{
    if (!m_dir)
        return;
    if (!runDbctl({u"stop"_s, m_dir->path()}, kStopTimeoutMs))
        qWarning().noquote() << "TestDatabase:" << m_error;
    m_running = false;
}

bool TestDatabase::exec(const QString &sql)
{
    return runSql(sql, false, nullptr);
}

QList<QStringList> TestDatabase::rows(const QString &sql)
{
    QByteArray output;
    if (!runSql(sql, true, &output)) {
        qWarning().noquote() << "TestDatabase:" << m_error;
        return {};
    }
    return parseFirstResultSet(text::fromGbk(output));
}

QString TestDatabase::scalar(const QString &sql)
{
    const QList<QStringList> result = rows(sql);
    if (result.isEmpty() || result.first().isEmpty())
        return u""_s;
    return result.first().first();
}

// DELETE and an AUTO_INCREMENT reset look the same as TRUNCATE from outside but take a fraction
// of its time, which re-creates every table's files.
bool TestDatabase::reset()
{
    if (m_resetSql.isEmpty()) {
        QByteArray output;
        if (!runSql(u"select table_name, auto_increment is not null from information_schema.tables "
                    "where table_schema = database() and table_type = 'BASE TABLE'"_s,
                    true, &output))
            return false;
        for (const QStringList &table : parseFirstResultSet(text::fromGbk(output))) {
            m_resetSql += u"DELETE FROM `"_s + table.value(0) + u"`;\n"_s;
            if (table.value(1) == u"1"_s)
                m_resetSql += u"ALTER TABLE `"_s + table.value(0) + u"` AUTO_INCREMENT = 1;\n"_s;
        }
        if (m_resetSql.isEmpty()) {
            m_error = u"the database has no tables"_s;
            return false;
        }
    }
    return exec(m_resetSql);
}

bool TestDatabase::runSql(const QString &sql, bool xml, QByteArray *output)
{
    if (!m_running) {
        m_error = u"the test database is not running"_s;
        return false;
    }
    QStringList arguments{u"sql"_s};
    if (xml)
        arguments.append(u"--xml"_s);
    arguments.append(m_dir->path());

    QProcess process;
    process.start(dbctlPath(), arguments);
    if (!process.waitForStarted(kSqlTimeoutMs)) {
        m_error = u"dbctl: "_s + process.errorString();
        return false;
    }
    process.write(text::toGbk(sql));
    process.closeWriteChannel();
    if (!process.waitForFinished(kSqlTimeoutMs)) {
        process.kill();
        process.waitForFinished(kStopTimeoutMs);
        m_error = u"SQL did not finish within %1 s"_s.arg(kSqlTimeoutMs / 1000);
        return false;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        m_error = text::fromGbk(process.readAllStandardError()).trimmed();
        if (m_error.isEmpty())
            m_error = u"SQL failed with exit code %1"_s.arg(process.exitCode());
        return false;
    }
    if (output)
        *output = process.readAllStandardOutput();
    return true;
}

bool TestDatabase::runDbctl(const QStringList &arguments, int timeoutMs, QByteArray *output)
{
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(dbctlPath(), arguments);
    if (!process.waitForStarted(timeoutMs)) {
        m_error = u"dbctl: "_s + process.errorString();
        return false;
    }
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(kStopTimeoutMs);
        m_error = u"dbctl %1 did not finish within %2 s"_s.arg(arguments.value(0)).arg(timeoutMs / 1000);
        return false;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        m_error = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
        if (m_error.isEmpty())
            m_error = u"dbctl %1 failed with exit code %2"_s.arg(arguments.value(0)).arg(process.exitCode());
        return false;
    }
    if (output)
        *output = process.readAllStandardOutput();
    return true;
}

} // namespace vintrel::test
