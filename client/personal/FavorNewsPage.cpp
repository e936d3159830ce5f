#include "client/personal/FavorNewsPage.h"

#include "client/browse/RecordColumns.h"
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
    DBGridEh1 = makeGrid(this, u"DBGridEh1"_qs, browse::annColumns(), 28);
    DBGridEh7 = makeGrid(this, u"DBGridEh7"_qs, browse::repColumns(), 28);
    DBGridEh8 = makeGrid(this, u"DBGridEh8"_qs, browse::disColumns(), 28);
    // The watchlist's reports all belong to the one stock, so its code is not repeated.
    QList<grid::Column> reportColumns = browse::rptColumns();
    reportColumns.removeLast();
    DBGridEh4 = makeGrid(this, u"DBGridEh4"_qs, reportColumns, 28);
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
    DBGridEh1->addMenuItem(u"N3"_qs, u"下載并打開文件"_qs);
    DBGridEh8->addMenuItem(u"N8"_qs, u"查看源文件"_qs);
    DBGridEh8->addMenuItem(u"N9"_qs, u"查看披露原因"_qs);
    DBGridEh4->addMenuItem(u"N12"_qs, u"下載并查看報告"_qs);
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
