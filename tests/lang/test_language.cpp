#include <QtTest>

#include "TestFiles.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include "lang/LangTable.h"
#include "lang/Language.h"

using Entries = QMap<int, QString>;

namespace {

QByteArray utf16(const QString& text, bool littleEndian)
{
    QByteArray out = littleEndian ? QByteArray("\xFF\xFE") : QByteArray("\xFE\xFF");
    for (const QChar c : text) {
        const char lo = char(c.unicode() & 0xFF);
        const char hi = char(c.unicode() >> 8);
        if (littleEndian) {
            out.append(lo);
            out.append(hi);
        } else {
            out.append(hi);
            out.append(lo);
        }
    }
    return out;
}

// Table rows name texts as plain literals or as QStrings.
struct Text {
    Text(const char* t) : s(QString::fromUtf8(t)) {}
    Text(const QString& t) : s(t) {}
    QString s;
};

Entries E(std::initializer_list<std::pair<int, Text>> list)
{
    Entries e;
    for (const auto& p : list)
        e.insert(p.first, p.second.s);
    return e;
}

// The table must hold exactly the defaults except for the given entries.
void compareWithDefaults(const kv::LangTable& table, const Entries& expected)
{
    QCOMPARE(table.size(), kv::LangTableSize);
    for (int i = 0; i < kv::LangTableSize; ++i) {
        const QString want = expected.contains(i) ? expected.value(i) : kv::DefaultText(i);
        if (table.Get(i) != want)
            QFAIL(qPrintable(QStringLiteral("entry %1: \"%2\", expected \"%3\"").arg(i).arg(table.Get(i), want)));
    }
}

} // namespace

class TestLanguage : public QObject {
    Q_OBJECT
private slots:
    void defaultTexts_data();
    void defaultTexts();
    void defaultTableShape();
    void fileRules_data();
    void fileRules();
    void loadLanguage_data();
    void loadLanguage();
    void reloadLeavesNothingBehind();
    void unreadableFiles();
    void badInputNeverBreaks();
};

void TestLanguage::defaultTexts_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("text");
    QTest::newRow("0") << 0 << "Begin";
    QTest::newRow("9 trailing blank") << 9 << "None Configuration Opened ";
    QTest::newRow("11 ends in colon") << 11 << "Opened Configuration of the Converter : ";
    QTest::newRow("18") << 18 << "Error! Project not Valid";
    QTest::newRow("38 typing error") << 38 << "Create PROFINET GDXML File of Converter";
    QTest::newRow("99 blank slot") << 99 << " ";
    QTest::newRow("202 typing error") << 202 << "List of Avaliable Configurations";
    QTest::newRow("306 blanks") << 306 << " / ";
    QTest::newRow("404 blanks") << 404 << " SNMP Manager ";
    QTest::newRow("480") << 480 << "Confirm Configuration";
    QTest::newRow("481") << 481 << "Exit Without Save the Configuration";
    QTest::newRow("589 limit follows") << 589 << "Error PROFINET!! Number Byte Input must be between 0 and ";
    QTest::newRow("640 quotes") << 640 << "!! OID string can contains only number and \".\"";
    QTest::newRow("644 quotes") << 644 << "!! OID string cannot contains number major of 65535 between two \".\"";
    QTest::newRow("662 row limit warning") << 662
        << "Warning! The file holds more than 512 rows: the rows after row 512 were not loaded and are lost if you save.";
    QTest::newRow("768 gap") << 768 << " ";
    QTest::newRow("1029") << 1029 << "Serch TVX Device in Network";
    QTest::newRow("1105") << 1105 << "File already exists! Do you want to overwrite the file?";
    QTest::newRow("1210") << 1210 << "Exit without Save the GDXML PROFINET File";
    QTest::newRow("1299 last") << 1299 << " ";
}

