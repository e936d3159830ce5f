#include "client/documents/uDownload.h"

#include "client/documents/uIBindStatusCallback.h"
#include "client/documents/uPrompt.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QEventLoop>

#include <atomic>

namespace vintrel {

using namespace Qt::StringLiterals;

namespace {
constexpr qint64 kProgressIntervalMs = 50;
// How long the destructor lets cancelled transfers wind down; a transfer that is still connecting
// only notices the cancel at its connect timeout.
constexpr int kShutdownWaitMs = 2000;

quint64 pack(quint32 progress, quint32 max)
{
    return quint64(max) << 32 | progress;
}
} // namespace

// One download, shared by its worker and the window thread.
struct DownloadJob
{
    TDownloader *owner = nullptr; // used on the window thread, and only while the ticket is current
    std::shared_ptr<DownloadTicket> ticket;
    QString url;
    QString fileName;
    net::DownloadOptions options;

    // The latest byte counts (max << 32 | progress) and whether a window update for them is queued.
    std::atomic<quint64> latest{pack(0, 100)};
    std::atomic<bool> updateQueued{false};
    QElapsedTimer sinceUpdate; // worker only
    bool ended = false;        // window thread: the transfer's end reached the window
};

TDownloader::TDownloader(TFrmPrompt *prompt, QObject *parent) : QObject(parent), m_prompt(prompt) {}

TDownloader::~TDownloader()
{
    if (m_prompt && m_prompt->ticket())
        m_prompt->ticket()->Retire();
    const QDeadlineTimer deadline(kShutdownWaitMs);
    for (const QPointer<TMyThread> &worker : std::as_const(m_workers)) {
        if (!worker)
            continue;
        worker->ticket()->Retire();
        worker->ticket()->RequestCancel();
    }
    for (const QPointer<TMyThread> &worker : std::as_const(m_workers)) {
        // One that has not ended by then is left to end on its own, no longer a child to be deleted
        // with this object while it runs.
        if (worker && !worker->wait(deadline))
            worker->setParent(nullptr);
    }
}

qint32 TDownloader::RunDownload(const QString &url, const QString &path)
{
    if (m_waiting)
        return 1;
    DownloadURL = url;
    DownloadPath = path;
    DownloadAndWait();
    return DownloadResult;
}

void TDownloader::DownloadAndWait()
{
    if (m_waiting || !m_prompt)
        return;
    DownloadResult = 1;

    auto job = std::make_shared<DownloadJob>();
    job->owner = this;
    job->ticket = std::make_shared<DownloadTicket>(m_prompt.data());
    job->url = DownloadURL;
    job->fileName = DownloadPath;
    job->options = Options;
    m_prompt->BeginDownload(job->ticket);

    m_workers.removeAll(nullptr);
    auto *worker = new TMyThread(job, this);
    m_workers.append(worker);
    worker->start();

    m_waiting = true;
    QEventLoop loop;
    connect(m_prompt, &QDialog::finished, &loop, &QEventLoop::quit);
    m_prompt->show();
    // The end of a transfer that finished before the wait began has been handled already, or waits in
    // the queue for the loop: either way the loop ends.
    if (!job->ended && m_prompt && m_prompt->isVisible())
        loop.exec(QEventLoop::DialogExec);
    if (m_prompt && m_prompt->isVisible())
        m_prompt->hide();
    if (!job->ended)
        job->ticket->RequestCancel();
    // Whatever this transfer still does no longer reaches the window.
    job->ticket->Retire();
    m_waiting = false;
}

void TDownloader::DownloadFile(const std::shared_ptr<DownloadJob> &job)
{
    TBindStatusCallback callback(job->ticket);
    callback.ProgressHandler = [job](quint32 ulProgress, quint32 ulProgressMax, quint32 ulStatusCode,
                                     const char16_t *szStatusText) {
        DownloadProgress(job, ulProgress, ulProgressMax, ulStatusCode, szStatusText);
    };
    // The cancel control was enabled on the window thread when the window took this download on.
    qint32 result = net::E_DOWNLOAD_FAILURE;
    try {
        result = net::URLDownloadToFile(job->url, job->fileName, &callback, job->options);
    } catch (...) {
        // Reported like any failed download; an exception must not end the worker's thread.
    }
    job->ticket->Post([job, result](DownloadWindow &) { job->owner->TransferEnded(*job, result); });
}

void TDownloader::DownloadProgress(const std::shared_ptr<DownloadJob> &job, quint32 ulProgress,
                                   quint32 ulProgressMax, quint32 ulStatusCode, const char16_t *)
{
    job->latest.store(pack(ulProgress, ulProgressMax));
    // Data notifications are thinned out; the stage changes always get through, so the bar is right
    // when the data is complete.
    if (ulStatusCode == net::DownloadingData && job->sinceUpdate.isValid() &&
        job->sinceUpdate.elapsed() < kProgressIntervalMs)
        return;
    // One update queued at a time: it shows the latest counts when it runs.
    if (job->updateQueued.exchange(true))
        return;
    job->sinceUpdate.start();
    job->ticket->Post([job](DownloadWindow &) { job->owner->ShowProgress(*job); });
}

void TDownloader::ShowProgress(DownloadJob &job)
{
    // Cleared before reading, so that counts stored after the read queue a further update.
    job.updateQueued.store(false);
    const quint64 latest = job.latest.load();
    if (!m_prompt)
        return;
    m_prompt->suiProgressBar1->SetMax(quint32(latest >> 32));
    m_prompt->suiProgressBar1->SetPosition(quint32(latest));
}

void TDownloader::TransferEnded(DownloadJob &job, qint32 result)
{
    ShowProgress(job);
    job.ended = true;
    // The result first: the caller reads it as soon as the window has closed.
    DownloadResult = result;
    if (m_prompt)
        m_prompt->done(QDialog::Accepted);
}

TMyThread::TMyThread(std::shared_ptr<DownloadJob> job, QObject *parent)
    : QThread(parent), m_job(std::move(job))
{
    setObjectName(u"TMyThread"_s);
    connect(this, &QThread::finished, this, &QObject::deleteLater);
}

TMyThread::~TMyThread() = default;

const std::shared_ptr<DownloadTicket> &TMyThread::ticket() const
{
    return m_job->ticket;
}

void TMyThread::Execute()
{
    // A new download starts with its own ticket, so its cancel flag is clear.
    TDownloader::DownloadFile(m_job);
}

} // namespace vintrel
