#include <QtTest>

#include "Cli.h"
#include "SnmpAgent.h"
#include "TestFiles.h"
#include "documents/SnmpRequests.h"
#include "lang/LangTable.h"
#include "snmp/SnmpClient.h"
#include "snmp/SnmpTestRun.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>


namespace {

const QString kAgent = QStringLiteral("127.0.0.61");

kv::SnmpRequest row(const char* oid, const char* type, const char* bytes, const char* mode = "Get",
                    const QString& agent = kAgent, const char* community = "public")
{
    kv::SnmpRequest r;
    r.Enable = QStringLiteral("Y");
    r.IP_Address = agent;
    r.Version = QStringLiteral("2");
    r.Community_String = QString::fromLatin1(community);
    r.OID = QString::fromLatin1(oid);
    r.Type = QString::fromLatin1(type);
    r.Mode = QString::fromLatin1(mode);
    r.On_Timer = QStringLiteral("Y");
    r.Time = QStringLiteral("1000");
    r.Position = QStringLiteral("0");
    r.Number_Bytes = QString::fromLatin1(bytes);
    r.ConvertFrom = QStringLiteral("None");
    return r;
}

} // namespace

class TestSnmpClient : public QObject {
    Q_OBJECT
private slots:
    void getFromAgent();
    void cliVerdicts();
    void cancelStopsAtOnce();
};

void TestSnmpClient::getFromAgent()
{
    kvtest::SnmpAgent agent(kAgent);
    if (!agent.skip.isEmpty())
        QSKIP(qPrintable(agent.skip));
    const auto client = kv::MakeSnmpClient();
    const kv::SnmpTarget v2{kAgent, 2, QStringLiteral("public"), 1000, 1};
    kv::SnmpAnswer a = client->get(v2, QStringLiteral("1.3.6.1.2.1.1.1.0"));
    QCOMPARE(a.status, kv::SnmpAnswer::Value);
    QCOMPARE(a.type, QStringLiteral("STRING"));
    QCOMPARE(a.value, QStringLiteral("KV test agent with a long description"));
    QCOMPARE(a.octets, 37);
    a = client->get(v2, QStringLiteral("1.3.6.1.2.1.1.3.0"));
    QCOMPARE(a.type, QStringLiteral("Timeticks"));
    QVERIFY(a.isInteger && !a.isSigned);
    a = client->get(v2, QStringLiteral("1.3.6.1.2.1.1.7.0"));
    QCOMPARE(a.type, QStringLiteral("INTEGER"));
    QCOMPARE(a.integer, 72);
    a = client->get(v2, QStringLiteral("1.3.6.1.2.1.1.2.0"));
    QCOMPARE(a.type, QStringLiteral("OID"));
    QCOMPARE(client->get(v2, QStringLiteral("1.3.6.1.2.1.1.99.0")).status, kv::SnmpAnswer::NoSuchObject);
    const kv::SnmpTarget v1{kAgent, 1, QStringLiteral("public"), 1000, 1};
    QCOMPARE(client->get(v1, QStringLiteral("1.3.6.1.2.1.1.99.0")).status, kv::SnmpAnswer::NoSuchObject);
    QCOMPARE(client->get(v1, QStringLiteral("1.3.6.1.2.1.1.7.0")).integer, 72);
    const kv::SnmpTarget wrong{kAgent, 2, QStringLiteral("private"), 200, 0};
    QCOMPARE(client->get(wrong, QStringLiteral("1.3.6.1.2.1.1.7.0")).status, kv::SnmpAnswer::NoAnswer);
}

