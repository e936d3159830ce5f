#pragma once
// The client's download-and-wait sequence: a TMyThread worker fetches DownloadURL into DownloadPath
// while the window thread waits behind the modal download window TFrmPrompt; the caller then reads
// DownloadResult. TDownloader lives on the window thread and is used there only; the worker's side
// (DownloadFile, DownloadProgress) hands every window change to the window thread, its progress at
// most about every 50 ms. Each download has its own ticket, so a transfer still winding down after a
// cancel never reaches the window, the result or the values of a later download.

#include "platform/net/download.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QThread>

#include <memory>

namespace vintrel {

class DownloadTicket;
class TFrmPrompt;
class TMyThread;
struct DownloadJob;

class TDownloader : public QObject
{
    Q_OBJECT
public:
    // prompt is the download window; not owned, and may go away before this object.
    explicit TDownloader(TFrmPrompt *prompt, QObject *parent = nullptr);
    // Cancels transfers still running and gives them a short while to end.
    ~TDownloader() override;

    QString DownloadURL;
    QString DownloadPath;
    // The result of the last download that ended while its window was shown (an HRESULT; 0: the file
    // is complete); 1 while a download runs and after a cancel.
    qint32 DownloadResult = 1;
    // Timeouts of the downloads started from now on.
    net::DownloadOptions Options;

    // DownloadResult := 1, a TMyThread started on DownloadURL and DownloadPath, the download window
    // shown modally until the transfer ends or the user cancels (the window closed by any means
    // counts as a cancel). Returns when the window has closed. Does nothing while another download
    // is waiting.
    void DownloadAndWait();
    // Sets DownloadURL and DownloadPath, runs the sequence and answers DownloadResult.
    qint32 RunDownload(const QString &url, const QString &path);

    TFrmPrompt *prompt() const { return m_prompt; }

    // The worker's side, on one download's TMyThread.
    static void DownloadFile(const std::shared_ptr<DownloadJob> &job);
    static void DownloadProgress(const std::shared_ptr<DownloadJob> &job, quint32 ulProgress,
                                 quint32 ulProgressMax, quint32 ulStatusCode, const char16_t *szStatusText);

private:
    void TransferEnded(DownloadJob &job, qint32 result);
    void ShowProgress(DownloadJob &job);

    QPointer<TFrmPrompt> m_prompt;
    QList<QPointer<TMyThread>> m_workers;
    bool m_waiting = false;
};

// The worker of one download, a child of its TDownloader; it frees itself when it ends.
class TMyThread : public QThread
{
    Q_OBJECT
public:
    TMyThread(std::shared_ptr<DownloadJob> job, QObject *parent);
    ~TMyThread() override;

    const std::shared_ptr<DownloadJob> &job() const { return m_job; }
    // The ticket of the download it runs.
    const std::shared_ptr<DownloadTicket> &ticket() const;

protected:
    void Execute();

private:
    void run() final { Execute(); }

    std::shared_ptr<DownloadJob> m_job;
};

} // namespace vintrel
