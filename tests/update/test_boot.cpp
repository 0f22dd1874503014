#include "update/BootFixture.h"

#include "common/XmlUtil.h"
#include "helpers/EchoOnce.h"
#include "helpers/SilentLoopback.h"

using Result = kv::IEchoClient::Result;
Q_DECLARE_METATYPE(QList<kv::IEchoClient::Result>)

// The update dialog: the boxes, the choices, the ping loop and its outcomes.
// Every address used here is loopback, and the scripted echo sends nothing;
// a silent device is 127.0.0.1 in a network namespace of the test's own.
class TestBoot : public QObject {
    Q_OBJECT
private slots:
    void lastAddressSplitsIntoTheBoxes_data();
    void lastAddressSplitsIntoTheBoxes();
    void formShow();
    void dotHopsToTheNextBox();
    void typedAddressReplacesTheBoxes_data();
    void typedAddressReplacesTheBoxes();
    void pingOutcomes_data();
    void pingOutcomes();
    void successRemembersTheChoices();
    void jobFileCannotBeWritten();
    void cancelDuringThePing();
    void dialogGoneDuringThePing();
    void missingFileStartsNothing_data();
    void missingFileStartsNothing();
    void realEcho_data();
    void realEcho();
    void silentDeviceLeavesTheWindowAlive();
    void cancelInTheMiddleOfAnEcho_data();
    void cancelInTheMiddleOfAnEcho();
    void cancelledEchoNeverReports_data();
    void cancelledEchoNeverReports();
    void hostNamesResolveInTheEventLoop_data();
    void hostNamesResolveInTheEventLoop();
    void threadedCallHandsBackToTheEventLoop_data();
    void threadedCallHandsBackToTheEventLoop();
};

void TestBoot::lastAddressSplitsIntoTheBoxes_data()
{
    QTest::addColumn<QString>("last");
    QTest::addColumn<QString>("boxes"); // empty: the boxes keep 127|0|0|1
    QTest::newRow("plain") << "192.168.2.205" << "192|168|2|205";
    QTest::newRow("blanks around parts") << "  192 . 168 .2.  205 " << "192|168|2|205";
    QTest::newRow("tabs at the ends") << "\t10.0.0.1\t" << "10|0|0|1";
    QTest::newRow("leading zeros kept") << "010.001.002.000" << "010|001|002|000";
    QTest::newRow("three parts") << "192.168.2" << "";
    QTest::newRow("part above 255") << "192.168.2.256" << "";
    QTest::newRow("negative part") << "-1.168.2.1" << "";
    QTest::newRow("part not a number") << "192.168.x.1" << "";
    QTest::newRow("empty part") << "192..2.1" << "";
    QTest::newRow("five parts") << "1.2.3.4.5" << "";
    QTest::newRow("no dot") << "localhost" << "";
    QTest::newRow("empty") << "" << "";
}

void TestBoot::lastAddressSplitsIntoTheBoxes()
{
    QFETCH(QString, last);
    QFETCH(QString, boxes);
    BootFixture f;
    f.show();
    QCOMPARE(f.boxes(), QStringLiteral("127|0|0|1"));
    f.state.Settings.LastIpAddress = last;
    f.show();
    QCOMPARE(f.boxes(), boxes.isEmpty() ? QStringLiteral("127|0|0|1") : boxes);
}

