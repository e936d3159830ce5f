#pragma once
// TBindStatusCallback2: the silent download callback. It forwards every progress notification to its
// ProgressHandler and never cancels. Called on the thread that runs the download; one object per
// download, owned by whoever starts it.

#include "platform/net/download.h"

#include <functional>

namespace vintrel {

class TBindStatusCallback2 : public net::BindStatusCallback
{
public:
    using Handler = std::function<void(quint32 ulProgress, quint32 ulProgressMax, quint32 ulStatusCode,
                                       const char16_t *szStatusText)>;

    // Set right after construction, before the object is handed to the download; may stay empty.
    Handler ProgressHandler;

    // Calls ProgressHandler, lets the calling thread's event loop (if it runs one) catch up, answers S_OK.
    qint32 OnProgress(quint32 ulProgress, quint32 ulProgressMax, quint32 ulStatusCode,
                      const char16_t *szStatusText) override;
};

} // namespace vintrel
