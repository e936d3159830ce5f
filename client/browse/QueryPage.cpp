#include "client/browse/QueryPage.h"

#include "client/browse/RecordColumns.h"

#include "client/browse/PagingThreads.h"
#include "client/browse/uSearchPrompt.h"
#include "client/core/database.h"
#include "platform/grid/datagrid.h"
#include "platform/ui/clock.h"
#include "platform/ui/statusbar.h"

#include <QAction>
#include <QComboBox>
#include <QDateEdit>
#include <QEventLoop>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace vintrel {
using namespace Qt::StringLiterals;
using browse::Kind;

namespace {

template <typename W> W *named(W *widget, const QString &name)
{
    widget->setObjectName(name);
    return widget;
}

QLabel *caption(QWidget *parent, QHBoxLayout *row, const QString &text)
{
    auto *label = new QLabel(text, parent);
    row->addWidget(label);
    return label;
}

QLineEdit *edit(QWidget *parent, QHBoxLayout *row, const QString &name, int width = 100)
{
    auto *e = named(new QLineEdit(parent), name);
    e->setFixedWidth(width);
    row->addWidget(e);
    return e;
}

QDateEdit *picker(QWidget *parent, const QString &name, const QDate &date)
{
    auto *p = named(new QDateEdit(date, parent), name);
    p->setDisplayFormat(u"yyyy-MM-dd"_s);
    p->setCalendarPopup(true);
    return p;
}

// The small panel of a date filter: the range button (no caption) with its two pickers, and "過去七天",
// which is selected.
struct DatePanel
{
    QRadioButton *range;
    QDateEdit *from;
    QDateEdit *to;
    QRadioButton *lastWeek;
};

DatePanel datePanel(QWidget *parent, QHBoxLayout *row, const QString &rangeName, const QString &fromName,
                    const QString &toName, const QString &lastWeekName)
{
    auto *panel = new QFrame(parent);
    panel->setFrameShape(QFrame::StyledPanel);
    auto *layout = new QHBoxLayout(panel);
    layout->setContentsMargins(4, 2, 4, 2);
    const QDate today = ui::today();
    DatePanel d{named(new QRadioButton(panel), rangeName), picker(panel, fromName, today.addDays(-30)),
                picker(panel, toName, today), named(new QRadioButton(u"過去七天"_s, panel), lastWeekName)};
    layout->addWidget(d.range);
    layout->addWidget(d.from);
    layout->addWidget(new QLabel(u"至"_s, panel));
    layout->addWidget(d.to);
    layout->addWidget(d.lastWeek);
    d.lastWeek->setChecked(true);
    row->addWidget(panel);
    return d;
}

QRadioButton *radio(QWidget *panel, QHBoxLayout *layout, const QString &name, const QString &text)
{
    auto *r = named(new QRadioButton(text, panel), name);
    layout->addWidget(r);
    return r;
}

QPushButton *button(QWidget *parent, QHBoxLayout *row, const QString &name, const QString &text)
{
    auto *b = named(new QPushButton(text, parent), name);
    row->addWidget(b);
    return b;
}

grid::DataGrid *dataGrid(QWidget *parent, const QString &name, const QList<grid::Column> &columns)
{
    auto *g = named(new grid::DataGrid(parent), name);
    g->setColumns(columns);
    g->setRowHeight(28);
    return g;
}

// A filter panel above its grid, on one tab.
struct TabFrame
{
    QFrame *panel;
    QVBoxLayout *rows;
    QVBoxLayout *tabLayout;
};

TabFrame tabFrame(QWidget *tab)
{
    auto *tabLayout = new QVBoxLayout(tab);
    tabLayout->setContentsMargins(2, 2, 2, 2);
    auto *panel = new QFrame(tab);
    panel->setFrameShape(QFrame::StyledPanel);
    auto *rows = new QVBoxLayout(panel);
    rows->setContentsMargins(6, 4, 6, 4);
    tabLayout->addWidget(panel);
    return {panel, rows, tabLayout};
}

QHBoxLayout *addRow(QVBoxLayout *rows)
{
    auto *row = new QHBoxLayout;
    rows->addLayout(row);
    return row;
}

template <class Worker>
TPagingThread *makeWorker(QueryPage *page, quint64 token, const browse::Statements &statements, int pageNo)
{
    return new Worker(page, token, statements, pageNo);
}


} // namespace