void TestBoot::formShow()
{
    BootFixture f;
    f.state.LastUpdateOption = 2;
    f.state.LastReadBack = true;
    f.show();
    QCOMPARE(f.boot->size(), QSize(449, 230));
    // In the middle of the screen, as the other dialogs.
    const QPoint middle = f.boot->screen()->availableGeometry().center();
    QVERIFY2((f.boot->geometry().center() - middle).manhattanLength() <= 4, "not centred on the screen");
    QCOMPARE(f.boot->windowTitle(), QStringLiteral("Update Device by Ethernet (UDP)"));
    auto* options = f.child<QComboBox>("CB_Update_Options");
    QCOMPARE(options->count(), 3);
    QCOMPARE(options->itemText(0), QStringLiteral("Firmware + Configuration"));
    QCOMPARE(options->itemText(1), QStringLiteral("Firmware"));
    QCOMPARE(options->itemText(2), QStringLiteral("Configuration"));
    QCOMPARE(options->currentIndex(), 2);
    QVERIFY(f.child<QCheckBox>("CB_Update_Option_Read_Back")->isChecked());
    QCOMPARE(f.child<QPushButton>("Btn_Update")->text(), QStringLiteral("Execute Update Firmware"));

    // Set_Lang runs at every show: a language changed in between shows up.
    f.state.Lang.Put(1016, QStringLiteral("Nur Firmware"));
    f.state.LastUpdateOption = 0;
    f.state.LastReadBack = false;
    f.show();
    QCOMPARE(options->itemText(1), QStringLiteral("Nur Firmware"));
    QCOMPARE(options->currentIndex(), 0);
    QVERIFY(!f.child<QCheckBox>("CB_Update_Option_Read_Back")->isChecked());
}

void TestBoot::dotHopsToTheNextBox()
{
    BootFixture f;
    f.show();
    f.boot->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.boot.get()));
    f.setBoxes(QString(), QString(), QString(), QString());
    f.box(1)->setFocus();
    // Typed as a user types: each key goes to the box that has the focus.
    const auto type = [](const QString& keys) {
        for (QChar c : keys)
            QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
    };
    type(QStringLiteral("127."));
    QVERIFY(f.box(2)->hasFocus());
    type(QStringLiteral("0.0.1."));
    QVERIFY(f.box(4)->hasFocus());
    type(QStringLiteral("x y"));
    QCOMPARE(f.boxes(), QStringLiteral("127|0|0|1x y"));
}

void TestBoot::typedAddressReplacesTheBoxes_data()
{
    QTest::addColumn<QString>("remembered");
    QTest::addColumn<QString>("keys"); // \t is Tab, \b is Shift+Tab
    QTest::addColumn<QString>("boxes");
    QTest::newRow("dots over a longer address") << "192.168.20.205" << "127.0.0.1" << "127|0|0|1";
    QTest::newRow("dots over the same shape") << "10.0.0.1" << "10.0.0.2" << "10|0|0|2";
    QTest::newRow("tab between the boxes") << "10.0.0.1" << "10\t20\t30\t40" << "10|20|30|40";
    QTest::newRow("back-tab replaces too") << "10.0.0.1" << "1.2\b9" << "9|2|0|1";
    QTest::newRow("only the first box typed") << "10.0.0.1" << "11" << "11|0|0|1";
}

void TestBoot::typedAddressReplacesTheBoxes()
{
    QFETCH(QString, remembered);
    QFETCH(QString, keys);
    QFETCH(QString, boxes);
    BootFixture f;
    f.state.Settings.LastIpAddress = remembered;
    f.show();
    f.boot->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.boot.get()));
    QCoreApplication::processEvents();
    for (QChar c : keys) {
        QWidget* target = QApplication::focusWidget();
        QVERIFY(target);
        if (c == QLatin1Char('\t'))
            QTest::keyClick(target, Qt::Key_Tab);
        else if (c == QLatin1Char('\b'))
            QTest::keyClick(target, Qt::Key_Backtab, Qt::ShiftModifier);
        else
            QTest::keyClick(target, c.toLatin1());
        QCoreApplication::processEvents();
    }
    QCOMPARE(f.boxes(), boxes);
}

void TestBoot::pingOutcomes_data()
{
    QTest::addColumn<QList<Result>>("script");
    QTest::addColumn<int>("fallback");
    QTest::addColumn<bool>("found");
    QTest::addColumn<int>("pingRes");
    QTest::addColumn<int>("echoes"); // -1: more than two
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("message");

    QTest::newRow("answers at once") << QList<Result>{} << int(Result::Reply) << true << 1 << 2 << "" << "";
    QTest::newRow("answers after a time-out")
        << QList<Result>{Result::Timeout} << int(Result::Reply) << true << 1 << 3 << "" << "";
    QTest::newRow("silent") << QList<Result>{} << int(Result::Timeout) << false << 2 << -1 << "warning"
                            << "Device Not Found!";
    QTest::newRow("not an address") << QList<Result>{} << int(Result::Error) << false << 0 << 1 << "error"
                                    << "Error!!! Check the Ip Address\nno such host";
    QTest::newRow("reply, then an error") << QList<Result>{Result::Reply} << int(Result::Error) << false << 1 << 2
                                          << "error" << "Error!!! Check the Ip Address\nno such host";
}

