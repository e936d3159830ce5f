#include "client/documents/uIBindStatusCallback2.h"

#include <QCoreApplication>
#include <QThread>

namespace vintrel {

qint32 TBindStatusCallback2::OnProgress(quint32 ulProgress, quint32 ulProgressMax, quint32 ulStatusCode,
                                        const char16_t *szStatusText)
{
    if (ProgressHandler)
        ProgressHandler(ulProgress, ulProgressMax, ulStatusCode, szStatusText);
    // A download run from inside an event loop keeps that thread responsive. A worker runs no loop:
    // processing its queue there would only run events nobody on it is waiting for.
    if (QThread::currentThread()->loopLevel() > 0)
        QCoreApplication::processEvents();
    return net::S_OK;
}

} // namespace vintrel
