#include <QtTest>

#include <QAbstractItemDelegate>
#include <QComboBox>
#include <QHeaderView>
#include <QIcon>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

#include <algorithm>

#include "TestFiles.h"
#include "state/AppState.h"
#include "common/UServices.h"
#include "requests/SnmpRequests.h"
#include "requests/SnmpTableModel.h"
#include "requests/USNMPManagerAccess.h"

using kv::SnmpRequest;

namespace {

// Row i of a generated table: every field distinct, the hidden column too.
SnmpRequest numberedRow(int i)
{
    SnmpRequest r;
    for (int c = 1; c <= kv::SnmpFieldCount; ++c)
        r.field(c) = QStringLiteral("c%1r%2").arg(c).arg(i);
    r.Enable = QStringLiteral("N");
    r.IP_Address = QStringLiteral("10.0.%1.%2").arg(i / 256).arg(i % 256);
    r.On_Command = i % 2 ? QStringLiteral("Y") : QStringLiteral("N");
    return r;
}

QByteArray tableFile(int rows)
{
    QVector<SnmpRequest> t(kv::SnmpMaxRows, SnmpRequest::ResetRow());
    QByteArray extra;
    for (int i = 1; i <= rows; ++i) {
        if (i <= kv::SnmpMaxRows)
            t[i - 1] = numberedRow(i);
        else
            extra += "<row IP_Address=\"10.9.9.9\"/>";
    }
    QByteArray b = kv::SnmpRequestsXml(t);
    if (!extra.isEmpty())
        b.insert(b.indexOf("</SNMP_Agent_Access>"), extra);
    return b;
}

} // namespace

// A dialog on a temporary configuration, with scripted message boxes.
struct DialogFixture {
    QTemporaryDir dir;
    kv::ScriptedMessageService messages;
    kv::UiServices services;
    kv::AppState state;
    TFSNMPManagerAccess dialog;
    QTableView* grid;
    kv::SnmpTableModel* model;

    DialogFixture()
        : state(dir.path())
        , dialog(state, (services.messages = &messages, services))
    {
        QDir(dir.path()).mkpath(QStringLiteral("PROJECTS/P/bin"));
        state.OpenProject(QStringLiteral("P"));
        grid = dialog.findChild<QTableView*>(QStringLiteral("ACG_SNMP"));
        model = dialog.tableModel();
    }
    // Writes SNMP_Manager.xml with `rows` generated rows and shows it.
    bool open(int rows)
    {
        writeFile(state.SnmpManagerPath, tableFile(rows));
        return dialog.FormShow();
    }
    void setCurrent(int row, int column) { grid->setCurrentIndex(model->index(row - 1, column)); }
    SnmpRequest row(int r) const { return model->rows().at(r - 1); }
    void click(const char* button)
    {
        dialog.findChild<QPushButton*>(QString::fromLatin1(button))->click();
    }
};

class TestSnmpDialog : public QObject {
    Q_OBJECT
private slots:
    void layoutHeadersAndHints();
    void deleteRow_data();
    void deleteRow();
    void insertRow();
    void copyAndPaste();
    void pasteRefused();
    void enterJump_data();
    void enterJump();
    void enterEndsEditAndJumps();
    void typingIntoCells_data();
    void typingIntoCells();
    void headerAutoSize_data();
    void headerAutoSize();
    void checkBoxCells();
    void pickListKeepsFileValue();
    void limitMarks();
    void okChecksAndWrites();
    void surplusRowsWarnOnOpening();
    void unreadableDocumentDoesNotOpen_data();
    void unreadableDocumentDoesNotOpen();
};

