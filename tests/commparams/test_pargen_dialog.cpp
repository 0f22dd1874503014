#include <QtTest>

#include "TestFiles.h"
#include "commparams/UParGen.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <memory>

namespace {

QStringList L(std::initializer_list<const char*> items)
{
    QStringList list;
    for (const char* s : items)
        list << QString::fromLatin1(s);
    return list;
}

// A workspace with one open configuration and the dialog over it.
struct Fixture {
    QTemporaryDir tmp;
    kv::AppState state{tmp.path()};
    kv::ScriptedMessageService messages;
    kv::UiServices services;
    std::unique_ptr<TFParGen> dlg;

    Fixture()
    {
        state.CreateWorkspace();
        QDir(state.ProjectsDir).mkdir(QStringLiteral("P"));
        state.OpenProject(QStringLiteral("P"));
        services.messages = &messages;
        dlg = std::make_unique<TFParGen>(state, services);
    }
    template <class T = QLineEdit>
    T* w(const QString& name) const
    {
        T* c = dlg->findChild<T*>(name);
        if (!c)
            qWarning("no control %s", qPrintable(name));
        return c;
    }
    void writeParGen(const QByteArray& bytes) const
    {
        QFile f(state.ParGenPath);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            qFatal("cannot write the test document");
    }
    bool showActive() const
    {
        dlg->show();
        QApplication::setActiveWindow(dlg.get());
        return QTest::qWaitForWindowActive(dlg.get());
    }
    // Types into whatever control has the focus, one key at a time.
    void type(const QString& text) const
    {
        for (QChar c : text)
            QTest::keyClick(dlg->focusWidget(), c.toLatin1());
    }
};

} // namespace

class TestParGenDialog : public QObject {
    Q_OBJECT
private slots:
    void layout_data();
    void layout();
    void collapse_data();
    void collapse();
    void hopping_data();
    void hopping();
    void tabOrder();
    void showFillsFromFile();
    void stationNames();
    void onlyNewLettersLowerCased_data();
    void onlyNewLettersLowerCased();
    void cancel_data();
    void cancel();
    void cancelAnsweredNo();
    void okWritesEveryField();
    void okRefusedByCheck();
    void maskMarker_data();
    void maskMarker();
    void malformedFileNotOpened();
    void titleBarKeptOnScreen();
};

void TestParGenDialog::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("rect"); // height 0: not checked

    const auto row = [](const char* n, int x, int y, int wd, int h) {
        QTest::newRow(n) << QString::fromLatin1(n) << QRect(x, y, wd, h);
    };
    row("GB_SNMP_Manager", 8, 70, 296, 244);
    row("E_IP1_SNMP_Manager", 16, 43, 60, 21);
    row("E_IP4_SNMP_Manager", 214, 43, 60, 21);
    row("E_SM2_SNMP_Manager", 82, 98, 60, 21);
    row("CB_SNMP_Manager_En_GAT", 16, 134, 257, 0);
    row("E_GAT3_SNMP_Manager", 148, 154, 60, 21);
    row("L_SNMP_Manager_Name_Station", 16, 191, 0, 0);
    row("E_SNMP_Manager_Name_Station", 16, 208, 258, 21);
    row("Btn_SNMP_Manager_Collapse", 280, 10, 11, 11);
    row("Btn_SNMP_Manager_Expande", 280, 10, 11, 11);
    row("GB_PROFINET", 8, 320, 296, 346);
    row("E_PROFINET_IP3", 148, 43, 60, 21);
    row("E_PROFINET_SM1", 16, 98, 60, 21);
    row("CB_PROFINET_Gat_En", 16, 134, 257, 0);
    row("E_PROFINET_GAT4", 214, 154, 60, 21);
    row("E_PROFINET_Port", 82, 188, 192, 21);
    row("L_PROFINET_Name_Station", 16, 223, 0, 0);
    row("E_PROFINET_Name_Station", 16, 242, 258, 21);
    row("L_PROFINET_Byte_IN", 16, 279, 0, 0);
    row("E_NB_IN_PROFINET", 148, 276, 126, 21);
    row("E_NB_OUT_PROFINET", 148, 310, 126, 21);
    row("Btn_PROFINET_Collapse", 280, 10, 11, 11);
    row("Btn_OK", 71, 679, 112, 28);
    row("Btn_Cancel", 192, 679, 112, 28);
}

