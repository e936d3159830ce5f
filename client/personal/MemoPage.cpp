#include "client/personal/MemoPage.h"

#include "platform/grid/datagrid.h"
#include "platform/ui/statusbar.h"

#include <QButtonGroup>
#include <QDateTimeEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace vintrel {
using namespace Qt::StringLiterals;

MemoPage::MemoPage(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    auto *panel = new QWidget(this);
    panel->setObjectName(u"Panel16"_qs);
    auto *bar = new QHBoxLayout(panel);
    auto named = [](QWidget *w, const QString &name) {
        w->setObjectName(name);
        return w;
    };
    bar->addWidget(new QLabel(u"日誌標題"_qs, panel));
    suiEdit8 = new QLineEdit(panel);
    bar->addWidget(named(suiEdit8, u"suiEdit8"_qs));
    bar->addWidget(new QLabel(u"關鍵字"_qs, panel));
    suiEdit9 = new QLineEdit(panel);
    bar->addWidget(named(suiEdit9, u"suiEdit9"_qs));
    bar->addWidget(new QLabel(u"發佈日期"_qs, panel));
    suiRadioButton7 = new QRadioButton(panel);
    bar->addWidget(named(suiRadioButton7, u"suiRadioButton7"_qs));
    DateTimePicker7 = new QDateTimeEdit(panel);
    DateTimePicker7->setDisplayFormat(u"yyyy-MM-dd"_qs);
    DateTimePicker7->setCalendarPopup(true);
    bar->addWidget(named(DateTimePicker7, u"DateTimePicker7"_qs));
    bar->addWidget(new QLabel(u"至"_qs, panel));
    DateTimePicker8 = new QDateTimeEdit(panel);
    DateTimePicker8->setDisplayFormat(u"yyyy-MM-dd"_qs);
    DateTimePicker8->setCalendarPopup(true);
    bar->addWidget(named(DateTimePicker8, u"DateTimePicker8"_qs));
    suiRadioButton8 = new QRadioButton(u"過去七天"_qs, panel);
    bar->addWidget(named(suiRadioButton8, u"suiRadioButton8"_qs));
    auto *group = new QButtonGroup(panel);
    group->addButton(suiRadioButton7);
    group->addButton(suiRadioButton8);
    suiRadioButton8->setChecked(true);
    suiButton11 = new QPushButton(u"查詢"_qs, panel);
    bar->addWidget(named(suiButton11, u"suiButton11"_qs));
    suiButton12 = new QPushButton(u"發佈日誌"_qs, panel);
    bar->addWidget(named(suiButton12, u"suiButton12"_qs));
    bar->addStretch(1);
    layout->addWidget(panel);

    auto *note = new QLabel(u"（備忘錄以加密形式保存在服務器端，用戶只能訪問自己的記錄）"_qs, this);
    layout->addWidget(named(note, u"Label42"_qs));

    DBGridEh5 = new grid::DataGrid(this);
    DBGridEh5->setObjectName(u"DBGridEh5"_qs);
    DBGridEh5->setColumns({{u"release_date"_qs, u"發佈日期"_qs, -1, u"yyyy-mm-dd hh:mm:ss"_qs},
                           {u"blog_title"_qs, u"日誌標題"_qs},
                           {u"key_word"_qs, u"關鍵字"_qs}});
    DBGridEh5->setRowHeight(28);
    DBGridEh5->addMenuItem(u"N4"_qs, u"查看日誌"_qs);
    DBGridEh5->addMenuItem(u"N5"_qs, u"刪除日誌"_qs);
    layout->addWidget(DBGridEh5, 1);

    suiStatusBar3 = new ui::StatusBar({400, 400, 200}, this);
    suiStatusBar3->setObjectName(u"suiStatusBar3"_qs);
    layout->addWidget(suiStatusBar3);
}

} // namespace vintrel
