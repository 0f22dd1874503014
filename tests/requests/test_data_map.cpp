#include <QtTest>

#include "Cli.h"
#include "TestFiles.h"
#include "requests/DataMap.h"
#include "requests/SnmpRequests.h"

#include <QTemporaryDir>

namespace {

// A row element: Get, Set or Trap at Position with Num Bytes, and any
// further attributes.
QByteArray row(const char* mode, const char* position, const char* bytes, const QByteArray& more = QByteArray())
{
    return "<row IP_Address=\"10.0.0.1\" Mode=\"" + QByteArray(mode) + "\" Position=\"" + position
        + "\" Number_Bytes=\"" + bytes + "\" " + more + "/>";
}

QByteArray table(const QList<QByteArray>& rows)
{
    return "<SNMP_Agent_Access>" + rows.join() + "</SNMP_Agent_Access>";
}

QByteArray parGen(const QByteArray& nbIn, const QByteArray& nbOut)
{
    return "<Par_Gen><PROFINET_NB_IN>" + nbIn + "</PROFINET_NB_IN><PROFINET_NB_OUT>" + nbOut
        + "</PROFINET_NB_OUT></Par_Gen>";
}

QString area(kv::DataArea a)
{
    return a == kv::DataArea::Out ? QStringLiteral("out") : QStringLiteral("in");
}

// "sizes out/in; placements | findings", every range as from-to (to
// exclusive).
QString describe(const kv::DataMap& map)
{
    QStringList places;
    for (const kv::DataMapPlacement& p : map.placements)
        places << QStringLiteral("%1 %2 %3-%4").arg(area(p.area)).arg(p.row).arg(p.from).arg(p.to);
    QStringList findings;
    for (const kv::DataMapOverlap& o : map.overlaps)
        findings << QStringLiteral("overlap %1,%2 %3-%4").arg(o.rowA).arg(o.rowB).arg(o.from).arg(o.to);
    for (const kv::DataMapOutside& o : map.outside)
        findings << QStringLiteral("outside %1 %2 %3-%4/%5").arg(area(o.area)).arg(o.row).arg(o.from).arg(o.to).arg(o.size);
    for (const int r : map.refused)
        findings << QStringLiteral("refused %1").arg(r);
    return QStringLiteral("%1/%2; ").arg(map.sizes.out).arg(map.sizes.in) + places.join(QStringLiteral(", "))
        + QStringLiteral(" | ") + findings.join(QStringLiteral(", "));
}

const char kNoFile[] = "(none)";

} // namespace

class TestDataMap : public QObject {
    Q_OBJECT
private slots:
    void placements_data();
    void placements();
    void cliJsonAndStatus();
    void cliStatusForUnreadable();
    void tagNames_data();
    void tagNames();
    void tagListCsv();

private:
    QString project(const QByteArray& parGenXml, const QByteArray& tableXml);
    QTemporaryDir m_dir;
};

QString TestDataMap::project(const QByteArray& parGenXml, const QByteArray& tableXml)
{
    static int n = 0;
    const QString dir = m_dir.filePath(QString::number(++n));
    QDir().mkpath(dir);
    if (parGenXml != kNoFile)
        writeFile(dir + QStringLiteral("/ParGen.xml"), parGenXml);
    writeFile(dir + QStringLiteral("/SNMP_Manager.xml"), tableXml);
    return dir;
}