void TestBoot::pingOutcomes()
{
    QFETCH(QList<Result>, script);
    QFETCH(int, fallback);
    QFETCH(bool, found);
    QFETCH(int, pingRes);
    QFETCH(int, echoes);
    QFETCH(QString, kind);
    QFETCH(QString, message);

    BootFixture f;
    f.scripted.script = script;
    f.scripted.fallback = Result(fallback);
    f.show();
    f.setBoxes(QStringLiteral("127"), QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("01"));
    QVERIFY(f.runUpdate());

    QCOMPARE(f.boot->ping_res, pingRes);
    if (echoes < 0)
        QVERIFY(f.scripted.hosts.size() > 2);
    else
        QCOMPARE(f.scripted.hosts.size(), echoes);
    for (int i = 0; i < f.scripted.hosts.size(); ++i) {
        QCOMPARE(f.scripted.hosts[i], QStringLiteral("127.0.0.01"));
        QCOMPARE(f.scripted.timeouts[i], 400);
    }
    if (found) {
        QVERIFY(f.messages.log.isEmpty());
        QCOMPARE(f.state.Settings.LastIpAddress, QStringLiteral("127.0.0.01"));
        QVERIFY(QFileInfo::exists(f.jobPath()));
        QCOMPARE(f.recording.calls.size(), 1);
    } else {
        QCOMPARE(f.messages.log.size(), 1);
        QCOMPARE(f.messages.log[0].kind, kind);
        QCOMPARE(f.messages.log[0].text, message);
        // Nothing stored, nothing written, nothing started.
        QCOMPARE(f.state.Settings.LastIpAddress, QStringLiteral("127.0.0.1"));
        QVERIFY(!QFileInfo::exists(f.jobPath()));
        QVERIFY(f.recording.calls.isEmpty());
        QCOMPARE(f.boxes(), QStringLiteral("127|0|0|01"));
    }
    QVERIFY(f.child<QPushButton>("Btn_Update")->isEnabled());
}

