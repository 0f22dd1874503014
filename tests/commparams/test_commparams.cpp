#include <QtTest>

#include "Cli.h"
#include "TestFiles.h"
#include "commparams/CommParams.h"

#include <QTemporaryDir>

namespace {

// Applies "KEY=text" assignments to a record.
kv::CommParams withFields(const QStringList& assignments)
{
    kv::CommParams p;
    for (const QString& a : assignments) {
        const int eq = a.indexOf(QLatin1Char('='));
        QString* field = kv::CommParamsField(p, a.left(eq));
        if (!field)
            qFatal("unknown key in test data");
        *field = a.mid(eq + 1);
    }
    return p;
}

QString fixture(const char* relative)
{
    return QStringLiteral(KV_FIXTURES_DIR "/") + QLatin1String(relative);
}

} // namespace

class TestCommParams : public QObject {
    Q_OBJECT
private slots:
    void load_data();
    void load();
    void loadMalformed();
    void check_data();
    void check();
    void checkEnglishMessage();
    void saveDefaultDocument();
    void saveRoundTripAndFlags();
    void saveFailureReported();
    void checkCommand_data();
    void checkCommand();
    void checkCommandWarns_data();
    void checkCommandWarns();
};

void TestCommParams::load_data()
{
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<QStringList>("expected"); // fields that differ from the defaults

    QTest::newRow("no file") << false << QByteArray() << QStringList();
    QTest::newRow("partial") << true << QByteArray("<Par_Gen><PROFINET_NB_IN>16</PROFINET_NB_IN></Par_Gen>")
                             << QStringList{QStringLiteral("PROFINET_NB_IN=16")};
    QTest::newRow("flags true and 1")
        << true << QByteArray("<Par_Gen><SNMP_Manager_EN_GAT>true</SNMP_Manager_EN_GAT>"
                              "<PROFINET_EN_GAT>1</PROFINET_EN_GAT></Par_Gen>")
        << QStringList{QStringLiteral("PROFINET_EN_GAT=1")};
    QTest::newRow("flags Y and blank 1")
        << true << QByteArray("<Par_Gen><SNMP_Manager_EN_GAT>Y</SNMP_Manager_EN_GAT>"
                              "<PROFINET_EN_GAT> 1</PROFINET_EN_GAT></Par_Gen>")
        << QStringList();
    QTest::newRow("port 102") << true << QByteArray("<Par_Gen><PROFINET_PORT>102</PROFINET_PORT></Par_Gen>")
                              << QStringList();
    QTest::newRow("comment before root")
        << true << QByteArray("<!-- x --><Par_Gen><PROFINET_NB_IN>16</PROFINET_NB_IN></Par_Gen>") << QStringList();
    QTest::newRow("declaration before root")
        << true << QByteArray("<?xml version=\"1.0\"?><Par_Gen><PROFINET_NB_IN>16</PROFINET_NB_IN></Par_Gen>")
        << QStringList();
    QTest::newRow("root name not compared")
        << true << QByteArray("<Other><PROFINET_NB_OUT>8</PROFINET_NB_OUT></Other>")
        << QStringList{QStringLiteral("PROFINET_NB_OUT=8")};
    QTest::newRow("texts as they stand")
        << true
        << QByteArray("<Par_Gen><SNMP_Manager_IP1/><SNMP_Manager_IP2> 7</SNMP_Manager_IP2>"
                      "<SNMP_Manager_IP3>abc</SNMP_Manager_IP3><PROFINET_IP1>010</PROFINET_IP1>"
                      "<PROFINET_NAME_STA>caf&#233; &amp; co</PROFINET_NAME_STA><Unknown>5</Unknown></Par_Gen>")
        << QStringList{QStringLiteral("SNMP_Manager_IP1="), QStringLiteral("SNMP_Manager_IP2= 7"),
                       QStringLiteral("SNMP_Manager_IP3=abc"), QStringLiteral("PROFINET_IP1=010"),
                       QString::fromUtf8("PROFINET_NAME_STA=caf\u00e9 & co")};
    QTest::newRow("unreadable text falls back alone")
        << true
        << QByteArray("<Par_Gen><SNMP_Manager_IP4><b>1</b></SNMP_Manager_IP4><SNMP_Manager_SM4>128</SNMP_Manager_SM4>"
                      "<PROFINET_EN_GAT><x/>1</PROFINET_EN_GAT></Par_Gen>")
        << QStringList{QStringLiteral("SNMP_Manager_SM4=128")};
    QTest::newRow("first of two, direct children only")
        << true
        << QByteArray("<Par_Gen><G><PROFINET_NB_IN>1</PROFINET_NB_IN></G><PROFINET_NB_OUT>2</PROFINET_NB_OUT>"
                      "<PROFINET_NB_OUT>3</PROFINET_NB_OUT></Par_Gen>")
        << QStringList{QStringLiteral("PROFINET_NB_OUT=2")};
    const QString huge(200000, QLatin1Char('n'));
    QTest::newRow("huge text")
        << true << QByteArray("<Par_Gen><SNMP_Name_of_Station>" + huge.toLatin1() + "</SNMP_Name_of_Station></Par_Gen>")
        << QStringList{QStringLiteral("SNMP_Name_of_Station=") + huge};
}

