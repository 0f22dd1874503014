#pragma once
// One echo of a client, waited for in an event loop of the test's own: for
// probes (may this user open an ICMP socket?) and measurements.
#include "update/IcmpEcho.h"

#include <QEventLoop>

namespace kvtest {

inline kv::IEchoClient::Result echoOnce(kv::IEchoClient& client, const QString& host, int timeoutMs,
                                        QString* error = nullptr)
{
    kv::IEchoClient::Result result = kv::IEchoClient::Error;
    QEventLoop loop;
    client.start(host, timeoutMs, [&](kv::IEchoClient::Result r, const QString& e) {
        result = r;
        if (error)
            *error = e;
        loop.quit();
    });
    loop.exec();
    return result;
}

} // namespace kvtest
