// The query tabs' statements at the service's real data size: for each kind, the count statement and
// one page of its default query and of other typical filters, built by the client's statement builders
// and run through the shared connection, as the paging workers run them. For the announcement cases
// the literal statements run beside the indexed ones, under a time limit.
//
// Run it through bench/run_queries.sh, which generates and loads the data and starts the server.
//
// bench_queries --address A --today YYYY-MM-DD [--runs N] [--literal-limit SECONDS] [--explain]
//               [--session SQL]

#include "client/browse/QueryStatements.h"
#include "platform/db/connection.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <variant>

using namespace Qt::StringLiterals;
using namespace vintrel;
using namespace vintrel::browse;

namespace {


struct Case
{
    const char *label;
    AnyFilter filter;
    bool lastPage = false; // the last page of the result instead of the first
};

db::Connection &conn()
{
    return db::Connection::shared();
}

// Milliseconds of one statement, fetched whole; nullopt when the server gave up on it (time limit).
std::optional<double> timed(const QString &sql, db::RecordSet *result = nullptr)
{
    QElapsedTimer timer;
    timer.start();
    try {
        db::RecordSet rs = conn().query(sql);
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        if (result)
            *result = std::move(rs);
        return ms;
    } catch (const db::Error &e) {
        if (!QString::fromUtf8(e.what()).contains(u"max_statement_time"_s, Qt::CaseInsensitive))
            throw;
        return std::nullopt;
    }
}

struct Timing
{
    std::optional<double> count, page;
    qint64 rows = 0;
    int pageRows = 0;
};

// The count, then the page the case asks for, as a worker does them; the median of `runs` rounds.
// A round that ran out of time ends the rounds.
Timing measure(const Statements &s, bool lastPage, int runs)
{
    std::vector<double> counts, pages;
    Timing t;
    for (int run = 0; run < runs; ++run) {
        db::RecordSet countResult;
        const auto c = timed(s.count, &countResult);
        if (!c)
            break;
        counts.push_back(*c);
        t.rows = countResult.value(0, u"mycount"_s).toLongLong();
        const int page = lastPage ? int(std::max<qint64>(1, (t.rows + kPageSize - 1) / kPageSize)) : 1;
        db::RecordSet pageResult;
        // As the worker does: no page statement after a count of 0 that covers the pages.
        const auto p = t.rows == 0 && s.countCoversPage ? std::optional<double>(0.0)
                                                        : timed(pageStatement(s.pagePrefix, page), &pageResult);
        if (!p)
            break;
        pages.push_back(*p);
        t.pageRows = pageResult.rowCount();
        // Statements that take long are not worth repeating.
        if (*c + *p > 2000)
            break;
    }
    const auto median = [](std::vector<double> v) -> std::optional<double> {
        if (v.empty())
            return std::nullopt;
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    if (!counts.empty())
        t.count = median(counts);
    t.page = median(pages);
    return t;
}

QString ms(const std::optional<double> &value, int limitSeconds)
{
    if (!value)
        return u"> %1 s"_s.arg(limitSeconds);
    if (*value >= 1000)
        return u"%1 s"_s.arg(*value / 1000, 0, 'f', 2);
    return u"%1"_s.arg(*value, 0, 'f', 1);
}

std::optional<double> sum(const std::optional<double> &a, const std::optional<double> &b)
{
    if (!a || !b)
        return std::nullopt;
    return *a + *b;
}

void print(const QString &line)
{
    std::fputs(line.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// Which index serves each table of the statement, as the server plans it.
QString plan(const QString &sql)
{
    const db::RecordSet rs = conn().query(u"EXPLAIN "_s + sql);
    QStringList parts;
    for (int row = 0; row < rs.rowCount(); ++row) {
        QString key = rs.text(row, u"key"_s);
        if (key.isEmpty())
            key = u"-"_s;
        QString part = rs.text(row, u"table"_s) + u":"_s + key + u"("_s + rs.text(row, u"type"_s) + u")"_s;
        const QString extra = rs.text(row, u"Extra"_s);
        if (extra.contains(u"Using index"_s) && !extra.contains(u"Using index condition"_s))
            part += u"+covering"_s;
        if (extra.contains(u"filesort"_s))
            part += u"+filesort"_s;
        parts << part;
    }
    return parts.join(u" "_s);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(u"Times the query tabs' statements on a loaded service database."_s);
    parser.addHelpOption();
    parser.addOption({u"address"_s, u"Loopback address of the database server."_s, u"address"_s});
    parser.addOption({u"today"_s, u"The clock date of the queries (the data's last day)."_s, u"date"_s});
    parser.addOption({u"runs"_s, u"Rounds per statement; the median is shown."_s, u"n"_s, u"5"_s});
    parser.addOption({u"literal-limit"_s, u"Seconds the server gives each statement."_s, u"s"_s, u"20"_s});
    parser.addOption({u"explain"_s, u"Also print the server's plan of each indexed statement."_s});
    parser.addOption({u"session"_s, u"A statement run on the connection first, e.g. SET SESSION optimizer_switch=..."_s,
                      u"sql"_s});
    parser.process(app);

    const QString address = parser.value(u"address"_s);
    const QDate today = QDate::fromString(parser.value(u"today"_s), u"yyyy-MM-dd"_s);
    const int runs = std::max(1, parser.value(u"runs"_s).toInt());
    const int limit = std::max(1, parser.value(u"literal-limit"_s).toInt());
    if (!address.startsWith(u"127."_s) || !today.isValid()) {
        std::fputs("bench_queries: --address (a loopback address) and --today (yyyy-MM-dd) are needed\n", stderr);
        return 2;
    }
    conn().setConnectString(u"DSN=qavrenu;UID=qavrenu;PWD=qavrenu;DESCRIPTION=qavrenu;SERVER="_s + address
                            + u";charset=GBK;DATABASE=qavrenu;Port=3306"_s);

    const DateFilter year{true, today.addDays(-364), today};
    const DateFilter tenYears{true, today.addYears(-10), today};
    const QList<Case> cases = {
        {"ANN default (7 days, 公告及通告)", AnnFilter{}},
        {"ANN 所有 (7 days)", AnnFilter{.categoryIndex = 0}},
        {"ANN name 長江 (7 days)", AnnFilter{.stockName = u"長江"_s}},
        {"ANN one year, 公告及通告", AnnFilter{.date = year}},
        {"ANN one year, 所有", AnnFilter{.categoryIndex = 0, .date = year}},
        {"ANN one year, name 長江", AnnFilter{.stockName = u"長江"_s, .categoryIndex = 0, .date = year}},
        {"ANN ten years, 所有, last page", AnnFilter{.categoryIndex = 0, .date = tenYears}, true},
        // A sub-category with few records, and a typed name that no tag has.
        {"ANN ten years, 紀律行動",
         AnnFilter{.categoryIndex = -1, .categoryText = u"紀律行動"_s, .date = tenYears}},
        {"ANN ten years, typed 無此類別",
         AnnFilter{.categoryIndex = -1, .categoryText = u"無此類別"_s, .date = tenYears}},
        {"REP default (7 days)", RepFilter{}},
        {"REP name 長江 (7 days)", RepFilter{.stockName = u"長江"_s}},
        {"REP one year", RepFilter{.date = year}},
        {"REP ten years, last page", RepFilter{.date = tenYears}, true},
        {"DIS default (7 days, all types)", DisFilter{}},
        {"DIS 董事通知 (7 days)", DisFilter{.type = DisType::Directors}},
        {"DIS name 長江 (7 days)", DisFilter{.stockName = u"長江"_s}},
        {"DIS one year", DisFilter{.date = year}},
        {"DIS ten years, last page", DisFilter{.date = tenYears}, true},
        {"RPT default (7 days, both types)", RptFilter{}},
        {"RPT 港股 (7 days)", RptFilter{.type = RptType::HongKong}},
        {"RPT institution 中銀 (7 days)", RptFilter{.publishOrg = u"中銀"_s}},
        {"RPT one year", RptFilter{.date = year}},
        {"RPT ten years, last page", RptFilter{.date = tenYears}, true},
    };

    try {
        const QString session = parser.value(u"session"_s);
        if (!session.isEmpty()) {
            conn().execute(session);
            print(u"Session: %1"_s.arg(session));
        }
        // Every statement is bounded, so a slow plan shows as "> N s" instead of holding the run.
        conn().execute(u"SET SESSION max_statement_time = %1"_s.arg(limit));
        // Warms the connection and the server's caches of the tables.
        for (const char *table : {"announcement", "ann_title_tag", "title_tag", "stock", "share_repurchase",
                                  "disclose_interest", "research_report"})
            conn().query(u"select count(*) from "_s + QString::fromLatin1(table));

        print(u"Query times in ms (median of %1 rounds; count, then the page, as a worker runs them), "
              "clock date %2, every statement limited to %3 s. Literal: the statements with date(col) and the "
              "ANN count's parent-tag join."_s.arg(runs).arg(today.toString(u"yyyy-MM-dd"_s)).arg(limit));
        print(u""_s);
        print(u"| case | records | page rows | count | page | count+page | literal count | literal page | literal count+page |"_s);
        print(u"|---|---:|---:|---:|---:|---:|---:|---:|---:|"_s);
        QStringList plans;
        for (const Case &c : cases) {
            const Statements indexed = build(c.filter, today, Form::Indexed);
            const Timing t = measure(indexed, c.lastPage, runs);
            QString line = u"| %1 | %2 | %3 | %4 | %5 | %6 |"_s.arg(QString::fromUtf8(c.label))
                               .arg(t.rows)
                               .arg(t.pageRows)
                               .arg(ms(t.count, limit), ms(t.page, limit), ms(sum(t.count, t.page), limit));
            if (std::holds_alternative<AnnFilter>(c.filter)) {
                const Statements literal = build(c.filter, today, Form::Literal);
                const Timing l = measure(literal, c.lastPage, runs);
                line += u" %1 | %2 | %3 |"_s.arg(ms(l.count, limit), ms(l.page, limit),
                                                  ms(sum(l.count, l.page), limit));
                if (l.count && l.rows != t.rows)
                    line += u" (literal count %1)"_s.arg(l.rows);
            } else {
                line += u" | | |"_s;
            }
            print(line);
            if (parser.isSet(u"explain"_s)) {
                const int page = c.lastPage ? int(std::max<qint64>(1, (t.rows + kPageSize - 1) / kPageSize)) : 1;
                plans << u"- %1\n  - count: %2\n  - page: %3"_s.arg(QString::fromUtf8(c.label),
                                                                   plan(indexed.count),
                                                                   plan(pageStatement(indexed.pagePrefix, page)));
            }
        }
        if (!plans.isEmpty()) {
            print(u""_s);
            print(u"Plans of the indexed statements (table:index(access type)):"_s);
            for (const QString &p : std::as_const(plans))
                print(p);
        }
    } catch (const db::Error &e) {
        std::fprintf(stderr, "bench_queries: %s\n", e.what());
        return 1;
    }
    return 0;
}