QueryPage::QueryPage(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    suiPageControl3 = named(new QTabWidget(this), u"suiPageControl3"_s);
    const struct
    {
        const char16_t *caption;
        void (QueryPage::*build)(QWidget *);
    } tabs[] = {{u"上市公司公告", &QueryPage::buildAnnTab},
                {u"股份購回報告", &QueryPage::buildRepTab},
                {u"披露權益", &QueryPage::buildDisTab},
                {u"研究報告", &QueryPage::buildRptTab}};
    for (const auto &t : tabs) {
        auto *tab = new QWidget(suiPageControl3);
        (this->*t.build)(tab);
        suiPageControl3->addTab(tab, QString::fromUtf16(t.caption));
    }
    layout->addWidget(suiPageControl3, 1);
    suiStatusBar2 = named(new ui::StatusBar({400, 400, 200}, this), u"suiStatusBar2"_s);
    layout->addWidget(suiStatusBar2);

    FrmSearchPrompt = new TFrmSearchPrompt(this);
    connect(FrmSearchPrompt, &TFrmSearchPrompt::closed, this, &QueryPage::promptClosed);

    wireKind(Kind::ANN, {suiButton7,
                         suiButton15,
                         suiButton10,
                         Label36,
                         DBGridEh2,
                         &AQAnn,
                         {N1, N2},
                         u"共查詢到上市公司公告記錄數 "_s,
                         u"共查詢到上市公司公告記錄數 0 條"_s});
    wireKind(Kind::REP, {suiButton8,
                         suiButton16,
                         suiButton17,
                         Label37,
                         DBGridEh3,
                         &AQRePur,
                         {},
                         u"共查詢到股份購回報告記錄數 "_s,
                         u"共查詢到股份購回報告記錄數 0 條"_s});
    wireKind(Kind::DIS, {suiButton13,
                         suiButton18,
                         suiButton19,
                         Label38,
                         DBGridEh6,
                         &AQDis,
                         {N6, N7},
                         u"共查詢到披露權益記錄數 "_s,
                         u"共查詢到披露權益記錄數 0 條"_s});
    wireKind(Kind::RPT, {suiButton14,
                         suiButton20,
                         suiButton21,
                         Label39,
                         DBGridEh9,
                         &AQRP,
                         {N10},
                         u"共查詢研究報告記錄數 "_s,
                         u"共查詢到研究報告記錄數 0 條"_s});

    connect(suiButton7, &QPushButton::clicked, this, &QueryPage::suiButton7Click);
    connect(suiButton10, &QPushButton::clicked, this, &QueryPage::suiButton10Click);
    connect(suiButton15, &QPushButton::clicked, this, &QueryPage::suiButton15Click);
    connect(suiButton8, &QPushButton::clicked, this, &QueryPage::suiButton8Click);
    connect(suiButton17, &QPushButton::clicked, this, &QueryPage::suiButton17Click);
    connect(suiButton16, &QPushButton::clicked, this, &QueryPage::suiButton16Click);
    connect(suiButton13, &QPushButton::clicked, this, &QueryPage::suiButton13Click);
    connect(suiButton19, &QPushButton::clicked, this, &QueryPage::suiButton19Click);
    connect(suiButton18, &QPushButton::clicked, this, &QueryPage::suiButton18Click);
    connect(suiButton14, &QPushButton::clicked, this, &QueryPage::suiButton14Click);
    connect(suiButton21, &QPushButton::clicked, this, &QueryPage::suiButton21Click);
    connect(suiButton20, &QPushButton::clicked, this, &QueryPage::suiButton20Click);
    connect(suiPageControl3, &QTabWidget::currentChanged, this, &QueryPage::suiPageControl3Change);
}

