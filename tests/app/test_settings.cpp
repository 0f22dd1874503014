#include <QtTest>

#include <QFile>
#include <QTemporaryDir>

#include "state/AppSettings.h"

Q_DECLARE_METATYPE(kv::AppSettings)

namespace {

const char kDefaultFile[] =
    "<Conf_Settings><lastproj><projectname/></lastproj><lastipadd><ipaddress>192.168.2.205</ipaddress></lastipadd>"
    "<lastlang><language>English</language></lastlang><lastinternet><enable_internet>0</enable_internet>"
    "<enable_update>0</enable_update><enable_jump_field_tables>0</enable_jump_field_tables>"
    "<Double_Click_Auto_Size>0</Double_Click_Auto_Size></lastinternet></Conf_Settings>";

kv::AppSettings make(const QString& project, const QString& ip, const QString& language, bool internet, bool update,
                     bool jump, bool autoSize)
{
    kv::AppSettings s;
    s.ActiveProjectName = project;
    s.LastIpAddress = ip;
    s.LanguageName = language;
    s.EnableInternet = internet;
    s.EnableUpdate = update;
    s.EnableJumpFieldTables = jump;
    s.DoubleClickAutoSize = autoSize;
    return s;
}

kv::AppSettings withProject(const QString& name)
{
    kv::AppSettings s;
    s.ActiveProjectName = name;
    return s;
}

QString describe(const kv::AppSettings& s)
{
    return QStringLiteral("[%1|%2|%3|%4%5%6%7]")
        .arg(s.ActiveProjectName, s.LastIpAddress, s.LanguageName)
        .arg(int(s.EnableInternet))
        .arg(int(s.EnableUpdate))
        .arg(int(s.EnableJumpFieldTables))
        .arg(int(s.DoubleClickAutoSize));
}

} // namespace

class TestSettings : public QObject {
    Q_OBJECT
private slots:
    void writtenBytes_data();
    void writtenBytes();
    void roundTrip_data();
    void roundTrip();
    void reading_data();
    void reading();
    void missingFile();
    void writeFailure();
};

void TestSettings::writtenBytes_data()
{
    QTest::addColumn<kv::AppSettings>("settings");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("defaults") << kv::AppSettings() << QByteArray(kDefaultFile);
    QTest::newRow("values and flags")
        << make(QStringLiteral("Plant <A> & B"), QStringLiteral("10.0.0.7"), QStringLiteral("Fran\u00E7ais"), true, false,
                true, false)
        << QByteArray("<Conf_Settings><lastproj><projectname>Plant &lt;A&gt; &amp; B</projectname></lastproj>"
                      "<lastipadd><ipaddress>10.0.0.7</ipaddress></lastipadd>"
                      "<lastlang><language>Fran\xC3\xA7" "ais</language></lastlang><lastinternet>"
                      "<enable_internet>1</enable_internet><enable_update>0</enable_update>"
                      "<enable_jump_field_tables>1</enable_jump_field_tables>"
                      "<Double_Click_Auto_Size>0</Double_Click_Auto_Size></lastinternet></Conf_Settings>");
}

// The file on disk, byte for byte: no declaration, no indentation, UTF-8.
void TestSettings::writtenBytes()
{
    QFETCH(kv::AppSettings, settings);
    QFETCH(QByteArray, bytes);
    QCOMPARE(kv::SettingsBytes(settings), bytes);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("Tessaran.xml"));
    QVERIFY(kv::WriteSettings(settings, path));
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), bytes);
}

void TestSettings::roundTrip_data()
{
    QTest::addColumn<kv::AppSettings>("settings");
    const QString ip = QStringLiteral("192.168.2.205");
    const QString en = QStringLiteral("English");
    QTest::newRow("defaults") << kv::AppSettings();
    QTest::newRow("all flags") << make(QStringLiteral("P1"), ip, en, true, true, true, true);
    QTest::newRow("internet only") << make(QString(), ip, en, true, false, false, false);
    QTest::newRow("update only") << make(QString(), ip, en, false, true, false, false);
    QTest::newRow("jump only") << make(QString(), ip, en, false, false, true, false);
    QTest::newRow("auto size only") << make(QString(), ip, en, false, false, false, true);
    QTest::newRow("blanks kept") << make(QStringLiteral(" my plant "), QStringLiteral(" 1.2.3.4"), QStringLiteral(" "),
                                         false, false, false, false);
    QTest::newRow("markup and non-ASCII") << make(QStringLiteral("a<b>&\"c'\u00E9\u4E2D"), QStringLiteral("not an address"),
                                                  QStringLiteral("\u0420\u0443\u0441\u0441\u043A\u0438\u0439"), false,
                                                  true, false, true);
}

void TestSettings::roundTrip()
{
    QFETCH(kv::AppSettings, settings);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("Tessaran.xml"));
    QString error;
    QVERIFY2(kv::WriteSettings(settings, path, &error), qPrintable(error));
    const kv::AppSettings back = kv::ReadSettings(path);
    QVERIFY2(back == settings, qPrintable(describe(back) + QStringLiteral(" != ") + describe(settings)));
}

