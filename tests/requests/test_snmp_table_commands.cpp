#include <QtTest>

#include <QUndoStack>

#include "requests/SnmpRequests.h"
#include "requests/SnmpTableModel.h"
#include "requests/USnmpTableCommands.h"

using kv::SnmpRequest;

namespace {

// Rows 1..3 in use, every field distinct; the rest as a new table has them.
QVector<SnmpRequest> startTable()
{
    QVector<SnmpRequest> t(kv::SnmpMaxRows, SnmpRequest::ResetRow());
    for (int i = 0; i < 3; ++i) {
        for (int c = 1; c <= kv::SnmpFieldCount; ++c)
            t[i].field(c) = QStringLiteral("c%1r%2").arg(c).arg(i);
        t[i].Enable = QStringLiteral("Y");
    }
    return t;
}

// What the views are told, in order; rows and columns are the model's.
QString cells(int row, int first, int last = -1)
{
    return QStringLiteral("cells %1:%2-%3").arg(row).arg(first).arg(last < 0 ? first : last);
}
QString marks(int row)
{
    return QStringLiteral("marks %1").arg(row);
}
QString inserted(int row)
{
    return QStringLiteral("inserted %1").arg(row);
}
QString removed(int row)
{
    return QStringLiteral("removed %1").arg(row);
}
const QString Reset = QStringLiteral("reset");
const QString Renumbered = QStringLiteral("renumbered");
constexpr int Last = kv::SnmpMaxRows - 1;

} // namespace

// The undo steps of the request table over its model alone, as every view of
// the model sees them: each kind of edit done, undone and redone, with the
// model naming exactly the cells and rows that changed.
class TestSnmpTableCommands : public QObject {
    Q_OBJECT
private slots:
    void doUndoRedo_data();
    void doUndoRedo();
};

void TestSnmpTableCommands::doUndoRedo_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QStringList>("done"); // and redone
    QTest::addColumn<QStringList>("undone");
    QTest::newRow("cell typed") << QStringLiteral("type") << QStringList{cells(1, kv::ColMnemonic)}
                                << QStringList{cells(1, kv::ColMnemonic)};
    QTest::newRow("Enable cleared: the row's marks too")
        << QStringLiteral("check") << QStringList{cells(0, kv::ColEnable), marks(0)}
        << QStringList{cells(0, kv::ColEnable), marks(0)};
    QTest::newRow("OID from the browser") << QStringLiteral("browse") << QStringList{cells(2, kv::ColOid)}
                                          << QStringList{cells(2, kv::ColOid)};
    // Row 1: IP Address and Version, Community as it was, OID; row 4: Enable.
    const QStringList pasted{cells(1, kv::ColIpAddress, kv::ColVersion), cells(1, kv::ColOid), cells(4, kv::ColEnable),
                             marks(4)};
    QTest::newRow("block pasted") << QStringLiteral("paste") << pasted << pasted;
    QTest::newRow("table imported") << QStringLiteral("import") << QStringList{Reset} << QStringList{Reset};
    QTest::newRow("row inserted") << QStringLiteral("insert") << QStringList{removed(Last), inserted(1), Renumbered}
                                  << QStringList{removed(1), inserted(Last), Renumbered};
    QTest::newRow("row deleted") << QStringLiteral("delete") << QStringList{removed(0), inserted(Last), Renumbered}
                                 << QStringList{removed(Last), inserted(0), Renumbered};
    QTest::newRow("row 1 pasted over row 2")
        << QStringLiteral("paste row")
        << QStringList{cells(2, kv::ColIpAddress, kv::ColMnemonic), Renumbered}
        << QStringList{cells(2, kv::ColIpAddress, kv::ColMnemonic), Renumbered};
}