void TestParGenDialog::layout()
{
    QFETCH(QString, name);
    QFETCH(QRect, rect);
    Fixture f;
    QVERIFY(f.showActive());
    QCOMPARE(f.dlg->size(), QSize(312, 720));
    QWidget* c = f.w<QWidget>(name);
    QVERIFY(c);
    QCOMPARE(c->pos(), rect.topLeft());
    if (rect.width() > 0)
        QCOMPARE(c->width(), rect.width());
    if (rect.height() > 0)
        QCOMPARE(c->height(), rect.height());
}

void TestParGenDialog::collapse_data()
{
    QTest::addColumn<bool>("snmp");     // collapse the SNMP Manager group
    QTest::addColumn<bool>("profinet"); // collapse the PROFINET group
    QTest::addColumn<int>("profinetTop");
    QTest::addColumn<int>("buttonsTop");
    QTest::addColumn<int>("height");

    QTest::newRow("SNMP Manager") << true << false << 102 << 461 << 502;
    QTest::newRow("PROFINET") << false << true << 320 << 359 << 400;
    QTest::newRow("both") << true << true << 102 << 141 << 182;
}

void TestParGenDialog::collapse()
{
    QFETCH(bool, snmp);
    QFETCH(bool, profinet);
    QFETCH(int, profinetTop);
    QFETCH(int, buttonsTop);
    QFETCH(int, height);
    Fixture f;
    QVERIFY(f.showActive());
    if (snmp)
        QTest::mouseClick(f.w<QPushButton>(QStringLiteral("Btn_SNMP_Manager_Collapse")), Qt::LeftButton);
    if (profinet)
        QTest::mouseClick(f.w<QPushButton>(QStringLiteral("Btn_PROFINET_Collapse")), Qt::LeftButton);

    const auto verifyCollapsed = [&] {
        QCOMPARE(f.dlg->size(), QSize(312, height));
        QCOMPARE(f.w<QGroupBox>(QStringLiteral("GB_SNMP_Manager"))->height(), snmp ? 26 : 244);
        QCOMPARE(f.w<QGroupBox>(QStringLiteral("GB_PROFINET"))->geometry(),
                 QRect(8, profinetTop, 296, profinet ? 26 : 346));
        QCOMPARE(f.w<QPushButton>(QStringLiteral("Btn_OK"))->y(), buttonsTop);
        QCOMPARE(f.w<QPushButton>(QStringLiteral("Btn_Cancel"))->y(), buttonsTop);
        QCOMPARE(f.w<QLabel>(QStringLiteral("L_SNMP_Manager_IP_Add"))->isVisible(), !snmp);
        QCOMPARE(f.w<QLabel>(QStringLiteral("L_PROFINET_IP_Add"))->isVisible(), !profinet);
        QCOMPARE(f.w<QPushButton>(QStringLiteral("Btn_SNMP_Manager_Expande"))->isVisible(), snmp);
        QCOMPARE(f.w<QPushButton>(QStringLiteral("Btn_SNMP_Manager_Collapse"))->isVisible(), !snmp);
    };
    verifyCollapsed();

    // Kept between showings; the controls still hold and take their values.
    f.dlg->close();
    QVERIFY(f.showActive());
    verifyCollapsed();
    QCOMPARE(f.dlg->focusWidget(), f.w(QStringLiteral("E_IP1_SNMP_Manager")));

    if (snmp)
        QTest::mouseClick(f.w<QPushButton>(QStringLiteral("Btn_SNMP_Manager_Expande")), Qt::LeftButton);
    if (profinet)
        QTest::mouseClick(f.w<QPushButton>(QStringLiteral("Btn_PROFINET_Expande")), Qt::LeftButton);
    QCOMPARE(f.dlg->size(), QSize(312, 720));
    QCOMPARE(f.w<QGroupBox>(QStringLiteral("GB_SNMP_Manager"))->height(), 244);
    QCOMPARE(f.w<QGroupBox>(QStringLiteral("GB_PROFINET"))->geometry(), QRect(8, 320, 296, 346));
    QCOMPARE(f.w<QPushButton>(QStringLiteral("Btn_OK"))->y(), 679);
    QVERIFY(f.w<QLabel>(QStringLiteral("L_SNMP_Manager_IP_Add"))->isVisible());
}