void TestSnmpDialog::layoutHeadersAndHints()
{
    DialogFixture f;
    QVERIFY(f.open(3));
    QCOMPARE(f.dialog.size(), QSize(1230, 337));
    QCOMPARE(f.dialog.windowTitle(), QStringLiteral("Set SNMP Manager Access"));
    QCOMPARE(f.dialog.findChild<QLabel*>(QStringLiteral("L_SW_Code"))->text(), QStringLiteral("KV52013"));
    QCOMPARE(f.model->rowCount(), 512);
    QCOMPARE(f.model->columnCount(), 17);
    QVERIFY(f.dialog.FormShow()); // hidden columns and widths survive a reload
    QVERIFY(f.grid->isColumnHidden(kv::ColOnCommand));
    QVERIFY(f.grid->isColumnHidden(kv::ColRowNumber)); // the vertical header shows the numbers
    QCOMPARE(f.model->headerData(kv::ColOnChange, Qt::Horizontal).toString(), QStringLiteral("OnChange"));
    QCOMPARE(f.model->headerData(kv::ColConvertFrom, Qt::Horizontal).toString(), QStringLiteral("Conversion"));
    QCOMPARE(f.model->headerData(kv::ColMnemonic, Qt::Horizontal).toString(), QStringLiteral("Mnemonic"));
    QCOMPARE(f.dialog.Hint_SNMP().size(), 16);
    QCOMPARE(f.model->headerData(kv::ColOid, Qt::Horizontal, Qt::ToolTipRole).toString(),
             QStringLiteral("Object Identifier"));
    QCOMPARE(f.model->headerData(kv::ColCancel, Qt::Horizontal, Qt::ToolTipRole).toString(),
             QStringLiteral("Enable/Disable Cancel Data if no answer from Agent"));
    QCOMPARE(f.model->index(1, kv::ColMnemonic).data(Qt::ToolTipRole).toString(), QStringLiteral("c16r2"));
    QCOMPARE(f.model->headerData(5, Qt::Vertical).toString(), QStringLiteral("6"));
    QCOMPARE(f.grid->columnWidth(kv::ColCommunity), 106);

    f.dialog.show();
    f.dialog.resize(1400, 500);
    QTRY_COMPARE(f.grid->width(), 1400);
    QCOMPARE(f.grid->height(), 500 - 69 - 40);
    // Shrunk as far as it goes, every button and a few rows stay in sight.
    f.dialog.resize(70, 179);
    QCoreApplication::processEvents();
    for (QPushButton* b : f.dialog.findChildren<QPushButton*>())
        QVERIFY2(f.dialog.rect().contains(b->geometry().translated(b->parentWidget()->mapTo(&f.dialog, QPoint()))),
                 qPrintable(b->objectName()));
    QVERIFY(f.grid->viewport()->height() >= 4 * 20);
}

void TestSnmpDialog::deleteRow_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("yes");
    QTest::newRow("row 5, yes") << 5 << true;
    QTest::newRow("row 5, no") << 5 << false;
    QTest::newRow("row 512") << 512 << true;
}

void TestSnmpDialog::deleteRow()
{
    QFETCH(int, row);
    QFETCH(bool, yes);
    DialogFixture f;
    QVERIFY(f.open(row == 512 ? 512 : 10));
    const QVector<SnmpRequest> before = f.model->rows();
    f.setCurrent(row, kv::ColOid);
    f.messages.answers = {yes};
    f.click("Btn_DelRow");
    QCOMPARE(f.messages.texts(), QStringList{QStringLiteral("Are you sure to delete the Row number %1").arg(row)});

    QVector<SnmpRequest> expected = before;
    if (yes) {
        expected.remove(row - 1);
        SnmpRequest empty;
        expected.append(empty);
    }
    for (int r = 1; r <= 512; ++r)
        QCOMPARE(f.row(r), expected.at(r - 1));
    QCOMPARE(f.model->index(9, kv::ColRowNumber).data().toString(), QStringLiteral("10"));
}

