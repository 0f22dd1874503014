#include "snmp/USnmpBrowser.h"

QString TFSnmpBrowser::choose(kv::AppState& state, kv::ISnmpClient& client, QWidget* parent, const kv::SnmpRequest&,
                              int)
{
    TFSnmpBrowser w(state, client, parent);
    w.exec();
    return QString();
}

TFSnmpBrowser::TFSnmpBrowser(kv::AppState& state, kv::ISnmpClient& client, QWidget* parent)
    : QDialog(parent)
    , m_state(state)
    , m_client(client)
{
    setObjectName(QStringLiteral("TFSnmpBrowser"));
}
