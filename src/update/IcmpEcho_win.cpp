#include "update/IcmpEcho.h"

// winsock2 before windows.h, as the Windows headers require.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <iphlpapi.h>
#include <icmpapi.h>

#include <cstring>
#include <memory>
#include <mutex>

namespace kv {

namespace {

constexpr int kPayloadSize = 32;
// How long past its time-out the ICMP service may take to answer.
constexpr int kServiceGraceMs = 1000;

QString systemMessage(DWORD code)
{
    wchar_t* text = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM
                                       | FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    QString message = n ? QString::fromWCharArray(text, int(n)).trimmed() : QStringLiteral("error %1").arg(code);
    if (text)
        LocalFree(text);
    return message;
}

// The name service of Windows needs its socket library started once.
bool startSockets(QString* reason)
{
    static std::once_flag once;
    static int rc = 0;
    std::call_once(once, [] {
        WSADATA data;
        rc = WSAStartup(MAKEWORD(2, 2), &data);
    });
    if (rc != 0 && reason)
        *reason = systemMessage(DWORD(rc));
    return rc == 0;
}

} // namespace

bool LookupIPv4Blocking(const std::string& name, quint32& address, QString* reason)
{
    if (!startSockets(reason))
        return false;
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
        *reason = systemMessage(DWORD(rc));
    return rc == 0;
}

// One echo through the system's ICMP service, which needs no privileges.
// The service's call blocks until the reply or its time-out, so it runs on a
// thread of its own (its buffers with it) while the event loop runs here.
IEchoClient::Result SendOneEcho(quint32 target, int timeoutMs, quint16 sequence, QString* error)
{
    Q_UNUSED(sequence); // the ICMP service numbers its own requests
    struct Outcome {
        IEchoClient::Result result = IEchoClient::Timeout;
        QString error;
    };
    auto outcome = std::make_shared<Outcome>();
    const auto sendAndWait = [outcome, target, timeoutMs] {
        const HANDLE icmp = IcmpCreateFile();
        if (icmp == INVALID_HANDLE_VALUE) {
            outcome->result = IEchoClient::Error;
            outcome->error = QStringLiteral("No ICMP service: %1").arg(systemMessage(GetLastError()));
            return;
        }
        char payload[kPayloadSize];
        for (int i = 0; i < kPayloadSize; ++i)
            payload[i] = char('a' + i % 23);
        // Room for one reply with its data and an ICMP error message.
        alignas(ICMP_ECHO_REPLY) char replies[sizeof(ICMP_ECHO_REPLY) + kPayloadSize + 8 + 64];
        IPAddr to = target;
        const DWORD n = IcmpSendEcho2(icmp, nullptr, nullptr, nullptr, to, payload, WORD(kPayloadSize), nullptr,
                                      replies, DWORD(sizeof replies), DWORD(timeoutMs));
        const DWORD err = n ? 0 : GetLastError();
        IcmpCloseHandle(icmp);
        if (n == 0) {
            // Time-outs and unreachable reports alike mean no reply came;
            // only a request that could not be sent is an error.
            if (err == IP_REQ_TIMED_OUT || (err >= IP_STATUS_BASE && err <= IP_STATUS_BASE + 50))
                return;
            outcome->result = IEchoClient::Error;
            outcome->error = systemMessage(err);
            return;
        }
        const auto* reply = reinterpret_cast<const ICMP_ECHO_REPLY*>(replies);
        if (reply->Status == IP_SUCCESS && reply->DataSize > 0)
            outcome->result = IEchoClient::Reply;
    };
    // The service ends the request at its time-out; the grace only keeps a
    // service that is late from holding the window.
    if (!WaitInEventLoop(sendAndWait, timeoutMs + kServiceGraceMs))
        return IEchoClient::Timeout;
    if (outcome->result == IEchoClient::Error && error)
        *error = outcome->error;
    return outcome->result;
}

} // namespace kv
