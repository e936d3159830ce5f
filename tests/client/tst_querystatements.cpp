// The statements of the four query kinds against a real MariaDB server through the ODBC driver: what
// each filter lists and counts on a small fixture, and the literal and indexed texts giving the same
// counts and pages for every filter.

#include "client/browse/QueryStatements.h"
#include "platform/db/connection.h"
#include "platform/text/gbk.h"
#include "tests/support/testdatabase.h"

#include <QtTest>

#include <algorithm>
#include <variant>

using namespace Qt::StringLiterals;
using namespace vintrel;
using namespace vintrel::browse;

Q_DECLARE_METATYPE(AnyFilter)

namespace {

// The clock dates the tests run at: the small fixture lies around kToday, the generated one in
// January 2023.
const QDate kToday(2024, 3, 15);
const QDate kTodayGenerated(2023, 1, 20);

QDate day(int daysFromToday)
{
    return kToday.addDays(daysFromToday);
}

DateFilter range(const QDate &from, const QDate &to)
{
    return {true, from, to};
}

// A Chinese character whose GBK second byte is the byte of a backslash.
QString backslashTrailChar()
{
    for (char16_t c = 0x4E00; c < 0x9FA5; ++c) {
        const QByteArray gbk = text::toGbk(QString(QChar(c)));
        if (gbk.size() == 2 && gbk.at(1) == '\\')
            return QString(QChar(c));
    }
    return {};
}

// Per kind: the column that names a record in the fixture, and the date column pages are ordered by.
struct KindColumns
{
    QString key;
    QString date;
};

KindColumns columnsOf(const AnyFilter &f)
{
    switch (f.index()) {
    case 0:
        return {u"ann_id"_s, u"release_date"_s};
    case 1:
        return {u"method"_s, u"report_date"_s};
    case 2:
        return {u"form_no"_s, u"update_date"_s};
    default:
        return {u"report_id"_s, u"upload_time"_s};
    }
}

qint64 countOf(const Statements &s)
{
    const db::RecordSet rs = db::Connection::shared().query(s.count);
    if (rs.rowCount() != 1)
        throw db::Error("the count statement gave no single row");
    return rs.value(0, u"mycount"_s).toLongLong();
}

// Every page of the statements, fetched as the paging does, until a page comes back short.
QList<db::RecordSet> pagesOf(const Statements &s)
{
    QList<db::RecordSet> pages;
    for (int page = 1; page <= 20; ++page) {
        pages.append(db::Connection::shared().query(pageStatement(s.pagePrefix, page)));
        if (pages.last().rowCount() < kPageSize)
            break;
    }
    return pages;
}

QStringList column(const QList<db::RecordSet> &pages, const QString &name)
{
    QStringList values;
    for (const db::RecordSet &rs : pages) {
        for (int row = 0; row < rs.rowCount(); ++row)
            values.append(rs.text(row, name));
    }
    return values;
}

// Whole rows as text, so that two results can be compared as collections.
QStringList rowTexts(const db::RecordSet &rs)
{
    QStringList rows;
    for (int row = 0; row < rs.rowCount(); ++row) {
        QStringList fields;
        for (const QString &name : rs.columnNames())
            fields.append(rs.value(row, name).isNull() ? u"<NULL>"_s : rs.text(row, name));
        rows.append(fields.join(u'|'));
    }
    return rows;
}

QStringList sorted(QStringList list)
{
    std::sort(list.begin(), list.end());
    return list;
}

// Fixture text for the root client's SQL; an invalid QString is NULL.
QString sql(const QString &value)
{
    return value.isNull() ? u"NULL"_s : u"'"_s + db::escapeLiteral(value) + u"'"_s;
}

QString sql(const QDateTime &value)
{
    return value.isValid() ? u"'"_s + value.toString(u"yyyy-MM-dd hh:mm:ss"_s) + u"'"_s : u"NULL"_s;
}

QString sql(const QDate &value)
{
    return value.isValid() ? u"'"_s + value.toString(u"yyyy-MM-dd"_s) + u"'"_s : u"NULL"_s;
}

QDateTime at(int daysFromToday, int h, int m, int s)
{
    return QDateTime(day(daysFromToday), QTime(h, m, s));
}

const QString kNull;

} // namespace

class TestQueryStatements : public QObject
{
    Q_OBJECT

    test::TestDatabase m_server;
    QString m_trail; // the character whose GBK trail byte is a backslash

    bool load(const QStringList &statements)
    {
        if (m_server.exec(statements.join(u";\n"_s)))
            return true;
        qWarning().noquote() << m_server.errorString();
        return false;
    }

