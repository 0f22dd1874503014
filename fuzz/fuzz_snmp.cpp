// Any bytes as SNMP_Manager.xml: loaded into the 512 rows, checked; the rows
// saved read back the same.
#include "requests/SnmpRequests.h"
#include "lang/LangTable.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const kv::LangTable lang;
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    kv::SnmpTable table;
    if (!kv::LoadSnmpRequestsBytes(bytes, QStringLiteral("SNMP_Manager.xml"), table).ok())
        return 0;
    QString message;
    const bool passed = kv::Controllo_dati(table.rows, lang, &message);
    if (!passed && message.isEmpty())
        __builtin_trap();
    const QByteArray saved = kv::SnmpRequestsXml(table.rows);
    kv::SnmpTable again;
    if (!kv::LoadSnmpRequestsBytes(saved, QStringLiteral("again.xml"), again).ok())
        __builtin_trap();
    if (kv::SnmpRequestsXml(again.rows) != saved)
        __builtin_trap();
    return 0;
}
