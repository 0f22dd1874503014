#include <QtTest>

#include <QAction>
#include <QClipboard>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QUndoStack>

#include "TestFiles.h"
#include "common/UServices.h"
#include "requests/SnmpRequests.h"
#include "requests/SnmpTableModel.h"
#include "requests/SnmpTableText.h"
#include "requests/USNMPManagerAccess.h"
#include "state/AppState.h"

using kv::SnmpRequest;

namespace {

// Rows 1..count with distinct texts, check boxes and the hidden column set.
QByteArray tableFile(int count)
{
    QVector<SnmpRequest> t(kv::SnmpMaxRows, SnmpRequest::ResetRow());
    for (int i = 1; i <= count; ++i) {
        SnmpRequest& r = t[i - 1];
        r.IP_Address = QStringLiteral("10.0.0.%1").arg(i);
        r.Version = QStringLiteral("2");
        r.Community_String = QStringLiteral("Marble");
        r.OID = QStringLiteral("1.3.6.1.2.1.1.%1.0").arg(i);
        r.Type = QStringLiteral("Int");
        r.Mode = QStringLiteral("Get");
        r.On_Change = QStringLiteral("N");
        r.On_Command = QStringLiteral("Y");
        r.On_Timer = QStringLiteral("Y");
        r.Time = QStringLiteral("1000");
        r.Position = QString::number(i);
        r.Number_Bytes = QStringLiteral("4");
        r.ConvertFrom = QStringLiteral("None");
        r.Cancel = QStringLiteral("N");
        r.Mnemonic = QStringLiteral("m%1").arg(i);
    }
    return kv::SnmpRequestsXml(t);
}

} // namespace

// The request dialog shown on a temporary configuration, keys sent to the
// widget that has the focus, as a user's keys are.
struct SheetFixture {
    QTemporaryDir dir;
    kv::ScriptedMessageService messages;
    kv::ScriptedFileDialogs files;
    kv::UiServices services;
    kv::AppState state;
    TFSNMPManagerAccess dialog;
    QTableView* grid;
    kv::SnmpTableModel* model;

    SheetFixture()
        : state(dir.path())
        , dialog(state, (services.messages = &messages, services.files = &files, services))
    {
        QDir(dir.path()).mkpath(QStringLiteral("PROJECTS/P/bin"));
        state.OpenProject(QStringLiteral("P"));
        grid = dialog.findChild<QTableView*>(QStringLiteral("ACG_SNMP"));
        model = dialog.tableModel();
    }
    bool show(int rows)
    {
        writeFile(state.SnmpManagerPath, tableFile(rows));
        if (!dialog.FormShow())
            return false;
        dialog.show();
        dialog.activateWindow();
        return QTest::qWaitForWindowActive(&dialog);
    }
    void setCurrent(int row, int column) { grid->setCurrentIndex(model->index(row - 1, column)); }
    QString cell(int row, int column) const { return model->rows().at(row - 1).field(column); }
    void keys(QKeySequence seq)
    {
        QWidget* target = QApplication::focusWidget();
        QVERIFY(target);
        QTest::keySequence(target, seq);
        QTest::qWait(20);
    }
    void type(const QString& text)
    {
        for (QChar c : text) {
            QWidget* target = QApplication::focusWidget();
            QVERIFY(target);
            if (c == QLatin1Char('\n'))
                QTest::keyClick(target, Qt::Key_Return);
            else
                QTest::keyClick(target, c.toLatin1());
        }
        QTest::qWait(50);
    }
};

class TestSnmpSheet : public QObject {
    Q_OBJECT
private slots:
    void copyBlockToClipboard();
    void pasteBlockFromClipboard();
    void refusedPasteChangesNothing();
    void undoRedoAcrossEdits();
    void exportAndImport();
    void exportKeepsRowsAfterAGap();
    void importRefusedOrDeclined();
    void contextMenu();
    void keysAfterAButton_data();
    void keysAfterAButton();
};

