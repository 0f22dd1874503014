// The MIB library: objects of the tests' own modules and the rows they fill
// (through kv52013-cli mib describe --json), the states mib lint reports for
// broken modules, and a vendor-style module read with only the shipped base.
#include "Cli.h"
#include "snmp/MibLibrary.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString kModules = QStringLiteral(KV_FIXTURES_DIR "/mib_modules");
const QString kBroken = QStringLiteral(KV_FIXTURES_DIR "/mib_broken");

QJsonObject describe(const QString& what, const QString& dir = kModules)
{
    const CliRun r = runCli({QStringLiteral("mib"), QStringLiteral("describe"), QStringLiteral("--mibdir"), dir,
                             what, QStringLiteral("--json")});
    if (r.status != 0)
        qWarning() << r.err;
    return QJsonDocument::fromJson(r.rawOut).object();
}

} // namespace

class TestMib : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // Only the shipped base and the fixtures: the system's folders are
        // replaced by an empty one.
        QVERIFY(m_empty.isValid());
        qputenv("MIBDIRS", QDir::toNativeSeparators(m_empty.path()).toLocal8Bit());
        kv::MibLibrary::SetFolders({kModules, QStringLiteral(KV_BIN_DIR "/MIBS_BASE")});
        kv::MibLibrary::Reload();
    }

    void rowOfObject_data()
    {
        QTest::addColumn<QString>("object");
        QTest::addColumn<QString>("oid");
        QTest::addColumn<QString>("type"); // empty: no row
        QTest::addColumn<int>("bytes");
        QTest::addColumn<QString>("mnemonic");
        QTest::addColumn<QString>("index"); // empty: the default, through mib describe
        const QString s = QStringLiteral("1.3.6.1.4.1.64999.1.");
        const QString c = QStringLiteral("1.3.6.1.4.1.64999.2.1.");
        QTest::newRow("INTEGER, no range") << QStringLiteral("kvPlain") << s + QStringLiteral("1.0") << QStringLiteral("Int") << 4 << QStringLiteral("kvPlain") << QString();
        QTest::newRow("Integer32 0..200") << QStringLiteral("kvSmall") << s + QStringLiteral("2.0") << QStringLiteral("Int") << 1 << QStringLiteral("kvSmall") << QString();
        QTest::newRow("Integer32 -40..150") << QStringLiteral("kvSigned") << s + QStringLiteral("3.0") << QStringLiteral("Int") << 2 << QStringLiteral("kvSigned") << QString();
        QTest::newRow("enums up to 300") << QStringLiteral("kvMode") << s + QStringLiteral("4.0") << QStringLiteral("Int") << 2 << QStringLiteral("kvMode") << QString();
        QTest::newRow("Counter64") << QStringLiteral("kvOctets") << s + QStringLiteral("5.0") << QStringLiteral("Int") << 8 << QStringLiteral("kvOctets") << QString();
        QTest::newRow("DisplayString SIZE 32") << QStringLiteral("kvName") << s + QStringLiteral("6.0") << QStringLiteral("String") << 32 << QStringLiteral("kvName") << QString();
        QTest::newRow("DisplayString") << QStringLiteral("kvText") << s + QStringLiteral("7.0") << QStringLiteral("String") << 255 << QStringLiteral("kvText") << QString();
        QTest::newRow("IpAddress") << QStringLiteral("kvAddress") << QString() << QString() << 0 << QString() << QString();
        QTest::newRow("TimeTicks") << QStringLiteral("kvUptime") << s + QStringLiteral("9.0") << QStringLiteral("Int") << 4 << QStringLiteral("kvUptime") << QString();
        QTest::newRow("Unsigned32 to 4e9") << QStringLiteral("KVTEST-MIB::kvBig") << s + QStringLiteral("10.0") << QStringLiteral("Int") << 4 << QStringLiteral("kvBig") << QString();
        QTest::newRow("TruthValue") << QStringLiteral("kvEnabled") << s + QStringLiteral("11.0") << QStringLiteral("Int") << 1 << QStringLiteral("kvEnabled") << QString();
        QTest::newRow("OCTET STRING 1024") << QStringLiteral("kvHuge") << s + QStringLiteral("12.0") << QStringLiteral("String") << 255 << QStringLiteral("kvHuge") << QString();
        QTest::newRow("table") << QStringLiteral("kvTable") << QString() << QString() << 0 << QString() << QString();
        QTest::newRow("index column") << QStringLiteral("kvIndex") << QString() << QString() << 0 << QString() << QString();
        QTest::newRow("Gauge32 column by OID") << c + QStringLiteral("2") << c + QStringLiteral("2.1") << QStringLiteral("Int") << 1 << QStringLiteral("kvLoad.1") << QString();
        QTest::newRow("Counter32 column") << QStringLiteral("kvPackets") << c + QStringLiteral("3.1") << QStringLiteral("Int") << 4 << QStringLiteral("kvPackets.1") << QString();
        QTest::newRow("MacAddress column") << QStringLiteral("kvMac") << c + QStringLiteral("4.1") << QStringLiteral("String") << 6 << QStringLiteral("kvMac.1") << QString();
        QTest::newRow("RowStatus column") << QStringLiteral("kvStatus") << c + QStringLiteral("5.1") << QStringLiteral("Int") << 1 << QStringLiteral("kvStatus.1") << QString();
        QTest::newRow("base sysDescr") << QStringLiteral("sysDescr") << QStringLiteral("1.3.6.1.2.1.1.1.0") << QStringLiteral("String") << 255 << QStringLiteral("sysDescr") << QString();
        // The index the engineer types for a column; a scalar keeps its .0.
        QTest::newRow("column, index 3") << QStringLiteral("kvPackets") << c + QStringLiteral("3.3") << QStringLiteral("Int") << 4 << QStringLiteral("kvPackets.3") << QStringLiteral("3");
        QTest::newRow("column, index 2.17") << QStringLiteral("kvMac") << c + QStringLiteral("4.2.17") << QStringLiteral("String") << 6 << QStringLiteral("kvMac.2.17") << QStringLiteral("2.17");
        QTest::newRow("scalar, index unused") << QStringLiteral("kvSmall") << s + QStringLiteral("2.0") << QStringLiteral("Int") << 1 << QStringLiteral("kvSmall") << QStringLiteral("5");
        QTest::newRow("refused, index unused") << QStringLiteral("kvAddress") << QString() << QString() << 0 << QString() << QStringLiteral("5");
    }

    void rowOfObject()
    {
        QFETCH(QString, object);
        QFETCH(QString, oid);
        QFETCH(QString, type);
        QFETCH(int, bytes);
        QFETCH(QString, mnemonic);
        QFETCH(QString, index);
        if (!index.isEmpty()) {
            kv::MibObject o;
            QVERIFY2(kv::MibLibrary::Find(object, &o, nullptr), qPrintable(object));
            const kv::MibRow row = kv::MibRowFor(o, index);
            QCOMPARE(row.filled, !type.isEmpty());
            QCOMPARE(row.oid, oid);
            QCOMPARE(row.type, type);
            QCOMPARE(row.numBytes, bytes);
            QCOMPARE(row.mnemonic, mnemonic);
            return;
        }
        const QJsonObject o = describe(object);
        QVERIFY2(!o.isEmpty(), qPrintable(object));
        if (type.isEmpty()) {
            QVERIFY(o.value(QStringLiteral("row")).isNull());
            QVERIFY(!o.value(QStringLiteral("reason")).toString().isEmpty());
            return;
        }
        const QJsonObject row = o.value(QStringLiteral("row")).toObject();
        QCOMPARE(row.value(QStringLiteral("OID")).toString(), oid);
        QCOMPARE(row.value(QStringLiteral("Type")).toString(), type);
        QCOMPARE(row.value(QStringLiteral("Number_Bytes")).toInt(), bytes);
        QCOMPARE(row.value(QStringLiteral("Mode")).toString(), QStringLiteral("Get"));
        QCOMPARE(row.value(QStringLiteral("Mnemonic")).toString(), mnemonic);
    }

    // What the object itself says: the module's name, ranges, enums.
    void describesTheDefinition()
    {
        const QJsonObject signedInt = describe(QStringLiteral("kvSigned"));
        QCOMPARE(signedInt.value(QStringLiteral("name")).toString(), QStringLiteral("KVTEST-MIB::kvSigned"));
        QCOMPARE(signedInt.value(QStringLiteral("range")).toArray(), (QJsonArray{QJsonArray{-40, 150}}));
        QCOMPARE(signedInt.value(QStringLiteral("access")).toString(), QStringLiteral("read-only"));
        const QJsonObject big = describe(QStringLiteral("kvBig"));
        QCOMPARE(big.value(QStringLiteral("range")).toArray(), (QJsonArray{QJsonArray{0, 4000000000.0}}));
        const QJsonObject mode = describe(QStringLiteral("kvMode"));
        QCOMPARE(mode.value(QStringLiteral("enums")).toObject().value(QStringLiteral("auto")).toInt(), 300);
        const QJsonObject mac = describe(QStringLiteral("kvMac"));
        QCOMPARE(mac.value(QStringLiteral("syntax")).toString(), QStringLiteral("MacAddress"));
        QCOMPARE(mac.value(QStringLiteral("base")).toString(), QStringLiteral("OCTET STRING"));
        QCOMPARE(mac.value(QStringLiteral("size")).toArray(), (QJsonArray{QJsonArray{6, 6}}));
        QCOMPARE(signedInt.value(QStringLiteral("description")).toString(), QStringLiteral("Two bytes: signed past 127."));
        QCOMPARE(signedInt.value(QStringLiteral("units")).toString(), QString());
        const QJsonObject current = describe(QStringLiteral("kvtOutletCurrent"), QStringLiteral(KV_FIXTURES_DIR "/mib_tree"));
        QCOMPARE(current.value(QStringLiteral("units")).toString(), QStringLiteral("0.01 A"));
        QCOMPARE(current.value(QStringLiteral("description")).toString(),
                 QStringLiteral("Current through the outlet, in hundredths of an ampere."));
        const CliRun text = runCli({QStringLiteral("mib"), QStringLiteral("describe"), QStringLiteral("--mibdir"),
                                    QStringLiteral(KV_FIXTURES_DIR "/mib_tree"), QStringLiteral("kvtPower")});
        QVERIFY2(text.out.contains(QStringLiteral("\n  units: W\n")), qPrintable(text.out));
        QVERIFY2(text.out.contains(QStringLiteral("\n  description: The power the outlets draw together.\n")), qPrintable(text.out));
        const CliRun none = runCli({QStringLiteral("mib"), QStringLiteral("describe"), QStringLiteral("kvNoSuchThing")});
        QCOMPARE(none.status, 1);
        QVERIFY(none.err.contains(QStringLiteral("kvNoSuchThing")));
    }

    // The range's edges decide the width: two's complement below zero.
    void widthAtTheEdges_data()
    {
        QTest::addColumn<qint64>("low");
        QTest::addColumn<qint64>("high");
        QTest::addColumn<int>("bytes");
        QTest::newRow("0..255") << qint64(0) << qint64(255) << 1;
        QTest::newRow("0..256") << qint64(0) << qint64(256) << 2;
        QTest::newRow("-128..127") << qint64(-128) << qint64(127) << 1;
        QTest::newRow("-129..0") << qint64(-129) << qint64(0) << 2;
        QTest::newRow("-1..128") << qint64(-1) << qint64(128) << 2;
        QTest::newRow("0..65536") << qint64(0) << qint64(65536) << 4;
        QTest::newRow("0..4294967295") << qint64(0) << qint64(4294967295LL) << 4;
        QTest::newRow("-2147483649..0") << qint64(-2147483649LL) << qint64(0) << 8;
    }

    void widthAtTheEdges()
    {
        QFETCH(qint64, low);
        QFETCH(qint64, high);
        QFETCH(int, bytes);
        kv::MibObject o;
        o.name = QStringLiteral("x");
        o.base = QStringLiteral("Integer32");
        o.access = QStringLiteral("read-only");
        o.scalar = true;
        o.range = {{low, high}};
        QCOMPARE(kv::MibRowFor(o).numBytes, bytes);
    }

    void lintNamesWhatIsWrong()
    {
        const CliRun r = runCli({QStringLiteral("mib"), QStringLiteral("lint"), kBroken + QStringLiteral("/KVBAD-SYNTAX-MIB"),
                                 kBroken + QStringLiteral("/KVBAD-IMPORT-MIB")});
        QCOMPARE(r.status, 1);
        const QStringList lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        QVERIFY2(lines[0].startsWith(QStringLiteral("KVBAD-SYNTAX-MIB (")), qPrintable(lines[0]));
        QVERIFY2(lines[0].contains(QStringLiteral("KVBAD-SYNTAX-MIB): error at line 10: Expected \")\"")),
                 qPrintable(lines[0]));
        QVERIFY2(lines[1].endsWith(QStringLiteral("KVBAD-IMPORT-MIB): missing imports: KV-ABSENT-MIB")),
                 qPrintable(lines[1]));
        // A definition under a name nobody defines hangs nowhere.
        const CliRun orphan = runCli({QStringLiteral("mib"), QStringLiteral("lint"), kBroken + QStringLiteral("/KVBAD-PARENT-MIB")});
        QCOMPARE(orphan.status, 1);
        QVERIFY2(orphan.out.contains(QStringLiteral("KVBAD-PARENT-MIB): error at line 6: Undefined identifier: kvNoParent")),
                 qPrintable(orphan.out));
        // A file under a base module's name is read, not taken for the base.
        const CliRun shadow = runCli({QStringLiteral("mib"), QStringLiteral("lint"), kBroken + QStringLiteral("/broken-SNMPv2-CONF")});
        QCOMPARE(shadow.status, 1);
        QVERIFY2(shadow.out.contains(QStringLiteral("broken-SNMPv2-CONF): error at line 10")), qPrintable(shadow.out));
        const CliRun good = runCli({QStringLiteral("mib"), QStringLiteral("lint"), kModules + QStringLiteral("/KVTEST-MIB")});
        QCOMPARE(good.status, 0);
        QVERIFY2(good.out.trimmed().endsWith(QStringLiteral("KVTEST-MIB): loaded")), qPrintable(good.out));
        // What a module imports from another folder is found once that
        // folder is named.
        const QString depends = QStringLiteral(KV_FIXTURES_DIR "/mib_depends/KVDEP-MIB");
        const CliRun alone = runCli({QStringLiteral("mib"), QStringLiteral("lint"), depends});
        QCOMPARE(alone.status, 1);
        QVERIFY2(alone.out.trimmed().endsWith(QStringLiteral("KVDEP-MIB): missing imports: KVTEST-MIB")), qPrintable(alone.out));
        const CliRun beside = runCli({QStringLiteral("mib"), QStringLiteral("lint"), QStringLiteral("--mibdir"), kModules, depends});
        QCOMPARE(beside.status, 0);
        QVERIFY2(beside.out.trimmed().endsWith(QStringLiteral("KVDEP-MIB): loaded")), qPrintable(beside.out));
    }

    // A module as vendors write them imports from every base module; it
    // loads with nothing but the shipped base.
    void vendorModuleLoadsOnTheShippedBase()
    {
        const QString vendor = QStringLiteral(KV_FIXTURES_DIR "/mib_vendor");
        const CliRun r = runCli({QStringLiteral("mib"), QStringLiteral("lint"), vendor + QStringLiteral("/ACME-UPS-MIB")});
        QCOMPARE(r.status, 0);
        QVERIFY2(r.out.trimmed().endsWith(QStringLiteral("loaded")), qPrintable(r.out));
        const QJsonObject o = describe(QStringLiteral("upsLastTest"), vendor);
        QCOMPARE(o.value(QStringLiteral("syntax")).toString(), QStringLiteral("DateAndTime"));
        QCOMPARE(o.value(QStringLiteral("row")).toObject().value(QStringLiteral("Number_Bytes")).toInt(), 11);
    }

    // A module the user gives under a base module's name wins over the base.
    void userModuleWinsOverTheBase()
    {
        const QJsonObject o = describe(QStringLiteral("kvOvrText"), QStringLiteral(KV_FIXTURES_DIR "/mib_override"));
        QCOMPARE(o.value(QStringLiteral("size")).toArray(), (QJsonArray{QJsonArray{0, 64}}));
    }

    // In the program: the folder's modules with their states, and a module
    // copied in afterwards known after a reload.
    void reloadReadsWhatWasAdded()
    {
        QTemporaryDir user;
        QVERIFY(user.isValid());
        QVERIFY(QFile::copy(kBroken + QStringLiteral("/KVBAD-IMPORT-MIB"), user.filePath(QStringLiteral("KVBAD-IMPORT-MIB"))));
        kv::MibLibrary::SetFolders({user.path(), QStringLiteral(KV_BIN_DIR "/MIBS_BASE")});
        kv::MibLibrary::Reload();
        const auto state = [](const QString& name) {
            for (const kv::MibModuleState& s : kv::MibLibrary::Modules()) {
                if (s.name == name)
                    return s;
            }
            return kv::MibModuleState();
        };
        QCOMPARE(state(QStringLiteral("KVBAD-IMPORT-MIB")).kind, kv::MibModuleState::MissingImports);
        QCOMPARE(state(QStringLiteral("KVBAD-IMPORT-MIB")).missing, QStringList{QStringLiteral("KV-ABSENT-MIB")});
        QVERIFY(state(QStringLiteral("SNMPv2-TC")).loaded());
        kv::MibObject o;
        QVERIFY(!kv::MibLibrary::Find(QStringLiteral("kvPackets"), &o, nullptr));

        QVERIFY(QFile::copy(kModules + QStringLiteral("/KVTEST-MIB"), user.filePath(QStringLiteral("KVTEST-MIB"))));
        kv::MibLibrary::Reload();
        QVERIFY(state(QStringLiteral("KVTEST-MIB")).loaded());
        QVERIFY(kv::MibLibrary::Find(QStringLiteral("kvPackets"), &o, nullptr));
        QCOMPARE(o.fullName(), QStringLiteral("KVTEST-MIB::kvPackets"));
        QVERIFY(o.column);
    }

private:
    QTemporaryDir m_empty;
};

QTEST_GUILESS_MAIN(TestMib)
#include "test_mib.moc"
