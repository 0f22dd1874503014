#include "Cli.h"

#include "common/AtomicFile.h"
#include "common/Files.h"
#include "requests/DataMap.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>

// `map PROJECT_DIR [--json]` and `map PROJECT_DIR --tags [-o FILE]`: where
// the compiled rows put their bytes in the two PROFINET data areas, and the
// tag list for the PLC programmer.
// Exit status: 0 no finding; 1 overlapping Get rows or a row past its
// area's end (the tag list is written all the same); 2 bad arguments, a
// document that cannot be read, or a tag list that cannot be written.

namespace {

enum Status { Clean = 0, Findings = 1, Unreadable = 2 };

const QString kUsage = QStringLiteral("usage: kv52013-cli map PROJECT_DIR [--json]\n"
                                      "       kv52013-cli map PROJECT_DIR --tags [-o FILE]");

QString areaName(kv::DataArea area)
{
    return area == kv::DataArea::Out ? QStringLiteral("out") : QStringLiteral("in");
}

// A JSON string literal, quotes included.
QString jsonString(const QString& text)
{
    const QByteArray a = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(a.mid(1, a.size() - 2));
}

// Bytes [from, to) as a reader counts them: "byte 4", "bytes 4-7".
QString byteRange(int from, int to)
{
    return to - from == 1 ? QStringLiteral("byte %1").arg(from) : QStringLiteral("bytes %1-%2").arg(from).arg(to - 1);
}

void printJson(const kv::DataMap& map)
{
    for (const kv::DataMapPlacement& p : map.placements)
        Out(QStringLiteral(R"({"kind":"row","area":"%1","row":%2,"from":%3,"to":%4,"mnemonic":%5})")
                .arg(areaName(p.area)).arg(p.row).arg(p.from).arg(p.to).arg(jsonString(p.mnemonic)));
    for (const kv::DataMapOverlap& o : map.overlaps)
        Out(QStringLiteral(R"({"kind":"overlap","area":"out","rows":[%1,%2],"from":%3,"to":%4})")
                .arg(o.rowA).arg(o.rowB).arg(o.from).arg(o.to));
    for (const kv::DataMapOutside& o : map.outside)
        Out(QStringLiteral(R"({"kind":"outside","area":"%1","row":%2,"from":%3,"to":%4,"size":%5})")
                .arg(areaName(o.area)).arg(o.row).arg(o.from).arg(o.to).arg(o.size));
    for (const int row : map.refused)
        Out(QStringLiteral(R"({"kind":"refused","row":%1})").arg(row));
}

void printLines(const kv::DataMap& map)
{
    Out(QStringLiteral("out: %1 bytes (PROFINET_NB_OUT), converter to controller, Get rows").arg(map.sizes.out));
    Out(QStringLiteral("in: %1 bytes (PROFINET_NB_IN), controller to converter, Set and Trap rows").arg(map.sizes.in));
    for (const kv::DataMapPlacement& p : map.placements)
        Out(QStringLiteral("row %1: %2 %3%4").arg(p.row).arg(areaName(p.area), byteRange(p.from, p.to),
                                                          p.mnemonic.isEmpty() ? QString() : QStringLiteral(": ") + p.mnemonic));
    for (const QString& line : DataMapFindingLines(map))
        Out(line);
    for (const int row : map.refused)
        Out(QStringLiteral("refused: row %1: its Num Bytes is outside 0..255").arg(row));
}

int writeTags(const kv::DataMapLoad& r, const QString& output)
{
    const QByteArray csv = kv::DataMapTagListCsv(r.rows);
    QString error;
    if (output.isEmpty() ? !kv::WriteStandardOutput(csv) : !kv::WriteFileAtomic(output, csv, &error)) {
        Err(QStringLiteral("map: ") + (output.isEmpty() ? QStringLiteral("the standard output cannot be written") : error));
        return Unreadable;
    }
    return r.map.hasFindings() ? Findings : Clean;
}

} // namespace

QStringList DataMapFindingLines(const kv::DataMap& map)
{
    QStringList lines;
    for (const kv::DataMapOverlap& o : map.overlaps)
        lines << QStringLiteral("overlap: rows %1 and %2 share out %3").arg(o.rowA).arg(o.rowB).arg(byteRange(o.from, o.to));
    for (const kv::DataMapOutside& o : map.outside)
        lines << QStringLiteral("outside: row %1 ends past the %2 area's %3 bytes (%4)")
                     .arg(o.row)
                     .arg(areaName(o.area))
                     .arg(o.size)
                     .arg(byteRange(o.from, o.to));
    return lines;
}

int CmdMap(const QStringList& args)
{
    QString dir;
    QString output;
    bool json = false;
    bool tags = false;
    bool hasOutput = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (a == QLatin1String("--json")) {
            json = true;
        } else if (a == QLatin1String("--tags")) {
            tags = true;
        } else if (a == QLatin1String("-o") && i + 1 < args.size()) {
            output = args.at(++i);
            hasOutput = true;
        } else if (dir.isEmpty() && !a.startsWith(QLatin1Char('-'))) {
            dir = a;
        } else {
            Err(QStringLiteral("map: unexpected argument: %1").arg(a));
            Err(kUsage);
            return Unreadable;
        }
    }
    if (dir.isEmpty() || (tags && json) || (hasOutput && !tags)) {
        Err(kUsage);
        return Unreadable;
    }
    if (!QFileInfo(dir).isDir()) {
        Err(QStringLiteral("map: %1: not a directory").arg(QDir::toNativeSeparators(dir)));
        return Unreadable;
    }
    const kv::DataMapLoad r = kv::ReadDataMap(QDir(dir).filePath(QStringLiteral("ParGen.xml")),
                                              QDir(dir).filePath(QStringLiteral("SNMP_Manager.xml")));
    if (!r.ok()) {
        Err(QStringLiteral("map: ") + r.load.message);
        return Unreadable;
    }
    if (tags)
        return writeTags(r, output);
    if (json)
        printJson(r.map);
    else
        printLines(r.map);
    return r.map.hasFindings() ? Findings : Clean;
}
