#pragma once
// TBindStatusCallback: the download callback that shows a transfer's state in its program's download
// window and lets the user cancel it. It runs on the thread of the download and never touches the window
// there: every change is queued to the window's thread through the download's DownloadTicket.

#include "client/documents/uIBindStatusCallback2.h"
#include "platform/net/download.h"

#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

class QObject;

namespace vintrel {

// What the callback needs of its program's download window: a status text and a cancel control.
// The cancel-requested flag of the download it shows is that download's DownloadTicket.
// All three operations are called on the window's thread only.
class DownloadWindow
{
public:
    virtual ~DownloadWindow() = default;
    // The object whose thread shows the window; changes queued to the window are delivered there.
    virtual QObject *windowObject() = 0;
    virtual void SetStatusText(const QString &text) = 0;
    virtual void SetCancelEnabled(bool enabled) = 0;
};

// One download as shared by the worker that runs it and the window that shows it. The window's thread
// creates it and retires it when the window moves on (the wait ended, or the window goes away): from
// then on nothing of this download reaches the window, so a transfer still winding down after a
// cancel cannot touch a later download. Made with std::make_shared on the window's thread; shared by
// both sides; safe from any thread except where noted.
class DownloadTicket : public std::enable_shared_from_this<DownloadTicket>
{
public:
    explicit DownloadTicket(DownloadWindow *window);

    void RequestCancel() { m_cancel.store(true); }
    bool CancelRequested() const { return m_cancel.load(); }

    // Queues change for the window's thread, where it runs only if the ticket is still current.
    void Post(std::function<void(DownloadWindow &window)> change);

    // Window thread only.
    bool IsCurrent() const { return m_current; }
    void Retire();

private:
    std::atomic<bool> m_cancel{false};
    bool m_current = true; // window thread only
    std::mutex m_mutex;    // guards m_window against Retire while a change is being queued
    DownloadWindow *m_window;
    QObject *m_receiver;
};

// "1234.567" for 1 234 567 bytes: thousands of bytes in general form, at most 15 significant digits.
QString DownloadSizeText(quint32 bytes);

class TBindStatusCallback : public net::BindStatusCallback
{
public:
    using Handler = TBindStatusCallback2::Handler;

    explicit TBindStatusCallback(std::shared_ptr<DownloadTicket> ticket);

    // Set right after construction, before the object is handed to the download; may stay empty.
    // Called on the download's thread.
    Handler ProgressHandler;

    // Calls ProgressHandler, queues the window change the status asks for, and answers E_ABORT once
    // the ticket's cancel flag is set, S_OK otherwise.
    qint32 OnProgress(quint32 ulProgress, quint32 ulProgressMax, quint32 ulStatusCode,
                      const char16_t *szStatusText) override;
    bool AbortRequested() const override { return m_ticket->CancelRequested(); }

private:
    std::shared_ptr<DownloadTicket> m_ticket;
};

} // namespace vintrel
