#include "update/IcmpEcho.h"

// PLACEHOLDER: written by the device-update work.
namespace kv {

IEchoClient::Result IcmpEchoClient::echo(const QString&, int, QString* error)
{
    if (error)
        *error = QStringLiteral("not built yet");
    return Error;
}

} // namespace kv