void TestSnmpClient::cliVerdicts()
{
    kvtest::SnmpAgent agent(kAgent);
    if (!agent.skip.isEmpty())
        QSKIP(qPrintable(agent.skip));
    QTemporaryDir dir;
    QVector<kv::SnmpRequest> rows(kv::SnmpMaxRows, kv::SnmpRequest::ResetRow());
    rows[0] = row("1.3.6.1.2.1.1.7.0", "Int", "1");                 // INTEGER 72
    rows[1] = row("1.3.6.1.2.1.1.1.0", "String", "16");             // 37 octets
    rows[2] = row("1.3.6.1.2.1.1.1.0", "Int", "4");                 // a string
    rows[3] = row("1.3.6.1.2.1.1.99.0", "Int", "4", "Set");         // only read
    rows[4] = row("1.3.6.1.2.1.1.7.0", "Int", "4", "Get", kAgent, "wrong");
    rows[5] = row("1.3.6.1.2.1.1.7.0", "Int", "4", "Trap");
    rows[6] = row("1.3.6..1", "Int", "4");
    rows[7] = row("1.3.6.1.2.1.1.7.0", "Int", "4");
    rows[7].Enable = QStringLiteral("N"); // not listed
    writeFile(dir.filePath(QStringLiteral("SNMP_Manager.xml")), kv::SnmpRequestsXml(rows));

    const CliRun r = runCli({QStringLiteral("snmp-test"), dir.path(), QStringLiteral("--json"), QStringLiteral("--timeout"),
                             QStringLiteral("300")});
    QCOMPARE(r.status, 1);
    QStringList verdicts;
    for (const QString& l : r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QJsonObject o = QJsonDocument::fromJson(l.toUtf8()).object();
        verdicts << QString::number(o.value(QStringLiteral("row")).toInt()) + QLatin1Char(':')
                + o.value(QStringLiteral("verdict")).toString();
        if (o.value(QStringLiteral("row")).toInt() == 1) {
            QCOMPARE(o.value(QStringLiteral("type")).toString(), QStringLiteral("INTEGER"));
            QCOMPARE(o.value(QStringLiteral("value")).toString(), QStringLiteral("72"));
            QCOMPARE(o.value(QStringLiteral("agent")).toString(), kAgent);
        }
    }
    QCOMPARE(verdicts, (QStringList{QStringLiteral("1:fits"), QStringLiteral("2:too-long"), QStringLiteral("3:wrong-type"),
                                    QStringLiteral("4:no-such-object"), QStringLiteral("5:no-answer"),
                                    QStringLiteral("6:not-testable"), QStringLiteral("7:bad-row")}));

    const CliRun one = runCli({QStringLiteral("snmp-test"), dir.path(), QStringLiteral("--rows"), QStringLiteral("1-1")});
    QCOMPARE(one.status, 0);
    QVERIFY2(one.out.startsWith(QStringLiteral("row 1 127.0.0.61 1.3.6.1.2.1.1.7.0: fits (INTEGER 72,")), qPrintable(one.out));
}

void TestSnmpClient::cancelStopsAtOnce()
{
    // Agents that take their time to answer.
    struct SlowClient : kv::ISnmpClient {
        bool available(QString*) const override { return true; }
        kv::SnmpAnswer get(const kv::SnmpTarget&, const QString&) override
        {
            QThread::msleep(300);
            kv::SnmpAnswer a;
            a.status = kv::SnmpAnswer::NoSuchObject;
            return a;
        }
    };
    const auto client = std::make_unique<SlowClient>();
    QVector<kv::SnmpRequest> rows;
    QVector<int> numbers;
    for (int i = 0; i < 40; ++i) {
        rows << row("1.3.6.1.2.1.1.7.0", "Int", "4");
        numbers << i + 1;
    }
    const kv::LangTable lang;
    kv::SnmpTestRun run(*client, 16);
    int results = 0;
    int doneCount = 0;
    connect(&run, &kv::SnmpTestRun::rowTested, this, [&] { ++results; });
    connect(&run, &kv::SnmpTestRun::done, this, [&] { ++doneCount; });
    run.start(rows, numbers, 1000, lang);
    QTest::qWait(100);
    QElapsedTimer t;
    t.start();
    run.cancel();
    QVERIFY(t.elapsed() < 100);
    QCOMPARE(doneCount, 1);
    QTest::qWait(800); // requests that were out end by now; their results are dropped
    QCOMPARE(results, 0);
    QCOMPARE(doneCount, 1);
}

QTEST_GUILESS_MAIN(TestSnmpClient)
#include "test_snmp_client.moc"
