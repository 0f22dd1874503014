#include <QtTest>

#include "Cli.h"
#include "update/UpdateJob.h"

#include <QTemporaryDir>

// The updater's job file, compared with whole expected files.  The
// workspace folders are fixed so the expected files need no rewriting.
static QStringList words(std::initializer_list<const char*> list)
{
    QStringList out;
    for (const char* w : list)
        out << QString::fromUtf8(w);
    return out;
}

class TestUpdateJob : public QObject {
    Q_OBJECT
private slots:
    void jobFile_data();
    void jobFile();
    void secondWriteReplacesTheFirst();
    void unwritableTarget();
    void cliJob_data();
    void cliJob();
    void cliRejectsBadArguments_data();
    void cliRejectsBadArguments();

private:
    // The job names its files with the platform's separators: Windows has
    // expected files of its own, made from the others by hand.
#ifdef Q_OS_WIN
    static QString root() { return QStringLiteral("C:/KV52013"); }
    static QString suffix() { return QStringLiteral("_win"); }
#else
    static QString root() { return QStringLiteral("/opt/kv52013"); }
    static QString suffix() { return QString(); }
#endif
    static QByteArray expected(const QString& fixture, const QString& platform = QString())
    {
        QFile f(QStringLiteral(KV_FIXTURES_DIR "/") + fixture + platform + QStringLiteral("/Ethernet_Update.xml"));
        if (!f.open(QIODevice::ReadOnly))
            qFatal("fixture missing");
        return f.readAll();
    }
    static kv::UpdateJobInput input(const QString& ip, int option, bool readBack)
    {
        kv::UpdateJobInput in;
        in.deviceAddress = ip;
        in.updateOption = option;
        in.readBack = readBack;
        in.masterDir = root() + QStringLiteral("/MASTER");
        in.activeProjectDir = root() + QString::fromUtf8("/PROJECTS/Line 3 & \xc3\x9c");
        return in;
    }
};

void TestUpdateJob::jobFile_data()
{
    QTest::addColumn<QString>("ip");
    QTest::addColumn<int>("option");
    QTest::addColumn<bool>("readBack");
    QTest::addColumn<QString>("fixture");
    QTest::newRow("firmware + configuration, read back") << "192.168.2.205" << 0 << true << "job_both_readback";
    QTest::newRow("firmware + configuration") << "192.168.2.205" << 0 << false << "job_both";
    QTest::newRow("firmware, read back") << "10.0.0.1" << 1 << true << "job_firmware_readback";
    QTest::newRow("firmware") << "10.0.0.1" << 1 << false << "job_firmware";
    // The address is written as typed: a leading blank and leading zeros stay.
    QTest::newRow("configuration, read back") << " 192.168.002.010" << 2 << true << "job_configuration_readback";
    QTest::newRow("configuration") << " 192.168.002.010" << 2 << false << "job_configuration";
}

void TestUpdateJob::jobFile()
{
    QFETCH(QString, ip);
    QFETCH(int, option);
    QFETCH(bool, readBack);
    QFETCH(QString, fixture);

    QTemporaryDir dir;
    const QString path = kv::UpdateJobPath(dir.path());
    pugi::xml_document doc;
    QString error;
    QVERIFY2(kv::WriteUpdateJob(doc, input(ip, option, readBack), path, &error), qPrintable(error));
    QFile written(path);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), expected(fixture, suffix()));
}

void TestUpdateJob::secondWriteReplacesTheFirst()
{
    // The dialog keeps one document object for all its writes.
    QTemporaryDir dir;
    const QString path = kv::UpdateJobPath(dir.path());
    pugi::xml_document doc;
    QVERIFY(kv::WriteUpdateJob(doc, input(QStringLiteral("192.168.2.205"), 0, true), path));
    QVERIFY(kv::WriteUpdateJob(doc, input(QStringLiteral("10.0.0.1"), 1, false), path));
    QFile written(path);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), expected(QStringLiteral("job_firmware"), suffix()));
}

