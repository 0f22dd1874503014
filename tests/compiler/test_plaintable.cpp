// The compile reads a request table in the plain form straight from its
// bytes and everything else through the XML parser.  Both readings must give
// the same image, the same surplus and the same error for every document.
#include <QtTest>

#include "TestFiles.h"
#include "compiler/Compiler.h"
#include "compiler/PlainTable.h"
#include "documents/SnmpRequests.h"

#include <QTemporaryDir>

namespace {

const char* const kNames[] = {"Enable", "IP_Address", "Version", "Community_String", "OID", "Type",
                              "Mode", "On_Change", "On_Command", "On_Timer", "Time", "Position",
                              "Number_Bytes", "ConvertFrom", "Cancel", "Mnemonic"};

// Whether the bytes have the plain form (the scan reads them to the end).
bool isPlain(const QByteArray& doc, int* rows = nullptr)
{
    QByteArray padded = doc;
    padded.append(QByteArray(kv::PlainTableScan::Padding, '\0'));
    const kv::AttributeNames names(kNames, 16);
    const kv::PlainTableScan scan(names);
    int n = 0;
    const bool plain = scan.Scan(padded.constData(), padded.constData() + doc.size(), [&](const QByteArrayView*) { ++n; });
    if (rows)
        *rows = n;
    return plain;
}

QByteArray table(const QByteArray& rows)
{
    return "<SNMP_Agent_Access>" + rows + "</SNMP_Agent_Access><!--SW_VERSION = 1.000-->";
}

const QByteArray kRow = "<row Enable=\"Y\" IP_Address=\"10.1.2.3\" Version=\"2\" Community_String=\"public\" "
                        "OID=\"1.3.6.1.2.1.1.5.0\" Type=\"Int\" Mode=\"Set\" On_Change=\"Y\" On_Command=\"N\" "
                        "On_Timer=\"Y\" Time=\"250\" Position=\"7\" Number_Bytes=\"4\" ConvertFrom=\"Float * 10\" "
                        "Cancel=\"Y\" Mnemonic=\"name\"/>";

QByteArray manyRows(int n)
{
    QByteArray rows;
    for (int i = 0; i < n; ++i)
        rows += "<row Position=\"" + QByteArray::number(i) + "\" Enable=\"" + (i % 5 ? "Y" : "N") + "\"/>";
    return table(rows);
}

} // namespace

class TestPlainTable : public QObject {
    Q_OBJECT
private slots:
    void sameImageEitherWay_data();
    void sameImageEitherWay();
    void editorFilesArePlain();
};

void TestPlainTable::sameImageEitherWay_data()
{
    QTest::addColumn<QByteArray>("doc");
    QTest::addColumn<bool>("plain");

    // Read straight from the bytes.
    QTest::newRow("editor row") << table(kRow) << true;
    QTest::newRow("blanks, CR LF, spaced =, no trailing comment")
        << QByteArray("<T>\r\n  <row  Enable = 'Y'\tTime=\"5\"\n/>\r\n<row />\n</T >\n\n") << true;
    QTest::newRow("quotes of the other kind inside values")
        << table("<row Community_String='a\"b' OID=\"1'2\" Mnemonic='x'/>") << true;
    QTest::newRow("empty root") << QByteArray("<T/><!--a--><!-- b -- c -->") << true;
    QTest::newRow("empty values") << table("<row Enable=\"\" /><row IP_Address=\"\" Time=\"\" Version=\"\"/>") << true;
    QTest::newRow("other order, repeats, unknown names, any element name")
        << table("<x Time=\"9\" Time=\"8\" Zzz=\"1\" Enable=\" y \" Position=\"3\"/><row Mnemonic=\"m\" Enable=\"Y\"/>")
        << true;
    QTest::newRow("names alike but longer or shorter")
        << table("<row Enabled=\"N\" Enabl=\"N\" Time1=\"3\" Tim=\"4\"/>") << true;
    QTest::newRow("text outside ASCII, cut to the field")
        << table("<row Community_String=\"gr\xC3\xBC\xC3\x9F" "e-\xE2\x82\xAC-0123456789\" OID=\"\xC3\xA9\"/>") << true;
    QTest::newRow("control bytes the parser keeps")
        << table(QByteArray("<row Community_String=\"a\x01\x0B\x0C" "b\" OID=\"c\x1F\"/>")) << true;
    QTest::newRow("numbers in every form") << table(
        "<row Time=\"$10\" Position=\" 7\" Number_Bytes=\"0x20\" Version=\"-1\"/><row Time=\"4294967296\" "
        "Position=\"999999999\" Number_Bytes=\"0000000012\" Version=\"+2\"/><row Time=\"7 \" Position=\"1e3\"/>")
        << true;
    QTest::newRow("more enabled rows than records") << manyRows(700) << true;

    // Read through the XML parser: the same image, or the same error.
    QTest::newRow("entity in a value") << table("<row Community_String=\"a&amp;b&#65;\"/>") << false;
    QTest::newRow("tab and line break in a value") << table("<row Community_String=\"a\tb\nc\r\nd\"/>") << false;
    QTest::newRow("declaration first") << QByteArray("<?xml version=\"1.0\"?>") + table(kRow) << false;
    QTest::newRow("comment first") << QByteArray("<!--c-->") + table(kRow) << false;
    QTest::newRow("byte-order mark") << QByteArray("\xEF\xBB\xBF") + table(kRow) << false;
    QTest::newRow("blank first") << QByteArray(" ") + table(kRow) << false;
    QTest::newRow("comment between rows") << table(kRow + "<!--x-->" + kRow) << false;
    QTest::newRow("text between rows") << table(kRow + "text" + kRow) << false;
    QTest::newRow("row with content") << table("<row Enable=\"Y\" Time=\"3\"></row>") << false;
    QTest::newRow("row with a child") << table("<row Time=\"3\"><a/></row>") << false;
    QTest::newRow("root with an attribute") << QByteArray("<T a=\"1\">") + kRow + "</T>" << false;
    QTest::newRow("CDATA in the table") << table("<![CDATA[x]]>" + kRow) << false;
    QTest::newRow("name outside ASCII") << table("<row \xC3\xA9=\"1\" Time=\"3\"/>") << false;
    QTest::newRow("processing instruction after the root") << table(kRow) + "<?pi x?>" << false;
    QTest::newRow("UTF-16") << QByteArray("<\0T\0/\0>\0", 8) << false;
    // Not well-formed: both readings refuse the document alike.
    QTest::newRow("end tag differs") << QByteArray("<T>") + kRow + "</U>" << false;
    QTest::newRow("end tag longer") << QByteArray("<T>") + kRow + "</TT>" << false;
    QTest::newRow("no end tag") << QByteArray("<T>") + kRow << false;
    QTest::newRow("unterminated value") << table("<row Time=\"3/>") << false;
    QTest::newRow("value without quotes") << table("<row Time=3/>") << false;
    QTest::newRow("no blank between attributes") << table("<row Time=\"3\"Enable=\"Y\"/>") << false;
    QTest::newRow("blank inside />") << table("<row Time=\"3\"/ >") << false;
    QTest::newRow("zero byte in a value") << table(QByteArray("<row Time=\"3\0\"/>", 16)) << false;
    QTest::newRow("zero byte after the root") << table(kRow) + QByteArray("\0", 1) << false;
    QTest::newRow("unterminated comment after the root") << table(kRow) + "<!-- x" << false;
    QTest::newRow("text after the root") << table(kRow) + "x" << false;
    QTest::newRow("second root") << table(kRow) + "<T/>" << false;
    QTest::newRow("empty document") << QByteArray("") << false;
    QTest::newRow("lone <") << QByteArray("<") << false;
}

