#include "update/IcmpEcho.h"

#include "common/Files.h"

// winsock2 before windows.h, as the Windows headers require.
#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>
#include <icmpapi.h>

#include <QTimer>

namespace kv {

namespace {

constexpr int kPayloadSize = 32;
// How long past its time-out the ICMP service may take to answer.
constexpr int kServiceGraceMs = 1000;

// The ICMP service's own status texts ("General failure." and the like).
QString ipStatusMessage(DWORD status)
{
    wchar_t text[256] = {};
    DWORD size = DWORD(sizeof text / sizeof text[0]);
    if (GetIpErrorString(IP_STATUS(status), text, &size) == NO_ERROR)
        return QString::fromWCharArray(text).trimmed();
    return QStringLiteral("ICMP status %1").arg(status);
}

// Reports from the network that the echo got no reply: the device is off,
// unreachable or behind a router that gave up, as a silent device.  Every
// other status is a failure of this machine (a general failure, no route,
// no resources) and is shown with its reason.
bool isNoReply(DWORD status)
{
    switch (status) {
    case IP_REQ_TIMED_OUT:
    case IP_DEST_NET_UNREACHABLE:
    case IP_DEST_HOST_UNREACHABLE:
    case IP_DEST_PROT_UNREACHABLE:
    case IP_DEST_PORT_UNREACHABLE:
    case IP_TTL_EXPIRED_TRANSIT:
    case IP_TTL_EXPIRED_REASSEM:
    case IP_SOURCE_QUENCH:
    case IP_DEST_UNREACHABLE:
    case IP_TIME_EXCEEDED:
        return true;
    default:
        return false;
    }
}

struct Outcome {
    IEchoClient::Result result = IEchoClient::Timeout;
    QString error;
};

// One echo through the system's ICMP service, which needs no privileges.
// The service's call blocks until the reply or its time-out.
void sendAndWait(quint32 target, int timeoutMs, Outcome& outcome)
{
    const HANDLE icmp = IcmpCreateFile();
    if (icmp == INVALID_HANDLE_VALUE) {
        outcome.result = IEchoClient::Error;
        outcome.error = QStringLiteral("No ICMP service: %1").arg(WindowsErrorText(GetLastError()));
        return;
    }
    char payload[kPayloadSize];
    for (int i = 0; i < kPayloadSize; ++i)
        payload[i] = char('a' + i % 23);
    // Room for one reply with its data and an ICMP error message.
    alignas(ICMP_ECHO_REPLY) char replies[sizeof(ICMP_ECHO_REPLY) + kPayloadSize + 8 + 64];
    const IPAddr to = target;
    const DWORD n = IcmpSendEcho2(icmp, nullptr, nullptr, nullptr, to, payload, WORD(kPayloadSize), nullptr, replies,
                                  DWORD(sizeof replies), DWORD(timeoutMs));
    const DWORD err = n ? 0 : GetLastError();
    IcmpCloseHandle(icmp);
    DWORD status = err;
    if (n != 0) {
        const auto* reply = reinterpret_cast<const ICMP_ECHO_REPLY*>(replies);
        if (reply->Status == IP_SUCCESS) {
            if (reply->DataSize > 0)
                outcome.result = IEchoClient::Reply;
            return;
        }
        status = reply->Status;
    }
    if (isNoReply(status))
        return;
    outcome.result = IEchoClient::Error;
    outcome.error = status >= IP_STATUS_BASE && status <= IP_STATUS_BASE + 255 ? ipStatusMessage(status)
                                                                                : WindowsErrorText(status);
}

// The service's call on a thread of its own, its outcome handed back to the
// event loop.  The service ends the request at its time-out; the grace only
// keeps a service that is late from holding the ping.  A call given up on
// runs to its end on its thread, its outcome dropped.
class EchoWait : public QObject {
public:
    EchoWait(quint32 target, int timeoutMs, IEchoClient::Done done)
        : m_done(std::move(done))
    {
        auto outcome = std::make_shared<Outcome>();
        m_call = std::make_unique<ThreadedCall>([outcome, target, timeoutMs] { sendAndWait(target, timeoutMs, *outcome); },
                                                [this, outcome] { report(outcome->result, outcome->error); });
        m_limit.setSingleShot(true);
        connect(&m_limit, &QTimer::timeout, this, [this] { report(IEchoClient::Timeout, QString()); });
        m_limit.start(timeoutMs + kServiceGraceMs);
    }

private:
    // Once: whatever comes after the outcome is ignored.
    void report(IEchoClient::Result result, const QString& error)
    {
        m_limit.stop();
        IEchoClient::Done done = std::move(m_done);
        m_done = nullptr;
        if (done)
            done(result, error);
    }

    IEchoClient::Done m_done;
    std::unique_ptr<ThreadedCall> m_call;
    QTimer m_limit;
};

} // namespace

std::unique_ptr<QObject> StartOneEcho(quint32 target, int timeoutMs, quint16 sequence, IEchoClient::Done done)
{
    Q_UNUSED(sequence); // the ICMP service numbers its own requests
    return std::make_unique<EchoWait>(target, timeoutMs, std::move(done));
}

} // namespace kv
