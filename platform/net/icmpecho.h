#pragma once

#include <QString>

#include <functional>

// ICMP echo ("ping") to one IPv4 host. Stateless: every call opens and closes its own socket, so calls
// from several threads at once do not disturb each other.

namespace vintrel::net {

// roundTripMs is the reply's round-trip time when echoReply is set; otherwise the time the attempt took
// (about the time-out when the host stayed silent, near zero when the address was unusable).
struct EchoResult
{
    int roundTripMs = 0;
    bool echoReply = false;
};

// One echo to an IPv4 address (text "a.b.c.d" or a host name), waiting at most timeoutMs for the reply.
// Safe to call from any thread. Never throws.
EchoResult icmpEcho(const QString &address, int timeoutMs);

// While a responder is set, icmpEcho asks it instead of the network, from the calling thread; this is
// how tests get a server that does not answer, or fixed round-trip times. Thread-safe to set and clear.
using EchoResponder = std::function<EchoResult(const QString &address, int timeoutMs)>;
void setEchoResponder(EchoResponder responder); // an empty function means the real network again

} // namespace vintrel::net
