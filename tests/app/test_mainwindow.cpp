#include <QtTest>

#include "TestFiles.h"
#include "AppFixture.h"
#include "app/UTessaraneFirmWare.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>

namespace {

QString labelText(QWidget* w, const char* name)
{
    auto* l = w->findChild<QLabel*>(QLatin1String(name));
    return l ? l->text() : QStringLiteral("<missing>");
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void firstStartInEmptyWorkspace();
    void stepsNeedAConfiguration_data();
    void stepsNeedAConfiguration();
    void rememberedConfigurationMissing();
    void rememberedConfigurationReopened();
    void settingsThatCannotBeWritten();
    void vendorLabelOpensHomePage();
};

void TestMainWindow::firstStartInEmptyWorkspace()
{
    AppFixture fx;
    {
        TFTessaraneFirmWare w(*fx.state, fx.services);
        for (const char* d : {"MASTER", "PROJECTS", "LANGUAGE"})
            QVERIFY2(QDir(fx.path(QLatin1String(d))).exists(), d);
        QCOMPARE(w.size(), QSize(694, 440));
        QCOMPARE(w.windowTitle(), QStringLiteral("TolvexNet - Configurator KV52013 - PROFINET / SNMP Manager"));
        QCOMPARE(labelText(&w, "L_SW_Code"), QStringLiteral("KV52013"));
        QCOMPARE(labelText(&w, "L_SW_Desc"), QStringLiteral("PROFINET / SNMP Manager - Converter"));
        QCOMPARE(labelText(&w, "L_Name_Conf"), fx.state->Text(9));
        QCOMPARE(labelText(&w, "L_Name_Conf_L2"), fx.state->Text(10));
        QCOMPARE(w.findChild<QPushButton*>(QStringLiteral("Btn_Prm_Gen"))->text(), fx.state->Text(20));
        QCOMPARE(w.findChild<QPushButton*>(QStringLiteral("Btn_CreateBin"))->geometry(), QRect(80, 288, 170, 36));
        QVERIFY(!w.findChild<QLabel*>(QStringLiteral("L_Step_6"))->isVisibleTo(&w));
        QVERIFY(!w.Timer_Update()->isActive());
        QVERIFY(!fx.state->HasOpenProject());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.close();
    }
    QCOMPARE(readAll(fx.path(QStringLiteral("Tessaran.xml"))),
             QByteArray("<Conf_Settings><lastproj><projectname/></lastproj><lastipadd><ipaddress>192.168.2.205"
                        "</ipaddress></lastipadd><lastlang><language>English</language></lastlang><lastinternet>"
                        "<enable_internet>0</enable_internet><enable_update>0</enable_update>"
                        "<enable_jump_field_tables>0</enable_jump_field_tables><Double_Click_Auto_Size>0"
                        "</Double_Click_Auto_Size></lastinternet></Conf_Settings>"));
    QVERIFY(fx.messages.log.isEmpty());
}

void TestMainWindow::stepsNeedAConfiguration_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("step 2") << "Btn_Prm_Gen";
    QTest::newRow("step 3") << "Btn_SNMP_Manager_Access";
    QTest::newRow("step 4") << "Btn_PROFINET_XML";
    QTest::newRow("step 5") << "Btn_CreateBin";
}

void TestMainWindow::stepsNeedAConfiguration()
{
    QFETCH(QString, button);
    AppFixture fx;
    TFTessaraneFirmWare w(*fx.state, fx.services);
    const QStringList before = QDir(fx.dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    w.findChild<QPushButton*>(button)->click(); // a dialog opened here would hang the test
    QCOMPARE(fx.messages.log.size(), 1);
    QCOMPARE(fx.messages.log.at(0).kind, QStringLiteral("error"));
    QCOMPARE(fx.messages.log.at(0).text, QStringLiteral("Error! Project not Valid"));
    QCOMPARE(QDir(fx.dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
}

void TestMainWindow::rememberedConfigurationMissing()
{
    AppFixture fx;
    kv::AppSettings s;
    s.ActiveProjectName = QStringLiteral("Gone");
    QVERIFY(kv::WriteSettings(s, fx.state->SettingsPath()));
    {
        TFTessaraneFirmWare w(*fx.state, fx.services);
        QVERIFY(!fx.state->HasOpenProject());
        QCOMPARE(labelText(&w, "L_Name_Conf"), fx.state->Text(9));
        w.findChild<QPushButton*>(QStringLiteral("Btn_Prm_Gen"))->click();
        QCOMPARE(fx.messages.texts(), QStringList{QStringLiteral("Error! Project not Valid")});
        w.close();
    }
    QCOMPARE(kv::ReadSettings(fx.state->SettingsPath()).ActiveProjectName, QStringLiteral("Gone"));
}

void TestMainWindow::rememberedConfigurationReopened()
{
    AppFixture fx;
    QVERIFY(QDir().mkpath(fx.path(QStringLiteral("PROJECTS/Plant A/bin"))));
    kv::AppSettings s;
    s.ActiveProjectName = QStringLiteral("Plant A");
    QVERIFY(kv::WriteSettings(s, fx.state->SettingsPath()));
    TFTessaraneFirmWare w(*fx.state, fx.services);
    QVERIFY(fx.state->HasOpenProject());
    QCOMPARE(fx.state->ParGenPath, fx.path(QStringLiteral("PROJECTS/Plant A/ParGen.xml")));
    QCOMPARE(labelText(&w, "L_Name_Conf"), QStringLiteral("Opened Configuration of the Converter : "));
    QCOMPARE(labelText(&w, "L_Name_Conf_L2"), QStringLiteral("Plant A"));
}

void TestMainWindow::settingsThatCannotBeWritten()
{
    AppFixture fx;
    TFTessaraneFirmWare w(*fx.state, fx.services);
    // A directory in the file's place makes the write fail even for root.
    QVERIFY(QDir().mkdir(fx.state->SettingsPath()));
    w.show();
    QVERIFY(w.close());
    QVERIFY(!w.isVisible());
    QCOMPARE(fx.messages.log.size(), 1);
    QVERIFY2(fx.messages.log.at(0).text.contains(QStringLiteral("Tessaran.xml")), qPrintable(fx.messages.log.at(0).text));
}

void TestMainWindow::vendorLabelOpensHomePage()
{
    AppFixture fx;
    TFTessaraneFirmWare w(*fx.state, fx.services);
    auto* l = w.findChild<QLabel*>(QStringLiteral("L_Tolvex"));
    QVERIFY(l);
    QCOMPARE(l->pos(), QPoint(565, 304));
    QTest::mouseClick(l, Qt::LeftButton);
    QCOMPARE(fx.urls.opened.size(), 1);
    QCOMPARE(fx.urls.opened.at(0).path(), QStringLiteral("/HOME/default.asp"));
    QCOMPARE(fx.urls.opened.at(0).query(), QStringLiteral("frompg=KV52013"));
}

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
