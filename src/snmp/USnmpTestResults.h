#pragma once
#include <QDialog>

#include "documents/SnmpRequests.h"
#include "snmp/SnmpClient.h"
#include "state/AppState.h"

// The results of a test of request rows against their agents.
class TFSnmpTestResults : public QDialog {
    Q_OBJECT
public:
    // Opens the window over parent and starts the test; returns at once.
    static TFSnmpTestResults* showFor(kv::AppState& state, kv::ISnmpClient& client, QWidget* parent,
                                      const QVector<kv::SnmpRequest>& rows, const QVector<int>& numbers);

    TFSnmpTestResults(kv::AppState& state, kv::ISnmpClient& client, QWidget* parent = nullptr);

private:
    kv::AppState& m_state;
    kv::ISnmpClient& m_client;
};