void TestParGenDialog::hopping_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("disabled");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("expected"); // name=text, the last one keeps the focus

    QTest::newRow("whole address")
        << "E_IP1_SNMP_Manager" << QString() << "192.168.0.7"
        << L({"E_IP1_SNMP_Manager=192", "E_IP2_SNMP_Manager=168", "E_IP3_SNMP_Manager=0",
                       "E_IP4_SNMP_Manager=7"});
    QTest::newRow("mask leads to gateway, last gateway octet keeps the focus")
        << "E_IP4_SNMP_Manager" << QString() << "4.1.2.3.4.5.6.7.8.9"
        << L({"E_IP4_SNMP_Manager=4",  "E_SM1_SNMP_Manager=1",  "E_SM2_SNMP_Manager=2",
                       "E_SM3_SNMP_Manager=3",  "E_SM4_SNMP_Manager=4",  "E_GAT1_SNMP_Manager=5",
                       "E_GAT2_SNMP_Manager=6", "E_GAT3_SNMP_Manager=7", "E_GAT4_SNMP_Manager=89"});
    QTest::newRow("PROFINET group stays in its group")
        << "E_PROFINET_SM4" << QString() << "0.10.20.30.40.."
        << L({"E_PROFINET_SM4=0",   "E_PROFINET_GAT1=10", "E_PROFINET_GAT2=20", "E_PROFINET_GAT3=30",
                       "E_PROFINET_GAT4=40"});
    QTest::newRow("target that cannot take the focus")
        << "E_PROFINET_IP1" << "E_PROFINET_IP2" << "1.2"
        << L({"E_PROFINET_IP2=168", "E_PROFINET_IP1=12"});
}

void TestParGenDialog::hopping()
{
    QFETCH(QString, start);
    QFETCH(QString, disabled);
    QFETCH(QString, typed);
    QFETCH(QStringList, expected);
    Fixture f;
    QVERIFY(f.showActive());
    if (!disabled.isEmpty())
        f.w(disabled)->setEnabled(false);
    QLineEdit* first = f.w(start);
    first->setFocus();
    first->selectAll();
    f.type(typed);
    for (const QString& e : expected) {
        const QStringList nv = e.split(QLatin1Char('='));
        QCOMPARE(f.w(nv[0])->text(), nv[1]);
    }
    QCOMPARE(f.dlg->focusWidget()->objectName(), expected.last().section(QLatin1Char('='), 0, 0));
}

void TestParGenDialog::tabOrder()
{
    Fixture f;
    QVERIFY(f.showActive());
    const QStringList expected = L({
        "E_IP1_SNMP_Manager", "E_IP2_SNMP_Manager", "E_IP3_SNMP_Manager", "E_IP4_SNMP_Manager",
        "E_SM1_SNMP_Manager", "E_SM2_SNMP_Manager", "E_SM3_SNMP_Manager", "E_SM4_SNMP_Manager",
        "CB_SNMP_Manager_En_GAT", "E_GAT1_SNMP_Manager", "E_GAT2_SNMP_Manager", "E_GAT3_SNMP_Manager",
        "E_GAT4_SNMP_Manager", "E_SNMP_Manager_Name_Station", "E_PROFINET_IP1", "E_PROFINET_IP2", "E_PROFINET_IP3",
        "E_PROFINET_IP4", "E_PROFINET_SM1", "E_PROFINET_SM2", "E_PROFINET_SM3", "E_PROFINET_SM4", "E_PROFINET_GAT1",
        "E_PROFINET_GAT2", "E_PROFINET_GAT3", "E_PROFINET_GAT4", "CB_PROFINET_Gat_En",
        // the port edit cannot take the focus
        "E_PROFINET_Name_Station", "E_NB_IN_PROFINET", "E_NB_OUT_PROFINET", "Btn_OK", "Btn_Cancel"});
    QStringList seen{f.dlg->focusWidget()->objectName()};
    for (int i = 1; i < expected.size(); ++i) {
        QTest::keyClick(f.dlg->focusWidget(), Qt::Key_Tab);
        seen << f.dlg->focusWidget()->objectName();
    }
    QCOMPARE(seen, expected);
}

