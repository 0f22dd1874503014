#include "snmp/SnmpWalk.h"

#include <QStringList>

#include <algorithm>

namespace kv {

namespace {

QVector<quint64> arcs(const QString& oid)
{
    QVector<quint64> out;
    for (const QString& part : oid.split(QLatin1Char('.')))
        out << part.toULongLong();
    return out;
}

} // namespace

bool OidBefore(const QString& a, const QString& b)
{
    const QVector<quint64> x = arcs(a);
    const QVector<quint64> y = arcs(b);
    return std::lexicographical_compare(x.begin(), x.end(), y.begin(), y.end());
}

bool OidWithin(const QString& oid, const QString& root)
{
    return oid == root || oid.startsWith(root + QLatin1Char('.'));
}

SnmpWalk::SnmpWalk(ISnmpClient& client, QObject* parent)
    : QObject(parent)
    , m_client(client)
{
    qRegisterMetaType<kv::SnmpObject>();
    qRegisterMetaType<QVector<kv::SnmpObject>>();
}

SnmpWalk::~SnmpWalk()
{
    if (m_asking)
        m_client.cancel(m_request);
}

void SnmpWalk::start(const SnmpTarget& target, const QString& startOid, int maxObjects, int maxMs, int bulk)
{
    cancel();
    m_target = target;
    m_start = startOid;
    m_from = startOid;
    m_maxObjects = std::min(maxObjects, int(MaxObjects));
    m_maxMs = maxMs;
    m_bulk = target.version == 1 ? 1 : std::max(1, bulk);
    m_count = 0;
    m_error.clear();
    m_running = true;
    ++m_generation;
    m_clock.start();
    ask();
}

void SnmpWalk::ask()
{
    if (m_clock.elapsed() >= m_maxMs) {
        ended(TimeLimit);
        return;
    }
    m_asking = true;
    m_request = m_client.send(SnmpQuery{SnmpQuery::Next, m_target, m_from, m_bulk}, [this](const SnmpReply& reply) {
        m_asking = false;
        stepped(reply.step);
    });
}

void SnmpWalk::stepped(const SnmpNextStep& step)
{
    // An agent whose answer to a GETBULK of many objects would be too big
    // sends nothing (or says tooBig); one object at a time, as GETNEXT
    // walks, it answers.  So a step asked in bulk is asked again alone
    // before the walk ends; from then on it goes one object at a time.
    const bool tooBig = step.status == SnmpNextStep::AgentError && step.error.contains(QLatin1String("tooBig"));
    if ((step.status == SnmpNextStep::NoAnswer || tooBig) && m_bulk > 1) {
        m_bulk = 1;
        ask();
        return;
    }
    if (step.status == SnmpNextStep::NoAnswer) {
        ended(NoAnswer);
        return;
    }
    if (step.status == SnmpNextStep::EndOfView) {
        ended(Complete);
        return;
    }
    if (step.status == SnmpNextStep::AgentError) {
        m_error = step.error;
        ended(AgentError);
        return;
    }
    QVector<SnmpObject> batch;
    bool over = false;
    End end = Complete;
    for (SnmpObject o : step.objects) {
        if (!OidWithin(o.oid, m_start)) {
            over = true;
            break;
        }
        if (!OidBefore(m_from, o.oid)) {
            over = true;
            end = NotIncreasing;
            break;
        }
        o.name = m_client.objectName(o.oid);
        m_from = o.oid;
        batch << o;
        if (m_count + batch.size() >= m_maxObjects) {
            over = true;
            end = ObjectLimit;
            break;
        }
    }
    if (!batch.isEmpty()) {
        m_count += int(batch.size());
        const int generation = m_generation;
        emit found(batch);
        if (!m_running || generation != m_generation)
            return; // cancelled or started again from a slot
    }
    if (over)
        ended(end);
    else
        ask();
}

void SnmpWalk::cancel()
{
    if (m_asking)
        m_client.cancel(m_request);
    m_asking = false;
    if (!m_running)
        return;
    m_running = false;
    ++m_generation;
    emit finished(Cancelled);
}

void SnmpWalk::ended(End end)
{
    m_running = false;
    emit finished(end);
}

} // namespace kv
