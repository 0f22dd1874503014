#include "snmp/MibInstance.h"

#include "common/NumberRule.h"
#include "common/TextRules.h"
#include "lang/LangTable.h"

#include <QRegularExpression>

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

namespace kv {

namespace {

enum : int {
    TxtWithSyntax = 1236,
    TxtNoRowReads = 1237,
    TxtTypeCannotHold = 1296,
    TxtBytesCannotHold = 1297,
    TxtSetReadOnly = 1298,
};

bool writable(const QString& access)
{
    return access == QLatin1String("read-write") || access == QLatin1String("read-create")
        || access == QLatin1String("write-only");
}

QString rangesText(const QList<QPair<qint64, qint64>>& list)
{
    QStringList parts;
    for (const auto& p : list)
        parts.append(p.first == p.second ? QString::number(p.first) : QStringLiteral("%1..%2").arg(p.first).arg(p.second));
    return parts.join(QStringLiteral(" | "));
}

// The object as the engineer reads it in a sentence: its name and syntax.
QString subject(const MibObject& object, const QString& instance, const LangTable& lang)
{
    return lang.Get(TxtWithSyntax).arg(MibInstanceName(object, instance), MibSyntaxText(object));
}

} // namespace

bool FindMibInstance(const QString& oid, MibObject* object, QString* instance)
{
    QString text = oid.trimmed();
    if (text.startsWith(QLatin1Char('.')))
        text.remove(0, 1);
    static const QRegularExpression numeric(QStringLiteral("^\\d+(\\.\\d+)*$"));
    if (!numeric.match(text).hasMatch())
        return false;
    MibLibrary::Load();
#ifdef NETSNMP_DISABLE_MIB_LOADING
    Q_UNUSED(object) Q_UNUSED(instance) return false;
#else
    // One walk down the tree: the deepest node the OID passes through
    // decides, as what lies above a node that is no scalar or column is no
    // scalar or column either.
    const QStringList parts = text.split(QLatin1Char('.'));
    tree* level = get_tree_head();
    int depth = 0;
    for (const QString& p : parts) {
        bool ok = false;
        const qulonglong v = p.toULongLong(&ok);
        tree* found = nullptr;
        for (tree* n = level; ok && n; n = n->next_peer) {
            if (n->subid == v) {
                found = n;
                break;
            }
        }
        if (!found)
            break;
        ++depth;
        level = found->child_list;
    }
    if (depth == 0)
        return false;
    const QString prefix = parts.mid(0, depth).join(QLatin1Char('.'));
    MibObject o;
    if (!MibLibrary::Find(prefix, &o, nullptr) || (!o.scalar && !o.column))
        return false;
    *object = o;
    if (instance)
        *instance = parts.mid(depth).join(QLatin1Char('.'));
    return true;
#endif
}

QString MibInstanceName(const MibObject& object, const QString& instance)
{
    if (instance.isEmpty() || (object.scalar && instance == QLatin1String("0")))
        return object.fullName();
    return object.fullName() + QLatin1Char('.') + instance;
}

QString MibSyntaxText(const MibObject& object)
{
    QString text = object.syntax.isEmpty() ? object.base : object.syntax;
    if (!object.range.isEmpty())
        text += QStringLiteral(" (%1)").arg(rangesText(object.range));
    else if (!object.size.isEmpty())
        text += QStringLiteral(" (SIZE (%1))").arg(rangesText(object.size));
    return text;
}

SnmpObjectBounds MibBoundsFor(const QString& oid)
{
    SnmpObjectBounds b;
    MibObject o;
    QString instance;
    if (!FindMibInstance(oid, &o, &instance))
        return b;
    b.known = true;
    b.name = MibInstanceName(o, instance);
    b.syntax = MibSyntaxText(o);
    const MibRow row = MibRowFor(o);
    if (!row.filled)
        return b;
    if (row.type == QLatin1String("Int")) {
        // An INTEGER without a range or named numbers may take any value:
        // today's value decides, as without a module.
        const bool plain = (o.base == QLatin1String("INTEGER") || o.base == QLatin1String("Integer32"))
            && o.range.isEmpty() && o.enums.isEmpty();
        b.intBytes = plain ? 0 : row.numBytes;
    } else if (row.type == QLatin1String("String")) {
        b.stringBytes = o.size.isEmpty() ? 0 : row.numBytes;
    }
    return b;
}

QStringList MibRowProblems(const SnmpRequest& request, const LangTable& lang)
{
    QStringList problems;
    MibObject o;
    QString instance;
    if (!FindMibInstance(TrimCtl(request.OID), &o, &instance))
        return problems;
    const MibRow rule = MibRowFor(o, instance.isEmpty() ? QStringLiteral("1") : instance);
    const QString type = TrimCtl(request.Type);
    if (!rule.filled) {
        const QString what = o.access == QLatin1String("not-accessible") || o.access == QLatin1String("accessible-for-notify")
            ? o.access
            : MibSyntaxText(o);
        problems << lang.Get(TxtNoRowReads).arg(MibInstanceName(o, instance), what);
    } else if (type != rule.type) {
        problems << lang.Get(TxtTypeCannotHold).arg(type, subject(o, instance, lang), rule.type);
    } else if (TrimCtl(request.ConvertFrom) == QLatin1String("None")) {
        // A conversion changes what is stored: its size is not the object's.
        qint32 bytes = 0;
        if (ToInt32(request.Number_Bytes, bytes) && bytes < rule.numBytes)
            problems << lang.Get(TxtBytesCannotHold).arg(TrimCtl(request.Number_Bytes), subject(o, instance, lang))
                            .arg(rule.numBytes);
    }
    if (TrimCtl(request.Mode) == QLatin1String("Set") && !writable(o.access))
        problems << lang.Get(TxtSetReadOnly).arg(MibInstanceName(o, instance), o.access);
    return problems;
}

} // namespace kv