void TestParGenDialog::showFillsFromFile()
{
    Fixture f;
    f.writeParGen("<Par_Gen><SNMP_Manager_IP4>010</SNMP_Manager_IP4><PROFINET_EN_GAT>1</PROFINET_EN_GAT>"
                  "<PROFINET_PORT>102</PROFINET_PORT><PROFINET_NB_IN>16</PROFINET_NB_IN></Par_Gen>");
    QVERIFY(f.showActive());
    QCOMPARE(f.w(QStringLiteral("E_IP4_SNMP_Manager"))->text(), QStringLiteral("010"));
    QCOMPARE(f.w(QStringLiteral("E_PROFINET_IP4"))->text(), QStringLiteral("5"));
    QCOMPARE(f.w(QStringLiteral("E_NB_IN_PROFINET"))->text(), QStringLiteral("16"));
    QCOMPARE(f.w(QStringLiteral("E_NB_OUT_PROFINET"))->text(), QStringLiteral("1439"));
    QVERIFY(f.w<QCheckBox>(QStringLiteral("CB_PROFINET_Gat_En"))->isChecked());
    QVERIFY(!f.w<QCheckBox>(QStringLiteral("CB_SNMP_Manager_En_GAT"))->isChecked());
    QLineEdit* port = f.w(QStringLiteral("E_PROFINET_Port"));
    QCOMPARE(port->text(), QStringLiteral("34964"));
    QVERIFY(!port->isEnabled() && port->isReadOnly());
    QVERIFY(!f.dlg->IsChanged());
    QCOMPARE(f.dlg->focusWidget(), f.w(QStringLiteral("E_IP1_SNMP_Manager")));
    QCOMPARE(f.dlg->windowTitle(), QStringLiteral("Set Communication"));
    QCOMPARE(f.w<QGroupBox>(QStringLiteral("GB_SNMP_Manager"))->title(), QStringLiteral(" SNMP Manager "));

    // Every showing reads the file again: nothing of the last showing stays.
    f.w(QStringLiteral("E_NB_IN_PROFINET"))->setText(QStringLiteral("99"));
    f.dlg->close();
    QFile::remove(f.state.ParGenPath);
    QVERIFY(f.showActive());
    QCOMPARE(f.w(QStringLiteral("E_NB_IN_PROFINET"))->text(), QStringLiteral("1439"));
    QCOMPARE(f.w(QStringLiteral("E_IP4_SNMP_Manager"))->text(), QStringLiteral("10"));
    QVERIFY(!f.w<QCheckBox>(QStringLiteral("CB_PROFINET_Gat_En"))->isChecked());
}