void TestPlainTable::sameImageEitherWay()
{
    QFETCH(QByteArray, doc);
    QFETCH(bool, plain);
    QCOMPARE(isPlain(doc), plain);

    const QByteArray parGen = "<Par_Gen><PROFINET_IP4>9</PROFINET_IP4></Par_Gen>";
    kv::Compiler scanned;
    kv::Compiler parsed;
    parsed.UsePlainTableScan(false);
    const kv::CompileOutcome a = scanned.CompileDocuments(parGen, doc);
    const kv::CompileOutcome b = parsed.CompileDocuments(parGen, doc);
    QCOMPARE(a.status, b.status);
    QCOMPARE(a.message, b.message);
    QCOMPARE(a.surplusRows, b.surplusRows);
    QCOMPARE(scanned.Output().toHex(), parsed.Output().toHex());

    // The same from files, where the bytes come from the reader.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString parGenPath = dir.filePath(QStringLiteral("ParGen.xml"));
    const QString tablePath = dir.filePath(QStringLiteral("SNMP_Manager.xml"));
    writeFile(parGenPath, parGen);
    writeFile(tablePath, doc);
    kv::Compiler fromFile;
    const kv::CompileOutcome f = fromFile.CompileProject(parGenPath, tablePath);
    QCOMPARE(f.status, b.status);
    QCOMPARE(f.surplusRows, b.surplusRows);
    QCOMPARE(fromFile.Output().toHex(), parsed.Output().toHex());
}

// What the table editor saves is read straight from the bytes, whatever the
// user typed; only characters the file must escape send it to the parser.
void TestPlainTable::editorFilesArePlain()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("SNMP_Manager.xml"));
    QVector<kv::SnmpRequest> rows(512);
    for (int i = 0; i < rows.size(); ++i) {
        kv::SnmpRequest& r = rows[i];
        r.Enable = i % 7 ? QStringLiteral("Y") : QStringLiteral("N");
        r.IP_Address = QStringLiteral("192.168.0.%1").arg(i % 250);
        r.Version = QStringLiteral("2");
        r.Community_String = QStringLiteral("gr\u00FC\u00DFe'%1").arg(i);
        r.OID = QStringLiteral("1.3.6.1.4.1.%1").arg(i);
        r.Type = QStringLiteral("Int");
        r.Mode = QStringLiteral("Get");
        r.On_Change = r.On_Command = r.On_Timer = r.Cancel = QStringLiteral("N");
        r.Time = QStringLiteral("1000");
        r.Position = QString::number(i);
        r.Number_Bytes = QStringLiteral("4");
        r.ConvertFrom = QStringLiteral("None");
        r.Mnemonic = QStringLiteral("request %1 (\u00B0C)").arg(i);
    }
    QVERIFY(kv::SaveSnmpRequests(rows, path));
    int n = 0;
    QVERIFY(isPlain(readAll(path), &n));
    QCOMPARE(n, 512);

    rows[3].Mnemonic = QStringLiteral("a & b < c \"d\"");
    QVERIFY(kv::SaveSnmpRequests(rows, path));
    QVERIFY(!isPlain(readAll(path)));
}

QTEST_GUILESS_MAIN(TestPlainTable)
#include "test_plaintable.moc"
