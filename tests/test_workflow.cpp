// The whole workflow as a new user goes through it, in a temporary
// workspace: create a configuration, set the communication parameters, fill
// three request rows in the grid, write the GSDML file, update the device on
// loopback with a stand-in updater, close.  Every file written is compared
// with the expected files in fixtures/workflow.
#include <QtTest>

#include "TestFiles.h"
#include "app/UTessaraneFirmWare.h"
#include "common/UServices.h"
#include "requests/SnmpRequests.h"
#include "update/IcmpEcho.h"
#include "update/ProgramStarter.h"
#include "update/UBoot.h"
#include "helpers/EchoOnce.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>

namespace {

QByteArray fixture(const char* name)
{
    return readAll(QStringLiteral(KV_FIXTURES_DIR "/workflow/") + QLatin1String(name));
}

// Runs f on the modal dialog once its event loop runs.  A dialog that f
// left open is closed, so that a failure never hangs the test.
void whenModal(std::function<void(QWidget*)> f)
{
    QTimer::singleShot(0, [f] {
        QPointer<QWidget> d = QApplication::activeModalWidget();
        if (!d) {
            qWarning("no modal dialog");
            return;
        }
        f(d);
        if (d && d->isVisible() && QApplication::activeModalWidget() == d) {
            qWarning("%s left open", d->metaObject()->className());
            if (auto* dlg = qobject_cast<QDialog*>(d.data()))
                dlg->done(QDialog::Rejected);
        }
    });
}

template <class T>
T* child(QWidget* w, const char* name)
{
    T* c = w->findChild<T*>(QLatin1String(name));
    if (!c)
        qWarning("missing control %s", name);
    return c;
}

// Types into an edit the way a user does: select what is there, type over it.
void typeInto(QWidget* w, const char* name, const QString& text)
{
    auto* e = child<QLineEdit>(w, name);
    QApplication::setActiveWindow(w->window());
    e->setFocus();
    e->selectAll();
    // Key by key to whichever edit of the dialog has the focus: "." hops to
    // the next octet.
    for (const QChar c : text) {
        QWidget* f = QApplication::focusWidget();
        QWidget* target = f && w->isAncestorOf(f) ? f : e;
        QTest::keyClick(target, c.toLatin1());
    }
}

void settle()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

// The open cell editor; closed ones stay hidden until their deletion.
template <class T>
T* openEditor(QTableView* grid)
{
    for (T* e : grid->viewport()->findChildren<T*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (e->isVisible())
            return e;
    }
    return nullptr;
}

QModelIndex cell(QTableView* grid, int row, int column)
{
    return grid->model()->index(row - 1, column);
}

void editCell(QTableView* grid, int row, int column, const QString& text)
{
    const QModelIndex idx = cell(grid, row, column);
    grid->setCurrentIndex(idx);
    grid->edit(idx);
    auto* e = openEditor<QLineEdit>(grid);
    QVERIFY2(e, "no text editor");
    e->selectAll();
    QTest::keyClicks(e, text);
    QTest::keyClick(e, Qt::Key_Return);
    settle();
}

void pickCell(QTableView* grid, int row, int column, const QString& text)
{
    const QModelIndex idx = cell(grid, row, column);
    grid->setCurrentIndex(idx);
    grid->edit(idx);
    auto* combo = openEditor<QComboBox>(grid);
    QVERIFY2(combo, "no pick list");
    const int i = combo->findText(text);
    QVERIFY2(i >= 0, qPrintable(text));
    combo->setCurrentIndex(i);
    QTest::keyClick(combo, Qt::Key_Return);
    settle();
}

void toggleCell(QTableView* grid, int row, int column)
{
    grid->setCurrentIndex(cell(grid, row, column));
    QTest::keyClick(grid, Qt::Key_Space);
    settle();
}

} // namespace

class TestWorkflow : public QObject {
    Q_OBJECT
private slots:
    void wholeWorkflow();
};

