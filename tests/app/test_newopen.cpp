#include <QtTest>

#include "AppFixture.h"
#include "app/UNew_Project.h"
#include "app/UOpenConf.h"
#include "app/UTessaraneFirmWare.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

class TestNewOpen : public QObject {
    Q_OBJECT
private slots:
    void newConfiguration_data();
    void newConfiguration();
    void openListsOnlyVisibleDirectories();
    void openPreselection_data();
    void openPreselection();
    void openEmptyListLeavesNothingOpen();
    void openWithEnter_data();
    void openWithEnter();
    void mainWindowCreatesThenReopens();
};

void TestNewOpen::newConfiguration_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message"); // empty: created
    QTest::newRow("empty") << "" << "Error! Name Project is not valid";
    QTest::newRow("existing") << "Plant" << "Error! Name project is not valid because directory already exists";
    QTest::newRow("a file of that name") << "notes.txt" << "Error! Name project is not valid";
    QTest::newRow("slash") << "a/b" << "Error! Name project is not valid";
    QTest::newRow("slash to existing") << "Plant/sub" << "Error! Name project is not valid";
    QTest::newRow("backslash") << "a\\b" << "Error! Name project is not valid";
    QTest::newRow("dot") << "." << "Error! Name project is not valid";
    QTest::newRow("dot dot") << ".." << "Error! Name project is not valid";
    QTest::newRow("escaping") << "../outside" << "Error! Name project is not valid";
    QTest::newRow("valid") << "Line 4" << "";
    QTest::newRow("blanks kept") << " Line 5 " << "";
    QTest::newRow("dots inside") << "v1.2" << "";
}

