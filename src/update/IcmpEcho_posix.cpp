#include "update/IcmpEcho.h"

#include "common/Files.h"

#include <QSocketNotifier>
#include <QTimer>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
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

// One echo request on its socket, its reply waited for by a notifier and a
// timer in the event loop; the socket closes with the object.
class EchoWait : public QObject {
public:
    EchoWait(quint32 target, int timeoutMs, quint16 seq, IEchoClient::Done done)
        : m_target(target)
        , m_seq(seq)
        , m_done(std::move(done))
    {
        QString error;
        m_fd = openIcmpSocket(m_raw, &error);
        if (m_fd < 0) {
            m_later = RunLater([this, error] { report(IEchoClient::Error, error); });
            return;
        }
        unsigned char packet[8 + kPayloadSize] = {};
        packet[0] = kEchoRequest;
        packet[4] = quint8(m_id >> 8);
        packet[5] = quint8(m_id);
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
        if (::sendto(m_fd, packet, sizeof packet, 0, reinterpret_cast<sockaddr*>(&to), sizeof to) < 0) {
            error = SystemReason(errno);
            m_later = RunLater([this, error] { report(IEchoClient::Error, error); });
            return;
        }
        // The window keeps painting and answering keys while the device is
        // silent.
        m_readable = std::make_unique<QSocketNotifier>(qintptr(m_fd), QSocketNotifier::Read);
        connect(m_readable.get(), &QSocketNotifier::activated, this, [this] {
            if (readEchoReply(m_fd, m_raw, m_target, m_id, m_seq))
                report(IEchoClient::Reply, QString());
        });
        m_limit.setSingleShot(true);
        m_limit.setTimerType(Qt::PreciseTimer);
        connect(&m_limit, &QTimer::timeout, this, [this] { report(IEchoClient::Timeout, QString()); });
        m_limit.start(timeoutMs);
    }

    ~EchoWait() override
    {
        m_readable.reset(); // before its socket closes
        if (m_fd >= 0)
            ::close(m_fd);
    }

private:
    // Once: whatever comes after the outcome is ignored.
    void report(IEchoClient::Result result, const QString& error)
    {
        if (m_readable)
            m_readable->setEnabled(false);
        m_limit.stop();
        IEchoClient::Done done = std::move(m_done);
        m_done = nullptr;
        if (done)
            done(result, error);
    }

    int m_fd = -1;
    bool m_raw = false;
    const quint32 m_target;
    const quint16 m_id = quint16(::getpid());
    const quint16 m_seq;
    IEchoClient::Done m_done;
    std::unique_ptr<QSocketNotifier> m_readable;
    QTimer m_limit;
    std::unique_ptr<QObject> m_later;
};

} // namespace

std::unique_ptr<QObject> StartOneEcho(quint32 target, int timeoutMs, quint16 sequence, IEchoClient::Done done)
{
    return std::make_unique<EchoWait>(target, timeoutMs, sequence, std::move(done));
}

} // namespace kv
