#include "update/IcmpEcho.h"

// winsock2 before windows.h, as the Windows headers require.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <iphlpapi.h>
#include <icmpapi.h>

#include <QEventLoop>
#include <QTimer>
#include <QWinEventNotifier>

#include <cstring>
#include <memory>
#include <mutex>

namespace kv {

namespace {

constexpr int kPayloadSize = 32;
// How long past its time-out the ICMP service may take to signal.
constexpr int kServiceGraceMs = 1000;

struct EchoReplies {
    alignas(ICMP_ECHO_REPLY) char bytes[sizeof(ICMP_ECHO_REPLY) + kPayloadSize + 8 + 64];
};

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
// The request runs in the service; its event is waited for in the event loop,
// so the window keeps painting and answering meanwhile.
IEchoClient::Result SendOneEcho(quint32 target, int timeoutMs, quint16 sequence, QString* error)
{
    Q_UNUSED(sequence); // the ICMP service numbers its own requests
    const HANDLE icmp = IcmpCreateFile();
    if (icmp == INVALID_HANDLE_VALUE) {
        if (error)
            *error = QStringLiteral("No ICMP service: %1").arg(systemMessage(GetLastError()));
        return IEchoClient::Error;
    }
    const HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!done) {
        if (error)
            *error = QStringLiteral("No ICMP service: %1").arg(systemMessage(GetLastError()));
        IcmpCloseHandle(icmp);
        return IEchoClient::Error;
    }
    char payload[kPayloadSize];
    for (int i = 0; i < kPayloadSize; ++i)
        payload[i] = char('a' + i % 23);
    // The service writes the reply here until it signals done: room for one
    // reply with its data and an ICMP error message.
    auto replies = std::make_unique<EchoReplies>();
    IPAddr to = target;
    DWORD n = IcmpSendEcho2(icmp, done, nullptr, nullptr, to, payload, WORD(kPayloadSize), nullptr, replies->bytes,
                            DWORD(sizeof replies->bytes), DWORD(timeoutMs));
    DWORD err = n ? 0 : GetLastError();
    if (n == 0 && err == ERROR_IO_PENDING) {
        QEventLoop loop;
        QWinEventNotifier signalled(done);
        QObject::connect(&signalled, &QWinEventNotifier::activated, &loop, &QEventLoop::quit);
        // The service ends the request at its time-out; this limit only keeps
        // a service that never signals from holding the window.
        QTimer limit;
        limit.setSingleShot(true);
        QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
        limit.start(timeoutMs + kServiceGraceMs);
        if (WaitForSingleObject(done, 0) != WAIT_OBJECT_0)
            loop.exec();
        signalled.setEnabled(false);
        // Ended early (the program is quitting) or the service is late: the
        // buffer is the service's until it signals.
        if (WaitForSingleObject(done, kServiceGraceMs) != WAIT_OBJECT_0) {
            (void)replies.release(); // left to the service, never freed under it
            return IEchoClient::Timeout;
        }
        n = IcmpParseReplies(replies->bytes, DWORD(sizeof replies->bytes));
        err = n ? 0 : GetLastError();
    }
    CloseHandle(done);
    IcmpCloseHandle(icmp);
    if (n == 0) {
        // Time-outs and unreachable reports alike mean no reply came; only a
        // request that could not be sent is an error.
        if (err == IP_REQ_TIMED_OUT || (err >= IP_STATUS_BASE && err <= IP_STATUS_BASE + 50))
            return IEchoClient::Timeout;
        if (error)
            *error = systemMessage(err);
        return IEchoClient::Error;
    }
    const auto* reply = reinterpret_cast<const ICMP_ECHO_REPLY*>(replies->bytes);
    return reply->Status == IP_SUCCESS && reply->DataSize > 0 ? IEchoClient::Reply : IEchoClient::Timeout;
}

} // namespace kv