void TestNewOpen::newConfiguration()
{
    QFETCH(QString, name);
    QFETCH(QString, message);
    AppFixture fx;
    fx.state->CreateWorkspace();
    QVERIFY(QDir().mkpath(fx.path(QStringLiteral("PROJECTS/Plant"))));
    QFile file(fx.path(QStringLiteral("PROJECTS/notes.txt")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    const QStringList before = QDir(fx.path(QStringLiteral("PROJECTS"))).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

    TFNew_Project dlg(*fx.state, fx.services);
    dlg.findChild<QLineEdit*>(QStringLiteral("E_New_Proj"))->setText(name);
    dlg.Btn_OKClick();

    if (message.isEmpty()) {
        QVERIFY(fx.messages.log.isEmpty());
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QVERIFY(QDir(fx.path(QStringLiteral("PROJECTS/") + name + QStringLiteral("/bin"))).exists());
        QCOMPARE(fx.state->Settings.ActiveProjectName, name);
        QCOMPARE(fx.state->ActiveProjectDir, fx.path(QStringLiteral("PROJECTS/") + name));
        QCOMPARE(fx.state->SnmpManagerPath, fx.state->ActiveProjectDir + QStringLiteral("/SNMP_Manager.xml"));
    } else {
        QCOMPARE(fx.messages.texts(), QStringList{message});
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QVERIFY(!fx.state->HasOpenProject());
        QCOMPARE(QDir(fx.path(QStringLiteral("PROJECTS"))).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
        QVERIFY(!QDir(fx.path(QStringLiteral("outside"))).exists());
    }
}

void TestNewOpen::openListsOnlyVisibleDirectories()
{
    AppFixture fx;
    for (const char* d : {"beta", "Alpha", ".hidden", "gamma", "_x"})
        QVERIFY(QDir().mkpath(fx.path(QStringLiteral("PROJECTS/") + QLatin1String(d))));
    QFile f(fx.path(QStringLiteral("PROJECTS/afile")));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    TFOpenConf dlg(*fx.state, fx.services);
    dlg.show();
    auto* list = dlg.findChild<QListWidget*>(QStringLiteral("ListBox1"));
    QStringList shown;
    for (int i = 0; i < list->count(); ++i)
        shown << list->item(i)->text();
    QCOMPARE(shown, (QStringList{QStringLiteral("_x"), QStringLiteral("Alpha"), QStringLiteral("beta"), QStringLiteral("gamma")}));
}

void TestNewOpen::openPreselection_data()
{
    QTest::addColumn<QString>("open");     // open configuration's directory name, "" for none
    QTest::addColumn<QString>("expected"); // Name_Conf after showing
    QTest::addColumn<QString>("also");     // one more directory beside beta and Alpha
    QTest::newRow("none open: first entry") << "" << "Alpha" << "";
    QTest::newRow("same name") << "beta" << "beta" << "";
    QTest::newRow("other letter case") << "BETA" << "beta" << "";
    QTest::newRow("not listed: first entry") << "zeta" << "Alpha" << "";
    QTest::newRow("exact name before other case") << "alpha" << "alpha" << "alpha";
    QTest::newRow("exact name, other listed too") << "Alpha" << "Alpha" << "alpha";
}

void TestNewOpen::openPreselection()
{
    QFETCH(QString, open);
    QFETCH(QString, expected);
    QFETCH(QString, also);
#ifdef Q_OS_WIN
    if (!also.isEmpty() && also.compare(QLatin1String("Alpha"), Qt::CaseInsensitive) == 0)
        QSKIP("a Windows folder cannot hold two names that differ only in letter case");
#endif
    AppFixture fx;
    for (const char* d : {"beta", "Alpha"})
        QVERIFY(QDir().mkpath(fx.path(QStringLiteral("PROJECTS/") + QLatin1String(d))));
    if (!also.isEmpty())
        QVERIFY(QDir().mkpath(fx.path(QStringLiteral("PROJECTS/") + also)));
    fx.state->OpenProject(open);
    TFOpenConf dlg(*fx.state, fx.services);
    dlg.show();
    QCOMPARE(dlg.Name_Conf(), expected);
    auto* list = dlg.findChild<QListWidget*>(QStringLiteral("ListBox1"));
    QCOMPARE(list->currentItem()->text(), expected);
    // A click picks another entry.
    QListWidgetItem* other = list->item(list->item(0)->text() == expected ? 1 : 0);
    list->setCurrentItem(other);
    QCOMPARE(dlg.Name_Conf(), other->text());
}

void TestNewOpen::openEmptyListLeavesNothingOpen()
{
    AppFixture fx;
    TFTessaraneFirmWare w(*fx.state, fx.services);
    QTimer::singleShot(0, [] {
        auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        QVERIFY(d);
        QCOMPARE(d->findChild<QListWidget*>(QStringLiteral("ListBox1"))->count(), 0);
        d->findChild<QPushButton*>(QStringLiteral("Btn_OK"))->click();
    });
    w.Open_Project();
    QVERIFY(!fx.state->HasOpenProject());
    QCOMPARE(fx.state->Settings.ActiveProjectName, QString());
    QCOMPARE(w.findChild<QLabel*>(QStringLiteral("L_Name_Conf"))->text(), fx.state->Text(9));
    w.findChild<QPushButton*>(QStringLiteral("Btn_SNMP_Manager_Access"))->click();
    QCOMPARE(fx.messages.texts(), QStringList{QStringLiteral("Error! Project not Valid")});
}

void TestNewOpen::openWithEnter_data()
{
    QTest::addColumn<QString>("focus"); // the widget Enter is pressed in
    QTest::addColumn<int>("result");
    QTest::newRow("on the list") << QStringLiteral("ListBox1") << int(QDialog::Accepted);
    QTest::newRow("on OK") << QStringLiteral("Btn_OK") << int(QDialog::Accepted);
    QTest::newRow("on Cancel") << QStringLiteral("Btn_Cancel") << int(QDialog::Rejected);
}

void TestNewOpen::openWithEnter()
{
    QFETCH(QString, focus);
    QFETCH(int, result);
    AppFixture fx;
    for (const char* d : {"Alpha", "beta"})
        QVERIFY(QDir().mkpath(fx.path(QStringLiteral("PROJECTS/") + QLatin1String(d))));
    TFOpenConf dlg(*fx.state, fx.services);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
    auto* list = dlg.findChild<QListWidget*>(QStringLiteral("ListBox1"));
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down); // the second entry, as a user picks it
    auto* target = dlg.findChild<QWidget*>(focus);
    target->setFocus();
    QTest::keyClick(target, Qt::Key_Return);
    QTest::qWait(20);
    QVERIFY(!dlg.isVisible());
    QCOMPARE(dlg.result(), result);
    QCOMPARE(dlg.Name_Conf(), QStringLiteral("beta"));
}

void TestNewOpen::mainWindowCreatesThenReopens()
{
    AppFixture fx;
    {
        TFTessaraneFirmWare w(*fx.state, fx.services);
        QTimer::singleShot(0, [] {
            auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            QVERIFY(d);
            auto* edit = d->findChild<QLineEdit*>(QStringLiteral("E_New_Proj"));
            QTest::keyClicks(edit, QStringLiteral("Pump Station"));
            QTest::keyClick(edit, Qt::Key_Return);
        });
        w.Create_New_Project();
        QCOMPARE(w.findChild<QLabel*>(QStringLiteral("L_Name_Conf"))->text(), QStringLiteral("Opened Configuration of the Converter : "));
        QCOMPARE(w.findChild<QLabel*>(QStringLiteral("L_Name_Conf_L2"))->text(), QStringLiteral("Pump Station"));
        w.close();
    }
    // The next start opens it again.
    kv::AppState again(fx.dir.path());
    TFTessaraneFirmWare w2(again, fx.services);
    QCOMPARE(again.ActiveProjectDir, fx.path(QStringLiteral("PROJECTS/Pump Station")));
    QVERIFY(fx.messages.log.isEmpty());
}

QTEST_MAIN(TestNewOpen)
#include "test_newopen.moc"
