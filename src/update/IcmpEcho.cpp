#include "update/IcmpEcho.h"

#include "common/Files.h"
#include "common/NumberRule.h"

#include <QStringList>
#include <QtEndian>

#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#ifndef Q_OS_WIN
#include <arpa/inet.h>
#include <cerrno>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace kv {

namespace {

constexpr int kCacheMs = 10000;
constexpr int kPayloadSize = 32;
constexpr quint8 kEchoRequest = 8;
constexpr quint8 kEchoReply = 0;

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

#ifndef Q_OS_WIN
quint16 internetChecksum(const unsigned char* data, int size)
{
    quint32 sum = 0;
    for (int i = 0; i + 1 < size; i += 2)
        sum += quint32(data[i] << 8 | data[i + 1]);
    if (size & 1)
        sum += quint32(data[size - 1] << 8);
    while (sum >> 16)
        sum = (sum & 0xFFFF) + (sum >> 16);
    return quint16(~sum);
}

// A name lookup that the caller can stop waiting for: the system call runs
// on its own thread and finishes there even when nobody waits any longer.
struct Lookup {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    int rc = 0;
    quint32 address = 0;
};

bool lookupName(const QString& host, int limitMs, quint32& address, QString* error)
{
    auto lookup = std::make_shared<Lookup>();
    const std::string name = host.toUtf8().toStdString();
    std::thread([lookup, name] {
        addrinfo hints;
        std::memset(&hints, 0, sizeof hints);
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_DGRAM;
        addrinfo* res = nullptr;
        const int rc = getaddrinfo(name.c_str(), nullptr, &hints, &res);
        quint32 a = 0;
        if (rc == 0 && res)
            a = reinterpret_cast<sockaddr_in*>(res->ai_addr)->sin_addr.s_addr;
        if (res)
            freeaddrinfo(res);
        std::lock_guard<std::mutex> lock(lookup->mutex);
        lookup->rc = rc;
        lookup->address = a;
        lookup->finished = true;
        lookup->done.notify_all();
    }).detach();

    std::unique_lock<std::mutex> lock(lookup->mutex);
    if (!lookup->done.wait_for(lock, std::chrono::milliseconds(limitMs), [&] { return lookup->finished; })) {
        if (error)
            *error = QStringLiteral("%1: no answer from the name service").arg(host);
        return false;
    }
    if (lookup->rc != 0) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(host, QString::fromLocal8Bit(gai_strerror(lookup->rc)));
        return false;
    }
    address = lookup->address;
    return true;
}

int openIcmpSocket(bool& raw, QString* error)
{
    raw = false;
    int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_ICMP);
    if (fd >= 0)
        return fd;
    const int datagramErr = errno;
    fd = ::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP);
    if (fd >= 0) {
        raw = true;
        return fd;
    }
    if (error) {
        *error = QStringLiteral("No ICMP socket: %1 (ping socket), %2 (raw socket)")
                     .arg(SystemReason(datagramErr), SystemReason(errno));
    }
    return -1;
}
#endif

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
#ifdef Q_OS_WIN
    Q_UNUSED(address);
    if (error)
        *error = QStringLiteral("Name lookup is not available on this platform");
    return false;
#else
    if (!lookupName(host, resolveLimitMs, address, error))
        return false;
    m_cachedHost = host;
    m_cachedAddress = address;
    m_cachedAt.start();
    return true;
#endif
}

IEchoClient::Result IcmpEchoClient::echo(const QString& host, int timeoutMs, QString* error)
{
    quint32 target = 0;
    if (!resolve(host, target, error))
        return Error;
#ifdef Q_OS_WIN
    if (error)
        *error = QStringLiteral("ICMP echo is not available on this platform");
    return Error;
#else
    bool raw = false;
    const int fd = openIcmpSocket(raw, error);
    if (fd < 0)
        return Error;

    const quint16 id = quint16(::getpid());
    const quint16 seq = ++m_sequence;
    unsigned char packet[8 + kPayloadSize] = {};
    packet[0] = kEchoRequest;
    packet[4] = quint8(id >> 8);
    packet[5] = quint8(id);
    packet[6] = quint8(seq >> 8);
    packet[7] = quint8(seq);
    for (int i = 0; i < kPayloadSize; ++i)
        packet[8 + i] = quint8('a' + i % 23);
    const quint16 sum = internetChecksum(packet, int(sizeof packet));
    packet[2] = quint8(sum >> 8);
    packet[3] = quint8(sum);

    sockaddr_in to;
    std::memset(&to, 0, sizeof to);
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = target;
    QElapsedTimer clock;
    clock.start();
    if (::sendto(fd, packet, sizeof packet, 0, reinterpret_cast<sockaddr*>(&to), sizeof to) < 0) {
        if (error)
            *error = SystemReason(errno);
        ::close(fd);
        return Error;
    }

    Result result = Timeout;
    for (;;) {
        const qint64 left = timeoutMs - clock.elapsed();
        if (left <= 0)
            break;
        pollfd p{fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, int(left));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            break;
        unsigned char buf[1500];
        sockaddr_in from;
        socklen_t fromLen = sizeof from;
        const ssize_t n = ::recvfrom(fd, buf, sizeof buf, 0, reinterpret_cast<sockaddr*>(&from), &fromLen);
        if (n < 0)
            continue; // an error report (unreachable and the like) is no reply
        const unsigned char* icmp = buf;
        ssize_t icmpSize = n;
        if (raw) {
            // A raw socket sees every ICMP message of the host, IP header first.
            if (n < 20 || from.sin_addr.s_addr != target)
                continue;
            const int ipHeader = (buf[0] & 0x0F) * 4;
            icmp = buf + ipHeader;
            icmpSize = n - ipHeader;
        }
        if (icmpSize < 8 || icmp[0] != kEchoReply || (quint16(icmp[6] << 8 | icmp[7]) != seq))
            continue;
        if (raw && quint16(icmp[4] << 8 | icmp[5]) != id)
            continue; // the kernel matches the identifier of a ping socket itself
        if (icmpSize > 8) {
            result = Reply;
            break;
        }
    }
    ::close(fd);
    return result;
#endif
}

} // namespace kv