void TestSnmpSheet::copyBlockToClipboard()
{
    SheetFixture f;
    QVERIFY(f.show(3));
    // Rows 2..3 from On_Change to Time: the hidden column is not copied,
    // check boxes go as Y and N.
    f.grid->selectionModel()->select(
        QItemSelection(f.model->index(1, kv::ColOnChange), f.model->index(2, kv::ColTime)),
        QItemSelectionModel::ClearAndSelect);
    f.keys(QKeySequence::Copy);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("N\tY\t1000\nN\tY\t1000\n"));

    // A whole row, as a click on its number selects it.
    f.grid->selectRow(0);
    f.keys(QKeySequence::Copy);
    QCOMPARE(QGuiApplication::clipboard()->text(),
             QStringLiteral("Y\t10.0.0.1\t2\tMarble\t1.3.6.1.2.1.1.1.0\tInt\tGet\tN\tY\t1000\t1\t4\tNone\tN\tm1\n"));
}

void TestSnmpSheet::pasteBlockFromClipboard()
{
    SheetFixture f;
    QVERIFY(f.show(2));
    // What a spreadsheet puts there: CR LF and a line end after the last row.
    QGuiApplication::clipboard()->setText(QStringLiteral("10.0.1.1\t1\tpublic\r\n10.0.1.2\t3\tprivate\r\n"));
    f.setCurrent(2, kv::ColIpAddress);
    f.keys(QKeySequence::Paste);
    QCOMPARE(f.cell(2, kv::ColIpAddress), QStringLiteral("10.0.1.1"));
    QCOMPARE(f.cell(2, kv::ColVersion), QStringLiteral("1"));
    QCOMPARE(f.cell(3, kv::ColCommunity), QStringLiteral("private"));
    QCOMPARE(f.cell(3, kv::ColEnable), QStringLiteral("Y"));
    QVERIFY(f.messages.log.isEmpty());
    // The block pasted is selected.
    QCOMPARE(f.grid->selectionModel()->selectedIndexes().size(), 6);

    // Over the hidden column: OnChange, OnTimer, Time; OnCMD keeps its value.
    QGuiApplication::clipboard()->setText(QStringLiteral("y\tn\t250"));
    f.setCurrent(1, kv::ColOnChange);
    f.keys(QKeySequence::Paste);
    QCOMPARE(f.cell(1, kv::ColOnChange), QStringLiteral("Y"));
    QCOMPARE(f.cell(1, kv::ColOnCommand), QStringLiteral("Y"));
    QCOMPARE(f.cell(1, kv::ColOnTimer), QStringLiteral("N"));
    QCOMPARE(f.cell(1, kv::ColTime), QStringLiteral("250"));

    // While a cell is being edited, the editor takes the keys.
    QGuiApplication::clipboard()->setText(QStringLiteral("pasted"));
    f.setCurrent(1, kv::ColMnemonic);
    f.type(QStringLiteral("ab"));
    f.keys(QKeySequence::Paste);
    f.type(QStringLiteral("\n"));
    QCOMPARE(f.cell(1, kv::ColMnemonic), QStringLiteral("abpasted"));
    QCOMPARE(f.cell(2, kv::ColMnemonic), QStringLiteral("m2"));
}

void TestSnmpSheet::refusedPasteChangesNothing()
{
    SheetFixture f;
    QVERIFY(f.show(3));
    const QVector<SnmpRequest> before = f.model->rows();
    QGuiApplication::clipboard()->setText(QStringLiteral("10.0.9.1\tGet\n10.0.9.2\tWalk\n"));
    f.setCurrent(2, kv::ColOid); // OID, then Type: "Get" is no type
    f.keys(QKeySequence::Paste);
    QVERIFY(f.model->rows() == before);
    QCOMPARE(f.messages.texts(),
             QStringList{QStringLiteral("Row 2, column Type: \"Get\" is not a value of this column. Nothing was changed.")});
    QCOMPARE(f.dialog.undoStack()->count(), 0);

    f.messages.log.clear();
    QGuiApplication::clipboard()->setText(QStringLiteral("a\nb\n"));
    f.setCurrent(512, kv::ColMnemonic);
    f.keys(QKeySequence::Paste);
    QVERIFY(f.model->rows() == before);
    QCOMPARE(f.messages.texts(),
             QStringList{QStringLiteral("Row 513, column Mnemonic: the pasted cells go past row 512. Nothing was changed.")});
}

