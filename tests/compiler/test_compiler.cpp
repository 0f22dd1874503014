#include <QtTest>

#include "TestFiles.h"
#include "compiler/Compiler.h"
#include "compiler/ConfigImage.h"
#include "lang/LangTable.h"

#include <QTemporaryDir>

// A run of expected bytes at a file offset of the image, written by hand
// from the device's image layout.
struct Range {
    int offset;
    QByteArray bytes;
};
using Ranges = QVector<Range>;
Q_DECLARE_METATYPE(Ranges)

namespace {

QByteArray hex(const char* h)
{
    return QByteArray::fromHex(h);
}

// The general block's fixed values (file offsets), in every image.
Ranges fixedValues()
{
    return {{0x10000, hex("48E80100")}, {0x1000C, hex("80250000")}, {0x10010, hex("0800")},
            {0x10034, hex("102711271127")}, {0x1003C, hex("80250000")}, {0x10040, hex("0800")},
            {0x10170, hex("00800500")}};
}

QByteArray littleEndian(quint32 v, int n)
{
    QByteArray b;
    for (int i = 0; i < n; ++i)
        b += char((v >> (8 * i)) & 0xFF);
    return b;
}

QByteArray table(const QByteArray& rows)
{
    return "<SNMP_Agent_Access>" + rows + "</SNMP_Agent_Access><!--SW_VERSION = 1.000-->";
}

QByteArray parGen(const QByteArray& keys)
{
    return "<Par_Gen>" + keys + "</Par_Gen><!--SW_VERSION = 1.000-->";
}

QString describe(const QByteArray& image, int offset, int n)
{
    return QString::fromLatin1(image.mid(offset, n).toHex(' ').toUpper());
}

// Empty when equal, else the first differing 16-byte line of both.
QString firstDifference(const QByteArray& image, const QByteArray& expected)
{
    for (int i = 0; i < qMin(image.size(), expected.size()); ++i) {
        if (image.at(i) != expected.at(i))
            return QStringLiteral("first difference at 0x%1: %2, expected %3")
                .arg(i, 5, 16, QLatin1Char('0'))
                .arg(describe(image, i & ~15, 16), describe(expected, i & ~15, 16));
    }
    return image.size() == expected.size() ? QString() : QStringLiteral("sizes differ");
}

} // namespace

class TestCompiler : public QObject {
    Q_OBJECT
private slots:
    void wholeImage_data();
    void wholeImage();
    void golden_data();
    void golden();
    void fields_data();
    void fields();
    void checksumCoverage();
    void requestCount_data();
    void requestCount();
    void recompileStartsAfresh();
    void conversionCode_data();
    void conversionCode();
    void writeFailureKeepsOldFile_data();
    void writeFailureKeepsOldFile();
    void malformedDocumentWritesNothing_data();
    void malformedDocumentWritesNothing();
    void valueBeyondItsField_data();
    void valueBeyondItsField();
};

// Whole images: the listed bytes and zero everywhere else.
void TestCompiler::wholeImage_data()
{
    QTest::addColumn<QByteArray>("parGenDoc");
    QTest::addColumn<QByteArray>("snmpDoc");
    QTest::addColumn<Ranges>("nonZero");

    Ranges defaults = fixedValues();
    defaults << Range{0x10028, hex("C0A802CD")} << Range{0x1002C, hex("FFFFFF00")} << Range{0x10030, hex("FFFFFFFF")}
             << Range{0x107FC, hex("E70C0000")};
    QTest::newRow("no documents") << QByteArray() << QByteArray() << defaults;

    // A file that exists takes the compile's own defaults for every key.
    Ranges bare = fixedValues();
    bare << Range{0x10028, hex("C0A80005")} << Range{0x1002C, hex("FFFFFF00")} << Range{0x10030, hex("FFFFFFFF")}
         << Range{0x10050, QByteArray("devicename1\0\0\0\0\0", 16)} << Range{0x10130, hex("C0A8000A")}
         << Range{0x10134, hex("FFFFFF00")} << Range{0x10138, hex("FFFFFFFF")}
         << Range{0x101B8, QByteArray("devicename1\0\0\0\0\0", 16)} << Range{0x107FC, hex("0C1D0000")};
    QTest::newRow("Par_Gen without children") << QByteArray("<Par_Gen/>") << QByteArray() << bare;
    QTest::newRow("empty request table") << QByteArray("<Par_Gen/>") << table("") << bare;

    // The request of the compile's worked example, community and OID added.
    Ranges record = defaults;
    record.removeLast();
    record << Range{0x00, hex("04000000E8030000")} << Range{0x08, QByteArray("public")}
           << Range{0x18, QByteArray("1.3.6.1.2.1.1.5.0")} << Range{0x78, hex("1401A8C00000042C")}
           << Range{0x1016C, hex("01000000")} << Range{0x107FC, hex("E80C0000")};
    QTest::newRow("record example")
        << QByteArray() << table("<row Enable=\"Y\" IP_Address=\"192.168.1.20\" Version=\"2\" Community_String=\"public\" "
                                 "OID=\"1.3.6.1.2.1.1.5.0\" Type=\"Int\" Mode=\"Get\" On_Change=\"N\" On_Command=\"N\" "
                                 "On_Timer=\"Y\" Time=\"1000\" Position=\"4\" Number_Bytes=\"4\" ConvertFrom=\"None\" "
                                 "Cancel=\"N\" Mnemonic=\"sysName\"/>")
        << record;
}

