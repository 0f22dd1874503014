#include "snmp/MibLibrary.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <QRegularExpression>

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <algorithm>
#include <cstdlib>
#include <numeric>

namespace kv {

namespace {

QMutex g_mutex; // guards the four below
QStringList g_folders;
bool g_foldersSet = false;
QList<MibModuleState> g_modules;
int g_generation = 0; // loads and reads so far
QByteArray g_folderState; // the library's thread only: our folders at the last read

bool g_loaded = false; // the library's thread only

// The reader's complaints while it reads: a logging handler for that time
// only, with its error and warning reports switched on.
class Capture {
public:
    Capture()
    {
        m_handler = netsnmp_register_loghandler(NETSNMP_LOGHANDLER_CALLBACK, LOG_DEBUG);
        snmp_register_callback(SNMP_CALLBACK_LIBRARY, SNMP_CALLBACK_LOGGING, &Capture::logged, this);
        netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_MIB_ERRORS, 1);
        netsnmp_ds_set_int(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_MIB_WARNINGS, 1);
    }
    ~Capture()
    {
        netsnmp_ds_set_int(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_MIB_WARNINGS, 0);
        netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_MIB_ERRORS, 0);
        snmp_unregister_callback(SNMP_CALLBACK_LIBRARY, SNMP_CALLBACK_LOGGING, &Capture::logged, this, 1);
        if (m_handler)
            netsnmp_remove_loghandler(m_handler);
    }
    Capture(const Capture&) = delete;
    Capture& operator=(const Capture&) = delete;

    QStringList lines() const
    {
        QStringList out = QString::fromUtf8(m_text).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        return out;
    }

private:
    static int logged(int, int, void* message, void* self)
    {
        auto* m = static_cast<snmp_log_message*>(message);
        auto* c = static_cast<Capture*>(self);
        // Bounded: a broken folder of thousands of files says enough early.
        if (m && m->msg && c->m_text.size() < (1 << 20))
            c->m_text += m->msg;
        return 0;
    }
    netsnmp_log_handler* m_handler = nullptr;
    QByteArray m_text;
};

// What the complaints say about each file: the first error with its line,
// the modules and names it imports in vain.
struct FileReport {
    int line = 0;
    QString message;
    QStringList missing;
};

QHash<QString, FileReport> reportsByFile(const QStringList& lines)
{
    static const QRegularExpression atLine(QStringLiteral("^(.*): At line (\\d+) in (.+)$"));
    static const QRegularExpression notFound(QStringLiteral("^Cannot find module \\((.+)\\)$"));
    static const QRegularExpression noName(QStringLiteral("^Did not find '([^']+)' in module (\\S+) \\((.+)\\)$"));
    static const QRegularExpression undefined(QStringLiteral("^(Undefined identifier: \\S+) near line (\\d+) of (.+)$"));
    QHash<QString, FileReport> reports;
    for (const QString& line : lines) {
        const QRegularExpressionMatch u = undefined.match(line);
        if (u.hasMatch()) {
            FileReport& r = reports[u.captured(3)];
            if (r.message.isEmpty()) {
                r.line = u.captured(2).toInt();
                r.message = u.captured(1);
            }
            continue;
        }
        const QRegularExpressionMatch name = noName.match(line);
        if (name.hasMatch()) {
            if (name.captured(2).startsWith(QLatin1Char('#')))
                continue; // from a module not found, which is named already
            QStringList& missing = reports[name.captured(3)].missing;
            const QString what = name.captured(2) + QLatin1String("::") + name.captured(1);
            if (!missing.contains(what))
                missing.append(what);
            continue;
        }
        const QRegularExpressionMatch at = atLine.match(line);
        if (!at.hasMatch())
            continue;
        FileReport& r = reports[at.captured(3)];
        const QRegularExpressionMatch module = notFound.match(at.captured(1));
        if (module.hasMatch()) {
            if (!r.missing.contains(module.captured(1)))
                r.missing.append(module.captured(1));
        } else if (r.message.isEmpty()) {
            r.line = at.captured(2).toInt();
            r.message = at.captured(1);
        }
    }
    return reports;
}

