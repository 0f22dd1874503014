#pragma once
#include <QHash>
#include <QObject>
#include <QVector>

#include "requests/SnmpRowTest.h"
#include "snmp/SnmpClient.h"

#include <deque>

namespace kv {

// The outcome for one row of a test run.
struct SnmpRowResult {
    SnmpRowPlan plan;
    SnmpAnswer answer;       // when the row was sent
    SnmpVerdict verdict = SnmpVerdict::NotTestable;
    int needed = 0;          // bytes the value needs (answered rows)
    int mayNeed = 0;         // bytes every value of the object needs (0: unknown)
    SnmpObjectBounds object; // what the loaded MIB modules say about the row's object
    bool notAsked = false;   // NoAnswer without a request: its agent answered none of its first ones
};

// Tests rows against their agents, every agent at once and each gently: at
// most perAgent requests out to an agent's address at a time.  Rows of an
// agent (its version and community) that has answered none of its requests
// once one of them has timed out after its retry take no-answer without
// being sent: a silent agent costs one round of time-outs, not one for each
// few of its rows.  Results arrive through rowTested as they come; done
// follows the last, or Cancel.
class SnmpTestRun : public QObject {
    Q_OBJECT
public:
    explicit SnmpTestRun(ISnmpClient& client, int perAgent = 4, QObject* parent = nullptr);
    ~SnmpTestRun() override;

    // rows[i] is table row numbers[i].
    void start(const QVector<SnmpRequest>& rows, const QVector<int>& numbers, int timeoutMs, const LangTable& lang);
    // Nothing more is sent, and the answers to requests out are dropped.
    void cancel();
    bool running() const { return m_running; }
    // Requests out (none once cancelled).
    bool busy() const { return !m_out.isEmpty(); }

signals:
    void rowTested(const kv::SnmpRowResult& result);
    void done();

private:
    struct Row {
        SnmpRowResult result;
        SnmpRequest request;
        SnmpTarget target;
    };
    // The state of one agent, version and community.
    struct Heard {
        bool answered = false; // some request of it had an answer
        bool silent = false;   // one timed out, and none had an answer
    };
    static QString sessionKey(const SnmpTarget& target);
    void startAgents(QStringList agents, int generation);
    void pump(const QString& agent);
    void finish(const SnmpRowResult& result);

    ISnmpClient& m_client;
    int m_perAgent;
    int m_generation = 0;
    int m_pending = 0;
    bool m_running = false;
    QHash<QString, std::deque<Row>> m_waiting; // by agent address, in row order
    QHash<QString, int> m_outPerAgent;
    QHash<QString, Heard> m_heard;           // by sessionKey
    QHash<quint64, QString> m_out;           // request id -> agent address
};

} // namespace kv

Q_DECLARE_METATYPE(kv::SnmpRowResult)
