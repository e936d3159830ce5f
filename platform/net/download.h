#pragma once
// The URL download facility: one blocking call that fetches an http, https or ftp URL whole into a
// local file and reports its progress to a status callback on the calling thread.

#include <QString>
#include <QtGlobal>

namespace vintrel::net {

// Status codes of OnProgress, in the order a transfer gives them.
enum BindStatus : quint32 {
    FindingResource = 1,
    Connecting = 2,
    BeginDownloadData = 4,
    DownloadingData = 5,
    EndDownloadData = 6,
};

// Results (HRESULT values). Only S_OK means a complete file.
inline constexpr qint32 S_OK = 0;
inline constexpr qint32 E_ABORT = qint32(0x80004004);
inline constexpr qint32 E_INVALID_URL = qint32(0x800C0002);      // malformed URL or other protocol
inline constexpr qint32 E_CANNOT_CONNECT = qint32(0x800C0004);   // refused or unreachable
inline constexpr qint32 E_HOST_NOT_FOUND = qint32(0x800C0005);   // name did not resolve
inline constexpr qint32 E_OBJECT_NOT_FOUND = qint32(0x800C0006); // HTTP 404/410, ftp file missing
inline constexpr qint32 E_DOWNLOAD_FAILURE = qint32(0x800C0008); // other HTTP error, broken transfer
inline constexpr qint32 E_TIMEOUT = qint32(0x800C000B);          // connect or stall timeout
inline constexpr qint32 E_ACCESS_DENIED = qint32(0x80070005);    // login refused, access denied
inline constexpr qint32 E_CANNOT_WRITE = qint32(0x80030103);     // the local file cannot be written

// Receives the notifications of one download; called on the thread that runs URLDownloadToFile.
class BindStatusCallback
{
public:
    virtual ~BindStatusCallback() = default;
    // Answer S_OK to go on, E_ABORT (or any failure code) to stop the transfer; the download then
    // returns E_ABORT. ulProgressMax is the length the server announced, 0 when it announced none;
    // ulProgress is the number of body bytes received so far. szStatusText is a zero-terminated
    // UTF-16 text valid during the call only: the host name for FindingResource and Connecting,
    // the URL without its password for the others.
    virtual qint32 OnProgress(quint32 ulProgress, quint32 ulProgressMax, quint32 ulStatusCode,
                              const char16_t *szStatusText) = 0;
    // Asked between notifications too, so that a stop requested while the connection is still being
    // made (when no notification comes for up to the connect timeout) ends the transfer at once.
    virtual bool AbortRequested() const { return false; }
};

struct DownloadOptions
{
    int connectTimeoutMs = 15000; // the connection must be made within this time
    int stallTimeoutMs = 30000;   // once connected, the transfer fails after this long with no data
};

// Fetches url (http, https, or ftp with "user:password@" in it) into fileName. The file appears
// only when complete, replacing a file of that name; on any failure an existing file stays as it
// was and nothing else is left behind. Notifications: FindingResource, Connecting,
// BeginDownloadData when the body starts, DownloadingData at most about every 50 ms while it
// arrives (and about once a second while it stalls, so that an abort is seen), a last
// DownloadingData with the full count, then EndDownloadData. callback may be null.
// Thread-safe: any number of downloads may run at once on different threads. No proxy is used.
qint32 URLDownloadToFile(const QString &url, const QString &fileName, BindStatusCallback *callback,
                         const DownloadOptions &options = {});

} // namespace vintrel::net