void TestSnmpDialog::insertRow()
{
    DialogFixture f;
    QVERIFY(f.open(512));
    // Row 512 holds a request: asked first, and Enter alone keeps it.
    f.setCurrent(1, kv::ColIpAddress);
    f.click("Btn_InsRow");
    QCOMPARE(f.messages.log.size(), 1);
    QCOMPARE(f.messages.log.at(0).kind, QStringLiteral("question"));
    QCOMPARE(f.messages.log.at(0).text, f.state.Text(663));
    QVERIFY(f.messages.log.at(0).byDefault == kv::IMessageService::Default::No);
    for (int r = 1; r <= 512; ++r)
        QCOMPARE(f.row(r), numberedRow(r));

    f.messages.log.clear();
    f.messages.answers = {true};
    f.click("Btn_InsRow");
    QCOMPARE(f.messages.log.size(), 1);
    QCOMPARE(f.row(1), SnmpRequest()); // Enable included: the new row is disabled
    for (int r = 2; r <= 512; ++r)
        QCOMPARE(f.row(r), numberedRow(r - 1)); // the former row 512 is gone
    // The empty row would end the table: OK refuses instead of dropping the
    // rest, and says so.
    f.messages.log.clear();
    f.click("Btn_OK");
    QCOMPARE(f.messages.texts(),
             QStringList{QStringLiteral("Error row 1!! The row is empty, but rows after it are filled: the table ends at "
                                        "its first row without an IP Address, so those rows would not be saved. Delete "
                                        "this row or fill it in.")});

    // Row 512 is now empty but for its check boxes: it falls off unasked.
    f.messages.log.clear();
    for (int c = 1; c <= kv::SnmpFieldCount; ++c)
        f.model->setData(f.model->index(511, c), SnmpRequest::ResetRow().field(c), Qt::EditRole);
    f.setCurrent(3, kv::ColOid);
    f.click("Btn_InsRow");
    QVERIFY(f.messages.log.isEmpty());
    QCOMPARE(f.row(3), SnmpRequest());
    QCOMPARE(f.row(4), numberedRow(2));
}

void TestSnmpDialog::copyAndPaste()
{
    DialogFixture f;
    QVERIFY(f.open(3));
    f.setCurrent(2, kv::ColMode);
    f.click("Btn_CopyRow");
    QVERIFY(f.dialog.Do_Copy_SNMP());
    QCOMPARE(f.state.RowCopyBuffer.size(), 16);
    QCOMPARE(f.state.RowCopyBuffer.at(8), QStringLiteral("N")); // the hidden column travels too

    f.setCurrent(7, kv::ColMode);
    f.click("Btn_PasteRow");
    QVERIFY(f.messages.log.isEmpty());
    QCOMPARE(f.row(7), numberedRow(2));

    // Now used: the question comes, No keeps the row.
    f.model->setData(f.model->index(6, kv::ColMnemonic), QStringLiteral("mine"));
    f.messages.answers = {false};
    f.click("Btn_PasteRow");
    QCOMPARE(f.messages.texts(), QStringList{QStringLiteral("Row Already used. Do you want to overwrite the values?")});
    QCOMPARE(f.row(7).Mnemonic, QStringLiteral("mine"));
    f.messages.answers = {true};
    f.click("Btn_PasteRow");
    QCOMPARE(f.row(7), numberedRow(2));

    // Only check boxes set: the row counts as free.
    f.messages.log.clear();
    for (int c : {int(kv::ColEnable), int(kv::ColOnChange), int(kv::ColOnCommand), int(kv::ColOnTimer), int(kv::ColCancel)})
        f.model->setData(f.model->index(7, c), QStringLiteral("Y"));
    f.setCurrent(8, kv::ColEnable);
    f.click("Btn_PasteRow");
    QVERIFY(f.messages.log.isEmpty());
    QCOMPARE(f.row(8), numberedRow(2));
}

void TestSnmpDialog::pasteRefused()
{
    DialogFixture f;
    QVERIFY(f.open(3));
    f.setCurrent(1, kv::ColOid);
    f.click("Btn_CopyRow");
    QVERIFY(f.dialog.FormShow()); // a new showing: the earlier copy does not count
    QVERIFY(!f.dialog.Do_Copy_SNMP());
    f.setCurrent(5, kv::ColOid);
    f.click("Btn_PasteRow");
    QCOMPARE(f.messages.log.size(), 1);
    QCOMPARE(f.messages.log.at(0).kind, QStringLiteral("error"));
    QCOMPARE(f.messages.log.at(0).text, QStringLiteral("Error!!! Copy a valid row before Paste it"));
    QCOMPARE(f.row(5), SnmpRequest::ResetRow());

    f.click("Btn_CopyRow");
    f.state.RowCopyBuffer.removeLast(); // not a row of this table
    f.messages.log.clear();
    f.click("Btn_PasteRow");
    QCOMPARE(f.messages.texts(), QStringList{QStringLiteral("Error in the Copy values!!! Copy a valid row before Paste it")});
    QCOMPARE(f.row(5), SnmpRequest::ResetRow());
}