QueryPage::~QueryPage()
{
    // A worker reads AQTemp and posts to the page until it ends.
    for (TPagingThread *worker : findChildren<TPagingThread *>())
        worker->wait();
}

void QueryPage::buildAnnTab(QWidget *tab)
{
    const TabFrame f = tabFrame(tab);
    QHBoxLayout *row1 = addRow(f.rows);
    caption(f.panel, row1, u"股份代號"_s);
    suiEdit1 = edit(f.panel, row1, u"suiEdit1"_s, 80);
    caption(f.panel, row1, u"股份名稱"_s);
    suiEdit2 = edit(f.panel, row1, u"suiEdit2"_s, 120);
    caption(f.panel, row1, u"文件標題"_s);
    suiEdit3 = edit(f.panel, row1, u"suiEdit3"_s, 240);
    caption(f.panel, row1, u"（關鍵字模糊查詢）"_s);
    row1->addStretch(1);

    QHBoxLayout *row2 = addRow(f.rows);
    caption(f.panel, row2, u"標題類別"_s);
    suiComboBox3 = named(new QComboBox(f.panel), u"suiComboBox3"_s);
    suiComboBox3->setEditable(true);
    suiComboBox3->setInsertPolicy(QComboBox::NoInsert);
    suiComboBox3->addItems(browse::annCategories());
    suiComboBox3->setCurrentIndex(1);
    suiComboBox3->setMinimumWidth(200);
    row2->addWidget(suiComboBox3);
    caption(f.panel, row2, u"發佈日期"_s);
    const DatePanel d = datePanel(f.panel, row2, u"suiRadioButton1"_s, u"DateTimePicker1"_s,
                                  u"DateTimePicker2"_s, u"suiRadioButton2"_s);
    suiRadioButton1 = d.range;
    DateTimePicker1 = d.from;
    DateTimePicker2 = d.to;
    suiRadioButton2 = d.lastWeek;
    suiButton7 = button(f.panel, row2, u"suiButton7"_s, u"查詢"_s);
    suiButton15 = button(f.panel, row2, u"suiButton15"_s, u"上一页"_s);
    Label36 = named(new QLabel(f.panel), u"Label36"_s);
    row2->addWidget(Label36);
    suiButton10 = button(f.panel, row2, u"suiButton10"_s, u"下一页"_s);
    row2->addStretch(1);

    DBGridEh2 = dataGrid(tab, u"DBGridEh2"_s, browse::annColumns());
    // Two lines of text, so that long titles wrap onto a second line. Measured on Chinese text, whose
    // fallback font can stand taller than the grid font's own line spacing.
    const int twoLines = DBGridEh2->fontMetrics()
                             .boundingRect(QRect(0, 0, 1000, 1000), Qt::TextWordWrap, u"文件名稱\n文件名稱"_s)
                             .height();
    DBGridEh2->setRowHeight(qMax(twoLines, DBGridEh2->fontMetrics().lineSpacing() * 2) + 4);
    N1 = DBGridEh2->addMenuItem(u"N1"_s, u"下載并打開文件"_s);
    N2 = DBGridEh2->addMenuItem(u"N2"_s, u"添加為自選股"_s);
    f.tabLayout->addWidget(DBGridEh2, 1);
}

void QueryPage::buildRepTab(QWidget *tab)
{
    const TabFrame f = tabFrame(tab);
    QHBoxLayout *row = addRow(f.rows);
    caption(f.panel, row, u"股份代號"_s);
    suiEdit4 = edit(f.panel, row, u"suiEdit4"_s, 80);
    caption(f.panel, row, u"股份名稱"_s);
    suiEdit5 = edit(f.panel, row, u"suiEdit5"_s, 120);
    caption(f.panel, row, u"公佈日期"_s);
    const DatePanel d = datePanel(f.panel, row, u"suiRadioButton3"_s, u"DateTimePicker3"_s,
                                  u"DateTimePicker4"_s, u"suiRadioButton4"_s);
    suiRadioButton3 = d.range;
    DateTimePicker3 = d.from;
    DateTimePicker4 = d.to;
    suiRadioButton4 = d.lastWeek;
    suiButton8 = button(f.panel, row, u"suiButton8"_s, u"查詢"_s);
    suiButton16 = button(f.panel, row, u"suiButton16"_s, u"上一页"_s);
    Label37 = named(new QLabel(f.panel), u"Label37"_s);
    row->addWidget(Label37);
    suiButton17 = button(f.panel, row, u"suiButton17"_s, u"下一页"_s);
    row->addStretch(1);

    DBGridEh3 = dataGrid(tab, u"DBGridEh3"_s, browse::repColumns());
    f.tabLayout->addWidget(DBGridEh3, 1);
}

