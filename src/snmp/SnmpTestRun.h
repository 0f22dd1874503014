#pragma once
#include <QObject>
#include <QVector>

#include "documents/SnmpRowTest.h"
#include "snmp/SnmpClient.h"

#include <atomic>
#include <memory>

class QThreadPool;

namespace kv {

// The outcome for one row of a test run.
struct SnmpRowResult {
    SnmpRowPlan plan;
    SnmpAnswer answer;       // when the row was sent
    SnmpVerdict verdict = SnmpVerdict::NotTestable;
    int needed = 0;          // bytes the value needs (answered rows)
};

// Tests rows against their agents, a bounded number at a time, each on a
// thread of its own so that the caller's event loop keeps running.  Results
// arrive through rowTested as they come; done follows the last, or Cancel.
class SnmpTestRun : public QObject {
    Q_OBJECT
public:
    explicit SnmpTestRun(ISnmpClient& client, int inFlight = 16, QObject* parent = nullptr);
    ~SnmpTestRun() override;

    // rows[i] is table row numbers[i].
    void start(const QVector<SnmpRequest>& rows, const QVector<int>& numbers, int timeoutMs, const LangTable& lang);
    // Nothing more is sent; requests already out are dropped when they end.
    void cancel();
    bool running() const { return m_running; }
    // Requests still out on a thread; after a cancel they end within their
    // time-out, and destroying the run waits for them.
    bool busy() const;

signals:
    void rowTested(const kv::SnmpRowResult& result);
    void done();

private:
    void arrived(const kv::SnmpRowResult& result, int generation);

    ISnmpClient& m_client;
    std::unique_ptr<QThreadPool> m_pool;
    std::shared_ptr<std::atomic<bool>> m_cancelled;
    int m_generation = 0;
    int m_pending = 0;
    bool m_running = false;
};

} // namespace kv

Q_DECLARE_METATYPE(kv::SnmpRowResult)
