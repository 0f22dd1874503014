#include "update/ProgramStarter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QProcess>
#include <QThread>

#ifndef Q_OS_WIN
#include <cerrno>
#include <signal.h>
#endif

namespace kv {

namespace {

// Drops user input to every object while it is installed.
class InputBlocker : public QObject {
public:
    bool eventFilter(QObject*, QEvent* e) override
    {
        switch (e->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
        case QEvent::TabletMove:
        case QEvent::Drop:
        case QEvent::Close: // the close box of a window
            return true;
        default:
            return false;
        }
    }
};

void waitStep(int ms)
{
    QThread::msleep(ulong(ms));
    if (QCoreApplication::instance())
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}

} // namespace

bool ProcessIsRunning(qint64 pid)
{
    if (pid <= 0)
        return false;
#ifdef Q_OS_WIN
    Q_UNUSED(pid);
    return false;
#else
    if (::kill(pid_t(pid), 0) != 0 && errno == ESRCH)
        return false;
    // A process that ended stays a zombie until its parent reaps it; where
    // nobody reaps (a container without a proper init) it must not look as
    // if it ran on.
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (stat.open(QIODevice::ReadOnly)) {
        const QByteArray line = stat.readAll();
        const int close = line.lastIndexOf(')');
        if (close >= 0 && close + 2 < line.size() && (line[close + 2] == 'Z' || line[close + 2] == 'X'))
            return false;
    }
    return true;
#endif
}

void ProcessStarter::Start_Program(const QString& program, const QString& parameters, bool hidden, int limitMs)
{
    Q_UNUSED(hidden); // the program decides how to show itself on this platform
    m_lastPid = 0;
    QProcess process;
    process.setProgram(program);
    process.setArguments(QProcess::splitCommand(parameters));
    qint64 pid = 0;
    if (!process.startDetached(&pid) || pid <= 0)
        return; // a failed start is not reported

    m_lastPid = pid;
    InputBlocker blocker;
    QCoreApplication* app = QCoreApplication::instance();
    if (app)
        app->installEventFilter(&blocker);
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        if (!ProcessIsRunning(pid)) {
            waitStep(10);
            break;
        }
        if (clock.elapsed() >= limitMs)
            break; // it goes on running on its own
        waitStep(10);
    }
    if (app)
        app->removeEventFilter(&blocker);
}

} // namespace kv
