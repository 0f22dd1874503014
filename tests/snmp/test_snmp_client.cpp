#include <QtTest>

#include "Cli.h"
#include "FakeSnmp.h"
#include "SnmpAgent.h"
#include "TestFiles.h"
#include "requests/SnmpRequests.h"
#include "lang/LangTable.h"
#include "snmp/SnmpClient.h"
#include "snmp/SnmpTestRun.h"

#include "snmp/SnmpResultText.h"

#include <QHash>
#include <QJsonDocument>
#include <QMutex>
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

kv::SnmpAnswer get(kv::ISnmpClient& client, const kv::SnmpTarget& target, const char* oid)
{
    return kv::SnmpAskAndWait(client, {kv::SnmpQuery::Get, target, QString::fromLatin1(oid), 1}).answer;
}

// The full output of an extend command, by the command's name.
const char* kMultiLine = "1.3.6.1.4.1.8072.1.3.2.3.1.2.5.109.117.108.116.105"; // nsExtendOutputFull."multi"

// Agents that answer after a while, or not at all (agent addresses ending
// in .99), counting the requests out to each.
struct SlowAgents : kvtest::BlockingFake {
    QMutex mutex;
    QHash<QString, int> out, most, asked;
    std::atomic<int> calls{0};
    int delayMs = 30;
    kv::SnmpAnswer get(const kv::SnmpTarget& target, const QString&) override
    {
        ++calls;
        {
            QMutexLocker lock(&mutex);
            most[target.agent] = std::max(most.value(target.agent), ++out[target.agent]);
            ++asked[target.agent];
        }
        QThread::msleep(ulong(delayMs));
        {
            QMutexLocker lock(&mutex);
            --out[target.agent];
        }
        kv::SnmpAnswer a;
        if (!target.agent.endsWith(QLatin1String(".99")))
            a.status = kv::SnmpAnswer::NoSuchObject;
        return a;
    }
};

QVector<kv::SnmpRequest> rowsOn(const QStringList& agents, int each, QVector<int>* numbers)
{
    QVector<kv::SnmpRequest> rows;
    for (int i = 0; i < each; ++i) {
        for (const QString& agent : agents) {
            rows << row("1.3.6.1.2.1.1.7.0", "Int", "4", "Get", agent);
            *numbers << int(rows.size());
        }
    }
    return rows;
}

} // namespace

class TestSnmpClient : public QObject {
    Q_OBJECT
private slots:
    void getFromAgent();
    void cliVerdicts();
    void fourAtATimeEachAgent();
    void silentAgentOneRound();
    void cancelStopsAtOnce();
};

void TestSnmpClient::getFromAgent()
{
    kvtest::SnmpAgent agent(kAgent);
    if (!agent.skip.isEmpty())
        QSKIP(qPrintable(agent.skip));
    const auto client = kv::MakeSnmpClient();
    const kv::SnmpTarget v2{kAgent, 2, QStringLiteral("public"), 1000, 1};
    kv::SnmpAnswer a = get(*client, v2, "1.3.6.1.2.1.1.1.0");
    QCOMPARE(a.status, kv::SnmpAnswer::Value);
    QCOMPARE(a.type, QStringLiteral("STRING"));
    QCOMPARE(a.value, QStringLiteral("\"KV test agent with a long description\""));
    QCOMPARE(a.octets, 37);
    a = get(*client, v2, "1.3.6.1.2.1.1.3.0");
    QCOMPARE(a.type, QStringLiteral("Timeticks"));
    QVERIFY(a.isInteger && !a.isSigned);
    QVERIFY2(a.value.startsWith(QLatin1Char('(')), qPrintable(a.value)); // "(1234) 0:00:12.34"
    a = get(*client, v2, "1.3.6.1.2.1.1.7.0");
    QCOMPARE(a.type, QStringLiteral("INTEGER"));
    QCOMPARE(a.integer, 72);
    a = get(*client, v2, "1.3.6.1.2.1.1.2.0");
    QCOMPARE(a.type, QStringLiteral("OID"));
    QCOMPARE(get(*client, v2, "1.3.6.1.2.1.1.99.0").status, kv::SnmpAnswer::NoSuchObject);
    const kv::SnmpTarget v1{kAgent, 1, QStringLiteral("public"), 1000, 1};
    QCOMPARE(get(*client, v1, "1.3.6.1.2.1.1.99.0").status, kv::SnmpAnswer::NoSuchObject);
    QCOMPARE(get(*client, v1, "1.3.6.1.2.1.1.7.0").integer, 72);
    const kv::SnmpTarget wrong{kAgent, 2, QStringLiteral("private"), 200, 0};
    QCOMPARE(get(*client, wrong, "1.3.6.1.2.1.1.7.0").status, kv::SnmpAnswer::NoAnswer);
    // A silent address: the retry is sent and waited for before no answer is said.
    QElapsedTimer waited;
    waited.start();
    const kv::SnmpTarget silent{QStringLiteral("127.0.1.61"), 2, QStringLiteral("public"), 200, 1};
    QCOMPARE(get(*client, silent, "1.3.6.1.2.1.1.7.0").status, kv::SnmpAnswer::NoAnswer);
    QVERIFY2(waited.elapsed() >= 400, qPrintable(QString::number(waited.elapsed())));
}

