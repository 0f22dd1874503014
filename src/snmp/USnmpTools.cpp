#include "snmp/USnmpTools.h"

#include "snmp/UMibLibrary.h"
#include "snmp/UMibTree.h"
#include "snmp/USnmpBrowser.h"
#include "snmp/USnmpTestResults.h"

namespace kv {

SnmpWindows::SnmpWindows(AppState& state, ISnmpClient& client)
    : m_state(state)
    , m_client(client)
{
}

bool SnmpWindows::available(QString* why) const
{
    return m_client.available(why);
}

void SnmpWindows::testRows(QWidget* parent, const QVector<SnmpRequest>& rows, const QVector<int>& numbers,
                           const SnmpTableLink& link)
{
    TFSnmpTestResults::showFor(m_state, m_client, parent, rows, numbers, link);
}

QString SnmpWindows::browse(QWidget* parent, const SnmpRequest& row, int number)
{
    return TFSnmpBrowser::choose(m_state, m_client, parent, row, number);
}

void SnmpWindows::showMibLibrary(QWidget* parent, UiServices& services)
{
    TFMibLibrary::showFor(m_state, services, parent);
}

void SnmpWindows::showMibTree(QWidget* parent, ISnmpRowSink* sink)
{
    TFMibTree::showFor(m_state, parent, sink);
}

} // namespace kv