MibModuleState stateOf(const QString& name, const QString& file, const QHash<QString, FileReport>& reports)
{
    MibModuleState s;
    s.name = name;
    s.file = file;
    const auto r = reports.constFind(file);
    if (r == reports.constEnd())
        return s;
    if (!r->missing.isEmpty()) {
        s.kind = MibModuleState::MissingImports;
        s.missing = r->missing;
    } else if (!r->message.isEmpty()) {
        s.kind = MibModuleState::Failed;
        s.line = r->line;
        s.message = r->message;
    }
    return s;
}

QList<MibModuleState> readModules(const QHash<QString, FileReport>& reports)
{
    QList<MibModuleState> out;
    for (int id = 0;; ++id) {
        const module* m = find_module(id);
        if (!m)
            break;
        out.append(stateOf(QString::fromUtf8(m->name), QString::fromUtf8(m->file), reports));
    }
    std::sort(out.begin(), out.end(),
              [](const MibModuleState& a, const MibModuleState& b) { return a.name < b.name; });
    return out;
}

// The folders in the library's order: where two folders hold a module of
// the same name, the reader keeps the one it meets last.  So MIBDIRS (a
// leading + or - adds to the library's own folders, as the library itself
// reads it) or else the library's own folders come first, and ours after
// them, the folder of highest precedence last.
QByteArray searchPath()
{
    const QString sep = QStringLiteral(ENV_SEPARATOR);
    QStringList parts;
#ifdef NETSNMP_DEFAULT_MIBDIRS
    const QString own = QStringLiteral(NETSNMP_DEFAULT_MIBDIRS);
#else
    const QString own;
#endif
    const QString env = qEnvironmentVariable("MIBDIRS");
    if (env.isEmpty())
        parts.append(own);
    else if (env.startsWith(QLatin1Char('+')))
        parts << own << env.mid(1);
    else if (env.startsWith(QLatin1Char('-')))
        parts << env.mid(1) << own;
    else
        parts.append(env);
    const QStringList ours = MibLibrary::Folders();
    for (auto f = ours.crbegin(); f != ours.crend(); ++f)
        parts.append(QDir::cleanPath(*f));
    parts.removeAll(QString());
    return parts.join(sep).toLocal8Bit();
}

// Every file of our folders with its size and time: a change of any of
// them means the modules may differ.
QByteArray folderState()
{
    QByteArray out;
    for (const QString& folder : MibLibrary::Folders()) {
        out += QFile::encodeName(folder) + '\n';
        const QFileInfoList files = QDir(folder).entryInfoList(QDir::Files | QDir::Hidden, QDir::Name);
        for (const QFileInfo& f : files)
            out += QFile::encodeName(f.fileName()) + ' ' + QByteArray::number(f.size()) + ' '
                + QByteArray::number(f.lastModified().toMSecsSinceEpoch()) + '\n';
    }
    return out;
}

void readAll()
{
    g_folderState = folderState();
    static bool quiet = false;
    if (!quiet) {
        // Complaints outside a load are dropped rather than written to
        // standard error.
        quiet = true;
        netsnmp_register_loghandler(NETSNMP_LOGHANDLER_NONE, LOG_DEBUG);
    }
    QHash<QString, FileReport> reports;
    {
        Capture capture;
        netsnmp_set_mib_directory(searchPath().constData());
        // The descriptions are kept for the tree window and mib describe.
        netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_SAVE_MIB_DESCRS, 1);
        netsnmp_init_mib();
        read_all_mibs();
        reports = reportsByFile(capture.lines());
    }
    const QList<MibModuleState> modules = readModules(reports);
    QMutexLocker lock(&g_mutex);
    g_modules = modules;
    ++g_generation;
}

QString baseName(int type)
{
    switch (type) {
    case TYPE_INTEGER: return QStringLiteral("INTEGER");
    case TYPE_INTEGER32: return QStringLiteral("Integer32");
    case TYPE_UNSIGNED32: return QStringLiteral("Unsigned32");
    case TYPE_GAUGE: return QStringLiteral("Gauge32");
    case TYPE_COUNTER: return QStringLiteral("Counter32");
    case TYPE_TIMETICKS: return QStringLiteral("TimeTicks");
    case TYPE_COUNTER64: return QStringLiteral("Counter64");
    case TYPE_OCTETSTR: return QStringLiteral("OCTET STRING");
    case TYPE_IPADDR: return QStringLiteral("IpAddress");
    case TYPE_NETADDR: return QStringLiteral("NetworkAddress");
    case TYPE_OBJID: return QStringLiteral("OBJECT IDENTIFIER");
    case TYPE_OPAQUE: return QStringLiteral("Opaque");
    case TYPE_BITSTRING: return QStringLiteral("BITS");
    case TYPE_NSAPADDRESS: return QStringLiteral("NsapAddress");
    case TYPE_UINTEGER: return QStringLiteral("UInteger32");
    case TYPE_NULL: return QStringLiteral("NULL");
    default: return QString();
    }
}