void TestWorkflow::wholeWorkflow()
{
    kv::IcmpEchoClient echo;
    QString reason;
    if (kvtest::echoOnce(echo, QStringLiteral("127.0.0.1"), 400, &reason) == kv::IEchoClient::Error)
        QSKIP(qPrintable(QStringLiteral("no ICMP socket for this user: ") + reason));

    QTemporaryDir ws;
    const QString W = ws.path();
    // A stand-in updater that only records that it ran.
    {
        QFile up(W + QStringLiteral("/Ethernet_Update" KV_EXE_SUFFIX));
        QVERIFY(up.open(QIODevice::WriteOnly));
        up.write("#!/bin/sh\necho ran > \"$(dirname \"$0\")/updater-ran.txt\"\n");
        up.close();
        QVERIFY(up.setPermissions(up.permissions() | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther));
    }
    QVERIFY(QDir().mkpath(W + QStringLiteral("/gsd")));
    // The firmware image delivered with the configurator.
    QVERIFY(QDir().mkpath(W + QStringLiteral("/MASTER")));
    QVERIFY(tryWriteFile(W + QStringLiteral("/MASTER/Img52013.sim"), QByteArray(64, 'F')));

    kv::ScriptedMessageService messages;
    kv::ScriptedFileDialogs files;
    files.answer = W + QStringLiteral("/gsd/typed-over.xml"); // only its folder counts
    kv::RecordingUrlOpener urls;
    kv::ProcessStarter starter;
    kv::UiServices services;
    services.messages = &messages;
    services.files = &files;
    services.urls = &urls;
    services.echo = &echo;
    services.starter = &starter;

    kv::AppState state(W);
    auto* w = new TFTessaraneFirmWare(state, services);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    auto press = [w](const char* name) { child<QPushButton>(w, name)->click(); };

    // Step 1: a new configuration.
    whenModal([](QWidget* d) {
        QTest::keyClicks(child<QLineEdit>(d, "E_New_Proj"), QStringLiteral("Plant 7"));
        child<QPushButton>(d, "Btn_OK")->click();
    });
    press("Btn_New");
    QCOMPARE(state.ActiveProjectDir, W + QStringLiteral("/PROJECTS/Plant 7"));

    // Step 2: communication parameters, typed with "." hopping.
    whenModal([](QWidget* d) {
        typeInto(d, "E_IP1_SNMP_Manager", QStringLiteral("10.0.0.50"));
        typeInto(d, "E_SNMP_Manager_Name_Station", QStringLiteral("snmp-side"));
        typeInto(d, "E_PROFINET_IP1", QStringLiteral("192.168.10.20"));
        child<QCheckBox>(d, "CB_PROFINET_Gat_En")->click();
        typeInto(d, "E_PROFINET_GAT1", QStringLiteral("192.168.10.1"));
        typeInto(d, "E_PROFINET_Name_Station", QStringLiteral("Station-A"));
        typeInto(d, "E_NB_IN_PROFINET", QStringLiteral("64"));
        typeInto(d, "E_NB_OUT_PROFINET", QStringLiteral("32"));
        child<QPushButton>(d, "Btn_OK")->click();
    });
    press("Btn_Prm_Gen");
    QCOMPARE(messages.texts().join(QLatin1Char('|')), QString());
    QVERIFY(QFile::exists(state.ParGenPath));

    // Step 3: three request rows through the grid's editors, copy and paste.
    whenModal([](QWidget* d) {
        auto* grid = child<QTableView>(d, "ACG_SNMP");
        editCell(grid, 1, kv::ColIpAddress, QStringLiteral("192.168.1.20"));
        pickCell(grid, 1, kv::ColVersion, QStringLiteral("2"));
        pickCell(grid, 1, kv::ColCommunity, QStringLiteral("Marble"));
        editCell(grid, 1, kv::ColOid, QStringLiteral("1.3.6.1.2.1.1.3.0"));
        pickCell(grid, 1, kv::ColType, QStringLiteral("Int"));
        pickCell(grid, 1, kv::ColMode, QStringLiteral("Get"));
        toggleCell(grid, 1, kv::ColOnTimer);
        editCell(grid, 1, kv::ColTime, QStringLiteral("1000"));
        pickCell(grid, 1, kv::ColPosition, QStringLiteral("4"));
        editCell(grid, 1, kv::ColNumberBytes, QStringLiteral("4"));
        pickCell(grid, 1, kv::ColConvertFrom, QStringLiteral("None"));
        editCell(grid, 1, kv::ColMnemonic, QStringLiteral("uptime"));

        grid->setCurrentIndex(cell(grid, 1, kv::ColIpAddress));
        child<QPushButton>(d, "Btn_CopyRow")->click();
        grid->setCurrentIndex(cell(grid, 2, kv::ColIpAddress));
        child<QPushButton>(d, "Btn_PasteRow")->click();
        editCell(grid, 2, kv::ColOid, QStringLiteral("1.3.6.1.2.1.1.5.0"));
        pickCell(grid, 2, kv::ColType, QStringLiteral("String"));
        pickCell(grid, 2, kv::ColPosition, QStringLiteral("8"));
        editCell(grid, 2, kv::ColNumberBytes, QStringLiteral("16"));
        editCell(grid, 2, kv::ColMnemonic, QStringLiteral("name"));

        grid->setCurrentIndex(cell(grid, 3, kv::ColIpAddress));
        child<QPushButton>(d, "Btn_PasteRow")->click();
        editCell(grid, 3, kv::ColIpAddress, QStringLiteral("192.168.1.21"));
        pickCell(grid, 3, kv::ColMode, QStringLiteral("Set"));
        toggleCell(grid, 3, kv::ColOnChange);
        toggleCell(grid, 3, kv::ColOnTimer);
        pickCell(grid, 3, kv::ColPosition, QStringLiteral("24"));
        pickCell(grid, 3, kv::ColConvertFrom, QStringLiteral("Float * 10"));
        toggleCell(grid, 3, kv::ColCancel);
        editCell(grid, 3, kv::ColMnemonic, QStringLiteral("setpoint"));
        child<QPushButton>(d, "Btn_OK")->click();
    });
    press("Btn_SNMP_Manager_Access");
    QCOMPARE(messages.texts(), QStringList());

    // Step 4: the GSDML file, named in the dialog, folder from the save dialog.
    whenModal([](QWidget* d) {
        QTest::keyClicks(child<QLineEdit>(d, "E_XML_User"), QStringLiteral("line7"));
        child<QPushButton>(d, "Btn_OK")->click();
    });
    press("Btn_PROFINET_XML");
    QCOMPARE(files.calls, 1);
    const QStringList gsd = QDir(W + QStringLiteral("/gsd")).entryList({QStringLiteral("*.xml")}, QDir::Files);
    QCOMPARE(gsd.size(), 1);
    QVERIFY2(QRegularExpression(QStringLiteral("^GSDML-V2\\.31-Tolvex-KD52013_line7-\\d{8}\\.xml$")).match(gsd.at(0)).hasMatch(),
             qPrintable(gsd.at(0)));

    // Step 5: compile, ping 127.0.0.1 (set before anything is pressed), job
    // file, updater started and awaited.
    whenModal([](QWidget* d) {
        const char* boxes[] = {"E_IP1", "E_IP2", "E_IP3", "E_IP4"};
        const char* octets[] = {"127", "0", "0", "1"};
        for (int i = 0; i < 4; ++i)
            child<QLineEdit>(d, boxes[i])->setText(QLatin1String(octets[i]));
        // Cancel once the update has run its course.
        QObject::connect(qobject_cast<TFBoot*>(d), &TFBoot::updateEnded, d,
                         [d] { child<QPushButton>(d, "Btn_Cancel")->click(); });
        child<QPushButton>(d, "Btn_Update")->click();
    });
    press("Btn_CreateBin");
    QCOMPARE(messages.texts(), QStringList());
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(W + QStringLiteral("/updater-ran.txt")), 5000);

    w->close();
    delete w;

    const QString P = W + QStringLiteral("/PROJECTS/Plant 7");
    QCOMPARE(readAll(P + QStringLiteral("/ParGen.xml")), fixture("ParGen.xml"));
    QCOMPARE(readAll(P + QStringLiteral("/SNMP_Manager.xml")), fixture("SNMP_Manager.xml"));
    const QByteArray bank = readAll(P + QStringLiteral("/bin/bank.bin"));
    QCOMPARE(bank.size(), 67584);
    QVERIFY2(bank == fixture("expected_bank.bin"), "bank.bin differs from the expected image");
    QCOMPARE(readAll(W + QStringLiteral("/gsd/") + gsd.at(0)), fixture("expected_gsdml.xml"));
    QByteArray job = fixture("Ethernet_Update.xml");
    for (const char* file : {"/MASTER/Img52013.sim", "/PROJECTS/Plant 7/bin/bank.bin"})
        job.replace(QByteArray("@WORKSPACE@") + file,
                    QDir::toNativeSeparators(W + QLatin1String(file)).toHtmlEscaped().toUtf8());
    QCOMPARE(readAll(W + QStringLiteral("/Ethernet_Update.xml")), job);
    QCOMPARE(readAll(W + QStringLiteral("/Tessaran.xml")), fixture("Tessaran.xml"));
}

QTEST_MAIN(TestWorkflow)
#include "test_workflow.moc"