void TestSnmpSheet::undoRedoAcrossEdits()
{
    SheetFixture f;
    QVERIFY(f.show(3));
    const QVector<SnmpRequest> original = f.model->rows();

    // 1. typed into a cell
    f.setCurrent(1, kv::ColMnemonic);
    f.type(QStringLiteral("fan\n"));
    QCOMPARE(f.cell(1, kv::ColMnemonic), QStringLiteral("fan"));
    const QVector<SnmpRequest> afterEdit = f.model->rows();
    // 2. a check box toggled
    f.setCurrent(2, kv::ColCancel);
    QTest::keyClick(f.grid, Qt::Key_Space);
    QCOMPARE(f.cell(2, kv::ColCancel), QStringLiteral("Y"));
    // 3. a block pasted
    QGuiApplication::clipboard()->setText(QStringLiteral("x1\nx2"));
    f.setCurrent(1, kv::ColMnemonic);
    f.keys(QKeySequence::Paste);
    const QVector<SnmpRequest> afterPaste = f.model->rows();
    // 4. a row inserted before row 1, 5. row 3 deleted
    f.setCurrent(1, kv::ColEnable);
    f.dialog.findChild<QPushButton*>(QStringLiteral("Btn_InsRow"))->click();
    QCOMPARE(f.cell(2, kv::ColMnemonic), QStringLiteral("x1"));
    const QVector<SnmpRequest> afterInsert = f.model->rows();
    f.messages.answers = {true};
    f.setCurrent(3, kv::ColEnable);
    f.dialog.findChild<QPushButton*>(QStringLiteral("Btn_DelRow"))->click();
    QCOMPARE(f.cell(3, kv::ColMnemonic), QStringLiteral("m3"));
    const QVector<SnmpRequest> afterDelete = f.model->rows();
    QCOMPARE(f.dialog.undoStack()->count(), 5);

    f.grid->setFocus();
    f.keys(QKeySequence(Qt::CTRL | Qt::Key_Z));
    QVERIFY(f.model->rows() == afterInsert);
    f.keys(QKeySequence(Qt::CTRL | Qt::Key_Z));
    QVERIFY(f.model->rows() == afterPaste);
    f.keys(QKeySequence(Qt::CTRL | Qt::Key_Z));
    f.keys(QKeySequence(Qt::CTRL | Qt::Key_Z));
    QVERIFY(f.model->rows() == afterEdit);
    f.keys(QKeySequence(Qt::CTRL | Qt::Key_Z));
    QVERIFY(f.model->rows() == original);
    f.keys(QKeySequence(Qt::CTRL | Qt::Key_Z)); // nothing more to undo
    QVERIFY(f.model->rows() == original);

    f.keys(QKeySequence(Qt::CTRL | Qt::Key_Y));
    QVERIFY(f.model->rows() == afterEdit);
    QCOMPARE(f.grid->currentIndex(), f.model->index(0, kv::ColMnemonic)); // the cell undone is shown
    f.keys(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    f.keys(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    QVERIFY(f.model->rows() == afterPaste);
    f.keys(QKeySequence(Qt::CTRL | Qt::Key_Y));
    f.keys(QKeySequence(Qt::CTRL | Qt::Key_Y));
    QVERIFY(f.model->rows() == afterDelete);

    // A new showing starts without history.
    QVERIFY(f.dialog.FormShow());
    QCOMPARE(f.dialog.undoStack()->count(), 0);
}

void TestSnmpSheet::exportAndImport()
{
    SheetFixture f;
    QVERIFY(f.show(3));
    const QString csv = f.dir.filePath(QStringLiteral("table.csv"));
    f.files.answer = csv;
    f.keys(QKeySequence(Qt::CTRL | Qt::Key_E));
    QCOMPARE(f.files.lastFilter, QStringLiteral("CSV files (*.csv)"));
    QCOMPARE(f.files.lastProposedName, QStringLiteral("SNMP_Manager.csv"));
    const QByteArray exported = readAll(csv);
    QCOMPARE(exported, kv::SnmpRequestsCsv(f.model->rows()));

    // Changed in a spreadsheet: one row less, a new mnemonic.
    QByteArray edited = exported;
    edited.replace("m2", "pump 2");
    edited.truncate(edited.lastIndexOf("\r\n", edited.size() - 3) + 2);
    writeFile(csv, edited);
    f.files.openAnswer = csv;
    f.messages.answers = {true};
    const QVector<SnmpRequest> before = f.model->rows();
    f.keys(QKeySequence(Qt::CTRL | Qt::Key_I));
    QCOMPARE(f.messages.log.size(), 1);
    QCOMPARE(f.messages.log[0].kind, QStringLiteral("question"));
    QCOMPARE(f.messages.log[0].byDefault, kv::IMessageService::Default::No);
    QCOMPARE(f.cell(2, kv::ColMnemonic), QStringLiteral("pump 2"));
    QCOMPARE(f.cell(2, kv::ColOnCommand), QStringLiteral("Y")); // the hidden column came back
    QVERIFY(f.model->rows().at(2) == SnmpRequest::ResetRow());
    // Nothing is written until OK; the import is undone whole.
    QCOMPARE(readAll(f.state.SnmpManagerPath), tableFile(3));
    f.keys(QKeySequence(Qt::CTRL | Qt::Key_Z));
    QVERIFY(f.model->rows() == before);
    f.keys(QKeySequence(Qt::CTRL | Qt::Key_Y));
    f.dialog.findChild<QPushButton*>(QStringLiteral("Btn_OK"))->click();
    QByteArray want = tableFile(2);
    want.replace("m2", "pump 2");
    QCOMPARE(readAll(f.state.SnmpManagerPath), want);
}

void TestSnmpSheet::exportKeepsRowsAfterAGap()
{
    SheetFixture f;
    QVERIFY(f.show(3));
    // Rows 1 to 3 filled, 4 and 5 empty, 6 and 7 pasted.
    QGuiApplication::clipboard()->setText(QStringLiteral("10.0.0.6\t2\tpublic\r\n10.0.0.7\t2\tpublic\r\n"));
    f.setCurrent(6, kv::ColIpAddress);
    f.keys(QKeySequence::Paste);
    const QVector<SnmpRequest> table = f.model->rows();

    const QString csv = f.dir.filePath(QStringLiteral("gap.csv"));
    f.files.answer = csv;
    f.keys(QKeySequence(Qt::CTRL | Qt::Key_E));
    const QList<QByteArray> lines = readAll(csv).split('\n');
    QCOMPARE(lines.size(), 9); // the header, rows 1 to 7, nothing after the last line end
    QCOMPARE(lines[4], QByteArray("\r"));
    QCOMPARE(lines[5], QByteArray("\r"));
    QVERIFY(lines[7].startsWith("Y,10.0.0.7,2,public,"));

    // Imported again, the table is as it was.
    f.files.openAnswer = csv;
    f.messages.answers = {true};
    f.keys(QKeySequence(Qt::CTRL | Qt::Key_I));
    QCOMPARE(f.messages.texts().filter(QStringLiteral("Error")), QStringList());
    QVERIFY(f.model->rows() == table);
}

void TestSnmpSheet::importRefusedOrDeclined()
{
    SheetFixture f;
    QVERIFY(f.show(2));
    const QVector<SnmpRequest> before = f.model->rows();
    const QString csv = f.dir.filePath(QStringLiteral("bad.csv"));
    f.files.openAnswer = csv;

    writeFile(csv, "IP_Address;Mode\r\n10.0.0.1;Get\r\n10.0.0.2;walk\r\n");
    f.keys(QKeySequence(Qt::CTRL | Qt::Key_I));
    QCOMPARE(f.messages.texts(),
             QStringList{QStringLiteral("Line 3 of the file: Row 2, column Mode: \"walk\" is not a value of this column. "
                                        "Nothing was changed.")});

    f.messages.log.clear();
    writeFile(csv, "IP_Address\r\n10.0.0.1\r\n");
    f.messages.answers = {false}; // the question before replacing
    f.keys(QKeySequence(Qt::CTRL | Qt::Key_I));
    QCOMPARE(f.messages.log.size(), 1);
    QVERIFY(f.model->rows() == before);

    f.messages.log.clear();
    f.files.openAnswer = f.dir.filePath(QStringLiteral("missing.csv"));
    f.keys(QKeySequence(Qt::CTRL | Qt::Key_I));
    QCOMPARE(f.messages.log.size(), 1);
    QVERIFY(f.messages.log[0].text.startsWith(QDir::toNativeSeparators(f.files.openAnswer)));
    QVERIFY(f.model->rows() == before);
    QCOMPARE(f.dialog.undoStack()->count(), 0);
}

void TestSnmpSheet::contextMenu()
{
    SheetFixture f;
    QVERIFY(f.show(1));
    QStringList texts;
    for (QAction* a : f.dialog.contextMenu()->actions()) {
        if (!a->isSeparator())
            texts << a->text() + QLatin1Char('|') + a->shortcut().toString(QKeySequence::PortableText);
    }
    QCOMPARE(texts.join(QLatin1Char(',')),
             QStringLiteral("Undo|Ctrl+Z,Redo|Ctrl+Y,Copy Cells|Ctrl+C,Paste Cells|Ctrl+V,Export...|Ctrl+E,Import...|Ctrl+I,"
                            "Test Requests|Ctrl+T,Browse Agent...|Ctrl+B,Data map|Ctrl+M,MIB Library...|Ctrl+L,MIB Tree...|Ctrl+Shift+L"));
    // The row buttons are as they were.
    QCOMPARE(f.dialog.findChild<QPushButton*>(QStringLiteral("Btn_CopyRow"))->text(), QStringLiteral("Copy Row"));
}

void TestSnmpSheet::keysAfterAButton_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QKeySequence>("keys");
    QTest::newRow("Insert Row, then undo") << QStringLiteral("Btn_InsRow") << QKeySequence(Qt::CTRL | Qt::Key_Z);
    QTest::newRow("Delete Row, then undo") << QStringLiteral("Btn_DelRow") << QKeySequence(Qt::CTRL | Qt::Key_Z);
    QTest::newRow("Copy Row, then copy cells") << QStringLiteral("Btn_CopyRow") << QKeySequence(Qt::CTRL | Qt::Key_C);
    QTest::newRow("Insert Row, then export") << QStringLiteral("Btn_InsRow") << QKeySequence(Qt::CTRL | Qt::Key_E);
}

// The grid's keys work while the focus is on a button of the dialog, as it is
// after a click on one.
void TestSnmpSheet::keysAfterAButton()
{
    QFETCH(QString, button);
    QFETCH(QKeySequence, keys);
    SheetFixture f;
    QVERIFY(f.show(3));
    const QVector<SnmpRequest> original = f.model->rows();
    f.setCurrent(2, kv::ColMnemonic);
    f.messages.answers = {true};
    auto* b = f.dialog.findChild<QPushButton*>(button);
    QTest::mouseClick(b, Qt::LeftButton);
    QTest::qWait(20);
    QCOMPARE(QApplication::focusWidget(), b);
    QGuiApplication::clipboard()->clear();
    f.files.answer = f.dir.filePath(QStringLiteral("table.csv"));
    f.keys(keys);
    QCoreApplication::processEvents();
    if (keys == QKeySequence(Qt::CTRL | Qt::Key_Z))
        QVERIFY(f.model->rows() == original);
    else if (keys == QKeySequence(Qt::CTRL | Qt::Key_C))
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("m2\n"));
    else
        QCOMPARE(readAll(f.files.answer), kv::SnmpRequestsCsv(f.model->rows()));
}

QTEST_MAIN(TestSnmpSheet)
#include "test_snmp_sheet.moc"
