#include "platform/net/download.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QUrl>

#include <curl/curl.h>

#include <filesystem>
#include <mutex>
#include <string>
#include <system_error>

namespace vintrel::net {

namespace {

using namespace Qt::StringLiterals;

constexpr qint64 kDataNotifyIntervalMs = 50;   // data notifications while bytes arrive
constexpr qint64 kIdleNotifyIntervalMs = 1000; // ... and while they do not, so an abort is seen
constexpr int kPollMs = 100;                   // how often timeouts are checked while idle
constexpr long kReceiveBufferBytes = 512 * 1024;

bool ensureCurlInitialised()
{
    static std::once_flag once;
    static CURLcode result = CURLE_FAILED_INIT;
    std::call_once(once, [] { result = curl_global_init(CURL_GLOBAL_ALL); });
    return result == CURLE_OK;
}

quint32 clamp32(qint64 value)
{
    return value <= 0 ? 0u : value >= qint64(0xFFFFFFFFu) ? 0xFFFFFFFFu : quint32(value);
}

std::u16string toU16(const QString &text)
{
    return std::u16string(reinterpret_cast<const char16_t *>(text.utf16()), size_t(text.size()));
}

// The state of one transfer, shared by the curl callbacks on the calling thread.
struct Transfer
{
    CURL *easy = nullptr;
    BindStatusCallback *callback = nullptr;
    QFile *file = nullptr;
    std::u16string hostText;
    std::u16string urlText;
    int stallTimeoutMs = 0;

    QElapsedTimer clock;
    qint64 received = 0;
    qint64 announced = -1;
    qint64 reported = -1; // byte count of the last data notification
    qint64 lastNotifyMs = 0;
    qint64 lastActivityMs = 0;
    bool connecting = false;
    bool bodyStarted = false;
    bool aborted = false;
    bool stalled = false;
    bool writeFailed = false;

    // False when the callback asked to stop.
    bool notify(quint32 status)
    {
        if (!callback)
            return true;
        const char16_t *text = status == FindingResource || status == Connecting ? hostText.c_str()
                                                                                 : urlText.c_str();
        qint32 answer = S_OK;
        try {
            answer = callback->OnProgress(clamp32(received), clamp32(announced), status, text);
        } catch (...) {
            // An exception must not unwind through curl; treat it as a request to stop.
            answer = E_ABORT;
        }
        if (status == DownloadingData || status == BeginDownloadData) {
            reported = status == DownloadingData ? received : reported;
            lastNotifyMs = clock.elapsed();
        }
        if (answer < 0)
            aborted = true;
        return !aborted;
    }

    bool startBody()
    {
        bodyStarted = true;
        curl_off_t length = -1;
        if (curl_easy_getinfo(easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) == CURLE_OK)
            announced = length;
        return notify(BeginDownloadData);
    }

