#include "client/core/uMain.h"

#include "client/browse/QueryPage.h"
#include "client/core/database.h"
#include "client/core/uLogin.h"
#include "client/core/uPublic.h"
#include "client/documents/uDownload.h"
#include "client/documents/uPrompt.h"
#include "client/personal/FavorNewsPage.h"
#include "client/personal/MemoPage.h"
#include "platform/db/connection.h"
#include "platform/ini/inifile.h"
#include "platform/ui/clock.h"
#include "platform/ui/desktop.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/statusbar.h"

#include <QAction>
#include <QCloseEvent>
#include <QDateTimeEdit>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace vintrel {
using namespace Qt::StringLiterals;

namespace {
constexpr int kKeepAliveMs = 300000;
const QString kFooter = u"Vintrel 港股資訊服務"_qs;

template <typename W> W *named(W *widget, const QString &name)
{
    widget->setObjectName(name);
    return widget;
}
} // namespace

TFrmMain::TFrmMain(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(u"FrmMain"_qs);
    setWindowTitle(u"Vintrel V1.0"_qs);
    resize(1024, 720);

    auto *central = named(new QWidget(this), u"suiForm1"_qs);
    auto *outer = new QVBoxLayout(central);
    outer->setContentsMargins(0, 0, 0, 0);

    auto *panel1 = named(new QFrame(central), u"Panel1"_qs);
    auto *top = new QHBoxLayout(panel1);
    Label1 = named(new QLabel(u"上次服務器數據更新發生於 "_qs, panel1), u"Label1"_qs);
    Label31 = named(new QLabel(panel1), u"Label31"_qs);
    auto *logo = named(new QLabel(panel1), u"suiImagePanel1"_qs);
    logo->setPixmap(QPixmap(programFile(u"logo.png"_qs)));
    top->addWidget(Label1);
    top->addStretch(1);
    top->addWidget(Label31);
    top->addWidget(logo);
    outer->addWidget(panel1);

    auto *body = new QHBoxLayout;
    outer->addLayout(body, 1);

    // The side bar with the program's functions, in their order from the top.
    auto *side = named(new QFrame(central), u"suiSideChannel1"_qs);
    side->setFrameShape(QFrame::StyledPanel);
    auto *sideLayout = new QVBoxLayout(side);
    sideLayout->addWidget(new QLabel(u"系統功能區"_qs, side));
    const struct
    {
        QPushButton **button;
        const char16_t *name;
        const char16_t *caption;
    } buttons[] = {{&suiButton1, u"suiButton1", u"數據更新"},       {&suiButton5, u"suiButton5", u"自選股管理"},
                   {&suiButton3, u"suiButton3", u"股份代號查询"},   {&suiButton6, u"suiButton6", u"文件存放路徑"},
                   {&suiButton4, u"suiButton4", u"修改密碼"},       {&suiButton2, u"suiButton2", u"問題反饋"},
                   {&suiButton9, u"suiButton9", u"幫助文檔"}};
    for (const auto &b : buttons) {
        *b.button = named(new QPushButton(QString::fromUtf16(b.caption), side), QString::fromUtf16(b.name));
        sideLayout->addWidget(*b.button);
    }
    sideLayout->addStretch(1);
    body->addWidget(side);

    suiPageControl1 = named(new QTabWidget(central), u"suiPageControl1"_qs);
    m_favorNews = named(new FavorNewsPage(suiPageControl1), u"suiTabSheet1"_qs);
    m_query = named(new QueryPage(suiPageControl1), u"suiTabSheet10"_qs);
    m_memo = named(new MemoPage(suiPageControl1), u"suiTabSheet6"_qs);
    suiPageControl1->addTab(m_favorNews, u"我的自選股"_qs);
    suiPageControl1->addTab(m_query, u"查詢"_qs);
    suiPageControl1->addTab(m_memo, u"備忘錄"_qs);
    body->addWidget(suiPageControl1, 1);
    setCentralWidget(central);

    for (ui::StatusBar *bar : findChildren<ui::StatusBar *>()) {
        bar->setPanelText(2, kFooter);
        bar->setPanelAlignment(2, Qt::AlignCenter);
    }

    Timer1 = named(new QTimer(this), u"Timer1"_qs);
    Timer1->setInterval(kKeepAliveMs);
    connect(Timer1, &QTimer::timeout, this, &TFrmMain::Timer1Timer);
    connect(suiButton9, &QPushButton::clicked, this, &TFrmMain::suiButton9Click);

    FormCreate();
    m_login = new TFrmLogin(this);
    m_download = new TDownloader(new TFrmPrompt(this), this);
}

TFrmMain::~TFrmMain()
{
    if (!m_closed)
        FormClose();
}

void TFrmMain::FormCreate()
{
    LoginStateData &state = LoginState();
    const ini::IniFile config(programFile(u"Config.ini"_qs));
    state.ServerIP1 = config.readString(u"Server"_qs, u"IP1"_qs);
    state.ServerIP2 = config.readString(u"Server"_qs, u"IP2"_qs);
    state.FTPPort = config.readString(u"Server"_qs, u"FTPPort"_qs);
    state.AnnounceLoc = config.readString(u"FileLoc"_qs, u"AnnounceLoc"_qs);
    state.ReportLoc = config.readString(u"FileLoc"_qs, u"ReportLoc"_qs);
    state.VerNo = config.readString(u"VerNo"_qs, u"VerNo"_qs);

    if (state.ServerIP1.isEmpty() || state.ServerIP2.isEmpty() || state.AnnounceLoc.isEmpty()
        || state.ReportLoc.isEmpty() || state.VerNo.isEmpty()) {
        ui::Dialogs::message(this, QString::fromUtf16(kTitleInfo), u"配置文件讀取錯誤，請聯絡系統管理員！"_qs,
                             ui::Icon::Error);
        m_configOk = false;
        return;
    }
    m_configOk = true;

    const ini::IniFile locate(programFile(u"Locate.ini"_qs));
    state.SavedUserName = locate.readString(u"LocateAccount"_qs, u"username"_qs);
    state.SavedPassword = locate.readString(u"LocateAccount"_qs, u"password"_qs);
    state.SavedIfRem = locate.readString(u"LocateAccount"_qs, u"ifrem"_qs);
}

