#pragma once
// The request table the benchmarks work on.
#include "requests/SnmpRequests.h"

#include <QVector>

namespace kv::bench {

// 512 enabled rows with every column filled.  A tag in the mnemonics makes
// two tables differ in every row.
inline QVector<kv::SnmpRequest> FullSnmpRows(const QString& tag = QString())
{
    QVector<kv::SnmpRequest> rows(kv::SnmpMaxRows);
    for (int i = 0; i < kv::SnmpMaxRows; ++i) {
        kv::SnmpRequest& r = rows[i];
        r.Enable = QStringLiteral("Y");
        r.IP_Address = QStringLiteral("10.1.%1.%2").arg(i / 200).arg(i % 200 + 1);
        r.Version = QStringLiteral("2");
        r.Community_String = QStringLiteral("Marble");
        r.OID = QStringLiteral("1.3.6.1.4.1.2021.10.1.3.%1").arg(i + 1);
        r.Type = QStringLiteral("Int");
        r.Mode = i % 3 ? QStringLiteral("Get") : QStringLiteral("Set");
        r.On_Change = QStringLiteral("Y");
        r.On_Command = QStringLiteral("N");
        r.On_Timer = QStringLiteral("Y");
        r.Time = QStringLiteral("1000");
        r.Position = QString::number(i * 2);
        r.Number_Bytes = QStringLiteral("2");
        r.ConvertFrom = QStringLiteral("Float * 10");
        r.Cancel = QStringLiteral("N");
        r.Mnemonic = tag + QStringLiteral("Load average of agent %1").arg(i + 1);
    }
    return rows;
}

} // namespace kv::bench
