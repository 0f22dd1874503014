#include <QtTest>

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTableView>
#include <QToolTip>

#include "TestFiles.h"
#include "common/UServices.h"
#include "requests/SnmpRequests.h"
#include "requests/SnmpTableModel.h"
#include "requests/UDataMap.h"
#include "requests/USNMPManagerAccess.h"
#include "lang/Language.h"
#include "state/AppState.h"

using kv::SnmpRequest;

namespace {

struct Row {
    const char* mode;
    int position;
    int bytes;
    const char* mnemonic;
};

// Areas of 64 bytes (sent by the converter) and 16 (sent by the controller).
// Rows 1 and 2 share bytes 2..3; row 3 ends two bytes past its area.
const Row kRows[] = {
    {"Get", 0, 4, "Temp"},
    {"Get", 2, 4, "Hum"},
    {"Set", 14, 4, "Valve"},
    {"Get", 10, 2, "Fan"},
};

QByteArray tableFile()
{
    QVector<SnmpRequest> t(kv::SnmpMaxRows, SnmpRequest::ResetRow());
    int i = 0;
    for (const Row& row : kRows) {
        SnmpRequest& r = t[i++];
        r.Enable = QStringLiteral("Y");
        r.IP_Address = QStringLiteral("10.0.0.%1").arg(i);
        r.Version = QStringLiteral("2");
        r.Community_String = QStringLiteral("public");
        r.OID = QStringLiteral("1.3.6.1.2.1.1.%1.0").arg(i);
        r.Type = QStringLiteral("Int");
        r.Mode = QString::fromLatin1(row.mode);
        r.On_Change = QStringLiteral("N");
        r.On_Command = QStringLiteral("N");
        r.On_Timer = QStringLiteral("Y");
        r.Time = QStringLiteral("1000");
        r.Position = QString::number(row.position);
        r.Number_Bytes = QString::number(row.bytes);
        r.ConvertFrom = QStringLiteral("None");
        r.Cancel = QStringLiteral("N");
        r.Mnemonic = QString::fromLatin1(row.mnemonic);
    }
    return kv::SnmpRequestsXml(t);
}

} // namespace

// The request dialog shown on a temporary configuration; keys go to the
// widget that has the focus, as a user's keys do.
struct MapFixture {
    QTemporaryDir dir;
    kv::ScriptedMessageService messages;
    kv::ScriptedFileDialogs files;
    kv::UiServices services;
    kv::AppState state;
    TFSNMPManagerAccess dialog;
    QTableView* grid;
    kv::SnmpTableModel* model;

