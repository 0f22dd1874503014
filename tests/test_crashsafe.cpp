// Every document the configurator writes: a write that fails (a full disk,
// a target that is a directory) leaves the old file whole, leaves no
// temporary file behind and reports the file and the reason; what a crash
// left beside a document goes at its next write.
#include <QtTest>

#include "TestFiles.h"
#include "common/AtomicFile.h"
#include "state/AppSettings.h"
#include "compiler/Compiler.h"
#include "commparams/CommParams.h"
#include "requests/SnmpRequests.h"
#include "gsdml/ProfinetXml.h"
#include "update/UpdateJob.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

namespace {

using Writer = std::function<bool(const QString& dir, const QString& target, QString* error)>;

#ifdef Q_OS_UNIX
// A file-size limit makes every write past a few bytes fail like a full disk.
class FullDisk {
public:
    explicit FullDisk(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit lim = m_old;
        lim.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &lim);
    }
    ~FullDisk() { setrlimit(RLIMIT_FSIZE, &m_old); }

private:
    rlimit m_old {};
};
#endif

} // namespace

Q_DECLARE_METATYPE(Writer)

class TestCrashSafe : public QObject {
    Q_OBJECT
private slots:
    void failedWriteKeepsOldFile_data();
    void failedWriteKeepsOldFile();
    void crashLeftTemporaryGoesAtNextWrite();
};

void TestCrashSafe::failedWriteKeepsOldFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<Writer>("write");
    QTest::newRow("settings") << "Tessaran.xml" << Writer([](const QString&, const QString& t, QString* e) {
        return kv::WriteSettings(kv::AppSettings(), t, e);
    });
    QTest::newRow("communication parameters") << "ParGen.xml" << Writer([](const QString&, const QString& t, QString* e) {
        return kv::SaveCommParams(kv::CommParams(), t, e);
    });
    QTest::newRow("request table") << "SNMP_Manager.xml" << Writer([](const QString&, const QString& t, QString* e) {
        kv::SnmpTable table;
        table.rows[0].IP_Address = QStringLiteral("192.168.1.20");
        table.rows[0].OID = QStringLiteral("1.3.6.1.2.1.1.3.0");
        return kv::SaveSnmpRequests(table.rows, t, e);
    });
    QTest::newRow("configuration image") << "bank.bin" << Writer([](const QString& d, const QString& t, QString* e) {
        const kv::CompileOutcome r = kv::CompileProjectToFile(d + QStringLiteral("/none.xml"), d + QStringLiteral("/none2.xml"), t);
        *e = r.message;
        return r.ok();
    });
    QTest::newRow("GSDML") << "device.xml" << Writer([](const QString& d, const QString& t, QString* e) {
        const kv::ProfinetWriteResult r = kv::Write_Profinet_XML(d + QStringLiteral("/none.xml"), t);
        *e = r.message;
        return r.ok();
    });
    QTest::newRow("updater job") << "Ethernet_Update.xml" << Writer([](const QString& d, const QString& t, QString* e) {
        kv::UpdateJobInput in;
        in.deviceAddress = QStringLiteral("127.0.0.1");
        in.masterDir = d;
        in.activeProjectDir = d;
        pugi::xml_document doc;
        return kv::WriteUpdateJob(doc, in, t, e);
    });
}

void TestCrashSafe::failedWriteKeepsOldFile()
{
    QFETCH(QString, name);
    QFETCH(Writer, write);
    QTemporaryDir dir;
    const QString target = dir.path() + QLatin1Char('/') + name;
    const QByteArray old = "the previous document, whole";
    {
        QFile f(target);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(old);
    }
    QString error;
#ifdef Q_OS_UNIX // no file-size limit to play a full disk elsewhere
    {
        FullDisk full(8);
        QVERIFY(!write(dir.path(), target, &error));
    }
    QVERIFY2(error.contains(name), qPrintable(error));
    QCOMPARE(readAll(target), old);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{name});
#endif

    // A directory in the file's place.
    const QString asDir = dir.path() + QStringLiteral("/sub/") + name;
    QVERIFY(QDir().mkpath(asDir));
    error.clear();
    QVERIFY(!write(dir.path(), asDir, &error));
    QVERIFY2(error.contains(name), qPrintable(error));
    QVERIFY(QFileInfo(asDir).isDir());

    // And with room on the disk the write goes through.
    error.clear();
    QVERIFY2(write(dir.path(), target, &error), qPrintable(error));
    QVERIFY(readAll(target) != old);
}

// A write killed between its temporary file and the rename leaves that file
// beside the document.  The next write of the document removes it, and only
// it: a write under way in a running process, another document's leftover
// and files that merely look alike stay.
void TestCrashSafe::crashLeftTemporaryGoesAtNextWrite()
{
    QTemporaryDir dir;
    // The id of a process that has ended (the child writes it down).
    const QString said = dir.filePath(QStringLiteral("child.txt"));
    QProcess child;
    child.start(QStringLiteral(KV_TEST_CHILD), {said, QStringLiteral("0")});
    QVERIFY(child.waitForFinished(10000));
    const QString gone = QString::fromLatin1(readAll(said).split('\n').value(0));
    QVERIFY(gone.toLongLong() > 0);
    QVERIFY(QFile::remove(said));
    const QString running = QString::number(QCoreApplication::applicationPid());

    const QStringList left = {QStringLiteral("ParGen.xml.kvtmp.%1.1f3a").arg(gone)};
    const QStringList kept = {
        QStringLiteral("ParGen.xml.kvtmp.%1.77").arg(running),      // a write under way
        QStringLiteral("SNMP_Manager.xml.kvtmp.%1.1f3a").arg(gone), // another document's
        QStringLiteral("ParGen.xml.kvtmp.%1.notes").arg(gone),      // not of the pattern
        QStringLiteral("ParGen.xml.kvtmp.%1").arg(gone),
        QStringLiteral("xParGen.xml.kvtmp.%1.1f3a").arg(gone),
        QStringLiteral("ParGen.xml.bak"),
    };
    const QString target = dir.filePath(QStringLiteral("ParGen.xml"));
    writeFile(target, "old");
    for (const QString& name : left + kept)
        writeFile(dir.filePath(name), "half a document");

    QString error;
    QVERIFY2(kv::SaveCommParams(kv::CommParams(), target, &error), qPrintable(error));
    QStringList expected = kept;
    expected << QStringLiteral("ParGen.xml");
    expected.sort();
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name), expected);
    QVERIFY(readAll(target) != "old");
}

QTEST_GUILESS_MAIN(TestCrashSafe)
#include "test_crashsafe.moc"