void TestCompiler::wholeImage()
{
    QFETCH(QByteArray, parGenDoc);
    QFETCH(QByteArray, snmpDoc);
    QFETCH(Ranges, nonZero);

    kv::Compiler c;
    QVERIFY(c.CompileDocuments(parGenDoc, snmpDoc).ok());
    const QByteArray image = c.Output();
    QCOMPARE(image.size(), kv::ImageSize);
    QCOMPARE(c.ImageLength(), kv::ImageSize);

    QByteArray expected(kv::ImageSize, '\0');
    for (const Range& r : nonZero)
        expected.replace(r.offset, r.bytes.size(), r.bytes);
    const QString difference = firstDifference(image, expected);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

// Configuration directories tests/fixtures/compile_*/ beside the image
// they must give (expected_bank.bin).
void TestCompiler::golden_data()
{
    QTest::addColumn<QString>("dir");
    const QDir fixtures(QStringLiteral(KV_FIXTURES_DIR));
    const QStringList cases = fixtures.entryList({QStringLiteral("compile_*")}, QDir::Dirs);
    QVERIFY(!cases.isEmpty());
    for (const QString& c : cases)
        QTest::newRow(qPrintable(c)) << fixtures.filePath(c);
}

void TestCompiler::golden()
{
    QFETCH(QString, dir);
    QTemporaryDir out;
    QVERIFY(out.isValid());
    const QString bank = out.filePath(QStringLiteral("bank.bin"));
    const kv::CompileOutcome r = kv::CompileProjectToFile(dir + QStringLiteral("/ParGen.xml"),
                                                          dir + QStringLiteral("/SNMP_Manager.xml"), bank);
    QVERIFY2(r.ok(), qPrintable(r.message));
    const QByteArray image = readAll(bank);
    const QByteArray expected = readAll(dir + QStringLiteral("/expected_bank.bin"));
    QCOMPARE(expected.size(), kv::ImageSize);
    QCOMPARE(image.size(), kv::ImageSize);
    const QString difference = firstDifference(image, expected);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

// One value per row: the bytes at one file offset after compiling.
void TestCompiler::fields_data()
{
    QTest::addColumn<QByteArray>("parGenDoc");
    QTest::addColumn<QByteArray>("snmpDoc");
    QTest::addColumn<Ranges>("expected");

    const QByteArray gat = "<PROFINET_GAT1>10</PROFINET_GAT1><PROFINET_GAT4>254</PROFINET_GAT4>";
    QTest::newRow("gateway flag 1 keeps gateway")
        << parGen(gat + "<PROFINET_EN_GAT>1</PROFINET_EN_GAT>") << QByteArray() << Ranges{{0x10030, hex("0AA800FE")}};
    QTest::newRow("gateway flag 0") << parGen(gat + "<PROFINET_EN_GAT>0</PROFINET_EN_GAT>") << QByteArray()
                                    << Ranges{{0x10030, hex("FFFFFFFF")}};
    QTest::newRow("gateway flag missing") << parGen(gat) << QByteArray() << Ranges{{0x10030, hex("FFFFFFFF")}};
    QTest::newRow("gateway flag other text") << parGen(gat + "<PROFINET_EN_GAT>true</PROFINET_EN_GAT>")
                                             << QByteArray() << Ranges{{0x10030, hex("0AA800FE")}};
    QTest::newRow("SNMP gateway flag 1") << parGen("<SNMP_Manager_EN_GAT>1</SNMP_Manager_EN_GAT>") << QByteArray()
                                         << Ranges{{0x10138, hex("C0A80001")}, {0x10030, hex("FFFFFFFF")}};
    QTest::newRow("octet 300") << parGen("<PROFINET_IP1>300</PROFINET_IP1>") << QByteArray()
                               << Ranges{{0x10028, hex("2CA80005")}};
    QTest::newRow("octet abc") << parGen("<PROFINET_IP1>abc</PROFINET_IP1>") << QByteArray()
                               << Ranges{{0x10028, hex("C0A80005")}};
    QTest::newRow("octet -1 and hex") << parGen("<SNMP_Manager_SM4>-1</SNMP_Manager_SM4><SNMP_Manager_IP4>$1F</SNMP_Manager_IP4>")
                                      << QByteArray() << Ranges{{0x10130, hex("C0A8001F")}, {0x10134, hex("FFFFFFFF")}};
    QTest::newRow("octet trailing blank") << parGen("<PROFINET_SM3>7 </PROFINET_SM3>") << QByteArray()
                                          << Ranges{{0x1002C, hex("FFFFFF00")}};
    QTest::newRow("empty name element") << parGen("<SNMP_Name_of_Station/>") << QByteArray()
                                        << Ranges{{0x101B8, QByteArray(16, '\0')}};
    QTest::newRow("name of 16 fills its field") << parGen("<PROFINET_NAME_STA>abcdefghijklmnop</PROFINET_NAME_STA>")
                                    << QByteArray() << Ranges{{0x10050, QByteArray("abcdefghijklmnop")}, {0x10060, hex("00000000")}};
    // U+0080..U+00FF reach the device as their Latin-1 byte, which is the
    // character itself.
    QTest::newRow("texts of Latin-1 characters keep their bytes")
        << parGen("<PROFINET_NAME_STA>\xC3\xA9\xC3\xBF</PROFINET_NAME_STA>"
                  "<SNMP_Name_of_Station>Ger\xC3\xA4t</SNMP_Name_of_Station>")
        << table("<row Community_String=\"\xC3\xA4\xC2\xA0x\" OID=\"1.\xC2\xB0\"/>")
        << Ranges{{0x10050, hex("E9FF00")}, {0x101B8, hex("476572E47400")}, {0x08, hex("E4A07800")},
                  {0x18, hex("312EB000")}};
    QTest::newRow("first node not the root")
        << QByteArray("<!--c--><Par_Gen><PROFINET_IP4>7</PROFINET_IP4></Par_Gen>") << QByteArray()
        << Ranges{{0x10028, hex("C0A80005")}};

    // Request rows: record 0 at file offset 0, record 1 at 0x80.
    QTest::newRow("Enable values")
        << QByteArray()
        << table("<row Position=\"1\"/><row Enable=\"\" Position=\"2\"/><row Enable=\" y \" Position=\"3\"/>"
                 "<row Enable=\"n\" Position=\"4\"/><row Enable=\"Yes\" Position=\"5\"/><row Enable=\"Y\" Position=\"6\"/>")
        << Ranges{{0x00, hex("0100")}, {0x80, hex("0300")}, {0x100, hex("0600")}, {0x180, QByteArray(128, '\0')},
                  {0x1016C, hex("03000000")}};
    QTest::newRow("Version 1") << QByteArray() << table("<row Version=\"1\"/>") << Ranges{{0x7F, hex("10")}};
    QTest::newRow("Version 2") << QByteArray() << table("<row Version=\"2\"/>") << Ranges{{0x7F, hex("20")}};
    QTest::newRow("Version 3") << QByteArray() << table("<row Version=\"3\"/>") << Ranges{{0x7F, hex("40")}};
    QTest::newRow("Version 7") << QByteArray() << table("<row Version=\"7\"/>") << Ranges{{0x7F, hex("40")}};
    QTest::newRow("Version abc") << QByteArray() << table("<row Version=\"abc\"/>") << Ranges{{0x7F, hex("10")}};
    QTest::newRow("Version missing") << QByteArray() << table("<row/>") << Ranges{{0x7F, hex("10")}};
    QTest::newRow("Mode get") << QByteArray() << table("<row Mode=\"get\"/>") << Ranges{{0x7D, hex("00")}};
    QTest::newRow("Mode Set") << QByteArray() << table("<row Mode=\"Set\"/>") << Ranges{{0x7D, hex("01")}};
    QTest::newRow("Mode Trap") << QByteArray() << table("<row Mode=\"Trap\"/>") << Ranges{{0x7D, hex("02")}};
    QTest::newRow("Mode leading blank") << QByteArray() << table("<row Mode=\" Get\"/>") << Ranges{{0x7D, hex("02")}};
    QTest::newRow("Mode missing") << QByteArray() << table("<row/>") << Ranges{{0x7D, hex("02")}};
    QTest::newRow("Type Int") << QByteArray() << table("<row Type=\"Int\"/>") << Ranges{{0x7F, hex("18")}};
    QTest::newRow("Type String") << QByteArray() << table("<row Type=\"String\"/>") << Ranges{{0x7F, hex("10")}};
    QTest::newRow("Type not trimmed") << QByteArray() << table("<row Type=\"int \"/>") << Ranges{{0x7F, hex("10")}};
    QTest::newRow("triggers and Cancel")
        << QByteArray() << table("<row On_Change=\"Y\" On_Command=\"y\" On_Timer=\"Y\" Cancel=\"Y\"/><row On_Timer=\"Y \"/>")
        << Ranges{{0x7F, hex("97")}, {0xFF, hex("10")}};
    QTest::newRow("ConvertFrom blanks")
        << QByteArray() << table("<row ConvertFrom=\" float * 10 \"/><row ConvertFrom=\"Float*10\"/><row/>")
        << Ranges{{0x7C, hex("02")}, {0xFC, hex("00")}, {0x17C, hex("00")}};
    QTest::newRow("community 15 characters")
        << QByteArray() << table("<row Community_String=\"ABCDEFGHIJKLMNO\"/>")
        << Ranges{{0x08, QByteArray("ABCDEFGHIJKLMNO\0", 16)}, {0x18, hex("00")}};
    QTest::newRow("community missing and empty")
        << QByteArray() << table("<row/><row Community_String=\"\"/><row Community_String=\" Pub \"/>")
        << Ranges{{0x08, QByteArray("marble\0", 7)}, {0x88, QByteArray(16, '\0')}, {0x108, QByteArray(" Pub \0", 6)}};
    QTest::newRow("OID of 96 fills its field")
        << QByteArray() << table("<row OID=\"" + QByteArray(96, '7') + "\"/>")
        << Ranges{{0x18, QByteArray(96, '7')}, {0x78, hex("00000000")}};
    QTest::newRow("IP missing or empty")
        << QByteArray() << table("<row/><row IP_Address=\"\"/>") << Ranges{{0x78, hex("00000000")}, {0xF8, hex("00000000")}};
    QTest::newRow("IP five numbers") << QByteArray() << table("<row IP_Address=\"192.168.1.10.7\"/>")
                                     << Ranges{{0x78, hex("0001A8C0")}};
    QTest::newRow("IP part above 255") << QByteArray() << table("<row IP_Address=\"256.1.1.1\"/>")
                                       << Ranges{{0x78, hex("01010100")}};
    QTest::newRow("IP three numbers") << QByteArray() << table("<row IP_Address=\"10.1.2\"/>")
                                      << Ranges{{0x78, hex("0200010A")}};
    QTest::newRow("numbers and their defaults")
        << QByteArray() << table("<row/><row Time=\"-1\" Position=\"70000\" Number_Bytes=\"255\"/>"
                                 "<row Time=\"$10\" Position=\"x\" Number_Bytes=\"$2C\"/>")
        << Ranges{{0x00, hex("00000000E8030000")}, {0x7E, hex("01")},
                  {0x80, hex("70110000FFFFFFFF")}, {0xFE, hex("FF")},
                  {0x100, hex("0000000010000000")}, {0x17E, hex("2C")}};
    QTest::newRow("only elements are rows")
        << QByteArray() << table("<!--note--><item Position=\"9\"/>text<?pi x?>")
        << Ranges{{0x00, hex("0900")}, {0x80, QByteArray(128, '\0')}, {0x1016C, hex("01000000")}};
    QTest::newRow("names not compared")
        << QByteArray() << QByteArray("<Table><entry Position=\"5\"/></Table>") << Ranges{{0x00, hex("0500")}};
}

void TestCompiler::fields()
{
    QFETCH(QByteArray, parGenDoc);
    QFETCH(QByteArray, snmpDoc);
    QFETCH(Ranges, expected);

    kv::Compiler c;
    const kv::CompileOutcome r = c.CompileDocuments(parGenDoc, snmpDoc);
    QVERIFY2(r.ok(), qPrintable(r.message));
    // The shared address check takes the whole remainder as the third part
    // when no dot is left, so 10.1.2 gives 10.1.2.2 instead of 10.1.0.2.
    for (const Range& e : expected)
        QCOMPARE(describe(c.Output(), e.offset, e.bytes.size()), describe(e.bytes, 0, e.bytes.size()));
}

void TestCompiler::checksumCoverage()
{
    kv::ConfigImage img;
    img.SetImageDefaults();
    img.ClearRequestTable();
    img.General.Request_Table_Const = kv::RequestTableConstValue;
    const QByteArray base = img.Serialize();
    const QByteArray baseSum = base.mid(0x107FC, 4);
    QCOMPARE(baseSum, hex("E70C0000"));

    // The request table is not covered.
    img.RequestTable[0].Flags = 0xFF;
    img.RequestTable[511].OID.fill(0xFF);
    img.RequestTable[511].IP_Address = 0xFFFFFFFF;
    QCOMPARE(img.Serialize().mid(0x107FC, 4), baseSum);

    // Every general block byte below the checksum is.
    img.General.Num_Requests += 1;
    QCOMPARE(img.Serialize().mid(0x107FC, 4), hex("E80C0000"));

    QByteArray block = base.mid(kv::RequestTableSize);
    const uchar* b = reinterpret_cast<const uchar*>(block.constData());
    block[0x7FB] = 1;
    QCOMPARE(kv::ConfigImage::Block_Checksum(b), 0x0CE8u);
    block[0x7FC] = char(0x55);
    block[0x7FF] = char(0x55);
    QCOMPARE(kv::ConfigImage::Block_Checksum(b), 0x0CE8u);
    block.fill(char(0xFF));
    b = reinterpret_cast<const uchar*>(block.constData());
    QCOMPARE(kv::ConfigImage::Block_Checksum(b), 2044u * 255u); // largest sum, no wrap
}

void TestCompiler::requestCount_data()
{
    QTest::addColumn<int>("enabledRows");
    QTest::addColumn<int>("numRequests");
    QTest::addColumn<int>("surplus");
    QTest::newRow("none") << 0 << 0 << 0;
    QTest::newRow("one") << 1 << 1 << 0;
    QTest::newRow("full table") << 512 << 512 << 0;
    QTest::newRow("hand-edited surplus") << 600 << 512 << 88;
}

void TestCompiler::requestCount()
{
    QFETCH(int, enabledRows);
    QFETCH(int, numRequests);
    QFETCH(int, surplus);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QByteArray rows;
    for (int i = 0; i < enabledRows; ++i) {
        // A disabled row between the enabled ones neither counts nor fills.
        rows += "<row Enable=\"N\" Position=\"9999\"/>";
        rows += "<row Enable=\"Y\" IP_Address=\"10.0.0.1\" Position=\"" + QByteArray::number(i) + "\"/>";
    }
    QVERIFY(tryWriteFile(dir.filePath(QStringLiteral("SNMP_Manager.xml")), table(rows)));
    const QString bank = dir.filePath(QStringLiteral("bank.bin"));
    const kv::CompileOutcome r = kv::CompileProjectToFile(dir.filePath(QStringLiteral("ParGen.xml")),
                                                          dir.filePath(QStringLiteral("SNMP_Manager.xml")), bank);
    QVERIFY2(r.ok(), qPrintable(r.message));
    QCOMPARE(r.surplusRows, surplus);

    const QByteArray image = readAll(bank);
    QCOMPARE(image.size(), 67584);
    QCOMPARE(image.mid(0x1016C, 4), littleEndian(quint32(numRequests), 4));
    if (numRequests > 0) {
        // The last record comes from the last enabled row that found room.
        const int last = (numRequests - 1) * 128;
        QCOMPARE(image.mid(last, 2), littleEndian(quint32(numRequests - 1), 2));
        QCOMPARE(image.mid(last + 0x78, 4), hex("0100000A"));
    }
    for (int i = numRequests * 128; i < kv::RequestTableSize; ++i)
        QCOMPARE(image.at(i), '\0');
}

void TestCompiler::recompileStartsAfresh()
{
    kv::Compiler c;
    QVERIFY(c.CompileDocuments(parGen("<PROFINET_IP4>9</PROFINET_IP4>"),
                               table("<row Position=\"1\"/><row Position=\"2\"/>")).ok());
    QVERIFY(c.CompileDocuments(QByteArray(), table("<row Position=\"3\"/>")).ok());
    const QByteArray image = c.Output();
    QCOMPARE(image.mid(0, 2), hex("0300"));
    QCOMPARE(image.mid(0x80, 128), QByteArray(128, '\0'));
    QCOMPARE(image.mid(0x10028, 4), hex("C0A802CD"));
    QCOMPARE(image.mid(0x1016C, 4), hex("01000000"));
}

void TestCompiler::conversionCode_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("code");
    QTest::newRow("None") << "None" << 0;
    QTest::newRow("Float") << "Float" << 1;
    QTest::newRow("Float * 10") << "Float * 10" << 2;
    QTest::newRow("Float * 100") << "Float * 100" << 3;
    QTest::newRow("lower, tab and blanks") << "\tfloat * 100  " << 3;
    QTest::newRow("no blanks") << "Float*10" << 0;
    QTest::newRow("two blanks") << "Float  * 10" << 0;
    QTest::newRow("empty") << "" << 0;
}

void TestCompiler::conversionCode()
{
    QFETCH(QString, text);
    QFETCH(int, code);
    QCOMPARE(int(kv::ConversionCode(text)), code);
}

// The image is written whole or not at all; a failure names the file.
void TestCompiler::writeFailureKeepsOldFile_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("target is a directory") << "dir";
    QTest::newRow("bin directory missing") << "missing";
    QTest::newRow("read-only directory") << "readonly";
}

