#pragma once
// Resident memory of this process as Linux counts it: the peak since the last
// reset, and the present figure.  Elsewhere both are -1.
#include <QByteArray>
#include <QFile>

namespace PeakMemory {

inline double statusMB(const char* key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(int(qstrlen(key))).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return -1;
}

// Starts a new peak at the present figure.
inline void reset()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

inline double peakMB()
{
    return statusMB("VmHWM:");
}

inline double residentMB()
{
    return statusMB("VmRSS:");
}

} // namespace PeakMemory