    // Categories, both fixtures' records and their stocks. Every statement of this program only reads.
    bool loadFixture()
    {
        QStringList s;
        // The category tree as nested sets: 1 with children 2 and 3, 4 with child 5, and two roots
        // whose names are not items of the box.
        s << u"insert into title_tag (tag_id, name, lft, rgt) values "
             "(1, '公告及通告', 1, 6), (2, '月度回報', 2, 3), (3, '其他', 4, 5), (4, '通函', 7, 10), "
             "(5, '委任', 8, 9), (6, '財務報表', 11, 12), (7, '董事會''s', 13, 14)"_s;

        struct Ann
        {
            int id;
            QDateTime released;
            QString code, name, title;
            QList<int> tags;
        };
        const QString trailName = u"科"_s + m_trail + u"技"_s;
        QList<Ann> anns = {
            {1, at(0, 10, 0, 0), u"00001"_s, u"長江實業"_s, u"末期業績公告"_s, {1}},
            {2, at(-6, 0, 0, 0), u"00002"_s, u"中電控股"_s, u"月報表"_s, {2}},
            {3, at(-7, 23, 59, 59), u"00003"_s, u"香港中華煤氣"_s, u"通告"_s, {1}},
            {4, at(0, 23, 59, 59), u"00004"_s, u"九龍倉集團"_s, u"通告"_s, {3}},
            {5, at(1, 0, 0, 0), u"00005"_s, u"滙豐控股"_s, u"通告"_s, {1}},
            {6, at(-1, 9, 0, 0), u"00006"_s, u"電能實業"_s, u"通函"_s, {4}},
            {7, at(-2, 9, 0, 0), u"00007"_s, u"無標籤"_s, u"未分類"_s, {}},
            {8, at(-3, 9, 0, 0), u"00008"_s, u"電訊盈科"_s, u"雙類別"_s, {1, 4}},
            {9, at(-3, 10, 0, 0), kNull, u"無代號"_s, u"通告"_s, {1}},
            {10, at(-3, 11, 0, 0), u"00010"_s, kNull, u"通告"_s, {1}},
            {11, at(-4, 11, 0, 0), u"00011"_s, u"無標題"_s, kNull, {1}},
            {12, QDateTime(), u"00012"_s, u"無日期"_s, u"通告"_s, {1}},
            {13, at(-5, 8, 0, 0), u"00013"_s, u"O'Brien 控股"_s, u"派息50元股息abc"_s, {1}},
            {14, at(-5, 9, 0, 0), u"00014"_s, u"路\\徑"_s, u"100% 達標"_s, {1}},
            {15, at(-5, 10, 0, 0), u"00015"_s, trailName, u"通告"_s, {1}},
            {16, at(-5, 11, 0, 0), u"00016"_s, u"路\\'徑"_s, u"通告"_s, {1}},
            {17, at(-4, 8, 0, 0), u"00017"_s, u"財務"_s, u"年報"_s, {6}},
            {18, at(-4, 9, 0, 0), u"00018"_s, u"董事會"_s, u"董事會"_s, {7}},
            {19, at(-4, 10, 0, 0), u"00019"_s, u"空標題"_s, u""_s, {1}},
            {20, at(-1, 10, 0, 0), u"00020"_s, u"委任"_s, u"委任"_s, {5}},
            {21, at(-1, 11, 0, 0), u"00021"_s, u"百分之五十"_s, u"50%股息"_s, {1}},
        };
        // The generated records: ten a day from 2023-01-01 on, the first of each day at 00:00:00 and
        // the last at 23:59:59, with NULLs, quotes, wildcards, untagged and doubly tagged ones mixed in.
        for (int i = 0; i < 200; ++i) {
            const int slot = i % 10;
            const QTime time = slot == 0 ? QTime(0, 0, 0)
                : slot == 9             ? QTime(23, 59, 59)
                                        : QTime(slot * 2, (i * 7) % 60, (i * 13) % 60);
            QList<int> tags;
            if (i % 9 == 0)
                tags = {};
            else if (i % 4 == 0)
                tags = {1, 4};
            else
                tags = {i % 7 + 1};
            anns.append({101 + i, QDateTime(QDate(2023, 1, 1).addDays(i / 10), time),
                         i % 31 == 0 ? kNull : u"%1"_s.arg(i % 50, 5, 10, QChar(u'0')),
                         i % 29 == 0   ? kNull
                             : i % 17 == 0 ? u"O'K 控股"_s
                             : i % 19 == 0 ? u"100%實業"_s
                                           : u"公司%1"_s.arg(i),
                         i % 13 == 0 ? kNull : i % 11 == 0 ? u""_s : u"公告 第%1號"_s.arg(i), tags});
        }
        QStringList annRows, tagRows;
        for (const Ann &a : std::as_const(anns)) {
            annRows << u"(%1, %2, %3, %4, %5, %6, %7)"_s.arg(a.id)
                           .arg(sql(a.released), sql(a.code), sql(a.name), sql(u"類別"_s), sql(a.title),
                                sql(u"/listedco/%1.pdf"_s.arg(a.id)));
            for (int tag : a.tags)
                tagRows << u"(%1, %2)"_s.arg(a.id).arg(tag);
        }
        s << u"insert into announcement (ann_id, release_date, stock_code, stock_name, title_tag, file_title, "
             "file_link) values "_s
                + annRows.join(u", "_s);
        s << u"insert into ann_title_tag (ann_id, tag_id) values "_s + tagRows.join(u", "_s);

        // Stocks: 3 has no name, 99 (named by some records) does not exist.
        s << u"insert into stock (code, full_code, name) values ('1', '00001', '長江實業'), "
             "('2', '00002', '中電控股'), ('3', '00003', NULL), ('4', '00004', 'O''K 控股'), "_s
                + u"('5', '00005', "_s + sql(trailName) + u")"_s;

        struct Rep
        {
            QString key, stock;
            QDate reported;
        };
        QList<Rep> reps = {
            {u"r1"_s, u"1"_s, day(0)},  {u"r2"_s, u"2"_s, day(-6)},  {u"r3"_s, u"1"_s, day(-7)},
            {u"r4"_s, u"1"_s, day(1)},  {u"r5"_s, u"1"_s, QDate()},  {u"r6"_s, u"3"_s, day(-3)},
            {u"r7"_s, u"99"_s, day(-3)}, {u"r8"_s, u"2"_s, day(-3)},
        };
        for (int i = 0; i < 150; ++i) {
            reps.append({u"g%1"_s.arg(i), i % 11 == 0 ? u"99"_s : QString::number(i % 5 + 1),
                         i % 23 == 0 ? QDate() : QDate(2023, 1, 1).addDays(i / 8)});
        }
        QStringList repRows;
        for (const Rep &r : std::as_const(reps)) {
            repRows << u"(%1, %2, %3, 1000, 1.5, 1.2, 1350.00, %4, 5000)"_s.arg(
                sql(r.stock), sql(r.reported), sql(r.reported.isValid() ? r.reported.addDays(-1) : QDate()),
                sql(r.key));
        }
        s << u"insert into share_repurchase (stock_code, report_date, trade_date, share_amount, unit_high, "
             "unit_low, total_paid, method, share_total_ytd) values "_s
                + repRows.join(u", "_s);

        struct Dis
        {
            QString key, stock;
            QDate updated;
            QString form, holder, reason;
        };
        QList<Dis> dis = {
            {u"d1"_s, u"1"_s, day(0), u"3A"_s, u"李先生"_s, u"1101(L)"_s},
            {u"d2"_s, u"2"_s, day(-1), u"1"_s, u"O'Neil Ltd"_s, u"1201(L)"_s},
            {u"d3"_s, u"1"_s, day(-2), u"2"_s, u"大股東甲"_s, u"1301(L)"_s},
            {u"d4"_s, u"2"_s, day(-3), u"3"_s, u"董事乙"_s, u"1101(L)"_s},
            {u"d5"_s, u"1"_s, day(-4), u"4"_s, u"其他丙"_s, u"1101(L)"_s},
            {u"d6"_s, u"1"_s, day(-5), kNull, u"未填丁"_s, u"1101(L)"_s},
            {u"d7"_s, u"1"_s, day(-6), u"1"_s, u"大股東戊"_s, u"1101(L)"_s},
            {u"d8"_s, u"1"_s, day(0), u"12"_s, u"大股東己"_s, u"1101(L)"_s},
            {u"d9"_s, u"1"_s, day(-7), u"1"_s, u"大股東庚"_s, u"1101(L)"_s},
            {u"d10"_s, u"1"_s, day(-3), u"1"_s, kNull, u"1101(L)"_s},
            {u"d11"_s, u"1"_s, day(-3), u"3"_s, u"董事辛"_s, kNull},
            {u"d12"_s, u"3"_s, day(-3), u"1"_s, u"大股東壬"_s, u"1101(L)"_s},
        };
        const QStringList forms = {u"1"_s, u"2"_s, u"3"_s, u"3A"_s, u"4"_s, u"12"_s, kNull};
        for (int i = 0; i < 150; ++i) {
            dis.append({u"g%1"_s.arg(i), i % 13 == 0 ? u"99"_s : QString::number(i % 5 + 1),
                        i % 23 == 0 ? QDate() : QDate(2023, 1, 1).addDays(i / 8), forms.at(i % 7),
                        i % 19 == 0 ? kNull : i % 6 == 0 ? u"O'Neil %1"_s.arg(i) : u"股東%1"_s.arg(i),
                        i % 17 == 0 ? kNull : u"1%1(L)"_s.arg(i % 4 + 1)});
        }
        QStringList disRows;
        for (const Dis &d : std::as_const(dis)) {
            disRows << u"(%1, %2, %3, %4, %5, 100, 2.5, 10000, 5.25, %6, %7)"_s.arg(
                sql(d.stock), sql(d.updated), sql(d.updated.isValid() ? d.updated.addDays(-2) : QDate()),
                sql(d.holder), sql(d.reason), sql(d.form), sql(d.key));
        }
        s << u"insert into disclose_interest (stock_code, update_date, event_date, holder_name, "
             "disclose_reason, share_involved, unit_avg, share_interested, percent_interested, form_type, "
             "form_no) values "_s
                + disRows.join(u", "_s);

        struct Rpt
        {
            int id;
            QDateTime uploaded;
            QString type, org, title, code;
        };
        QList<Rpt> rpts = {
            {1, at(0, 10, 0, 0), u"港股"_s, u"中銀國際"_s, u"騰訊控股 買入"_s, u"00700"_s},
            {2, at(-6, 0, 0, 0), u"外文"_s, u"Morgan"_s, u"Tencent buy"_s, u"00700"_s},
            {3, at(-7, 23, 59, 59), u"港股"_s, u"中銀國際"_s, u"長實 持有"_s, u"00001"_s},
            {4, at(0, 23, 59, 59), u"港股"_s, u"招銀國際"_s, u"中電 持有"_s, u"00002"_s},
            {5, at(-1, 9, 0, 0), kNull, u"招銀國際"_s, u"未分類"_s, u"00002"_s},
            {6, at(-2, 9, 0, 0), u"港股"_s, kNull, u"無機構"_s, u"00002"_s},
            {7, at(-3, 9, 0, 0), u"港股"_s, u"中銀國際"_s, u"無代號"_s, kNull},
            {8, at(-4, 9, 0, 0), u"其他"_s, u"中銀國際"_s, u"其他類"_s, u"00005"_s},
            {9, at(-5, 9, 0, 0), u"港股"_s, u"中銀國際"_s, kNull, u"00005"_s},
        };
        const QStringList types = {u"港股"_s, u"外文"_s, kNull, u"其他"_s};
        for (int i = 0; i < 150; ++i) {
            const int slot = i % 8;
            const QTime time = slot == 0 ? QTime(0, 0, 0)
                : slot == 7             ? QTime(23, 59, 59)
                                        : QTime(slot * 3, (i * 7) % 60, (i * 11) % 60);
            rpts.append({101 + i, i % 23 == 0 ? QDateTime() : QDateTime(QDate(2023, 1, 1).addDays(i / 8), time),
                         types.at(i % 4), i % 19 == 0 ? kNull : i % 5 == 0 ? u"O'Reilly 研究"_s : u"證券%1"_s.arg(i % 3),
                         i % 7 == 0 ? u"100%看好"_s : u"報告%1"_s.arg(i), i % 29 == 0 ? kNull : u"%1"_s.arg(i % 40, 5, 10, QChar(u'0'))});
        }
        QStringList rptRows;
        for (const Rpt &r : std::as_const(rpts)) {
            rptRows << u"(%1, %2, %3, %4, %5, %6, '買入', %7)"_s.arg(r.id).arg(
                sql(r.title), sql(r.org), sql(r.uploaded.isValid() ? r.uploaded.date() : QDate()), sql(r.uploaded),
                sql(r.type), sql(r.code));
        }
        s << u"insert into research_report (report_id, report_title, publish_org, publish_time, upload_time, "
             "report_type, report_level, stock_code) values "_s
                + rptRows.join(u", "_s);
        return load(s);
    }

