#include <QtTest>

#include "FakeSnmp.h"
#include "SnmpAgent.h"
#include "snmp/MibLibrary.h"
#include "snmp/SnmpClient.h"
#include "snmp/SnmpWalk.h"

#include <QTemporaryDir>

namespace {

const QString kAgent = QStringLiteral("127.0.0.63");

// Fixed objects of the test agent under an enterprise number of its own, and
// a MIB of the same numbers so that the walk shows names.
const QByteArray kObjects = "override 1.3.6.1.4.1.99999.1.0 octet_str \"hello\"\n"
                            "override 1.3.6.1.4.1.99999.2.0 integer -5\n"
                            "override 1.3.6.1.4.1.99999.3.0 counter 7\n"
                            "override 1.3.6.1.4.1.99999.30.0 integer 30\n";
const QByteArray kMib = "KV-TEST-MIB DEFINITIONS ::= BEGIN\n"
                        "IMPORTS OBJECT-TYPE, enterprises FROM SNMPv2-SMI;\n"
                        "kvTest OBJECT IDENTIFIER ::= { enterprises 99999 }\n"
                        "kvGreeting OBJECT-TYPE SYNTAX OCTET STRING MAX-ACCESS read-only STATUS current\n"
                        "    DESCRIPTION \"A greeting.\" ::= { kvTest 1 }\n"
                        "kvOffset OBJECT-TYPE SYNTAX INTEGER MAX-ACCESS read-only STATUS current\n"
                        "    DESCRIPTION \"An offset.\" ::= { kvTest 2 }\n"
                        "END\n";

// Answers from a list of objects, as an agent would: each step the objects
// after `from`, at most `count`.
class ListClient : public kvtest::BlockingFake {
public:
    QStringList oids;
    int steps = 0;
    kv::SnmpNextStep next(const kv::SnmpTarget&, const QString& from, int count) override
    {
        ++steps;
        kv::SnmpNextStep step;
        step.status = kv::SnmpNextStep::Objects;
        for (const QString& o : oids) {
            if (step.objects.size() < count && kv::OidBefore(from, o)) {
                kv::SnmpObject object;
                object.oid = o;
                object.value.status = kv::SnmpAnswer::Value;
                object.value.type = QStringLiteral("INTEGER");
                object.value.value = QStringLiteral("1");
                step.objects << object;
            }
        }
        if (step.objects.isEmpty())
            step.status = kv::SnmpNextStep::EndOfView;
        return step;
    }
};

struct WalkResult {
    QVector<kv::SnmpObject> objects;
    kv::SnmpWalk::End end = kv::SnmpWalk::Cancelled;
    QString error;
};

WalkResult walk(kv::ISnmpClient& client, const kv::SnmpTarget& target, const QString& start, int maxObjects = 10000,
                int bulk = 25)
{
    WalkResult r;
    kv::SnmpWalk w(client);
    QObject::connect(&w, &kv::SnmpWalk::found, [&r](const QVector<kv::SnmpObject>& o) { r.objects << o; });
    bool ended = false;
    QObject::connect(&w, &kv::SnmpWalk::finished, [&](kv::SnmpWalk::End e) {
        r.end = e;
        ended = true;
    });
    w.start(target, start, maxObjects, 30000, bulk);
    if (!QTest::qWaitFor([&] { return ended; }, 20000))
        qWarning("the walk did not end");
    r.error = w.error();
    return r;
}

QStringList oidsOf(const WalkResult& r)
{
    QStringList out;
    for (const kv::SnmpObject& o : r.objects)
        out << o.oid;
    return out;
}

} // namespace

class TestSnmpWalk : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void walkAgent_data();
    void walkAgent();
    void bigValues();
    void bounds();
    void cancelDropsTheRest();

private:
    QTemporaryDir m_mibs;
};

void TestSnmpWalk::initTestCase()
{
    // The system's MIB folders, and one of the test's own.
    QFile mib(m_mibs.filePath(QStringLiteral("KV-TEST-MIB.txt")));
    QVERIFY(mib.open(QIODevice::WriteOnly));
    mib.write(kMib);
    mib.close();
    kv::MibLibrary::SetFolders({m_mibs.path(), QStringLiteral(KV_BIN_DIR "/MIBS_BASE")});
}

void TestSnmpWalk::walkAgent_data()
{
    QTest::addColumn<int>("version");
    QTest::addColumn<int>("bulk");
    QTest::newRow("SNMPv1, GETNEXT") << 1 << 1;
    QTest::newRow("SNMPv2c, GETBULK of 2") << 2 << 2;
    QTest::newRow("SNMPv2c, GETBULK of 25") << 2 << 25;
}

