#include "update/ProgramStarter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QProcess>
#include <QThread>


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

void ProcessStarter::Start_Program(const QString& program, const QString& parameters, bool hidden, int limitMs)
{
    Q_UNUSED(hidden); // the program decides how to show itself on this platform
    m_lastPid = 0;
    QProcess start;
    start.setProgram(program);
    start.setArguments(QProcess::splitCommand(parameters));
    qint64 pid = 0;
    if (!start.startDetached(&pid) || pid <= 0)
        return; // a failed start is not reported

    m_lastPid = pid;
    const ProcessWatch process(pid);
    InputBlocker blocker;
    QCoreApplication* app = QCoreApplication::instance();
    if (app)
        app->installEventFilter(&blocker);
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        if (!process.running()) {
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