QString accessName(int access)
{
    switch (access) {
    case MIB_ACCESS_READONLY: return QStringLiteral("read-only");
    case MIB_ACCESS_READWRITE: return QStringLiteral("read-write");
    case MIB_ACCESS_WRITEONLY: return QStringLiteral("write-only");
    case MIB_ACCESS_NOACCESS: return QStringLiteral("not-accessible");
    case MIB_ACCESS_NOTIFY: return QStringLiteral("accessible-for-notify");
    case MIB_ACCESS_CREATE: return QStringLiteral("read-create");
    default: return QString();
    }
}

QString statusName(int status)
{
    switch (status) {
    case MIB_STATUS_MANDATORY: return QStringLiteral("mandatory");
    case MIB_STATUS_OPTIONAL: return QStringLiteral("optional");
    case MIB_STATUS_OBSOLETE: return QStringLiteral("obsolete");
    case MIB_STATUS_DEPRECATED: return QStringLiteral("deprecated");
    case MIB_STATUS_CURRENT: return QStringLiteral("current");
    default: return QString();
    }
}

// The node the numeric OID names exactly, or null.
tree* nodeOfOid(const QString& text)
{
    QString t = text;
    if (t.startsWith(QLatin1Char('.')))
        t.remove(0, 1);
    const QStringList parts = t.split(QLatin1Char('.'));
    if (parts.isEmpty() || parts.size() > MAX_OID_LEN)
        return nullptr;
    tree* level = get_tree_head();
    tree* found = nullptr;
    for (const QString& p : parts) {
        bool ok = false;
        const qulonglong v = p.toULongLong(&ok);
        if (!ok)
            return nullptr;
        found = nullptr;
        for (tree* n = level; n; n = n->next_peer) {
            if (n->subid == v) {
                found = n;
                break;
            }
        }
        if (!found)
            return nullptr;
        level = found->child_list;
    }
    return found;
}

bool isUnsignedBase(int type)
{
    return type == TYPE_UNSIGNED32 || type == TYPE_GAUGE || type == TYPE_COUNTER || type == TYPE_TIMETICKS
        || type == TYPE_UINTEGER;
}

// The module a file defines: its first word, as the reader takes it.
QByteArray moduleNameOf(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    const QByteArray head = f.read(4096);
    static const QRegularExpression word(QStringLiteral("^(?:\\s|--[^\\n]*\\n)*([A-Za-z][A-Za-z0-9-]*)"));
    const QRegularExpressionMatch m = word.match(QString::fromLatin1(head));
    return m.hasMatch() ? m.captured(1).toLatin1() : QByteArray();
}

bool isSimpleType(int type)
{
    return type > TYPE_OTHER && type <= TYPE_SIMPLE_LAST;
}

bool isRowNode(const tree* node)
{
    return node && (node->indexes || node->augments);
}

MibTreeNode::Kind kindOf(const tree* node)
{
    if (isRowNode(node))
        return MibTreeNode::Row;
    for (const tree* c = node->child_list; c; c = c->next_peer) {
        if (isRowNode(c))
            return MibTreeNode::Table;
    }
    if (!isSimpleType(node->type))
        return MibTreeNode::Node;
    if (isRowNode(node->parent))
        return MibTreeNode::Column;
    return node->child_list ? MibTreeNode::Node : MibTreeNode::Scalar;
}

// Copies the tree depth first, children in OID order, each object under the
// nearest object above it of its own module (m_above, along the path walked).
class TreeCopy {
public:
    MibTree out;

