#include <QtTest>

#include "TestFiles.h"
#include "requests/SnmpRequests.h"
#include "requests/TextChecks.h"
#include "lang/LangTable.h"

#include <array>

using kv::SnmpRequest;

namespace {

// An enabled row that passes the check; a case changes what it needs.
SnmpRequest validRow()
{
    SnmpRequest r;
    r.Enable = QStringLiteral("Y");
    r.IP_Address = QStringLiteral("10.0.0.1");
    r.OID = QStringLiteral("1.3.6.1.2.1.1.5.0");
    r.On_Timer = QStringLiteral("N");
    r.Number_Bytes = QStringLiteral("4");
    r.ConvertFrom = QStringLiteral("None");
    return r;
}

QStringList L(std::initializer_list<const char*> texts)
{
    QStringList l;
    for (const char* t : texts)
        l << QString::fromUtf8(t);
    return l;
}

// A row set written compactly: one entry per row, "" for a valid row, else
// "Attribute=value|Attribute=value" applied over a valid row.
QVector<SnmpRequest> rowsFrom(const QStringList& patches)
{
    QVector<SnmpRequest> rows(kv::SnmpMaxRows, SnmpRequest::ResetRow());
    for (int i = 0; i < patches.size(); ++i) {
        SnmpRequest r = validRow();
        for (const QString& patch : patches.at(i).split(QLatin1Char('|'), Qt::SkipEmptyParts)) {
            const int eq = patch.indexOf(QLatin1Char('='));
            const QString name = patch.left(eq);
            int column = 0;
            for (int c = 1; c <= kv::SnmpFieldCount; ++c) {
                if (name == QLatin1String(SnmpRequest::AttributeName(c)))
                    column = c;
            }
            Q_ASSERT(column > 0);
            r.field(column) = patch.mid(eq + 1);
        }
        rows[i] = r;
    }
    return rows;
}

} // namespace

class TestSnmpDocument : public QObject {
    Q_OBJECT
private slots:
    void ipAddressText_data();
    void ipAddressText();
    void oidText_data();
    void oidText();
    void rowCheck_data();
    void rowCheck();
    void checkMessage();
    void positionChoiceCount_data();
    void positionChoiceCount();
    void roundTripKeepsTexts();
    void emptyTableSaves();
    void surplusRowsAreNotLoadedOrWritten();
    void unreadableDocument_data();
    void unreadableDocument();
};

void TestSnmpDocument::ipAddressText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("invalid");
    QTest::addColumn<QList<int>>("bytes");
    const QList<int> any;
    QTest::newRow("valid") << "192.168.1.125" << false << QList<int>{192, 168, 1, 125};
    QTest::newRow("lowest") << "0.0.0.0" << false << QList<int>{0, 0, 0, 0};
    QTest::newRow("highest") << "255.255.255.255" << false << QList<int>{255, 255, 255, 255};
    QTest::newRow("number rule: leading blank") << " 10.0.0.1" << false << QList<int>{10, 0, 0, 1};
    QTest::newRow("number rule: hex") << "$C0.168.0.x1F" << false << QList<int>{192, 168, 0, 31};
    QTest::newRow("above 255") << "256.1.1.1" << true << QList<int>{0, 1, 1, 1};
    QTest::newRow("negative") << "1.2.3.-1" << true << QList<int>{1, 2, 3, 0};
    // A part with no "." after it is empty: byte 0, and the text is invalid.
    QTest::newRow("three numbers") << "192.168.1" << true << QList<int>{192, 168, 0, 1};
    QTest::newRow("one number") << "5" << true << QList<int>{0, 0, 0, 5};
    QTest::newRow("five numbers") << "192.168.1.125.7" << true << QList<int>{192, 168, 1, 0};
    QTest::newRow("empty part") << "192.168..1" << true << any;
    QTest::newRow("trailing dot") << "1.2.3.4." << true << any;
    QTest::newRow("trailing blank") << "10.0.0.1 " << true << any;
    QTest::newRow("letters") << "a.b.c.d" << true << QList<int>{0, 0, 0, 0};
    QTest::newRow("empty") << "" << true << any;
}