void TestSnmpDialog::enterJump_data()
{
    QTest::addColumn<bool>("jump");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("toRow");
    QTest::addColumn<int>("toColumn");
    QTest::newRow("next column") << true << int(Qt::Key_Return) << 3 << 2 << 3 << 3;
    QTest::newRow("keypad Enter") << true << int(Qt::Key_Enter) << 3 << 2 << 3 << 3;
    QTest::newRow("skips the hidden column") << true << int(Qt::Key_Return) << 4 << 8 << 4 << 10;
    QTest::newRow("end of row") << true << int(Qt::Key_Return) << 4 << 16 << 5 << 1;
    QTest::newRow("end of table") << true << int(Qt::Key_Return) << 512 << 16 << 1 << 1;
    QTest::newRow("setting clear") << false << int(Qt::Key_Return) << 4 << 8 << 4 << 8;
}

void TestSnmpDialog::enterJump()
{
    QFETCH(bool, jump);
    QFETCH(int, key);
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(int, toRow);
    QFETCH(int, toColumn);
    DialogFixture f;
    f.state.Settings.EnableJumpFieldTables = jump;
    QVERIFY(f.open(2));
    f.setCurrent(row, column);
    QTest::keyClick(f.grid, Qt::Key(key));
    QCOMPARE(f.grid->currentIndex().row() + 1, toRow);
    QCOMPARE(f.grid->currentIndex().column(), toColumn);
    QVERIFY(!f.dialog.ACG_SNMPKeyPress(Qt::Key_A)); // other keys pass through
}

void TestSnmpDialog::enterEndsEditAndJumps()
{
    DialogFixture f;
    f.state.Settings.EnableJumpFieldTables = true;
    QVERIFY(f.open(2));
    f.dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.dialog));
    f.setCurrent(2, kv::ColOid);
    f.grid->edit(f.grid->currentIndex());
    auto* editor = f.grid->viewport()->findChild<QLineEdit*>();
    QVERIFY(editor);
    editor->setText(QStringLiteral("1.3.6"));
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(f.grid->currentIndex().column(), int(kv::ColType));
    QCOMPARE(f.grid->currentIndex().row(), 1);
    QCOMPARE(f.row(2).OID, QStringLiteral("1.3.6"));
}

void TestSnmpDialog::typingIntoCells_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<bool>("open");  // an editor is open before the first key
    QTest::addColumn<bool>("jump");  // Enter jumps to the next column
    QTest::addColumn<QString>("keys"); // \n is Enter, \b is Backspace
    QTest::addColumn<QString>("text"); // the cell afterwards
    QTest::addColumn<int>("toRow");
    QTest::addColumn<int>("toColumn");
    const int ip = kv::ColIpAddress, pos = kv::ColPosition;
    QTest::newRow("address, open") << ip << true << true << "10.1.1.1\n" << "10.1.1.1" << 2 << int(kv::ColVersion);
    QTest::newRow("address, selected") << ip << false << true << "10.1.1.1\n" << "10.1.1.1" << 2
                                       << int(kv::ColVersion);
    QTest::newRow("address, no jump") << ip << true << false << "10.1.1.1\n" << "10.1.1.1" << 2 << ip;
    QTest::newRow("last column wraps once") << int(kv::ColMnemonic) << true << true << "pump\n" << "pump" << 3
                                            << int(kv::ColEnable);
    QTest::newRow("position, open") << pos << true << true << "12\n" << "12" << 2 << int(kv::ColNumberBytes);
    QTest::newRow("position, selected") << pos << false << true << "12\n" << "12" << 2 << int(kv::ColNumberBytes);
    QTest::newRow("position, three digits") << pos << false << true << "120\n" << "120" << 2
                                            << int(kv::ColNumberBytes);
    QTest::newRow("position, backspace") << pos << false << true << "125\b\n" << "12" << 2
                                         << int(kv::ColNumberBytes);
    QTest::newRow("position not offered keeps the cell") << pos << false << true << "99999\n" << "c12r2" << 2
                                                         << int(kv::ColNumberBytes);
    QTest::newRow("version") << int(kv::ColVersion) << false << true << "2\n" << "2" << 2 << int(kv::ColCommunity);
    QTest::newRow("type by its first letter") << int(kv::ColType) << false << true << "i\n" << "Int" << 2
                                              << int(kv::ColMode);
    QTest::newRow("conversion, whole text") << int(kv::ColConvertFrom) << false << true << "float * 10\n"
                                            << "Float * 10" << 2 << int(kv::ColCancel);
    QTest::newRow("conversion, exact before longer") << int(kv::ColConvertFrom) << false << true << "float\n"
                                                     << "Float" << 2 << int(kv::ColCancel);
    QTest::newRow("community is free text") << int(kv::ColCommunity) << false << true << "M\n" << "M" << 2
                                            << int(kv::ColOid);
    QTest::newRow("community takes 15 characters") << int(kv::ColCommunity) << false << true
                                                   << "abcdefghijklmnopq\n" << "abcdefghijklmno" << 2
                                                   << int(kv::ColOid);
}