void QueryPage::buildDisTab(QWidget *tab)
{
    const TabFrame f = tabFrame(tab);
    QHBoxLayout *row1 = addRow(f.rows);
    caption(f.panel, row1, u"股份代號"_s);
    suiEdit10 = edit(f.panel, row1, u"suiEdit10"_s, 80);
    caption(f.panel, row1, u"股份名稱"_s);
    suiEdit11 = edit(f.panel, row1, u"suiEdit11"_s, 120);
    caption(f.panel, row1, u"高管及大股東"_s);
    suiEdit7 = edit(f.panel, row1, u"suiEdit7"_s, 120);
    caption(f.panel, row1, u"披露原因"_s);
    suiEdit14 = edit(f.panel, row1, u"suiEdit14"_s, 120);
    row1->addStretch(1);

    QHBoxLayout *row2 = addRow(f.rows);
    caption(f.panel, row2, u"公佈日期"_s);
    const DatePanel d = datePanel(f.panel, row2, u"suiRadioButton11"_s, u"DateTimePicker9"_s,
                                  u"DateTimePicker10"_s, u"suiRadioButton12"_s);
    suiRadioButton11 = d.range;
    DateTimePicker9 = d.from;
    DateTimePicker10 = d.to;
    suiRadioButton12 = d.lastWeek;
    caption(f.panel, row2, u"披露類型"_s);
    auto *types = new QFrame(f.panel);
    auto *typesLayout = new QHBoxLayout(types);
    typesLayout->setContentsMargins(0, 0, 0, 0);
    suiRadioButton5 = radio(types, typesLayout, u"suiRadioButton5"_s, u"董事和大股東通知"_s);
    suiRadioButton6 = radio(types, typesLayout, u"suiRadioButton6"_s, u"董事通知"_s);
    suiRadioButton9 = radio(types, typesLayout, u"suiRadioButton9"_s, u"大股東通知"_s);
    suiRadioButton5->setChecked(true);
    row2->addWidget(types);
    suiButton13 = button(f.panel, row2, u"suiButton13"_s, u"查詢"_s);
    suiButton18 = button(f.panel, row2, u"suiButton18"_s, u"上一页"_s);
    Label38 = named(new QLabel(f.panel), u"Label38"_s);
    row2->addWidget(Label38);
    suiButton19 = button(f.panel, row2, u"suiButton19"_s, u"下一页"_s);
    row2->addStretch(1);

    DBGridEh6 = dataGrid(tab, u"DBGridEh6"_s, browse::disColumns());
    N6 = DBGridEh6->addMenuItem(u"N6"_s, u"查看源文件"_s);
    N7 = DBGridEh6->addMenuItem(u"N7"_s, u"查看披露原因"_s);
    f.tabLayout->addWidget(DBGridEh6, 1);
}