void TestSnmpClient::cliVerdicts()
{
    // An extend whose output has line breaks.
    QTemporaryDir scripts;
    const QString multi = kvtest::AgentScript(scripts, QStringLiteral("multi.sh"),
                                              QByteArray("printf 'first\\nsecond: fits\\nthird'\n"));
    kvtest::SnmpAgent agent(kAgent, "extend multi " + multi.toUtf8() + "\n");
    if (!agent.skip.isEmpty())
        QSKIP(qPrintable(agent.skip));
    QVERIFY(!multi.isEmpty());
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
    rows[8] = row(kMultiLine, "String", "64");
    writeFile(dir.filePath(QStringLiteral("SNMP_Manager.xml")), kv::SnmpRequestsXml(rows));

    const CliRun r = runCli({QStringLiteral("snmp-test"), dir.path(), QStringLiteral("--json"), QStringLiteral("--timeout"),
                             QStringLiteral("300")});
    QCOMPARE(r.status, 1);
    QStringList verdicts;
    bool extendKnown = false; // a loaded module defines the extend's output
    for (const QString& l : r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QJsonObject o = QJsonDocument::fromJson(l.toUtf8()).object();
        verdicts << QString::number(o.value(QStringLiteral("row")).toInt()) + QLatin1Char(':')
                + o.value(QStringLiteral("verdict")).toString();
        if (o.value(QStringLiteral("row")).toInt() == 1) {
            QCOMPARE(o.value(QStringLiteral("type")).toString(), QStringLiteral("INTEGER"));
            QCOMPARE(o.value(QStringLiteral("value")).toString(), QStringLiteral("72"));
            QCOMPARE(o.value(QStringLiteral("agent")).toString(), kAgent);
        }
        if (o.value(QStringLiteral("row")).toInt() == 9) {
            // Quoted unless a loaded module gives the object a display hint
            // (the system's extend module on the shipped SMI base).
            const QString value = o.value(QStringLiteral("value")).toString();
            const QString text = QStringLiteral("first\\nsecond: fits\\nthird");
            QVERIFY2(value == text || value == QLatin1Char('"') + text + QLatin1Char('"'), qPrintable(value));
            extendKnown = value == text;
        }
    }
    QCOMPARE(verdicts, (QStringList{QStringLiteral("1:fits"), QStringLiteral("2:too-long"), QStringLiteral("3:wrong-type"),
                                    QStringLiteral("4:no-such-object"), QStringLiteral("5:no-answer"),
                                    QStringLiteral("6:not-testable"), QStringLiteral("7:bad-row"),
                                    // a DisplayString may take 255 bytes
                                    extendKnown ? QStringLiteral("9:fits-now") : QStringLiteral("9:fits")}));

    const CliRun one = runCli({QStringLiteral("snmp-test"), dir.path(), QStringLiteral("--rows"), QStringLiteral("1-1")});
    QCOMPARE(one.status, 0);
    QVERIFY2(one.out.startsWith(QStringLiteral("row 1 127.0.0.61 1.3.6.1.2.1.1.7.0: fits (INTEGER 72,")), qPrintable(one.out));
    // The plain output: one line for each row, whatever its value holds.
    const CliRun plain = runCli({QStringLiteral("snmp-test"), dir.path(), QStringLiteral("--timeout"), QStringLiteral("300")});
    const QStringList lines = plain.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 8);
    const QString head = QStringLiteral("row 9 127.0.0.61 %1: %2 (STRING ")
                             .arg(QLatin1String(kMultiLine), extendKnown ? QStringLiteral("fits-now") : QStringLiteral("fits"));
    QVERIFY2(lines.last().startsWith(head + QStringLiteral("\"first\\nsecond: fits\\nthird\", "))
                 || lines.last().startsWith(head + QStringLiteral("first\\nsecond: fits\\nthird, ")),
             qPrintable(lines.last()));
}