void TestCommParams::load()
{
    QFETCH(bool, exists);
    QFETCH(QByteArray, xml);
    QFETCH(QStringList, expected);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ParGen.xml"));
    if (exists)
        writeFile(path, xml);

    const kv::CommParamsLoad r = kv::LoadCommParams(path);
    QCOMPARE(r.load.status, exists ? kv::XmlLoad::Ok : kv::XmlLoad::Missing);
    const kv::CommParams want = withFields(expected);
    const kv::CommParamsKey* keys = kv::CommParamsKeys();
    for (int i = 0; i < kv::CommParamsKeyCount; ++i)
        QVERIFY2(r.params.*keys[i].field == want.*keys[i].field, keys[i].name);
    QCOMPARE(r.params.PROFINET_PORT, QStringLiteral("34964"));
}

void TestCommParams::loadMalformed()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ParGen.xml"));
    writeFile(path, "<Par_Gen>\n<PROFINET_NB_IN>16</Par_Gen>");
    const kv::CommParamsLoad r = kv::LoadCommParams(path);
    QCOMPARE(r.load.status, kv::XmlLoad::Error);
    QVERIFY2(r.load.message.contains(QStringLiteral("ParGen.xml")), qPrintable(r.load.message));
    QVERIFY2(r.load.message.contains(QStringLiteral("line 2")), qPrintable(r.load.message));
}