void TestSnmpTableCommands::doUndoRedo()
{
    QFETCH(QString, kind);
    QFETCH(QStringList, done);
    QFETCH(QStringList, undone);

    kv::SnmpTableModel model;
    const QVector<SnmpRequest> before = startTable();
    model.setRows(before);
    QUndoStack stack;
    // A cell written through setData (the grid's editors) is pushed as the
    // request dialog pushes it.
    connect(&model, &kv::SnmpTableModel::cellEdited, &stack,
            [&](int row, int column, const QString& was, const QString& now) {
                stack.push(new kv::SnmpCellCommand(&model, row, column, was, now));
            });

    QVector<SnmpRequest> after = before;
    // The table a step ends with: a view told of changed cells (or a reset)
    // finds the whole step made, never half of it.
    const QVector<SnmpRequest>* target = &after;
    QStringList log;
    connect(&model, &QAbstractItemModel::dataChanged, this,
            [&](const QModelIndex& from, const QModelIndex& to, const QList<int>& roles) {
                QVERIFY(model.rows() == *target);
                QVERIFY(from.row() == to.row());
                if (roles.isEmpty()) {
                    log << cells(from.row(), from.column(), to.column());
                } else {
                    // Only the marks of a whole row change apart from the text.
                    QCOMPARE(roles, (QList<int>{Qt::DecorationRole, Qt::ToolTipRole}));
                    QCOMPARE(from.column(), 1);
                    QCOMPARE(to.column(), kv::SnmpFieldCount);
                    log << marks(from.row());
                }
            });
    connect(&model, &QAbstractItemModel::rowsInserted, this, [&](const QModelIndex&, int first, int last) {
        QCOMPARE(last, first);
        log << inserted(first);
    });
    connect(&model, &QAbstractItemModel::rowsRemoved, this, [&](const QModelIndex&, int first, int last) {
        QCOMPARE(last, first);
        log << removed(first);
    });
    connect(&model, &QAbstractItemModel::modelReset, this, [&] {
        QVERIFY(model.rows() == *target);
        log << Reset;
    });
    connect(&model, &kv::SnmpTableModel::rowsRenumbered, this, [&] { log << Renumbered; });
    const QRect shown(kv::ColEnable, 0, 1, 1);
    if (kind == QLatin1String("type")) {
        after[1].Mnemonic = QStringLiteral("fan");
        model.setData(model.index(1, kv::ColMnemonic), QStringLiteral("fan"), Qt::EditRole);
    } else if (kind == QLatin1String("check")) {
        after[0].Enable = QStringLiteral("N");
        model.setData(model.index(0, kv::ColEnable), Qt::Unchecked, Qt::CheckStateRole);
    } else if (kind == QLatin1String("browse")) {
        after[2].OID = QStringLiteral("1.3.6.1.2.1.1.5.0");
        stack.push(new kv::SnmpCellCommand(&model, 2, kv::ColOid, before[2].OID, after[2].OID));
    } else if (kind == QLatin1String("paste")) {
        after[1].IP_Address = QStringLiteral("10.0.0.9");
        after[1].Version = QStringLiteral("1");
        after[1].OID = QStringLiteral("1.3.6.1.2.1.1.3.0");
        after[4].Enable = QStringLiteral("N");
        stack.push(new kv::SnmpPasteCellsCommand(&model, QString(), before, after, shown));
    } else if (kind == QLatin1String("import")) {
        after[0].Mnemonic = QStringLiteral("read");
        stack.push(new kv::SnmpImportCommand(&model, QString(), before, after, shown));
    } else if (kind == QLatin1String("insert")) {
        after.insert(1, SnmpRequest());
        after.removeLast();
        stack.push(new kv::SnmpInsertRowCommand(&model, QString(), 1, shown));
    } else if (kind == QLatin1String("delete")) {
        after.removeFirst();
        after.append(SnmpRequest());
        stack.push(new kv::SnmpDeleteRowCommand(&model, QString(), 0, shown));
    } else if (kind == QLatin1String("paste row")) {
        after[2] = before[1];
        stack.push(new kv::SnmpPasteRowCommand(&model, QString(), 2, before[1], shown));
    }
    QCOMPARE(stack.count(), 1);
    QVERIFY(model.rows() == after);
    QCOMPARE(log, done);

    log.clear();
    target = &before;
    stack.undo();
    QVERIFY(model.rows() == before);
    QCOMPARE(log, undone);

    log.clear();
    target = &after;
    stack.redo();
    QVERIFY(model.rows() == after);
    QCOMPARE(log, done);
    QCOMPARE(model.rowCount(), kv::SnmpMaxRows);
}

QTEST_MAIN(TestSnmpTableCommands)
#include "test_snmp_table_commands.moc"
