// Rows held against their objects' MIB definitions: the live test's
// fits-now against Debian's snmpd, and the warnings of kv52013-cli check.
#include <QtTest>

#include "Cli.h"
#include "SnmpAgent.h"
#include "SnmpAnswers.h"
#include "TestFiles.h"
#include "requests/SnmpRequests.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

namespace {

const QString kAgent = QStringLiteral("127.0.0.65");
const QString kMibs = QStringLiteral(KV_FIXTURES_DIR "/mib_verdict");

// KVVERDICT-MIB's objects, and an enterprise number no module defines.
const char* kLevel = "1.3.6.1.4.1.64998.1.1.0"; // Integer32 (0..100000), read-only
const char* kPlain = "1.3.6.1.4.1.64998.1.2.0"; // INTEGER, read-write
const char* kName = "1.3.6.1.4.1.64998.1.3.0";  // DisplayString (SIZE (0..32)), read-write
const char* kAddress = "1.3.6.1.4.1.64998.1.4.0"; // IpAddress
const char* kLoad3 = "1.3.6.1.4.1.64998.2.1.2.3"; // kvvLoad.3, Gauge32 (0..1000), a column
const char* kCounter = "1.3.6.1.4.1.64997.3.0";  // no module: Counter32 by the agent's answer

kv::SnmpRequest row(const char* oid, const char* type, const char* bytes, const char* mode = "Get",
                    const char* convert = "None")
{
    return kvtest::requestRow(kAgent, QString::fromLatin1(oid), type, bytes, mode, "2", convert);
}

QString writeTable(const QTemporaryDir& dir, const QVector<kv::SnmpRequest>& content)
{
    QVector<kv::SnmpRequest> rows(kv::SnmpMaxRows, kv::SnmpRequest::ResetRow());
    for (int i = 0; i < content.size(); ++i) {
        rows[i] = content[i];
        rows[i].Position = QString::number(16 * i); // no two share a byte
    }
    writeFile(dir.filePath(QStringLiteral("SNMP_Manager.xml")), kv::SnmpRequestsXml(rows));
    return dir.path();
}

} // namespace

Q_DECLARE_METATYPE(kv::SnmpRequest)

class TestMibVerdict : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // Only the shipped base and the test's module: the system's folders
        // are replaced by an empty one.
        QVERIFY(m_empty.isValid());
        qputenv("MIBDIRS", QDir::toNativeSeparators(m_empty.path()).toLocal8Bit());
        if (!QFile::exists(QStringLiteral(KV_BIN_DIR "/kv52013-cli" KV_EXE_SUFFIX)))
            QSKIP("kv52013-cli is not built");
    }

    void fitsNowAgainstAgent();
    void checkWarns_data();
    void checkWarns();

private:
    QTemporaryDir m_empty;
};

// A row fits when its Num Bytes holds every value the object may take, not
// only the one the agent sends today.
void TestMibVerdict::fitsNowAgainstAgent()
{
    kvtest::SnmpAgent agent(kAgent, QByteArray("override ") + kCounter + " counter 72\n"
                                        + "override " + kLevel + " integer 70\n"
                                        + "override " + kPlain + " integer 72\n"
                                        + "override " + kName + " octet_str \"abc\"\n"
                                        + "override " + kLoad3 + " unsigned 5\n"); // Gauge32
    if (!agent.skip.isEmpty())
        QSKIP(qPrintable(agent.skip));
    struct Case {
        kv::SnmpRequest request;
        const char* verdict;
        const char* name;   // as the loaded module names the object
        const char* reason; // of fits-now
    };
    const Case cases[] = {
        {row(kCounter, "Int", "1"), "fits-now", "", "72 fits in 1 byte today; a Counter32 needs 4"},
        {row(kCounter, "Int", "4"), "fits", "", ""},
        {row(kLevel, "Int", "2"), "fits-now", "KVVERDICT-MIB::kvvLevel",
         "70 fits in 2 bytes today; KVVERDICT-MIB::kvvLevel with SYNTAX Integer32 (0..100000) needs 4"},
        {row(kLevel, "Int", "4"), "fits", "KVVERDICT-MIB::kvvLevel", ""},
        // Any value at all may come: today's decides.
        {row(kPlain, "Int", "1"), "fits", "KVVERDICT-MIB::kvvPlain", ""},
        {row(kName, "String", "8"), "fits-now", "KVVERDICT-MIB::kvvName",
         "3 bytes fit today; KVVERDICT-MIB::kvvName with SYNTAX DisplayString (SIZE (0..32)) may be 32 bytes long"},
        {row(kName, "String", "32"), "fits", "KVVERDICT-MIB::kvvName", ""},
        // The module's range wins over the type's width: 0..1000 in 2.
        {row(kLoad3, "Int", "1"), "fits-now", "KVVERDICT-MIB::kvvLoad.3",
         "5 fits in 1 byte today; KVVERDICT-MIB::kvvLoad.3 with SYNTAX Gauge32 (0..1000) needs 2"},
        {row(kLoad3, "Int", "2"), "fits", "KVVERDICT-MIB::kvvLoad.3", ""},
        // A conversion changes what is stored: nothing to compare.
        {row(kCounter, "Int", "1", "Get", "Float"), "fits", "", ""},
    };
    QVector<kv::SnmpRequest> rows;
    for (const Case& c : cases)
        rows << c.request;
    QTemporaryDir dir;
    writeTable(dir, rows);

    const CliRun r = runCli({QStringLiteral("snmp-test"), dir.path(), QStringLiteral("--mibdir"), kMibs,
                             QStringLiteral("--json")});
    const QStringList lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), int(std::size(cases)));
    for (int i = 0; i < lines.size(); ++i) {
        const QJsonObject o = QJsonDocument::fromJson(lines[i].toUtf8()).object();
        const Case& c = cases[i];
        const QString at = QStringLiteral("row %1: ").arg(i + 1) + lines[i];
        QVERIFY2(o.value(QStringLiteral("verdict")).toString() == QLatin1String(c.verdict), qPrintable(at));
        QVERIFY2(o.value(QStringLiteral("name")).toString() == QLatin1String(c.name), qPrintable(at));
        QVERIFY2(o.value(QStringLiteral("reason")).toString() == QLatin1String(c.reason), qPrintable(at));
    }
    // A row that fits today only does not fit.
    QCOMPARE(r.status, 1);
    QCOMPARE(runCli({QStringLiteral("snmp-test"), dir.path(), QStringLiteral("--mibdir"), kMibs, QStringLiteral("--rows"),
                     QStringLiteral("4-5")}).status,
             0);
}

