#include "platform/net/icmpecho.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QMutex>
#include <QMutexLocker>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#ifdef _WIN32
// Order matters: winsock2 before anything that pulls in windows.h, iphlpapi before icmpapi.
#include <winsock2.h>

#include <ws2tcpip.h>

#include <iphlpapi.h>

#include <icmpapi.h>
#ifdef _MSC_VER
#pragma comment(lib, "iphlpapi.lib")
#pragma comment(lib, "ws2_32.lib")
#endif
#else
#include <arpa/inet.h>
#include <cerrno>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/ip_icmp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace vintrel::net {

namespace {

QMutex responderLock;
EchoResponder currentResponder;

constexpr int kPayloadSize = 32;

// Fills the echo payload: a random token first, so that a reply is matched to exactly this request even
// when another thread or process pings the same host with the same identifier and sequence number.
void fillPayload(unsigned char *payload)
{
    thread_local std::mt19937_64 random{std::random_device{}()};
    const std::uint64_t token = random();
    std::memcpy(payload, &token, sizeof token);
    for (int i = sizeof token; i < kPayloadSize; ++i)
        payload[i] = static_cast<unsigned char>('a' + i % 26);
}

// Names made only of digits and dots must be valid addresses; anything else that could be a host name
// goes to the resolver. Mistyped addresses therefore fail at once instead of becoming a name lookup.
bool resolveIPv4(const QString &address, in_addr *out)
{
#ifdef _WIN32
    static const bool winsockReady = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    if (!winsockReady)
        return false;
#endif
    const QByteArray text = address.trimmed().toLatin1();
    if (text.isEmpty() || text.size() > 253)
        return false;
    bool digitsAndDots = true;
    for (const char c : text) {
        const bool numeric = (c >= '0' && c <= '9') || c == '.';
        if (!numeric && !(c >= 'a' && c <= 'z') && !(c >= 'A' && c <= 'Z') && c != '-')
            return false;
        digitsAndDots = digitsAndDots && numeric;
    }
    if (digitsAndDots)
        return inet_pton(AF_INET, text.constData(), out) == 1;

    addrinfo hints{};
    hints.ai_family = AF_INET;
    addrinfo *found = nullptr;
    if (getaddrinfo(text.constData(), nullptr, &hints, &found) != 0 || found == nullptr)
        return false;
    *out = reinterpret_cast<const sockaddr_in *>(found->ai_addr)->sin_addr;
    freeaddrinfo(found);
    return true;
}

int elapsedMs(const QElapsedTimer &clock)
{
    return static_cast<int>(std::min<qint64>(clock.elapsed(), INT32_MAX));
}

#ifdef _WIN32

EchoResult networkEcho(const QString &address, int timeoutMs)
{
    QElapsedTimer attempt;
    attempt.start();
    in_addr target{};
    if (!resolveIPv4(address, &target))
        return {elapsedMs(attempt), false};
    const HANDLE icmp = IcmpCreateFile();
    if (icmp == INVALID_HANDLE_VALUE)
        return {elapsedMs(attempt), false};

    unsigned char payload[kPayloadSize];
    fillPayload(payload);
    // Room for one reply with its data, an ICMP error message and the status block.
    std::vector<unsigned char> reply(sizeof(ICMP_ECHO_REPLY) + kPayloadSize + 8 + 32);
    const DWORD count =
        IcmpSendEcho(icmp, target.S_un.S_addr, payload, kPayloadSize, nullptr, reply.data(),
                     static_cast<DWORD>(reply.size()), static_cast<DWORD>(std::max(timeoutMs, 1)));
    IcmpCloseHandle(icmp);
    const auto *echo = reinterpret_cast<const ICMP_ECHO_REPLY *>(reply.data());
    if (count > 0 && echo->Status == IP_SUCCESS)
        return {static_cast<int>(echo->RoundTripTime), true};
    return {elapsedMs(attempt), false};
}

#else

class IcmpSocket
{
public:
    // Unprivileged ICMP datagram sockets exist where net.ipv4.ping_group_range admits our group; a raw
    // socket needs CAP_NET_RAW. Either may be missing, in which case valid() is false.
    IcmpSocket()
    {
        fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_ICMP);
        if (fd < 0) {
            fd = ::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP);
            raw = true;
        }
    }
    ~IcmpSocket()
    {
        if (fd >= 0)
            ::close(fd);
    }
    IcmpSocket(const IcmpSocket &) = delete;
    IcmpSocket &operator=(const IcmpSocket &) = delete;

    bool valid() const { return fd >= 0; }

    int fd = -1;
    bool raw = false;
};

