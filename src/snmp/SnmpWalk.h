#pragma once
#include <QObject>
#include <QVector>

#include "snmp/SnmpClient.h"

#include <QElapsedTimer>

namespace kv {

// Walks an agent's objects from a start OID, one request at a time, within
// the subtree of the start (the start's own object included when it has one
// below it, as a walk does).  Objects arrive in batches through found;
// finished follows the last with the reason the walk ended.  Each value
// kept is cut to a few hundred bytes by the client, and the object limit
// holds the values kept below 16 MB.
class SnmpWalk : public QObject {
    Q_OBJECT
public:
    enum End {
        Complete,    // the subtree is done
        ObjectLimit, // maxObjects found
        TimeLimit,   // maxMs passed
        NoAnswer,    // the agent did not answer (wrong address or community, or it is down)
        NotIncreasing, // the agent answered with an OID not after the last: it would never end
        Cancelled,
        AgentError,  // the agent answered with an error status (error() says which)
    };
    Q_ENUM(End)

    explicit SnmpWalk(ISnmpClient& client, QObject* parent = nullptr);
    ~SnmpWalk() override;

    // The most objects a walk lists: a value kept is at most 256 bytes
    // (printed as hex, under 800 characters), so their values stay below 16 MB.
    static constexpr int MaxObjects = 10000;

    // startOid: digits and dots.  GETNEXT for SNMPv1, GETBULK (bulk objects
    // at a time) for SNMPv2c.
    void start(const SnmpTarget& target, const QString& startOid, int maxObjects = 10000, int maxMs = 30000,
               int bulk = 25);
    // Nothing more arrives; the request out is dropped.
    void cancel();
    bool running() const { return m_running; }
    int count() const { return m_count; }
    // The library's text for the error status that ended the walk (AgentError).
    QString error() const { return m_error; }

signals:
    void found(const QVector<kv::SnmpObject>& objects);
    void finished(kv::SnmpWalk::End end);

private:
    void ask();
    void stepped(const SnmpNextStep& step);
    void ended(End end);

    ISnmpClient& m_client;
    SnmpTarget m_target;
    QString m_start;
    QString m_from; // the last object found
    int m_maxObjects = 0;
    int m_maxMs = 0;
    int m_bulk = 1;
    QElapsedTimer m_clock;
    quint64 m_request = 0;
    bool m_asking = false;
    int m_generation = 0; // one more with each start and cancel
    int m_count = 0;
    bool m_running = false;
    QString m_error;
};

// Numeric OIDs in the agents' order: true when a comes before b.
bool OidBefore(const QString& a, const QString& b);
// True when oid lies below (or is) root: "1.3.6.1.2" holds "1.3.6.1.2.1" but not "1.3.6.1.20".
bool OidWithin(const QString& oid, const QString& root);

} // namespace kv

Q_DECLARE_METATYPE(kv::SnmpObject)