void TestCommParams::check_data()
{
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<int>("message"); // text index, 0 when the check passes
    QTest::addColumn<bool>("bound");  // "1439" appended

    const auto S = [](const char* s) { return QString::fromLatin1(s); };
    QTest::newRow("defaults") << QStringList() << 0 << false;
    QTest::newRow("010 and blanks before") << QStringList{S("SNMP_Manager_IP1=010"), S("PROFINET_SM4=  0")} << 0
                                           << false;
    QTest::newRow("hex octet") << QStringList{S("PROFINET_IP4=$FF")} << 0 << false;
    QTest::newRow("hex octet too big") << QStringList{S("PROFINET_IP4=0x100")} << 579 << false;
    QTest::newRow("mask 3 is 256") << QStringList{S("SNMP_Manager_SM3=256")} << 450 << false;
    QTest::newRow("letters in PROFINET IP2") << QStringList{S("PROFINET_IP2=1a")} << 577 << false;
    QTest::newRow("trailing blank") << QStringList{S("SNMP_Manager_IP2=1 ")} << 445 << false;
    QTest::newRow("negative octet") << QStringList{S("PROFINET_SM1=-1")} << 580 << false;
    QTest::newRow("empty octet") << QStringList{S("SNMP_Manager_SM1=")} << 448 << false;
    QTest::newRow("IP1 before mask 4") << QStringList{S("SNMP_Manager_SM4=x"), S("SNMP_Manager_IP1=300")} << 444
                                       << false;
    QTest::newRow("octet 3 before octet 4") << QStringList{S("PROFINET_IP4=x"), S("PROFINET_IP3=x")} << 578 << false;
    QTest::newRow("SNMP gateway off: 999 passes")
        << QStringList{S("SNMP_Manager_GAT2=999"), S("SNMP_Manager_EN_GAT=0")} << 0 << false;
    QTest::newRow("SNMP gateway on") << QStringList{S("SNMP_Manager_GAT2=999"), S("SNMP_Manager_EN_GAT=1")} << 453
                                     << false;
    QTest::newRow("gateway flag other than 1 is off")
        << QStringList{S("SNMP_Manager_GAT1=999"), S("SNMP_Manager_EN_GAT=true")} << 0 << false;
    QTest::newRow("PROFINET gateway off: 999 passes") << QStringList{S("PROFINET_GAT4=999")} << 0 << false;
    QTest::newRow("PROFINET gateway on") << QStringList{S("PROFINET_GAT4=999"), S("PROFINET_EN_GAT=1")} << 587
                                         << false;
    QTest::newRow("SNMP side before PROFINET side")
        << QStringList{S("PROFINET_IP1=x"), S("SNMP_Manager_GAT4=x"), S("SNMP_Manager_EN_GAT=1")} << 455 << false;
    QTest::newRow("PROFINET mask before port") << QStringList{S("PROFINET_PORT=102"), S("PROFINET_SM2=x")} << 581
                                               << false;
    QTest::newRow("port 102") << QStringList{S("PROFINET_PORT=102")} << 588 << false;
    QTest::newRow("port before sizes") << QStringList{S("PROFINET_NB_IN=x"), S("PROFINET_PORT=")} << 588 << false;
    QTest::newRow("sizes 0 and 1439") << QStringList{S("PROFINET_NB_IN=0"), S("PROFINET_NB_OUT=1439")} << 0 << false;
    QTest::newRow("input 1440") << QStringList{S("PROFINET_NB_IN=1440")} << 589 << true;
    QTest::newRow("input -1") << QStringList{S("PROFINET_NB_IN=-1")} << 589 << true;
    QTest::newRow("input before output") << QStringList{S("PROFINET_NB_OUT=x"), S("PROFINET_NB_IN=x")} << 589 << true;
    QTest::newRow("output empty") << QStringList{S("PROFINET_NB_OUT=")} << 590 << true;
    QTest::newRow("station names are free")
        << QStringList{S("SNMP_Name_of_Station="), S("PROFINET_NAME_STA=A very long Name, with anything")} << 0
        << false;
}

void TestCommParams::check()
{
    QFETCH(QStringList, fields);
    QFETCH(int, message);
    QFETCH(bool, bound);
    // Marked texts show which entry of the table the message comes from.
    kv::LangTable lang;
    for (int i = 400; i < 600; ++i)
        lang.Put(i, QStringLiteral("<%1>").arg(i));

    const kv::CommParams p = withFields(fields);
    const kv::CommParams before = p;
    QString text = QStringLiteral("untouched");
    const bool ok = kv::Controllo_Dati(p, lang, &text);
    QCOMPARE(ok, message == 0);
    if (message == 0)
        QCOMPARE(text, QStringLiteral("untouched"));
    else
        QCOMPARE(text, QStringLiteral("<%1>").arg(message) + (bound ? QStringLiteral("1439") : QString()));
}

void TestCommParams::checkEnglishMessage()
{
    const kv::LangTable english;
    QString text;
    QVERIFY(!kv::Controllo_Dati(withFields({QStringLiteral("PROFINET_NB_OUT=")}), english, &text));
    QCOMPARE(text, QStringLiteral("Error PROFINET!! Number Byte Output must be between 0 and 1439"));
    QVERIFY(!kv::Controllo_Dati(withFields({QStringLiteral("SNMP_Manager_SM3=256")}), english, &text));
    QCOMPARE(text, QStringLiteral("Error SNMP Manager!! SUBNET Mask 3 must be between 0 and 255"));
}

void TestCommParams::saveDefaultDocument()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ParGen.xml"));
    writeFile(path, QByteArray(5000, 'x')); // replaced whole, not overwritten in place
    QString error;
    QVERIFY2(kv::SaveCommParams(kv::CommParams(), path, &error), qPrintable(error));
    QCOMPARE(readAll(path), readAll(fixture("pargen_default/ParGen.xml")));
}