void TestMibVerdict::checkWarns_data()
{
    QTest::addColumn<kv::SnmpRequest>("request"); // row 2, after a row without findings
    QTest::addColumn<QString>("err");             // the whole of standard error

    const QString at = QStringLiteral("warning: SNMP_Manager.xml: row 2: ");
    const QString level = QStringLiteral("KVVERDICT-MIB::kvvLevel with SYNTAX Integer32 (0..100000)");
    QTest::newRow("as its definition fills it") << row(kLevel, "Int", "4") << QString();
    QTest::newRow("Type String on an integer")
        << row(kLevel, "String", "4")
        << at + QStringLiteral("Type String cannot hold ") + level + QStringLiteral(": its definition fills a row of Type Int.\n");
    QTest::newRow("Num Bytes below the range")
        << row(kLevel, "Int", "2") << at + QStringLiteral("Num Bytes 2 cannot hold every value of ") + level
            + QStringLiteral(": it needs 4.\n");
    QTest::newRow("a column's instance")
        << row(kLoad3, "Int", "1")
        << at + QStringLiteral("Num Bytes 1 cannot hold every value of KVVERDICT-MIB::kvvLoad.3 with SYNTAX Gauge32 (0..1000): it needs 2.\n");
    QTest::newRow("a string shorter than its SIZE")
        << row(kName, "String", "16")
        << at + QStringLiteral("Num Bytes 16 cannot hold every value of KVVERDICT-MIB::kvvName with SYNTAX DisplayString "
                               "(SIZE (0..32)): it needs 32.\n");
    QTest::newRow("INTEGER without range: 4 bytes")
        << row(kPlain, "Int", "2")
        << at + QStringLiteral("Num Bytes 2 cannot hold every value of KVVERDICT-MIB::kvvPlain with SYNTAX INTEGER: it needs 4.\n");
    QTest::newRow("Set on a writable object") << row(kPlain, "Int", "4", "Set") << QString();
    QTest::newRow("Set on a read-only object, Type String too")
        << row(kLevel, "String", "4", "Set")
        << at + QStringLiteral("Type String cannot hold ") + level + QStringLiteral(": its definition fills a row of Type Int.\n")
            + at + QStringLiteral("Mode Set on KVVERDICT-MIB::kvvLevel, which is read-only: the agent will refuse to write it.\n");
    QTest::newRow("an object no row holds")
        << row(kAddress, "Int", "4") << at + QStringLiteral("KVVERDICT-MIB::kvvAddress is IpAddress, which no row can read.\n");
    QTest::newRow("a conversion: its size is not the object's") << row(kLevel, "Int", "1", "Get", "Float") << QString();
    QTest::newRow("no module defines it") << row(kCounter, "Int", "1") << QString();
    kv::SnmpRequest disabled = row(kLevel, "String", "1", "Set");
    disabled.Enable = QStringLiteral("N");
    QTest::newRow("not enabled") << disabled << QString();
}

// Without an agent: a row whose Type, Num Bytes or Mode cannot work with the
// object its MIB module defines is pointed out, and the check still passes.
void TestMibVerdict::checkWarns()
{
    QFETCH(kv::SnmpRequest, request);
    QFETCH(QString, err);
    QTemporaryDir dir;
    writeTable(dir, {row(kLevel, "Int", "4"), request});
    const CliRun r = runCli({QStringLiteral("check"), QStringLiteral("--mibdir"), kMibs, dir.path()});
    QCOMPARE(r.err, err);
    QCOMPARE(r.out, QString());
    QCOMPARE(r.status, 0);
}

QTEST_GUILESS_MAIN(TestMibVerdict)
#include "test_mib_verdict.moc"
