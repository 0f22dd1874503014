#include <QtTest>

#include "Cli.h"
#include "TestFiles.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

namespace {

const QByteArray kRow = "<row Enable=\"Y\" IP_Address=\"192.168.1.20\" Version=\"2\" Community_String=\"public\" "
                        "OID=\"1.3.6.1.2.1.1.5.0\" Type=\"Int\" Mode=\"Get\" On_Change=\"N\" On_Command=\"N\" "
                        "On_Timer=\"Y\" Time=\"1000\" Position=\"4\" Number_Bytes=\"4\" ConvertFrom=\"None\" "
                        "Cancel=\"N\" Mnemonic=\"sysName\"/>";

} // namespace

class TestCompileCli : public QObject {
    Q_OBJECT
private slots:
    void init();
    void compileDefaultPath();
    void compileFailures_data();
    void compileFailures();
    void refusedValueKeepsImage_data();
    void refusedValueKeepsImage();
    void surplusRowsWarn();
    void inspectText();
    void inspectJson();
    void inspectBadImages_data();
    void inspectBadImages();

private:
    QScopedPointer<QTemporaryDir> m_dir;
    QString m_project;
};

void TestCompileCli::init()
{
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
    m_project = m_dir->filePath(QStringLiteral("PROJ"));
    QVERIFY(QDir().mkpath(m_project + QStringLiteral("/bin")));
    QVERIFY(tryWriteFile(m_project + QStringLiteral("/ParGen.xml"),
                     "<Par_Gen><PROFINET_IP4>7</PROFINET_IP4><PROFINET_NAME_STA>plc-gw</PROFINET_NAME_STA></Par_Gen>"));
    QVERIFY(tryWriteFile(m_project + QStringLiteral("/SNMP_Manager.xml"), "<SNMP_Agent_Access>" + kRow + "</SNMP_Agent_Access>"));
}

void TestCompileCli::compileDefaultPath()
{
    const CliRun r = runCli({QStringLiteral("compile"), m_project});
    QCOMPARE(r.status, 0);
    QVERIFY(r.err.isEmpty());
    const QByteArray image = readAll(m_project + QStringLiteral("/bin/bank.bin"));
    QCOMPARE(image.size(), 67584);
    QCOMPARE(image.mid(0x10028, 4), QByteArray::fromHex("C0A80007"));
    QCOMPARE(image.mid(0x78, 8), QByteArray::fromHex("1401A8C00000042C"));
}

void TestCompileCli::compileFailures_data()
{
    QTest::addColumn<QString>("parGen");   // replaces ParGen.xml unless empty
    QTest::addColumn<QString>("output");   // relative to the temporary directory
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("errorNames");
    QTest::newRow("ParGen.xml not well-formed") << "<Par_Gen><PROFINET_IP4>7</Par_Gen>" << "out.bin" << 2 << "ParGen.xml";
    QTest::newRow("output directory missing") << "" << "nowhere/out.bin" << 3 << "out.bin";
    QTest::newRow("output is a directory") << "" << "PROJ/bin" << 3 << "bin";
}

void TestCompileCli::compileFailures()
{
    QFETCH(QString, parGen);
    QFETCH(QString, output);
    QFETCH(int, status);
    QFETCH(QString, errorNames);
    if (!parGen.isEmpty())
        QVERIFY(tryWriteFile(m_project + QStringLiteral("/ParGen.xml"), parGen.toUtf8()));
    const QString out = m_dir->filePath(output);
    const CliRun r = runCli({QStringLiteral("compile"), m_project, QStringLiteral("-o"), out});
    QCOMPARE(r.status, status);
    QVERIFY2(r.err.contains(errorNames), qPrintable(r.err));
    QVERIFY(!QFileInfo(out).isFile());
}