    // Filters whose results on the small fixture are known.
    struct Listed
    {
        const char *name;
        AnyFilter filter;
        QStringList keys; // the records listed
        int count;
    };
    QList<Listed> listedCases() const
    {
        const QString trailName = u"科"_s + m_trail + u"技"_s;
        const QStringList annDefault = {u"1"_s, u"2"_s, u"4"_s, u"8"_s, u"11"_s, u"13"_s, u"14"_s,
                                        u"15"_s, u"16"_s, u"19"_s, u"21"_s};
        const QStringList disAll = {u"d1"_s, u"d2"_s, u"d3"_s, u"d4"_s, u"d5"_s, u"d6"_s, u"d7"_s, u"d8"_s};
        return {
            {"ann defaults: seven days, default category", AnnFilter{}, annDefault, 11},
            // The page lists the untagged 7 as well; the count only counts tagged records.
            {"ann all categories", AnnFilter{.categoryIndex = 0},
             annDefault + QStringList{u"6"_s, u"7"_s, u"17"_s, u"18"_s, u"20"_s}, 15},
            {"ann category with a child", AnnFilter{.categoryIndex = 2, .categoryText = u"通函"_s},
             {u"6"_s, u"8"_s, u"20"_s}, 3},
            {"ann typed category name", AnnFilter{.categoryIndex = 1, .categoryText = u"財務報表"_s}, {u"17"_s}, 1},
            {"ann typed category with a quote", AnnFilter{.categoryIndex = 1, .categoryText = u"董事會's"_s},
             {u"18"_s}, 1},
            {"ann category text that would end its literal",
             AnnFilter{.categoryIndex = 1, .categoryText = u"x' or '1'='1"_s}, {}, 0},
            {"ann seventh day back, its last second", AnnFilter{.date = range(day(-7), day(-7))}, {u"3"_s}, 1},
            {"ann sixth day back, its first second", AnnFilter{.date = range(day(-6), day(-6))}, {u"2"_s}, 1},
            {"ann today up to its last second", AnnFilter{.date = range(day(0), day(0))}, {u"1"_s, u"4"_s}, 2},
            {"ann tomorrow at midnight", AnnFilter{.date = range(day(1), day(1))}, {u"5"_s}, 1},
            {"ann from-date after the to-date", AnnFilter{.date = range(day(0), day(-6))}, {}, 0},
            {"ann up to the last day a date can have",
             AnnFilter{.categoryIndex = 0, .date = range(day(-7), QDate(9999, 12, 31))},
             annDefault + QStringList{u"3"_s, u"5"_s, u"6"_s, u"7"_s, u"17"_s, u"18"_s, u"20"_s}, 17},
            {"ann stock code", AnnFilter{.stockCode = u"00001"_s}, {u"1"_s}, 1},
            {"ann name trimmed of blanks and tabs", AnnFilter{.stockName = u" \t長江 \r\n"_s}, {u"1"_s}, 1},
            {"ann ideographic space is not trimmed", AnnFilter{.stockName = u"\u3000長江"_s}, {}, 0},
            {"ann title filter leaves out NULL titles", AnnFilter{.fileTitle = u"通"_s},
             {u"4"_s, u"15"_s, u"16"_s}, 3},
            {"ann percent is a wildcard", AnnFilter{.fileTitle = u"50%股"_s}, {u"13"_s, u"21"_s}, 2},
            {"ann underscore is a wildcard", AnnFilter{.fileTitle = u"a_c"_s}, {u"13"_s}, 1},
            {"ann quote", AnnFilter{.stockName = u"'"_s}, {u"13"_s, u"16"_s}, 2},
            {"ann backslash", AnnFilter{.stockName = u"\\"_s}, {u"14"_s, u"16"_s}, 2},
            {"ann backslash quote", AnnFilter{.stockName = u"\\'"_s}, {u"16"_s}, 1},
            {"ann quote or 1=1", AnnFilter{.stockName = u"' or 1=1 -- "_s}, {}, 0},
            {"ann backslash-trail character alone", AnnFilter{.stockName = m_trail}, {u"15"_s}, 1},
            {"ann backslash-trail character last", AnnFilter{.stockName = u"科"_s + m_trail}, {u"15"_s}, 1},
            {"ann backslash-trail character in a name", AnnFilter{.stockName = trailName}, {u"15"_s}, 1},

            {"rep defaults", RepFilter{}, {u"r1"_s, u"r2"_s, u"r8"_s}, 3},
            {"rep name", RepFilter{.stockName = u"中電"_s}, {u"r2"_s, u"r8"_s}, 2},
            {"rep code", RepFilter{.stockCode = u"00001"_s}, {u"r1"_s}, 1},
            {"rep seventh day back", RepFilter{.date = range(day(-7), day(-7))}, {u"r3"_s}, 1},
            {"rep from-date after the to-date", RepFilter{.date = range(day(0), day(-6))}, {}, 0},

            {"dis defaults: every form type", DisFilter{}, disAll, 8},
            {"dis directors", DisFilter{.type = DisType::Directors}, {u"d1"_s, u"d4"_s}, 2},
            {"dis substantial shareholders", DisFilter{.type = DisType::Substantial}, {u"d2"_s, u"d3"_s, u"d7"_s}, 3},
            {"dis holder with a quote", DisFilter{.holderName = u"'"_s}, {u"d2"_s}, 1},
            {"dis reason", DisFilter{.discloseReason = u"1201"_s}, {u"d2"_s}, 1},
            {"dis name", DisFilter{.stockName = u"中電"_s}, {u"d2"_s, u"d4"_s}, 2},
            {"dis seventh day back", DisFilter{.date = range(day(-7), day(-7))}, {u"d9"_s}, 1},

            {"rpt defaults: both types", RptFilter{}, {u"1"_s, u"2"_s, u"4"_s, u"5"_s, u"8"_s}, 5},
            {"rpt hong kong", RptFilter{.type = RptType::HongKong}, {u"1"_s, u"4"_s}, 2},
            {"rpt foreign", RptFilter{.type = RptType::Foreign}, {u"2"_s}, 1},
            {"rpt institution", RptFilter{.publishOrg = u"招銀"_s}, {u"4"_s, u"5"_s}, 2},
            {"rpt title", RptFilter{.reportTitle = u"持有"_s}, {u"4"_s}, 1},
            {"rpt seventh day back, its last second", RptFilter{.date = range(day(-7), day(-7))}, {u"3"_s}, 1},
            {"rpt today up to its last second", RptFilter{.date = range(day(0), day(0))}, {u"1"_s, u"4"_s}, 2},
        };
    }