    MapFixture()
        : state(dir.path())
        , dialog(state, (services.messages = &messages, services.files = &files, services))
    {
        QDir(dir.path()).mkpath(QStringLiteral("PROJECTS/P/bin"));
        state.OpenProject(QStringLiteral("P"));
        grid = dialog.findChild<QTableView*>(QStringLiteral("ACG_SNMP"));
        model = dialog.tableModel();
    }
    bool show()
    {
        writeFile(state.ParGenPath,
                  "<Par_Gen><PROFINET_NB_IN>16</PROFINET_NB_IN><PROFINET_NB_OUT>64</PROFINET_NB_OUT></Par_Gen>");
        writeFile(state.SnmpManagerPath, tableFile());
        if (!dialog.FormShow())
            return false;
        dialog.show();
        dialog.activateWindow();
        return QTest::qWaitForWindowActive(&dialog);
    }
    void keys(QKeySequence seq)
    {
        QWidget* target = QApplication::focusWidget();
        QVERIFY(target);
        QTest::keySequence(target, seq);
        QTest::qWait(50);
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
    // Back to the grid, as a click into the dialog does.
    void toGrid(int row, int column)
    {
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        grid->setFocus();
        grid->setCurrentIndex(model->index(row - 1, column));
        QTest::qWait(20);
    }
    QList<TFDataMap*> maps() const
    {
        QList<TFDataMap*> shown;
        for (TFDataMap* m : dialog.findChildren<TFDataMap*>()) {
            if (m->isVisible())
                shown << m;
        }
        return shown;
    }
    // Opens the map with its key from the grid.
    TFDataMap* openMap()
    {
        toGrid(1, kv::ColEnable);
        keys(QKeySequence(Qt::CTRL | Qt::Key_M));
        const QList<TFDataMap*> shown = maps();
        return shown.size() == 1 ? shown.constFirst() : nullptr;
    }
    int gridRow() const { return grid->currentIndex().row() + 1; }
};

namespace {

QStringList findingTexts(const TFDataMap* map)
{
    QStringList texts;
    for (int i = 0; i < map->findings()->count(); ++i)
        texts << map->findings()->item(i)->text();
    return texts;
}

int placedFrom(const kv::DataMap& map, int row)
{
    for (const kv::DataMapPlacement& p : map.placements) {
        if (p.row == row)
            return p.from;
    }
    return -1;
}

} // namespace

class TestDataMapWindow : public QObject {
    Q_OBJECT
private slots:
    void followsTheGrid();
    void exportTagList();
    void captionsFit_data();
    void captionsFit();
};

void TestDataMapWindow::followsTheGrid()
{
    MapFixture f;
    QVERIFY(f.show());
    TFDataMap* map = f.openMap();
    QVERIFY(map);
    QCOMPARE(map->windowTitle(), QStringLiteral("Data map"));
    QCOMPARE(map->map().sizes.out, 64);
    QCOMPARE(map->map().sizes.in, 16);
    const QStringList before = findingTexts(map);
    QCOMPARE(before,
             QStringList({QStringLiteral("Overlap: rows 1 and 2 both write bytes 2 to 3 of the area the converter sends."),
                          QStringLiteral("Past the end: row 3 covers bytes 14 to 17, but its area (PROFINET_NB_IN) "
                                         "holds 16 bytes.")}));
    QCOMPARE(map->strips()->rowsAt(kv::DataArea::Out, 3), QVector<int>({1, 2}));

    // Hovering names the rows on a byte, and a byte past the end says so.
    const auto tip = [map](kv::DataArea area, int byte) {
        QHelpEvent help(QEvent::ToolTip, map->strips()->byteRect(area, byte).center(), QPoint(0, 0));
        QCoreApplication::sendEvent(map->strips(), &help);
        return QToolTip::text();
    };
    QCOMPARE(tip(kv::DataArea::Out, 3), QStringLiteral("Byte 3\n1 Temp\n2 Hum"));
    QCOMPARE(tip(kv::DataArea::In, 17), QStringLiteral("Byte 17 (past the area's end)\n3 Valve"));

    // The key again brings the same window to the front.
    QVERIFY(f.openMap() == map);

    // Row 2 typed away from row 1: the overlap goes.
    f.toGrid(2, kv::ColPosition);
    f.type(QStringLiteral("20\n"));
    QCOMPARE(f.model->rows().at(1).Position, QStringLiteral("20"));
    QCOMPARE(placedFrom(map->map(), 2), 20);
    QVERIFY(map->map().overlaps.isEmpty());
    QCOMPARE(findingTexts(map), QStringList(before.at(1)));

    // A click on row 2's range selects row 2 in the grid.
    f.toGrid(4, kv::ColEnable);
    const QRect byte = map->strips()->byteRect(kv::DataArea::Out, 21);
    QVERIFY(!byte.isEmpty());
    QTest::mouseClick(map->strips(), Qt::LeftButton, Qt::NoModifier, byte.center());
    QTest::qWait(20);
    QCOMPARE(f.gridRow(), 2);

    // Undo in the dialog brings back the overlap, in the map and its findings.
    f.toGrid(4, kv::ColEnable);
    f.keys(QKeySequence::Undo);
    QCOMPARE(f.model->rows().at(1).Position, QStringLiteral("2"));
    QCOMPARE(placedFrom(map->map(), 2), 2);
    QCOMPARE(findingTexts(map), before);

    // Enter on a finding selects its row; so does Enter on a range the arrows reach.
    map->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(map));
    map->findings()->setFocus();
    map->findings()->setCurrentRow(1);
    QTest::keyClick(map->findings(), Qt::Key_Return);
    QTest::qWait(20);
    QCOMPARE(f.gridRow(), 3);
    map->strips()->setFocus();
    QTest::keyClick(map->strips(), Qt::Key_Home); // the first range of the converter's area: row 1
    QTest::keyClick(map->strips(), Qt::Key_Right); // row 2, at byte 2
    QTest::keyClick(map->strips(), Qt::Key_Return);
    QTest::qWait(20);
    QCOMPARE(f.gridRow(), 2);

    // A clear Enable takes the row off the map.
    f.toGrid(1, kv::ColEnable);
    f.model->setData(f.model->index(0, kv::ColEnable), Qt::Unchecked, Qt::CheckStateRole);
    QTest::qWait(20);
    QCOMPARE(placedFrom(map->map(), 1), -1);

