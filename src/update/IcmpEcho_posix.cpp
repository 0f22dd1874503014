#include "update/IcmpEcho.h"

#include "common/Files.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace kv {

namespace {

constexpr int kPayloadSize = 32;
constexpr quint8 kEchoRequest = 8;
constexpr quint8 kEchoReply = 0;

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

// Reads what waits on the socket; true when it holds the reply to our echo.
// A raw socket sees every ICMP message of the host, IP header first; the
// kernel matches the identifier of a ping socket itself.
bool readEchoReply(int fd, bool raw, quint32 target, quint16 id, quint16 seq)
{
    // A bounded batch: the notifier fires again while more is waiting.
    for (int i = 0; i < 64; ++i) {
        unsigned char buf[1500];
        sockaddr_in from;
        socklen_t fromLen = sizeof from;
        const ssize_t n =
            ::recvfrom(fd, buf, sizeof buf, MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&from), &fromLen);
        if (n < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK)
                return false;
            continue; // an error report (unreachable and the like) is no reply
        }
        const unsigned char* icmp = buf;
        ssize_t icmpSize = n;
        if (raw) {
            if (n < 20 || from.sin_addr.s_addr != target)
                continue;
            const int ipHeader = (buf[0] & 0x0F) * 4;
            icmp = buf + ipHeader;
            icmpSize = n - ipHeader;
        }
        if (icmpSize < 8 || icmp[0] != kEchoReply || (quint16(icmp[6] << 8 | icmp[7]) != seq))
            continue;
        if (raw && quint16(icmp[4] << 8 | icmp[5]) != id)
            continue;
        if (icmpSize > 8)
            return true;
    }
    return false;
}

} // namespace

bool LookupIPv4Blocking(const std::string& name, quint32& address, QString* reason)
{
    addrinfo hints;
    std::memset(&hints, 0, sizeof hints);
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* res = nullptr;
    const int rc = getaddrinfo(name.c_str(), nullptr, &hints, &res);
    if (rc == 0 && res)
        address = reinterpret_cast<sockaddr_in*>(res->ai_addr)->sin_addr.s_addr;
    if (res)
        freeaddrinfo(res);
    if (rc != 0 && reason)
        *reason = QString::fromLocal8Bit(gai_strerror(rc));
    return rc == 0;
}

IEchoClient::Result SendOneEcho(quint32 target, int timeoutMs, quint16 seq, QString* error)
{
    using Result = IEchoClient::Result;
    bool raw = false;
    const int fd = openIcmpSocket(raw, error);
    if (fd < 0)
        return IEchoClient::Error;

    const quint16 id = quint16(::getpid());
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
        return IEchoClient::Error;
    }

    // The reply is waited for in the event loop: the window keeps painting
    // and answering keys while the device is silent.
    Result result = IEchoClient::Timeout;
    {
        QEventLoop loop;
        QSocketNotifier readable(qintptr(fd), QSocketNotifier::Read);
        QObject::connect(&readable, &QSocketNotifier::activated, &loop, [&] {
            if (readEchoReply(fd, raw, target, id, seq)) {
                result = IEchoClient::Reply;
                loop.quit();
            }
        });
        QTimer limit;
        limit.setSingleShot(true);
        limit.setTimerType(Qt::PreciseTimer);
        QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
        limit.start(int(qMax<qint64>(0, timeoutMs - clock.elapsed())));
        loop.exec();
    }
    ::close(fd);
    return result;
}

} // namespace kv
