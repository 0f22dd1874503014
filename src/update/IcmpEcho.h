#pragma once
#include <QString>

namespace kv {

// One ICMP echo at a time.
class IEchoClient {
public:
    enum Result { Reply, Timeout, Error };
    virtual ~IEchoClient() = default;
    // Resolves host (dotted text or name) and sends one echo request, waiting
    // up to timeoutMs for the reply.  Error: *error holds the reason.
    virtual Result echo(const QString& host, int timeoutMs, QString* error) = 0;
};

// The real client: an unprivileged ICMP datagram socket where the system
// allows it, a raw socket otherwise.
class IcmpEchoClient : public IEchoClient {
public:
    Result echo(const QString& host, int timeoutMs, QString* error) override;
};

} // namespace kv
