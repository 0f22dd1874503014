#include "update/PingJob.h"

namespace kv {

PingJob::PingJob(IEchoClient& echo, QObject* parent)
    : QObject(parent)
    , m_echo(echo)
{
    m_pause.setSingleShot(true);
    m_pause.setTimerType(Qt::PreciseTimer);
    connect(&m_pause, &QTimer::timeout, this, &PingJob::pauseOver);
}

PingJob::~PingJob()
{
    stop();
}

void PingJob::start(const QString& host)
{
    stop();
    m_host = host;
    m_error.clear();
    m_replies = 0;
    m_lastReplied = false;
    m_running = true;
    m_clock.start();
    sendEcho();
}

void PingJob::stop()
{
    if (!m_running)
        return;
    m_running = false;
    m_pause.stop();
    m_echo.cancel();
}

void PingJob::sendEcho()
{
    m_echo.start(m_host, EchoTimeoutMs, [this](IEchoClient::Result r, const QString& e) { echoDone(r, e); });
}

void PingJob::echoDone(IEchoClient::Result result, const QString& error)
{
    if (!m_running)
        return;
    if (result == IEchoClient::Error) {
        m_error = error;
        end(false);
        return;
    }
    m_lastReplied = result == IEchoClient::Reply;
    emit echoed(result);
    // A short pause between the echoes, so that a device that answers at
    // once is not flooded.
    if (m_running)
        m_pause.start(PauseMs);
}

void PingJob::pauseOver()
{
    if (m_lastReplied && ++m_replies >= RepliesWanted)
        end(true);
    else if (m_clock.elapsed() > BudgetMs)
        end(m_lastReplied);
    else
        sendEcho();
}

void PingJob::end(bool found)
{
    m_running = false;
    emit finished(found);
}

} // namespace kv
