#pragma once
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVector>

#include "requests/SnmpRequests.h"
#include "requests/SnmpTableModel.h"

#include <functional>

class QWidget;

namespace kv {

struct UiServices;

// What a test's results keep of the table their rows came from.
struct SnmpTableLink {
    // Shows table row `row` (1..512) in the grid the rows came from.
    std::function<void(int row)> showRow;
    // The table itself: its changes after the test tell which results no
    // longer match their rows (dataChanged for edited rows, rowsRenumbered
    // and modelReset when row numbers may name other requests).
    QPointer<const SnmpTableModel> table;
};

// The cells a MIB object gives the row it fills.
struct SnmpRowFill {
    QString oid;
    QString type;
    QString numBytes;
    QString mode;
    QString mnemonic;
};

// The request table as the MIB tree window adds rows to it: all the window
// knows of the request dialog.
class ISnmpRowSink {
public:
    virtual ~ISnmpRowSink() = default;
    // Fills `fills` into the rows from the grid's current row on, as one step
    // of undo, the agent's address, version and community taken from the
    // current row where it has them; then says in one message over `window`
    // why the `refused` objects (one line each) were left out.  Nothing is
    // added when the rows would run past the table's end, or when the
    // engineer keeps rows that hold requests.  Returns the rows filled.
    virtual int AddMibRows(QWidget* window, const QVector<SnmpRowFill>& fills, const QStringList& refused) = 0;
};

// What the request table's dialog asks of the network: testing rows against
// their agents and browsing an agent.  Built by the snmp subsystem's windows
// (snmp/USnmpTools.h) and handed to the dialog through UiServices.
class ISnmpTools {
public:
    virtual ~ISnmpTools() = default;
    // False when this build cannot send SNMP requests, with the reason.
    virtual bool available(QString* why) const = 0;
    // Tests the rows (rows[i] is table row numbers[i]) in a results window
    // over parent; returns at once, the window fills as answers arrive.
    virtual void testRows(QWidget* parent, const QVector<SnmpRequest>& rows, const QVector<int>& numbers,
                          const SnmpTableLink& link) = 0;
    // Lets the engineer walk the agent of row `number` and choose an object:
    // its numeric OID, or an empty text when none was chosen.
    virtual QString browse(QWidget* parent, const SnmpRequest& row, int number) = 0;
    // Shows the MIB library's window over parent (modeless), or brings the
    // one already open to the front.
    virtual void showMibLibrary(QWidget* parent, UiServices& services) = 0;
    // Shows the MIB tree of the loaded modules over parent (or brings it to
    // the front); its "Add to table" fills rows through sink.  Needs no
    // network: a build without one shows it too.
    virtual void showMibTree(QWidget* parent, ISnmpRowSink* sink)
    {
        (void)parent;
        (void)sink;
    }
};

} // namespace kv