    // The bodies of the tests below, which turn a failed statement into a failure of the row.
    void checkListed()
    {
        QFETCH(AnyFilter, filter);
        QFETCH(QStringList, keys);
        QFETCH(int, count);
        const KindColumns columns = columnsOf(filter);
        const Statements s = build(filter, kToday, Form::Indexed);

        const QList<db::RecordSet> pages = pagesOf(s);
        QCOMPARE(sorted(column(pages, columns.key)), sorted(keys));
        QCOMPARE(countOf(s), qint64(count));
        // The paging skips the page of a count of 0 when the count covers what the pages list.
        if (s.countCoversPage)
            QCOMPARE(count, int(keys.size()));
        // Newest first.
        const QStringList dates = column(pages, columns.date);
        QVERIFY2(std::is_sorted(dates.rbegin(), dates.rend()), qPrintable(dates.join(u", "_s)));
    }

    void checkPagesFollowOn()
    {
        const Statements s = buildAnn({.categoryIndex = 0, .date = range(QDate(2023, 1, 1), QDate(2023, 1, 31))},
                                      kToday);
        const QList<db::RecordSet> pages = pagesOf(s);
        // Listed: every generated record with a code and a name, 200 less 13.
        QCOMPARE(pages.size(), 4);
        QCOMPARE(pages.last().rowCount(), 37);
        const QStringList ids = column(pages, u"ann_id"_s);
        QCOMPARE(QSet<QString>(ids.begin(), ids.end()).size(), 187);
        const QStringList dates = column(pages, u"release_date"_s);
        QVERIFY(std::is_sorted(dates.rbegin(), dates.rend()));
        QCOMPARE(dates.first(), u"2023-01-20 23:59:59"_s);
        QCOMPARE(dates.last(), u"2023-01-01 02:07:13"_s); // the first record has no code
    }

