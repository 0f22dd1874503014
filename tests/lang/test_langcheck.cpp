#include <QtTest>

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
    struct Run {
        int exitCode = -1;
        QByteArray out;
        QByteArray err;
    };
    Run cli(const QStringList& args);
    QString file(const QByteArray& bytes);

    QTemporaryDir m_dir;
    int m_files = 0;
};

TestLangcheck::Run TestLangcheck::cli(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(KV_BIN_DIR "/kv52013-cli"), QStringList{QStringLiteral("langcheck")} + args);
    Run r;
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit)
        return r;
    r.exitCode = p.exitCode();
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

QString TestLangcheck::file(const QByteArray& bytes)
{
    const QString path = m_dir.filePath(QStringLiteral("f%1.lng").arg(++m_files));
    return tryWriteFile(path, bytes) ? path : QString();
}

void TestLangcheck::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY2(QFileInfo::exists(QStringLiteral(KV_BIN_DIR "/kv52013-cli")), "build kv52013-cli first");
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
    const Run r = cli({path, QStringLiteral("--json")});
    QCOMPARE(r.exitCode, 0);
    QJsonParseError e;
    const QJsonDocument got = QJsonDocument::fromJson(r.out, &e);
    QVERIFY2(e.error == QJsonParseError::NoError, r.out.constData());
    QVERIFY(got.isObject());
    QCOMPARE(got, QJsonDocument::fromJson(expected));
    QVERIFY(r.err.isEmpty());
}

void TestLangcheck::listing()
{
    const QString path = file("//Version 3\nfree text\nSTR12 = Info\nSTR12 =\nSTRx = y\n\n");
    const Run r = cli({path});
    QCOMPARE(r.exitCode, 0);
    const QString out = QString::fromUtf8(r.out);
    QVERIFY2(out.contains(QStringLiteral("Version: 3")), r.out.constData());
    QVERIFY2(out.contains(QStringLiteral("12 \"Info\"")), r.out.constData());
    QVERIFY2(out.contains(QStringLiteral("Lines ignored: 3")), r.out.constData());

    // Any bytes at all still give one valid JSON object.
    QByteArray noise;
    for (int i = 0; i < 70000; ++i)
        noise.append(char((i * 7919) & 0xFF));
    const Run n = cli({file(QByteArray("\xFF\xFE") + noise), QStringLiteral("--json")});
    QCOMPARE(n.exitCode, 0);
    QVERIFY(QJsonDocument::fromJson(n.out).isObject());
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
    const Run r = cli(args);
    QCOMPARE(r.exitCode, 2);
    QVERIFY(r.out.isEmpty());
    QVERIFY(!r.err.isEmpty());
}

QTEST_GUILESS_MAIN(TestLangcheck)
#include "test_langcheck.moc"
