#include <QtTest>

#include "TestFiles.h"
#include "common/AtomicFile.h"
#include "common/NumberRule.h"
#include "common/TextRules.h"
#include "common/XmlUtil.h"

#include <QTemporaryDir>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

class TestCommon : public QObject {
    Q_OBJECT
private slots:
    void numberRule_data();
    void numberRule();
    void trimAndUpper();
    void xmlText();
    void atomicWrite();
    void readWholeFile_data();
    void readWholeFile();
};

void TestCommon::numberRule_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("value");
    QTest::newRow("decimal") << "255" << true << 255;
    QTest::newRow("leading blanks") << "  12" << true << 12;
    QTest::newRow("trailing blank") << "12 " << false << 0;
    QTest::newRow("sign") << "-1" << true << -1;
    QTest::newRow("plus") << "+7" << true << 7;
    QTest::newRow("leading zero") << "010" << true << 10;
    QTest::newRow("empty") << "" << false << 0;
    QTest::newRow("blank") << " " << false << 0;
    QTest::newRow("sign only") << "-" << false << 0;
    QTest::newRow("letters") << "abc" << false << 0;
    QTest::newRow("dollar hex") << "$1F" << true << 31;
    QTest::newRow("x hex") << "x10" << true << 16;
    QTest::newRow("0x hex") << "0x5A0" << true << 1440;
    QTest::newRow("0x alone") << "0x" << false << 0;
    QTest::newRow("hex full pattern") << "$FFFFFFFF" << true << -1;
    QTest::newRow("hex too long") << "$100000000" << false << 0;
    QTest::newRow("max") << "2147483647" << true << 2147483647;
    QTest::newRow("min") << "-2147483648" << true << int(-2147483647 - 1);
    QTest::newRow("over max") << "2147483648" << false << 0;
    QTest::newRow("huge") << "99999999999999999999999" << false << 0;
    QTest::newRow("inner blank") << "1 2" << false << 0;
    QTest::newRow("tab first") << "\t1" << false << 0;
}

void TestCommon::numberRule()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(int, value);
    qint32 v = 0;
    QCOMPARE(kv::ToInt32(text, v), ok);
    if (ok)
        QCOMPARE(v, value);
}

void TestCommon::trimAndUpper()
{
    QCOMPARE(kv::TrimCtl(QStringLiteral("\t\r\n  a b \x01")), QStringLiteral("a b"));
    QCOMPARE(kv::TrimCtl(QStringLiteral("   ")), QString());
    QCOMPARE(kv::UpperAscii(QStringLiteral("float * 10 \u00e9")), QStringLiteral("FLOAT * 10 \u00e9"));
}

void TestCommon::xmlText()
{
    pugi::xml_document doc;
    QVERIFY(kv::LoadXmlBytes("<r><a>x</a><b/><c><d/></c><e> </e></r><!--k-->", QStringLiteral("t.xml"), doc).ok());
    const pugi::xml_node r = kv::FirstTopNode(doc);
    QString t;
    QVERIFY(kv::ChildText(r, "a", t));
    QCOMPARE(t, QStringLiteral("x"));
    QVERIFY(kv::ChildText(r, "b", t));
    QCOMPARE(t, QString());
    QVERIFY(!kv::ChildText(r, "c", t)); // holds an element, not text
    QVERIFY(!kv::ChildText(r, "z", t));
    QVERIFY(kv::ChildText(r, "e", t));
    QCOMPARE(t, QStringLiteral(" "));
    QCOMPARE(kv::SaveXmlBytes(doc), QByteArray("<r><a>x</a><b/><c><d/></c><e> </e></r><!--k-->"));

    const kv::XmlLoad bad = kv::LoadXmlBytes("<r>\n<a></r>", QStringLiteral("bad.xml"), doc);
    QCOMPARE(bad.status, kv::XmlLoad::Error);
    QVERIFY2(bad.message.startsWith(QStringLiteral("bad.xml: ")) && bad.message.contains(QStringLiteral("line 2")),
             qPrintable(bad.message));

    QVERIFY(kv::LoadXmlBytes("<!-- c --><r/>", QStringLiteral("c.xml"), doc).ok());
    QCOMPARE(kv::FirstTopNode(doc).type(), pugi::node_comment);
}

void TestCommon::atomicWrite()
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/doc.xml");
    QString error;
    QVERIFY(kv::WriteFileAtomic(path, "first", &error));