void QueryPage::buildRptTab(QWidget *tab)
{
    const TabFrame f = tabFrame(tab);
    QHBoxLayout *row1 = addRow(f.rows);
    caption(f.panel, row1, u"發佈機構"_s);
    suiEdit12 = edit(f.panel, row1, u"suiEdit12"_s, 120);
    caption(f.panel, row1, u"報告標題"_s);
    suiEdit13 = edit(f.panel, row1, u"suiEdit13"_s, 200);
    caption(f.panel, row1, u"股份代號"_s);
    suiEdit6 = edit(f.panel, row1, u"suiEdit6"_s, 80);
    row1->addStretch(1);

    QHBoxLayout *row2 = addRow(f.rows);
    caption(f.panel, row2, u"上傳日期"_s);
    const DatePanel d = datePanel(f.panel, row2, u"suiRadioButton13"_s, u"DateTimePicker11"_s,
                                  u"DateTimePicker12"_s, u"suiRadioButton14"_s);
    suiRadioButton13 = d.range;
    DateTimePicker11 = d.from;
    DateTimePicker12 = d.to;
    suiRadioButton14 = d.lastWeek;
    caption(f.panel, row2, u"報告類型"_s);
    auto *types = new QFrame(f.panel);
    auto *typesLayout = new QHBoxLayout(types);
    typesLayout->setContentsMargins(0, 0, 0, 0);
    suiRadioButton10 = radio(types, typesLayout, u"suiRadioButton10"_s, u"港股和外文"_s);
    suiRadioButton15 = radio(types, typesLayout, u"suiRadioButton15"_s, u"港股"_s);
    suiRadioButton16 = radio(types, typesLayout, u"suiRadioButton16"_s, u"外文"_s);
    suiRadioButton10->setChecked(true);
    row2->addWidget(types);
    suiButton14 = button(f.panel, row2, u"suiButton14"_s, u"查詢"_s);
    suiButton20 = button(f.panel, row2, u"suiButton20"_s, u"上一页"_s);
    Label39 = named(new QLabel(f.panel), u"Label39"_s);
    row2->addWidget(Label39);
    suiButton21 = button(f.panel, row2, u"suiButton21"_s, u"下一页"_s);
    row2->addStretch(1);

    DBGridEh9 = dataGrid(tab, u"DBGridEh9"_s, browse::rptColumns());
    N10 = DBGridEh9->addMenuItem(u"N10"_s, u"下載并查看報告"_s);
    f.tabLayout->addWidget(DBGridEh9, 1);
}

void QueryPage::wireKind(Kind kind, KindControls controls)
{
    controls.previous->setEnabled(false);
    controls.next->setEnabled(false);
    m_controls[index(kind)] = std::move(controls);
}

browse::Statements QueryPage::BuildStatements(Kind kind) const
{
    const QDate today = ui::today();
    switch (kind) {
    case Kind::ANN: {
        browse::AnnFilter f;
        f.stockCode = suiEdit1->text();
        f.stockName = suiEdit2->text();
        f.fileTitle = suiEdit3->text();
        // A typed text that is no item counts as a category of its own, as the box shows it.
        f.categoryText = suiComboBox3->currentText();
        f.categoryIndex = suiComboBox3->findText(f.categoryText, Qt::MatchExactly | Qt::MatchCaseSensitive);
        f.date = {suiRadioButton1->isChecked(), DateTimePicker1->date(), DateTimePicker2->date()};
        return browse::buildAnn(f, today);
    }
    case Kind::REP: {
        browse::RepFilter f;
        f.stockCode = suiEdit4->text();
        f.stockName = suiEdit5->text();
        f.date = {suiRadioButton3->isChecked(), DateTimePicker3->date(), DateTimePicker4->date()};
        return browse::buildRep(f, today);
    }
    case Kind::DIS: {
        browse::DisFilter f;
        f.stockCode = suiEdit10->text();
        f.stockName = suiEdit11->text();
        f.holderName = suiEdit7->text();
        f.discloseReason = suiEdit14->text();
        f.date = {suiRadioButton11->isChecked(), DateTimePicker9->date(), DateTimePicker10->date()};
        f.type = suiRadioButton6->isChecked()   ? browse::DisType::Directors
                 : suiRadioButton9->isChecked() ? browse::DisType::Substantial
                                                : browse::DisType::All;
        return browse::buildDis(f, today);
    }
    case Kind::RPT: {
        browse::RptFilter f;
        f.publishOrg = suiEdit12->text();
        f.reportTitle = suiEdit13->text();
        f.stockCode = suiEdit6->text();
        f.date = {suiRadioButton13->isChecked(), DateTimePicker11->date(), DateTimePicker12->date()};
        f.type = suiRadioButton15->isChecked()   ? browse::RptType::HongKong
                 : suiRadioButton16->isChecked() ? browse::RptType::Foreign
                                                 : browse::RptType::All;
        return browse::buildRpt(f, today);
    }
    }
    return {};
}

