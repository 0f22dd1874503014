#pragma once
#include <QString>

#include "documents/SnmpRowTest.h"

#include <memory>

namespace kv {

// Where and how one request goes.
struct SnmpTarget {
    QString agent;     // IPv4 address text
    int version = 2;   // 1 (SNMPv1) or 2 (SNMPv2c)
    QString community;
    int timeoutMs = 1000;
    int retries = 1;
};

// Reads objects from SNMP agents.  get() blocks until the agent answers or
// the time-out and retries have passed; several threads may call it at once.
class ISnmpClient {
public:
    virtual ~ISnmpClient() = default;
    // False when requests cannot be sent at all, with the reason.
    virtual bool available(QString* why) const = 0;
    virtual SnmpAnswer get(const SnmpTarget& target, const QString& oid) = 0;
};

// The client of this platform's SNMP library (or one that says why there is none).
std::unique_ptr<ISnmpClient> MakeSnmpClient();

} // namespace kv