void TestParGenDialog::stationNames()
{
    Fixture f;
    QVERIFY(f.showActive());
    QLineEdit* snmp = f.w(QStringLiteral("E_SNMP_Manager_Name_Station"));
    QLineEdit* pn = f.w(QStringLiteral("E_PROFINET_Name_Station"));
    // Typing stops at 15 characters.
    for (QLineEdit* e : {snmp, pn}) {
        e->setFocus();
        e->clear();
        f.type(QStringLiteral("abcdefghijklmnopqrst"));
        QCOMPARE(e->text(), QStringLiteral("abcdefghijklmno"));
    }
    // Letters typed into the PROFINET name become lower case, elsewhere not.
    pn->setFocus();
    pn->clear();
    f.type(QStringLiteral("Dev-A1"));
    QCOMPARE(pn->text(), QStringLiteral("dev-a1"));
    snmp->setFocus();
    snmp->clear();
    f.type(QStringLiteral("Dev-A1"));
    QCOMPARE(snmp->text(), QStringLiteral("Dev-A1"));
    f.dlg->close();

    // Longer or upper-case names from the file are shown and written back whole.
    const QByteArray names("<Par_Gen><SNMP_Name_of_Station>a-name-of-20-chars-x</SNMP_Name_of_Station>"
                           "<PROFINET_NAME_STA>Upper-Case-Station-Name</PROFINET_NAME_STA></Par_Gen>");
    f.writeParGen(names);
    QVERIFY(f.showActive());
    QCOMPARE(snmp->text(), QStringLiteral("a-name-of-20-chars-x"));
    QCOMPARE(pn->text(), QStringLiteral("Upper-Case-Station-Name"));
    QTest::mouseClick(f.w<QPushButton>(QStringLiteral("Btn_OK")), Qt::LeftButton);
    QVERIFY(!f.dlg->isVisible());
    const QByteArray written = readAll(f.state.ParGenPath);
    QVERIFY(written.contains("<SNMP_Name_of_Station>a-name-of-20-chars-x</SNMP_Name_of_Station>"));
    QVERIFY(written.contains("<PROFINET_NAME_STA>Upper-Case-Station-Name</PROFINET_NAME_STA>"));
}

void TestParGenDialog::onlyNewLettersLowerCased_data()
{
    QTest::addColumn<QString>("loaded");
    QTest::addColumn<int>("cursor"); // -1: the whole text selected
    QTest::addColumn<QString>("pasted"); // put in with Ctrl+V before typing
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("result");
    QTest::newRow("letter at the end") << "ABCdef" << 6 << "" << "G" << "ABCdefg";
    QTest::newRow("letter at the start") << "ABCdef" << 0 << "" << "X" << "xABCdef";
    QTest::newRow("same letter beside itself") << "AB" << 1 << "" << "B" << "AbB";
    QTest::newRow("backspace changes no letter") << "ABCdef" << 6 << "" << "\b" << "ABCde";
    QTest::newRow("typed over the whole name") << "ABCdef" << -1 << "" << "Dev-1" << "dev-1";
    QTest::newRow("pasted") << "ABCdef" << 3 << "XY" << "" << "ABCxydef";
}

void TestParGenDialog::onlyNewLettersLowerCased()
{
    QFETCH(QString, loaded);
    QFETCH(int, cursor);
    QFETCH(QString, pasted);
    QFETCH(QString, typed);
    QFETCH(QString, result);
    Fixture f;
    f.writeParGen("<Par_Gen><PROFINET_NAME_STA>" + loaded.toUtf8() + "</PROFINET_NAME_STA></Par_Gen>");
    QVERIFY(f.showActive());
    QLineEdit* pn = f.w(QStringLiteral("E_PROFINET_Name_Station"));
    pn->setFocus();
    if (cursor < 0)
        pn->selectAll();
    else
        pn->setCursorPosition(cursor);
    if (!pasted.isEmpty()) {
        QGuiApplication::clipboard()->setText(pasted);
        QTest::keyClick(pn, Qt::Key_V, Qt::ControlModifier);
    }
    for (QChar c : typed) {
        if (c == QLatin1Char('\b'))
            QTest::keyClick(pn, Qt::Key_Backspace);
        else
            QTest::keyClick(pn, c.toLatin1());
    }
    QCoreApplication::processEvents();
    QCOMPARE(pn->text(), result);
    QTest::mouseClick(f.w<QPushButton>(QStringLiteral("Btn_OK")), Qt::LeftButton);
    QVERIFY(readAll(f.state.ParGenPath).contains("<PROFINET_NAME_STA>" + result.toUtf8() + "</PROFINET_NAME_STA>"));
}

