#include "update/ProgramStarter.h"

#include <QFile>

#include <cerrno>
#include <signal.h>

namespace kv {

ProcessWatch::ProcessWatch(qint64 pid)
    : m_pid(pid)
{
}

ProcessWatch::~ProcessWatch() = default;

bool ProcessWatch::running() const
{
    if (m_pid <= 0)
        return false;
    if (::kill(pid_t(m_pid), 0) != 0 && errno == ESRCH)
        return false;
    // A process that ended stays a zombie until its parent reaps it; where
    // nobody reaps (a container without a proper init) it must not look as
    // if it ran on.
    QFile stat(QStringLiteral("/proc/%1/stat").arg(m_pid));
    if (stat.open(QIODevice::ReadOnly)) {
        const QByteArray line = stat.readAll();
        const int close = line.lastIndexOf(')');
        if (close >= 0 && close + 2 < line.size() && (line[close + 2] == 'Z' || line[close + 2] == 'X'))
            return false;
    }
    return true;
}

bool ProcessIsRunning(qint64 pid)
{
    return ProcessWatch(pid).running();
}

} // namespace kv
