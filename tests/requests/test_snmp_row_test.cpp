#include <QtTest>

#include "requests/SnmpRowTest.h"
#include "snmp/SnmpAnswers.h"
#include "lang/LangTable.h"

using kv::SnmpAnswer;
using kv::SnmpRequest;
using kv::SnmpVerdict;

Q_DECLARE_METATYPE(SnmpVerdict)
Q_DECLARE_METATYPE(SnmpAnswer)
Q_DECLARE_METATYPE(SnmpRequest)
Q_DECLARE_METATYPE(kv::SnmpObjectBounds)

namespace {

SnmpRequest getRow(const char* type, const char* bytes, const char* convert = "None")
{
    SnmpRequest r;
    r.Enable = QStringLiteral("Y");
    r.IP_Address = QStringLiteral("127.0.0.1");
    r.Version = QStringLiteral("2");
    r.Community_String = QStringLiteral("public");
    r.OID = QStringLiteral("1.3.6.1.2.1.1.3.0");
    r.Type = QString::fromLatin1(type);
    r.Mode = QStringLiteral("Get");
    r.Number_Bytes = QString::fromLatin1(bytes);
    r.ConvertFrom = QString::fromLatin1(convert);
    return r;
}

using kvtest::integer;

SnmpAnswer string(int octets)
{
    SnmpAnswer a;
    a.status = SnmpAnswer::Value;
    a.type = QStringLiteral("STRING");
    a.octets = octets;
    return a;
}

} // namespace

class TestSnmpRowTest : public QObject {
    Q_OBJECT
private slots:
    void plan_data();
    void plan();
    void bytesNeeded();
    void judge_data();
    void judge();
};

void TestSnmpRowTest::plan_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("oid");
    QTest::addColumn<QString>("community");
    QTest::addColumn<QString>("bytes");
    QTest::addColumn<SnmpVerdict>("verdict");
    QTest::addColumn<QString>("reason");
    const kv::LangTable lang;
    const QString oid = QStringLiteral("1.3.6.1");
    const QString pub = QStringLiteral("public");
    const QString four = QStringLiteral("4");
    QTest::newRow("get v2c") << "Get" << "2" << oid << pub << four << SnmpVerdict::Fits << QString();
    QTest::newRow("set v1: read only") << "Set" << "1" << oid << pub << four << SnmpVerdict::Fits << QString();
    QTest::newRow("trap") << "Trap" << "2" << oid << pub << four << SnmpVerdict::NotTestable << lang.Get(1134);
    QTest::newRow("version 3") << "Get" << "3" << oid << pub << four << SnmpVerdict::NotTestable << lang.Get(1135);
    QTest::newRow("no mode") << "" << "2" << oid << pub << four << SnmpVerdict::NotTestable << lang.Get(1136);
    QTest::newRow("no version") << "Get" << "" << oid << pub << four << SnmpVerdict::NotTestable << lang.Get(1137);
    QTest::newRow("bad OID") << "Get" << "2" << "1..3" << pub << four << SnmpVerdict::BadRow
                             << lang.Get(637) + QStringLiteral("17") + lang.Get(643);
    // The table's check admits these, the device does not: never "fits".
    QTest::newRow("community of 15") << "Get" << "2" << oid << QString(15, QLatin1Char('c')) << four
                                     << SnmpVerdict::Fits << QString();
    QTest::newRow("community of 16") << "Get" << "2" << oid << QString(16, QLatin1Char('c')) << four
                                     << SnmpVerdict::BadRow << lang.Get(1183);
    QTest::newRow("Num Bytes 300") << "Set" << "2" << oid << pub << "300" << SnmpVerdict::BadRow << lang.Get(1184);
    QTest::newRow("community with a euro sign") << "Get" << "2" << oid << QStringLiteral("pub\u20AC") << four
                                                << SnmpVerdict::BadRow << lang.Get(1241);
    QTest::newRow("community with an umlaut") << "Get" << "2" << oid << QStringLiteral("gr\u00FCn") << four
                                              << SnmpVerdict::Fits << QString();
}

