#pragma once
// TFrmMain, the client's main window and frame: the side bar, the three pages, the status bars, the
// keep-alive timer, start-up (configuration, login, first data) and shut-down (quit question, logout).
// It owns the client's other windows and its pages. Window thread only.

#include <QDateTime>
#include <QMainWindow>

class QLabel;
class QPushButton;
class QTabWidget;
class QTimer;

namespace vintrel {

class FavorNewsPage;
class TDownloader;
class TFrmLogin;
class MemoPage;
class QueryPage;

class TFrmMain : public QMainWindow
{
    Q_OBJECT
public:
    explicit TFrmMain(QWidget *parent = nullptr);
    ~TFrmMain() override;

    // False when FormCreate found the configuration incomplete; the program then ends.
    bool configurationOk() const { return m_configOk; }
    // The login window's verdict: set when the login succeeded with a current version.
    bool loginOk() const;

    // Start-up, in the order the window runs them.
    void FormCreate();
    void FormShow();
    // What FormShow does once the login succeeded: timer, pages, first data, folders, greeting.
    void StartSession();

    // Shut-down: the quit question (true lets the window close), then logout and disconnect.
    bool FormCloseQuery();
    void FormClose();

    void Timer1Timer();
    void suiButton9Click();
    void EnsureStorageFolders();

    QDateTime LastServerUpdate;

    QLabel *Label1 = nullptr;
    QLabel *Label31 = nullptr;
    QTabWidget *suiPageControl1 = nullptr;
    QPushButton *suiButton1 = nullptr;
    QPushButton *suiButton5 = nullptr;
    QPushButton *suiButton3 = nullptr;
    QPushButton *suiButton6 = nullptr;
    QPushButton *suiButton4 = nullptr;
    QPushButton *suiButton2 = nullptr;
    QPushButton *suiButton9 = nullptr;
    QTimer *Timer1 = nullptr;

    // The download-and-wait sequence behind the download window (DownloadURL, DownloadPath,
    // DownloadResult); RunDownload answers DownloadResult once the window has closed.
    qint32 RunDownload(const QString &url, const QString &path);
    TDownloader *downloader() const { return m_download; }

    FavorNewsPage *favorNewsPage() const { return m_favorNews; }
    QueryPage *queryPage() const { return m_query; }
    MemoPage *memoPage() const { return m_memo; }
    TFrmLogin *loginWindow() const { return m_login; }

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    // The login window decides whether the client runs; true when it logged in with a current version.
    bool RunLogin();
    void setMenuItemVisible(const QString &name, bool visible);

    FavorNewsPage *m_favorNews = nullptr;
    QueryPage *m_query = nullptr;
    MemoPage *m_memo = nullptr;
    TFrmLogin *m_login = nullptr;
    TDownloader *m_download = nullptr;
    bool m_configOk = false;
    bool m_shown = false;
    bool m_closed = false;
};

} // namespace vintrel
