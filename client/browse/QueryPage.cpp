#include "client/browse/QueryPage.h"

#include "platform/ui/statusbar.h"

#include <QTabWidget>
#include <QVBoxLayout>

namespace vintrel {
using namespace Qt::StringLiterals;

QueryPage::QueryPage(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    suiPageControl3 = new QTabWidget(this);
    suiPageControl3->setObjectName(u"suiPageControl3"_qs);
    for (const QString &caption : {u"上市公司公告"_qs, u"股份購回報告"_qs, u"披露權益"_qs, u"研究報告"_qs})
        suiPageControl3->addTab(new QWidget(suiPageControl3), caption);
    layout->addWidget(suiPageControl3, 1);
    suiStatusBar2 = new ui::StatusBar({400, 400, 200}, this);
    suiStatusBar2->setObjectName(u"suiStatusBar2"_qs);
    layout->addWidget(suiStatusBar2);
}

} // namespace vintrel