#ifdef Q_OS_UNIX // the permissions a file had stay with it
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
#endif

    // The new bytes reach the disk before they replace the old file, and the
    // new name reaches the disk after (on every platform).
    struct Watch {
        QString path;
        QList<kv::WriteStep> steps;
        QList<QByteArray> seen; // what a reader finds at each step
    } watch{path, {}, {}};
    kv::SetWriteStepObserver(
        [](kv::WriteStep step, void* context) {
            auto* w = static_cast<Watch*>(context);
            w->steps << step;
            QByteArray bytes;
            kv::ReadWholeFile(w->path, bytes);
            w->seen << bytes;
        },
        &watch);
    const bool written = kv::WriteFileAtomic(path, "second", &error);
    kv::SetWriteStepObserver(nullptr, nullptr);
    QVERIFY2(written, qPrintable(error));
    QCOMPARE(watch.steps,
             (QList<kv::WriteStep>{kv::WriteStep::DataFlushed, kv::WriteStep::Replaced, kv::WriteStep::FolderFlushed}));
    QCOMPARE(watch.seen, (QList<QByteArray>{"first", "second", "second"}));
    QByteArray fresh;
    QVERIFY(kv::ReadWholeFile(path, fresh).ok());
    QCOMPARE(fresh, QByteArray("second"));
#ifdef Q_OS_UNIX
    QCOMPARE(QFile(path).permissions() & (QFile::ReadGroup | QFile::ReadOther), QFile::Permissions());
#endif

    // A failed write names the file and leaves nothing behind.
    QVERIFY(!kv::WriteFileAtomic(dir.path() + QStringLiteral("/missing/doc.xml"), "x", &error));
    QVERIFY2(error.contains(QStringLiteral("doc.xml")), qPrintable(error));
    QVERIFY(!kv::WriteFileAtomic(dir.path(), "x", &error));
    QVERIFY2(error.endsWith(QStringLiteral("Is a directory")), qPrintable(error));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("doc.xml")});
}

// Every document is read through ReadWholeFile: anything but a regular file
// is refused at once, so that a pipe named like a document cannot block.
void TestCommon::readWholeFile_data()
{
    QTest::addColumn<QString>("name"); // inside the test's directory
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("reason");
    QTest::newRow("file") << "doc.xml" << int(kv::FileRead::Ok) << QString();
    QTest::newRow("empty file") << "empty.xml" << int(kv::FileRead::Ok) << QString();
    QTest::newRow("missing") << "none.xml" << int(kv::FileRead::Missing) << QString();
    QTest::newRow("below a file") << "doc.xml/x.xml" << int(kv::FileRead::Missing) << QString();
    QTest::newRow("directory") << "dir" << int(kv::FileRead::Error) << "Is a directory";
    QTest::newRow("pipe") << "pipe.xml" << int(kv::FileRead::Error) << "Not a regular file";
}

void TestCommon::readWholeFile()
{
    QFETCH(QString, name);
    QFETCH(int, status);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    writeFile(dir.filePath(QStringLiteral("doc.xml")), "<r/>");
    writeFile(dir.filePath(QStringLiteral("empty.xml")), "");
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("dir")));
#ifdef Q_OS_UNIX
    QCOMPARE(::mkfifo(QFile::encodeName(dir.filePath(QStringLiteral("pipe.xml"))).constData(), 0600), 0);
#else
    if (name == QLatin1String("pipe.xml"))
        QSKIP("a named pipe lives outside the folders on this platform");
#endif

    const QString path = dir.filePath(name);
    QByteArray bytes = "old contents";
    const kv::FileRead r = kv::ReadWholeFile(path, bytes);
    QCOMPARE(int(r.status), status);
    if (status == kv::FileRead::Ok)
        QCOMPARE(bytes, readAll(path));
    QCOMPARE(r.message, reason.isEmpty() ? QString() : QDir::toNativeSeparators(path) + QStringLiteral(": ") + reason);

    // The XML loader reports the same.
    pugi::xml_document doc;
    const kv::XmlLoad l = kv::LoadXmlFile(path, doc);
    QCOMPARE(int(l.status), name == QLatin1String("empty.xml") ? int(kv::XmlLoad::Error) : status);
    if (status == kv::FileRead::Error)
        QCOMPARE(l.message, r.message);
}

QTEST_GUILESS_MAIN(TestCommon)
#include "test_common.moc"