void TestDataMap::placements_data()
{
    QTest::addColumn<QByteArray>("parGenXml");
    QTest::addColumn<QByteArray>("tableXml");
    QTest::addColumn<QString>("expected");

    const QByteArray small = parGen("8", "8");
    QTest::newRow("overlap at one byte") << small << table({row("Get", "0", "4"), row("Get", "3", "2")})
                                         << "8/8; out 1 0-4, out 2 3-5 | overlap 1,2 3-4";
    QTest::newRow("touching ranges") << small << table({row("Get", "4", "4"), row("GET", "0", "4")})
                                     << "8/8; out 1 4-8, out 2 0-4 | ";
    QTest::newRow("each pair once, lower row first")
        << small << table({row("Get", "2", "2"), row("Get", "0", "8"), row("get", "3", "1")})
        << "8/8; out 1 2-4, out 2 0-8, out 3 3-4 | overlap 1,2 2-4, overlap 1,3 3-4, overlap 2,3 3-4";
    QTest::newRow("set and trap rows sharing bytes")
        << small << table({row("Set", "0", "4"), row("Trap", "2", "4"), row("", "2", "1")})
        << "8/8; in 1 0-4, in 2 2-6, in 3 2-3 | ";
    QTest::newRow("get and set in different areas") << small << table({row("Get", "0", "4"), row("Set", "0", "4")})
                                                    << "8/8; out 1 0-4, in 2 0-4 | ";
    QTest::newRow("ending at the size, one byte past")
        << parGen("8", "6") << table({row("Get", "2", "4"), row("Set", "5", "4"), row("Get", "6", "1")})
        << "6/8; out 1 2-6, in 2 5-9, out 3 6-7 | outside in 2 5-9/8, outside out 3 6-7/6";
    QTest::newRow("num bytes 0") << small << table({row("Get", "0", "0"), row("Get", "0", "4"), row("Get", "9", "0")})
                                 << "8/8; out 2 0-4 | ";
    QTest::newRow("disabled row") << small
                                  << table({row("Get", "0", "4", "Enable=\"N\""), row("Get", "0", "4", "Enable=\" y \""),
                                            row("Get", "1", "1", "Enable=\"\"")})
                                  << "8/8; out 2 0-4 | ";
    QTest::newRow("position 65540, defaults")
        << small << table({row("Get", "65540", "2"), row("Set", "-1", "1"), "<row IP_Address=\"10.0.0.1\"/>"})
        << "8/8; out 1 4-6, in 2 65535-65536, in 3 0-1 | outside in 2 65535-65536/8";
    QTest::newRow("sizes missing from ParGen.xml")
        << QByteArray("<Par_Gen/>") << table({row("Get", "1438", "1"), row("Set", "1439", "1")})
        << "1439/1439; out 1 1438-1439, in 2 1439-1440 | outside in 2 1439-1440/1439";
    QTest::newRow("sizes no integer") << parGen("x", " ") << table({row("Get", "1438", "2")})
                                      << "1439/1439; out 1 1438-1440 | outside out 1 1438-1440/1439";
    QTest::newRow("no ParGen.xml") << QByteArray(kNoFile) << table({row("Set", "0", "1")}) << "1439/1439; in 1 0-1 | ";
    QTest::newRow("refused num bytes")
        << small << table({row("Get", "0", "256"), row("Get", "0", "-1"), row("Get", "0", "x"), row("Get", "0", "255")})
        << "8/8; out 3 0-1, out 4 0-255 | overlap 3,4 0-1, outside out 4 0-255/8, refused 1, refused 2";
}

void TestDataMap::placements()
{
    QFETCH(QByteArray, parGenXml);
    QFETCH(QByteArray, tableXml);
    QFETCH(QString, expected);
    const QString dir = project(parGenXml, tableXml);
    const kv::DataMapLoad r = kv::ReadDataMap(dir + QStringLiteral("/ParGen.xml"), dir + QStringLiteral("/SNMP_Manager.xml"));
    QVERIFY(r.ok());
    QCOMPARE(describe(r.map), expected);

    // The editor's rows, as the window would hand them over, give the same map.
    kv::SnmpTable editor;
    QVERIFY(kv::LoadSnmpRequestsBytes(tableXml, QStringLiteral("SNMP_Manager.xml"), editor).ok());
    QCOMPARE(describe(kv::ComputeDataMap(kv::DataMapRowsOf(editor.rows), r.map.sizes)), expected);
}