void TestCommParams::saveRoundTripAndFlags()
{
    // Unnormalised texts, escaping and the flag rule survive a read and a write.
    const QString source = fixture("pargen_entries/ParGen.xml");
    const kv::CommParamsLoad r = kv::LoadCommParams(source);
    QVERIFY(r.load.ok());
    QCOMPARE(kv::CommParamsBytes(r.params), readAll(source));

    kv::CommParams p;
    p.SNMP_Manager_EN_GAT = QStringLiteral("Y");
    p.PROFINET_EN_GAT = QStringLiteral("1");
    p.PROFINET_NAME_STA.clear();
    const QByteArray bytes = kv::CommParamsBytes(p);
    QVERIFY(bytes.contains("<SNMP_Manager_EN_GAT>0</SNMP_Manager_EN_GAT>"));
    QVERIFY(bytes.contains("<PROFINET_EN_GAT>1</PROFINET_EN_GAT>"));
    pugi::xml_document doc;
    QVERIFY(kv::LoadXmlBytes(bytes, QStringLiteral("mem"), doc).ok());
    QString text = QStringLiteral("x");
    QVERIFY(kv::ChildText(kv::FirstTopNode(doc), "PROFINET_NAME_STA", text));
    QCOMPARE(text, QString());
}

void TestCommParams::saveFailureReported()
{
    QTemporaryDir dir;
    QString error;
    QVERIFY(!kv::SaveCommParams(kv::CommParams(), dir.filePath(QStringLiteral("gone/ParGen.xml")), &error));
    QVERIFY2(error.contains(QStringLiteral("ParGen.xml")), qPrintable(error));
}

void TestCommParams::checkCommand_data()
{
    QTest::addColumn<QStringList>("args"); // after "check"; "@name" is a fixture folder
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err"); // a part of standard error

    const auto S = [](const char* s) { return QString::fromLatin1(s); };
    QTest::newRow("no document") << QStringList{S("@empty")} << 0 << QString() << QString();
    QTest::newRow("passes as read") << QStringList{S("@check_pass")} << 0 << QString() << QString();
    QTest::newRow("output size")
        << QStringList{S("@check_nb_out")} << 1
        << S("ParGen.xml: Error PROFINET!! Number Byte Output must be between 0 and 1439\n") << QString();
    QTest::newRow("first failure only")
        << QStringList{S("@check_gateway")} << 1
        << S("ParGen.xml: Error SNMP Manager!! GATEWAY IP 3 must be between 0 and 255\n") << QString();
    QTest::newRow("not well-formed") << QStringList{S("@check_malformed")} << 2 << QString()
                                     << S("ParGen.xml: Start-end tags mismatch at line 3, column 21");
    QTest::newRow("no such folder") << QStringList{S("@missing")} << 2 << QString() << S("not a directory");
    QTest::newRow("no folder given") << QStringList() << 2 << QString() << S("usage");
}