std::uint16_t checksum(const unsigned char *data, std::size_t size)
{
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i + 1 < size; i += 2)
        sum += static_cast<std::uint32_t>(data[i] << 8 | data[i + 1]);
    if (size % 2 != 0)
        sum += static_cast<std::uint32_t>(data[size - 1] << 8);
    while (sum >> 16)
        sum = (sum & 0xffff) + (sum >> 16);
    return static_cast<std::uint16_t>(~sum);
}

struct EchoRequest
{
    std::uint16_t identifier = 0;
    std::uint16_t sequence = 0;
    unsigned char packet[sizeof(icmphdr) + kPayloadSize] = {};
};

EchoRequest makeRequest()
{
    static std::atomic<std::uint16_t> nextSequence{static_cast<std::uint16_t>(std::random_device{}())};
    EchoRequest request;
    request.identifier = static_cast<std::uint16_t>(::getpid());
    request.sequence = nextSequence.fetch_add(1);
    icmphdr header{};
    header.type = ICMP_ECHO;
    header.code = 0;
    header.un.echo.id = htons(request.identifier);
    header.un.echo.sequence = htons(request.sequence);
    std::memcpy(request.packet, &header, sizeof header);
    fillPayload(request.packet + sizeof header);
    const std::uint16_t sum = checksum(request.packet, sizeof request.packet);
    header.checksum = htons(sum);
    std::memcpy(request.packet, &header, sizeof header);
    return request;
}

// A raw socket delivers every ICMP packet the host receives, with its IP header: our own request when
// pinging ourselves, replies to other programs' pings, errors. Only our echo reply counts. A datagram
// socket has no IP header, and the kernel puts its own identifier into the request and filters on it.
bool isReplyTo(const EchoRequest &request, const unsigned char *data, std::size_t size, bool raw)
{
    if (raw) {
        if (size < 20)
            return false;
        const std::size_t ipHeader = static_cast<std::size_t>(data[0] & 0x0f) * 4;
        if (ipHeader < 20 || ipHeader > size)
            return false;
        data += ipHeader;
        size -= ipHeader;
    }
    if (size != sizeof request.packet || checksum(data, size) != 0)
        return false;
    icmphdr header;
    std::memcpy(&header, data, sizeof header);
    if (header.type != ICMP_ECHOREPLY || header.code != 0 ||
        ntohs(header.un.echo.sequence) != request.sequence)
        return false;
    if (raw && ntohs(header.un.echo.id) != request.identifier)
        return false;
    return std::memcmp(data + sizeof header, request.packet + sizeof header, kPayloadSize) == 0;
}

EchoResult networkEcho(const QString &address, int timeoutMs)
{
    QElapsedTimer attempt;
    attempt.start();
    const auto noReply = [&attempt] { return EchoResult{elapsedMs(attempt), false}; };

    sockaddr_in target{};
    target.sin_family = AF_INET;
    if (!resolveIPv4(address, &target.sin_addr))
        return noReply();
    const IcmpSocket socket;
    if (!socket.valid())
        return noReply();

    const EchoRequest request = makeRequest();
    QElapsedTimer roundTrip;
    roundTrip.start();
    const ssize_t sent = ::sendto(socket.fd, request.packet, sizeof request.packet, 0,
                                  reinterpret_cast<const sockaddr *>(&target), sizeof target);
    if (sent != static_cast<ssize_t>(sizeof request.packet))
        return noReply();

    for (;;) {
        const qint64 left = qint64(timeoutMs) - roundTrip.elapsed();
        if (left <= 0)
            return noReply();
        pollfd ready{socket.fd, POLLIN, 0};
        const int polled = ::poll(&ready, 1, static_cast<int>(left));
        if (polled < 0 && errno != EINTR)
            return noReply();
        if (polled <= 0)
            continue;

        unsigned char buffer[1500];
        sockaddr_in from{};
        socklen_t fromSize = sizeof from;
        const ssize_t received = ::recvfrom(socket.fd, buffer, sizeof buffer, MSG_DONTWAIT,
                                            reinterpret_cast<sockaddr *>(&from), &fromSize);
        if (received < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)
                continue;
            return noReply(); // e.g. the host or network was reported unreachable
        }
        if (from.sin_addr.s_addr != target.sin_addr.s_addr)
            continue;
        if (isReplyTo(request, buffer, static_cast<std::size_t>(received), socket.raw))
            return {elapsedMs(roundTrip), true};
    }
}

#endif

} // namespace

EchoResult icmpEcho(const QString &address, int timeoutMs)
{
    try {
        EchoResponder responder;
        {
            const QMutexLocker lock(&responderLock);
            responder = currentResponder;
        }
        if (responder)
            return responder(address, timeoutMs);
        return networkEcho(address, std::max(timeoutMs, 0));
    } catch (...) {
        return {};
    }
}

void setEchoResponder(EchoResponder responder)
{
    const QMutexLocker lock(&responderLock);
    currentResponder = std::move(responder);
}

} // namespace vintrel::net
