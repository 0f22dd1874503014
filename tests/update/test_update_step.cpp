#include "update/BootFixture.h"
#include "update/UpdaterFixture.h"

#include "update/UpdateJob.h"

#include "helpers/EchoOnce.h"

// The update step as the engineer runs it: a real ping of 127.0.0.1, the
// job file beside the configurator, and the stand-in updater started and
// awaited.  The updater closes by itself and reports what it found.
class TestUpdateStep : public QObject {
    Q_OBJECT
private slots:
    void wholeStepOnLoopback();
};

void TestUpdateStep::wholeStepOnLoopback()
{
    kv::IcmpEchoClient echo;
    QString probeError;
    if (kvtest::echoOnce(echo, QStringLiteral("127.0.0.1"), 400, &probeError) == kv::IEchoClient::Error)
        QSKIP(qPrintable(QStringLiteral("this machine allows no ICMP socket to this user: ") + probeError));

    UpdaterFixture u;
    QVERIFY(u.setUp());
    kv::ProcessStarter starter;
    BootFixture f(&echo, &starter, u.exeDir());

    qputenv("KV_UPDATER_AUTOCLOSE_MS", "300");
    qputenv("KV_UPDATER_REPORT", u.report().toUtf8());
    f.state.Settings.LastIpAddress = QStringLiteral("127.0.0.1");
    f.show();
    QCOMPARE(f.boxes(), QStringLiteral("127|0|0|1"));
    f.child<QCheckBox>("CB_Update_Option_Read_Back")->setChecked(true);
    QSignalSpy ended(f.boot.get(), &TFBoot::updateEnded);
    QTest::mouseClick(f.child<QPushButton>("Btn_Update"), Qt::LeftButton);
    QVERIFY(ended.wait(20000));
    f.settle();
    qunsetenv("KV_UPDATER_AUTOCLOSE_MS");
    qunsetenv("KV_UPDATER_REPORT");

    QVERIFY2(f.messages.log.isEmpty(), qPrintable(f.messages.texts().join(QLatin1Char('\n'))));
    QCOMPARE(f.boot->ping_res, 1);
    QVERIFY(f.boot->isVisible()); // the dialog stays open
    QCOMPARE(f.state.Settings.LastIpAddress, QStringLiteral("127.0.0.1"));
    QVERIFY(f.state.LastReadBack);
    QVERIFY(QFileInfo::exists(kv::UpdateJobPath(u.exeDir())));

    // Start_Program returned because the updater had ended, so its report
    // is complete on disk.
    const QString report = u.readReport();
    QVERIFY2(report.contains(QStringLiteral("Device address: 127.0.0.1")), qPrintable(report));
    QVERIFY2(report.contains(QStringLiteral("Operation 1: Firmware at 0x8000, read back yes")), qPrintable(report));
    QVERIFY2(report.contains(QStringLiteral("Operation 2: Configuration at 0x58000, read back yes")),
             qPrintable(report));
    QVERIFY2(report.contains(QStringLiteral("Exit status: 0")), qPrintable(report));
}

QTEST_MAIN(TestUpdateStep)
#include "test_update_step.moc"