void TestBoot::successRemembersTheChoices()
{
    BootFixture f;
    f.show();
    f.setBoxes(QStringLiteral("127"), QStringLiteral(" 0"), QStringLiteral("0"), QStringLiteral("2"));
    f.child<QComboBox>("CB_Update_Options")->setCurrentIndex(1);
    f.child<QCheckBox>("CB_Update_Option_Read_Back")->setChecked(true);
    QVERIFY(f.runUpdate());

    QVERIFY(f.messages.log.isEmpty());
    QCOMPARE(f.state.Settings.LastIpAddress, QStringLiteral("127. 0.0.2"));
    QCOMPARE(f.state.LastUpdateOption, 1);
    QVERIFY(f.state.LastReadBack);
    QCOMPARE(f.recording.calls.size(), 1);
    QCOMPARE(f.recording.calls[0].program,
             QDir::toNativeSeparators(f.state.ExeDir + QStringLiteral("/Ethernet_Update" KV_EXE_SUFFIX)));
    QCOMPARE(f.recording.calls[0].parameters, QString());
    QCOMPARE(f.recording.calls[0].hidden, false);

    pugi::xml_document doc;
    QVERIFY(kv::LoadXmlFile(f.jobPath(), doc).ok());
    const pugi::xml_node root = doc.first_child();
    QCOMPARE(QString::fromUtf8(root.child_value("IP_Address_Dev")), QStringLiteral("127. 0.0.2"));
    const pugi::xml_node op = root.child("Operations").child("Operation");
    QCOMPARE(QString::fromUtf8(op.child_value("Ope_Bank_Type")), QStringLiteral("1"));
    QCOMPARE(QString::fromUtf8(op.child_value("Ope_Read_Back")), QStringLiteral("1"));
    QVERIFY(!op.next_sibling("Operation"));

    // The next show of this run brings the choices back, boxes included.
    f.setBoxes(QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d"));
    f.child<QComboBox>("CB_Update_Options")->setCurrentIndex(0);
    f.child<QCheckBox>("CB_Update_Option_Read_Back")->setChecked(false);
    f.show();
    QCOMPARE(f.boxes(), QStringLiteral("127|0|0|2"));
    QCOMPARE(f.child<QComboBox>("CB_Update_Options")->currentIndex(), 1);
    QVERIFY(f.child<QCheckBox>("CB_Update_Option_Read_Back")->isChecked());
}

void TestBoot::jobFileCannotBeWritten()
{
    BootFixture f;
    QVERIFY(QDir().mkpath(f.jobPath())); // a folder in the file's place
    f.show();
    f.setBoxes(QStringLiteral("127"), QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("3"));
    f.child<QComboBox>("CB_Update_Options")->setCurrentIndex(2);
    QVERIFY(f.runUpdate());

    QCOMPARE(f.messages.log.size(), 1);
    QCOMPARE(f.messages.log[0].kind, QStringLiteral("error"));
    QVERIFY2(f.messages.log[0].text.contains(QDir::toNativeSeparators(f.jobPath())), qPrintable(f.messages.log[0].text));
    QVERIFY(f.recording.calls.isEmpty());
    // The ping succeeded, so the address and choices are remembered.
    QCOMPARE(f.state.Settings.LastIpAddress, QStringLiteral("127.0.0.3"));
    QCOMPARE(f.state.LastUpdateOption, 2);
}

void TestBoot::cancelDuringThePing()
{
    BootFixture f;
    f.scripted.fallback = Result::Timeout;
    bool updateDisabled = false, boxesLocked = false;
    f.scripted.onEcho = [&] {
        updateDisabled = !f.child<QPushButton>("Btn_Update")->isEnabled();
        boxesLocked = f.box(1)->isReadOnly();
        if (f.scripted.hosts.size() == 3)
            QTimer::singleShot(0, f.child<QPushButton>("Btn_Cancel"), &QPushButton::click);
    };
    f.show();
    f.boot->Btn_UpdateClick();
    QTRY_VERIFY(!f.boot->isVisible());
    QTest::qWait(100); // long enough for further echoes, if any came
    f.settle();

    QVERIFY(updateDisabled);
    QVERIFY(boxesLocked);
    QCOMPARE(f.scripted.hosts.size(), 3);
    QVERIFY(f.messages.log.isEmpty());
    QVERIFY(f.recording.calls.isEmpty());
    QVERIFY(!QFileInfo::exists(f.jobPath()));
    QVERIFY(!f.box(1)->isReadOnly());
}

void TestBoot::dialogGoneDuringThePing()
{
    BootFixture f;
    f.scripted.fallback = Result::Timeout;
    f.scripted.onEcho = [&] {
        if (f.scripted.hosts.size() == 2)
            QTimer::singleShot(0, [&] { f.boot.reset(); });
    };
    f.show();
    f.boot->Btn_UpdateClick();
    QTRY_VERIFY(!f.boot);
    QTest::qWait(100);
    f.settle();

    QCOMPARE(f.scripted.hosts.size(), 2);
    QVERIFY(f.messages.log.isEmpty());
    QVERIFY(f.recording.calls.isEmpty());
    QVERIFY(!QFileInfo::exists(f.jobPath()));
}

// A job that names a file which is not there is not started: the message
// names the file, and nothing is pinged, stored, written or started.
void TestBoot::missingFileStartsNothing_data()
{
    QTest::addColumn<int>("option");
    QTest::addColumn<bool>("firmware"); // present in MASTER
    QTest::addColumn<bool>("bank");     // present in the project's bin folder
    QTest::addColumn<QString>("missing"); // "firmware", "bank" or empty: the update runs
    QTest::newRow("new workspace, firmware and configuration") << 0 << false << true << "firmware";
    QTest::newRow("firmware only, none in MASTER") << 1 << false << true << "firmware";
    QTest::newRow("no image, firmware and configuration") << 0 << true << false << "bank";
    QTest::newRow("configuration only, no image") << 2 << true << false << "bank";
    QTest::newRow("configuration only needs no firmware") << 2 << false << true << "";
}

void TestBoot::missingFileStartsNothing()
{
    QFETCH(int, option);
    QFETCH(bool, firmware);
    QFETCH(bool, bank);
    QFETCH(QString, missing);
    BootFixture f;
    if (!firmware)
        QVERIFY(QFile::remove(f.firmware()));
    if (!bank)
        QVERIFY(QFile::remove(f.bank()));
    f.show();
    f.child<QComboBox>("CB_Update_Options")->setCurrentIndex(option);
    f.setBoxes(QStringLiteral("127"), QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("9"));
    QVERIFY(f.runUpdate());

    if (missing.isEmpty()) {
        QVERIFY(f.messages.log.isEmpty());
        QCOMPARE(f.recording.calls.size(), 1);
        return;
    }
    QCOMPARE(f.messages.log.size(), 1);
    QCOMPARE(f.messages.log[0].kind, QStringLiteral("error"));
    const QString file = QDir::toNativeSeparators(missing == QLatin1String("firmware") ? f.firmware() : f.bank());
    QCOMPARE(f.messages.log[0].text,
             missing == QLatin1String("firmware")
                 ? QStringLiteral("The firmware image %1 does not exist, so the update cannot run. Nothing was "
                                  "started. To update only the configuration, choose \"Configuration\".")
                       .arg(file)
                 : QStringLiteral("The file %1 does not exist, so the update cannot run. Nothing was started.")
                       .arg(file));
    QVERIFY(f.scripted.hosts.isEmpty());
    QVERIFY(!QFileInfo::exists(f.jobPath()));
    QVERIFY(f.recording.calls.isEmpty());
    QCOMPARE(f.state.Settings.LastIpAddress, QStringLiteral("127.0.0.1"));
    QVERIFY(f.child<QPushButton>("Btn_Update")->isEnabled());
    QVERIFY(!f.box(1)->isReadOnly());
}

void TestBoot::realEcho_data()
{
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<bool>("needsSocket");
    QTest::addColumn<bool>("found");
    QTest::newRow("loopback") << QStringList{QStringLiteral("127"), QStringLiteral("0"), QStringLiteral("0"),
                                             QStringLiteral("1")}
                              << true << true;
    QTest::newRow("leading zeros are decimal")
        << QStringList{QStringLiteral("127"), QStringLiteral("000"), QStringLiteral("00"), QStringLiteral("010")}
        << true << true;
    // None of these leaves the machine: they fail before any echo.
    QTest::newRow("300") << QStringList{QStringLiteral("127"), QStringLiteral("0"), QStringLiteral("0"),
                                        QStringLiteral("300")}
                         << false << false;
    QTest::newRow("blanks") << QStringList{QStringLiteral("127"), QStringLiteral(" "), QStringLiteral("0"),
                                           QStringLiteral("1")}
                            << false << false;
    QTest::newRow("empty boxes") << QStringList{QString(), QString(), QString(), QString()} << false << false;
    QTest::newRow("letters and blanks")
        << QStringList{QStringLiteral("my"), QStringLiteral("device"), QStringLiteral("is"), QStringLiteral("here!")}
        << false << false;
}

void TestBoot::realEcho()
{
    QFETCH(QStringList, boxes);
    QFETCH(bool, needsSocket);
    QFETCH(bool, found);

    kv::IcmpEchoClient client;
    CountingEcho counting(client);
    BootFixture f(&counting);
    f.show();
    f.setBoxes(boxes[0], boxes[1], boxes[2], boxes[3]);
    QVERIFY(f.runUpdate());
    if (needsSocket && counting.lastError.startsWith(QLatin1String("No ICMP socket")))
        QSKIP(qPrintable(QStringLiteral("this machine allows no ICMP socket to this user: ") + counting.lastError));
    if (found) {
        QVERIFY2(f.messages.log.isEmpty(), qPrintable(f.messages.texts().join(QLatin1Char('\n'))));
        QCOMPARE(f.boot->ping_res, 1);
        QCOMPARE(counting.calls, 2); // two replies end the ping
        QCOMPARE(f.recording.calls.size(), 1);
    } else {
        QCOMPARE(f.boot->ping_res, 0);
        QCOMPARE(counting.calls, 1);
        QVERIFY(!f.boot->PingError().isEmpty());
        QCOMPARE(f.messages.log.size(), 1);
        QCOMPARE(f.messages.log[0].kind, QStringLiteral("error"));
        QCOMPARE(f.messages.log[0].text, QStringLiteral("Error!!! Check the Ip Address\n") + f.boot->PingError());
        QVERIFY(f.recording.calls.isEmpty());
    }
}

// The dialog with the real echo client, its boxes on 127.0.0.1 of a network
// namespace in which that address stays silent.
struct SilentDeviceFixture {
    kvtest::SilentLoopback net;
    kv::IcmpEchoClient client;
    CountingEcho counting{client};
    BootFixture f{&counting};

    SilentDeviceFixture()
    {
        f.show();
        f.boot->activateWindow();
        active = QTest::qWaitForWindowActive(f.boot.get());
        f.setBoxes(QStringLiteral("127"), QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("1"));
    }
    bool active = false;
    // After a ping: why it could not be tried here, if so.
    QString noSocket() const
    {
        return counting.calls == 1 && counting.lastError.startsWith(QLatin1String("No ICMP socket"))
            ? QStringLiteral("this machine allows no ICMP socket to this user: ") + counting.lastError
            : QString();
    }
};

// A whole ping of a device that never answers: the echoes wait in the
// event loop, so timers, queued calls and keys go on while they wait, and
// the outcome is the one of a silent device.
void TestBoot::silentDeviceLeavesTheWindowAlive()
{
    SilentDeviceFixture s;
    if (!s.net.skip.isEmpty())
        QSKIP(qPrintable(s.net.skip));
    QVERIFY(s.active);

    int ticksWhileWaiting = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] { ticksWhileWaiting += s.counting.waiting ? 1 : 0; });
    tick.start(10);
    // A "." typed while the first echo waits hops to the next box.
    bool keyPostedWhileWaiting = false, hoppedWhileWaiting = false;
    QTimer::singleShot(100, s.f.boot.get(), [&] {
        keyPostedWhileWaiting = s.counting.waiting;
        for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease})
            QCoreApplication::postEvent(s.f.box(1),
                                        new QKeyEvent(type, Qt::Key_Period, Qt::NoModifier, QStringLiteral(".")));
        QTimer::singleShot(50, s.f.boot.get(),
                           [&] { hoppedWhileWaiting = s.counting.waiting && s.f.box(2)->hasFocus(); });
    });
    QVERIFY(s.f.runUpdate());
    tick.stop();

    if (!s.noSocket().isEmpty())
        QSKIP(qPrintable(s.noSocket()));
    QVERIFY(keyPostedWhileWaiting);
    QVERIFY(hoppedWhileWaiting);
    QVERIFY2(ticksWhileWaiting > 50, qPrintable(QString::number(ticksWhileWaiting)));
    // Echoes until the budget is spent.
    QVERIFY2(s.counting.calls > 2, qPrintable(QString::number(s.counting.calls)));
    QCOMPARE(s.f.boot->ping_res, 2);
    QCOMPARE(s.f.messages.log.size(), 1);
    QCOMPARE(s.f.messages.log[0].kind, QStringLiteral("warning"));
    QCOMPARE(s.f.messages.log[0].text, QStringLiteral("Device Not Found!"));
    QVERIFY(!QFileInfo::exists(s.f.jobPath()));
    QVERIFY(s.f.recording.calls.isEmpty());
    QCOMPARE(s.f.boxes(), QStringLiteral("127|0|0|1"));
    QVERIFY(!s.f.box(1)->isReadOnly());
    QVERIFY(s.f.child<QPushButton>("Btn_Update")->isEnabled());
}