void TestParGenDialog::cancel_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("asks");

    QTest::newRow("untouched") << "none" << false;
    QTest::newRow("typed and deleted") << "type" << true;
    QTest::newRow("gateway ticked and unticked") << "tick" << true;
    QTest::newRow("collapse is no change") << "collapse" << false;
    QTest::newRow("close box after a change") << "close" << false;
}

void TestParGenDialog::cancel()
{
    QFETCH(QString, action);
    QFETCH(bool, asks);
    Fixture f;
    QVERIFY(f.showActive());
    f.messages.answers = {true};
    if (action == QLatin1String("type") || action == QLatin1String("close")) {
        QLineEdit* e = f.w(QStringLiteral("E_NB_OUT_PROFINET"));
        e->setFocus();
        e->end(false);
        QTest::keyClick(e, '5');
        QTest::keyClick(e, Qt::Key_Backspace);
        QCOMPARE(e->text(), QStringLiteral("1439"));
    } else if (action == QLatin1String("tick")) {
        QCheckBox* cb = f.w<QCheckBox>(QStringLiteral("CB_SNMP_Manager_En_GAT"));
        QTest::mouseClick(cb, Qt::LeftButton, {}, QPoint(6, cb->height() / 2));
        QTest::mouseClick(cb, Qt::LeftButton, {}, QPoint(6, cb->height() / 2));
        QVERIFY(!cb->isChecked());
    } else if (action == QLatin1String("collapse")) {
        QTest::mouseClick(f.w<QPushButton>(QStringLiteral("Btn_PROFINET_Collapse")), Qt::LeftButton);
    }

    if (action == QLatin1String("close"))
        f.dlg->close();
    else
        QTest::mouseClick(f.w<QPushButton>(QStringLiteral("Btn_Cancel")), Qt::LeftButton);

    QCOMPARE(f.messages.texts(),
             asks ? QStringList{QStringLiteral("Do you want to exit without saving changes?")} : QStringList());
    QVERIFY(!f.dlg->isVisible());
    QCOMPARE(f.dlg->result(), int(QDialog::Rejected));
    QVERIFY(!QFile::exists(f.state.ParGenPath));
}

void TestParGenDialog::cancelAnsweredNo()
{
    Fixture f;
    f.writeParGen("<Par_Gen/>");
    QVERIFY(f.showActive());
    QLineEdit* e = f.w(QStringLiteral("E_PROFINET_IP2"));
    e->setFocus();
    e->selectAll();
    f.type(QStringLiteral("77"));
    f.messages.answers = {false};
    QTest::keyClick(f.dlg->focusWidget(), Qt::Key_Escape); // Escape is Cancel, question included
    QCOMPARE(f.messages.log.size(), 1);
    QCOMPARE(f.messages.log[0].kind, QStringLiteral("question"));
    QVERIFY(f.messages.log[0].byDefault == kv::IMessageService::Default::No); // Enter keeps the changes
    QVERIFY(f.dlg->isVisible());
    QCOMPARE(e->text(), QStringLiteral("77"));
    QCOMPARE(readAll(f.state.ParGenPath), QByteArray("<Par_Gen/>"));
}

