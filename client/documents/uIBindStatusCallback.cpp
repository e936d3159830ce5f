#include "client/documents/uIBindStatusCallback.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

namespace vintrel {

using namespace Qt::StringLiterals;

DownloadTicket::DownloadTicket(DownloadWindow *window)
    : m_window(window), m_receiver(window ? window->windowObject() : nullptr)
{
}

void DownloadTicket::Post(std::function<void(DownloadWindow &window)> change)
{
    // Queued under the lock, so that Retire (and the window's destruction after it) cannot overtake it;
    // Qt drops queued calls of a receiver that is gone.
    const std::lock_guard lock(m_mutex);
    if (!m_receiver)
        return;
    DownloadWindow *window = m_window;
    QMetaObject::invokeMethod(
        m_receiver,
        [self = shared_from_this(), window, change = std::move(change)] {
            if (self->m_current)
                change(*window);
        },
        Qt::QueuedConnection);
}

void DownloadTicket::Retire()
{
    const std::lock_guard lock(m_mutex);
    m_current = false;
    m_window = nullptr;
    m_receiver = nullptr;
}

QString DownloadSizeText(quint32 bytes)
{
    // 'g' in the C locale: "." as the decimal point, no trailing zeros.
    return QString::number(double(bytes) * 0.001, 'g', 15);
}

TBindStatusCallback::TBindStatusCallback(std::shared_ptr<DownloadTicket> ticket) : m_ticket(std::move(ticket))
{
}

qint32 TBindStatusCallback::OnProgress(quint32 ulProgress, quint32 ulProgressMax, quint32 ulStatusCode,
                                       const char16_t *szStatusText)
{
    if (ProgressHandler)
        ProgressHandler(ulProgress, ulProgressMax, ulStatusCode, szStatusText);

    switch (ulStatusCode) {
    case net::FindingResource:
        m_ticket->Post([](DownloadWindow &w) { w.SetStatusText(u"正在查找服务器"_s); });
        break;
    case net::Connecting:
        m_ticket->Post([](DownloadWindow &w) { w.SetStatusText(u"正在连接服务器"_s); });
        break;
    case net::BeginDownloadData: {
        const QString text = u"文件大小: "_s + DownloadSizeText(ulProgressMax) + u" KB"_s;
        m_ticket->Post([text](DownloadWindow &w) { w.SetStatusText(text); });
        break;
    }
    case net::EndDownloadData:
        m_ticket->Post([](DownloadWindow &w) { w.SetCancelEnabled(false); });
        break;
    default:
        break;
    }

    // As in TBindStatusCallback2: only a thread that runs an event loop has messages to catch up on.
    if (QThread::currentThread()->loopLevel() > 0)
        QCoreApplication::processEvents();
    return m_ticket->CancelRequested() ? net::E_ABORT : net::S_OK;
}

} // namespace vintrel