void TestLanguage::defaultTexts()
{
    QFETCH(int, index);
    QFETCH(QString, text);
    QCOMPARE(kv::DefaultText(index), text);
    QCOMPARE(kv::LangTable().Get(index), text);
}

void TestLanguage::defaultTableShape()
{
    kv::LangTable t;
    QCOMPARE(t.size(), 1300);
    QCOMPARE(t.Get(1300), QString());
    QCOMPARE(t.Get(-1), QString());
    t.Put(1300, QStringLiteral("x")); // ignored, no growth
    QCOMPARE(t.size(), 1300);
    for (int i = 0; i < t.size(); ++i)
        QVERIFY2(!t.Get(i).isEmpty(), qPrintable(QString::number(i)));
    t.Put(12, QStringLiteral("changed"));
    t.LoadDefaultTexts();
    QCOMPARE(t.Get(12), QStringLiteral("Information"));
}

void TestLanguage::fileRules_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Entries>("entries");
    QTest::addColumn<QString>("version"); // LangFileVersion after the load
    QTest::addColumn<int>("ignored");

    const QString none = QStringLiteral("NO VER.");
    QTest::newRow("one blank before =") << QByteArray("STR12 = Hello\r\n") << E({{12, "Hello"}}) << none << 0;
    QTest::newRow("no blank before = drops a digit") << QByteArray("STR12=Hello") << E({{1, "Hello"}}) << none << 0;
    QTest::newRow("two blanks before =") << QByteArray("STR12  = Hello") << E({{12, "Hello"}}) << none << 0;
    QTest::newRow("line trimmed") << QByteArray("  \tSTR7 = Seven \t ") << E({{7, "Seven"}}) << none << 0;
    QTest::newRow("first and last index") << QByteArray("STR0 = a\nSTR1299 = z") << E({{0, "a"}, {1299, "z"}}) << none << 0;
    QTest::newRow("index out of range") << QByteArray("STR1300 = x\nSTR-1 = y") << Entries() << none << 2;
    QTest::newRow("index by the number rule") << QByteArray("STR$1F = hex\nSTR 8 = blank") << E({{31, "hex"}, {8, "blank"}}) << none << 0;
    QTest::newRow("index not a number") << QByteArray("STRab = x\nSTR1a = y\nSTR = z\nSTR= w") << Entries() << none << 4;
    QTest::newRow("lower-case str") << QByteArray("str12 = x\n Str12 = y") << Entries() << none << 2;
    QTest::newRow("no =") << QByteArray("STR12 Hello") << Entries() << none << 1;
    QTest::newRow("empty value") << QByteArray("STR12 =\nSTR13 =   \t") << Entries() << none << 2;
    QTest::newRow("value keeps later =") << QByteArray("STR12 = a = b") << E({{12, "a = b"}}) << none << 0;
    QTest::newRow("comment cut") << QByteArray("STR12 = Hello /#/ a note") << E({{12, "Hello"}}) << none << 0;
    QTest::newRow("only a comment") << QByteArray("STR12 = /#/ a note\nSTR13 =/#/") << Entries() << none << 2;
    QTest::newRow("pilcrows keep blanks") << QByteArray("STR304 = \xB6Selected Language : \xB6")
                                          << E({{304, "Selected Language : "}}) << none << 0;
    QTest::newRow("pilcrow slash") << QByteArray("STR306 = \xB6 / \xB6") << E({{306, " / "}}) << none << 0;
    QTest::newRow("pilcrow single blank") << QByteArray("STR39 = \xB6 \xB6") << E({{39, " "}}) << none << 0;
    QTest::newRow("pilcrow cuts the rest") << QByteArray("STR12 = ab\xB6 cd") << E({{12, "ab"}}) << none << 0;
    QTest::newRow("pilcrow after comment cut") << QByteArray("STR12 = \xB6 a \xB6 /#/ x") << E({{12, " a "}}) << none << 0;
    QTest::newRow("two pilcrows set empty") << QByteArray("STR12 = \xB6\xB6") << E({{12, ""}}) << none << 0;
    QTest::newRow("last line wins") << QByteArray("STR12 = a\nSTR12 = b\nSTR12 =") << E({{12, "b"}}) << none << 1;
    QTest::newRow("bad lines skipped one by one")
        << QByteArray("STR1 = a\n; a comment\nSTRx = y\n\n\n   \nSTR2 = b") << E({{1, "a"}, {2, "b"}}) << none << 2;
    QTest::newRow("version") << QByteArray("//VERSION 1.2\nSTR1 = a") << E({{1, "a"}}) << "1.2" << 0;
    QTest::newRow("version any case, no blank") << QByteArray("  //version1.2 beta  ") << Entries() << "1.2 beta" << 0;
    QTest::newRow("first version wins") << QByteArray("//Version A\n//VERSION B") << Entries() << "A" << 1;
    QTest::newRow("version keyword only") << QByteArray("//VERSION") << Entries() << "" << 0;
    QTest::newRow("not a version") << QByteArray("// VERSION 2\n//VERSIO") << Entries() << none << 2;
    QTest::newRow("CR line ends") << QByteArray("STR1 = a\rSTR2 = b\r") << E({{1, "a"}, {2, "b"}}) << none << 0;
    QTest::newRow("mixed line ends") << QByteArray("STR1 = a\r\n\r\nSTR2 = b\n\rSTR3 = c") << E({{1, "a"}, {2, "b"}, {3, "c"}}) << none << 0;

    // Encodings: Windows-1252 without a byte-order mark, whatever the platform.
    QTest::newRow("1252 high bytes") << QByteArray("STR1 = \x80 \x8A \x9F \xE9\xFF")
                                     << E({{1, QStringLiteral("\u20AC \u0160 \u0178 \u00E9\u00FF")}}) << none << 0;
    QTest::newRow("1252 undefined bytes") << QByteArray("STR1 = a\x81\x8D\x8F\x90\x9D")
                                          << E({{1, QStringLiteral("a\u0081\u008D\u008F\u0090\u009D")}}) << none << 0;
    QTest::newRow("UTF-8 without mark is 1252") << QByteArray("STR1 = \xC3\xA9") << E({{1, QStringLiteral("\u00C3\u00A9")}}) << none << 0;
    QTest::newRow("UTF-8 mark") << QByteArray("\xEF\xBB\xBFSTR1 = \xC3\xA9t\xC3\xA9\nSTR2 = \xC2\xB6 x \xC2\xB6")
                                << E({{1, QStringLiteral("\u00E9t\u00E9")}, {2, " x "}}) << none << 0;
    QTest::newRow("UTF-8 mark, invalid bytes") << QByteArray("\xEF\xBB\xBFSTR1 = a\xFF\xC3\nSTR2 = ok")
                                               << E({{1, QStringLiteral("a\uFFFD\uFFFD")}, {2, "ok"}}) << none << 0;
    const QString wide = QStringLiteral("//VERSION \u03B1\r\nSTR5 = \u00B6 \u4E2D\u00B6\r\nSTR6 = \u20AC");
    const Entries wideEntries = E({{5, QStringLiteral(" \u4E2D")}, {6, QStringLiteral("\u20AC")}});
    QTest::newRow("UTF-16 LE") << utf16(wide, true) << wideEntries << QStringLiteral("\u03B1") << 0;
    QTest::newRow("UTF-16 BE") << utf16(wide, false) << wideEntries << QStringLiteral("\u03B1") << 0;
    QTest::newRow("UTF-16 LE odd length") << utf16(QStringLiteral("STR1 = a\nSTR2 = b"), true) + 'x'
                                          << E({{1, "a"}, {2, QStringLiteral("b\uFFFD")}}) << none << 0;
    QTest::newRow("NUL bytes inside a line") << QByteArray("STR1 = a\0b\nSTR2 = c\0", 20)
                                             << E({{1, QStringLiteral("a") + QChar(0) + QStringLiteral("b")}, {2, "c"}}) << none << 0;
}

