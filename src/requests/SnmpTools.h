#pragma once
#include <QPointer>
#include <QString>
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
};

} // namespace kv
