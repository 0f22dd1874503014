#include "snmp/USnmpTestResults.h"

TFSnmpTestResults* TFSnmpTestResults::showFor(kv::AppState& state, kv::ISnmpClient& client, QWidget* parent,
                                              const QVector<kv::SnmpRequest>&, const QVector<int>&)
{
    auto* w = new TFSnmpTestResults(state, client, parent);
    w->setAttribute(Qt::WA_DeleteOnClose);
    w->show();
    return w;
}

TFSnmpTestResults::TFSnmpTestResults(kv::AppState& state, kv::ISnmpClient& client, QWidget* parent)
    : QDialog(parent)
    , m_state(state)
    , m_client(client)
{
    setObjectName(QStringLiteral("TFSnmpTestResults"));
}