// Escape or Cancel while an echo waits closes the dialog at once and ends
// the ping there: the modal run of the dialog is over, so the next click on
// step 5, made while that echo would still be waiting, opens the dialog
// again.  Nothing of the abandoned echo comes back later.
void TestBoot::cancelInTheMiddleOfAnEcho_data()
{
    QTest::addColumn<bool>("escape"); // else a click on Cancel
    QTest::newRow("Escape") << true;
    QTest::newRow("Cancel") << false;
}

void TestBoot::cancelInTheMiddleOfAnEcho()
{
    QFETCH(bool, escape);
    SilentDeviceFixture s;
    if (!s.net.skip.isEmpty())
        QSKIP(qPrintable(s.net.skip));
    QVERIFY(s.active);
    TFBoot* boot = s.f.boot.get();
    bool waiting = false, hiddenAtOnce = false, endedAtOnce = false, secondShown = false;
    int secondResult = -1;
    QTimer::singleShot(150, boot, [&] {
        waiting = s.counting.waiting;
        if (escape)
            QTest::keyClick(s.f.box(1), Qt::Key_Escape);
        else
            QTest::mouseClick(s.f.child<QPushButton>("Btn_Cancel"), Qt::LeftButton);
        hiddenAtOnce = !boot->isVisible();
        endedAtOnce = !boot->Pinging() && !s.counting.waiting && s.counting.cancelled == 1;
        // The engineer clicks step 5 again 20 ms later, long before the
        // echo's 400 ms are over.
        QTimer::singleShot(20, boot, [&] {
            QTimer::singleShot(0, boot, [&] {
                secondShown = boot->isVisible();
                boot->reject();
            });
            secondResult = boot->exec();
        });
    });
    QTimer::singleShot(0, boot, [&] { boot->Btn_UpdateClick(); });
    const int first = boot->exec();
    QTRY_VERIFY(secondResult != -1);
    QTest::qWait(600); // past the abandoned echo's time-out
    s.f.settle();

    if (!s.noSocket().isEmpty())
        QSKIP(qPrintable(s.noSocket()));
    QVERIFY(waiting);
    QVERIFY(hiddenAtOnce);
    QVERIFY(endedAtOnce);
    QCOMPARE(first, int(QDialog::Rejected));
    QVERIFY(secondShown);
    QCOMPARE(secondResult, int(QDialog::Rejected));
    QCOMPARE(s.counting.calls, 1);
    QCOMPARE(s.f.boot->ping_res, 0);
    QVERIFY(s.f.messages.log.isEmpty());
    QVERIFY(!QFileInfo::exists(s.f.jobPath()));
    QVERIFY(s.f.recording.calls.isEmpty());
    QVERIFY(!s.f.box(1)->isReadOnly());
    QVERIFY(s.f.child<QPushButton>("Btn_Update")->isEnabled());
}