// Each row is written to a file and loaded as the current language, so the
// whole road from bytes to table is checked.
void TestLanguage::fileRules()
{
    QFETCH(QByteArray, bytes);
    QFETCH(Entries, entries);
    QFETCH(QString, version);
    QFETCH(int, ignored);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(tryWriteFile(dir.filePath(QStringLiteral("Test.lng")), bytes));

    const kv::LanguageFile f = kv::ReadLanguageFileContents(dir.filePath(QStringLiteral("Test.lng")));
    QVERIFY(f.readable);
    QCOMPARE(f.entries, entries);
    QCOMPARE(f.hasVersion, version != QLatin1String("NO VER."));
    if (f.hasVersion)
        QCOMPARE(f.version, version);
    QCOMPARE(f.ignoredLines, ignored);

    kv::LangTable table;
    QString name = QStringLiteral("Test");
    QString fileVersion;
    kv::LoadLanguage(table, name, dir.path(), fileVersion);
    QCOMPARE(name, QStringLiteral("Test"));
    QCOMPARE(fileVersion, version);
    compareWithDefaults(table, entries);
}

void TestLanguage::loadLanguage_data()
{
    QTest::addColumn<QStringList>("files"); // "<name>.lng=<content>"
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("version");
    QTest::addColumn<Entries>("entries");

    const QString english = QStringLiteral("English.lng=//VERSION E1\nSTR12 = Info EN");
    const QString italian = QStringLiteral("Italiano.lng=STR13 = Opzioni");
    QTest::newRow("named file") << QStringList{english, italian} << "Italiano" << "Italiano" << "NO VER."
                                << E({{13, "Opzioni"}});
    QTest::newRow("missing falls back to English.lng") << QStringList{english, italian} << "Deutsch" << "English" << "E1"
                                                       << E({{12, "Info EN"}});
    QTest::newRow("missing, no English.lng") << QStringList{italian} << "Deutsch" << "English" << "NO VER." << Entries();
    QTest::newRow("empty name") << QStringList{english} << "" << "English" << "E1" << E({{12, "Info EN"}});
    QTest::newRow("English itself") << QStringList{english} << "English" << "English" << "E1" << E({{12, "Info EN"}});
    QTest::newRow("no files at all") << QStringList{} << "English" << "English" << "NO VER." << Entries();
}