void TestSnmpDialog::typingIntoCells()
{
    QFETCH(int, column);
    QFETCH(bool, open);
    QFETCH(bool, jump);
    QFETCH(QString, keys);
    QFETCH(QString, text);
    QFETCH(int, toRow);
    QFETCH(int, toColumn);
    DialogFixture f;
    f.state.Settings.EnableJumpFieldTables = jump;
    QVERIFY(f.open(2));
    f.dialog.show();
    f.dialog.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f.dialog));
    f.setCurrent(2, column);
    if (open)
        f.grid->edit(f.grid->currentIndex());
    QTest::qWait(20);
    for (QChar c : keys) {
        QWidget* target = QApplication::focusWidget();
        QVERIFY(target);
        if (c == QLatin1Char('\n'))
            QTest::keyClick(target, Qt::Key_Return);
        else if (c == QLatin1Char('\b'))
            QTest::keyClick(target, Qt::Key_Backspace);
        else
            QTest::keyClick(target, c.toLatin1());
        QCoreApplication::processEvents();
    }
    QTest::qWait(50); // queued closes and deferred deletes run out
    QCOMPARE(f.model->data(f.model->index(1, column), Qt::EditRole).toString(), text);
    QCOMPARE(f.grid->currentIndex().row() + 1, toRow);
    QCOMPARE(f.grid->currentIndex().column(), toColumn);
}

void TestSnmpDialog::headerAutoSize_data()
{
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QString>("where"); // "section", "border" of the header, or a data "cell"
    QTest::addColumn<bool>("resized");
    QTest::newRow("header, enabled") << true << "section" << true;
    QTest::newRow("header border, enabled") << true << "border" << true;
    QTest::newRow("header, setting clear") << false << "section" << false;
    QTest::newRow("header border, setting clear") << false << "border" << false;
    QTest::newRow("data cell") << true << "cell" << false;
}

void TestSnmpDialog::headerAutoSize()
{
    QFETCH(bool, enabled);
    QFETCH(QString, where);
    QFETCH(bool, resized);
    DialogFixture f;
    f.state.Settings.DoubleClickAutoSize = enabled;
    QVERIFY(f.open(2));
    f.dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.dialog));
    f.model->setData(f.model->index(0, kv::ColMnemonic), QStringLiteral("a description far wider than the column"));
    const int before = f.grid->columnWidth(kv::ColMnemonic);
    QHeaderView* header = f.grid->horizontalHeader();
    const int left = header->sectionViewportPosition(kv::ColMnemonic);
    if (where == QLatin1String("cell")) {
        f.dialog.ACG_SNMPDblClickCell(1, kv::ColMnemonic);
    } else {
        const int x = where == QLatin1String("border") ? left + before - 1 : left + before / 2;
        QTest::mouseDClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
    }
    QCOMPARE(f.grid->columnWidth(kv::ColMnemonic) > before, resized);
}

