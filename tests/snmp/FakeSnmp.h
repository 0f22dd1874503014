#pragma once
// A base for fake SNMP clients in tests and benchmarks: a fake says what an
// agent answers in get() and next(), as if it blocked for the answer, and
// this base runs each request on a pool thread and hands the reply to the
// sender's thread, as the real client does.  Nothing goes on the network.
#include <QHash>
#include <QMetaObject>
#include <QObject>
#include <QThreadPool>

#include "snmp/SnmpClient.h"

namespace kvtest {

class BlockingFake : public kv::ISnmpClient {
public:
    BlockingFake() { m_pool.setMaxThreadCount(128); }
    // Requests still out end before the fake goes (a fake's get() may still
    // run; a derived fake whose requests can outlive it calls drain() first).
    ~BlockingFake() override { drain(); }
    void drain() { m_pool.waitForDone(); }

    bool available(QString*) const override { return true; }
    virtual kv::SnmpAnswer get(const kv::SnmpTarget&, const QString&) { return {}; }
    virtual kv::SnmpNextStep next(const kv::SnmpTarget&, const QString&, int) { return {}; }

    quint64 send(const kv::SnmpQuery& query, kv::SnmpReplyHandler handler) override
    {
        const quint64 id = ++m_lastId;
        m_handlers.insert(id, std::move(handler));
        m_pool.start([this, id, query] {
            kv::SnmpReply reply;
            if (query.kind == kv::SnmpQuery::Get)
                reply.answer = get(query.target, query.oid);
            else
                reply.step = next(query.target, query.oid, query.count);
            QMetaObject::invokeMethod(&m_context, [this, id, reply] {
                const auto found = m_handlers.find(id);
                if (found == m_handlers.end())
                    return; // cancelled
                const kv::SnmpReplyHandler h = std::move(found.value());
                m_handlers.erase(found);
                h(reply);
            }, Qt::QueuedConnection);
        });
        return id;
    }
    void cancel(quint64 id) override { m_handlers.remove(id); }

private:
    QObject m_context; // lives on the sender's thread
    QHash<quint64, kv::SnmpReplyHandler> m_handlers;
    quint64 m_lastId = 0;
    QThreadPool m_pool; // last: goes first, waiting for what runs
};

} // namespace kvtest
