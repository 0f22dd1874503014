#include <QtTest>

#include "update/ProgramStarter.h"

#include <QPushButton>
#include <QTemporaryDir>

#include <signal.h>
#include <unistd.h>

// Start_Program with small shell scripts standing in for the updater.
class TestProgramStarter : public QObject {
    Q_OBJECT
private slots:
    void programThatEndsAtOnce();
    void programThatOutlivesTheLimit();
    void failedStartReturnsAtOnce();
    void userInputIsDroppedWhileWaiting();

private:
    static QString script(const QTemporaryDir& dir, const QByteArray& body)
    {
        const QString path = dir.path() + QStringLiteral("/updater.sh");
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            return QString();
        f.write("#!/bin/sh\n" + body);
        f.close();
        f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        return path;
    }
    static qint64 waitForPidFile(const QString& path)
    {
        QFile f(path);
        for (int i = 0; i < 500 && !(f.exists() && f.size() > 0); ++i)
            QThread::msleep(10);
        if (!f.open(QIODevice::ReadOnly))
            return 0;
        return f.readAll().trimmed().toLongLong();
    }
};

void TestProgramStarter::programThatEndsAtOnce()
{
    QTemporaryDir dir;
    const QString marker = dir.path() + QStringLiteral("/ran");
    const QString program = script(dir, "echo \"$@\" > '" + marker.toUtf8() + "'\n");
    kv::ProcessStarter starter;
    QElapsedTimer clock;
    clock.start();
    // A generous limit: returning well before it means the end was seen.
    starter.Start_Program(program, QStringLiteral("one \"two three\""), false, 60000);
    QVERIFY2(clock.elapsed() < 30000, "waited for the limit although the program had ended");
    QVERIFY(starter.lastPid() > 0);
    QFile f(marker);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("one two three\n"));
}

void TestProgramStarter::programThatOutlivesTheLimit()
{
    QTemporaryDir dir;
    const QString pidFile = dir.path() + QStringLiteral("/pid");
    const QString program = script(dir, "echo $$ > '" + pidFile.toUtf8() + "'\nexec sleep 60\n");
    kv::ProcessStarter starter;
    starter.Start_Program(program, QString(), false, 300);

    const qint64 pid = starter.lastPid();
    QVERIFY(pid > 0);
    QCOMPARE(waitForPidFile(pidFile), pid);
    QVERIFY2(kv::ProcessIsRunning(pid), "the updater must be left running");
    // Detached: not a child of the configurator, so it does not end with it.
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (stat.open(QIODevice::ReadOnly)) {
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        QVERIFY(fields.size() > 1);
        QVERIFY(fields[1].toLongLong() != QCoreApplication::applicationPid());
    }
    ::kill(pid_t(pid), SIGKILL);
    for (int i = 0; i < 500 && kv::ProcessIsRunning(pid); ++i)
        QThread::msleep(10);
    QVERIFY(!kv::ProcessIsRunning(pid));
}

void TestProgramStarter::failedStartReturnsAtOnce()
{
    QTemporaryDir dir;
    kv::ProcessStarter starter;
    QElapsedTimer clock;
    clock.start();
    starter.Start_Program(dir.path() + QStringLiteral("/Ethernet_Update" KV_EXE_SUFFIX), QString(), false, 60000);
    QVERIFY(clock.elapsed() < 30000);
    QCOMPARE(starter.lastPid(), qint64(0));
}

void TestProgramStarter::userInputIsDroppedWhileWaiting()
{
    // A click made while the updater runs must neither act then nor be
    // delivered once the wait is over; timers (and painting) go on.
    QTemporaryDir dir;
    const QString program = script(dir, "sleep 1\n");
    QPushButton button(QStringLiteral("Update"));
    button.show();
    QVERIFY(QTest::qWaitForWindowExposed(&button));
    int clicks = 0;
    connect(&button, &QPushButton::clicked, this, [&] { ++clicks; });
    int ticks = 0;
    QTimer timer;
    connect(&timer, &QTimer::timeout, this, [&] {
        if (++ticks == 3) {
            QTest::mouseClick(&button, Qt::LeftButton);
            QTest::keyClick(&button, Qt::Key_Space);
        }
    });
    timer.start(50);

    kv::ProcessStarter starter;
    starter.Start_Program(program, QString(), false, 60000);
    timer.stop();
    QVERIFY(ticks >= 3);
    QCoreApplication::processEvents();
    QCOMPARE(clicks, 0);
    // Input is accepted again afterwards.
    QTest::mouseClick(&button, Qt::LeftButton);
    QCOMPARE(clicks, 1);
}

QTEST_MAIN(TestProgramStarter)
#include "test_program_starter.moc"
