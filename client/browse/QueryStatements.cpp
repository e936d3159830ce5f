#include "client/browse/QueryStatements.h"

#include "platform/db/connection.h"
#include "platform/text/gbk.h"

namespace vintrel::browse {

namespace {

// A user's text as it goes between the quotes of a LIKE pattern: quote and backslash cannot end the
// literal, a typed backslash matches itself, and "%" and "_" stay wildcards.
QString pattern(const QString &raw)
{
    return db::escapeLikePattern(text::trimmed(raw));
}

QString dateText(const QDate &date)
{
    return date.toString(u"yyyy-MM-dd"_s);
}

QString dateCondition(const QString &column, const DateFilter &d, const QDate &today, Form form)
{
    const QDate from = d.range ? d.from : today.addDays(-6);
    const QDate to = d.range ? d.to : today;
    if (form == Form::Literal) {
        return u" and date("_s + column + u") >=  '"_s + dateText(from) + u"'"_s + u" and date("_s + column
            + u") <=  '"_s + dateText(to) + u"'"_s;
    }
    // The column stays bare so that its index can serve the range; the date part of a value is at most
    // `to` exactly when the value lies before the next midnight.
    QString upper;
    const QDate next = to.addDays(1);
    if (next.isValid() && next.year() <= 9999)
        upper = u" and "_s + column + u" < '"_s + dateText(next) + u"'"_s;
    else // no day after it that the server could read
        upper = u" and "_s + column + u" <= '"_s + dateText(to) + u" 23:59:59'"_s;
    return u" and "_s + column + u" >= '"_s + dateText(from) + u"'"_s + upper;
}

} // namespace

Statements buildAnn(const AnnFilter &f, const QDate &today, Form form)
{
    const QString code = u" and ann.stock_code like '%"_s + pattern(f.stockCode) + u"%'"_s;
    const QString name = u" and ann.stock_name like '%"_s + pattern(f.stockName) + u"%'"_s;
    const QString titleText = text::trimmed(f.fileTitle);
    const QString title = titleText.isEmpty()
        ? QString()
        : u" and ann.file_title like '%"_s + db::escapeLikePattern(titleText) + u"%'"_s;
    const QString dates = dateCondition(u"ann.release_date"_s, f.date, today, form);
    const bool category = f.categoryIndex != 0;
    // Compared with "=", where a backslash has no meaning of its own beyond the literal.
    const QString categoryName = db::escapeLiteral(f.categoryText);

    Statements s;
    s.countCoversPage = category;
    s.count = u"select count(distinct ann.ann_id) as mycount "_s;
    // Without a category nothing constrains the parent tag, so it only multiplies the rows.
    if (form == Form::Indexed && !category)
        s.count += u"from announcement ann, ann_title_tag att, title_tag tag "_s;
    else
        s.count += u"from announcement ann, ann_title_tag att, title_tag tag, title_tag tag_parent "_s;
    s.count += u"where (1 =1) "_s + code + name + u" and ann.ann_id = att.ann_id and att.tag_id = tag.tag_id "_s
        + title + dates;
    if (category) {
        s.count += u" and tag_parent.name = '"_s + categoryName + u"'"_s
            + u" and tag.lft BETWEEN tag_parent.lft AND tag_parent.rgt "_s;
    }

    s.pagePrefix = u"select *  from announcement ann where (1 = 1) "_s + code + name + title + dates;
    if (category) {
        s.pagePrefix += u" and ann.ann_id in (select att.ann_id from ann_title_tag att, "_s
            + u" title_tag tag, title_tag tag_parent where att.tag_id = tag.tag_id "_s
            + u" and tag_parent.name = '"_s + categoryName + u"'"_s
            + u" and tag.lft BETWEEN tag_parent.lft AND tag_parent.rgt ) "_s;
    }
    s.pagePrefix += u" order by ann.release_date desc limit "_s;
    return s;
}

Statements buildRep(const RepFilter &f, const QDate &today, Form form)
{
    const QString body = u"from share_repurchase sh, stock st where sh.stock_code = st.code "_s
        + u" and st.full_code like '%"_s + pattern(f.stockCode) + u"%'"_s
        + u" and st.name like '%"_s + pattern(f.stockName) + u"%'"_s
        + dateCondition(u"sh.report_date"_s, f.date, today, form) + u" order by sh.report_date desc"_s;
    return {u"select count(*) as mycount "_s + body, u"select sh.*,st.full_code,st.name "_s + body + u" limit "_s};
}

Statements buildDis(const DisFilter &f, const QDate &today, Form form)
{
    QString body = u"from disclose_interest di, stock st where di.stock_code = st.code "_s
        + u" and st.full_code like '%"_s + pattern(f.stockCode) + u"%'"_s
        + u" and st.name like '%"_s + pattern(f.stockName) + u"%'"_s
        + u" and di.holder_name like '%"_s + pattern(f.holderName) + u"%'"_s
        + u" and di.disclose_reason like '%"_s + pattern(f.discloseReason) + u"%'"_s
        + dateCondition(u"di.update_date"_s, f.date, today, form);
    switch (f.type) {
    case DisType::All:
        break;
    case DisType::Directors:
        body += u" and di.form_type like '3%'"_s;
        break;
    case DisType::Substantial:
        body += u" and ((di.form_type = '1') or (di.form_type = '2'))"_s;
        break;
    }
    body += u" order by di.update_date desc"_s;
    return {u"select count(*) as mycount "_s + body, u"select di.*,st.full_code,st.name "_s + body + u" limit "_s};
}

Statements buildRpt(const RptFilter &f, const QDate &today, Form form)
{
    QString body = u"from research_report where "_s
        + u" report_title like '%"_s + pattern(f.reportTitle) + u"%'"_s
        + u" and publish_org like '%"_s + pattern(f.publishOrg) + u"%'"_s
        + u" and stock_code like '%"_s + pattern(f.stockCode) + u"%'"_s
        + dateCondition(u"upload_time"_s, f.date, today, form);
    switch (f.type) {
    case RptType::All:
        break;
    case RptType::HongKong:
        body += u" and report_type = '港股'"_s;
        break;
    case RptType::Foreign:
        body += u" and report_type = '外文'"_s;
        break;
    }
    body += u" order by upload_time desc"_s;
    return {u"select count(*) as mycount "_s + body, u"select * "_s + body + u" limit "_s};
}

Statements build(const AnyFilter &filter, const QDate &today, Form form)
{
    struct Visitor
    {
        const QDate &today;
        Form form;
        Statements operator()(const AnnFilter &f) const { return buildAnn(f, today, form); }
        Statements operator()(const RepFilter &f) const { return buildRep(f, today, form); }
        Statements operator()(const DisFilter &f) const { return buildDis(f, today, form); }
        Statements operator()(const RptFilter &f) const { return buildRpt(f, today, form); }
    };
    return std::visit(Visitor{today, form}, filter);
}

QString pageStatement(const QString &pagePrefix, int page)
{
    const qint64 offset = qint64(qMax(page, 1) - 1) * kPageSize;
    return pagePrefix + QString::number(offset) + u","_s + QString::number(kPageSize);
}

QStringList annCategories()
{
    return {
        u"所有"_s,
        u"公告及通告"_s,
        u"通函"_s,
        u"上市文件"_s,
        u"财务报表"_s,
        u"翌日披露报表"_s,
        u"月报表"_s,
        u"委任代表资格"_s,
        u"公司資料報表（「創業板」）"_s,
        u"憲章文件"_s,
        u"債券及結構性產品"_s,
        u"交易所買賣基金的交易資料"_s,
        u"監管者發出的公告及消息"_s,
        u"股份購回報告"_s,
    };
}

} // namespace vintrel::browse
