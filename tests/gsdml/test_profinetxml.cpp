#include "Cli.h"
#include "TestFiles.h"
#include "gsdml/ProfinetXml.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray expectedDefault()
{
    return readAll(QStringLiteral(KV_FIXTURES_DIR "/gsdml_default/expected.xml"));
}

// Lines without their CR LF; the byte-order mark stays on line 1.
QList<QByteArray> linesOf(const QByteArray& doc)
{
    QList<QByteArray> lines = doc.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QByteArray& l : lines)
        l.chop(1);
    return lines;
}

// Line 26 of the description for a station name as it must appear in the file.
QByteArray line26(const QByteArray& name)
{
    return "\t\t\t  <DeviceAccessPointItem PNIO_Version=\"V2.3\" RequiredSchemaVersion=\"V2.25\" ID=\"IDD_1\" "
           "PhysicalSlots=\"0..4\" ModuleIdentNumber=\"0x00000001\" MinDeviceInterval=\"64\" ImplementationType=\""
        + name + "\" DNS_CompatibleName=\"" + name
        + "\" FixedInSlots=\"0\" ObjectUUID_LocalIndex=\"1\" MultipleWriteSupported=\"true\" "
          "MaxSupportedRecordSize=\"8192\" ParameterizationSpeedupSupported=\"true\" PowerOnToCommReady=\"350\" "
          "DeviceAccessSupported=\"true\" SharedDeviceSupported=\"true\" CheckDeviceID_Allowed=\"false\" "
          "NameOfStationNotTransferable=\"true\">";
}

QByteArray line76(const QByteArray& length)
{
    return "   \t\t\t  \t\t     <Input> <DataItem DataType=\"OctetString\" Length=\"" + length
        + "\" TextId=\"IDT_Input_1\"/> </Input>";
}

QByteArray line77(const QByteArray& length)
{
    return "\t\t\t  \t\t     <Output><DataItem DataType=\"OctetString\" Length=\"" + length
        + "\" TextId=\"IDT_Output_1\"/></Output>";
}

QString cliPath()
{
    return QStringLiteral(KV_BIN_DIR "/kv52013-cli" KV_EXE_SUFFIX);
}

} // namespace

class TestProfinetXml : public QObject {
    Q_OBJECT
private slots:
    void defaultDocument();
    void insertedValues_data();
    void insertedValues();
    void unreadableParGenLeavesTarget();
    void writeFailureNamesFile();
    void cli_data();
    void cli();
};

// No ParGen.xml: the whole document with the defaults, replacing whatever the
// target held before.
void TestProfinetXml::defaultDocument()
{
    const QByteArray expected = expectedDefault();
    QVERIFY(!expected.isEmpty());

    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("out.xml"));
    writeFile(target, QByteArray(20000, 'x'));
    const kv::ProfinetWriteResult r = kv::Write_Profinet_XML(dir.filePath(QStringLiteral("ParGen.xml")), target);
    QVERIFY2(r.ok(), qPrintable(r.message));
    QCOMPARE(readAll(target), expected);
}

void TestProfinetXml::insertedValues_data()
{
    QTest::addColumn<QByteArray>("parGen");
    QTest::addColumn<QByteArray>("name");    // as written into line 26
    QTest::addColumn<QByteArray>("inputLen"); // Length of the Input item (line 76)
    QTest::addColumn<QByteArray>("outputLen"); // Length of the Output item (line 77)

    QTest::newRow("counts crossed")
        << QByteArray("<Par_Gen><PROFINET_NB_IN>10</PROFINET_NB_IN><PROFINET_NB_OUT>20</PROFINET_NB_OUT>"
                      "<PROFINET_NAME_STA>plc-gw</PROFINET_NAME_STA></Par_Gen>")
        << QByteArray("plc-gw") << QByteArray("20") << QByteArray("10");
    QTest::newRow("count not a number")
        << QByteArray("<Par_Gen><PROFINET_NB_IN>7</PROFINET_NB_IN><PROFINET_NB_OUT>12a</PROFINET_NB_OUT></Par_Gen>")
        << QByteArray("kd52016") << QByteArray("1439") << QByteArray("7");
    QTest::newRow("empty name, zero counts")
        << QByteArray("<Par_Gen><PROFINET_NB_IN>0</PROFINET_NB_IN><PROFINET_NB_OUT>0</PROFINET_NB_OUT>"
                      "<PROFINET_NAME_STA></PROFINET_NAME_STA></Par_Gen>")
        << QByteArray("kd52016") << QByteArray("0") << QByteArray("0");
    QTest::newRow("negative count, not clamped")
        << QByteArray("<Par_Gen><PROFINET_NB_IN>-5</PROFINET_NB_IN><PROFINET_NB_OUT>2000</PROFINET_NB_OUT></Par_Gen>")
        << QByteArray("kd52016") << QByteArray("2000") << QByteArray("-5");
    QTest::newRow("name needing escapes")
        << QByteArray("<Par_Gen><PROFINET_NAME_STA>a&amp;b&lt;c&gt;\"d'e</PROFINET_NAME_STA></Par_Gen>")
        << QByteArray("a&amp;b&lt;c&gt;&quot;d&apos;e") << QByteArray("1439") << QByteArray("1439");
    QTest::newRow("name outside ASCII")
        << QByteArray("<Par_Gen><PROFINET_NAME_STA>stazione-\xC3\xA8</PROFINET_NAME_STA></Par_Gen>")
        << QByteArray("stazione-\xC3\xA8") << QByteArray("1439") << QByteArray("1439");
    // Readers take the first top-level node as the root: a leading comment
    // hides every value.
    QTest::newRow("comment before root")
        << QByteArray("<!--x--><Par_Gen><PROFINET_NB_IN>10</PROFINET_NB_IN>"
                      "<PROFINET_NAME_STA>n</PROFINET_NAME_STA></Par_Gen>")
        << QByteArray("kd52016") << QByteArray("1439") << QByteArray("1439");
}