void TestParGenDialog::okWritesEveryField()
{
    Fixture f;
    QVERIFY(f.showActive());
    const QStringList values = L({
        "E_IP1_SNMP_Manager=11",    "E_IP2_SNMP_Manager=12",   "E_IP3_SNMP_Manager=13",  "E_IP4_SNMP_Manager=14",
        "E_SM1_SNMP_Manager=21",    "E_SM2_SNMP_Manager=22",   "E_SM3_SNMP_Manager=23",  "E_SM4_SNMP_Manager=24",
        "E_GAT1_SNMP_Manager=31",   "E_GAT2_SNMP_Manager=32",  "E_GAT3_SNMP_Manager=33", "E_GAT4_SNMP_Manager=34",
        "E_SNMP_Manager_Name_Station=Snmp&<St>",
        "E_PROFINET_IP1=041",       "E_PROFINET_IP2=42",       "E_PROFINET_IP3=43",      "E_PROFINET_IP4=44",
        "E_PROFINET_SM1=51",        "E_PROFINET_SM2=52",       "E_PROFINET_SM3=53",      "E_PROFINET_SM4=54",
        "E_PROFINET_GAT1=999",      "E_PROFINET_GAT2=62",      "E_PROFINET_GAT3=63",     "E_PROFINET_GAT4=64",
        "E_PROFINET_Name_Station=pn-station", "E_NB_IN_PROFINET=16", "E_NB_OUT_PROFINET=0x20"});
    for (const QString& v : values) {
        const int eq = v.indexOf(QLatin1Char('='));
        QLineEdit* e = f.w(v.left(eq));
        QVERIFY(e);
        e->setText(v.mid(eq + 1));
    }
    QCheckBox* cb = f.w<QCheckBox>(QStringLiteral("CB_SNMP_Manager_En_GAT"));
    QTest::mouseClick(cb, Qt::LeftButton, {}, QPoint(6, cb->height() / 2));
    QTest::mouseClick(f.w<QPushButton>(QStringLiteral("Btn_OK")), Qt::LeftButton);

    QCOMPARE(f.messages.texts(), QStringList());
    QVERIFY(!f.dlg->isVisible());
    QCOMPARE(f.dlg->result(), int(QDialog::Accepted));
    QCOMPARE(readAll(f.state.ParGenPath), readAll(QStringLiteral(KV_FIXTURES_DIR "/pargen_entries/ParGen.xml")));
}

void TestParGenDialog::okRefusedByCheck()
{
    Fixture f;
    f.writeParGen("<Par_Gen><PROFINET_NB_IN>8</PROFINET_NB_IN></Par_Gen>");
    const QByteArray before = readAll(f.state.ParGenPath);
    QVERIFY(f.showActive());
    QLineEdit* ip = f.w(QStringLiteral("E_PROFINET_IP3"));
    QLineEdit* out = f.w(QStringLiteral("E_NB_OUT_PROFINET"));
    ip->setText(QStringLiteral("7"));
    out->setText(QStringLiteral("1440"));
    QTest::mouseClick(f.w<QPushButton>(QStringLiteral("Btn_OK")), Qt::LeftButton);
    QCOMPARE(f.messages.texts(), QStringList{QStringLiteral("Error PROFINET!! Number Byte Output must be between 0 and 1439")});
    QVERIFY(f.dlg->isVisible());
    QCOMPARE(out->text(), QStringLiteral("1440"));
    QCOMPARE(ip->text(), QStringLiteral("7"));
    QCOMPARE(readAll(f.state.ParGenPath), before);

    // A write that fails is reported and keeps the dialog and its entries.
    out->setText(QStringLiteral("12"));
    QDir(f.state.ActiveProjectDir).removeRecursively();
    f.messages.log.clear();
    QTest::mouseClick(f.w<QPushButton>(QStringLiteral("Btn_OK")), Qt::LeftButton);
    QCOMPARE(f.messages.log.size(), 1);
    QCOMPARE(f.messages.log[0].kind, QStringLiteral("error"));
    QVERIFY(f.dlg->isVisible());
    QCOMPARE(out->text(), QStringLiteral("12"));
}

void TestParGenDialog::maskMarker_data()
{
    QTest::addColumn<QString>("side"); // "SNMP_Manager" or "PROFINET"
    QTest::addColumn<QString>("mask"); // typed as a user types it, dots hopping
    QTest::addColumn<bool>("marked");
    QTest::newRow("255.255.255.0") << "PROFINET" << "255.255.255.0" << false;
    QTest::newRow("255.255.0.255") << "PROFINET" << "255.255.0.255" << true;
    QTest::newRow("0.255.255.0") << "SNMP_Manager" << "0.255.255.0" << true;
    QTest::newRow("0.0.0.0") << "PROFINET" << "0.0.0.0" << false;
    QTest::newRow("255.255.255.255") << "SNMP_Manager" << "255.255.255.255" << false;
    QTest::newRow("an octet that is no number is the check's") << "PROFINET" << "255.x.0.255" << false;
}