    void checkLiteralMatchesIndexed()
    {
        QFETCH(AnyFilter, filter);
        QFETCH(QDate, today);
        const KindColumns columns = columnsOf(filter);
        const Statements literal = build(filter, today, Form::Literal);
        const Statements indexed = build(filter, today, Form::Indexed);
        QVERIFY(literal.count != indexed.count);

        QCOMPARE(countOf(indexed), countOf(literal));
        const QList<db::RecordSet> literalPages = pagesOf(literal);
        const QList<db::RecordSet> indexedPages = pagesOf(indexed);
        QCOMPARE(indexedPages.size(), literalPages.size());
        QStringList literalRows, indexedRows;
        for (int p = 0; p < literalPages.size(); ++p) {
            // Page by page the same dates in the same order; records of one day (date columns) may
            // come in either order within it.
            QCOMPARE(column({indexedPages.at(p)}, columns.date), column({literalPages.at(p)}, columns.date));
            QCOMPARE(indexedPages.at(p).columnNames(), literalPages.at(p).columnNames());
            literalRows += rowTexts(literalPages.at(p));
            indexedRows += rowTexts(indexedPages.at(p));
        }
        QCOMPARE(sorted(indexedRows), sorted(literalRows));
        if (indexed.countCoversPage)
            QCOMPARE(countOf(indexed), qint64(indexedRows.size()));
    }

private slots:
    void initTestCase()
    {
        m_trail = backslashTrailChar();
        QVERIFY(!m_trail.isEmpty());
        QVERIFY2(m_server.start(), qPrintable(m_server.errorString()));
        db::Connection::shared().setConnectString(m_server.connectString());
        QVERIFY(loadFixture());
        // The character went into the table as its two GBK bytes.
        QCOMPARE(m_server.scalar(u"select hex(stock_name) from announcement where ann_id = 15"_s),
                 QString::fromLatin1(text::toGbk(u"科"_s + m_trail + u"技"_s).toHex().toUpper()));
    }

