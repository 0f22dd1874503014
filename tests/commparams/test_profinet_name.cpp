#include <QtTest>

#include "Cli.h"
#include "TestFiles.h"
#include "common/UServices.h"
#include "commparams/ProfinetName.h"
#include "commparams/UParGen.h"
#include "state/AppState.h"

#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>

class TestProfinetName : public QObject {
    Q_OBJECT
private slots:
    void rules_data();
    void rules();
    void markerInTheDialog();
    void checkCommandWarns();
};

void TestProfinetName::rules_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("problem"); // text index, 0 for none
    QTest::newRow("plain") << "devicename1" << 0;
    QTest::newRow("dots and hyphens") << "line-3.pump-a.plant7" << 0;
    QTest::newRow("240 characters") << QString(63, QLatin1Char('a')) + QLatin1Char('.') + QString(63, QLatin1Char('b'))
            + QLatin1Char('.') + QString(63, QLatin1Char('c')) + QLatin1Char('.') + QString(48, QLatin1Char('d'))
                                    << 0;
    QTest::newRow("port-like but not a port name") << "port-12" << 0;
    QTest::newRow("port name inside") << "a.port-123" << 0;
    QTest::newRow("three numbers") << "1.2.3" << 0;
    QTest::newRow("internationalised label") << "xn--mhle1-kva.plant" << 0;
    QTest::newRow("number above 999") << "1000.1.1.1" << 0;
    QTest::newRow("empty") << "" << 1128;
    QTest::newRow("241 characters") << QString(60, QLatin1Char('a')) + QLatin1Char('.') + QString(60, QLatin1Char('b'))
            + QLatin1Char('.') + QString(60, QLatin1Char('c')) + QLatin1Char('.') + QString(58, QLatin1Char('d'))
                                    << 1128;
    QTest::newRow("label of 64") << QString(64, QLatin1Char('a')) << 1129;
    QTest::newRow("empty label") << "a..b" << 1129;
    QTest::newRow("ends with a dot") << "plant." << 1129;
    QTest::newRow("capital letter") << "Pump1" << 1130;
    QTest::newRow("underscore") << "pump_1" << 1130;
    QTest::newRow("umlaut") << QString::fromUtf8("pumpe-rücklauf") << 1130;
    QTest::newRow("label starts with -") << "plant.-pump" << 1131;
    QTest::newRow("ends with -") << "pump-" << 1131;
    QTest::newRow("two hyphens in a row") << "a--b" << 1186;
    QTest::newRow("two hyphens in a port-like name") << "port--12" << 1186;
    QTest::newRow("run longer than the xn-- prefix") << "xn---abc" << 1186;
    QTest::newRow("xn-- not at the start") << "axn--b" << 1186;
    QTest::newRow("port-xyz") << "port-001" << 1132;
    QTest::newRow("port-xyz-abcde") << "port-001-00002.plant" << 1132;
    QTest::newRow("an address") << "192.168.2.205" << 1133;
    QTest::newRow("an address with leading zeros") << "000.999.010.7" << 1133;
}

void TestProfinetName::rules()
{
    QFETCH(QString, name);
    QFETCH(int, problem);
    QCOMPARE(kv::ProfinetNameProblem(name), problem);
}

void TestProfinetName::markerInTheDialog()
{
    QTemporaryDir tmp;
    kv::AppState state(tmp.path());
    state.CreateWorkspace();
    QDir(state.ProjectsDir).mkdir(QStringLiteral("P"));
    state.OpenProject(QStringLiteral("P"));
    writeFile(state.ParGenPath, "<Par_Gen><PROFINET_NAME_STA>Pump_1</PROFINET_NAME_STA></Par_Gen>");
    kv::ScriptedMessageService messages;
    kv::UiServices services;
    services.messages = &messages;
    TFParGen dlg(state, services);
    QVERIFY(dlg.FormShow());
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    auto* edit = dlg.findChild<QLineEdit*>(QStringLiteral("E_PROFINET_Name_Station"));
    auto* marker = dlg.findChild<QLabel*>(QStringLiteral("L_PROFINET_Name_Warning"));
    QVERIFY(marker->isVisible());
    QCOMPARE(marker->toolTip(), state.Text(1130));
    // Beside the edit, inside its group, over nothing else.
    QCOMPARE(marker->parentWidget(), edit->parentWidget());
    QVERIFY(marker->geometry().left() > edit->geometry().right());
    QVERIFY(marker->parentWidget()->rect().contains(marker->geometry()));
    for (QWidget* other : marker->parentWidget()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (other != marker && other->isVisible())
            QVERIFY2(!other->geometry().intersects(marker->geometry()), qPrintable(other->objectName()));
    }

    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("pump-1"));
    QCoreApplication::processEvents();
    QVERIFY(!marker->isVisible());
    QTest::keyClick(edit, Qt::Key_Minus);
    QVERIFY(marker->isVisible());
    QCOMPARE(marker->toolTip(), state.Text(1131));
}

void TestProfinetName::checkCommandWarns()
{
    QTemporaryDir dir;
    writeFile(dir.filePath(QStringLiteral("ParGen.xml")),
              "<Par_Gen><PROFINET_NAME_STA>port-001</PROFINET_NAME_STA></Par_Gen>");
    CliRun r = runCli({QStringLiteral("check"), dir.path()});
    QCOMPARE(r.status, 0);
    QCOMPARE(r.err, QStringLiteral("warning: ParGen.xml: The PROFINET name of station has the form of a port name "
                                   "(port-xyz or port-xyz-abcde).\n"));
    writeFile(dir.filePath(QStringLiteral("ParGen.xml")),
              "<Par_Gen><PROFINET_NAME_STA>pump1</PROFINET_NAME_STA></Par_Gen>");
    r = runCli({QStringLiteral("check"), dir.path()});
    QCOMPARE(r.status, 0);
    QCOMPARE(r.err, QString());
}

QTEST_MAIN(TestProfinetName)
#include "test_profinet_name.moc"
