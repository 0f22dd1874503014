#include "snmp/SnmpTestRun.h"

#include <QMetaObject>
#include <QTimer>

#include <memory>

namespace kv {

SnmpTestRun::SnmpTestRun(ISnmpClient& client, int perAgent, QObject* parent)
    : QObject(parent)
    , m_client(client)
    , m_perAgent(std::max(1, perAgent))
{
}

SnmpTestRun::~SnmpTestRun()
{
    cancel();
}

QString SnmpTestRun::sessionKey(const SnmpTarget& target)
{
    return target.agent + QLatin1Char('/') + QString::number(target.version) + QLatin1Char('/') + target.community;
}

void SnmpTestRun::start(const QVector<SnmpRequest>& rows, const QVector<int>& numbers, int timeoutMs,
                        const LangTable& lang)
{
    cancel();
    const int generation = ++m_generation;
    m_running = true;
    m_pending = int(rows.size());
    m_heard.clear();
    QVector<SnmpRowResult> settled;
    QStringList agents; // in the order of their first row
    for (int i = 0; i < rows.size(); ++i) {
        Row row;
        row.result.plan = PlanRowTest(rows[i], numbers.value(i, i + 1), lang);
        row.result.object = m_client.objectBounds(row.result.plan.oid);
        if (row.result.plan.verdict != SnmpVerdict::Fits) {
            row.result.verdict = row.result.plan.verdict;
            settled << row.result;
            continue;
        }
        row.request = rows[i];
        const SnmpRowPlan& plan = row.result.plan;
        row.target = SnmpTarget{plan.agent, plan.version, plan.community, timeoutMs, 1};
        std::deque<Row>& queue = m_waiting[plan.agent];
        if (queue.empty())
            agents << plan.agent;
        queue.push_back(row);
    }
    // Rows that are not sent arrive first, after the caller has connected.
    QMetaObject::invokeMethod(this, [this, settled, generation] {
        for (const SnmpRowResult& r : settled) {
            if (generation != m_generation || !m_running)
                return;
            finish(r);
        }
    }, Qt::QueuedConnection);
    if (rows.isEmpty()) {
        QMetaObject::invokeMethod(this, [this, generation] {
            if (generation == m_generation && m_running) {
                m_running = false;
                emit done();
            }
        }, Qt::QueuedConnection);
    }
    startAgents(agents, generation);
}

void SnmpTestRun::startAgents(QStringList agents, int generation)
{
    // A few dozen agents at a time: opening their sessions keeps the
    // caller's event loop waiting for a moment each.
    if (generation != m_generation || !m_running)
        return;
    constexpr int kSlice = 32;
    for (int i = 0; i < kSlice && !agents.isEmpty(); ++i)
        pump(agents.takeFirst());
    if (!agents.isEmpty())
        QTimer::singleShot(0, this, [this, agents, generation] { startAgents(agents, generation); });
}

void SnmpTestRun::pump(const QString& agent)
{
    // Looked up again each time: a slot of rowTested may cancel the run.
    while (m_running && m_outPerAgent.value(agent) < m_perAgent) {
        const auto waiting = m_waiting.find(agent);
        if (waiting == m_waiting.end() || waiting->empty())
            break;
        Row row = waiting->front();
        waiting->pop_front();
        const QString key = sessionKey(row.target);
        if (m_heard.value(key).silent) {
            row.result.verdict = SnmpVerdict::NoAnswer;
            row.result.notAsked = true;
            finish(row.result);
            continue;
        }
        ++m_outPerAgent[agent];
        const int generation = m_generation;
        const SnmpQuery query{SnmpQuery::Get, row.target, row.result.plan.oid, 1};
        // The handler runs after send() has returned the request's id.
        const auto sent = std::make_shared<quint64>(0);
        *sent = m_client.send(query, [this, row, key, generation, sent](const SnmpReply& reply) mutable {
            m_out.remove(*sent);
            if (generation != m_generation)
                return;
            const QString agent = row.result.plan.agent;
            --m_outPerAgent[agent];
            Heard& heard = m_heard[key];
            if (reply.answer.status == SnmpAnswer::NoAnswer) {
                heard.silent = !heard.answered;
            } else {
                heard.answered = true;
                heard.silent = false;
            }
            row.result.answer = reply.answer;
            row.result.verdict = JudgeAnswer(row.request, reply.answer, &row.result.needed, row.result.object,
                                             &row.result.mayNeed);
            finish(row.result);
            pump(agent);
        });
        m_out.insert(*sent, agent);
    }
    const auto waiting = m_waiting.find(agent);
    if (waiting != m_waiting.end() && waiting->empty())
        m_waiting.erase(waiting);
}

void SnmpTestRun::finish(const SnmpRowResult& result)
{
    emit rowTested(result);
    if (--m_pending == 0 && m_running) {
        m_running = false;
        emit done();
    }
}

void SnmpTestRun::cancel()
{
    for (auto it = m_out.cbegin(); it != m_out.cend(); ++it)
        m_client.cancel(it.key());
    m_out.clear();
    m_waiting.clear();
    m_outPerAgent.clear();
    if (!m_running)
        return;
    m_running = false;
    ++m_generation;
    emit done();
}

} // namespace kv