void TestSnmpRowTest::plan()
{
    QFETCH(QString, mode);
    QFETCH(QString, version);
    QFETCH(QString, oid);
    QFETCH(QString, community);
    QFETCH(QString, bytes);
    QFETCH(SnmpVerdict, verdict);
    QFETCH(QString, reason);
    const kv::LangTable lang;
    SnmpRequest r = getRow("Int", "4");
    r.Mode = mode;
    r.Version = version;
    r.OID = oid;
    r.Community_String = community;
    r.Number_Bytes = bytes;
    r.IP_Address = QStringLiteral("10.0.0.9");
    const kv::SnmpRowPlan p = kv::PlanRowTest(r, 17, lang);
    QCOMPARE(p.verdict, verdict);
    QCOMPARE(p.row, 17);
    QCOMPARE(p.agent, QStringLiteral("10.0.0.9"));
    QCOMPARE(p.reason, reason);
    if (verdict == SnmpVerdict::Fits) {
        QCOMPARE(p.version, version.toInt());
        QCOMPARE(p.readOnly, mode == QLatin1String("Set"));
    }
}

void TestSnmpRowTest::bytesNeeded()
{
    QCOMPARE(kv::SignedBytesNeeded(0), 1);
    QCOMPARE(kv::SignedBytesNeeded(127), 1);
    QCOMPARE(kv::SignedBytesNeeded(128), 2);
    QCOMPARE(kv::SignedBytesNeeded(-128), 1);
    QCOMPARE(kv::SignedBytesNeeded(-129), 2);
    QCOMPARE(kv::SignedBytesNeeded(2147483647), 4);
    QCOMPARE(kv::SignedBytesNeeded(-2147483648LL), 4);
    QCOMPARE(kv::SignedBytesNeeded(std::numeric_limits<qint64>::min()), 8);
    QCOMPARE(kv::UnsignedBytesNeeded(0), 1);
    QCOMPARE(kv::UnsignedBytesNeeded(255), 1);
    QCOMPARE(kv::UnsignedBytesNeeded(256), 2);
    QCOMPARE(kv::UnsignedBytesNeeded(4294967295ULL), 4);
    QCOMPARE(kv::UnsignedBytesNeeded(std::numeric_limits<quint64>::max()), 8);
}