// The client itself: an echo cancelled right after its start never reports,
// even when its reply is already on the way (loopback answers at once) or
// its name is still being looked up; the client then serves the next echo.
void TestBoot::cancelledEchoNeverReports_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<bool>("silent"); // in a namespace of the test's own
    QTest::newRow("reply on its way") << "127.0.0.1" << false;
    QTest::newRow("name being looked up") << "localhost" << true;
}

void TestBoot::cancelledEchoNeverReports()
{
    QFETCH(QString, host);
    QFETCH(bool, silent);
    std::unique_ptr<kvtest::SilentLoopback> net;
    if (silent) {
        net = std::make_unique<kvtest::SilentLoopback>();
        if (!net->skip.isEmpty())
            QSKIP(qPrintable(net->skip));
    }
    kv::IcmpEchoClient client;
    QString error;
    if (kvtest::echoOnce(client, QStringLiteral("127.0.0.1"), 400, &error) == Result::Error)
        QSKIP(qPrintable(QStringLiteral("this machine allows no ICMP socket to this user: ") + error));

    int reports = 0;
    client.start(host, 400, [&](Result, const QString&) { ++reports; });
    client.cancel();
    QTest::qWait(600);
    QCOMPARE(reports, 0);
    // A start while an echo waits replaces it: one report, the second's.
    QList<QString> hosts;
    client.start(host, 400, [&](Result, const QString&) { hosts << QStringLiteral("first"); });
    client.start(QStringLiteral("127.0.0.1"), 400, [&](Result, const QString&) { hosts << QStringLiteral("second"); });
    QTRY_VERIFY(!hosts.isEmpty());
    QTest::qWait(600);
    QCOMPARE(hosts, QList<QString>{QStringLiteral("second")});
}

