#include "snmp/SnmpClient.h"

#include <QElapsedTimer>
#include <QStringList>

#include "snmp/SnmpSockets.h"
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <mutex>

namespace kv {

namespace {

// Digits and dots only: no MIB is needed (nor loaded) to send a request.
bool parseOid(const QString& text, oid* name, size_t* length)
{
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() < 2 || size_t(parts.size()) > MAX_OID_LEN)
        return false;
    size_t n = 0;
    for (const QString& p : parts) {
        bool ok = false;
        const qulonglong v = p.toULongLong(&ok);
        if (!ok || v > 0xFFFFFFFFULL)
            return false;
        name[n++] = oid(v);
    }
    *length = n;
    return true;
}

void fillValue(const netsnmp_variable_list* var, SnmpAnswer& a)
{
    a.status = SnmpAnswer::Value;
    switch (var->type) {
    case ASN_INTEGER:
        a.type = QStringLiteral("INTEGER");
        a.isInteger = true;
        a.isSigned = true;
        a.integer = *var->val.integer;
        a.value = QString::number(a.integer);
        return;
    case ASN_COUNTER:
    case ASN_GAUGE:
    case ASN_TIMETICKS:
    case ASN_UINTEGER:
        a.type = var->type == ASN_COUNTER ? QStringLiteral("Counter32")
            : var->type == ASN_GAUGE      ? QStringLiteral("Gauge32")
            : var->type == ASN_TIMETICKS  ? QStringLiteral("Timeticks")
                                          : QStringLiteral("UInteger32");
        a.isInteger = true;
        a.unsignedValue = quint64(static_cast<unsigned long>(*var->val.integer) & 0xFFFFFFFFUL);
        a.value = QString::number(a.unsignedValue);
        return;
    case ASN_COUNTER64:
        a.type = QStringLiteral("Counter64");
        a.isInteger = true;
        a.unsignedValue = (quint64(var->val.counter64->high) << 32) | quint64(var->val.counter64->low & 0xFFFFFFFFUL);
        a.value = QString::number(a.unsignedValue);
        return;
    case ASN_OCTET_STR: {
        a.type = QStringLiteral("STRING");
        a.octets = int(var->val_len);
        const QByteArray bytes(reinterpret_cast<const char*>(var->val.string), qsizetype(var->val_len));
        bool printable = true;
        for (const char c : bytes)
            printable = printable && (uchar(c) >= 0x20 || c == '\t' || c == '\r' || c == '\n');
        a.value = printable ? QString::fromUtf8(bytes) : QString::fromLatin1(bytes.toHex(' ')).toUpper();
        return;
    }
    case ASN_OBJECT_ID: {
        a.type = QStringLiteral("OID");
        QStringList parts;
        for (size_t i = 0; i < var->val_len / sizeof(oid); ++i)
            parts << QString::number(var->val.objid[i]);
        a.value = parts.join(QLatin1Char('.'));
        return;
    }
    case ASN_IPADDRESS:
        a.type = QStringLiteral("IpAddress");
        if (var->val_len == 4)
            a.value = QStringLiteral("%1.%2.%3.%4")
                          .arg(var->val.string[0])
                          .arg(var->val.string[1])
                          .arg(var->val.string[2])
                          .arg(var->val.string[3]);
        return;
    case ASN_NULL:
        a.type = QStringLiteral("NULL");
        return;
    default:
        a.type = QStringLiteral("Opaque");
        return;
    }
}

class NetSnmpClient : public ISnmpClient {
public:
    NetSnmpClient()
    {
        static std::once_flag once;
        std::call_once(once, [] {
            StartSnmpSockets();
            // Requests name objects by number: the library's full start
            // (MIBs, configuration files, its state folder) is not needed;
            // a session starts with the library's defaults.
            netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_CONFIG_LOAD, 1);
            netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_PERSIST_STATE, 1);
            netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_LOAD, 1);
            netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_SAVE, 1);
            // The library starts itself with the first session, once, here
            // rather than on one of the threads that send requests.
            netsnmp_session first;
            snmp_sess_init(&first);
        });
    }
    bool available(QString*) const override { return true; }

    SnmpAnswer get(const SnmpTarget& target, const QString& text) override
    {
        SnmpAnswer a;
        oid name[MAX_OID_LEN];
        size_t length = 0;
        if (!parseOid(text, name, &length))
            return a;
        netsnmp_session settings;
        snmp_sess_init(&settings);
        const QByteArray peer = QStringLiteral("udp:%1:161").arg(target.agent).toLatin1();
        const QByteArray community = target.community.toUtf8();
        settings.peername = const_cast<char*>(peer.constData());
        settings.version = target.version == 1 ? SNMP_VERSION_1 : SNMP_VERSION_2c;
        settings.community = reinterpret_cast<u_char*>(const_cast<char*>(community.constData()));
        settings.community_len = size_t(community.size());
        settings.timeout = long(target.timeoutMs) * 1000L;
        settings.retries = target.retries;
        void* session = snmp_sess_open(&settings);
        if (!session)
            return a;
        netsnmp_pdu* pdu = snmp_pdu_create(SNMP_MSG_GET);
        snmp_add_null_var(pdu, name, length);
        netsnmp_pdu* response = nullptr;
        QElapsedTimer clock;
        clock.start();
        const int status = snmp_sess_synch_response(session, pdu, &response);
        a.ms = clock.elapsed();
        if (status == STAT_SUCCESS && response) {
            if (response->errstat == SNMP_ERR_NOSUCHNAME) {
                a.status = SnmpAnswer::NoSuchObject;
            } else if (response->errstat == SNMP_ERR_NOERROR && response->variables) {
                const netsnmp_variable_list* var = response->variables;
                if (var->type == SNMP_NOSUCHOBJECT || var->type == SNMP_NOSUCHINSTANCE || var->type == SNMP_ENDOFMIBVIEW)
                    a.status = SnmpAnswer::NoSuchObject;
                else
                    fillValue(var, a);
            }
        }
        if (response)
            snmp_free_pdu(response);
        snmp_sess_close(session);
        return a;
    }
};

} // namespace

std::unique_ptr<ISnmpClient> MakeSnmpClient()
{
    return std::make_unique<NetSnmpClient>();
}

} // namespace kv