// Every agent is asked at once, and none with more than four requests at a time.
void TestSnmpClient::fourAtATimeEachAgent()
{
    SlowAgents agents;
    QVector<int> numbers;
    const QStringList addresses{QStringLiteral("10.0.0.1"), QStringLiteral("10.0.0.2"), QStringLiteral("10.0.0.3")};
    const QVector<kv::SnmpRequest> rows = rowsOn(addresses, 20, &numbers);
    const kv::LangTable lang;
    kv::SnmpTestRun run(agents, 4);
    int results = 0;
    connect(&run, &kv::SnmpTestRun::rowTested, this, [&] { ++results; });
    run.start(rows, numbers, 1000, lang);
    QTRY_VERIFY_WITH_TIMEOUT(!run.running(), 5000);
    QCOMPARE(results, 60);
    for (const QString& a : addresses) {
        QCOMPARE(agents.most.value(a), 4);
        QCOMPARE(agents.asked.value(a), 20);
    }
}

// The rows of an agent that stays silent take no-answer after its first
// requests, without being sent; other agents are not held up.
void TestSnmpClient::silentAgentOneRound()
{
    SlowAgents agents;
    agents.delayMs = 100; // a time-out and its retry
    QVector<int> numbers;
    const QVector<kv::SnmpRequest> rows = rowsOn({QStringLiteral("10.0.0.99"), QStringLiteral("10.0.0.1")}, 32, &numbers);
    const kv::LangTable lang;
    kv::SnmpTestRun run(agents, 4);
    QVector<kv::SnmpRowResult> results;
    connect(&run, &kv::SnmpTestRun::rowTested, this, [&](const kv::SnmpRowResult& r) { results << r; });
    QElapsedTimer t;
    t.start();
    run.start(rows, numbers, 1000, lang);
    QTRY_VERIFY_WITH_TIMEOUT(!run.running(), 5000);
    QCOMPARE(results.size(), 64);
    QCOMPARE(agents.asked.value(QStringLiteral("10.0.0.99")), 4);
    QCOMPARE(agents.asked.value(QStringLiteral("10.0.0.1")), 32);
    int notAsked = 0;
    for (const kv::SnmpRowResult& r : results) {
        const bool silent = r.plan.agent == QLatin1String("10.0.0.99");
        QCOMPARE(r.verdict, silent ? kv::SnmpVerdict::NoAnswer : kv::SnmpVerdict::NoSuchObject);
        notAsked += r.notAsked;
    }
    QCOMPARE(notAsked, 28);
    const kv::SnmpRowResult skipped = *std::find_if(results.begin(), results.end(), [](const kv::SnmpRowResult& r) { return r.notAsked; });
    QCOMPARE(kv::SnmpVerdictText(skipped, rows[0], lang, 1000),
             QStringLiteral("No answer: not sent, as this agent answered none of its first requests within 1000 ms, nor to their retries."));
}

void TestSnmpClient::cancelStopsAtOnce()
{
    SlowAgents agents;
    agents.delayMs = 300; // agents that take their time to answer
    QVector<int> numbers;
    const QVector<kv::SnmpRequest> rows =
        rowsOn({QStringLiteral("10.0.0.1"), QStringLiteral("10.0.0.2"), QStringLiteral("10.0.0.3")}, 20, &numbers);
    const kv::LangTable lang;
    kv::SnmpTestRun run(agents, 4);
    int results = 0;
    int doneCount = 0;
    connect(&run, &kv::SnmpTestRun::rowTested, this, [&] { ++results; });
    connect(&run, &kv::SnmpTestRun::done, this, [&] { ++doneCount; });
    run.start(rows, numbers, 1000, lang);
    QTest::qWait(100);
    QElapsedTimer t;
    t.start();
    run.cancel();
    QVERIFY(t.elapsed() < 50);
    QVERIFY(!run.busy());
    QCOMPARE(doneCount, 1);
    QTest::qWait(500); // requests that were out end by now; their results are dropped
    QCOMPARE(results, 0);
    QCOMPARE(doneCount, 1);
    QCOMPARE(agents.calls.load(), 12); // nothing more was sent
}

QTEST_GUILESS_MAIN(TestSnmpClient)
#include "test_snmp_client.moc"
