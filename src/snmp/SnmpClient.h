#pragma once
#include <QString>
#include <QVector>

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

// One object of an agent, as a walk finds it.
struct SnmpObject {
    QString oid;      // numeric, dotted
    QString name;     // from the system's MIB files ("SNMPv2-MIB::sysDescr.0"), or empty
    SnmpAnswer value; // type and value (status Value)
};

// One step of a walk.
struct SnmpNextStep {
    enum Status { Objects, EndOfView, NoAnswer };
    Status status = NoAnswer;
    QVector<SnmpObject> objects; // in the agent's order, names not yet filled
};

// Reads objects from SNMP agents.  get() blocks until the agent answers or
// the time-out and retries have passed; several threads may call it at once.
class ISnmpClient {
public:
    virtual ~ISnmpClient() = default;
    // False when requests cannot be sent at all, with the reason.
    virtual bool available(QString* why) const = 0;
    virtual SnmpAnswer get(const SnmpTarget& target, const QString& oid) = 0;
    // The objects that follow `from` in the agent's order: one (GETNEXT) for
    // SNMPv1, up to `count` (GETBULK) for SNMPv2c.  EndOfView when none follows.
    virtual SnmpNextStep next(const SnmpTarget& target, const QString& from, int count)
    {
        Q_UNUSED(target) Q_UNUSED(from) Q_UNUSED(count) return {};
    }
    // The name the system's MIB files give a numeric OID, or an empty text.
    // The MIB files are read at the first call.
    virtual QString objectName(const QString& oid)
    {
        Q_UNUSED(oid) return {};
    }
};

// The client of this platform's SNMP library (or one that says why there is none).
std::unique_ptr<ISnmpClient> MakeSnmpClient();

} // namespace kv