void TestSnmpWalk::walkAgent()
{
    QFETCH(int, version);
    QFETCH(int, bulk);
    kvtest::SnmpAgent agent(kAgent, kObjects);
    if (!agent.skip.isEmpty())
        QSKIP(qPrintable(agent.skip));
    const auto client = kv::MakeSnmpClient();
    const kv::SnmpTarget target{kAgent, version, QStringLiteral("public"), 1000, 1};

    // The subtree and nothing after it, in order, with types, values and names.
    const WalkResult r = walk(*client, target, QStringLiteral("1.3.6.1.4.1.99999"), 10000, bulk);
    QCOMPARE(r.end, kv::SnmpWalk::Complete);
    QCOMPARE(oidsOf(r), QStringList({QStringLiteral("1.3.6.1.4.1.99999.1.0"), QStringLiteral("1.3.6.1.4.1.99999.2.0"),
                                     QStringLiteral("1.3.6.1.4.1.99999.3.0"), QStringLiteral("1.3.6.1.4.1.99999.30.0")}));
    QCOMPARE(r.objects[0].value.type, QStringLiteral("STRING"));
    QCOMPARE(r.objects[0].value.value, QStringLiteral("\"hello\""));
    QCOMPARE(r.objects[1].value.value, QStringLiteral("-5"));
    QCOMPARE(r.objects[2].value.type, QStringLiteral("Counter32"));
    // Names where a loaded module defines the object: none for 30, which
    // lies only below the module's root.
    QCOMPARE(r.objects[0].name, QStringLiteral("KV-TEST-MIB::kvGreeting"));
    QCOMPARE(r.objects[1].name, QStringLiteral("KV-TEST-MIB::kvOffset"));
    QCOMPARE(r.objects[3].name, QString());

    // The standard system group, from the default start's neighbourhood.
    const WalkResult system = walk(*client, target, QStringLiteral("1.3.6.1.2.1.1"), 10000, bulk);
    QCOMPARE(system.end, kv::SnmpWalk::Complete);
    QVERIFY(oidsOf(system).contains(QStringLiteral("1.3.6.1.2.1.1.1.0")));
    QVERIFY(oidsOf(system).size() >= 7);
    // Named by the shipped base, without the scalar's .0.
    QCOMPARE(system.objects.at(int(oidsOf(system).indexOf(QStringLiteral("1.3.6.1.2.1.1.1.0")))).name,
             QStringLiteral("SNMPv2-MIB::sysDescr"));

    // A wrong community is no answer.
    const kv::SnmpTarget wrong{kAgent, version, QStringLiteral("secret"), 200, 0};
    const WalkResult none = walk(*client, wrong, QStringLiteral("1.3.6.1.2.1"));
    QCOMPARE(none.end, kv::SnmpWalk::NoAnswer);
    QVERIFY(none.objects.isEmpty());
}

// Values too big to come several in one answer: snmpd leaves a GETBULK
// of 25 over them unanswered, but answers them one at a time.  The walk
// gets them all.
void TestSnmpWalk::bigValues()
{
    QByteArray conf;
    for (const char* name : {"big1", "big2", "big3"})
        conf += QByteArray("extend ") + name + " /usr/bin/perl -e \"print q(x) x 30000\"\n";
    kvtest::SnmpAgent agent(kAgent, conf);
    if (!agent.skip.isEmpty())
        QSKIP(qPrintable(agent.skip));
    const auto client = kv::MakeSnmpClient();
    const kv::SnmpTarget target{kAgent, 2, QStringLiteral("public"), 1000, 1};
    // The extend outputs (nsExtendOutputFull).
    const WalkResult r = walk(*client, target, QStringLiteral("1.3.6.1.4.1.8072.1.3.2.3.1.2"), 10000, 25);
    QCOMPARE(r.end, kv::SnmpWalk::Complete);
    QCOMPARE(r.objects.size(), 3);
    for (const kv::SnmpObject& o : r.objects)
        QCOMPARE(o.value.octets, 30000);
}