    // Between reads: the stall check and the idle data notification.
    bool tick()
    {
        if (callback && callback->AbortRequested()) {
            aborted = true;
            return false;
        }
        const qint64 now = clock.elapsed();
        curl_off_t connectUs = 0;
        curl_easy_getinfo(easy, CURLINFO_CONNECT_TIME_T, &connectUs);
        if (connectUs == 0) {
            // Not connected yet: the connect timeout governs this phase.
            lastActivityMs = now;
        } else if (now - lastActivityMs >= stallTimeoutMs) {
            stalled = true;
            return false;
        }
        if (bodyStarted && now - lastNotifyMs >= kIdleNotifyIntervalMs)
            return notify(DownloadingData);
        return true;
    }
};

size_t onWrite(char *data, size_t size, size_t count, void *userData)
{
    auto *t = static_cast<Transfer *>(userData);
    const size_t length = size * count;
    t->lastActivityMs = t->clock.elapsed();
    if (!t->bodyStarted && !t->startBody())
        return CURL_WRITEFUNC_ERROR;
    if (t->file->write(data, qint64(length)) != qint64(length)) {
        t->writeFailed = true;
        return CURL_WRITEFUNC_ERROR;
    }
    t->received += qint64(length);
    if (t->lastActivityMs - t->lastNotifyMs >= kDataNotifyIntervalMs && !t->notify(DownloadingData))
        return CURL_WRITEFUNC_ERROR;
    return length;
}

size_t onHeader(char *, size_t size, size_t count, void *userData)
{
    auto *t = static_cast<Transfer *>(userData);
    t->lastActivityMs = t->clock.elapsed();
    return size * count;
}

// Called for every socket before it connects; the first one marks the start of connecting.
int onSocketCreated(void *userData, curl_socket_t, curlsocktype)
{
    auto *t = static_cast<Transfer *>(userData);
    if (!t->connecting) {
        t->connecting = true;
        if (!t->notify(Connecting))
            return CURL_SOCKOPT_ERROR;
    }
    return CURL_SOCKOPT_OK;
}

qint32 resultOf(CURLcode code, CURL *easy)
{
    switch (code) {
    case CURLE_OK:
        return S_OK;
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_URL_MALFORMAT:
        return E_INVALID_URL;
    case CURLE_COULDNT_RESOLVE_HOST:
        return E_HOST_NOT_FOUND;
    case CURLE_COULDNT_CONNECT:
        return E_CANNOT_CONNECT;
    case CURLE_OPERATION_TIMEDOUT:
        return E_TIMEOUT;
    case CURLE_REMOTE_FILE_NOT_FOUND:
    case CURLE_FTP_COULDNT_RETR_FILE:
        return E_OBJECT_NOT_FOUND;
    case CURLE_LOGIN_DENIED:
    case CURLE_REMOTE_ACCESS_DENIED:
        return E_ACCESS_DENIED;
    case CURLE_WRITE_ERROR:
        return E_CANNOT_WRITE;
    case CURLE_HTTP_RETURNED_ERROR: {
        long status = 0;
        curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
        if (status == 404 || status == 410)
            return E_OBJECT_NOT_FOUND;
        if (status == 401 || status == 403)
            return E_ACCESS_DENIED;
        return E_DOWNLOAD_FAILURE;
    }
    default:
        return E_DOWNLOAD_FAILURE;
    }
}

QByteArray encodedUrl(const QString &url)
{
    for (QChar c : url) {
        if (c.unicode() > 0x7e || c.unicode() < 0x21)
            return QUrl(url, QUrl::TolerantMode).toEncoded();
    }
    return url.toLatin1();
}

// Fails early, before any traffic, for a folder that does not exist, a name the file system
// refuses, a folder in the way or a file another program holds. Leaves an existing file as it is.
bool canWrite(const QString &fileName)
{
    const bool existed = QFileInfo::exists(fileName);
    QFile probe(fileName);
    if (!probe.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    probe.close();
    if (!existed)
        probe.remove();
    return true;
}

std::filesystem::path nativePath(const QString &path)
{
    return std::filesystem::path(path.toStdU16String());
}

// Replaces the target in one step, so that it is always either the old file or the new one.
bool moveIntoPlace(QTemporaryFile &temp, const QString &target)
{
    if (!temp.flush())
        return false;
    // The temporary file is private to its owner; the document keeps the permissions of the file
    // it replaces, or gets those of an ordinary file.
    const QFileInfo old(target);
    temp.setPermissions(old.exists() ? old.permissions()
                                     : QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser
                                           | QFile::WriteUser | QFile::ReadGroup | QFile::ReadOther);
    const QString tempName = temp.fileName();
    temp.close();
    std::error_code error;
    std::filesystem::rename(nativePath(tempName), nativePath(target), error);
    if (error)
        return false;
    temp.setAutoRemove(false);
    return true;
}

struct EasyHandle
{
    CURL *easy = curl_easy_init();
    CURLM *multi = curl_multi_init();
    bool added = false;
    ~EasyHandle()
    {
        if (added)
            curl_multi_remove_handle(multi, easy);
        if (multi)
            curl_multi_cleanup(multi);
        if (easy)
            curl_easy_cleanup(easy);
    }
};

} // namespace

qint32 URLDownloadToFile(const QString &url, const QString &fileName, BindStatusCallback *callback,
                         const DownloadOptions &options)
{
    const QByteArray target = encodedUrl(url.trimmed());
    if (target.isEmpty())
        return E_INVALID_URL;
    if (!ensureCurlInitialised())
        return E_DOWNLOAD_FAILURE;

    // The transfer goes to a temporary file beside the target, which is renamed over the target
    // only once complete. No fsync: a document can be fetched again, the speed matters more.
    if (fileName.isEmpty() || !canWrite(fileName))
        return E_CANNOT_WRITE;
    const QFileInfo targetInfo(fileName);
    QTemporaryFile file(targetInfo.absolutePath() + u"/.vintrel-download-XXXXXX"_s);
    if (!file.open())
        return E_CANNOT_WRITE;

    EasyHandle handle;
    if (!handle.easy || !handle.multi)
        return E_DOWNLOAD_FAILURE;
    CURL *easy = handle.easy;

    const QUrl parsed(url.trimmed(), QUrl::TolerantMode);
    Transfer t;
    t.easy = easy;
    t.callback = callback;
    t.file = &file;
    t.hostText = toU16(parsed.host());
    t.urlText = toU16(parsed.toString(QUrl::RemovePassword));
    t.stallTimeoutMs = qMax(1, options.stallTimeoutMs);

    curl_easy_setopt(easy, CURLOPT_URL, target.constData());
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https,ftp");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https,ftp");
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(easy, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_PROXY, "");
    curl_easy_setopt(easy, CURLOPT_NOPROXY, "*");
    curl_easy_setopt(easy, CURLOPT_USERAGENT, "Vintrel");
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, long(qMax(1, options.connectTimeoutMs)));
    curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, kReceiveBufferBytes);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &onWrite);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &t);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &onHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, &t);
    curl_easy_setopt(easy, CURLOPT_SOCKOPTFUNCTION, &onSocketCreated);
    curl_easy_setopt(easy, CURLOPT_SOCKOPTDATA, &t);

    t.clock.start();
    // Sent for numeric addresses too: the caller's window shows every stage.
    if (!t.notify(FindingResource))
        return E_ABORT;

    if (curl_multi_add_handle(handle.multi, easy) != CURLM_OK)
        return E_DOWNLOAD_FAILURE;
    handle.added = true;

    CURLcode code = CURLE_OK;
    bool finished = false;
    for (;;) {
        int running = 0;
        if (curl_multi_perform(handle.multi, &running) != CURLM_OK)
            return E_DOWNLOAD_FAILURE;
        if (running == 0) {
            int queued = 0;
            while (CURLMsg *msg = curl_multi_info_read(handle.multi, &queued)) {
                if (msg->msg == CURLMSG_DONE && msg->easy_handle == easy) {
                    code = msg->data.result;
                    finished = true;
                }
            }
            break;
        }
        if (t.aborted || !t.tick())
            break;
        if (curl_multi_poll(handle.multi, nullptr, 0, kPollMs, nullptr) != CURLM_OK)
            return E_DOWNLOAD_FAILURE;
    }

    if (t.aborted)
        return E_ABORT;
    if (t.stalled)
        return E_TIMEOUT;
    if (t.writeFailed)
        return E_CANNOT_WRITE;
    if (!finished)
        return E_DOWNLOAD_FAILURE;
    if (code != CURLE_OK)
        return resultOf(code, easy);

    // An empty body never reached onWrite.
    if (!t.bodyStarted && !t.startBody())
        return E_ABORT;
    if (t.reported != t.received && !t.notify(DownloadingData))
        return E_ABORT;
    if (!t.notify(EndDownloadData))
        return E_ABORT;
    return moveIntoPlace(file, targetInfo.absoluteFilePath()) ? S_OK : E_CANNOT_WRITE;
}

} // namespace vintrel::net
