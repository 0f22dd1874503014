#pragma once
// Answers of an agent as the SNMP client gives them, for tests that judge
// them without an agent.
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

} // namespace kvtest
