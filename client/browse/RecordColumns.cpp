#include "client/browse/RecordColumns.h"

namespace vintrel::browse {
using namespace Qt::StringLiterals;

namespace {
const QString kDateTime = u"yyyy-mm-dd hh:mm:ss"_s;
const QString kDate = u"yyyy-mm-dd"_s;
} // namespace

QList<grid::Column> annColumns()
{
    return {{u"RELEASE_DATE"_s, u"發佈時間"_s, 80, kDateTime, true},
            {u"STOCK_CODE"_s, u"股份代號"_s, 72, {}, true, true},
            {u"STOCK_NAME"_s, u"股份名稱"_s, 96, {}, true, true},
            {u"TITLE_TAG"_s, u"文件類別"_s, 256, {}, true, true},
            {u"FILE_TITLE"_s, u"文件名稱"_s, 320, {}, true, true}};
}

QList<grid::Column> repColumns()
{
    return {{u"report_date"_s, u"公佈日期"_s, 80, kDate},
            {u"trade_date"_s, u"交易日期"_s, 80, kDate},
            {u"full_code"_s, u"股份代號"_s, 60},
            {u"name"_s, u"股份名稱"_s, 128},
            {u"share_amount"_s, u"購買股份"_s},
            {u"unit_high"_s, u"最高單價"_s, 80},
            {u"unit_low"_s, u"最低單價"_s, 80},
            {u"total_paid"_s, u"共支付"_s, 128},
            {u"method"_s, u"購買方式"_s, 96},
            {u"share_total_ytd"_s, u"年度累計購買股份"_s, 112}};
}

QList<grid::Column> disColumns()
{
    return {{u"update_date"_s, u"公佈日期"_s, 80, kDate},
            {u"event_date"_s, u"有關日期"_s, 80, kDate, true, true},
            {u"full_code"_s, u"股份代號"_s, 60, {}, true, true},
            {u"name"_s, u"股份名稱"_s, 112, {}, true, true},
            {u"holder_name"_s, u"高管及大股東"_s, 128, {}, true, true},
            {u"disclose_reason"_s, u"披露原因"_s, 72, {}, true, true},
            {u"share_involved"_s, u"涉及股份數"_s, 104, {}, true, true},
            {u"unit_avg"_s, u"每股平均價"_s, 80, {}, true, true},
            {u"share_interested"_s, u"持有權益股份數"_s, 128, {}, true, true},
            {u"percent_interested"_s, u"占已發行股本百分比"_s, 120, {}, true, true}};
}

QList<grid::Column> rptColumns()
{
    return {{u"upload_time"_s, u"上傳日期"_s, 80, kDateTime, true},
            {u"publish_time"_s, u"發佈日期"_s, 80, kDate, true},
            {u"publish_org"_s, u"發佈機構"_s, 128},
            {u"report_title"_s, u"報告標題"_s, 466, {}, true, true},
            {u"report_type"_s, u"報告類別"_s, 60},
            {u"report_level"_s, u"報告評級"_s, 60},
            {u"stock_code"_s, u"相關股份代號"_s, 96}};
}

} // namespace vintrel::browse