// A value that its field of the image cannot hold: the row or the field is
// named with its limit, the image already in place stays as it was.
void TestCompileCli::refusedValueKeepsImage_data()
{
    QTest::addColumn<QByteArray>("parGen");    // replaces ParGen.xml unless empty
    QTest::addColumn<QByteArray>("attribute"); // replaces Number_Bytes="4" in the second row
    QTest::addColumn<QString>("message");
    QTest::newRow("Num Bytes 300") << QByteArray() << QByteArray("Number_Bytes=\"300\"")
        << "Error! Row 2 of the SNMP Manager table has a Number bytes the device cannot hold (0 to 255): the "
           "configuration was not compiled.";
    QTest::newRow("community of 16") << QByteArray()
        << QByteArray("Number_Bytes=\"4\" Community_String=\"public-snmp-ro16\"")
        << "Error! Row 2 of the SNMP Manager table has a Community Name longer than the device can hold (15 "
           "characters): the configuration was not compiled.";
    QTest::newRow("name of station of 17")
        << QByteArray("<Par_Gen><PROFINET_NAME_STA>pump-station-0001</PROFINET_NAME_STA></Par_Gen>")
        << QByteArray("Number_Bytes=\"4\"")
        << "Error! \"PROFINET Name of Station\" is longer than the device can hold (16 characters): the "
           "configuration was not compiled.";
    // "\u20AC" would reach the device as 0xAC.
    QTest::newRow("community with a euro sign")
        << QByteArray() << QByteArray("Number_Bytes=\"4\" Community_String=\"public\xE2\x82\xAC\"")
        << QStringLiteral("Error! Row 2 of the SNMP Manager table has a Community Name with the character \"\u20AC\" "
                          "(U+20AC), which the device cannot hold (it takes only the characters of Latin-1, U+0000 to "
                          "U+00FF): the configuration was not compiled.");
    QTest::newRow("name of station with a euro sign")
        << QByteArray("<Par_Gen><SNMP_Name_of_Station>Kessel\xE2\x82\xAC</SNMP_Name_of_Station></Par_Gen>")
        << QByteArray("Number_Bytes=\"4\"")
        << QStringLiteral("Error! \"SNMP Name of Station\" holds the character \"\u20AC\" (U+20AC), which the device "
                          "cannot hold (it takes only the characters of Latin-1, U+0000 to U+00FF): the configuration "
                          "was not compiled.");
}

void TestCompileCli::refusedValueKeepsImage()
{
    QFETCH(QByteArray, parGen);
    QFETCH(QByteArray, attribute);
    QFETCH(QString, message);
    if (!parGen.isEmpty())
        QVERIFY(tryWriteFile(m_project + QStringLiteral("/ParGen.xml"), parGen));
    QByteArray second = kRow;
    second.replace("Community_String=\"public\" ", "");
    second.replace("Number_Bytes=\"4\"", attribute);
    QVERIFY(tryWriteFile(m_project + QStringLiteral("/SNMP_Manager.xml"),
                         "<SNMP_Agent_Access>" + kRow + second + "</SNMP_Agent_Access>"));
    const QString bank = m_project + QStringLiteral("/bin/bank.bin");
    QVERIFY(tryWriteFile(bank, "previous image"));
    const CliRun r = runCli({QStringLiteral("compile"), m_project});
    QCOMPARE(r.status, 1);
    QCOMPARE(r.err.trimmed(), message);
    QCOMPARE(readAll(bank), QByteArray("previous image"));
}

void TestCompileCli::surplusRowsWarn()
{
    QByteArray rows;
    for (int i = 0; i < 514; ++i)
        rows += kRow;
    QVERIFY(tryWriteFile(m_project + QStringLiteral("/SNMP_Manager.xml"), "<SNMP_Agent_Access>" + rows + "</SNMP_Agent_Access>"));
    const CliRun r = runCli({QStringLiteral("compile"), m_project});
    QCOMPARE(r.status, 0);
    QVERIFY2(r.err.contains(QStringLiteral("warning: 2 ")), qPrintable(r.err));
    QCOMPARE(readAll(m_project + QStringLiteral("/bin/bank.bin")).mid(0x1016C, 4), QByteArray::fromHex("00020000"));
}

void TestCompileCli::inspectText()
{
    QCOMPARE(runCli({QStringLiteral("compile"), m_project}).status, 0);
    const CliRun r = runCli({QStringLiteral("inspect"), m_project + QStringLiteral("/bin/bank.bin")});
    QCOMPARE(r.status, 0);
    for (const char* expected : {"PROFINET_IP            192.168.0.7", "PROFINET_NAME_STA      \"plc-gw\"",
                                 "Num_Requests           1", "Request_Table_Const    0x00058000",
                                 "stored 0x00001B17, computed 0x00001B17: ok", "Community_String \"public\"",
                                 "IP_Address 192.168.1.20", "ConvertFrom None (0), Mode Get (0), Number_Bytes 4",
                                 "Flags 0x2C: On_Timer, Int, Version 2"})
        QVERIFY2(r.out.contains(QString::fromUtf8(expected)), expected);
}