void TestSnmpDocument::ipAddressText()
{
    QFETCH(QString, text);
    QFETCH(bool, invalid);
    QFETCH(QList<int>, bytes);
    std::array<quint8, 4> got{7, 7, 7, 7};
    QCOMPARE(kv::CheckIpAddressText(text, got), invalid);
    if (text.isEmpty())
        QCOMPARE(got, (std::array<quint8, 4>{7, 7, 7, 7})); // an empty text sets no byte
    for (int i = 0; i < bytes.size(); ++i)
        QCOMPARE(int(got[size_t(i)]), bytes.at(i));
}

void TestSnmpDocument::oidText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("code");
    const QString max64 = QStringLiteral("1.").repeated(31) + QStringLiteral("12");
    QTest::newRow("valid") << "1.3.6.1.2.1.1.5.0" << 0;
    QTest::newRow("single number") << "0" << 0;
    QTest::newRow("64 characters") << max64 << 0;
    QTest::newRow("65 characters with other faults") << (QStringLiteral(".x") + QString(63, QLatin1Char('1'))) << 1;
    QTest::newRow("letter") << "1.3.6.x" << 2;
    QTest::newRow("blank inside") << "1 .3" << 2;
    QTest::newRow("empty") << "" << 2;
    QTest::newRow("leading dot") << ".1.3" << 3;
    QTest::newRow("dot alone") << "." << 3;
    QTest::newRow("trailing dot") << "1.3." << 4;
    QTest::newRow("two dots") << "1..3" << 5;
    QTest::newRow("above 65535") << "1.3.65536" << 6;
    QTest::newRow("65535") << "1.3.65535" << 0;
    QTest::newRow("too long to convert") << "1.99999999999" << 6;
}

void TestSnmpDocument::oidText()
{
    QFETCH(QString, text);
    QFETCH(int, code);
    QCOMPARE(kv::CheckOidText(text), code);
}

