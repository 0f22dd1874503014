#pragma once
#include <QDialog>

#include "documents/SnmpRequests.h"
#include "snmp/SnmpClient.h"
#include "state/AppState.h"

// Walks an agent and lets the engineer choose an object.
class TFSnmpBrowser : public QDialog {
    Q_OBJECT
public:
    // Shows the browser for row `number` (1..512) modally; the chosen
    // object's numeric OID, or an empty text.
    static QString choose(kv::AppState& state, kv::ISnmpClient& client, QWidget* parent, const kv::SnmpRequest& row,
                          int number);

    TFSnmpBrowser(kv::AppState& state, kv::ISnmpClient& client, QWidget* parent = nullptr);

private:
    kv::AppState& m_state;
    kv::ISnmpClient& m_client;
};