void TestUpdateJob::unwritableTarget()
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/missing/Ethernet_Update.xml");
    pugi::xml_document doc;
    QString error;
    QVERIFY(!kv::WriteUpdateJob(doc, input(QStringLiteral("1.2.3.4"), 0, false), path, &error));
    QVERIFY2(error.contains(QDir::toNativeSeparators(path)), qPrintable(error));
    QVERIFY(!QFileInfo::exists(path));
}

void TestUpdateJob::cliJob_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("fixture");
    QTest::newRow("option 0, read back") << words({"--option", "0", "--read-back"}) << "job_both_readback";
    QTest::newRow("option 1") << words({"--option", "1"}) << "job_firmware";
    QTest::newRow("option 2, read back first") << words({"--read-back", "--option", "2"})
                                               << "job_configuration_readback";
}

void TestUpdateJob::cliJob()
{
    QFETCH(QStringList, options);
    QFETCH(QString, fixture);

    // The CLI names MASTER beside itself and the configuration folder made
    // absolute and clean; everything else is as in the expected file.
    QTemporaryDir dir;
    const QString project = dir.path() + QStringLiteral("/PROJECTS/Plant");
    QVERIFY(QDir().mkpath(project + QStringLiteral("/bin")));
    QByteArray want = expected(fixture);
    want.replace("/opt/kv52013/MASTER/Img52013.sim",
                 QDir::toNativeSeparators(QFileInfo(QStringLiteral(KV_BIN_DIR "/MASTER/Img52013.sim")).absoluteFilePath())
                     .toUtf8());
    want.replace(QString::fromUtf8("/opt/kv52013/PROJECTS/Line 3 &amp; \xc3\x9c/bin/bank.bin").toUtf8(),
                 QDir::toNativeSeparators(project + QStringLiteral("/bin/bank.bin")).toUtf8());
    const QByteArray ip = fixture.startsWith(QLatin1String("job_both")) ? "192.168.2.205"
        : fixture.startsWith(QLatin1String("job_firmware"))              ? "10.0.0.1"
                                                                         : " 192.168.002.010";

    const QString out = dir.path() + QStringLiteral("/job.xml");
    const CliRun r = runCli(QStringList{QStringLiteral("job"), QStringLiteral("./x/../Plant/"), QStringLiteral("--ip"),
                                        QString::fromUtf8(ip), QStringLiteral("-o"), out}
                                + options,
                            dir.path() + QStringLiteral("/PROJECTS"));
    QVERIFY2(r.status == 0, qPrintable(r.err));
    QFile written(out);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), want);
}

void TestUpdateJob::cliRejectsBadArguments_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::newRow("option 3") << words({"job", ".", "--ip", "1.2.3.4", "--option", "3"});
    QTest::newRow("option text") << words({"job", ".", "--ip", "1.2.3.4", "--option", "all"});
    QTest::newRow("no option") << words({"job", ".", "--ip", "1.2.3.4"});
    QTest::newRow("no ip") << words({"job", ".", "--option", "0"});
    QTest::newRow("no directory") << words({"job", "--ip", "1.2.3.4", "--option", "0"});
    QTest::newRow("unknown switch") << words({"job", ".", "--ip", "1.2.3.4", "--option", "0", "--fast"});
}

void TestUpdateJob::cliRejectsBadArguments()
{
    QFETCH(QStringList, args);
    QTemporaryDir dir;
    const QString out = dir.path() + QStringLiteral("/job.xml");
    const CliRun r = runCli(args + QStringList{QStringLiteral("-o"), out}, dir.path());
    QCOMPARE(r.status, 2);
    QVERIFY(!r.err.isEmpty());
    QVERIFY(!QFileInfo::exists(out));
}

QTEST_GUILESS_MAIN(TestUpdateJob)
#include "test_update_job.moc"