void TestSnmpDocument::rowCheck_data()
{
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<int>("row");       // 0: passes
    QTest::addColumn<int>("textIndex");

    QTest::newRow("empty table") << QStringList() << 0 << 0;
    QTest::newRow("valid rows") << L({"", "", ""}) << 0 << 0;
    QTest::newRow("first failure wins") << L({"", "OID=.1", "IP_Address=x"}) << 2 << 641;
    QTest::newRow("disabled row skipped") << L({"Enable=N|IP_Address=abc|OID="}) << 0 << 0;
    // The compile takes a lower-case y: such a row is checked like any other.
    QTest::newRow("lower-case y is checked") << L({"Enable=y|IP_Address=abc"}) << 1 << 638;
    QTest::newRow("inserted row: empty Enable") << L({"Enable=|IP_Address=abc"}) << 0 << 0;
    QTest::newRow("Enable trimmed") << L({"Enable= Y |IP_Address=abc"}) << 1 << 638;
    QTest::newRow("bad address") << L({"", "IP_Address=192.168.1"}) << 2 << 638;
    QTest::newRow("address not trimmed") << L({"IP_Address=10.0.0.1 "}) << 1 << 638;
    QTest::newRow("empty OID") << L({"OID="}) << 1 << 640;
    QTest::newRow("OID too long") << QStringList{QStringLiteral("OID=") + QString(65, QLatin1Char('1'))} << 1 << 639;
    QTest::newRow("OID trailing dot") << L({"OID=1.3."}) << 1 << 642;
    QTest::newRow("OID two dots") << L({"OID=1..3"}) << 1 << 643;
    QTest::newRow("OID number too big") << L({"OID=1.65536"}) << 1 << 644;
    QTest::newRow("timer off, no time") << L({"On_Timer=N|Time="}) << 0 << 0;
    QTest::newRow("timer on, time 0") << L({"On_Timer=Y|Time=0"}) << 1 << 645;
    QTest::newRow("timer on, time 1") << L({"On_Timer=Y|Time=1"}) << 0 << 0;
    QTest::newRow("timer on, time 100000000") << L({"On_Timer=Y|Time=100000000"}) << 0 << 0;
    QTest::newRow("timer on, time 100000001") << L({"On_Timer=Y|Time=100000001"}) << 1 << 645;
    QTest::newRow("timer on trimmed, empty time") << L({"On_Timer= Y|Time="}) << 1 << 645;
    QTest::newRow("timer on in lower case, time 0") << L({"On_Timer=y|Time=0"}) << 1 << 645;
    QTest::newRow("bytes 0") << L({"Number_Bytes=0"}) << 0 << 0;
    QTest::newRow("bytes 1024") << L({"Number_Bytes=1024"}) << 0 << 0;
    QTest::newRow("bytes 1025") << L({"Number_Bytes=1025"}) << 1 << 646;
    QTest::newRow("bytes empty") << L({"Number_Bytes="}) << 1 << 646;
    QTest::newRow("bytes -1") << L({"Number_Bytes=-1"}) << 1 << 646;
    QTest::newRow("no conversion") << L({"ConvertFrom="}) << 1 << 656;
    QTest::newRow("blank conversion") << L({"ConvertFrom=  "}) << 1 << 656;
    QTest::newRow("fields not validated")
        << L({"Version=9|Community_String=|Type=x|Mode=|Position=99999|On_Change=?|On_Command=Q|Cancel=Z"})
        << 0 << 0;
    // The content ends at the first blank address; filled rows after it would
    // be lost on saving, so the blank row fails.
    QTest::newRow("blank tail ends the table") << L({"", "IP_Address=|OID=junk", "IP_Address= "}) << 0 << 0;
    // 1215: the row holds something but its address; 1214: it shows nothing
    // but its check boxes.
    QTest::newRow("gap before a filled row") << L({"", "IP_Address=", ""}) << 2 << 1215;
    QTest::newRow("blank-address gap") << L({"", "IP_Address=  ", ""}) << 2 << 1215;
    QTest::newRow("gap before a disabled row") << L({"IP_Address=", "Enable=N|IP_Address=junk"}) << 1 << 1215;
    QTest::newRow("empty row before a filled row")
        << L({"", "IP_Address=|OID=|Number_Bytes=|ConvertFrom= |On_Timer=Y|Cancel=Y", ""}) << 2 << 1214;
    QTest::newRow("failure before the gap wins") << L({"OID=.1", "IP_Address=", ""}) << 1 << 641;
}

void TestSnmpDocument::rowCheck()
{
    QFETCH(QStringList, rows);
    QFETCH(int, row);
    QFETCH(int, textIndex);
    const kv::SnmpCheckResult r = kv::CheckSnmpRequests(rowsFrom(rows));
    QCOMPARE(r.row, row);
    QCOMPARE(r.textIndex, textIndex);
}

void TestSnmpDocument::checkMessage()
{
    const kv::LangTable lang;
    QString message;
    QVERIFY(!kv::Controllo_dati(rowsFrom(L({"", "", "OID=.1.3"})), lang, &message));
    QCOMPARE(message, QStringLiteral("Error row 3!! OID string cannot start with a \".\""));

    // A gap far down the table: the last row is filled, the one before is not.
    QVector<SnmpRequest> rows(kv::SnmpMaxRows, validRow());
    rows[510] = SnmpRequest::ResetRow();
    QVERIFY(!kv::Controllo_dati(rows, lang, &message));
    QCOMPARE(message, QStringLiteral("Error row 511!! The row is empty, but rows after it are filled: the table ends at "
                                     "its first row without an IP Address, so those rows would not be saved. Delete "
                                     "this row or fill it in."));
    rows[511].IP_Address.clear();
    QVERIFY(kv::Controllo_dati(rows, lang, &message));
}

