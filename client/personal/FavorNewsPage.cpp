#include "client/personal/FavorNewsPage.h"

#include "client/core/uPublic.h"
#include "platform/grid/datagrid.h"
#include "platform/ui/statusbar.h"

#include <QAction>
#include <QLabel>
#include <QTabWidget>
#include <QVBoxLayout>

namespace vintrel {
using namespace Qt::StringLiterals;

namespace {
grid::DataGrid *makeGrid(QWidget *parent, const QString &name, const QList<grid::Column> &columns, int rowHeight)
{
    auto *g = new grid::DataGrid(parent);
    g->setObjectName(name);
    g->setColumns(columns);
    g->setRowHeight(rowHeight);
    return g;
}

QAction *addMenuItem(QWidget *grid, const QString &name, const QString &caption)
{
    auto *action = new QAction(caption, grid);
    action->setObjectName(name);
    grid->addAction(action);
    grid->setContextMenuPolicy(Qt::ActionsContextMenu);
    return action;
}
} // namespace

FavorNewsPage::FavorNewsPage(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    auto *label15 = new QLabel(u"自選股列表（僅列出有新增消息的自選股）"_qs, this);
    label15->setObjectName(u"Label15"_qs);
    auto *label2 = new QLabel(u"近2日來，新公佈的記錄數，双击行記錄以獲取詳細信息"_qs, this);
    label2->setObjectName(u"Label2"_qs);
    layout->addWidget(label15);
    layout->addWidget(label2);

    DBGridEh10 = makeGrid(this, u"DBGridEh10"_qs,
                          {{u"full_code"_qs, u"股份代號"_qs},
                           {u"name"_qs, u"股份名稱"_qs},
                           {u"ann"_qs, u"新增上市公司公告"_qs},
                           {u"srr"_qs, u"新增股份購回報告"_qs},
                           {u"din"_qs, u"新增披露權益"_qs},
                           {u"rrp"_qs, u"新增研究報告"_qs}},
                          22);
    layout->addWidget(DBGridEh10, 1);

    Label14 = new QLabel(u"詳細信息 "_qs, this);
    Label14->setObjectName(u"Label14"_qs);
    layout->addWidget(Label14);

    suiPageControl2 = new QTabWidget(this);
    suiPageControl2->setObjectName(u"suiPageControl2"_qs);
    const QString dateTime = u"yyyy-mm-dd hh:mm:ss"_qs;
    const QString date = u"yyyy-mm-dd"_qs;
    DBGridEh1 = makeGrid(this, u"DBGridEh1"_qs,
                         {{u"RELEASE_DATE"_qs, u"發佈時間"_qs, -1, dateTime},
                          {u"STOCK_CODE"_qs, u"股份代號"_qs},
                          {u"STOCK_NAME"_qs, u"股份名稱"_qs},
                          {u"TITLE_TAG"_qs, u"文件類別"_qs},
                          {u"FILE_TITLE"_qs, u"文件名稱"_qs}},
                         28);
    DBGridEh7 = makeGrid(this, u"DBGridEh7"_qs,
                         {{u"report_date"_qs, u"公佈日期"_qs, -1, date},
                          {u"trade_date"_qs, u"交易日期"_qs, -1, date},
                          {u"full_code"_qs, u"股份代號"_qs},
                          {u"name"_qs, u"股份名稱"_qs},
                          {u"share_amount"_qs, u"購買股份"_qs},
                          {u"unit_high"_qs, u"最高單價"_qs},
                          {u"unit_low"_qs, u"最低單價"_qs},
                          {u"total_paid"_qs, u"共支付"_qs},
                          {u"method"_qs, u"購買方式"_qs},
                          {u"share_total_ytd"_qs, u"年度累計購買股份"_qs}},
                         28);
    DBGridEh8 = makeGrid(this, u"DBGridEh8"_qs,
                         {{u"update_date"_qs, u"公佈日期"_qs, -1, date},
                          {u"event_date"_qs, u"有關日期"_qs, -1, date},
                          {u"full_code"_qs, u"股份代號"_qs},
                          {u"name"_qs, u"股份名稱"_qs},
                          {u"holder_name"_qs, u"高管及大股東"_qs},
                          {u"disclose_reason"_qs, u"披露原因"_qs},
                          {u"share_involved"_qs, u"涉及股份數"_qs},
                          {u"unit_avg"_qs, u"每股平均價"_qs},
                          {u"share_interested"_qs, u"持有權益股份數"_qs},
                          {u"percent_interested"_qs, u"占已發行股本百分比"_qs}},
                         28);
    DBGridEh4 = makeGrid(this, u"DBGridEh4"_qs,
                         {{u"upload_time"_qs, u"上傳日期"_qs, -1, dateTime},
                          {u"publish_time"_qs, u"發佈日期"_qs, -1, date},
                          {u"publish_org"_qs, u"發佈機構"_qs},
                          {u"report_title"_qs, u"報告標題"_qs},
                          {u"report_type"_qs, u"報告類別"_qs},
                          {u"report_level"_qs, u"報告評級"_qs}},
                         28);
    const struct
    {
        const char16_t *sheet;
        const char16_t *caption;
        grid::DataGrid *grid;
    } pages[] = {{u"suiTabSheet7", u"上市公司公告", DBGridEh1},
                 {u"suiTabSheet8", u"股份購回報告", DBGridEh7},
                 {u"suiTabSheet9", u"披露權益", DBGridEh8},
                 {u"suiTabSheet2", u"研究報告", DBGridEh4}};
    for (const auto &page : pages) {
        auto *sheet = new QWidget(suiPageControl2);
        sheet->setObjectName(QString::fromUtf16(page.sheet));
        auto *sheetLayout = new QVBoxLayout(sheet);
        sheetLayout->setContentsMargins(0, 0, 0, 0);
        sheetLayout->addWidget(page.grid);
        suiPageControl2->addTab(sheet, QString::fromUtf16(page.caption));
    }
    addMenuItem(DBGridEh1, u"N3"_qs, u"下載并打開文件"_qs);
    addMenuItem(DBGridEh8, u"N8"_qs, u"查看源文件"_qs);
    addMenuItem(DBGridEh8, u"N9"_qs, u"查看披露原因"_qs);
    addMenuItem(DBGridEh4, u"N12"_qs, u"下載并查看報告"_qs);
    layout->addWidget(suiPageControl2, 2);

    suiStatusBar1 = new ui::StatusBar({400, 400, 200}, this);
    suiStatusBar1->setObjectName(u"suiStatusBar1"_qs);
    layout->addWidget(suiStatusBar1);
}

void FavorNewsPage::loadSummary()
{
    db::Statement summary(u"select a.*,c.full_code,c.name from recent_update a, favor_stock b, stock c "
                          u"where b.username = :id1 and a.stock_code = c.code and c.full_code = b.stock_code "
                          u"and ((a.ann<>0) or (a.srr<>0) or (a.din<>0) or (a.rrp<>0))"_qs);
    summary.bind(u"id1"_qs, LoginState().UserName);
    DBGridEh10->detach();
    AQRecUp.open(summary);
    DBGridEh10->attach(AQRecUp.records());
    suiStatusBar1->setPanelText(0, statusText());
}

QString FavorNewsPage::statusText() const
{
    return u"當前有新增消息的自選股有" + QString::number(AQRecUp.rowCount()) + u"只";
}

} // namespace vintrel
