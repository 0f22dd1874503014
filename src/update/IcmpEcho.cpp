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

bool lookupName(const QString& host, int limitMs, quint32& address, QString* error)
{
    struct Answer {
        bool found = false;
        quint32 address = 0;
        QString reason;
    };
    auto answer = std::make_shared<Answer>();
    const std::string name = host.toUtf8().toStdString();
    const bool finished = WaitInEventLoop(
        [answer, name] { answer->found = LookupIPv4Blocking(name, answer->address, &answer->reason); }, limitMs);
    if (!finished) {
        if (error)
            *error = QStringLiteral("%1: no answer from the name service").arg(host);
        return false;
    }
    if (!answer->found) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(host, answer->reason);
        return false;
    }
    address = answer->address;
    return true;
}

} // namespace

bool WaitInEventLoop(std::function<void()> work, int limitMs)
{
    // The thread wakes the waiter through a queued call, and only while the
    // waiter still waits: waiter is cleared under the mutex before its loop
    // goes, so a late thread touches nothing but the shared state.
    struct State {
        std::mutex mutex;
        QEventLoop* waiter = nullptr;
        bool finished = false;
    };
    auto state = std::make_shared<State>();
    QEventLoop loop;
    state->waiter = &loop;
    std::thread([state, work = std::move(work)] {
        work();
        std::lock_guard<std::mutex> lock(state->mutex);
        state->finished = true;
        if (state->waiter)
            QMetaObject::invokeMethod(state->waiter, &QEventLoop::quit, Qt::QueuedConnection);
    }).detach();

    QTimer limit;
    limit.setSingleShot(true);
    limit.setTimerType(Qt::PreciseTimer);
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    limit.start(limitMs);
    loop.exec();

    std::lock_guard<std::mutex> lock(state->mutex);
    state->waiter = nullptr;
    return state->finished;
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
