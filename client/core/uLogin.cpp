#include "client/core/uLogin.h"

#include "client/core/database.h"
#include "client/core/uPublic.h"
#include "client/documents/uIBindStatusCallback2.h"
#include "platform/ini/inifile.h"
#include "platform/net/download.h"
#include "platform/net/icmpecho.h"
#include "platform/text/gbk.h"
#include "platform/ui/clock.h"
#include "platform/ui/desktop.h"
#include "platform/ui/dialogs.h"

#include <QCheckBox>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

namespace vintrel {
using namespace Qt::StringLiterals;

namespace {
const QString kLoginFailure = u"無法登錄服務器，請檢查網絡或重新登錄！"_s;
const QString kLocateSection = u"LocateAccount"_s;

bool isEnter(int key) { return key == Qt::Key_Return || key == Qt::Key_Enter; }
} // namespace

// ---- workers ----

void TLoginWorker::run()
{
    Execute();
    emit flagSet();
}

void TMyThread1_2::Execute()
{
    TFrmLogin *login = form();
    try {
        const LoginStateData &state = LoginState();
        for (const QString &host : {state.ServerIP1, state.ServerIP2}) {
            for (int attempt = 0; attempt < TFrmLogin::kPingAttempts / 2; ++attempt)
                login->IdIcmpClient1Reply(net::icmpEcho(host, TFrmLogin::kEchoTimeoutMs));
        }
    } catch (...) {
        // The window goes on with what was recorded; entries not reached keep the last try's values.
    }
    login->PingDone = true;
}

void TMyThread2::Execute()
{
    TFrmLogin *login = form();
    LoginStateData &state = LoginState();
    bool first;
    if (login->Server1Up == 0 && login->Server2Up == 1)
        first = false;
    else if (login->Server1Up == 1 && login->Server2Up == 0)
        first = true;
    else
        first = login->Server1Sum < login->Server2Sum; // equal sums go to server 2
    emit label1Text(first ? u"正在登陸服務器1..."_s : u"正在登陸服務器2..."_s);
    state.ServerIP = first ? state.ServerIP1 : state.ServerIP2;
    login->ServerChosen = true;
}

TMyThread3::TMyThread3(TFrmLogin *form, QString url, QString fileName)
    : TLoginWorker(form), m_url(std::move(url)), m_fileName(std::move(fileName))
{
}

void TMyThread3::Execute()
{
    TFrmLogin *login = form();
    qint32 result = login->VersionFileResult;
    try {
        TBindStatusCallback2 callback;
        callback.ProgressHandler = [](quint32, quint32, quint32, const char16_t *) {};
        result = net::URLDownloadToFile(m_url, m_fileName, &callback);
    } catch (...) {
        // Left at the value set before the start, which counts as a failed download.
    }
    login->VersionFileResult = result;
    login->VersionFileDone = true;
}

// ---- window ----

TFrmLogin::TFrmLogin(QWidget *parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    setObjectName(u"FrmLogin"_s);
    setWindowTitle(u"Vintrel軟體版 - 登录"_s);
    setFixedSize(800, 499);
    m_background = QPixmap(programFile(u"login.png"_s));

    // The controls sit on the light panel of the background picture (470,120 to 760,420).
    Label2 = new QLabel(this);
    Label2->setObjectName(u"Label2"_s);
    Label2->setGeometry(500, 140, 230, 24);

    suiEdit1 = new QLineEdit(this);
    suiEdit1->setObjectName(u"suiEdit1"_s);
    suiEdit1->setPlaceholderText(u"用戶名"_s);
    suiEdit1->setGeometry(500, 180, 230, 30);

    suiEdit2 = new QLineEdit(this);
    suiEdit2->setObjectName(u"suiEdit2"_s);
    suiEdit2->setPlaceholderText(u"密碼"_s);
    suiEdit2->setEchoMode(QLineEdit::Password);
    suiEdit2->setStyleSheet(u"lineedit-password-character: 42;"_s); // '*'
    suiEdit2->setGeometry(500, 225, 230, 30);

    suiCheckBox1 = new QCheckBox(u"記住用戶名和密碼"_s, this);
    suiCheckBox1->setObjectName(u"suiCheckBox1"_s);
    suiCheckBox1->setChecked(true);
    suiCheckBox1->setGeometry(500, 268, 230, 24);

    suiButton1 = new QPushButton(u"登 錄"_s, this);
    suiButton1->setObjectName(u"suiButton1"_s);
    suiButton1->setGeometry(500, 310, 105, 32);

    suiButton3 = new QPushButton(u"退 出"_s, this);
    suiButton3->setObjectName(u"suiButton3"_s);
    suiButton3->setGeometry(625, 310, 105, 32);

    // Enter belongs to the fields' own key handlers, never to a default button of the dialog.
    for (QPushButton *button : {suiButton1, suiButton3}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }

    Label1 = new QLabel(this);
    Label1->setObjectName(u"Label1"_s);
    Label1->setGeometry(500, 360, 250, 40);
    Label1->setWordWrap(true);

    suiEdit1->installEventFilter(this);
    suiEdit2->installEventFilter(this);
    connect(suiButton1, &QPushButton::clicked, this, &TFrmLogin::suiButton1Click);
    connect(suiButton3, &QPushButton::clicked, this, &TFrmLogin::suiButton3Click);

    FormCreate();
}

TFrmLogin::~TFrmLogin()
{
    // A worker reads and writes this window's fields; it must not outlive them.
    if (m_worker) {
        m_worker->wait();
        delete m_worker.data();
    }
}

void TFrmLogin::FormCreate()
{
    LoginOk = false;
}

void TFrmLogin::FormShow()
{
    const LoginStateData &state = LoginState();
    Label2->setText(u"版本号："_s + state.VerNo);
    suiEdit1->setText(state.SavedUserName);
    suiEdit2->setText(state.SavedPassword);
    suiCheckBox1->setChecked(state.SavedIfRem != u"no"_s);
}

void TFrmLogin::FormClose()
{
    ADOQuery1.close();
}

void TFrmLogin::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TFrmLogin::done(int result)
{
    FormClose();
    QDialog::done(result);
}

void TFrmLogin::reject()
{
    // Closing by the window manager while a try runs would leave its workers without a window.
    if (m_working)
        return;
    QDialog::reject();
}

void TFrmLogin::keyPressEvent(QKeyEvent *event)
{
    // Escape does not end the client; only the exit button does.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TFrmLogin::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyRelease) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (!key->isAutoRepeat()) {
            if (watched == suiEdit1)
                suiEdit1KeyUp(key->key());
            else if (watched == suiEdit2)
                suiEdit2KeyUp(key->key());
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFrmLogin::suiEdit1KeyUp(int key)
{
    if (isEnter(key) && !suiEdit1->text().isEmpty())
        suiEdit2->setFocus();
}

void TFrmLogin::suiEdit2KeyUp(int key)
{
    if (isEnter(key))
        suiButton1Click();
}

void TFrmLogin::suiButton3Click()
{
    close();
}

void TFrmLogin::IdIcmpClient1Reply(const net::EchoResult &reply)
{
    const int index = PingCount;
    if (index < kPingAttempts) {
        PingTimes[index] = reply.roundTripMs;
        PingOk[index] = reply.echoReply ? 1 : 0;
    }
    if (++PingCount == kPingAttempts)
        PingDone = true;
}

void TFrmLogin::setControlsEnabled(bool enabled)
{
    for (QWidget *control : {static_cast<QWidget *>(suiEdit1), static_cast<QWidget *>(suiEdit2),
                             static_cast<QWidget *>(suiButton1), static_cast<QWidget *>(suiButton3)})
        control->setEnabled(enabled);
}

void TFrmLogin::stopTry()
{
    setControlsEnabled(true);
    Label1->clear();
    m_working = false;
}

void TFrmLogin::showError(const QString &text)
{
    ui::Dialogs::message(this, QString::fromUtf16(kTitleInfo), text, ui::Icon::Error);
}

bool TFrmLogin::runAndWait(TLoginWorker *worker, const std::atomic<bool> &flag)
{
    QEventLoop loop;
    // The wait listens to this worker only, so no other worker can end it.
    connect(worker, &TLoginWorker::flagSet, &loop, &QEventLoop::quit);
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    m_worker = worker;
    worker->start();
    if (!flag)
        loop.exec();
    return flag;
}

void TFrmLogin::suiButton1Click()
{
    if (m_working)
        return;
    LoginStateData &state = LoginState();

    // 1. Both fields filled.
    if (text::trimmed(suiEdit1->text()).isEmpty() || text::trimmed(suiEdit2->text()).isEmpty()) {
        showError(u"用戶名或密碼不能為空！"_s);
        return;
    }

    // 2.
    m_working = true;
    setControlsEnabled(false);
    PingCount = 0;
    PingDone = false;
    ServerChosen = false;
    Label1->setText(u"正在连接服务器..."_s);

    // 3. Ping both servers.
    if (!runAndWait(new TMyThread1_2(this), PingDone)) {
        stopTry();
        return;
    }

    // 4.
    Server1Sum = PingTimes[0] + PingTimes[1] + PingTimes[2];
    Server2Sum = PingTimes[3] + PingTimes[4] + PingTimes[5];
    Server1Up = (PingOk[0] || PingOk[1] || PingOk[2]) ? 1 : 0;
    Server2Up = (PingOk[3] || PingOk[4] || PingOk[5]) ? 1 : 0;

    // 5.
    if (Server1Up == 0 && Server2Up == 0) {
        Label1->setText(u"服務器連接失敗，請重試！"_s);
        setControlsEnabled(true);
        m_working = false;
        return;
    }

    // 6. Choose the server.
    auto *chooser = new TMyThread2(this);
    connect(chooser, &TMyThread2::label1Text, Label1, &QLabel::setText);
    if (!runAndWait(chooser, ServerChosen)) {
        stopTry();
        return;
    }

    // 7.
    assignConnection(state.ServerIP);

    // 8. The account, with the fields as typed.
    try {
        ADOQuery1.close();
        db::Statement account(u"select * from user where username = :id1 and password = :pswd1"_s);
        account.bind(u"id1"_s, suiEdit1->text()).bind(u"pswd1"_s, suiEdit2->text());
        ADOQuery1.open(account);
    } catch (const db::Error &) {
        showError(kLoginFailure);
        stopTry();
        return;
    }

    // 9.
    if (ADOQuery1.rowCount() != 1) {
        showError(u"用戶名或密碼錯，請重新輸入！"_s);
        stopTry();
        suiEdit1->clear();
        suiEdit2->clear();
        suiEdit1->setFocus();
        return;
    }

    // 10. The stored values, not the typed ones.
    const db::RecordSet &row = ADOQuery1.records();
    state.Email = row.text(0, u"email"_s);
    state.UserName = row.text(0, u"username"_s);
    state.Password = row.text(0, u"password"_s);

    // 11. Record the login.
    try {
        db::Statement login(u"update user set login_time = :time1,online = :ol1 where username = :id1"_s);
        login.bind(u"time1"_s, ui::now().toString(u"yyyy-MM-dd hh:mm:ss"_s))
            .bind(u"ol1"_s, 1)
            .bind(u"id1"_s, state.UserName);
        db::Connection::shared().execute(login);
        ADOQuery1.close();
    } catch (const db::Error &) {
        showError(kLoginFailure);
        stopTry();
        return;
    }

    // 12. Fetch the service's version file.
    Label1->setText(u"正在檢查版本更新信息..."_s);
    VersionFileDone = false;
    UpdateInfoURL = u"ftp://update:qavrenu@"_s + state.ServerIP + u"/update.ini"_s;
    UpdateInfoPath = programFile(u"update.ini"_s);
    VersionFileResult = 1;
    if (!runAndWait(new TMyThread3(this, UpdateInfoURL, UpdateInfoPath), VersionFileDone)) {
        stopTry();
        return;
    }

    // 13.
    if (VersionFileResult != 0) {
        showError(u"版本檢查發生錯誤，請重試或聯繫系統管理員！"_s);
        stopTry();
        return;
    }

    // 14. Any difference from our version means the service has another one.
    const QString serverVersion = ini::IniFile(programFile(u"Update.ini"_s)).readString(u"VerNo"_s, u"VerNo"_s);
    if (serverVersion != state.VerNo) {
        ui::Dialogs::message(this, QString::fromUtf16(kTitleInfo), u"有版本更新，系統將啟動下載...！"_s,
                             ui::Icon::None, ui::Buttons::Ok);
        ui::Desktop::startProgram(programFile(ui::programFileName(u"update"_s)));
        LoginOk = false;
    } else {
        LoginOk = true;
    }

    // 15. Remember or forget the account; the updater reads preferIP either way.
    ini::IniFile locate(programFile(u"Locate.ini"_s));
    if (suiCheckBox1->isChecked()) {
        locate.writeString(kLocateSection, u"username"_s, text::trimmed(suiEdit1->text()));
        locate.writeString(kLocateSection, u"password"_s, text::trimmed(suiEdit2->text()));
        locate.writeString(kLocateSection, u"ifrem"_s, u"yes"_s);
    } else {
        locate.writeString(kLocateSection, u"username"_s, QString());
        locate.writeString(kLocateSection, u"password"_s, QString());
        locate.writeString(kLocateSection, u"ifrem"_s, u"no"_s);
    }
    locate.writeString(kLocateSection, u"preferIP"_s, state.ServerIP);

    // 16.
    setControlsEnabled(true);
    m_working = false;
    accept();
}

// ---- look and moving ----

void TFrmLogin::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    if (m_background.isNull())
        painter.fillRect(rect(), QColor(24, 80, 130));
    else
        painter.drawPixmap(rect(), m_background);
    QDialog::paintEvent(event);
}

// Without a frame the window is moved by dragging its background.
void TFrmLogin::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_dragOffset = event->globalPosition().toPoint() - frameGeometry().topLeft();
    QDialog::mousePressEvent(event);
}

void TFrmLogin::mouseMoveEvent(QMouseEvent *event)
{
    if (event->buttons() & Qt::LeftButton)
        move(event->globalPosition().toPoint() - m_dragOffset);
    QDialog::mouseMoveEvent(event);
}

} // namespace vintrel
