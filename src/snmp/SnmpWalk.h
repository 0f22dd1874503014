#pragma once
#include <QObject>
#include <QVector>

#include "snmp/SnmpClient.h"

#include <atomic>
#include <memory>
#include <thread>

namespace kv {

// Walks an agent's objects from a start OID, on a thread of its own, within
// the subtree of the start (the start's own object included when it has one
// below it, as a walk does).  Objects arrive in batches through found, in the
// caller's thread; finished follows the last with the reason the walk ended.
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
    };
    Q_ENUM(End)

    explicit SnmpWalk(ISnmpClient& client, QObject* parent = nullptr);
    // Waits for a request still out (at most its time-out and retries).
    ~SnmpWalk() override;

    // startOid: digits and dots.  GETNEXT for SNMPv1, GETBULK (bulk objects
    // at a time) for SNMPv2c.
    void start(const SnmpTarget& target, const QString& startOid, int maxObjects = 10000, int maxMs = 30000,
               int bulk = 25);
    // Nothing more arrives; a request still out is dropped when it ends.
    void cancel();
    bool running() const { return m_running; }
    int count() const { return m_count; }

signals:
    void found(const QVector<kv::SnmpObject>& objects);
    void finished(kv::SnmpWalk::End end);

private:
    struct Shared {
        std::atomic<bool> cancelled{false};
    };
    void arrived(const QVector<kv::SnmpObject>& objects, int generation);
    void ended(End end, int generation);
    void join();

    ISnmpClient& m_client;
    std::thread m_thread;
    std::shared_ptr<Shared> m_shared;
    int m_generation = 0;
    int m_count = 0;
    bool m_running = false;
};

// Numeric OIDs in the agents' order: true when a comes before b.
bool OidBefore(const QString& a, const QString& b);
// True when oid lies below (or is) root: "1.3.6.1.2" holds "1.3.6.1.2.1" but not "1.3.6.1.20".
bool OidWithin(const QString& oid, const QString& root);

} // namespace kv

Q_DECLARE_METATYPE(kv::SnmpObject)