// A mask whose one-bits are not contiguous from the left is pointed out
// beside its boxes; OK still saves it.
void TestParGenDialog::maskMarker()
{
    QFETCH(QString, side);
    QFETCH(QString, mask);
    QFETCH(bool, marked);
    Fixture f;
    QVERIFY(f.showActive());
    const bool snmp = side == QLatin1String("SNMP_Manager");
    QLineEdit* first = f.w(snmp ? QStringLiteral("E_SM1_SNMP_Manager") : QStringLiteral("E_PROFINET_SM1"));
    QLabel* marker = f.w<QLabel>(snmp ? QStringLiteral("L_SNMP_Manager_SM_Warning") : QStringLiteral("L_PROFINET_SM_Warning"));
    QLabel* other = f.w<QLabel>(snmp ? QStringLiteral("L_PROFINET_SM_Warning") : QStringLiteral("L_SNMP_Manager_SM_Warning"));
    QVERIFY(!marker->isVisible());
    first->setFocus();
    first->selectAll();
    f.type(mask);
    QCoreApplication::processEvents();
    QCOMPARE(marker->isVisible(), marked);
    QVERIFY(!other->isVisible());
    QCOMPARE(marker->toolTip(), marked ? f.state.Text(1185).arg(mask) : QString());
    // Beside the last box, inside the group.
    QLineEdit* last = f.w(snmp ? QStringLiteral("E_SM4_SNMP_Manager") : QStringLiteral("E_PROFINET_SM4"));
    QCOMPARE(marker->parentWidget(), last->parentWidget());
    QVERIFY(marker->geometry().left() > last->geometry().right());
    QVERIFY(marker->geometry().intersects(QRect(0, last->y(), 1000, last->height())));
    QVERIFY(marker->parentWidget()->rect().contains(marker->geometry()));

    if (!mask.contains(QLatin1Char('x'))) {
        QTest::mouseClick(f.w<QPushButton>(QStringLiteral("Btn_OK")), Qt::LeftButton);
        QCOMPARE(f.messages.texts(), QStringList());
        QCOMPARE(f.dlg->result(), int(QDialog::Accepted));
        const QByteArray key = snmp ? "SNMP_Manager_SM4" : "PROFINET_SM4";
        QVERIFY(readAll(f.state.ParGenPath).contains("<" + key + ">" + mask.section(QLatin1Char('.'), 3).toLatin1() + "</"));
    }
}

void TestParGenDialog::malformedFileNotOpened()
{
    Fixture f;
    const QByteArray broken("<Par_Gen>\n  <PROFINET_NB_IN>16</PROFINET_NB_IN>\n  <PROFINET_NB_OUT>8</Par_Gen>");
    f.writeParGen(broken);
    // A dialog that is never shown cannot be ended: should exec() wait for
    // it, fail loudly instead of hanging.
    QTimer guard;
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, this, [] { qFatal("exec() waits for a dialog that is not shown"); });
    guard.start(3000);
    QCOMPARE(f.dlg->exec(), int(QDialog::Rejected));
    QVERIFY(!f.dlg->isVisible());
    QCOMPARE(f.messages.log.size(), 1);
    QCOMPARE(f.messages.log[0].kind, QStringLiteral("error"));
    const QString text = f.messages.log[0].text;
    QVERIFY2(text.contains(QDir::toNativeSeparators(f.state.ParGenPath)) && text.contains(QStringLiteral("line 3")),
             qPrintable(text));
    QCOMPARE(readAll(f.state.ParGenPath), broken);

    // show() refuses the same way.
    f.dlg->show();
    QVERIFY(!f.dlg->isVisible());
    QCOMPARE(f.messages.log.size(), 2);
}

void TestParGenDialog::titleBarKeptOnScreen()
{
    Fixture f;
    QVERIFY(f.showActive());
    f.dlg->move(40, -30);
    f.dlg->FormActivate();
    QCOMPARE(f.dlg->frameGeometry().top(), 0);
    QCOMPARE(f.dlg->x(), 40);
}

QTEST_MAIN(TestParGenDialog)
#include "test_pargen_dialog.moc"