void QueryPage::suiButton7Click()
{
    runOperation(Kind::ANN, Move::NewQuery);
}
void QueryPage::suiButton10Click()
{
    runOperation(Kind::ANN, Move::Next);
}
void QueryPage::suiButton15Click()
{
    runOperation(Kind::ANN, Move::Previous);
}
void QueryPage::suiButton8Click()
{
    runOperation(Kind::REP, Move::NewQuery);
}
void QueryPage::suiButton17Click()
{
    runOperation(Kind::REP, Move::Next);
}
void QueryPage::suiButton16Click()
{
    runOperation(Kind::REP, Move::Previous);
}
void QueryPage::suiButton13Click()
{
    runOperation(Kind::DIS, Move::NewQuery);
}
void QueryPage::suiButton19Click()
{
    runOperation(Kind::DIS, Move::Next);
}
void QueryPage::suiButton18Click()
{
    runOperation(Kind::DIS, Move::Previous);
}
void QueryPage::suiButton14Click()
{
    runOperation(Kind::RPT, Move::NewQuery);
}
void QueryPage::suiButton21Click()
{
    runOperation(Kind::RPT, Move::Next);
}
void QueryPage::suiButton20Click()
{
    runOperation(Kind::RPT, Move::Previous);
}

void QueryPage::runOperation(Kind kind, Move move)
{
    // The wait window is modal; a click that still gets through while a wait runs starts nothing.
    if (m_wait.state == Wait::State::Pending)
        return;
    if (!ProbeConnection(this))
        return;
    Paging &state = m_paging[index(kind)];
    const KindControls &c = m_controls[index(kind)];
    try {
        if (move == Move::NewQuery) {
            c.grid->detach();
            state.currentPage = 1;
            c.previous->setEnabled(false);
            c.next->setEnabled(false);
            state.statements = BuildStatements(kind);
        } else {
            // A page move uses the filters as they stand now, not those of the first query.
            state.statements = BuildStatements(kind);
            c.grid->detach();
            state.currentPage += move == Move::Next ? 1 : -1;
        }
        // The page shown so far is gone; a cancelled or failed fetch leaves the kind without a result.
        c.dataset->close();
        state.cancelled = false;
        FrmSearchPrompt->suiButton1->setEnabled(true);

        const quint64 token = ++m_lastToken;
        m_wait = {token, Wait::State::Pending};
        m_outcome.reset();
        startWorker(kind, move, token, state.statements, state.currentPage);
        const Wait::State ended = waitFor(token);
        if (ended != Wait::State::Completed) {
            state.cancelled = true;
            if (ended == Wait::State::Failed)
                showDatabaseFailure(this);
            return;
        }

        PagingOutcome outcome = std::move(*m_outcome);
        m_outcome.reset();
        state.total = outcome.total;
        state.pageCount = outcome.pageCount;
        state.currentPage = outcome.page;
        *c.dataset = std::move(outcome.rows);

        const QString ofPages = u" of "_s + QString::number(state.pageCount) + u" 頁"_s;
        if (move == Move::NewQuery || state.currentPage == 1) {
            if (move != Move::NewQuery) {
                c.pageLabel->clear();
                c.previous->setEnabled(false);
                c.next->setEnabled(false);
            }
            c.pageLabel->setText(state.pageCount >= 1 ? u"1"_s + ofPages : QString());
            if (state.pageCount > 1)
                c.next->setEnabled(true);
        } else if (move == Move::Next) {
            c.previous->setEnabled(true);
            if (state.currentPage == state.pageCount)
                c.next->setEnabled(false);
            c.pageLabel->setText(QString::number(state.currentPage) + ofPages);
        } else {
            c.next->setEnabled(true);
            c.pageLabel->setText(QString::number(state.currentPage) + ofPages);
        }

        c.grid->attach(c.dataset->records());
        for (QAction *item : c.menuItems)
            item->setVisible(c.dataset->hasRows());
        showStatusTexts(kind);
    } catch (const std::exception &) {
        m_wait = {};
        showDatabaseFailure(this);
    }
}