void TestCompileCli::inspectJson()
{
    QCOMPARE(runCli({QStringLiteral("compile"), m_project}).status, 0);
    const CliRun r = runCli({QStringLiteral("inspect"), m_project + QStringLiteral("/bin/bank.bin"), QStringLiteral("--json")});
    QCOMPARE(r.status, 0);
    QJsonParseError e;
    const QJsonObject j = QJsonDocument::fromJson(r.out.toUtf8(), &e).object();
    QCOMPARE(e.error, QJsonParseError::NoError);
    const QJsonObject g = j.value(QStringLiteral("general")).toObject();
    QCOMPARE(g.value(QStringLiteral("PROFINET_IP")).toString(), QStringLiteral("192.168.0.7"));
    QCOMPARE(g.value(QStringLiteral("SNMP_Manager_GAT")).toString(), QStringLiteral("255.255.255.255"));
    QCOMPARE(g.value(QStringLiteral("Num_Requests")).toInt(), 1);
    QCOMPARE(j.value(QStringLiteral("checksum")).toObject().value(QStringLiteral("match")).toBool(), true);
    const QJsonArray reqs = j.value(QStringLiteral("requests")).toArray();
    QCOMPARE(reqs.size(), 1);
    const QJsonObject rec = reqs.at(0).toObject();
    QCOMPARE(rec.value(QStringLiteral("OID")).toString(), QStringLiteral("1.3.6.1.2.1.1.5.0"));
    QCOMPARE(rec.value(QStringLiteral("Time")).toInt(), 1000);
    QCOMPARE(rec.value(QStringLiteral("FlagNames")).toArray(),
             QJsonArray({QStringLiteral("On_Timer"), QStringLiteral("Int"), QStringLiteral("Version 2")}));
}

void TestCompileCli::inspectBadImages_data()
{
    QTest::addColumn<QString>("damage");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("mark");
    QTest::newRow("block byte changed") << "block" << 1 << "CHECKSUM MISMATCH";
    QTest::newRow("leftover record") << "record" << 0 << "NOT COUNTED BY Num_Requests";
    QTest::newRow("one byte short") << "short" << 1 << "WRONG SIZE";
    QTest::newRow("one byte long") << "long" << 1 << "WRONG SIZE";
    QTest::newRow("missing file") << "missing" << 2 << "";
}

void TestCompileCli::inspectBadImages()
{
    QFETCH(QString, damage);
    QFETCH(int, status);
    QFETCH(QString, mark);
    QCOMPARE(runCli({QStringLiteral("compile"), m_project}).status, 0);
    const QString bank = m_project + QStringLiteral("/bin/bank.bin");
    QByteArray image = readAll(bank);
    if (damage == QLatin1String("block"))
        image[0x10400] = 1; // a reserved byte of the general block
    else if (damage == QLatin1String("record"))
        image[5 * 128 + 0x7F] = 0x10;
    else if (damage == QLatin1String("short"))
        image.chop(1);
    else if (damage == QLatin1String("long"))
        image += '\0';
    if (damage == QLatin1String("missing"))
        QVERIFY(QFile::remove(bank));
    else
        QVERIFY(tryWriteFile(bank, image));

    const CliRun r = runCli({QStringLiteral("inspect"), bank});
    QCOMPARE(r.status, status);
    QVERIFY2(r.out.contains(mark), qPrintable(r.out));
    if (status == 2)
        QVERIFY2(r.err.contains(QStringLiteral("bank.bin")), qPrintable(r.err));
    const CliRun j = runCli({QStringLiteral("inspect"), bank, QStringLiteral("--json")});
    QCOMPARE(j.status, status);
    if (status != 2)
        QVERIFY(QJsonDocument::fromJson(j.out.toUtf8()).isObject());
}

QTEST_GUILESS_MAIN(TestCompileCli)
#include "test_compile_cli.moc"