void TFrmMain::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    // After the window is on screen, so that it shows behind the login window.
    QTimer::singleShot(0, this, &TFrmMain::FormShow);
}

void TFrmMain::FormShow()
{
    if (!RunLogin()) {
        close();
        return;
    }
    StartSession();
}

bool TFrmMain::RunLogin()
{
    m_login->exec();
    return m_login->LoginOk;
}

void TFrmMain::StartSession()
{
    Timer1->start();
    suiPageControl1->setCurrentIndex(0);
    m_favorNews->suiPageControl2->setCurrentIndex(0);
    m_query->suiPageControl3->setCurrentIndex(0);

    const QDateTime now = ui::now();
    for (const char16_t *name : {u"DateTimePicker1", u"DateTimePicker3", u"DateTimePicker7", u"DateTimePicker9",
                                 u"DateTimePicker11"}) {
        if (auto *picker = findChild<QDateTimeEdit *>(QString::fromUtf16(name)))
            picker->setDateTime(now.addDays(-30));
    }
    for (const char16_t *name : {u"DateTimePicker2", u"DateTimePicker4", u"DateTimePicker8", u"DateTimePicker10",
                                 u"DateTimePicker12"}) {
        if (auto *picker = findChild<QDateTimeEdit *>(QString::fromUtf16(name)))
            picker->setDateTime(now);
    }

    try {
        m_favorNews->loadSummary();
        setMenuItemVisible(u"N3"_qs, m_favorNews->AQAnnFav.hasRows());
        for (const char16_t *name : {u"N8", u"N9", u"N12", u"N6", u"N7", u"N1", u"N2", u"N4", u"N5", u"N10"})
            setMenuItemVisible(QString::fromUtf16(name), false);

        const db::RecordSet latest = db::Connection::shared().query(u"select max(finish_date) from update_log"_qs);
        // An empty update log has no time to show; the label then carries its caption alone.
        LastServerUpdate = latest.isEmpty() ? QDateTime() : latest.value(0, 0).toDateTime();
        Label1->setText(u"上次服務器數據更新發生於 "_qs
                        + (LastServerUpdate.isValid() ? LastServerUpdate.toString(u"yyyy-MM-dd hh:mm:ss"_qs)
                                                      : QString()));
        EnsureStorageFolders();
        Label31->setText(u"歡迎您回來 "_qs + LoginState().Email);
        m_memo->suiStatusBar3->setPanelText(0, u"查詢日誌記錄數 0 條"_qs);
    } catch (const db::Error &) {
        showDatabaseFailure(this);
    }
}

void TFrmMain::setMenuItemVisible(const QString &name, bool visible)
{
    if (auto *action = findChild<QAction *>(name))
        action->setVisible(visible);
}

void TFrmMain::Timer1Timer()
{
    // A worker holding the connection proves it alive; the tick never waits behind it.
    db::Connection &connection = db::Connection::shared();
    db::ConnectionLock lock(connection.mutex(), std::try_to_lock);
    if (!lock.owns_lock())
        return;
    try {
        connection.query(u"select count(*) from user"_qs);
    } catch (const db::Error &) {
        lock.unlock();
        showDatabaseFailure(this);
    }
}

bool TFrmMain::loginOk() const
{
    return m_login->LoginOk;
}

bool TFrmMain::FormCloseQuery()
{
    if (!loginOk())
        return true;
    return ui::Dialogs::message(this, u"提示"_qs, u"確認要退出嗎？"_qs, ui::Icon::Question, ui::Buttons::YesNo)
           == ui::Answer::Yes;
}

void TFrmMain::FormClose()
{
    m_closed = true;
    Timer1->stop();
    db::Connection &connection = db::Connection::shared();
    if (loginOk()) {
        try {
            db::Statement logout(u"update user set logout_time = :time1,online = :ol1 where username = :id1"_qs);
            logout.bind(u"time1"_qs, ui::now().toString(u"yyyy-MM-dd hh:mm:ss"_qs))
                .bind(u"ol1"_qs, 0)
                .bind(u"id1"_qs, LoginState().UserName);
            connection.execute(logout);
        } catch (const db::Error &) {
            // The program ends all the same; a lost logout is not worth a message.
        }
    }
    connection.disconnect();
}

void TFrmMain::closeEvent(QCloseEvent *event)
{
    if (m_closed) {
        event->accept();
        return;
    }
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

qint32 TFrmMain::RunDownload(const QString &url, const QString &path)
{
    return m_download->RunDownload(url, path);
}

void TFrmMain::suiButton9Click()
{
    try {
        ui::Desktop::open(programFile(u"幫助文檔.chm"_qs));
    } catch (const std::exception &) {
        ui::Dialogs::message(this, QString::fromUtf16(kTitleInfo), u"文件打開失敗，請重試！"_qs, ui::Icon::Error);
    }
}

void TFrmMain::EnsureStorageFolders()
{
    for (const QString &folder : {LoginState().AnnounceLoc, LoginState().ReportLoc}) {
        if (!folder.isEmpty() && !QDir(folder).exists())
            QDir().mkpath(folder);
    }
}

} // namespace vintrel