void TestSnmpRowTest::judge_data()
{
    QTest::addColumn<SnmpRequest>("row");
    QTest::addColumn<SnmpAnswer>("answer");
    QTest::addColumn<kv::SnmpObjectBounds>("bounds");
    QTest::addColumn<SnmpVerdict>("verdict");
    QTest::addColumn<int>("needed");
    QTest::addColumn<int>("mayNeed");
    SnmpAnswer none;
    SnmpAnswer missing;
    missing.status = SnmpAnswer::NoSuchObject;
    const kv::SnmpObjectBounds unknown;
    // What a module says: the bytes of the whole range, or the largest SIZE.
    const auto mib = [](int intBytes, int stringBytes) {
        kv::SnmpObjectBounds b;
        b.known = true;
        b.intBytes = intBytes;
        b.stringBytes = stringBytes;
        return b;
    };
    QTest::newRow("Timeticks in 4") << getRow("Int", "4") << integer("Timeticks", 4000000000LL) << unknown << SnmpVerdict::Fits << 4 << 4;
    QTest::newRow("Counter32 in 2") << getRow("Int", "2") << integer("Counter32", 70000) << unknown << SnmpVerdict::TooLong << 3 << 4;
    QTest::newRow("INTEGER 128 in 1") << getRow("Int", "1") << integer("INTEGER", 128) << unknown << SnmpVerdict::TooLong << 2 << 0;
    QTest::newRow("INTEGER -1 in 1") << getRow("Int", "1") << integer("INTEGER", -1) << unknown << SnmpVerdict::Fits << 1 << 0;
    QTest::newRow("converted: no size check") << getRow("Int", "1", "Float * 10") << integer("INTEGER", 100000) << unknown
                                             << SnmpVerdict::Fits << 3 << 0;
    QTest::newRow("string in 16") << getRow("String", "16") << string(16) << unknown << SnmpVerdict::Fits << 16 << 0;
    QTest::newRow("string in 8") << getRow("String", "8") << string(12) << unknown << SnmpVerdict::TooLong << 12 << 0;
    QTest::newRow("string for Int") << getRow("Int", "4") << string(3) << unknown << SnmpVerdict::WrongType << 0 << 0;
    QTest::newRow("integer for String") << getRow("String", "4") << integer("INTEGER", 3) << unknown << SnmpVerdict::WrongType << 0 << 0;
    SnmpAnswer oid;
    oid.status = SnmpAnswer::Value;
    oid.type = QStringLiteral("OID");
    QTest::newRow("OID for String") << getRow("String", "16") << oid << unknown << SnmpVerdict::WrongType << 0 << 0;
    QTest::newRow("no such object") << getRow("Int", "4") << missing << unknown << SnmpVerdict::NoSuchObject << 0 << 0;
    QTest::newRow("no answer") << getRow("Int", "4") << none << unknown << SnmpVerdict::NoAnswer << 0 << 0;

    // Today's value fits, but not every value the object may take.
    QTest::newRow("Gauge32 128 in 1: a Gauge32 needs 4")
        << getRow("Int", "1") << integer("Gauge32", 128) << unknown << SnmpVerdict::FitsNow << 1 << 4;
    QTest::newRow("Counter64 5 in 4") << getRow("Int", "4") << integer("Counter64", 5) << unknown << SnmpVerdict::FitsNow << 1 << 8;
    QTest::newRow("Counter64 in 8") << getRow("Int", "8") << integer("Counter64", 5) << unknown << SnmpVerdict::Fits << 1 << 8;
    QTest::newRow("INTEGER 70 in 2, range of 4")
        << getRow("Int", "2") << integer("INTEGER", 70) << mib(4, 0) << SnmpVerdict::FitsNow << 1 << 4;
    QTest::newRow("Gauge32 in 1, range of 1: the module wins")
        << getRow("Int", "1") << integer("Gauge32", 70) << mib(1, 0) << SnmpVerdict::Fits << 1 << 1;
    QTest::newRow("INTEGER, module without range") << getRow("Int", "1") << integer("INTEGER", 70) << mib(0, 0)
                                                   << SnmpVerdict::Fits << 1 << 0;
    QTest::newRow("Counter32, module without range")
        << getRow("Int", "1") << integer("Counter32", 70) << mib(0, 0) << SnmpVerdict::FitsNow << 1 << 4;
    QTest::newRow("string of 3 in 8, SIZE 32") << getRow("String", "8") << string(3) << mib(0, 32) << SnmpVerdict::FitsNow << 3 << 32;
    QTest::newRow("string of 3 in 32, SIZE 32") << getRow("String", "32") << string(3) << mib(0, 32) << SnmpVerdict::Fits << 3 << 32;
    QTest::newRow("string too long, SIZE 32") << getRow("String", "8") << string(12) << mib(0, 32) << SnmpVerdict::TooLong << 12 << 32;
    QTest::newRow("converted, range of 4") << getRow("Int", "1", "Float") << integer("INTEGER", 7) << mib(4, 0)
                                           << SnmpVerdict::Fits << 1 << 4;
}

void TestSnmpRowTest::judge()
{
    QFETCH(SnmpRequest, row);
    QFETCH(SnmpAnswer, answer);
    QFETCH(kv::SnmpObjectBounds, bounds);
    QFETCH(SnmpVerdict, verdict);
    QFETCH(int, needed);
    QFETCH(int, mayNeed);
    int bytes = 0;
    int ahead = -1;
    QCOMPARE(kv::JudgeAnswer(row, answer, &bytes, bounds, &ahead), verdict);
    QCOMPARE(bytes, needed);
    if (verdict != SnmpVerdict::NoAnswer && verdict != SnmpVerdict::NoSuchObject && verdict != SnmpVerdict::WrongType)
        QCOMPARE(ahead, mayNeed);
}

QTEST_GUILESS_MAIN(TestSnmpRowTest)
#include "test_snmp_row_test.moc"