    void walk(tree* first, const QString& prefix)
    {
        QVector<tree*> peers;
        for (tree* n = first; n; n = n->next_peer)
            peers.append(n);
        std::sort(peers.begin(), peers.end(), [](const tree* a, const tree* b) { return a->subid < b->subid; });
        for (tree* n : peers) {
            const QString oid = prefix.isEmpty() ? QString::number(n->subid)
                                                 : prefix + QLatin1Char('.') + QString::number(n->subid);
            const int module = moduleIndex(n->modid);
            int above = -1;
            if (module >= 0) {
                MibTreeNode node;
                node.name = QString::fromUtf8(n->label ? n->label : "");
                node.oid = oid;
                node.description = QString::fromUtf8(n->description ? n->description : "");
                node.kind = kindOf(n);
                node.module = module;
                node.parent = above = m_above.value(module, -1);
                const int index = int(out.nodes.size());
                QVector<int>& siblings = node.parent < 0 ? out.tops[module] : out.nodes[node.parent].children;
                node.row = int(siblings.size());
                siblings.append(index);
                out.nodes.append(node);
                m_above.insert(module, index);
            }
            if (n->child_list)
                walk(n->child_list, oid);
            if (module >= 0)
                m_above.insert(module, above);
        }
    }

    // Modules in name order, with their tops and nodes renumbered to match.
    void sortModules()
    {
        QVector<int> order(out.modules.size());
        std::iota(order.begin(), order.end(), 0);
        std::sort(order.begin(), order.end(), [this](int a, int b) { return out.modules[a] < out.modules[b]; });
        QVector<int> newIndex(order.size());
        QStringList modules;
        QVector<QVector<int>> tops;
        for (int i = 0; i < order.size(); ++i) {
            newIndex[order[i]] = i;
            modules.append(out.modules[order[i]]);
            tops.append(out.tops[order[i]]);
        }
        for (MibTreeNode& n : out.nodes)
            n.module = newIndex[n.module];
        out.modules = modules;
        out.tops = tops;
    }

private:
    int moduleIndex(int modid)
    {
        const auto known = m_modules.constFind(modid);
        if (known != m_modules.constEnd())
            return *known;
        char buf[256];
        const QString name = QString::fromUtf8(module_name(modid, buf));
        int index = -1;
        // Nodes of no module (the tree's own roots) are walked, not listed.
        if (modid >= 0 && !name.startsWith(QLatin1Char('#'))) {
            index = int(out.modules.size());
            out.modules.append(name);
            out.tops.append(QVector<int>());
        }
        m_modules.insert(modid, index);
        return index;
    }

    QHash<int, int> m_modules; // library module id -> index, -1 for none
    QHash<int, int> m_above;
};

} // namespace