void TestSnmpWalk::bounds()
{
    ListClient client;
    for (int i = 1; i <= 40; ++i)
        client.oids << QStringLiteral("1.3.6.1.2.1.%1").arg(i);
    client.oids << QStringLiteral("1.3.6.1.2.10.1") << QStringLiteral("1.3.6.1.3.1");
    const kv::SnmpTarget target{QStringLiteral("127.0.0.1"), 2, QStringLiteral("public"), 1000, 1};

    // The subtree ends at 1.3.6.1.2.1.40: 1.3.6.1.2.10 is outside though its text begins alike.
    WalkResult r = walk(client, target, QStringLiteral("1.3.6.1.2.1"), 10000, 7);
    QCOMPARE(r.end, kv::SnmpWalk::Complete);
    QCOMPARE(r.objects.size(), 40);
    QCOMPARE(r.objects.last().oid, QStringLiteral("1.3.6.1.2.1.40"));
    QVERIFY(kv::OidBefore(QStringLiteral("1.3.6.1.2.1.9"), QStringLiteral("1.3.6.1.2.1.10")));

    // The object limit stops it exactly.
    r = walk(client, target, QStringLiteral("1.3.6.1.2.1"), 15, 7);
    QCOMPARE(r.end, kv::SnmpWalk::ObjectLimit);
    QCOMPARE(r.objects.size(), 15);

    // An agent that answers with an object not after the last would loop for ever.
    class Looping : public ListClient {
        kv::SnmpNextStep next(const kv::SnmpTarget& t, const QString&, int count) override
        {
            return ListClient::next(t, QStringLiteral("1.3.6.1.2.1"), count);
        }
    } looping;
    looping.oids = client.oids;
    r = walk(looping, target, QStringLiteral("1.3.6.1.2.1"), 10000, 3);
    QCOMPARE(r.end, kv::SnmpWalk::NotIncreasing);
    QCOMPARE(r.objects.size(), 3);

    // An agent that answers its second step with an error status says which.
    class Refusing : public ListClient {
        kv::SnmpNextStep next(const kv::SnmpTarget& t, const QString& from, int count) override
        {
            if (from == QLatin1String("1.3.6.1.2.1"))
                return ListClient::next(t, from, count);
            kv::SnmpNextStep step;
            step.status = kv::SnmpNextStep::AgentError;
            step.error = QStringLiteral("(tooBig) Response message would have been too large.");
            return step;
        }
    } refusing;
    refusing.oids = client.oids;
    r = walk(refusing, target, QStringLiteral("1.3.6.1.2.1"), 10000, 5);
    QCOMPARE(r.end, kv::SnmpWalk::AgentError);
    QCOMPARE(r.objects.size(), 5);
    QCOMPARE(r.error, QStringLiteral("(tooBig) Response message would have been too large."));

    // Objects too big to come several in one answer: the agent stays silent
    // (or says tooBig) to a bulk step over them, but answers them one at a
    // time, and the walk gets them all.  An agent silent to every step
    // still ends the walk without an answer.
    class Bulky : public ListClient {
    public:
        bool sayTooBig = false;
        bool silent = false;
        kv::SnmpNextStep next(const kv::SnmpTarget& t, const QString& from, int count) override
        {
            kv::SnmpNextStep step;
            if (silent || (count > 1 && kv::OidBefore(QStringLiteral("1.3.6.1.2.1.20"), from))) {
                ++steps;
                step.status = sayTooBig ? kv::SnmpNextStep::AgentError : kv::SnmpNextStep::NoAnswer;
                step.error = sayTooBig ? QStringLiteral("(tooBig) Response message would have been too large.") : QString();
                return step;
            }
            return ListClient::next(t, from, count);
        }
    };
    for (const bool sayTooBig : {false, true}) {
        Bulky bulky;
        bulky.oids = client.oids;
        bulky.sayTooBig = sayTooBig;
        r = walk(bulky, target, QStringLiteral("1.3.6.1.2.1"), 10000, 15);
        QCOMPARE(r.end, kv::SnmpWalk::Complete);
        QCOMPARE(oidsOf(r), client.oids.mid(0, 40));
    }
    Bulky dead;
    dead.oids = client.oids;
    dead.silent = true;
    r = walk(dead, target, QStringLiteral("1.3.6.1.2.1"), 10000, 15);
    QCOMPARE(r.end, kv::SnmpWalk::NoAnswer);
    QCOMPARE(dead.steps, 2); // in bulk, then alone
}

void TestSnmpWalk::cancelDropsTheRest()
{
    // Each step takes a while, as a slow agent's would.
    class Slow : public ListClient {
        kv::SnmpNextStep next(const kv::SnmpTarget& t, const QString& from, int count) override
        {
            QThread::msleep(30);
            return ListClient::next(t, from, count);
        }
    } slow;
    for (int i = 1; i <= 200; ++i)
        slow.oids << QStringLiteral("1.3.6.1.2.1.%1").arg(i);
    kv::SnmpWalk w(slow);
    int found = 0;
    QVector<kv::SnmpWalk::End> ends;
    QObject::connect(&w, &kv::SnmpWalk::found, [&](const QVector<kv::SnmpObject>& o) { found += int(o.size()); });
    QObject::connect(&w, &kv::SnmpWalk::finished, [&](kv::SnmpWalk::End e) { ends << e; });
    w.start({QStringLiteral("127.0.0.1"), 2, QStringLiteral("public"), 1000, 1}, QStringLiteral("1.3.6.1.2.1"), 10000,
            30000, 5);
    QVERIFY(QTest::qWaitFor([&] { return found >= 10; }, 5000));
    w.cancel();
    QVERIFY(!w.running());
    const int atCancel = found;
    QTest::qWait(200);
    QCOMPARE(found, atCancel);
    QCOMPARE(ends, QVector<kv::SnmpWalk::End>({kv::SnmpWalk::Cancelled}));
    QVERIFY(found < 200);
}

QTEST_GUILESS_MAIN(TestSnmpWalk)
#include "test_snmp_walk.moc"