    void listed_data()
    {
        QTest::addColumn<AnyFilter>("filter");
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<int>("count");
        for (const Listed &c : listedCases())
            QTest::newRow(c.name) << c.filter << c.keys << c.count;
    }
    void listed()
    {
        try {
            checkListed();
        } catch (const db::Error &e) {
            QFAIL(e.what());
        }
    }

    // The texts the server receives, fragment by fragment.
    void statementTexts()
    {
        const AnnFilter ann{.stockCode = u" 0001 "_s, .stockName = u"長"_s, .fileTitle = u"年報"_s,
                            .date = range(QDate(2024, 3, 1), QDate(2024, 3, 15))};
        const Statements literal = buildAnn(ann, kToday, Form::Literal);
        QCOMPARE(literal.count,
                 u"select count(distinct ann.ann_id) as mycount "
                 "from announcement ann, ann_title_tag att, title_tag tag, title_tag tag_parent "
                 "where (1 =1) "
                 " and ann.stock_code like '%0001%'"
                 " and ann.stock_name like '%長%'"
                 " and ann.ann_id = att.ann_id and att.tag_id = tag.tag_id "
                 " and ann.file_title like '%年報%'"
                 " and date(ann.release_date) >=  '2024-03-01'"
                 " and date(ann.release_date) <=  '2024-03-15'"
                 " and tag_parent.name = '公告及通告'"
                 " and tag.lft BETWEEN tag_parent.lft AND tag_parent.rgt "_s);
        QCOMPARE(literal.pagePrefix,
                 u"select *  from announcement ann where (1 = 1) "
                 " and ann.stock_code like '%0001%'"
                 " and ann.stock_name like '%長%'"
                 " and ann.file_title like '%年報%'"
                 " and date(ann.release_date) >=  '2024-03-01'"
                 " and date(ann.release_date) <=  '2024-03-15'"
                 " and ann.ann_id in (select att.ann_id from ann_title_tag att, "
                 " title_tag tag, title_tag tag_parent where att.tag_id = tag.tag_id "
                 " and tag_parent.name = '公告及通告'"
                 " and tag.lft BETWEEN tag_parent.lft AND tag_parent.rgt ) "
                 " order by ann.release_date desc limit "_s);
        QCOMPARE(pageStatement(literal.pagePrefix, 3), literal.pagePrefix + u"100,50"_s);

        const Statements indexed = buildAnn({.categoryIndex = 0}, kToday);
        QCOMPARE(indexed.count,
                 u"select count(distinct ann.ann_id) as mycount "
                 "from announcement ann, ann_title_tag att, title_tag tag "
                 "where (1 =1) "
                 " and ann.stock_code like '%%'"
                 " and ann.stock_name like '%%'"
                 " and ann.ann_id = att.ann_id and att.tag_id = tag.tag_id "
                 " and ann.release_date >= '2024-03-09'"
                 " and ann.release_date < '2024-03-16'"_s);
        QCOMPARE(indexed.pagePrefix,
                 u"select *  from announcement ann where (1 = 1) "
                 " and ann.stock_code like '%%'"
                 " and ann.stock_name like '%%'"
                 " and ann.release_date >= '2024-03-09'"
                 " and ann.release_date < '2024-03-16'"
                 " order by ann.release_date desc limit "_s);

        const QString repBody = u"from share_repurchase sh, stock st where sh.stock_code = st.code "
                                " and st.full_code like '%%'"
                                " and st.name like '%%'"
                                " and date(sh.report_date) >=  '2024-03-09'"
                                " and date(sh.report_date) <=  '2024-03-15'"
                                " order by sh.report_date desc"_s;
        const Statements rep = buildRep({}, kToday, Form::Literal);
        QCOMPARE(rep.count, u"select count(*) as mycount "_s + repBody);
        QCOMPARE(rep.pagePrefix, u"select sh.*,st.full_code,st.name "_s + repBody + u" limit "_s);

        const QString disBody = u"from disclose_interest di, stock st where di.stock_code = st.code "
                                " and st.full_code like '%%'"
                                " and st.name like '%%'"
                                " and di.holder_name like '%%'"
                                " and di.disclose_reason like '%%'"
                                " and date(di.update_date) >=  '2024-03-09'"
                                " and date(di.update_date) <=  '2024-03-15'"_s;
        const Statements directors = buildDis({.type = DisType::Directors}, kToday, Form::Literal);
        QCOMPARE(directors.count, u"select count(*) as mycount "_s + disBody
                                      + u" and di.form_type like '3%' order by di.update_date desc"_s);
        const Statements holders = buildDis({.type = DisType::Substantial}, kToday, Form::Literal);
        QCOMPARE(holders.pagePrefix, u"select di.*,st.full_code,st.name "_s + disBody
                                         + u" and ((di.form_type = '1') or (di.form_type = '2'))"
                                           " order by di.update_date desc limit "_s);

        const QString rptBody = u"from research_report where "
                                " report_title like '%%'"
                                " and publish_org like '%%'"
                                " and stock_code like '%%'"
                                " and date(upload_time) >=  '2024-03-09'"
                                " and date(upload_time) <=  '2024-03-15'"_s;
        const Statements hk = buildRpt({.type = RptType::HongKong}, kToday, Form::Literal);
        QCOMPARE(hk.count, u"select count(*) as mycount "_s + rptBody
                               + u" and report_type = '港股' order by upload_time desc"_s);
        const Statements foreign = buildRpt({.type = RptType::Foreign}, kToday, Form::Literal);
        QCOMPARE(foreign.pagePrefix,
                 u"select * "_s + rptBody + u" and report_type = '外文' order by upload_time desc limit "_s);
    }