namespace MibLibrary {

void SetFolders(const QStringList& folders)
{
    QMutexLocker lock(&g_mutex);
    g_folders = folders;
    g_foldersSet = true;
}

QStringList Folders()
{
    QMutexLocker lock(&g_mutex);
    if (g_foldersSet)
        return g_folders;
    const QString exe = QCoreApplication::applicationDirPath();
    return {exe + QStringLiteral("/MIBS"), exe + QStringLiteral("/MIBS_BASE")};
}

void Load()
{
    if (g_loaded)
        return;
    g_loaded = true;
#ifndef NETSNMP_DISABLE_MIB_LOADING
    readAll();
#endif
}

void Reload()
{
#ifndef NETSNMP_DISABLE_MIB_LOADING
    if (g_loaded)
        shutdown_mib();
    g_loaded = true;
    readAll();
#endif
}

bool ReloadIfChanged()
{
#ifndef NETSNMP_DISABLE_MIB_LOADING
    if (g_loaded && folderState() == g_folderState)
        return false;
    Reload();
    return true;
#else
    return false;
#endif
}

QList<MibModuleState> Modules()
{
    QMutexLocker lock(&g_mutex);
    return g_modules;
}

bool Find(const QString& nameOrOid, MibObject* object, QString* error)
{
    Load();
    static const QRegularExpression numeric(QStringLiteral("^\\.?\\d+(\\.\\d+)*$"));
    tree* node = nullptr;
    if (numeric.match(nameOrOid).hasMatch()) {
        node = nodeOfOid(nameOrOid);
    } else {
        const int sep = nameOrOid.indexOf(QLatin1String("::"));
        const QByteArray label = (sep < 0 ? nameOrOid : nameOrOid.mid(sep + 2)).toUtf8();
        int modid = -1;
        if (sep >= 0) {
            modid = which_module(nameOrOid.left(sep).toUtf8().constData());
            if (modid < 0) {
                if (error)
                    *error = QStringLiteral("no module %1 is loaded").arg(nameOrOid.left(sep));
                return false;
            }
        }
        if (!label.isEmpty())
            node = find_tree_node(label.constData(), modid);
    }
    if (!node) {
        if (error)
            *error = QStringLiteral("no loaded module defines %1").arg(nameOrOid);
        return false;
    }
    MibObject o;
    char buf[256];
    o.module = QString::fromUtf8(module_name(node->modid, buf));
    o.name = QString::fromUtf8(node->label);
    QStringList subids;
    for (tree* n = node; n; n = n->parent)
        subids.prepend(QString::number(n->subid));
    o.oid = subids.join(QLatin1Char('.'));
    o.base = baseName(node->type);
    const char* tc = node->tc_index >= 0 ? get_tc_descriptor(node->tc_index) : nullptr;
    o.syntax = tc ? QString::fromUtf8(tc) : o.base;
    const bool unsignedBase = isUnsignedBase(node->type);
    for (const range_list* r = node->ranges; r; r = r->next) {
        const qint64 low = unsignedBase ? qint64(quint32(r->low)) : qint64(r->low);
        const qint64 high = unsignedBase ? qint64(quint32(r->high)) : qint64(r->high);
        if (node->type == TYPE_OCTETSTR || node->type == TYPE_OPAQUE || node->type == TYPE_BITSTRING)
            o.size.append({low, high});
        else
            o.range.append({low, high});
    }
    for (const enum_list* e = node->enums; e; e = e->next)
        o.enums.append({QString::fromUtf8(e->label ? e->label : ""), qint64(e->value)});
    std::sort(o.enums.begin(), o.enums.end(), [](const auto& a, const auto& b) { return a.second < b.second; });
    o.access = accessName(node->access);
    o.status = statusName(node->status);
    o.units = QString::fromUtf8(node->units ? node->units : "");
    o.description = QString::fromUtf8(node->description ? node->description : "");
    const bool simple = isSimpleType(node->type);
    o.column = simple && isRowNode(node->parent);
    o.scalar = simple && !o.column && !node->child_list;
    *object = o;
    return true;
}

QList<MibModuleState> Lint(const QStringList& files)
{
    Load();
    QList<MibModuleState> out;
    for (const QString& f : files) {
        const QString path = QFileInfo(f).absoluteFilePath();
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            MibModuleState s;
            s.name = QFileInfo(f).fileName();
            s.file = path;
            s.kind = MibModuleState::Failed;
            s.message = QStringLiteral("cannot be read");
            out.append(s);
            continue;
        }
        file.close();
        // A module of the search path was read at the load: its state then.
        bool known = false;
        for (const MibModuleState& s : Modules()) {
            if (s.file == path) {
                out.append(s);
                known = true;
                break;
            }
        }
        if (known)
            continue;
        const QByteArray native = path.toLocal8Bit();
        QHash<QString, FileReport> reports;
        {
            Capture capture;
            // A module of the same name read from another file would be
            // taken as this one unread: it is dropped first.
            const QByteArray name = moduleNameOf(path);
            if (!name.isEmpty() && which_module(name.constData()) >= 0)
                netsnmp_unload_module(name.constData());
            read_mib(native.constData());
            adopt_orphans(); // says which definitions hang from undefined names
            reports = reportsByFile(capture.lines());
        }
        {
            // The tree has changed: a copy taken before is out of date.
            QMutexLocker lock(&g_mutex);
            ++g_generation;
        }
        QString name;
        QString modFile = path;
        for (int id = 0;; ++id) {
            const module* m = find_module(id);
            if (!m)
                break;
            if (QString::fromUtf8(m->file) == path)
                name = QString::fromUtf8(m->name);
        }
        if (name.isEmpty())
            name = QFileInfo(f).fileName();
        out.append(stateOf(name, modFile, reports));
    }
    return out;
}

MibTree Tree()
{
    Load();
    TreeCopy copy;
    copy.walk(get_tree_head(), QString());
    copy.sortModules();
    return copy.out;
}

int Generation()
{
    QMutexLocker lock(&g_mutex);
    return g_generation;
}

} // namespace MibLibrary
} // namespace kv
