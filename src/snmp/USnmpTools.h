#pragma once
#include "requests/SnmpTools.h"
#include "snmp/SnmpClient.h"
#include "state/AppState.h"

namespace kv {

// The request table's network tools as windows: the results window of a
// test and the agent browser, both over one SNMP client.
class SnmpWindows : public ISnmpTools {
public:
    SnmpWindows(AppState& state, ISnmpClient& client);
    bool available(QString* why) const override;
    void testRows(QWidget* parent, const QVector<SnmpRequest>& rows, const QVector<int>& numbers,
                  const SnmpTableLink& link) override;
    QString browse(QWidget* parent, const SnmpRequest& row, int number) override;
    void showMibLibrary(QWidget* parent, UiServices& services) override;
    void showMibTree(QWidget* parent, ISnmpRowSink* sink) override;

private:
    AppState& m_state;
    ISnmpClient& m_client;
};

} // namespace kv
