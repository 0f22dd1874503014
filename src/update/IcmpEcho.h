#pragma once
#include <QElapsedTimer>
#include <QString>

#include <functional>
#include <string>

namespace kv {

// One ICMP echo at a time.
class IEchoClient {
public:
    enum Result { Reply, Timeout, Error };
    virtual ~IEchoClient() = default;
    // Resolves host (dotted text or name) and sends one echo request, waiting
    // up to timeoutMs for the reply.  Error: *error holds the reason.
    // The real client waits in a nested event loop, so the caller must be
    // ready for anything the events do meanwhile (Cancel, keys, its end).
    virtual Result echo(const QString& host, int timeoutMs, QString* error) = 0;
};

// The real client: an unprivileged ICMP datagram socket where the system
// allows it, a raw socket otherwise (root or CAP_NET_RAW).
//
// A dotted text of four decimal numbers is used as it stands (leading zeros
// are decimal, as the engineer means them); any other text must look like a
// host name and is resolved by the system on a thread of its own, waited
// for in the event loop at most resolveLimitMs, and the answer is kept for a
// few seconds so that the repeated echoes of one ping do not ask the name
// service each time.  Texts that are neither (blanks, 300 in a dotted text)
// fail at once without any traffic.
class IcmpEchoClient : public IEchoClient {
public:
    Result echo(const QString& host, int timeoutMs, QString* error) override;

    int resolveLimitMs = 2000;

private:
    bool resolve(const QString& host, quint32& address, QString* error);

    quint16 m_sequence = 0;
    QString m_cachedHost;
    quint32 m_cachedAddress = 0;
    QElapsedTimer m_cachedAt;
};

// Platform parts of the echo client (IcmpEcho_posix.cpp, IcmpEcho_win.cpp).
// A blocking IPv4 name lookup: true with the address in network order, else
// false with the system's reason.
bool LookupIPv4Blocking(const std::string& name, quint32& address, QString* reason);
// One echo request to target (network order), waiting up to timeoutMs for
// its reply in a nested event loop; Error only when no echo could be sent.
IEchoClient::Result SendOneEcho(quint32 target, int timeoutMs, quint16 sequence, QString* error);

// Runs work on a thread of its own and waits for it in a nested event loop,
// at most limitMs: true when it finished.  Work that is given up on still
// runs to its end on its thread; what it writes must be shared with it
// (std::shared_ptr), and may be read only after true.
bool WaitInEventLoop(std::function<void()> work, int limitMs);

// The four decimal numbers of a dotted IPv4 text ("192.168.002.010"), in
// network order; false when the text is not of that form.
bool ParseDottedDecimal(const QString& text, quint32& address);

} // namespace kv
