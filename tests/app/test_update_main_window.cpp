#include <QtTest>

#include "TestFiles.h"
#include "helpers/EchoOnce.h"

#include "app/UTessaraneFirmWare.h"
#include "update/IcmpEcho.h"
#include "update/ProgramStarter.h"
#include "update/UBoot.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

// Step 5 from the main window: compile, the update dialog, a real ping of
// 127.0.0.1, the job file and the stand-in updater, started and awaited.
class TestUpdateMainWindow : public QObject {
    Q_OBJECT
private slots:
    void updateDeviceStep();
    void failedCompileOpensNoDialog_data();
    void failedCompileOpensNoDialog();
};

void TestUpdateMainWindow::updateDeviceStep()
{
    kv::IcmpEchoClient echo;
    QString probe;
    if (kvtest::echoOnce(echo, QStringLiteral("127.0.0.1"), 400, &probe) == kv::IEchoClient::Error)
        QSKIP(qPrintable(QStringLiteral("this machine allows no ICMP socket to this user: ") + probe));

    QTemporaryDir dir;
    QVERIFY(QFile::copy(QStringLiteral(KV_BIN_DIR "/Ethernet_Update" KV_EXE_SUFFIX),
                        dir.path() + QStringLiteral("/Ethernet_Update" KV_EXE_SUFFIX)));
    QVERIFY(QDir().mkpath(dir.path() + QStringLiteral("/MASTER")));
    {
        QFile fw(dir.path() + QStringLiteral("/MASTER/Img52013.sim"));
        QVERIFY(fw.open(QIODevice::WriteOnly));
        fw.write(QByteArray(64, 'F'));
    }
    QVERIFY(QDir().mkpath(dir.path() + QStringLiteral("/PROJECTS/Plant/bin")));

    kv::ScriptedMessageService messages;
    kv::ProcessStarter starter;
    kv::UiServices services;
    services.messages = &messages;
    services.echo = &echo;
    services.starter = &starter;
    kv::AppState state(dir.path());
    TFTessaraneFirmWare window(state, services);
    state.OpenProject(QStringLiteral("Plant"));
    // Never the default device address: loopback before anything is pressed.
    state.Settings.LastIpAddress = QStringLiteral("127.0.0.1");

    const QString report = dir.path() + QStringLiteral("/report.txt");
    qputenv("KV_UPDATER_AUTOCLOSE_MS", "300");
    qputenv("KV_UPDATER_REPORT", report.toUtf8());
    bool seenDialog = false;
    QTimer::singleShot(0, this, [&] {
        auto* boot = qobject_cast<TFBoot*>(QApplication::activeModalWidget());
        if (!boot)
            return;
        seenDialog = true;
        const char* names[] = {"E_IP1", "E_IP2", "E_IP3", "E_IP4"};
        const char* parts[] = {"127", "0", "0", "1"};
        for (int i = 0; i < 4; ++i)
            boot->findChild<QLineEdit*>(QLatin1String(names[i]))->setText(QLatin1String(parts[i]));
        // The dialog stays open through the update; it is closed once the
        // press has run its course.
        connect(boot, &TFBoot::updateEnded, boot, &TFBoot::reject);
        boot->Btn_UpdateClick();
    });
    window.Btn_Click(window.findChild<QPushButton*>(QStringLiteral("Btn_CreateBin")));
    qunsetenv("KV_UPDATER_AUTOCLOSE_MS");
    qunsetenv("KV_UPDATER_REPORT");

    QVERIFY(seenDialog);
    QVERIFY2(messages.log.isEmpty(), qPrintable(messages.texts().join(QLatin1Char('\n'))));
    QFile bank(dir.path() + QStringLiteral("/PROJECTS/Plant/bin/bank.bin"));
    QCOMPARE(bank.size(), qint64(67584));
    QCOMPARE(state.Settings.LastIpAddress, QStringLiteral("127.0.0.1"));
    QFile r(report);
    QVERIFY(r.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(r.readAll());
    QVERIFY2(text.contains(QStringLiteral("Exit status: 0")), qPrintable(text));
}

// A compile that fails shows its error, keeps the old image and opens no
// update dialog: a stale or misread image must not reach the device.
void TestUpdateMainWindow::failedCompileOpensNoDialog_data()
{
    QTest::addColumn<QByteArray>("table"); // SNMP_Manager.xml
    QTest::addColumn<int>("refusedRow");   // 0: the document cannot be loaded
    QTest::newRow("Num Bytes 300 in row 2")
        << QByteArray("<SNMP_Agent_Access><row IP_Address=\"127.0.0.1\"/><row Number_Bytes=\"300\"/></SNMP_Agent_Access>")
        << 2;
    QTest::newRow("malformed document") << QByteArray("<SNMP_Agent_Access><row></SNMP_Agent_Access>") << 0;
}

void TestUpdateMainWindow::failedCompileOpensNoDialog()
{
    QFETCH(QByteArray, table);
    QFETCH(int, refusedRow);
    QTemporaryDir dir;
    const QString project = dir.path() + QStringLiteral("/PROJECTS/Plant");
    QVERIFY(QDir().mkpath(project + QStringLiteral("/bin")));
    QVERIFY(tryWriteFile(project + QStringLiteral("/SNMP_Manager.xml"), table));
    QVERIFY(tryWriteFile(project + QStringLiteral("/bin/bank.bin"), "previous image"));
    kv::ScriptedMessageService messages;
    kv::UiServices services;
    services.messages = &messages;
    kv::AppState state(dir.path());
    TFTessaraneFirmWare window(state, services);
    state.OpenProject(QStringLiteral("Plant"));
    bool sawDialog = false;
    QTimer::singleShot(0, this, [&] {
        if (auto* boot = qobject_cast<TFBoot*>(QApplication::activeModalWidget())) {
            sawDialog = true;
            boot->reject();
        }
    });
    window.Btn_Click(window.findChild<QPushButton*>(QStringLiteral("Btn_CreateBin")));
    QCoreApplication::processEvents();
    QVERIFY(!sawDialog);
    QCOMPARE(messages.log.size(), 1);
    QCOMPARE(messages.log.at(0).kind, QStringLiteral("error"));
    if (refusedRow > 0)
        QCOMPARE(messages.log.at(0).text,
                 QStringLiteral("Error! Row %1 of the SNMP Manager table has a Number bytes the device cannot hold "
                                "(0 to 255): the configuration was not compiled.").arg(refusedRow));
    else
        QVERIFY2(messages.log.at(0).text.contains(QStringLiteral("SNMP_Manager.xml")), qPrintable(messages.log.at(0).text));
    QFile bank(project + QStringLiteral("/bin/bank.bin"));
    QVERIFY(bank.open(QIODevice::ReadOnly));
    QCOMPARE(bank.readAll(), QByteArray("previous image"));
}

QTEST_MAIN(TestUpdateMainWindow)
#include "test_update_main_window.moc"