void TestSnmpDialog::checkBoxCells()
{
    DialogFixture f;
    QVERIFY(f.open(2));
    f.model->setData(f.model->index(0, kv::ColCancel), QStringLiteral("x"));
    QCOMPARE(f.model->index(0, kv::ColCancel).data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
    QCOMPARE(f.model->index(0, kv::ColCancel).data(Qt::DisplayRole), QVariant());
    QCOMPARE(f.row(1).Cancel, QStringLiteral("x")); // kept until toggled

    f.setCurrent(1, kv::ColCancel);
    QTest::keyClick(f.grid, Qt::Key_Space);
    QCOMPARE(f.row(1).Cancel, QStringLiteral("Y"));
    QTest::keyClick(f.grid, Qt::Key_Space);
    QCOMPARE(f.row(1).Cancel, QStringLiteral("N"));

    // A cell shows what the compile takes from it: a hand-edited " y " Enable
    // and a "y" flag are set on the device, so they show ticked; a flag with
    // a blank around it is not taken, so it shows clear.
    const auto shown = [&](int column, const char* text) {
        f.model->setData(f.model->index(0, column), QString::fromLatin1(text));
        return f.model->index(0, column).data(Qt::CheckStateRole).toInt();
    };
    QCOMPARE(shown(kv::ColEnable, " y "), int(Qt::Checked));
    QCOMPARE(shown(kv::ColEnable, "n"), int(Qt::Unchecked));
    QCOMPARE(shown(kv::ColOnTimer, "y"), int(Qt::Checked));
    QCOMPARE(shown(kv::ColOnTimer, " Y"), int(Qt::Unchecked));
    QCOMPARE(shown(kv::ColCancel, "y"), int(Qt::Checked));
    // Toggled, it is written as the grid always writes it.
    f.setCurrent(1, kv::ColCancel);
    QTest::keyClick(f.grid, Qt::Key_Space);
    QCOMPARE(f.row(1).Cancel, QStringLiteral("N"));
}

void TestSnmpDialog::pickListKeepsFileValue()
{
    DialogFixture f;
    writeFile(f.state.ParGenPath, "<Par_Gen><PROFINET_NB_IN>16</PROFINET_NB_IN><PROFINET_NB_OUT>32</PROFINET_NB_OUT></Par_Gen>");
    QVERIFY(f.open(2));
    f.model->setData(f.model->index(0, kv::ColPosition), QStringLiteral("9999"));
    f.model->setData(f.model->index(1, kv::ColPosition), QStringLiteral("7"));

    QAbstractItemDelegate* delegate = f.grid->itemDelegateForColumn(kv::ColPosition);
    QStyleOptionViewItem option;
    const QModelIndex first = f.model->index(0, kv::ColPosition);
    const QModelIndex second = f.model->index(1, kv::ColPosition);
    std::unique_ptr<QWidget> e1(delegate->createEditor(f.grid->viewport(), option, first));
    std::unique_ptr<QWidget> e2(delegate->createEditor(f.grid->viewport(), option, second));
    auto* c1 = qobject_cast<QComboBox*>(e1.get());
    auto* c2 = qobject_cast<QComboBox*>(e2.get());
    QVERIFY(c1 && c2);
    QCOMPARE(c1->model(), c2->model()); // one list for every row
    QCOMPARE(c1->count(), 32);
    QCOMPARE(c1->itemText(31), QStringLiteral("31"));

    delegate->setEditorData(c1, first);
    QCOMPARE(c1->currentIndex(), -1);
    QCOMPARE(c1->placeholderText(), QStringLiteral("9999"));
    delegate->setModelData(c1, f.model, first);
    QCOMPARE(f.row(1).Position, QStringLiteral("9999"));
    c1->setCurrentIndex(5);
    delegate->setModelData(c1, f.model, first);
    QCOMPARE(f.row(1).Position, QStringLiteral("5"));

    delegate->setEditorData(c2, second);
    QCOMPARE(c2->currentText(), QStringLiteral("7"));

    // The community list takes typed text as well.
    QAbstractItemDelegate* community = f.grid->itemDelegateForColumn(kv::ColCommunity);
    const QModelIndex cell = f.model->index(0, kv::ColCommunity);
    std::unique_ptr<QWidget> e3(community->createEditor(f.grid->viewport(), option, cell));
    auto* c3 = qobject_cast<QComboBox*>(e3.get());
    QVERIFY(c3 && c3->isEditable());
    QCOMPARE(c3->count(), 2);
    community->setEditorData(c3, cell);
    QCOMPARE(c3->currentText(), QStringLiteral("c4r1"));
    c3->setEditText(QStringLiteral("private"));
    community->setModelData(c3, f.model, cell);
    QCOMPARE(f.row(1).Community_String, QStringLiteral("private"));
}

// A value the table's check admits but the device cannot hold is marked in
// its cell, with the limit in the hint, in every row the compile takes.
void TestSnmpDialog::limitMarks()
{
    DialogFixture f;
    const QString community16 = QStringLiteral("0123456789abcdef");
    writeFile(f.state.SnmpManagerPath,
              "<SNMP_Agent_Access><row IP_Address=\"10.0.0.1\" Number_Bytes=\"300\"/>"
              "<row IP_Address=\"10.0.0.2\" Community_String=\"" + community16.toLatin1() + "\" Number_Bytes=\"255\"/>"
              "<row IP_Address=\"10.0.0.3\" Community_String=\"0123456789abcde\" Number_Bytes=\"many\"/>"
              "<row Enable=\"N\" IP_Address=\"10.0.0.4\" Number_Bytes=\"300\"/>"
              "<row IP_Address=\"10.0.0.5\" Community_String=\"pub\xE2\x82\xAC\"/>"
              "<row IP_Address=\"10.0.0.6\" Community_String=\"gr\xC3\xBCn\"/></SNMP_Agent_Access>");
    QVERIFY(f.dialog.FormShow());
    const auto mark = [&f](int row, int column) {
        const QModelIndex i = f.model->index(row - 1, column);
        return std::make_pair(!i.data(Qt::DecorationRole).value<QIcon>().isNull(), i.data(Qt::ToolTipRole).toString());
    };
    const QString bytesHint = f.state.Text(1184);
    const QString communityHint = f.state.Text(1183);
    QCOMPARE(mark(1, kv::ColNumberBytes), std::make_pair(true, QStringLiteral("300\n") + bytesHint));
    QCOMPARE(mark(1, kv::ColCommunity), std::make_pair(false, QString()));
    QCOMPARE(mark(2, kv::ColCommunity), std::make_pair(true, community16 + QLatin1Char('\n') + communityHint));
    QCOMPARE(mark(2, kv::ColNumberBytes), std::make_pair(false, QStringLiteral("255")));
    QCOMPARE(mark(3, kv::ColCommunity).first, false);
    QCOMPARE(mark(3, kv::ColNumberBytes).first, false); // no number: the check's to report
    QCOMPARE(mark(4, kv::ColNumberBytes).first, false); // not compiled
    // A character the device would get as another byte; a Latin-1 one it keeps.
    QCOMPARE(mark(5, kv::ColCommunity),
             std::make_pair(true, QStringLiteral("pub\u20AC\n") + f.state.Text(1241)));
    QCOMPARE(mark(6, kv::ColCommunity), std::make_pair(false, QStringLiteral("gr\u00FCn")));

    // Ticking Enable marks the row; mending the value takes the mark off.
    f.dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.dialog));
    QSignalSpy changed(f.model, &QAbstractItemModel::dataChanged);
    f.setCurrent(4, kv::ColEnable);
    QTest::keyClick(f.grid, Qt::Key_Space);
    QCoreApplication::processEvents();
    QCOMPARE(f.row(4).Enable, QStringLiteral("Y"));
    QCOMPARE(mark(4, kv::ColNumberBytes), std::make_pair(true, QStringLiteral("300\n") + bytesHint));
    QVERIFY(std::any_of(changed.cbegin(), changed.cend(), [&f](const QList<QVariant>& args) {
        return QItemSelectionRange(args[0].toModelIndex(), args[1].toModelIndex())
            .contains(f.model->index(3, kv::ColNumberBytes));
    }));
    f.model->setData(f.model->index(0, kv::ColNumberBytes), QStringLiteral("30"));
    QCOMPARE(mark(1, kv::ColNumberBytes).first, false);
}

