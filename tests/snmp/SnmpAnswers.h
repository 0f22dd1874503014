#pragma once
// Answers of an agent as the SNMP client gives them, for tests that judge
// them without an agent.
#include "requests/SnmpRequests.h"
#include "requests/SnmpRowTest.h"

namespace kvtest {

// An integer-like value: INTEGER (signed), Counter32, Gauge32, Timeticks,
// Counter64 (unsigned).
inline kv::SnmpAnswer integer(const char* type, qint64 v)
{
    kv::SnmpAnswer a;
    a.status = kv::SnmpAnswer::Value;
    a.type = QString::fromLatin1(type);
    a.isInteger = true;
    a.isSigned = a.type == QLatin1String("INTEGER");
    a.integer = v;
    a.unsignedValue = quint64(v);
    a.value = QString::number(v);
    return a;
}

// An enabled request row on a timer, as the live test reads it.
inline kv::SnmpRequest requestRow(const QString& agent, const QString& oid, const char* type, const char* bytes,
                                  const char* mode = "Get", const char* version = "2", const char* convert = "None")
{
    kv::SnmpRequest r = kv::SnmpRequest::ResetRow();
    r.IP_Address = agent;
    r.Version = QString::fromLatin1(version);
    r.Community_String = QStringLiteral("public");
    r.OID = oid;
    r.Type = QString::fromLatin1(type);
    r.Mode = QString::fromLatin1(mode);
    r.On_Change = QStringLiteral("N");
    r.On_Command = QStringLiteral("N");
    r.On_Timer = QStringLiteral("Y");
    r.Time = QStringLiteral("1000");
    r.Position = QStringLiteral("0");
    r.Number_Bytes = QString::fromLatin1(bytes);
    r.ConvertFrom = QString::fromLatin1(convert);
    r.Cancel = QStringLiteral("N");
    return r;
}

} // namespace kvtest