void TestBoot::hostNamesResolveInTheEventLoop_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("errorStart"); // empty: no error
    // localhost is the silent 127.0.0.1 of the test's namespace.
    QTest::newRow("localhost") << "localhost" << int(Result::Timeout) << "";
    // .invalid names resolve nowhere: nothing is sent.
    QTest::newRow("unresolvable") << "device.invalid" << int(Result::Error) << "device.invalid: ";
}

// The name is looked up in the background: start returns at once, and the
// outcome comes from the event loop, the name service's own reason with a
// name that does not resolve.
void TestBoot::hostNamesResolveInTheEventLoop()
{
    QFETCH(QString, host);
    QFETCH(int, result);
    QFETCH(QString, errorStart);

    kvtest::SilentLoopback net;
    if (!net.skip.isEmpty())
        QSKIP(qPrintable(net.skip));
    kv::IcmpEchoClient client;
    for (int round = 0; round < 2; ++round) { // the second time from the cache, for a found name
        bool reported = false, reportedInsideStart = false;
        Result r = Result::Reply;
        QString error;
        client.start(host, 400, [&](Result got, const QString& e) {
            reported = true;
            r = got;
            error = e;
        });
        reportedInsideStart = reported;
        QTRY_VERIFY_WITH_TIMEOUT(reported, 5000);
        if (error.startsWith(QLatin1String("No ICMP socket")))
            QSKIP(qPrintable(QStringLiteral("this machine allows no ICMP socket to this user: ") + error));
        QVERIFY(!reportedInsideStart);
        QCOMPARE(int(r), result);
        if (errorStart.isEmpty()) {
            QVERIFY2(error.isEmpty(), qPrintable(error));
        } else {
            QVERIFY2(error.startsWith(errorStart), qPrintable(error));
            QVERIFY2(error.size() > errorStart.size() && !error.contains(QLatin1String("no answer")),
                     qPrintable(error)); // the name service's own reason
        }
        QCoreApplication::processEvents();
    }
}

