#include "snmp/SnmpClient.h"

#include "documents/TextChecks.h"

#include <QElapsedTimer>
#include <QStringList>

#include "snmp/SnmpSockets.h"
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <algorithm>
#include <array>
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

QString oidText(const oid* name, size_t length)
{
    QString text;
    for (size_t i = 0; i < length; ++i) {
        if (i)
            text += QLatin1Char('.');
        text += QString::number(name[i]);
    }
    return text;
}

// The device reads "192.168.002.010" as decimal numbers; the library's
// address parser would take a leading zero for octal.
QString agentText(const QString& agent)
{
    std::array<quint8, 4> bytes{};
    if (CheckIpAddressText(agent, bytes)) // true when it is not an address
        return agent;
    return QStringLiteral("%1.%2.%3.%4").arg(bytes[0]).arg(bytes[1]).arg(bytes[2]).arg(bytes[3]);
}

// One single-session of the library for one request and its answer.
struct Session {
    void* handle = nullptr;

    explicit Session(const SnmpTarget& target)
    {
        netsnmp_session settings;
        snmp_sess_init(&settings);
        const QByteArray peer = QStringLiteral("udp:%1:161").arg(agentText(target.agent)).toLatin1();
        const QByteArray community = target.community.toUtf8();
        settings.peername = const_cast<char*>(peer.constData());
        settings.version = target.version == 1 ? SNMP_VERSION_1 : SNMP_VERSION_2c;
        settings.community = reinterpret_cast<u_char*>(const_cast<char*>(community.constData()));
        settings.community_len = size_t(community.size());
        settings.timeout = long(target.timeoutMs) * 1000L;
        settings.retries = target.retries;
        handle = snmp_sess_open(&settings); // copies what it keeps
    }
    ~Session()
    {
        if (handle)
            snmp_sess_close(handle);
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Sends pdu (which the library then owns); the answer, or null when none came.
    netsnmp_pdu* ask(netsnmp_pdu* pdu)
    {
        netsnmp_pdu* response = nullptr;
        const int status = snmp_sess_synch_response(handle, pdu, &response);
        if (status != STAT_SUCCESS) {
            if (response)
                snmp_free_pdu(response);
            return nullptr;
        }
        return response;
    }
};

// An answer that holds no object: noSuchObject, noSuchInstance, endOfMibView.
bool noObject(const netsnmp_variable_list* var)
{
    return var->type == SNMP_NOSUCHOBJECT || var->type == SNMP_NOSUCHINSTANCE || var->type == SNMP_ENDOFMIBVIEW;
}

// One request about one object, in a session of its own: GET, GETNEXT, or
// GETBULK for up to `repetitions` objects.  The answer (to be freed), or null
// when the OID is not digits and dots or no answer came.
netsnmp_pdu* request(const SnmpTarget& target, int command, const QString& text, int repetitions = 0)
{
    oid name[MAX_OID_LEN];
    size_t length = 0;
    if (!parseOid(text, name, &length))
        return nullptr;
    Session session(target);
    if (!session.handle)
        return nullptr;
    netsnmp_pdu* pdu = snmp_pdu_create(command);
    if (command == SNMP_MSG_GETBULK) {
        pdu->non_repeaters = 0;
        pdu->max_repetitions = std::max(1, repetitions);
    }
    snmp_add_null_var(pdu, name, length);
    return session.ask(pdu);
}

// Names from the system's MIB files (the library's MIB folders, or those
// MIBDIRS names), read at the first call.  The library's MIB tree is shared
// state: every use is under one lock.
QString mibName(const oid* name, size_t length)
{
#ifdef NETSNMP_DISABLE_MIB_LOADING
    Q_UNUSED(name) Q_UNUSED(length) return QString();
#else
    static std::mutex lock;
    static bool loaded = false;
    std::lock_guard<std::mutex> guard(lock);
    if (!loaded) {
        loaded = true;
        // Modules that import what the system lacks are read as far as they
        // go; the library's complaints about them are nobody's business here.
        netsnmp_ds_set_int(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_MIB_WARNINGS, 0);
        netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_MIB_ERRORS, 0);
        // A handler that drops them: with none at all the library writes to standard error.
        snmp_disable_log();
        netsnmp_register_loghandler(NETSNMP_LOGHANDLER_NONE, LOG_DEBUG);
        netsnmp_init_mib();
        read_all_mibs();
    }
    char text[1024];
    const int n = snprint_objid(text, sizeof text, name, length);
    if (n <= 0)
        return QString();
    const QString printed = QString::fromUtf8(text, n);
    // A name only where a module knows the object (or a node above it).
    return printed.contains(QLatin1String("::")) ? printed : QString();
#endif
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
        QElapsedTimer clock;
        clock.start();
        netsnmp_pdu* response = request(target, SNMP_MSG_GET, text);
        a.ms = clock.elapsed();
        if (!response)
            return a;
        if (response->errstat == SNMP_ERR_NOSUCHNAME) {
            a.status = SnmpAnswer::NoSuchObject;
        } else if (response->errstat == SNMP_ERR_NOERROR && response->variables) {
            if (noObject(response->variables))
                a.status = SnmpAnswer::NoSuchObject;
            else
                fillValue(response->variables, a);
        }
        snmp_free_pdu(response);
        return a;
    }

    SnmpNextStep next(const SnmpTarget& target, const QString& from, int count) override
    {
        SnmpNextStep step;
        netsnmp_pdu* response =
            request(target, target.version == 1 ? SNMP_MSG_GETNEXT : SNMP_MSG_GETBULK, from, count);
        if (!response)
            return step;
        if (response->errstat == SNMP_ERR_NOSUCHNAME) {
            // SNMPv1's way of saying that nothing follows.
            step.status = SnmpNextStep::EndOfView;
        } else if (response->errstat == SNMP_ERR_NOERROR) {
            step.status = SnmpNextStep::Objects;
            for (const netsnmp_variable_list* var = response->variables; var && !noObject(var); var = var->next_variable) {
                SnmpObject o;
                o.oid = oidText(var->name, var->name_length);
                fillValue(var, o.value);
                step.objects << o;
            }
            if (step.objects.isEmpty())
                step.status = SnmpNextStep::EndOfView;
        }
        snmp_free_pdu(response);
        return step;
    }

    QString objectName(const QString& text) override
    {
        oid name[MAX_OID_LEN];
        size_t length = 0;
        if (!parseOid(text, name, &length))
            return QString();
        return mibName(name, length);
    }
};

} // namespace

std::unique_ptr<ISnmpClient> MakeSnmpClient()
{
    return std::make_unique<NetSnmpClient>();
}

} // namespace kv