void TestDataMap::cliJsonAndStatus()
{
    const QString dir = project(parGen("8", "6"), table({row("Get", "0", "4", "Mnemonic=\"a&quot;b\\\""),
                                                         row("Get", "3", "2"), row("Set", "5", "4"),
                                                         row("Trap", "0", "300")}));
    CliRun r = runCli({QStringLiteral("map"), dir, QStringLiteral("--json")});
    QCOMPARE(r.status, 1);
    QCOMPARE(r.out, QStringLiteral("{\"kind\":\"row\",\"area\":\"out\",\"row\":1,\"from\":0,\"to\":4,\"mnemonic\":\"a\\\"b\\\\\"}\n"
                                   "{\"kind\":\"row\",\"area\":\"out\",\"row\":2,\"from\":3,\"to\":5,\"mnemonic\":\"\"}\n"
                                   "{\"kind\":\"row\",\"area\":\"in\",\"row\":3,\"from\":5,\"to\":9,\"mnemonic\":\"\"}\n"
                                   "{\"kind\":\"overlap\",\"area\":\"out\",\"rows\":[1,2],\"from\":3,\"to\":4}\n"
                                   "{\"kind\":\"outside\",\"area\":\"in\",\"row\":3,\"from\":5,\"to\":9,\"size\":8}\n"
                                   "{\"kind\":\"refused\",\"row\":4}\n"));

    r = runCli({QStringLiteral("check"), dir});
    QVERIFY2(r.err.contains(QStringLiteral("warning: SNMP_Manager.xml: overlap: rows 1 and 2 share out byte 3")), qPrintable(r.err));
    QVERIFY2(r.err.contains(QStringLiteral("warning: SNMP_Manager.xml: outside: row 3")), qPrintable(r.err));

    const QString clean = project(parGen("8", "8"), table({row("Get", "0", "4"), row("Get", "4", "4")}));
    r = runCli({QStringLiteral("map"), clean});
    QCOMPARE(r.status, 0);
    QVERIFY2(r.out.contains(QStringLiteral("row 2: out bytes 4-7\n")), qPrintable(r.out));
}

void TestDataMap::cliStatusForUnreadable()
{
    QCOMPARE(runCli({QStringLiteral("map"), project("<Par_Gen>", table({}))}).status, 2);
    QCOMPARE(runCli({QStringLiteral("map"), project(parGen("8", "8"), "<SNMP_Agent_Access><row")}).status, 2);
    QCOMPARE(runCli({QStringLiteral("map"), m_dir.filePath(QStringLiteral("absent"))}).status, 2);
}

void TestDataMap::tagNames_data()
{
    QTest::addColumn<QStringList>("mnemonics");
    QTest::addColumn<QStringList>("tags");
    const auto l = [](std::initializer_list<const char*> texts) {
        QStringList out;
        for (const char* t : texts)
            out << QString::fromUtf8(t);
        return out;
    };
    QTest::newRow("kept") << l({"Temp", "pump_2", "A1"}) << l({"Temp", "pump_2", "A1"});
    QTest::newRow("other characters") << l({"Temp (°C)", "__a  -b__", "Drücke.Ölstand"})
                                      << l({"Temp_C", "a_b", "Drucke_Olstand"});
    QTest::newRow("leading digit, empty") << l({"1st floor", "", "  ", "%%"}) << l({"tag_1st_floor", "row_2", "row_3", "row_4"});
    QTest::newRow("duplicates ignoring case") << l({"Temp", "temp", "TEMP"}) << l({"Temp", "temp_2", "TEMP_3"});
    QTest::newRow("a later row's own name is kept") << l({"Temp", "Temp", "Temp_2"}) << l({"Temp", "Temp_3", "Temp_2"});
    QTest::newRow("mnemonic like a later row_N") << l({"row 3", "x", ""}) << l({"row_3", "x", "row_3_2"});
}

void TestDataMap::tagNames()
{
    QFETCH(QStringList, mnemonics);
    QFETCH(QStringList, tags);
    QVector<kv::DataMapRow> rows;
    for (const QString& m : mnemonics) {
        kv::DataMapRow r;
        r.row = int(rows.size()) + 1;
        r.mnemonic = m;
        rows << r;
    }
    QCOMPARE(kv::DataMapTagNames(rows), tags);
}

void TestDataMap::tagListCsv()
{
    const QString dir = project(
        parGen("8", "8"),
        table({row("Get", "2", "4", "Type=\"Int\" OID=\"1.3.6\" Mnemonic=\"a,b\""), row("Get", "0", "0"),
               row("Set", "0", "300"), row("Trap", "1", "2", "Type=\"String\" Mnemonic=\"Temp\"")}));
    const QString out = m_dir.filePath(QStringLiteral("tags.csv"));
    QCOMPARE(runCli({QStringLiteral("map"), dir, QStringLiteral("--tags"), QStringLiteral("-o"), out}).status, 0);
    QCOMPARE(readAll(out), QByteArray("\xEF\xBB\xBF"
                                      "Tag,Direction,Byte offset,Byte count,Type,Row,Agent,OID,Mnemonic\r\n"
                                      "a_b,controller input,2,4,Int,1,10.0.0.1,1.3.6,\"a,b\"\r\n"
                                      "Temp,controller output,1,2,String,4,10.0.0.1,,Temp\r\n"));
}

QTEST_GUILESS_MAIN(TestDataMap)
#include "test_data_map.moc"
