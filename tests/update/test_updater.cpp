#include "update/UpdaterFixture.h"

#include "update/UpdateJob.h"

#include <QProcess>

// The stand-in updater: what it accepts and what it refuses, by exit status
// and by what it reports.  It never contacts the address in the job.
class TestUpdater : public QObject {
    Q_OBJECT
private slots:
    void checksTheJob_data();
    void checksTheJob();
};

void TestUpdater::checksTheJob_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<int>("option");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("reported");
    QTest::newRow("firmware and configuration pass") << "" << 0 << 0 << "Operation 2: Configuration";
    QTest::newRow("configuration passes") << "" << 2 << 0 << "checksum matches";
    QTest::newRow("firmware only, image not looked at") << "bad checksum" << 1 << 0 << "Operation 1: Firmware";
    QTest::newRow("checksum does not match") << "bad checksum" << 0 << 1 << "checksum does not match";
    QTest::newRow("image too short") << "short image" << 2 << 1 << "wrong size: 67583 bytes";
    QTest::newRow("firmware missing") << "no firmware" << 0 << 1 << "(missing)";
    QTest::newRow("no job file") << "no job" << 0 << 1 << "no job file";
    QTest::newRow("another root") << "other root" << 0 << 1 << "no Ethernet_Update root";
    QTest::newRow("no operation") << "no operation" << 0 << 1 << "0 operations";
    QTest::newRow("broken XML") << "broken" << 0 << 1 << "Job error";
}

void TestUpdater::checksTheJob()
{
    QFETCH(QString, change);
    QFETCH(int, option);
    QFETCH(int, status);
    QFETCH(QString, reported);

    UpdaterFixture f;
    QVERIFY(f.setUp());
    kv::UpdateJobInput in;
    in.deviceAddress = QStringLiteral("127.0.0.1");
    in.updateOption = option;
    in.masterDir = f.exeDir() + QStringLiteral("/MASTER");
    in.activeProjectDir = f.exeDir() + QStringLiteral("/PROJECTS/Plant");
    QByteArray job = kv::UpdateJobBytes(in);
    QByteArray image = UpdaterFixture::image();
    if (change == QLatin1String("bad checksum"))
        image[0x10001] = char(1);
    else if (change == QLatin1String("short image"))
        image.chop(1);
    else if (change == QLatin1String("no firmware"))
        QVERIFY(QFile::remove(f.firmware()));
    else if (change == QLatin1String("other root"))
        job.replace("Ethernet_Update>", "Job>");
    else if (change == QLatin1String("no operation"))
        job = job.left(job.indexOf("<Operation>")) + "</Operations></Ethernet_Update>";
    else if (change == QLatin1String("broken"))
        job.chop(5);
    QVERIFY(tryWriteFile(f.bank(), image));
    if (change != QLatin1String("no job"))
        QVERIFY(tryWriteFile(kv::UpdateJobPath(f.exeDir()), job));

    QProcess updater;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("KV_UPDATER_AUTOCLOSE_MS"), QStringLiteral("0"));
    env.insert(QStringLiteral("KV_UPDATER_REPORT"), f.report());
    updater.setProcessEnvironment(env);
    updater.start(f.updater(), QStringList());
    QVERIFY(updater.waitForFinished(60000));
    QCOMPARE(updater.exitStatus(), QProcess::NormalExit);
    const QString report = f.readReport();
    QVERIFY2(report.contains(reported), qPrintable(report));
    QVERIFY2(report.contains(QStringLiteral("no transfer to a real device")), qPrintable(report));
    QCOMPARE(updater.exitCode(), status);
}

QTEST_GUILESS_MAIN(TestUpdater)
#include "test_updater.moc"