void TestSnmpDialog::okChecksAndWrites()
{
    DialogFixture f;
    QVERIFY(f.open(3));
    const QByteArray original = readAll(f.state.SnmpManagerPath);
    f.model->setData(f.model->index(1, kv::ColEnable), QStringLiteral("Y"));
    f.click("Btn_OK");
    QCOMPARE(f.messages.texts(),
             QStringList{QStringLiteral("Error row 2!! OID string can contains only number and \".\"")});
    QCOMPARE(readAll(f.state.SnmpManagerPath), original);
    QCOMPARE(f.dialog.result(), int(QDialog::Rejected));

    f.messages.log.clear();
    f.model->setData(f.model->index(1, kv::ColEnable), QStringLiteral("N"));
    f.model->setData(f.model->index(1, kv::ColMnemonic), QStringLiteral("edited"));
    f.click("Btn_OK");
    QVERIFY(f.messages.log.isEmpty());
    QCOMPARE(f.dialog.result(), int(QDialog::Accepted));
    kv::SnmpTable written;
    QVERIFY(kv::LoadSnmpRequests(QString(), f.state.SnmpManagerPath, written).ok());
    QCOMPARE(written.rows[0], numberedRow(1));
    QCOMPARE(written.rows[1].Mnemonic, QStringLiteral("edited"));
    QCOMPARE(written.rows[2], numberedRow(3));
    QCOMPARE(written.rows[3], SnmpRequest::ResetRow());

    // A file that cannot be written: the reason is shown and the dialog stays.
    f.dialog.setResult(QDialog::Rejected);
    f.messages.log.clear();
    f.state.SnmpManagerPath = f.dir.filePath(QStringLiteral("missing/SNMP_Manager.xml"));
    f.click("Btn_OK");
    QCOMPARE(f.messages.log.size(), 1);
    QVERIFY(f.messages.log.at(0).text.contains(QStringLiteral("SNMP_Manager.xml")));
    QCOMPARE(f.dialog.result(), int(QDialog::Rejected));
}

