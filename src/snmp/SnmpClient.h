#pragma once
#include <QString>
#include <QVector>

#include "requests/SnmpRowTest.h"

#include <functional>
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
    QString name;     // from the loaded MIB modules ("SNMPv2-MIB::sysDescr", "IF-MIB::ifDescr.2"), or empty
    SnmpAnswer value; // type and value (status Value)
};

// One step of a walk.
struct SnmpNextStep {
    enum Status { Objects, EndOfView, NoAnswer, AgentError };
    Status status = NoAnswer;
    QVector<SnmpObject> objects; // in the agent's order, names not yet filled
    QString error;               // AgentError: the library's text for the agent's error status
};

// One request: a GET of one object, or the objects after one (GETNEXT for
// SNMPv1, GETBULK of `count` for SNMPv2c).
struct SnmpQuery {
    enum Kind { Get, Next };
    Kind kind = Get;
    SnmpTarget target;
    QString oid; // digits and dots
    int count = 1;
};

// What came back for a query: answer for a Get, step for a Next.
struct SnmpReply {
    SnmpAnswer answer;
    SnmpNextStep step;
};

using SnmpReplyHandler = std::function<void(const SnmpReply&)>;

// Sends requests to SNMP agents without waiting for them.  All calls come
// from one thread, the one that sends the first request; each handler is
// called once, later (never inside send), on that thread, unless the
// request was cancelled first.
class ISnmpClient {
public:
    virtual ~ISnmpClient() = default;
    // False when requests cannot be sent at all, with the reason.
    virtual bool available(QString* why) const = 0;
    // Sends the query; the id for cancel().
    virtual quint64 send(const SnmpQuery& query, SnmpReplyHandler handler) = 0;
    // The request's handler is not called; an unknown or finished id is ignored.
    virtual void cancel(quint64 id) = 0;
    // The name the loaded MIB modules give the object of a numeric OID
    // (MODULE::name, or MODULE::name.index), or an empty text.
    virtual QString objectName(const QString& oid)
    {
        Q_UNUSED(oid) return {};
    }
    // What the loaded MIB modules say about the object of a numeric OID.
    virtual SnmpObjectBounds objectBounds(const QString& oid)
    {
        Q_UNUSED(oid) return {};
    }
};

// Sends one query and runs a local event loop until its reply: for tools and
// tests that ask one thing at a time.
SnmpReply SnmpAskAndWait(ISnmpClient& client, const SnmpQuery& query);

// The client of this platform's SNMP library (or one that says why there is none).
std::unique_ptr<ISnmpClient> MakeSnmpClient();

} // namespace kv