void TestLanguage::loadLanguage()
{
    QFETCH(QStringList, files);
    QFETCH(QString, language);
    QFETCH(QString, name);
    QFETCH(QString, version);
    QFETCH(Entries, entries);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    for (const QString& file : files) {
        const int eq = file.indexOf(QLatin1Char('='));
        QVERIFY(tryWriteFile(dir.filePath(file.left(eq)), file.mid(eq + 1).toLatin1()));
    }
    kv::LangTable table;
    table.Put(20, QStringLiteral("left over")); // a load always starts from the defaults
    QString languageName = language;
    QString fileVersion = QStringLiteral("stale");
    kv::LoadLanguage(table, languageName, dir.path(), fileVersion);
    QCOMPARE(languageName, name);
    QCOMPARE(fileVersion, version);
    compareWithDefaults(table, entries);
}

void TestLanguage::reloadLeavesNothingBehind()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(tryWriteFile(dir.filePath(QStringLiteral("First.lng")), "//VERSION 7\nSTR12 = one\nSTR13 = one"));
    QVERIFY(tryWriteFile(dir.filePath(QStringLiteral("Second.lng")), "STR13 = two\nSTR14 = two"));

    kv::LangTable table;
    QString name = QStringLiteral("First");
    QString version;
    kv::LoadLanguage(table, name, dir.path(), version);
    QCOMPARE(version, QStringLiteral("7"));
    compareWithDefaults(table, E({{12, "one"}, {13, "one"}}));

    name = QStringLiteral("Second");
    kv::LoadLanguage(table, name, dir.path(), version);
    QCOMPARE(name, QStringLiteral("Second"));
    QCOMPARE(version, QStringLiteral("NO VER."));
    compareWithDefaults(table, E({{13, "two"}, {14, "two"}}));
}

