#include "Cli.h"

#include "snmp/MibLibrary.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

QJsonArray pairs(const QList<QPair<qint64, qint64>>& list)
{
    QJsonArray out;
    for (const auto& p : list)
        out.append(QJsonArray{double(p.first), double(p.second)});
    return out;
}

QString pairsText(const QList<QPair<qint64, qint64>>& list)
{
    QStringList parts;
    for (const auto& p : list)
        parts.append(p.first == p.second ? QString::number(p.first)
                                         : QStringLiteral("%1..%2").arg(p.first).arg(p.second));
    return parts.join(QStringLiteral(" | "));
}

int describe(const QStringList& args)
{
    QStringList added; // win over the workspace's MIBS and the shipped base

    QString what;
    bool json = false;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--json")) {
            json = true;
        } else if (args[i] == QLatin1String("--mibdir") && i + 1 < args.size()) {
            added.append(args[++i]);
        } else if (what.isEmpty() && !args[i].startsWith(QLatin1String("--"))) {
            what = args[i];
        } else {
            Err(QStringLiteral("usage: kv52013-cli mib describe [--mibdir DIR]... NAME|OID [--json]"));
            return 2;
        }
    }
    if (what.isEmpty()) {
        Err(QStringLiteral("usage: kv52013-cli mib describe [--mibdir DIR]... NAME|OID [--json]"));
        return 2;
    }
    kv::MibLibrary::SetFolders(added + kv::MibLibrary::Folders());
    kv::MibObject o;
    QString error;
    if (!kv::MibLibrary::Find(what, &o, &error)) {
        Err(error);
        return 1;
    }
    const kv::MibRow row = kv::MibRowFor(o);
    if (json) {
        QJsonObject enums;
        for (const auto& e : o.enums)
            enums.insert(e.first, double(e.second));
        QJsonObject out{{QStringLiteral("name"), o.fullName()},
                        {QStringLiteral("oid"), o.oid},
                        {QStringLiteral("syntax"), o.syntax},
                        {QStringLiteral("base"), o.base},
                        {QStringLiteral("range"), pairs(o.range)},
                        {QStringLiteral("size"), pairs(o.size)},
                        {QStringLiteral("enums"), enums},
                        {QStringLiteral("access"), o.access},
                        {QStringLiteral("status"), o.status},
                        {QStringLiteral("units"), o.units},
                        {QStringLiteral("description"), o.description}};
        if (row.filled) {
            out.insert(QStringLiteral("row"), QJsonObject{{QStringLiteral("OID"), row.oid},
                                                          {QStringLiteral("Type"), row.type},
                                                          {QStringLiteral("Number_Bytes"), row.numBytes},
                                                          {QStringLiteral("Mode"), row.mode},
                                                          {QStringLiteral("Mnemonic"), row.mnemonic}});
        } else {
            out.insert(QStringLiteral("row"), QJsonValue::Null);
            out.insert(QStringLiteral("reason"), row.reason);
        }
        Out(QString::fromUtf8(QJsonDocument(out).toJson(QJsonDocument::Indented)).trimmed());
        return 0;
    }
    Out(QStringLiteral("%1 = %2").arg(o.fullName(), o.oid));
    Out(QStringLiteral("  syntax: %1%2").arg(o.syntax, o.base != o.syntax ? QStringLiteral(" (%1)").arg(o.base) : QString()));
    if (!o.range.isEmpty())
        Out(QStringLiteral("  range: ") + pairsText(o.range));
    if (!o.size.isEmpty())
        Out(QStringLiteral("  size: ") + pairsText(o.size));
    if (!o.enums.isEmpty()) {
        QStringList e;
        for (const auto& p : o.enums)
            e.append(QStringLiteral("%1(%2)").arg(p.first).arg(p.second));
        Out(QStringLiteral("  enums: ") + e.join(QStringLiteral(", ")));
    }
    Out(QStringLiteral("  access: %1, status: %2").arg(o.access, o.status));
    if (!o.units.isEmpty())
        Out(QStringLiteral("  units: ") + o.units);
    if (!o.description.isEmpty())
        Out(QStringLiteral("  description: ") + o.description);
    if (row.filled)
        Out(QStringLiteral("  row: %1 %2 %3 bytes %4 %5").arg(row.oid, row.type).arg(row.numBytes).arg(row.mode, row.mnemonic));
    else
        Out(QStringLiteral("  no row: ") + row.reason);
    return 0;
}

int lint(const QStringList& args)
{
    QStringList added; // the folders of the modules the files import from
    QStringList files;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--mibdir") && i + 1 < args.size()) {
            added.append(args[++i]);
        } else if (args[i].startsWith(QLatin1String("--"))) {
            files.clear();
            break;
        } else {
            files.append(args[i]);
        }
    }
    if (files.isEmpty()) {
        Err(QStringLiteral("usage: kv52013-cli mib lint [--mibdir DIR]... FILE..."));
        return 2;
    }
    kv::MibLibrary::SetFolders(added + kv::MibLibrary::Folders());
    int status = 0;
    for (const kv::MibModuleState& s : kv::MibLibrary::Lint(files)) {
        Out(s.describe());
        if (!s.loaded())
            status = 1;
    }
    return status;
}

} // namespace

int CmdMib(const QStringList& args)
{
    const QString sub = args.value(0);
    if (sub == QLatin1String("describe"))
        return describe(args.mid(1));
    if (sub == QLatin1String("lint"))
        return lint(args.mid(1));
    Err(QStringLiteral("usage: kv52013-cli mib describe [--mibdir DIR]... NAME|OID [--json]\n"
                       "       kv52013-cli mib lint [--mibdir DIR]... FILE..."));
    return 2;
}