void TestSnmpDialog::surplusRowsWarnOnOpening()
{
    DialogFixture f;
    writeFile(f.state.SnmpManagerPath, tableFile(515));
    QTimer::singleShot(200, &f.dialog, &QDialog::reject);
    QCOMPARE(f.dialog.exec(), int(QDialog::Rejected));
    QCOMPARE(f.messages.log.size(), 1);
    QCOMPARE(f.messages.log.at(0).kind, QStringLiteral("warning"));
    QCOMPARE(f.messages.log.at(0).text,
             QStringLiteral("Warning! The file holds more than 512 rows: the rows after row 512 were not loaded and "
                            "are lost if you save."));
    QCOMPARE(f.row(512), numberedRow(512));
}

void TestSnmpDialog::unreadableDocumentDoesNotOpen_data()
{
    QTest::addColumn<QString>("broken");
    QTest::newRow("SNMP_Manager.xml") << "SNMP_Manager.xml";
    QTest::newRow("ParGen.xml") << "ParGen.xml";
}

void TestSnmpDialog::unreadableDocumentDoesNotOpen()
{
    QFETCH(QString, broken);
    DialogFixture f;
    QVERIFY(f.open(3));
    f.model->setData(f.model->index(0, kv::ColMnemonic), QStringLiteral("from the last showing"));
    const QString path = f.state.ActiveProjectDir + QLatin1Char('/') + broken;
    writeFile(path, "<Par_Gen><PROFINET_NB_IN>16</PROFINET_NB_IN>");
    const QByteArray parGen = readAll(f.state.ParGenPath);
    const QByteArray snmp = readAll(f.state.SnmpManagerPath);

    bool shown = false;
    QTimer::singleShot(0, &f.dialog, [&] {
        shown = f.dialog.isVisible();
        f.dialog.reject();
    });
    QCOMPARE(f.dialog.exec(), int(QDialog::Rejected));
    QCoreApplication::processEvents();
    QVERIFY(!shown);
    QCOMPARE(f.messages.log.size(), 1);
    QCOMPARE(f.messages.log.at(0).kind, QStringLiteral("error"));
    const QString message = f.messages.log.at(0).text;
    QVERIFY2(message.startsWith(QDir::toNativeSeparators(path) + QStringLiteral(": ")), qPrintable(message));
    QVERIFY2(message.contains(QStringLiteral(" at line 1, column ")), qPrintable(message));
    QCOMPARE(readAll(f.state.ParGenPath), parGen);
    QCOMPARE(readAll(f.state.SnmpManagerPath), snmp);
    QCOMPARE(f.row(1).Mnemonic, QStringLiteral("from the last showing"));
}

QTEST_MAIN(TestSnmpDialog)
#include "test_snmp_dialog.moc"
