#pragma once
#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

namespace kv {

// One ICMP echo at a time, started and waited for in the event loop: no
// call blocks and none runs a nested event loop.
class IEchoClient {
public:
    enum Result { Reply, Timeout, Error };
    // The outcome of one echo; for Error, error holds the reason.
    using Done = std::function<void(Result result, const QString& error)>;
    virtual ~IEchoClient() = default;
    // Resolves host (dotted text or name) and sends one echo request, its
    // reply waited for up to timeoutMs.  done runs once, later, from the
    // event loop (never inside start), unless cancel() comes first.  A start
    // while an echo is under way cancels that one.
    virtual void start(const QString& host, int timeoutMs, Done done) = 0;
    // Ends the echo under way at once, name lookup included: its done never
    // runs and a reply that comes later is ignored.
    virtual void cancel() = 0;
};

// The real client: an unprivileged ICMP datagram socket where the system
// allows it, a raw socket otherwise (root or CAP_NET_RAW); on Windows the
// system's ICMP service.
//
// A dotted text of four decimal numbers is used as it stands (leading zeros
// are decimal, as the engineer means them); any other text must look like a
// host name and is resolved by the system's name service in the background,
// given up after resolveLimitMs, and the answer is kept for a few seconds so
// that the repeated echoes of one ping do not ask the name service each
// time.  Texts that are neither (blanks, 300 in a dotted text) fail without
// any traffic.
class IcmpEchoClient : public IEchoClient {
public:
    IcmpEchoClient();
    ~IcmpEchoClient() override;
    void start(const QString& host, int timeoutMs, Done done) override;
    void cancel() override;

    int resolveLimitMs = 2000;

private:
    void resolved(quint32 address, int timeoutMs);
    void finish(Result result, const QString& error);

    quint16 m_sequence = 0;
    QString m_cachedHost;
    quint32 m_cachedAddress = 0;
    QElapsedTimer m_cachedAt;
    Done m_done;
    // The lookup or the echo under way; destroying it ends it.
    std::unique_ptr<QObject> m_step;
};

// Platform part of the echo client (IcmpEcho_posix.cpp, IcmpEcho_win.cpp).
// Sends one echo request to target (network order) and waits up to
// timeoutMs for its reply without blocking; done runs once, later, from the
// event loop: Reply, Timeout, or Error when no echo could be sent (or the
// system failed it).  Destroying the returned object ends the wait at once
// and done never runs.
std::unique_ptr<QObject> StartOneEcho(quint32 target, int timeoutMs, quint16 sequence, IEchoClient::Done done);

// Runs what once from the event loop, unless the returned object is
// destroyed first.
std::unique_ptr<QObject> RunLater(std::function<void()> what);

// Runs a blocking call on a thread of its own and then hands over to the
// event loop of the thread that made this object: `then` runs there once
// work has returned, unless this object is gone by then.  Work outlives a
// destroyed object and runs to its end on its thread; what it writes must
// therefore be shared with it (std::shared_ptr).
class ThreadedCall : public QObject {
public:
    ThreadedCall(std::function<void()> work, std::function<void()> then);
    ~ThreadedCall() override;

private:
    struct Link;
    std::shared_ptr<Link> m_link;
    std::function<void()> m_then;
};

// The four decimal numbers of a dotted IPv4 text ("192.168.002.010"), in
// network order; false when the text is not of that form.
bool ParseDottedDecimal(const QString& text, quint32& address);

} // namespace kv