void TestCompiler::writeFailureKeepsOldFile()
{
    QFETCH(QString, how);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString bin = dir.filePath(QStringLiteral("bin"));
    QString bank = bin + QStringLiteral("/bank.bin");
    const QByteArray old = "previous image";
    if (how == QLatin1String("dir")) {
        QVERIFY(QDir().mkpath(bank));
    } else if (how == QLatin1String("missing")) {
        bank = dir.filePath(QStringLiteral("nowhere/bank.bin"));
    } else {
        QVERIFY(QDir().mkpath(bin));
        QVERIFY(tryWriteFile(bank, old));
        QVERIFY(QFile::setPermissions(bin, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        QFile probe(bin + QStringLiteral("/probe"));
        if (probe.open(QIODevice::WriteOnly)) {
            QFile::setPermissions(bin, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
            QSKIP("running with rights that ignore directory permissions");
        }
    }
    const kv::CompileOutcome r = kv::CompileProjectToFile(dir.filePath(QStringLiteral("ParGen.xml")),
                                                          dir.filePath(QStringLiteral("SNMP_Manager.xml")), bank);
    QFile::setPermissions(bin, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QCOMPARE(r.status, kv::CompileOutcome::WriteError);
    QVERIFY2(r.message.contains(QDir::toNativeSeparators(bank)), qPrintable(r.message));
    QVERIFY(r.message.size() > QDir::toNativeSeparators(bank).size() + 2); // a reason follows the name
    if (how == QLatin1String("readonly"))
        QCOMPARE(readAll(bank), old);
    else if (how == QLatin1String("missing"))
        QVERIFY(!QFileInfo::exists(bank));
    else
        QVERIFY(QFileInfo(bank).isDir());
}

void TestCompiler::valueBeyondItsField_data()
{
    using F = kv::CompileOutcome;
    QTest::addColumn<QByteArray>("parGenDoc"); // ParGen.xml, none when empty
    QTest::addColumn<QByteArray>("rows");
    QTest::addColumn<int>("field");       // CompileOutcome::Field refused, NoField: compiles
    QTest::addColumn<int>("refusedRow");  // the row a refusal names (0 for a name of station)
    QTest::addColumn<int>("storedBytes"); // of the first record, when compiled
    QTest::addColumn<QString>("character"); // the character a refusal names, none for a value too long
    const QByteArray none;
    QTest::newRow("255 fits") << none << QByteArray("<row Number_Bytes=\"255\"/>") << int(F::NoField) << 0 << 255 << QString();
    QTest::newRow("0 fits") << none << QByteArray("<row Number_Bytes=\"0\"/>") << int(F::NoField) << 0 << 0 << QString();
    QTest::newRow("not a number takes the default")
        << none << QByteArray("<row Number_Bytes=\"many\"/>") << int(F::NoField) << 0 << 1 << QString();
    QTest::newRow("256") << none << QByteArray("<row Number_Bytes=\"256\"/>") << int(F::NumberBytesField) << 1 << 0 << QString();
    QTest::newRow("300 in row 3") << none << QByteArray("<row/><row/><row Number_Bytes=\"300\"/>")
                                  << int(F::NumberBytesField) << 3 << 0 << QString();
    QTest::newRow("hexadecimal $100") << none << QByteArray("<row Number_Bytes=\"$100\"/>") << int(F::NumberBytesField)
                                      << 1 << 0 << QString();
    QTest::newRow("negative") << none << QByteArray("<row Number_Bytes=\"-1\"/>") << int(F::NumberBytesField) << 1 << 0 << QString();
    QTest::newRow("a comment counts as a row of the table")
        << none << QByteArray("<!--x--><row Number_Bytes=\"1024\"/>") << int(F::NumberBytesField) << 2 << 0 << QString();
    QTest::newRow("first of two") << none << QByteArray("<row Number_Bytes=\"999\"/><row Number_Bytes=\"300\"/>")
                                  << int(F::NumberBytesField) << 1 << 0 << QString();
    QTest::newRow("disabled row is not compiled")
        << none << QByteArray("<row Enable=\"N\" Number_Bytes=\"300\" Community_String=\"0123456789abcdefg\"/><row/>")
        << int(F::NoField) << 0 << 1 << QString();
    QTest::newRow("a disabled row keeps its number")
        << none << QByteArray("<row Enable=\"N\"/><row Number_Bytes=\"300\"/>") << int(F::NumberBytesField) << 2 << 0 << QString();
    QTest::newRow("enabled row 513 is not compiled")
        << none << QByteArray("<row/>").repeated(512) + "<row Number_Bytes=\"300\"/>" << int(F::NoField) << 0 << 1 << QString();
    QTest::newRow("community of 16")
        << none << QByteArray("<row/><row Community_String=\"0123456789abcdef\"/>") << int(F::CommunityField) << 2 << 0 << QString();
    QTest::newRow("community before Num Bytes of the same row")
        << none << QByteArray("<row Community_String=\"0123456789abcdef\" Number_Bytes=\"300\"/>")
        << int(F::CommunityField) << 1 << 0 << QString();
    QTest::newRow("OID of 97") << none << "<row OID=\"" + QByteArray(97, '1') + "\"/>" << int(F::OidField) << 1 << 0 << QString();
    QTest::newRow("SNMP name of 17")
        << parGen("<SNMP_Name_of_Station>abcdefghijklmnopq</SNMP_Name_of_Station>") << QByteArray("<row/>")
        << int(F::SnmpNameField) << 0 << 0 << QString();
    QTest::newRow("PROFINET name of 17, first of all")
        << parGen("<PROFINET_NAME_STA>abcdefghijklmnopq</PROFINET_NAME_STA>")
        << QByteArray("<row Number_Bytes=\"300\"/>") << int(F::ProfinetNameField) << 0 << 0 << QString();

    // A character above U+00FF would reach the device as another byte ("\u20AC"
    // as 0xAC): refused with the character named, never changed.
    const QString euro = QStringLiteral("\"\u20AC\" (U+20AC)");
    QTest::newRow("community with a euro sign")
        << none << QByteArray("<row/><row Community_String=\"pub\xE2\x82\xAC\"/>") << int(F::CommunityField) << 2 << 0
        << euro;
    QTest::newRow("OID with an omega")
        << none << QByteArray("<row OID=\"1.3.\xCE\xA9\"/>") << int(F::OidField) << 1 << 0
        << QStringLiteral("\"\u03A9\" (U+03A9)");
    QTest::newRow("community before OID and Num Bytes of the same row")
        << none << QByteArray("<row Community_String=\"\xE2\x82\xAC\" OID=\"\xCE\xA9\" Number_Bytes=\"300\"/>")
        << int(F::CommunityField) << 1 << 0 << euro;
    QTest::newRow("OID before Num Bytes of the same row")
        << none << QByteArray("<row OID=\"\xCE\xA9\" Number_Bytes=\"300\"/>") << int(F::OidField) << 1 << 0
        << QStringLiteral("\"\u03A9\" (U+03A9)");
    QTest::newRow("an earlier row's Num Bytes first")
        << none << QByteArray("<row Number_Bytes=\"300\"/><row Community_String=\"\xE2\x82\xAC\"/>")
        << int(F::NumberBytesField) << 1 << 0 << QString();
    QTest::newRow("disabled row with a euro sign is not compiled")
        << none << QByteArray("<row Enable=\"N\" Community_String=\"\xE2\x82\xAC\"/><row/>") << int(F::NoField) << 0 << 1
        << QString();
    QTest::newRow("SNMP name with a euro sign, before the rows")
        << parGen("<SNMP_Name_of_Station>st\xE2\x82\xAC</SNMP_Name_of_Station>")
        << QByteArray("<row Community_String=\"\xCE\xA9\"/>") << int(F::SnmpNameField) << 0 << 0 << euro;
    // A character outside the BMP is one character to the engineer: it is
    // named whole, and before the length its two UTF-16 units would give.
    QTest::newRow("PROFINET name of 15 and an emoji")
        << parGen("<PROFINET_NAME_STA>abcdefghijklmno\xF0\x9F\x98\x80</PROFINET_NAME_STA>")
        << QByteArray("<row/>") << int(F::ProfinetNameField) << 0 << 0
        << QStringLiteral("\"\U0001F600\" (U+1F600)");
    QTest::newRow("community of 14 and an emoji")
        << none << QByteArray("<row Community_String=\"abcdefghijklmn\xF0\x9F\x98\x80\"/>") << int(F::CommunityField) << 1
        << 0 << QStringLiteral("\"\U0001F600\" (U+1F600)");
}

// A value that its field of the image cannot hold whole stops the compile
// instead of becoming another value (a byte count of 300 as 44, a community
// or a name cut short), and names its row or field.
void TestCompiler::valueBeyondItsField()
{
    QFETCH(QByteArray, parGenDoc);
    QFETCH(QByteArray, rows);
    QFETCH(int, field);
    QFETCH(int, refusedRow);
    QFETCH(int, storedBytes);
    QFETCH(QString, character);
    QTemporaryDir dir;
    if (!parGenDoc.isEmpty())
        QVERIFY(tryWriteFile(dir.filePath(QStringLiteral("ParGen.xml")), parGenDoc));
    QVERIFY(tryWriteFile(dir.filePath(QStringLiteral("SNMP_Manager.xml")), table(rows)));
    const QString bank = dir.filePath(QStringLiteral("bank.bin"));
    QVERIFY(tryWriteFile(bank, "previous image"));
    const kv::CompileOutcome r = kv::CompileProjectToFile(dir.filePath(QStringLiteral("ParGen.xml")),
                                                          dir.filePath(QStringLiteral("SNMP_Manager.xml")), bank);
    if (field == kv::CompileOutcome::NoField) {
        QVERIFY2(r.ok(), qPrintable(r.message));
        QCOMPARE(int(uchar(readAll(bank).at(0x7E))), storedBytes);
        return;
    }
    QCOMPARE(r.status, kv::CompileOutcome::RowRefused);
    QCOMPARE(int(r.field), field);
    QCOMPARE(r.row, refusedRow);
    QCOMPARE(readAll(bank), QByteArray("previous image"));
    const QString message = kv::CompileMessage(r, kv::LangTable());
    const QString place = refusedRow ? QStringLiteral("Row %1 ").arg(refusedRow)
        : field == kv::CompileOutcome::SnmpNameField ? QStringLiteral("\"SNMP Name of Station\"")
                                                     : QStringLiteral("\"PROFINET Name of Station\"");
    QVERIFY2(message.contains(place), qPrintable(message));
    if (!character.isEmpty()) {
        QVERIFY2(message.contains(QStringLiteral("the character ") + character), qPrintable(message));
        QVERIFY2(!message.contains(QLatin1String("longer")), qPrintable(message));
        return;
    }
    QCOMPARE(uint(r.character), 0u);
    const char* limit = field == kv::CompileOutcome::NumberBytesField ? "255"
        : field == kv::CompileOutcome::CommunityField                 ? "15"
        : field == kv::CompileOutcome::OidField                       ? "96"
                                                                      : "16";
    QVERIFY2(message.contains(QLatin1String(limit)), qPrintable(message));
}

void TestCompiler::malformedDocumentWritesNothing_data()
{
    QTest::addColumn<QString>("badFile");
    QTest::newRow("ParGen.xml") << "ParGen.xml";
    QTest::newRow("SNMP_Manager.xml") << "SNMP_Manager.xml";
}

void TestCompiler::malformedDocumentWritesNothing()
{
    QFETCH(QString, badFile);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(tryWriteFile(dir.filePath(QStringLiteral("ParGen.xml")), parGen("<PROFINET_IP4>9</PROFINET_IP4>")));
    QVERIFY(tryWriteFile(dir.filePath(QStringLiteral("SNMP_Manager.xml")), table("<row/>")));
    QVERIFY(tryWriteFile(dir.filePath(badFile), "<root><row Enable=\"Y\"></root>"));
    const QString bank = dir.filePath(QStringLiteral("bank.bin"));
    QVERIFY(tryWriteFile(bank, "previous image"));

    const kv::CompileOutcome r = kv::CompileProjectToFile(dir.filePath(QStringLiteral("ParGen.xml")),
                                                          dir.filePath(QStringLiteral("SNMP_Manager.xml")), bank);
    QCOMPARE(r.status, kv::CompileOutcome::LoadError);
    QVERIFY2(r.message.startsWith(QDir::toNativeSeparators(dir.filePath(badFile)) + QStringLiteral(": ")),
             qPrintable(r.message));
    QVERIFY2(r.message.contains(QStringLiteral("line 1")), qPrintable(r.message));
    QCOMPARE(readAll(bank), QByteArray("previous image"));

    kv::Compiler c;
    QCOMPARE(c.CompileDocuments(QByteArray(), QByteArray("")).status, kv::CompileOutcome::LoadError);
    QCOMPARE(c.WriteBankFile(bank).status, kv::CompileOutcome::WriteError);
    QCOMPARE(readAll(bank), QByteArray("previous image"));
}

QTEST_GUILESS_MAIN(TestCompiler)
#include "test_compiler.moc"