void QueryPage::startWorker(Kind kind, Move move, quint64 token, const browse::Statements &statements,
                            int page)
{
    using Factory = TPagingThread *(*)(QueryPage *, quint64, const browse::Statements &, int);
    // Rows by kind, columns by move (new query, next, previous).
    static constexpr Factory workers[4][3] = {
        {&makeWorker<TANNCountThread>, &makeWorker<TANNNextThread>, &makeWorker<TANNPrevThread>},
        {&makeWorker<TREPCountThread>, &makeWorker<TREPNextThread>, &makeWorker<TREPPrevThread>},
        {&makeWorker<TDISCountThread>, &makeWorker<TDISNextThread>, &makeWorker<TDISPrevThread>},
        {&makeWorker<TRPTCountThread>, &makeWorker<TRPTNextThread>, &makeWorker<TRPTPrevThread>}};
    TPagingThread *worker = workers[index(kind)][int(move)](this, token, statements, page);
    worker->start();
}

QueryPage::Wait::State QueryPage::waitFor(quint64 token)
{
    // A worker that finished before the window is up has ended the wait already.
    if (m_wait.token == token && m_wait.state == Wait::State::Pending) {
        QEventLoop loop;
        m_waitLoop = &loop;
        FrmSearchPrompt->show(); // modal: the page and its window wait behind it
        if (m_wait.state == Wait::State::Pending)
            loop.exec(QEventLoop::DialogExec);
        m_waitLoop = nullptr;
        FrmSearchPrompt->hide();
    }
    const Wait ended = std::exchange(m_wait, {});
    // Still pending: the window was closed without the worker, which is a cancel.
    return ended.state == Wait::State::Pending ? Wait::State::Idle : ended.state;
}

void QueryPage::workerFinished(PagingOutcome outcome)
{
    // A worker of a cancelled operation ends no wait, and its rows are never shown.
    if (outcome.token != m_wait.token || m_wait.state != Wait::State::Pending)
        return;
    m_wait.state = outcome.ok ? Wait::State::Completed : Wait::State::Failed;
    if (outcome.ok)
        m_outcome = std::make_unique<PagingOutcome>(std::move(outcome));
    FrmSearchPrompt->suiButton1->setEnabled(false);
    if (m_waitLoop)
        m_waitLoop->quit();
}

void QueryPage::promptClosed()
{
    // "取消查询", Escape or any other close ends the wait; unless the worker got there first, as a cancel.
    if (m_waitLoop)
        m_waitLoop->quit();
}

void QueryPage::showStatusTexts(Kind kind)
{
    const Paging &state = m_paging[index(kind)];
    const KindControls &c = m_controls[index(kind)];
    const int offset = (state.currentPage - 1) * browse::kPageSize;
    suiStatusBar2->setPanelText(0, c.totalPrefix + QString::number(state.total) + u" 條"_s);
    suiStatusBar2->setPanelText(1, u"當前顯示第 "_s + QString::number(offset + 1) + u" 條 至 第 "_s +
                                       QString::number(c.dataset->rowCount() + offset) + u" 條"_s);
}

void QueryPage::suiPageControl3Change(int tabIndex)
{
    if (tabIndex < 0 || tabIndex >= int(m_controls.size()))
        return;
    const Kind kind = Kind(tabIndex);
    if (m_controls[index(kind)].dataset->isOpen()) {
        showStatusTexts(kind);
    } else {
        suiStatusBar2->setPanelText(0, m_controls[index(kind)].zeroText);
        suiStatusBar2->setPanelText(1, QString());
    }
}

} // namespace vintrel