void TestSnmpDocument::positionChoiceCount_data()
{
    QTest::addColumn<QByteArray>("parGen"); // empty: no file
    QTest::addColumn<int>("count");
    const auto sizes = [](const char* in, const char* out) {
        QByteArray b("<Par_Gen>");
        if (in)
            b += QByteArray("<PROFINET_NB_IN>") + in + "</PROFINET_NB_IN>";
        if (out)
            b += QByteArray("<PROFINET_NB_OUT>") + out + "</PROFINET_NB_OUT>";
        return b + "</Par_Gen><!--SW_VERSION = 1.000-->";
    };
    QTest::newRow("no file") << QByteArray() << 1439;
    QTest::newRow("larger of the two") << sizes("16", "32") << 32;
    QTest::newRow("both 0") << sizes("0", "0") << 0;
    QTest::newRow("input not a number") << sizes("abc", "8") << 244;
    QTest::newRow("output missing") << sizes("16", nullptr) << 244;
    QTest::newRow("both missing") << sizes(nullptr, nullptr) << 244;
    QTest::newRow("capped at 1439") << sizes("5000", "8") << 1439;
    QTest::newRow("negative sizes") << sizes("-5", "-3") << 0;
    QTest::newRow("hex size") << sizes("$10", "0") << 16;
    QTest::newRow("comment ahead of the root")
        << QByteArray("<!--x--><Par_Gen><PROFINET_NB_IN>16</PROFINET_NB_IN></Par_Gen>") << 244;
}

void TestSnmpDocument::positionChoiceCount()
{
    QFETCH(QByteArray, parGen);
    QFETCH(int, count);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ParGen.xml"));
    if (!parGen.isEmpty())
        writeFile(path, parGen);
    QCOMPARE(kv::PositionChoiceCount(path), count);
    kv::SnmpTable table;
    QVERIFY(kv::LoadSnmpRequests(path, dir.filePath(QStringLiteral("SNMP_Manager.xml")), table).ok());
    QCOMPARE(table.PositionChoiceCount, count);
}

void TestSnmpDocument::roundTripKeepsTexts()
{
    const QString fixtures = QStringLiteral(KV_FIXTURES_DIR "/snmp_roundtrip/");
    kv::SnmpTable table;
    QVERIFY(kv::LoadSnmpRequests(QString(), fixtures + QStringLiteral("SNMP_Manager.xml"), table).ok());

    // The comment node filled row 4 with the defaults of missing attributes;
    // row 5 was read but lies after that blank address.
    const SnmpRequest& comment = table.rows[3];
    QCOMPARE(comment.Enable, QStringLiteral("Y"));
    QCOMPARE(comment.On_Change, QStringLiteral("N"));
    QCOMPARE(comment.On_Command, QStringLiteral("N"));
    QCOMPARE(comment.On_Timer, QStringLiteral("N"));
    QCOMPARE(comment.ConvertFrom, QStringLiteral("None"));
    QCOMPARE(comment.Cancel, QStringLiteral("N"));
    QVERIFY(comment.IP_Address.isEmpty() && comment.Mnemonic.isEmpty());
    QCOMPARE(table.rows[4].Mnemonic, QStringLiteral("after the gap"));
    QCOMPARE(table.rows[5], SnmpRequest::ResetRow());
    // Row 2 had only its address: enabled by default, and without an OID.
    QCOMPARE(kv::CheckSnmpRequests(table.rows).row, 2);
    QCOMPARE(kv::CheckSnmpRequests(table.rows).textIndex, 640);

    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("SNMP_Manager.xml"));
    QString error;
    QVERIFY2(kv::SaveSnmpRequests(table.rows, out, &error), qPrintable(error));
    QCOMPARE(readAll(out), readAll(fixtures + QStringLiteral("expected.xml")));

    // What was written reads back to the same rows.
    kv::SnmpTable again;
    QVERIFY(kv::LoadSnmpRequests(QString(), out, again).ok());
    for (int i = 0; i < 3; ++i)
        QCOMPARE(again.rows[i], table.rows[i]);
    QCOMPARE(again.rows[3], SnmpRequest::ResetRow());
}

