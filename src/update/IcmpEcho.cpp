#include "update/IcmpEcho.h"

#include "common/NumberRule.h"

#include <QEventLoop>
#include <QStringList>
#include <QTimer>
#include <QtEndian>

#include <cstring>
#include <memory>
#include <mutex>
#include <string>
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

// A name lookup that the caller can stop waiting for: the system call runs
// on its own thread and finishes there even when nobody waits any longer.
// The waiter runs the event loop meanwhile, so the window keeps painting and
// answering; the thread wakes it through a queued call, and only while the
// waiter still waits (waiter is cleared under the mutex when it gives up,
// before its loop is destroyed).
struct Lookup {
    std::mutex mutex;
    QEventLoop* waiter = nullptr;
    bool finished = false;
    bool found = false;
    QString reason;
    quint32 address = 0;
};

bool lookupName(const QString& host, int limitMs, quint32& address, QString* error)
{
    auto lookup = std::make_shared<Lookup>();
    QEventLoop loop;
    lookup->waiter = &loop;
    const std::string name = host.toUtf8().toStdString();
    std::thread([lookup, name] {
        quint32 a = 0;
        QString reason;
        const bool found = LookupIPv4Blocking(name, a, &reason);
        std::lock_guard<std::mutex> lock(lookup->mutex);
        lookup->found = found;
        lookup->reason = reason;
        lookup->address = a;
        lookup->finished = true;
        if (lookup->waiter)
            QMetaObject::invokeMethod(lookup->waiter, &QEventLoop::quit, Qt::QueuedConnection);
    }).detach();

    QTimer limit;
    limit.setSingleShot(true);
    limit.setTimerType(Qt::PreciseTimer);
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    limit.start(limitMs);
    loop.exec();

    std::lock_guard<std::mutex> lock(lookup->mutex);
    lookup->waiter = nullptr;
    if (!lookup->finished) {
        if (error)
            *error = QStringLiteral("%1: no answer from the name service").arg(host);
        return false;
    }
    if (!lookup->found) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(host, lookup->reason);
        return false;
    }
    address = lookup->address;
    return true;
}

} // namespace

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

bool IcmpEchoClient::resolve(const QString& host, quint32& address, QString* error)
{
    if (ParseDottedDecimal(host, address))
        return true;
    if (!isHostNameText(host)) {
        if (error)
            *error = QStringLiteral("\"%1\" is not an IPv4 address or a host name").arg(host);
        return false;
    }
    if (host == m_cachedHost && m_cachedAt.isValid() && m_cachedAt.elapsed() < kCacheMs) {
        address = m_cachedAddress;
        return true;
    }
    if (!lookupName(host, resolveLimitMs, address, error))
        return false;
    m_cachedHost = host;
    m_cachedAddress = address;
    m_cachedAt.start();
    return true;
}

IEchoClient::Result IcmpEchoClient::echo(const QString& host, int timeoutMs, QString* error)
{
    quint32 target = 0;
    if (!resolve(host, target, error))
        return Error;
    return SendOneEcho(target, timeoutMs, ++m_sequence, error);
}

} // namespace kv
