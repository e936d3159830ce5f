#pragma once
// The SQL of the four query kinds: for a kind's filter, the count statement (one row, column "mycount")
// and the page-statement prefix (ends with " limit ", takes "offset,50"). Pure functions of their
// arguments, safe from any thread; building never fails and never touches the server. Filters carry
// the controls' raw texts: the builders trim them and keep them inside their string literals.

#include <QDate>
#include <QString>
#include <QStringList>

#include <variant>

namespace vintrel::browse {

using namespace Qt::StringLiterals;

enum class Kind { ANN = 0, REP = 1, DIS = 2, RPT = 3 }; // tab index order

inline constexpr int kPageSize = 50;

// range = false: the last seven days, today included.
struct DateFilter
{
    bool range = false;
    QDate from;
    QDate to;
};

struct AnnFilter
{
    QString stockCode, stockName, fileTitle;
    int categoryIndex = 1; // 0 is "所有": no category condition
    QString categoryText = u"公告及通告"_s; // the box's current text, sent as it stands
    DateFilter date;
};

struct RepFilter
{
    QString stockCode, stockName;
    DateFilter date;
};

enum class DisType { All, Directors, Substantial }; // 董事和大股東通知, 董事通知, 大股東通知

struct DisFilter
{
    QString stockCode, stockName, holderName, discloseReason;
    DateFilter date;
    DisType type = DisType::All;
};

enum class RptType { All, HongKong, Foreign }; // 港股和外文, 港股, 外文

struct RptFilter
{
    QString publishOrg, reportTitle, stockCode;
    DateFilter date;
    RptType type = RptType::All;
};

struct Statements
{
    QString count;
    QString pagePrefix; // ends with " limit "
    // True when the count counts exactly the records the page statement lists, so that a count of 0
    // means every page is empty. Not so for announcements of every category: their count leaves out
    // announcements without a category, which the pages list.
    bool countCoversPage = true;
};

// Literal: the texts as the service has always written them (date(col) compared with the bounds, and
// the ANN count joining every tag as a possible parent). Indexed: the same conditions in a form the
// indexes serve (col >= 'from' and col < 'the day after to'; no parent-tag join in the ANN count
// without a category). Both select the same rows; the client runs Indexed.
enum class Form { Indexed, Literal };

Statements buildAnn(const AnnFilter &f, const QDate &today, Form form = Form::Indexed);
Statements buildRep(const RepFilter &f, const QDate &today, Form form = Form::Indexed);
Statements buildDis(const DisFilter &f, const QDate &today, Form form = Form::Indexed);
Statements buildRpt(const RptFilter &f, const QDate &today, Form form = Form::Indexed);

// The statement of page `page` (counted from 1; lower values read as 1): prefix + offset + "," + 50.
QString pageStatement(const QString &pagePrefix, int page);

// The 14 items of the announcement category box, in order; item 0 is "所有".
QStringList annCategories();

// A filter of any kind, and the statements of its kind.
using AnyFilter = std::variant<AnnFilter, RepFilter, DisFilter, RptFilter>;
Statements build(const AnyFilter &filter, const QDate &today, Form form = Form::Indexed);

} // namespace vintrel::browse