void TestSnmpDocument::emptyTableSaves()
{
    const kv::SnmpTable table;
    QString message;
    QVERIFY(kv::Controllo_dati(table.rows, kv::LangTable(), &message));
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("SNMP_Manager.xml"));
    QVERIFY(kv::SaveSnmpRequests(table.rows, out));
    QCOMPARE(readAll(out), QByteArray("<SNMP_Agent_Access/><!--SW_VERSION = 1.000-->"));
}

void TestSnmpDocument::surplusRowsAreNotLoadedOrWritten()
{
    QByteArray file("<SNMP_Agent_Access>");
    for (int i = 1; i <= 520; ++i)
        file += "<row IP_Address=\"10.0." + QByteArray::number(i / 256) + '.' + QByteArray::number(i % 256)
            + "\" Mnemonic=\"r" + QByteArray::number(i) + "\"/>";
    file += "</SNMP_Agent_Access>";
    kv::SnmpTable table;
    QVERIFY(kv::LoadSnmpRequestsBytes(file, QStringLiteral("SNMP_Manager.xml"), table).ok());
    QCOMPARE(table.rows.size(), kv::SnmpMaxRows);
    QCOMPARE(table.surplusRows, 8);
    QCOMPARE(table.rows[511].Mnemonic, QStringLiteral("r512"));

    const QByteArray saved = kv::SnmpRequestsXml(table.rows);
    QCOMPARE(saved.count("<row "), 512);
    QVERIFY(saved.contains("Mnemonic=\"r512\"/></SNMP_Agent_Access>"));
}

void TestSnmpDocument::unreadableDocument_data()
{
    QTest::addColumn<QString>("broken");
    QTest::newRow("SNMP_Manager.xml") << "SNMP_Manager.xml";
    QTest::newRow("ParGen.xml") << "ParGen.xml";
}

void TestSnmpDocument::unreadableDocument()
{
    QFETCH(QString, broken);
    QTemporaryDir dir;
    const QString parGen = dir.filePath(QStringLiteral("ParGen.xml"));
    const QString snmp = dir.filePath(QStringLiteral("SNMP_Manager.xml"));
    writeFile(parGen, "<Par_Gen><PROFINET_NB_IN>16</PROFINET_NB_IN></Par_Gen>");
    writeFile(snmp, "<SNMP_Agent_Access><row IP_Address=\"10.0.0.1\"/></SNMP_Agent_Access>");
    writeFile(dir.filePath(broken), "<root>\n  <row IP_Address=\"1\">\n</root>");

    kv::SnmpTable table;
    table.rows[0].Mnemonic = QStringLiteral("kept");
    table.PositionChoiceCount = 7;
    const kv::XmlLoad r = kv::LoadSnmpRequests(parGen, snmp, table);
    QCOMPARE(r.status, kv::XmlLoad::Error);
    QVERIFY2(r.message.startsWith(QDir::toNativeSeparators(dir.filePath(broken)) + QStringLiteral(": ")),
             qPrintable(r.message));
    QVERIFY2(r.message.endsWith(QStringLiteral("at line 3, column 3")), qPrintable(r.message));
    QCOMPARE(table.rows[0].Mnemonic, QStringLiteral("kept"));
    QCOMPARE(table.PositionChoiceCount, 7);
}

QTEST_GUILESS_MAIN(TestSnmpDocument)
#include "test_snmp_document.moc"