void TestSettings::reading_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<kv::AppSettings>("expected");

    const kv::AppSettings defaults;
    const QByteArray internet("<lastinternet><enable_internet>1</enable_internet><enable_update>1</enable_update>"
                              "<enable_jump_field_tables>1</enable_jump_field_tables>"
                              "<Double_Click_Auto_Size>1</Double_Click_Auto_Size></lastinternet>");
    const QByteArray full = QByteArray("<Conf_Settings><lastproj><projectname>P</projectname></lastproj>"
                                       "<lastipadd><ipaddress>10.1.1.1</ipaddress></lastipadd>"
                                       "<lastlang><language>Deutsch</language></lastlang>")
        + internet + "</Conf_Settings>";
    const kv::AppSettings fullValues = make(QStringLiteral("P"), QStringLiteral("10.1.1.1"), QStringLiteral("Deutsch"),
                                            true, true, true, true);

    QTest::newRow("complete") << full << fullValues;
    QTest::newRow("only the project name")
        << QByteArray("<Conf_Settings><lastproj><projectname>Pump 3</projectname></lastproj></Conf_Settings>")
        << withProject(QStringLiteral("Pump 3"));
    {
        kv::AppSettings s;
        s.EnableJumpFieldTables = true;
        QTest::newRow("only the jump flag")
            << QByteArray("<Conf_Settings><lastinternet><enable_jump_field_tables>1</enable_jump_field_tables>"
                          "</lastinternet></Conf_Settings>")
            << s;
    }
    QTest::newRow("flags directly under the root")
        << QByteArray("<Conf_Settings><enable_internet>1</enable_internet><enable_update>1</enable_update>"
                      "<enable_jump_field_tables>1</enable_jump_field_tables>"
                      "<Double_Click_Auto_Size>1</Double_Click_Auto_Size></Conf_Settings>")
        << defaults;
    QTest::newRow("flag texts other than 1")
        << QByteArray("<Conf_Settings><lastinternet><enable_internet> 1</enable_internet><enable_update>true"
                      "</enable_update><enable_jump_field_tables/><Double_Click_Auto_Size>01</Double_Click_Auto_Size>"
                      "</lastinternet></Conf_Settings>")
        << defaults;
    QTest::newRow("root of another name") << QByteArray(full).replace("Conf_Settings", "Other") << fullValues;
    QTest::newRow("indented, leading line end")
        << QByteArray("\n<Conf_Settings>\n  <lastproj>\n    <projectname>P</projectname>\n  </lastproj>\n"
                      "  <lastipadd><ipaddress>10.1.1.1</ipaddress></lastipadd>\r\n"
                      "  <lastlang><language>Deutsch</language></lastlang>\n")
            + internet + "\n</Conf_Settings>\n"
        << fullValues;
    QTest::newRow("UTF-8 byte-order mark") << QByteArray("\xEF\xBB\xBF") + full << fullValues;
    QTest::newRow("comment first") << QByteArray("<!-- settings -->") + full << defaults;
    QTest::newRow("declaration first") << QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>") + full << defaults;
    QTest::newRow("cut off") << full.left(full.size() - 20) << defaults;
    QTest::newRow("not XML") << QByteArray("\x00\x01garbage", 9) << defaults;
    QTest::newRow("empty file") << QByteArray() << defaults;
    QTest::newRow("first lastproj without projectname")
        << QByteArray("<Conf_Settings><lastproj/><lastproj><projectname>B</projectname></lastproj></Conf_Settings>")
        << defaults;
    QTest::newRow("first match wins")
        << QByteArray("<Conf_Settings><x/><lastproj><other/><projectname>A</projectname><projectname>B</projectname>"
                      "</lastproj><lastproj><projectname>C</projectname></lastproj></Conf_Settings>")
        << withProject(QStringLiteral("A"));
    QTest::newRow("names are case-sensitive")
        << QByteArray("<Conf_Settings><LastProj><projectname>A</projectname></LastProj>"
                      "<lastlang><Language>Deutsch</Language></lastlang></Conf_Settings>")
        << defaults;
    {
        kv::AppSettings s;
        s.LanguageName = QStringLiteral("Deutsch");
        QTest::newRow("element holding more than text keeps its default only")
            << QByteArray("<Conf_Settings><lastproj><projectname>A<b/></projectname></lastproj>"
                          "<lastipadd><ipaddress>1<!-- c -->2</ipaddress></lastipadd>"
                          "<lastlang><language>Deutsch</language></lastlang></Conf_Settings>")
            << s;
    }
    {
        kv::AppSettings s;
        s.LastIpAddress = QStringLiteral("999.x");
        QTest::newRow("address not checked")
            << QByteArray("<Conf_Settings><lastipadd><ipaddress>999.x</ipaddress></lastipadd></Conf_Settings>") << s;
    }
}

void TestSettings::reading()
{
    QFETCH(QByteArray, bytes);
    QFETCH(kv::AppSettings, expected);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("Tessaran.xml"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), qint64(bytes.size()));
    f.close();
    const kv::AppSettings got = kv::ReadSettings(path);
    QVERIFY2(got == expected, qPrintable(describe(got) + QStringLiteral(" != ") + describe(expected)));
}

void TestSettings::missingFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(kv::ReadSettings(dir.filePath(QStringLiteral("Tessaran.xml"))) == kv::AppSettings());
    QVERIFY(kv::ReadSettings(dir.path()) == kv::AppSettings()); // a directory in its place
}

// A file that cannot be written is reported with a reason, and an existing
// file is never left half-written.
void TestSettings::writeFailure()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile blocker(dir.filePath(QStringLiteral("notadir")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QString error;
    QVERIFY(!kv::WriteSettings(kv::AppSettings(), dir.filePath(QStringLiteral("notadir/Tessaran.xml")), &error));
    QVERIFY(!error.isEmpty());

    // The target is a directory: the write fails and the directory stays.
    const QString asDir = dir.filePath(QStringLiteral("Tessaran.xml"));
    QVERIFY(QDir().mkpath(asDir));
    error.clear();
    QVERIFY(!kv::WriteSettings(kv::AppSettings(), asDir, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(QFileInfo(asDir).isDir());
}

QTEST_GUILESS_MAIN(TestSettings)
#include "test_settings.moc"