// The helper under the Windows echo: the blocking call runs on its thread
// while events flow, `then` runs on the caller's thread, and a call whose
// owner is gone finishes on its thread without handing anything back.
void TestBoot::threadedCallHandsBackToTheEventLoop_data()
{
    QTest::addColumn<bool>("ownerGone");
    QTest::newRow("owner waits") << false;
    QTest::newRow("owner gone first") << true;
}

void TestBoot::threadedCallHandsBackToTheEventLoop()
{
    QFETCH(bool, ownerGone);
    auto go = std::make_shared<QSemaphore>();
    auto ended = std::make_shared<QSemaphore>();
    auto written = std::make_shared<int>(0);
    bool thenRan = false;
    QThread* thenThread = nullptr;
    auto call = std::make_unique<kv::ThreadedCall>(
        [go, ended, written] {
            go->acquire();
            *written = 1;
            ended->release();
        },
        [&] {
            thenRan = true;
            thenThread = QThread::currentThread();
        });
    bool queuedRan = false;
    QTimer::singleShot(0, [&] { queuedRan = true; });
    QTRY_VERIFY(queuedRan); // events flow while the call blocks
    QVERIFY(!thenRan);
    if (ownerGone)
        call.reset();
    go->release();
    QVERIFY(ended->tryAcquire(1, 10000));
    QCOMPARE(*written, 1);
    QTest::qWait(50); // whatever the thread handed back is delivered
    QCOMPARE(thenRan, !ownerGone);
    if (!ownerGone)
        QCOMPARE(thenThread, QThread::currentThread());
}

QTEST_MAIN(TestBoot)
#include "test_boot.moc"
