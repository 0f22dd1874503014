#include <QtTest>

#include "Cli.h"
#include "TestFiles.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

// Drives the command-line tool as a translator would.
class TestLangcheck : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void json_data();
    void json();
    void listing();
    void failures_data();
    void failures();

private:
    static CliRun cli(const QStringList& args) { return runCli(QStringList{QStringLiteral("langcheck")} + args); }
    QString file(const QByteArray& bytes);

    QTemporaryDir m_dir;
    int m_files = 0;
};

QString TestLangcheck::file(const QByteArray& bytes)
{
    const QString path = m_dir.filePath(QStringLiteral("f%1.lng").arg(++m_files));
    return tryWriteFile(path, bytes) ? path : QString();
}

void TestLangcheck::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY2(QFileInfo::exists(QStringLiteral(KV_BIN_DIR "/kv52013-cli" KV_EXE_SUFFIX)), "build kv52013-cli first");
}

void TestLangcheck::json_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("entries and version")
        << QByteArray("\xEF\xBB\xBF//VERSION 2.1\r\nSTR12 = Info\r\nSTR304 = \xC2\xB6S\xC3\xA9lection : \xC2\xB6\r\n"
                      "STR12 = Information /#/ again\r\n//VERSION 9\r\nSTR1300 = no\r\n")
        << QByteArray(R"({"version": "2.1", "entries": {"12": "Information", "304": "Sélection : "}})");
    QTest::newRow("no version line") << QByteArray("STR5=x\nSTR0 = \"quoted\"\\")
                                     << QByteArray(R"({"version": null, "entries": {"0": "\"quoted\"\\"}})");
    QTest::newRow("nothing set") << QByteArray("") << QByteArray(R"({"version": null, "entries": {}})");
    QTest::newRow("1252 without mark") << QByteArray("STR1 = \x80\xE9")
                                       << QByteArray(R"({"version": null, "entries": {"1": "€é"}})");
}

void TestLangcheck::json()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, expected);
    const QString path = file(bytes);
    QVERIFY(!path.isEmpty());
    const CliRun r = cli({path, QStringLiteral("--json")});
    QCOMPARE(r.status, 0);
    QJsonParseError e;
    const QJsonDocument got = QJsonDocument::fromJson(r.out.toUtf8(), &e);
    QVERIFY2(e.error == QJsonParseError::NoError, qPrintable(r.out));
    QVERIFY(got.isObject());
    QCOMPARE(got, QJsonDocument::fromJson(expected));
    QVERIFY(r.err.isEmpty());
}

void TestLangcheck::listing()
{
    const QString path = file("//Version 3\nfree text\nSTR12 = Info\nSTR12 =\nSTRx = y\n\n");
    const CliRun r = cli({path});
    QCOMPARE(r.status, 0);
    const QString& out = r.out;
    QVERIFY2(out.contains(QStringLiteral("Version: 3")), qPrintable(r.out));
    QVERIFY2(out.contains(QStringLiteral("12 \"Info\"")), qPrintable(r.out));
    QVERIFY2(out.contains(QStringLiteral("Lines ignored: 3")), qPrintable(r.out));

    // Any bytes at all still give one valid JSON object.
    QByteArray noise;
    for (int i = 0; i < 70000; ++i)
        noise.append(char((i * 7919) & 0xFF));
    const CliRun n = cli({file(QByteArray("\xFF\xFE") + noise), QStringLiteral("--json")});
    QCOMPARE(n.status, 0);
    QVERIFY(QJsonDocument::fromJson(n.out.toUtf8()).isObject());
}

void TestLangcheck::failures_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::newRow("missing file") << QStringList{QStringLiteral("/nonexistent/dir/x.lng"), QStringLiteral("--json")};
    QTest::newRow("a directory") << QStringList{QDir::tempPath()};
    QTest::newRow("no file named") << QStringList{QStringLiteral("--json")};
    QTest::newRow("unknown option") << QStringList{QStringLiteral("a.lng"), QStringLiteral("--xml")};
}

void TestLangcheck::failures()
{
    QFETCH(QStringList, args);
    const CliRun r = cli(args);
    QCOMPARE(r.status, 2);
    QVERIFY(r.out.isEmpty());
    QVERIFY(!r.err.isEmpty());
}

QTEST_GUILESS_MAIN(TestLangcheck)
#include "test_langcheck.moc"