// A language file that exists but cannot be read keeps the defaults and
// the chosen name; nothing is applied half-way.
void TestLanguage::unreadableFiles()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("Folder.lng")));
    QVERIFY(tryWriteFile(dir.filePath(QStringLiteral("English.lng")), "STR12 = english"));
    {
        // Beyond the size limit: a sparse file, so nothing big is written.
        QFile big(dir.filePath(QStringLiteral("Big.lng")));
        QVERIFY(big.open(QIODevice::WriteOnly));
        QVERIFY(big.write("STR12 = big\n") > 0);
        QVERIFY(big.resize(kv::MaxLanguageFileSize + 1));
    }
    for (const QString& lang : {QStringLiteral("Folder"), QStringLiteral("Big")}) {
        const kv::LanguageFile f = kv::ReadLanguageFileContents(dir.filePath(lang + QStringLiteral(".lng")));
        QVERIFY(!f.readable);
        QVERIFY2(f.error.contains(lang), qPrintable(f.error));

        kv::LangTable table;
        QString name = lang;
        QString version;
        kv::LoadLanguage(table, name, dir.path(), version);
        QCOMPARE(name, lang);
        QCOMPARE(version, QStringLiteral("NO VER."));
        compareWithDefaults(table, Entries());
    }
    QVERIFY(!kv::ReadLanguageFileContents(dir.filePath(QStringLiteral("None.lng"))).readable);
}

// Any bytes at all: no crash, and whatever is set lies inside the table.
void TestLanguage::badInputNeverBreaks()
{
    QRandomGenerator rng(52013);
    const QByteArray marks[] = {QByteArray(), QByteArray("\xEF\xBB\xBF"), QByteArray("\xFF\xFE"), QByteArray("\xFE\xFF")};
    const QByteArray good("//VERSION 1\r\nSTR12 = Hello /#/ c\r\nSTR304 = \xB6 x \xB6\r\n");
    for (int round = 0; round < 400; ++round) {
        QByteArray bytes = marks[round % 4];
        if (round % 2 == 0) {
            QByteArray noise(int(rng.bounded(4096)), Qt::Uninitialized);
            for (char& c : noise)
                c = char(rng.bounded(256));
            bytes += noise;
        } else {
            // A sound file with a few bytes damaged.
            QByteArray damaged = good.repeated(1 + int(rng.bounded(20)));
            for (int k = 0; k < 8; ++k)
                damaged[int(rng.bounded(damaged.size()))] = char(rng.bounded(256));
            bytes += damaged;
        }
        const kv::LanguageFile f = kv::ParseLanguageBytes(bytes);
        QVERIFY(f.readable);
        for (auto it = f.entries.cbegin(); it != f.entries.cend(); ++it)
            QVERIFY(it.key() >= 0 && it.key() < kv::LangTableSize);
    }

    // A huge line without line ends, and many short lines.
    QByteArray huge("STR12 = ");
    huge += QByteArray(8 * 1024 * 1024, 'x');
    kv::LanguageFile f = kv::ParseLanguageBytes(huge);
    QCOMPARE(f.entries.value(12).size(), 8 * 1024 * 1024);

    f = kv::ParseLanguageBytes(QByteArray("STR1 = a\n").repeated(200000) + QByteArray(100000, '\r'));
    QCOMPARE(f.entries, (E({{1, "a"}})));
    QCOMPARE(f.ignoredLines, 0);
}

QTEST_GUILESS_MAIN(TestLanguage)
#include "test_language.moc"