    // The generated records fill several pages: the pages follow on without gap or overlap.
    void pagesFollowOn()
    {
        try {
            checkPagesFollowOn();
        } catch (const db::Error &e) {
            QFAIL(e.what());
        }
    }

    void literalMatchesIndexed_data()
    {
        QTest::addColumn<AnyFilter>("filter");
        QTest::addColumn<QDate>("today");
        const auto row = [](const char *name, const AnyFilter &f, const QDate &today) {
            QTest::newRow(name) << f << today;
        };
        // The filters above on the small fixture, then the generated records.
        for (const Listed &c : listedCases())
            row(c.name, c.filter, kToday);
        const QDate a(2023, 1, 5), b(2023, 1, 12), first(2023, 1, 1), last(2024, 12, 31);
        row("gen ann defaults", AnnFilter{}, kTodayGenerated);
        row("gen ann all, seven days", AnnFilter{.categoryIndex = 0}, kTodayGenerated);
        row("gen ann range, midnight and last second at both bounds", AnnFilter{.date = range(a, b)}, kToday);
        row("gen ann all, range", AnnFilter{.categoryIndex = 0, .date = range(a, b)}, kToday);
        row("gen ann all, both fixtures", AnnFilter{.categoryIndex = 0, .date = range(first, last)}, kToday);
        row("gen ann default category, both fixtures", AnnFilter{.date = range(first, last)}, kToday);
        row("gen ann from after to", AnnFilter{.categoryIndex = 0, .date = range(b, a)}, kToday);
        row("gen ann chosen category", AnnFilter{.categoryIndex = 2, .categoryText = u"通函"_s,
                                                 .date = range(first, last)}, kToday);
        row("gen ann typed category", AnnFilter{.categoryIndex = 1, .categoryText = u"董事會's"_s,
                                                .date = range(first, last)}, kToday);
        row("gen ann quote", AnnFilter{.stockName = u"'"_s, .categoryIndex = 0, .date = range(first, last)}, kToday);
        row("gen ann wildcard", AnnFilter{.stockName = u"0%實"_s, .categoryIndex = 0, .date = range(first, last)},
            kToday);
        row("gen ann title underscore", AnnFilter{.fileTitle = u"第_號"_s, .categoryIndex = 0,
                                                  .date = range(first, last)}, kToday);
        row("gen rep defaults", RepFilter{}, kTodayGenerated);
        row("gen rep range", RepFilter{.date = range(a, b)}, kToday);
        row("gen rep both fixtures", RepFilter{.date = range(first, last)}, kToday);
        row("gen rep from after to", RepFilter{.date = range(b, a)}, kToday);
        row("gen rep quote", RepFilter{.stockName = u"'"_s, .date = range(first, last)}, kToday);
        row("gen dis defaults", DisFilter{}, kTodayGenerated);
        row("gen dis range", DisFilter{.date = range(a, b)}, kToday);
        row("gen dis both fixtures", DisFilter{.date = range(first, last)}, kToday);
        row("gen dis directors", DisFilter{.date = range(first, last), .type = DisType::Directors}, kToday);
        row("gen dis substantial", DisFilter{.date = range(first, last), .type = DisType::Substantial}, kToday);
        row("gen dis quote", DisFilter{.holderName = u"'"_s, .date = range(first, last)}, kToday);
        row("gen dis wildcard", DisFilter{.discloseReason = u"1_(L"_s, .date = range(first, last)}, kToday);
        row("gen rpt defaults", RptFilter{}, kTodayGenerated);
        row("gen rpt range", RptFilter{.date = range(a, b)}, kToday);
        row("gen rpt both fixtures", RptFilter{.date = range(first, last)}, kToday);
        row("gen rpt hong kong", RptFilter{.date = range(first, last), .type = RptType::HongKong}, kToday);
        row("gen rpt foreign", RptFilter{.date = range(first, last), .type = RptType::Foreign}, kToday);
        row("gen rpt quote", RptFilter{.publishOrg = u"'"_s, .date = range(first, last)}, kToday);
        row("gen rpt wildcard", RptFilter{.reportTitle = u"100%好"_s, .date = range(first, last)}, kToday);
    }
    void literalMatchesIndexed()
    {
        try {
            checkLiteralMatchesIndexed();
        } catch (const db::Error &e) {
            QFAIL(e.what());
        }
    }
};

QTEST_GUILESS_MAIN(TestQueryStatements)
#include "tst_querystatements.moc"
