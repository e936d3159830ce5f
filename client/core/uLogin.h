#pragma once
// TFrmLogin, the login window: pings the two configured servers, chooses one, points the shared connection
// at it, checks the account, records the login, fetches the service's version file and remembers or forgets
// the credentials. Shown modally by the main window, which reads LoginOk once it closes.
// Window thread only. Its workers write the fields named for them while the window thread waits for their
// flag; the window thread reads those fields only once the flag is set.

#include "platform/db/dataset.h"

#include <QDialog>
#include <QPixmap>
#include <QPointer>
#include <QThread>

#include <atomic>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vintrel {

namespace net {
struct EchoResult;
}

class TFrmLogin;

// A worker of the login: runs Execute() once on its own thread, which sets the worker's flag on the login
// window, then emits flagSet(). Started by TFrmLogin, which frees it when it has finished.
class TLoginWorker : public QThread
{
    Q_OBJECT
public:
    explicit TLoginWorker(TFrmLogin *form) : m_form(form) {}

signals:
    void flagSet();

protected:
    virtual void Execute() = 0;
    TFrmLogin *form() const { return m_form; }

private:
    void run() final;
    TFrmLogin *m_form;
};

// Three echoes to LoginState().ServerIP1, then three to ServerIP2; each result goes to IdIcmpClient1Reply.
// Sets PingDone, also when it fails part-way.
class TMyThread1_2 final : public TLoginWorker
{
    Q_OBJECT
public:
    using TLoginWorker::TLoginWorker;

protected:
    void Execute() override;
};

// Chooses the server from the up flags and sums, writes LoginState().ServerIP and sets ServerChosen. The
// progress text for Label1 goes to the window thread through label1Text().
class TMyThread2 final : public TLoginWorker
{
    Q_OBJECT
public:
    using TLoginWorker::TLoginWorker;

signals:
    void label1Text(const QString &text);

protected:
    void Execute() override;
};

// Downloads the version file (url into fileName) and stores the result in VersionFileResult, then sets
// VersionFileDone.
class TMyThread3 final : public TLoginWorker
{
    Q_OBJECT
public:
    TMyThread3(TFrmLogin *form, QString url, QString fileName);

protected:
    void Execute() override;

private:
    QString m_url;
    QString m_fileName;
};

class TFrmLogin : public QDialog
{
    Q_OBJECT
public:
    // Receive time-out of each echo.
    static constexpr int kEchoTimeoutMs = 3000;
    static constexpr int kPingAttempts = 6; // three per server, server 1 first

    explicit TFrmLogin(QWidget *parent = nullptr);
    ~TFrmLogin() override;

    void FormCreate();
    void FormShow();
    void FormClose();
    // Key handlers of the two fields; `key` is a Qt key code.
    void suiEdit1KeyUp(int key);
    void suiEdit2KeyUp(int key);
    // The login; returns when the try has ended, with the window closed or open for another try.
    void suiButton1Click();
    void suiButton3Click();
    // Records one echo attempt; runs on the ping worker.
    void IdIcmpClient1Reply(const net::EchoResult &reply);

    bool LoginOk = false;
    int PingTimes[kPingAttempts] = {};
    int PingOk[kPingAttempts] = {};
    std::atomic<int> PingCount = 0;
    std::atomic<bool> PingDone = false;
    int Server1Sum = 0;
    int Server2Sum = 0;
    int Server1Up = 0;
    int Server2Up = 0;
    std::atomic<bool> ServerChosen = false;
    std::atomic<bool> VersionFileDone = false;
    std::atomic<qint32> VersionFileResult = 0;

    // Where the version file comes from and where it goes; built for each try.
    QString UpdateInfoURL;
    QString UpdateInfoPath;

    QLineEdit *suiEdit1 = nullptr;
    QLineEdit *suiEdit2 = nullptr;
    QCheckBox *suiCheckBox1 = nullptr;
    QPushButton *suiButton1 = nullptr;
    QPushButton *suiButton3 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;

    db::Dataset ADOQuery1;

public slots:
    void done(int result) override;
    void reject() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    void setControlsEnabled(bool enabled);
    // Where a try stops and the window stays open for another.
    void stopTry();
    void showError(const QString &text);
    // Starts the worker and runs a local event loop until it has set `flag`. False only when the loop was
    // ended from outside (the application is quitting) before that.
    bool runAndWait(TLoginWorker *worker, const std::atomic<bool> &flag);

    QPixmap m_background;
    QPointer<TLoginWorker> m_worker;
    QPoint m_dragOffset;
    bool m_working = false;
};

} // namespace vintrel