    // The map closes with the dialog.
    QPointer<TFDataMap> open(map);
    f.dialog.reject();
    QTest::qWait(20);
    QVERIFY(open.isNull());
}

void TestDataMapWindow::exportTagList()
{
    MapFixture f;
    QVERIFY(f.show());
    TFDataMap* map = f.openMap();
    QVERIFY(map);
    QPushButton* button = map->findChild<QPushButton*>(QStringLiteral("Btn_Export"));
    QVERIFY(button);
    QCOMPARE(button->text(), QStringLiteral("Export tag list..."));

    f.files.answer = f.dir.filePath(QStringLiteral("tags.csv"));
    button->click();
    QCOMPARE(f.files.calls, 1);
    QCOMPARE(f.files.lastCaption, QStringLiteral("Export tag list"));
    const QByteArray csv = readAll(f.files.answer);
    QVERIFY(csv.startsWith("\xEF\xBB\xBFTag,Direction,Byte offset,Byte count,Type,Row,Agent,OID,Mnemonic\r\n"));
    QVERIFY(csv.contains("\r\nTemp,controller input,0,4,Int,1,10.0.0.1,1.3.6.1.2.1.1.1.0,Temp\r\n"));
    QVERIFY(csv.contains("\r\nValve,controller output,14,4,Int,3,"));
    QVERIFY(f.messages.log.isEmpty());

    // A folder that does not exist: an error, no file.
    f.files.answer = f.dir.filePath(QStringLiteral("missing/tags.csv"));
    button->click();
    QCOMPARE(f.messages.log.size(), 1);
    QCOMPARE(f.messages.log.at(0).kind, QStringLiteral("error"));
    QVERIFY(!QFileInfo::exists(f.files.answer));
}

void TestDataMapWindow::captionsFit_data()
{
    QTest::addColumn<QString>("language");
    QTest::newRow("English") << QString();
    QTest::newRow("German") << QStringLiteral("Deutsch.lng");
}

void TestDataMapWindow::captionsFit()
{
    QFETCH(QString, language);
    MapFixture f;
    if (!language.isEmpty()) {
        QString version;
        kv::ReadLanguageFile(QStringLiteral(KV_SOURCE_DIR "/languages/") + language, f.state.Lang, version);
        f.dialog.Set_Lang();
    }
    QVERIFY(f.show());
    TFDataMap* map = f.openMap();
    QVERIFY(map);
    QTest::qWait(50);
    const QString out = qEnvironmentVariable("KV_GRAB_DIR");
    if (!out.isEmpty())
        map->grab().save(out + QStringLiteral("/data_map_") + QString::fromLatin1(QTest::currentDataTag()) + QStringLiteral(".png"));
    // Every caption whole, in the window as it opens and at its narrowest.
    const auto captionsWhole = [map] {
        for (const QPushButton* b : map->findChildren<QPushButton*>())
            QVERIFY2(b->sizeHint().width() <= b->width(), qPrintable(b->text()));
        for (const QLabel* l : map->findChildren<QLabel*>()) {
            if (l->wordWrap() || l->text().isEmpty())
                continue;
            QVERIFY2(l->sizeHint().width() <= l->width(), qPrintable(l->text()));
            QVERIFY2(l->mapTo(map, QPoint(l->sizeHint().width(), 0)).x() <= map->width(), qPrintable(l->text()));
        }
    };
    captionsWhole();
    // The strips fit the window's width with 32 bytes a line.
    QCOMPARE(map->strips()->bytesPerLine(), 32);
    QVERIFY(map->findChild<QScrollArea*>()->horizontalScrollBar()->isVisible() == false);
    // A narrow window: 16 bytes a line, still no sideways scrolling.
    map->resize(map->minimumWidth(), map->height());
    QTest::qWait(50);
    QCOMPARE(map->strips()->bytesPerLine(), 16);
    QVERIFY(map->findChild<QScrollArea*>()->horizontalScrollBar()->isVisible() == false);
    captionsWhole();
    if (!out.isEmpty())
        map->grab().save(out + QStringLiteral("/data_map_narrow_") + QString::fromLatin1(QTest::currentDataTag()) + QStringLiteral(".png"));
}

QTEST_MAIN(TestDataMapWindow)
#include "test_data_map_window.moc"
