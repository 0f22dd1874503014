#include "common/AtomicFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

namespace kv {

namespace {

WriteStepObserver g_observer = nullptr;
void* g_observerContext = nullptr;

const QString kTemporaryMark = QStringLiteral(".kvtmp.");

// "<pid>.<hex>" after the mark, as TemporaryFileFor writes it; the pid.
bool temporarySuffix(const QString& suffix, qint64& pid)
{
    const qsizetype dot = suffix.indexOf(QLatin1Char('.'));
    if (dot < 1 || dot > 19 || dot + 1 >= suffix.size() || suffix.size() - dot - 1 > 16)
        return false;
    for (qsizetype i = 0; i < suffix.size(); ++i) {
        const QChar c = suffix.at(i);
        const bool digit = c >= QLatin1Char('0') && c <= QLatin1Char('9');
        const bool hex = digit || (c >= QLatin1Char('a') && c <= QLatin1Char('f'));
        if (i < dot ? !digit : (i > dot && !hex))
            return false;
    }
    bool ok = false;
    pid = suffix.left(dot).toLongLong(&ok);
    return ok && pid > 0;
}

} // namespace

QString TemporaryFileFor(const QString& path)
{
    return path + kTemporaryMark + QString::number(QCoreApplication::applicationPid()) + QLatin1Char('.')
        + QString::number(QRandomGenerator::global()->generate(), 16);
}

void RemoveLeftTemporaries(const QString& path)
{
    const QFileInfo target(path);
    const QString prefix = target.fileName() + kTemporaryMark;
    QDir folder = target.absoluteDir();
    // The name filter only narrows the listing; the exact test is below (a
    // target's name may hold wildcard characters).
    const QStringList names =
        folder.entryList({QStringLiteral("*.kvtmp.*")}, QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        qint64 pid = 0;
        if (!name.startsWith(prefix) || !temporarySuffix(name.mid(prefix.size()), pid) || WriterProcessRuns(pid))
            continue;
        folder.remove(name); // a file that cannot go now goes at a later write
    }
}

void ReachedWriteStep(WriteStep step)
{
    if (g_observer)
        g_observer(step, g_observerContext);
}

void SetWriteStepObserver(WriteStepObserver observer, void* context)
{
    g_observer = observer;
    g_observerContext = context;
}

} // namespace kv