// The three inserted values land in lines 26, 76 and 77, and nothing else in
// the document moves.
void TestProfinetXml::insertedValues()
{
    QFETCH(QByteArray, parGen);
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, inputLen);
    QFETCH(QByteArray, outputLen);

    QTemporaryDir dir;
    const QString parGenPath = dir.filePath(QStringLiteral("ParGen.xml"));
    writeFile(parGenPath, parGen);
    const QString target = dir.filePath(QStringLiteral("out.xml"));
    const kv::ProfinetWriteResult r = kv::Write_Profinet_XML(parGenPath, target);
    QVERIFY2(r.ok(), qPrintable(r.message));

    const QByteArray doc = readAll(target);
    QVERIFY(doc.endsWith("</ISO15745Profile>\r\n"));
    QCOMPARE(doc.count("\r\n"), 167);
    QCOMPARE(doc.count('\n'), 167);
    const QList<QByteArray> got = linesOf(doc);
    QList<QByteArray> want = linesOf(expectedDefault());
    QCOMPARE(got.size(), 167);
    want[25] = line26(name);
    want[75] = line76(inputLen);
    want[76] = line77(outputLen);
    for (int i = 0; i < 167; ++i)
        QVERIFY2(got.at(i) == want.at(i), qPrintable(QStringLiteral("line %1").arg(i + 1)));
}

void TestProfinetXml::unreadableParGenLeavesTarget()
{
    QTemporaryDir dir;
    const QString parGenPath = dir.filePath(QStringLiteral("ParGen.xml"));
    writeFile(parGenPath, "<Par_Gen><PROFINET_NB_IN>10</Par_Gen>");
    const QString target = dir.filePath(QStringLiteral("out.xml"));
    writeFile(target, "previous");

    const kv::ProfinetWriteResult r = kv::Write_Profinet_XML(parGenPath, target);
    QCOMPARE(r.status, kv::ProfinetWriteResult::ReadError);
    QVERIFY2(r.message.contains(QStringLiteral("ParGen.xml")), qPrintable(r.message));
    QVERIFY2(r.message.contains(QStringLiteral("line 1")), qPrintable(r.message));
    QCOMPARE(readAll(target), QByteArray("previous"));
}

void TestProfinetXml::writeFailureNamesFile()
{
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("no-such-folder/out.xml"));
    const kv::ProfinetWriteResult r = kv::Write_Profinet_XML(dir.filePath(QStringLiteral("ParGen.xml")), target);
    QCOMPARE(r.status, kv::ProfinetWriteResult::WriteError);
    QVERIFY2(r.message.contains(QStringLiteral("out.xml")), qPrintable(r.message));
    QVERIFY(!QFile::exists(target));
}

void TestProfinetXml::cli_data()
{
    QTest::addColumn<QByteArray>("parGen"); // empty: no ParGen.xml
    QTest::addColumn<bool>("writable");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("stderrHas");

    QTest::newRow("defaults") << QByteArray() << true << 0 << QString();
    QTest::newRow("broken ParGen.xml") << QByteArray("<Par_Gen>") << true << 2 << QStringLiteral("ParGen.xml");
    QTest::newRow("target not writable") << QByteArray() << false << 3 << QStringLiteral("out.xml");
}

void TestProfinetXml::cli()
{
    QFETCH(QByteArray, parGen);
    QFETCH(bool, writable);
    QFETCH(int, exitCode);
    QFETCH(QString, stderrHas);
    QVERIFY2(QFile::exists(cliPath()), "build kv52013-cli first");

    QTemporaryDir dir;
    const QString project = dir.filePath(QStringLiteral("P"));
    QVERIFY(QDir().mkpath(project));
    if (!parGen.isEmpty())
        writeFile(project + QStringLiteral("/ParGen.xml"), parGen);
    const QString target = writable ? dir.filePath(QStringLiteral("out.xml"))
                                    : dir.filePath(QStringLiteral("missing/out.xml"));

    const CliRun r = runCli({QStringLiteral("gsdml"), project, QStringLiteral("-o"), target});
    const QString& err = r.err;
    QVERIFY2(r.status == exitCode, qPrintable(QStringLiteral("exit %1: %2").arg(r.status).arg(err)));
    if (exitCode == 0)
        QCOMPARE(readAll(target), expectedDefault());
    else {
        QVERIFY2(err.contains(stderrHas), qPrintable(err));
        QVERIFY(!QFile::exists(target));
    }
}

QTEST_GUILESS_MAIN(TestProfinetXml)
#include "test_profinetxml.moc"