void TestCommParams::checkCommand()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);
    const QString cli = QStringLiteral(KV_BIN_DIR "/kv52013-cli" KV_EXE_SUFFIX);
    if (!QFile::exists(cli))
        QSKIP("kv52013-cli is not built");
    QTemporaryDir empty;
    for (QString& a : args) {
        if (a == QLatin1String("@empty"))
            a = empty.path();
        else if (a == QLatin1String("@missing"))
            a = empty.filePath(QStringLiteral("missing"));
        else if (a.startsWith(QLatin1Char('@')))
            a = QStringLiteral(KV_FIXTURES_DIR "/") + a.mid(1);
    }
    const CliRun r = runCli(QStringList{QStringLiteral("check")} + args);
    QCOMPARE(r.out, out);
    QVERIFY2(r.err.contains(err), qPrintable(r.err));
    QCOMPARE(r.status, exitCode);
    // Checking never writes.
    if (args.value(0) == empty.path())
        QCOMPARE(QDir(empty.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
}

void TestCommParams::checkCommandWarns_data()
{
    QTest::addColumn<QByteArray>("parGen");      // none when empty
    QTest::addColumn<QByteArray>("snmpManager"); // rows; none when empty
    QTest::addColumn<QString>("err");            // the whole of standard error
    const QByteArray row = "<row IP_Address=\"10.0.0.1\" OID=\"1.3.6\" ConvertFrom=\"None\" ";
    QTest::newRow("name of station of 16, masks 0.0.0.0 and 255.255.255.255") << QByteArray(
        "<Par_Gen><SNMP_Name_of_Station>abcdefghijklmnop</SNMP_Name_of_Station><PROFINET_SM1>255</PROFINET_SM1>"
        "<PROFINET_SM4>255</PROFINET_SM4><SNMP_Manager_SM1>0</SNMP_Manager_SM1><SNMP_Manager_SM2>0</SNMP_Manager_SM2>"
        "<SNMP_Manager_SM3>0</SNMP_Manager_SM3><SNMP_Manager_SM4>0</SNMP_Manager_SM4></Par_Gen>") << QByteArray() << QString();
    QTest::newRow("name of station of 17")
        << QByteArray("<Par_Gen><SNMP_Name_of_Station>abcdefghijklmnopq</SNMP_Name_of_Station></Par_Gen>")
        << QByteArray()
        << QStringLiteral("warning: ParGen.xml: \"SNMP Name of Station\" is longer than the device can hold (16 "
                          "characters): the configuration will not compile.\n");
    QTest::newRow("masks 0.255.255.0 and 255.255.0.255")
        << QByteArray("<Par_Gen><SNMP_Manager_SM1>0</SNMP_Manager_SM1><PROFINET_SM3>0</PROFINET_SM3>"
                      "<PROFINET_SM4>255</PROFINET_SM4></Par_Gen>")
        << QByteArray()
        << QStringLiteral("warning: ParGen.xml: SNMP_Manager_SM: 0.255.255.0 is not a subnet mask: its one-bits must "
                          "run from the left without a gap, as in 255.255.255.0.\n"
                          "warning: ParGen.xml: PROFINET_SM: 255.255.0.255 is not a subnet mask: its one-bits must "
                          "run from the left without a gap, as in 255.255.255.0.\n");
    QTest::newRow("Num Bytes 300 and a community of 16")
        << QByteArray()
        << row + "Number_Bytes=\"4\" Community_String=\"0123456789abcdef\"/>" + row + "Enable=\"N\" Number_Bytes=\"300\"/>" + row
            + "Enable=\" y \" Number_Bytes=\"300\"/>"
        << QStringLiteral("warning: SNMP_Manager.xml: row 1: The Community Name is longer than 15 characters, the most "
                          "the device can hold: the configuration will not compile.\n"
                          "warning: SNMP_Manager.xml: row 3: Num Bytes is outside 0 to 255, the range the device can "
                          "hold: the configuration will not compile.\n");
    // The emoji is named, not the 17 UTF-16 units it makes the name; a
    // Latin-1 letter is what the device stores.
    QTest::newRow("a name of station of 15 and an emoji, a euro sign in a community")
        << QByteArray("<Par_Gen><SNMP_Name_of_Station>abcdefghijklmno\xF0\x9F\x98\x80</SNMP_Name_of_Station></Par_Gen>")
        << row + "Number_Bytes=\"4\" Community_String=\"Gr\xC3\xBC\xC3\x9F\"/>" + row
            + "Number_Bytes=\"4\" Community_String=\"pub\xE2\x82\xAC\"/>"
        << QStringLiteral("warning: ParGen.xml: \"SNMP Name of Station\" holds the character \"\U0001F600\" (U+1F600), "
                          "which the device cannot hold (it takes only the characters of Latin-1, U+0000 to U+00FF): "
                          "the configuration will not compile.\n"
                          "warning: SNMP_Manager.xml: row 2: The Community Name holds a character the device cannot "
                          "hold (it takes only the characters of Latin-1, U+0000 to U+00FF): the configuration will "
                          "not compile.\n");
}

// Values the editors save but the device cannot take, or that are no mask,
// are pointed out without changing the outcome of the check.
void TestCommParams::checkCommandWarns()
{
    QFETCH(QByteArray, parGen);
    QFETCH(QByteArray, snmpManager);
    QFETCH(QString, err);
    QTemporaryDir dir;
    if (!parGen.isEmpty())
        writeFile(dir.filePath(QStringLiteral("ParGen.xml")), parGen);
    if (!snmpManager.isEmpty())
        writeFile(dir.filePath(QStringLiteral("SNMP_Manager.xml")), "<SNMP_Agent_Access>" + snmpManager + "</SNMP_Agent_Access>");
    const CliRun r = runCli({QStringLiteral("check"), dir.path()});
    QCOMPARE(r.err, err);
    QCOMPARE(r.out, QString());
    QCOMPARE(r.status, 0);
}

QTEST_GUILESS_MAIN(TestCommParams)
#include "test_commparams.moc"
