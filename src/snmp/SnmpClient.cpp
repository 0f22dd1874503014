#include "snmp/SnmpClient.h"

#include "requests/TextChecks.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QHash>
#include <QLocale>
#include <QSocketNotifier>
#include <QStringList>
#include <QThread>
#include <QTimer>

#include "snmp/MibInstance.h"
#include "snmp/MibLibrary.h"
#include "snmp/SnmpSockets.h"
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>
#include <net-snmp/library/large_fd_set.h>

#include <algorithm>
#include <array>
#include <map>
#include <utility>
#include <vector>

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

// A value kept for display: the library's printing of at most this many
// bytes, with the full size said after it.
constexpr size_t kShownBytes = 256;

// Control characters as escapes, so that a value stays on one line.
QString oneLine(const QString& printed)
{
    QString out;
    out.reserve(printed.size());
    for (const QChar c : printed) {
        const ushort u = c.unicode();
        if (c == QLatin1Char('\n'))
            out += QLatin1String("\\n");
        else if (c == QLatin1Char('\r'))
            out += QLatin1String("\\r");
        else if (c == QLatin1Char('\t'))
            out += QLatin1String("\\t");
        else if (u < 0x20 || u == 0x7F)
            out += QStringLiteral("\\x%1").arg(u, 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

// The value as the library prints it (MIB hints and enumerations included),
// split into its type word and the rest: "Hex-STRING: 01 0A", "STRING: \"abc\"".
// The MIB tree is looked up afresh for each answer and nothing of it is
// kept: the MIB library window may read the modules again between answers.
void printValue(const netsnmp_variable_list* var, SnmpAnswer& a)
{
    netsnmp_variable_list shown = *var; // only the first bytes of a long value
    shown.next_variable = nullptr;
    const bool cut = (var->type == ASN_OCTET_STR || var->type == ASN_OPAQUE || var->type == ASN_BIT_STR)
        && var->val_len > kShownBytes;
    if (cut)
        shown.val_len = kShownBytes;
    std::vector<char> text(8 * kShownBytes + 512);
    const int n = snprint_value(text.data(), text.size(), var->name, var->name_length, &shown);
    if (n <= 0)
        return;
    QByteArray printed(text.data(), n);
    const int colon = printed.indexOf(": ");
    const QByteArray word = colon < 0 ? printed : printed.left(colon);
    QByteArray rest = colon < 0 ? QByteArray() : printed.mid(colon + 2);
    a.hex = word == "Hex-STRING";
    if (a.hex)
        rest = rest.simplified(); // the library breaks hex into lines of 16 bytes
    a.value = oneLine(QString::fromUtf8(rest));
    if (cut)
        a.value += QStringLiteral("\u2026 (%1 bytes)").arg(QLocale(QLocale::English).toString(qulonglong(var->val_len)));
}

void fillValue(const netsnmp_variable_list* var, SnmpAnswer& a)
{
    a.status = SnmpAnswer::Value;
    printValue(var, a);
    switch (var->type) {
    case ASN_INTEGER:
        a.type = QStringLiteral("INTEGER");
        a.isInteger = true;
        a.isSigned = true;
        a.integer = *var->val.integer;
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
        return;
    case ASN_COUNTER64:
        a.type = QStringLiteral("Counter64");
        a.isInteger = true;
        a.unsignedValue = (quint64(var->val.counter64->high) << 32) | quint64(var->val.counter64->low & 0xFFFFFFFFUL);
        return;
    case ASN_OCTET_STR:
        a.type = QStringLiteral("STRING");
        a.octets = int(var->val_len);
        return;
    case ASN_OBJECT_ID:
        a.type = QStringLiteral("OID");
        return;
    case ASN_IPADDRESS:
        a.type = QStringLiteral("IpAddress");
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

// An answer that holds no object: noSuchObject, noSuchInstance, endOfMibView.
bool noObject(const netsnmp_variable_list* var)
{
    return var->type == SNMP_NOSUCHOBJECT || var->type == SNMP_NOSUCHINSTANCE || var->type == SNMP_ENDOFMIBVIEW;
}

// The library's text for an error status: "(genError) A general failure occured".
QString errorText(long status)
{
    return QString::fromUtf8(snmp_errstring(int(status)));
}

// What an answer (or its absence) means for a GET.
SnmpAnswer getAnswer(const netsnmp_pdu* response)
{
    SnmpAnswer a;
    if (!response)
        return a;
    if (response->errstat == SNMP_ERR_NOSUCHNAME) {
        a.status = SnmpAnswer::NoSuchObject; // SNMPv1's way
    } else if (response->errstat != SNMP_ERR_NOERROR) {
        a.status = SnmpAnswer::AgentError;
        a.error = errorText(response->errstat);
    } else if (!response->variables || noObject(response->variables)) {
        a.status = SnmpAnswer::NoSuchObject;
    } else {
        fillValue(response->variables, a);
    }
    return a;
}

// What an answer (or its absence) means for a step of a walk.
SnmpNextStep nextStep(const netsnmp_pdu* response)
{
    SnmpNextStep step;
    if (!response)
        return step;
    if (response->errstat == SNMP_ERR_NOSUCHNAME) {
        step.status = SnmpNextStep::EndOfView; // SNMPv1's way of saying that nothing follows
    } else if (response->errstat != SNMP_ERR_NOERROR) {
        step.status = SnmpNextStep::AgentError;
        step.error = errorText(response->errstat);
    } else {
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
    return step;
}

// The library's start, once in the process and before its first session:
// its settings, and the MIB files (the workspace's, the shipped SMI base,
// then MIBDIRS or the system's), read here on the thread that sends the
// requests.
void startLibrary()
{
    static bool started = false;
    if (started)
        return;
    started = true;
    StartSnmpSockets();
    // Requests name objects by number: no configuration files nor state
    // folder; a session starts with the library's defaults.
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_CONFIG_LOAD, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_PERSIST_STATE, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_LOAD, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_SAVE, 1);
    // Modules that import what the system lacks are read as far as they go;
    // the library's complaints about them are nobody's business here.  A
    // handler that drops them: with none at all the library writes to
    // standard error.
    netsnmp_ds_set_int(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_MIB_WARNINGS, 0);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_MIB_ERRORS, 0);
    snmp_disable_log();
    netsnmp_register_loghandler(NETSNMP_LOGHANDLER_NONE, LOG_DEBUG);
    netsnmp_session first;
    snmp_sess_init(&first); // the library's own start
    MibLibrary::Load();
}

class NetSnmpClient;

// One single-session of the library: one agent, version and community, its
// socket watched by a notifier.
struct Session {
    NetSnmpClient* owner = nullptr;
    QString key;
    void* handle = nullptr;
    QSocketNotifier* notifier = nullptr;
    QHash<int, quint64> requests; // the library's request id -> ours, while the library holds it
    QElapsedTimer idle;           // since when nothing is out (invalid while something is)
    bool closing = false;
};

// A session with nothing out stays open this long for the next request.
constexpr qint64 kKeepIdleMs = 2000;
constexpr int kCloseAtOnce = 32;

// Every request goes through the library's single-session asynchronous
// calls, on one thread: a session per agent, version and community, a
// notifier per session's socket and one timer for the library's time-outs
// and retries.
class NetSnmpClient : public ISnmpClient {
public:
    NetSnmpClient() = default;
    ~NetSnmpClient() override
    {
        for (auto& s : m_sessions)
            close(s.second.get());
        m_sessions.clear();
        m_out.clear();
    }

    bool available(QString*) const override { return true; }

    quint64 send(const SnmpQuery& query, SnmpReplyHandler handler) override
    {
        start();
        const quint64 id = ++m_lastId;
        Out& o = m_out[id];
        o.query = query;
        o.handler = std::move(handler);
        o.clock.start();
        oid name[MAX_OID_LEN];
        size_t length = 0;
        Session* s = parseOid(query.oid, name, &length) ? session(query.target) : nullptr;
        if (s) {
            const bool walk = query.kind == SnmpQuery::Next;
            const int command = !walk ? SNMP_MSG_GET : query.target.version == 1 ? SNMP_MSG_GETNEXT : SNMP_MSG_GETBULK;
            netsnmp_pdu* pdu = snmp_pdu_create(command);
            if (command == SNMP_MSG_GETBULK) {
                pdu->non_repeaters = 0;
                pdu->max_repetitions = std::max(1, query.count);
            }
            snmp_add_null_var(pdu, name, length);
            const int reqid = snmp_sess_async_send(s->handle, pdu, &NetSnmpClient::event, s);
            if (reqid)
                s->requests.insert(reqid, id);
            else
                snmp_free_pdu(pdu);
            o.sent = reqid != 0;
        }
        if (!o.sent)
            m_ready.append({id, SnmpReply()}); // nothing went out: no answer
        m_timer->start(0);
        return id;
    }

    void cancel(quint64 id) override
    {
        if (m_out.remove(id))
            m_timer->start(0); // a session left with nothing to wait for closes
    }

    QString objectName(const QString& text) override
    {
#ifdef NETSNMP_DISABLE_MIB_LOADING
        Q_UNUSED(text) return QString();
#else
        start();
        // A name only where a module defines the object: every OID lies
        // below some node of the SMI base, whose name says nothing.
        MibObject object;
        QString instance;
        return FindMibInstance(text, &object, &instance) ? MibInstanceName(object, instance) : QString();
#endif
    }

    SnmpObjectBounds objectBounds(const QString& text) override
    {
#ifdef NETSNMP_DISABLE_MIB_LOADING
        Q_UNUSED(text) return {};
#else
        start();
        return MibBoundsFor(text);
#endif
    }

private:
    struct Out {
        SnmpQuery query;
        SnmpReplyHandler handler;
        QElapsedTimer clock;
        bool sent = false;
    };

    void start()
    {
        if (m_context) {
            Q_ASSERT(QThread::currentThread() == m_context->thread());
            return;
        }
        startLibrary();
        m_context = std::make_unique<QObject>();
        m_timer = new QTimer(m_context.get());
        m_timer->setSingleShot(true);
        m_timer->setTimerType(Qt::PreciseTimer);
        QObject::connect(m_timer, &QTimer::timeout, m_context.get(), [this] { timeouts(); });
    }

    // The open session for the target, or a new one; null when the library
    // cannot open it.
    Session* session(const SnmpTarget& target)
    {
        const QString key = QStringLiteral("%1/%2/").arg(agentText(target.agent)).arg(target.version) + target.community
            + QStringLiteral("/%1/%2").arg(target.timeoutMs).arg(target.retries);
        auto found = m_sessions.find(key);
        if (found != m_sessions.end())
            return found->second.get();
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
        void* handle = snmp_sess_open(&settings); // copies what it keeps
        if (!handle)
            return nullptr;
        const netsnmp_transport* transport = snmp_sess_transport(handle);
        if (!transport || transport->sock < 0) {
            snmp_sess_close(handle);
            return nullptr;
        }
        auto s = std::make_unique<Session>();
        s->owner = this;
        s->key = key;
        s->handle = handle;
        s->notifier = new QSocketNotifier(qintptr(transport->sock), QSocketNotifier::Read, m_context.get());
        Session* raw = s.get();
        QObject::connect(s->notifier, &QSocketNotifier::activated, m_context.get(), [this, raw] { read(raw); });
        m_sessions.emplace(key, std::move(s));
        return raw;
    }

    // The library's call for an answer, a request that timed out after its
    // retries, or one the session drops as it closes.
    static int event(int operation, netsnmp_session*, int reqid, netsnmp_pdu* pdu, void* magic)
    {
        auto* s = static_cast<Session*>(magic);
        // The library says so when it sends a retry: the request goes on.
        if (s->closing || operation == NETSNMP_CALLBACK_OP_RESEND || operation == NETSNMP_CALLBACK_OP_CONNECT)
            return 1;
        const auto found = s->requests.find(reqid);
        if (found == s->requests.end())
            return 1;
        const quint64 id = found.value();
        s->requests.erase(found);
        s->owner->settled(id, operation == NETSNMP_CALLBACK_OP_RECEIVED_MESSAGE ? pdu : nullptr);
        return 1;
    }

    // Read while the library holds the answer: handlers run after it returns.
    void settled(quint64 id, const netsnmp_pdu* response)
    {
        const auto found = m_out.constFind(id);
        if (found == m_out.constEnd())
            return; // cancelled
        SnmpReply reply;
        if (found->query.kind == SnmpQuery::Get) {
            reply.answer = getAnswer(response);
            reply.answer.ms = found->clock.elapsed();
        } else {
            reply.step = nextStep(response);
        }
        m_ready.append({id, reply});
    }

    void read(Session* s)
    {
        const netsnmp_transport* transport = snmp_sess_transport(s->handle);
        if (transport && transport->sock >= 0) {
            // What has arrived on the socket, up to a few answers, before
            // the handlers run.
            netsnmp_large_fd_set set;
            netsnmp_large_fd_set_init(&set, transport->sock + 1);
            for (int i = 0; i < 16; ++i) {
                NETSNMP_LARGE_FD_ZERO(&set);
                NETSNMP_LARGE_FD_SET(transport->sock, &set);
                if (i > 0) {
                    struct timeval now = {0, 0};
                    if (netsnmp_large_fd_set_select(transport->sock + 1, &set, nullptr, nullptr, &now) <= 0)
                        break;
                }
                snmp_sess_read2(s->handle, &set);
            }
            netsnmp_large_fd_set_cleanup(&set);
        }
        deliver();
    }

    void timeouts()
    {
        for (auto& s : m_sessions) {
            if (!s.second->requests.isEmpty())
                snmp_sess_timeout(s.second->handle);
        }
        deliver();
    }

    // Calls the handlers of what has settled (they may send and cancel),
    // closes the sessions left with nothing to wait for, and sets the timer
    // for the next time-out.
    void deliver()
    {
        while (!m_ready.isEmpty()) {
            const QVector<QPair<quint64, SnmpReply>> ready = std::exchange(m_ready, {});
            for (const auto& r : ready) {
                const auto found = m_out.find(r.first);
                if (found == m_out.end())
                    continue;
                const SnmpReplyHandler handler = std::move(found->handler);
                m_out.erase(found);
                handler(r.second);
            }
        }
        long next = -1;
        int closed = 0; // a few dozen at a time: closing takes a moment each
        for (auto it = m_sessions.begin(); it != m_sessions.end();) {
            Session* s = it->second.get();
            const bool waiting = std::any_of(s->requests.cbegin(), s->requests.cend(),
                                             [this](quint64 id) { return m_out.contains(id); });
            if (waiting) {
                s->idle.invalidate();
            } else if (closed == kCloseAtOnce) {
                next = 0;
            } else if (!s->requests.isEmpty() || (s->idle.isValid() && s->idle.elapsed() >= kKeepIdleMs)) {
                // Cancelled requests are not tried again; an idle session goes in time.
                ++closed;
                close(s);
                it = m_sessions.erase(it);
                continue;
            } else if (!s->idle.isValid()) {
                s->idle.start();
            }
            if (!waiting) {
                const long ms = s->idle.isValid() ? std::max(0L, long(kKeepIdleMs - s->idle.elapsed())) : 0L;
                next = next < 0 ? ms : std::min(next, ms);
            }
            ++it;
        }
        for (auto& s : m_sessions) {
            struct timeval wait = {0, 0};
            int block = 1;
            int count = 0;
            netsnmp_large_fd_set set;
            netsnmp_large_fd_set_init(&set, 1);
            snmp_sess_select_info2(s.second->handle, &count, &set, &wait, &block);
            netsnmp_large_fd_set_cleanup(&set);
            if (!block) {
                const long ms = long(wait.tv_sec) * 1000L + long(wait.tv_usec + 999) / 1000L;
                next = next < 0 ? ms : std::min(next, ms);
            }
        }
        if (next >= 0)
            m_timer->start(int(std::min(next, 60000L)));
        else
            m_timer->stop();
    }

    void close(Session* s)
    {
        s->closing = true; // what the library drops now is nobody's answer
        s->notifier->setEnabled(false);
        s->notifier->deleteLater();
        snmp_sess_close(s->handle);
    }

    std::unique_ptr<QObject> m_context; // lives on the thread of the requests
    QTimer* m_timer = nullptr;
    std::map<QString, std::unique_ptr<Session>> m_sessions;
    QHash<quint64, Out> m_out; // sent, handler not called yet
    QVector<QPair<quint64, SnmpReply>> m_ready;
    quint64 m_lastId = 0;
};

} // namespace

SnmpReply SnmpAskAndWait(ISnmpClient& client, const SnmpQuery& query)
{
    SnmpReply reply;
    QEventLoop loop;
    client.send(query, [&](const SnmpReply& r) {
        reply = r;
        loop.quit();
    });
    loop.exec();
    return reply;
}

std::unique_ptr<ISnmpClient> MakeSnmpClient()
{
    return std::make_unique<NetSnmpClient>();
}

} // namespace kv
