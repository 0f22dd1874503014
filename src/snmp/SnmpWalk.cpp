#include "snmp/SnmpWalk.h"

#include <QElapsedTimer>
#include <QMetaObject>
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
    if (m_shared)
        m_shared->cancelled = true;
    join();
}

void SnmpWalk::join()
{
    if (m_thread.joinable())
        m_thread.join();
}

void SnmpWalk::start(const SnmpTarget& target, const QString& startOid, int maxObjects, int maxMs, int bulk)
{
    cancel();
    join();
    m_shared = std::make_shared<Shared>();
    const int generation = ++m_generation;
    m_count = 0;
    m_running = true;
    const std::shared_ptr<Shared> shared = m_shared;
    ISnmpClient* client = &m_client;
    m_thread = std::thread([=] {
        QElapsedTimer clock;
        clock.start();
        QString from = startOid;
        int count = 0;
        for (;;) {
            if (shared->cancelled)
                return;
            if (clock.elapsed() >= maxMs) {
                QMetaObject::invokeMethod(this, [=] { ended(TimeLimit, generation); }, Qt::QueuedConnection);
                return;
            }
            const SnmpNextStep step = client->next(target, from, target.version == 1 ? 1 : bulk);
            if (shared->cancelled)
                return;
            if (step.status != SnmpNextStep::Objects) {
                const End end = step.status == SnmpNextStep::EndOfView ? Complete : NoAnswer;
                QMetaObject::invokeMethod(this, [=] { ended(end, generation); }, Qt::QueuedConnection);
                return;
            }
            QVector<SnmpObject> batch;
            bool over = false;
            End end = Complete;
            for (SnmpObject o : step.objects) {
                if (!OidWithin(o.oid, startOid)) {
                    over = true;
                    break;
                }
                if (!OidBefore(from, o.oid)) {
                    over = true;
                    end = NotIncreasing;
                    break;
                }
                o.name = client->objectName(o.oid);
                from = o.oid;
                batch << o;
                if (++count >= maxObjects) {
                    over = true;
                    end = ObjectLimit;
                    break;
                }
            }
            if (!batch.isEmpty())
                QMetaObject::invokeMethod(this, [=] { arrived(batch, generation); }, Qt::QueuedConnection);
            if (over) {
                QMetaObject::invokeMethod(this, [=] { ended(end, generation); }, Qt::QueuedConnection);
                return;
            }
        }
    });
}

void SnmpWalk::cancel()
{
    if (!m_running)
        return;
    m_shared->cancelled = true;
    ++m_generation;
    m_running = false;
    emit finished(Cancelled);
}

void SnmpWalk::arrived(const QVector<SnmpObject>& objects, int generation)
{
    if (generation != m_generation || !m_running)
        return;
    m_count += int(objects.size());
    emit found(objects);
}

void SnmpWalk::ended(End end, int generation)
{
    if (generation != m_generation || !m_running)
        return;
    m_running = false;
    emit finished(end);
}

} // namespace kv
