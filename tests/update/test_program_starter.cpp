#include <QtTest>

#include "update/ProgramStarter.h"

#include <QPushButton>
#include <QTemporaryDir>

// Start_Program with a small test program standing in for the updater.
class TestProgramStarter : public QObject {
    Q_OBJECT
private slots:
    void programThatEndsAtOnce();
    void programThatOutlivesTheLimit();
    void failedStartReturnsAtOnce();
    void userInputIsDroppedWhileWaiting();

private:
    // What the test program wrote: its process id, then its arguments.
    static QStringList waitForReport(const QString& path)
    {
        QFile f(path);
        for (int i = 0; i < 1000 && !(f.exists() && f.size() > 0); ++i)
            QThread::msleep(10);
        QThread::msleep(20); // both lines are written at once
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
    }
    static QString child() { return QStringLiteral(KV_TEST_CHILD); }
};

void TestProgramStarter::programThatEndsAtOnce()
{
    QTemporaryDir dir;
    const QString report = dir.path() + QStringLiteral("/ran");
    kv::ProcessStarter starter;
    QElapsedTimer clock;
    clock.start();
    // A generous limit: returning well before it means the end was seen.
    starter.Start_Program(child(), QStringLiteral("\"%1\" 0 one \"two three\"").arg(report), false, 60000);
    QVERIFY2(clock.elapsed() < 30000, "waited for the limit although the program had ended");
    QVERIFY(starter.lastPid() > 0);
    const QStringList lines = waitForReport(report);
    QVERIFY(lines.size() >= 2);
    QCOMPARE(lines.at(0).toLongLong(), starter.lastPid());
    QCOMPARE(lines.at(1), QStringLiteral("one two three"));
}

void TestProgramStarter::programThatOutlivesTheLimit()
{
    QTemporaryDir dir;
    const QString report = dir.path() + QStringLiteral("/ran");
    kv::ProcessStarter starter;
    starter.Start_Program(child(), QStringLiteral("\"%1\" 3000").arg(report), false, 300);

    const qint64 pid = starter.lastPid();
    QVERIFY(pid > 0);
    QCOMPARE(waitForReport(report).value(0).toLongLong(), pid);
    QVERIFY2(kv::ProcessIsRunning(pid), "the updater must be left running");
    // Detached: not a child of the configurator, so it does not end with it.
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (stat.open(QIODevice::ReadOnly)) {
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        QVERIFY(fields.size() > 1);
        QVERIFY(fields[1].toLongLong() != QCoreApplication::applicationPid());
    }
    // Its end is seen once it comes.
    for (int i = 0; i < 1000 && kv::ProcessIsRunning(pid); ++i)
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
    starter.Start_Program(child(), QStringLiteral("\"%1\" 1000").arg(dir.path() + QStringLiteral("/ran")), false,
                          60000);
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
