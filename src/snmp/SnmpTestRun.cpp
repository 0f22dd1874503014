#include "snmp/SnmpTestRun.h"

#include <QMetaObject>
#include <QPointer>
#include <QRunnable>
#include <QThreadPool>

namespace kv {

SnmpTestRun::SnmpTestRun(ISnmpClient& client, int inFlight, QObject* parent)
    : QObject(parent)
    , m_client(client)
    , m_pool(std::make_unique<QThreadPool>())
    , m_cancelled(std::make_shared<std::atomic<bool>>(false))
{
    m_pool->setMaxThreadCount(inFlight);
}

SnmpTestRun::~SnmpTestRun()
{
    cancel();
    m_pool->waitForDone(); // requests out end within their time-out
}

void SnmpTestRun::start(const QVector<SnmpRequest>& rows, const QVector<int>& numbers, int timeoutMs,
                        const LangTable& lang)
{
    cancel();
    m_cancelled = std::make_shared<std::atomic<bool>>(false);
    const int generation = ++m_generation;
    m_running = true;
    m_pending = int(rows.size());
    QVector<SnmpRowResult> settled;
    for (int i = 0; i < rows.size(); ++i) {
        SnmpRowResult r;
        r.plan = PlanRowTest(rows[i], numbers.value(i, i + 1), lang);
        if (r.plan.verdict != SnmpVerdict::Fits) {
            r.verdict = r.plan.verdict;
            settled << r;
            continue;
        }
        const SnmpRequest request = rows[i];
        const SnmpTarget target{r.plan.agent, r.plan.version, r.plan.community, timeoutMs, 1};
        QPointer<SnmpTestRun> self(this);
        const std::shared_ptr<std::atomic<bool>> cancelled = m_cancelled;
        ISnmpClient* client = &m_client;
        m_pool->start(QRunnable::create([=]() mutable {
            if (*cancelled)
                return;
            r.answer = client->get(target, r.plan.oid);
            r.verdict = JudgeAnswer(request, r.answer, &r.needed);
            if (*cancelled || !self)
                return;
            QMetaObject::invokeMethod(self, [self, r, generation] {
                if (self)
                    self->arrived(r, generation);
            }, Qt::QueuedConnection);
        }));
    }
    for (const SnmpRowResult& r : settled) {
        QMetaObject::invokeMethod(this, [this, r, generation] { arrived(r, generation); }, Qt::QueuedConnection);
    }
    if (rows.isEmpty())
        QMetaObject::invokeMethod(this, [this, generation] {
            if (generation == m_generation && m_running) {
                m_running = false;
                emit done();
            }
        }, Qt::QueuedConnection);
}

void SnmpTestRun::cancel()
{
    if (!m_running)
        return;
    *m_cancelled = true;
    m_pool->clear();
    m_running = false;
    ++m_generation;
    emit done();
}

bool SnmpTestRun::busy() const
{
    return m_pool->activeThreadCount() > 0;
}

void SnmpTestRun::arrived(const SnmpRowResult& result, int generation)
{
    if (generation != m_generation || !m_running)
        return;
    emit rowTested(result);
    if (--m_pending == 0) {
        m_running = false;
        emit done();
    }
}

} // namespace kv
