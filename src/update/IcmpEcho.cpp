#include "update/IcmpEcho.h"

#include "common/NumberRule.h"

#include <QHostAddress>
#include <QHostInfo>
#include <QStringList>
#include <QTimer>
#include <QtEndian>

#include <mutex>
#include <thread>

namespace kv {

namespace {

constexpr int kCacheMs = 10000;

bool isHostNameText(const QString& text)
{
    if (text.isEmpty() || text.size() > 253)
        return false;
    bool onlyDigitsAndDots = true;
    for (QChar c : text) {
        const ushort u = c.unicode();
        const bool digit = u >= '0' && u <= '9';
        const bool letter = (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z');
        if (!digit && !letter && u != '-' && u != '.' && u != '_')
            return false;
        if (!digit && u != '.')
            onlyDigitsAndDots = false;
    }
    // Digits and dots alone are meant as an address, never as a name.
    return !onlyDigitsAndDots;
}

// The IPv4 address of a host name from the system's name service, asked in
// the background; found runs once, from the event loop, unless this object
// is destroyed first (which abandons the lookup).
class NameLookup : public QObject {
public:
    using Found = std::function<void(bool ok, quint32 address, const QString& reason)>;

    NameLookup(const QString& host, int limitMs, Found found)
        : m_found(std::move(found))
    {
        m_limit.setSingleShot(true);
        connect(&m_limit, &QTimer::timeout, this,
                [this] { answer(false, 0, QStringLiteral("no answer from the name service")); });
        m_limit.start(limitMs);
        m_id = QHostInfo::lookupHost(host, this, [this](const QHostInfo& info) {
            m_id = -1;
            if (info.error() != QHostInfo::NoError) {
                answer(false, 0, info.errorString());
                return;
            }
            for (const QHostAddress& a : info.addresses()) {
                if (a.protocol() == QAbstractSocket::IPv4Protocol) {
                    answer(true, qToBigEndian(a.toIPv4Address()), QString());
                    return;
                }
            }
            answer(false, 0, QStringLiteral("the name has no IPv4 address"));
        });
    }

    ~NameLookup() override
    {
        if (m_id >= 0)
            QHostInfo::abortHostLookup(m_id);
    }

private:
    void answer(bool ok, quint32 address, const QString& reason)
    {
        m_limit.stop();
        if (m_id >= 0)
            QHostInfo::abortHostLookup(m_id);
        m_id = -1;
        Found found = std::move(m_found);
        m_found = nullptr;
        if (found)
            found(ok, address, reason);
    }

    Found m_found;
    QTimer m_limit;
    int m_id = -1;
};

} // namespace

std::unique_ptr<QObject> RunLater(std::function<void()> what)
{
    auto holder = std::make_unique<QObject>();
    QTimer::singleShot(0, holder.get(), std::move(what));
    return holder;
}

struct ThreadedCall::Link {
    std::mutex mutex;
    ThreadedCall* owner = nullptr;
};

ThreadedCall::ThreadedCall(std::function<void()> work, std::function<void()> then)
    : m_link(std::make_shared<Link>())
    , m_then(std::move(then))
{
    m_link->owner = this;
    // The thread hands back through a queued call, and only while the owner
    // lives: the owner clears itself under the mutex before it goes, and a
    // call queued before that is dropped with the owner's pending events.
    std::thread([link = m_link, work = std::move(work)] {
        work();
        std::lock_guard<std::mutex> lock(link->mutex);
        if (ThreadedCall* owner = link->owner) {
            QMetaObject::invokeMethod(
                owner,
                [owner] {
                    std::function<void()> then = std::move(owner->m_then);
                    owner->m_then = nullptr;
                    if (then)
                        then();
                },
                Qt::QueuedConnection);
        }
    }).detach();
}

ThreadedCall::~ThreadedCall()
{
    std::lock_guard<std::mutex> lock(m_link->mutex);
    m_link->owner = nullptr;
}

bool ParseDottedDecimal(const QString& text, quint32& address)
{
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return false;
    quint32 host = 0;
    for (const QString& p : parts) {
        if (p.isEmpty() || p.size() > 3)
            return false;
        for (QChar c : p) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return false;
        }
        qint32 n = 0;
        if (!ToInt32(p, n) || n > 255)
            return false;
        host = host << 8 | quint32(n);
    }
    address = qToBigEndian(host);
    return true;
}

IcmpEchoClient::IcmpEchoClient() = default;

IcmpEchoClient::~IcmpEchoClient() = default;

void IcmpEchoClient::start(const QString& host, int timeoutMs, Done done)
{
    cancel();
    m_done = std::move(done);
    quint32 address = 0;
    if (ParseDottedDecimal(host, address)) {
        resolved(address, timeoutMs);
        return;
    }
    if (!isHostNameText(host)) {
        const QString reason = QStringLiteral("\"%1\" is not an IPv4 address or a host name").arg(host);
        m_step = RunLater([this, reason] { finish(Error, reason); });
        return;
    }
    if (host == m_cachedHost && m_cachedAt.isValid() && m_cachedAt.elapsed() < kCacheMs) {
        resolved(m_cachedAddress, timeoutMs);
        return;
    }
    m_step = std::make_unique<NameLookup>(host, resolveLimitMs,
                                          [this, host, timeoutMs](bool ok, quint32 found, const QString& reason) {
                                              if (!ok) {
                                                  finish(Error, QStringLiteral("%1: %2").arg(host, reason));
                                                  return;
                                              }
                                              m_cachedHost = host;
                                              m_cachedAddress = found;
                                              m_cachedAt.start();
                                              resolved(found, timeoutMs);
                                          });
}

void IcmpEchoClient::resolved(quint32 address, int timeoutMs)
{
    // Called from the lookup's own answer: it goes once control is back in
    // the event loop.
    if (m_step)
        m_step.release()->deleteLater();
    m_step = StartOneEcho(address, timeoutMs, ++m_sequence, [this](Result r, const QString& e) { finish(r, e); });
}

void IcmpEchoClient::finish(Result result, const QString& error)
{
    // The step reports from inside its own handlers: it goes later, and the
    // caller's done may start the next echo at once.
    if (m_step)
        m_step.release()->deleteLater();
    Done done = std::move(m_done);
    m_done = nullptr;
    if (done)
        done(result, error);
}

void IcmpEchoClient::cancel()
{
    m_step.reset();
    m_done = nullptr;
}

} // namespace kv
