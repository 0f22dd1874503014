#include "Cli.h"

#include "commparams/CommParams.h"
#include "requests/DataMap.h"
#include "requests/DeviceLimits.h"
#include "commparams/ProfinetName.h"
#include "requests/SnmpRequests.h"
#include "lang/LangTable.h"
#include "snmp/MibInstance.h"
#include "snmp/MibLibrary.h"

#include <QDir>
#include <QFileInfo>

// `check [--mibdir DIR]... PROJECT_DIR`: each document of the configuration
// is loaded the way its editor loads it and run through the editor's data
// check.  Rows whose object a loaded MIB module defines are held against
// its definition (the workspace's MIBS, the shipped base, and the folders
// given, which win).

namespace {

enum CheckStatus { Passed = 0, Failed = 1, Unreadable = 2 };

enum : int {
    TxtSnmpNameLabel = 408,
    TxtProfinetNameLabel = 556,
    TxtStationNameTooLong = 1187,
    TxtStationNameBadChar = 1242,
};

// One document of a configuration: its file name and its check, which
// prints its own lines and returns a CheckStatus.
struct DocumentCheck {
    const char* fileName;
    CheckStatus (*run)(const QString& path, const QString& fileName, const kv::LangTable& lang);
};

CheckStatus checkParGen(const QString& path, const QString& fileName, const kv::LangTable& lang)
{
    const kv::CommParamsLoad r = kv::LoadCommParams(path);
    if (r.load.status == kv::XmlLoad::Error) {
        Err(r.load.message);
        return Unreadable;
    }
    // What a controller or the network would refuse, or the compile cannot
    // put into the image, is worth a word here, not a failure: the editor
    // saves it too.
    const auto warn = [&](const QString& text) { Err(QStringLiteral("warning: ") + fileName + QStringLiteral(": ") + text); };
    if (const int problem = kv::ProfinetNameProblem(r.params.PROFINET_NAME_STA))
        warn(lang.Get(problem));
    const std::pair<const QString*, int> names[] = {{&r.params.SNMP_Name_of_Station, TxtSnmpNameLabel},
                                                    {&r.params.PROFINET_NAME_STA, TxtProfinetNameLabel}};
    for (const auto& [name, label] : names) {
        // As the compile judges it: the characters first, then the length.
        if (const char32_t c = kv::FirstNonDeviceChar(*name))
            warn(lang.Get(TxtStationNameBadChar).arg(lang.Get(label), kv::DeviceCharText(c)));
        else if (!kv::StationNameFits(*name))
            warn(lang.Get(TxtStationNameTooLong).arg(lang.Get(label)));
    }
    for (const kv::CommParamsOctetGroup mask : {kv::SnmpSmGroup, kv::PnSmGroup}) {
        const QString warning = kv::SubnetMaskWarning(r.params, mask, lang);
        if (!warning.isEmpty())
            warn(QString::fromLatin1(kv::CommParamsKeyName(kv::CommParamsOctetGroupOf(mask).octets[0])).chopped(1)
                 + QStringLiteral(": ") + warning);
    }
    QString message;
    if (!kv::Controllo_Dati(r.params, lang, &message)) {
        Out(fileName + QStringLiteral(": ") + message);
        return Failed;
    }
    return Passed;
}

CheckStatus checkSnmpManager(const QString& path, const QString& fileName, const kv::LangTable& lang)
{
    // ParGen.xml only sets the Position choices, which the check does not
    // look at; its own check reports it when it cannot be loaded.
    kv::SnmpTable table;
    const kv::XmlLoad load = kv::LoadSnmpRequests(QString(), path, table);
    if (load.status == kv::XmlLoad::Error) {
        Err(load.message);
        return Unreadable;
    }
    if (table.surplusRows > 0)
        Err(fileName + QStringLiteral(": ") + lang.Get(662));
    // Values the table's check admits but the device cannot hold, in every
    // row the compile would take.
    for (int i = 0; i < table.rows.size(); ++i) {
        const kv::SnmpRequest& row = table.rows.at(i);
        if (!kv::RowIsCompiled(row.Enable))
            continue;
        for (int column = 1; column <= kv::SnmpFieldCount; ++column) {
            if (const int hint = kv::SnmpCellLimitHint(row, column))
                Err(QStringLiteral("warning: %1: row %2: %3").arg(fileName).arg(i + 1).arg(lang.Get(hint)));
        }
    }
    // Rows a loaded MIB module says cannot hold their object, or cannot
    // write it.
    for (int i = 0; i < table.rows.size(); ++i) {
        const kv::SnmpRequest& row = table.rows.at(i);
        if (!kv::RowIsCompiled(row.Enable))
            continue;
        for (const QString& problem : kv::MibRowProblems(row, lang))
            Err(QStringLiteral("warning: %1: row %2: %3").arg(fileName).arg(i + 1).arg(problem));
    }
    // Where the compiled rows lie: bytes two Get rows both write, or bytes
    // past an area's end.  ParGen.xml's own check reports it when it cannot
    // be read.
    const kv::DataMapLoad map =
        kv::ReadDataMap(QFileInfo(path).dir().filePath(QStringLiteral("ParGen.xml")), path);
    if (map.ok()) {
        for (const QString& line : DataMapFindingLines(map.map))
            Err(QStringLiteral("warning: %1: %2").arg(fileName, line));
    }
    QString message;
    if (!kv::Controllo_dati(table.rows, lang, &message)) {
        Out(fileName + QStringLiteral(": ") + message);
        return Failed;
    }
    return Passed;
}

// In the order the configurator's steps edit them.
const DocumentCheck kDocuments[] = {
    {"ParGen.xml", checkParGen},
    {"SNMP_Manager.xml", checkSnmpManager},
};

} // namespace

int CmdCheck(const QStringList& args)
{
    const QString usage = QStringLiteral("usage: kv52013-cli check [--mibdir DIR]... PROJECT_DIR");
    QStringList mibDirs; // win over the workspace's MIBS and the shipped base
    QString dir;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--mibdir") && i + 1 < args.size()) {
            mibDirs.append(args[++i]);
        } else if (dir.isEmpty() && !args[i].startsWith(QLatin1Char('-'))) {
            dir = args[i];
        } else {
            Err(usage);
            return Unreadable;
        }
    }
    if (dir.isEmpty()) {
        Err(usage);
        return Unreadable;
    }
    kv::MibLibrary::SetFolders(mibDirs + kv::MibLibrary::Folders());
    if (!QFileInfo(dir).isDir()) {
        Err(QStringLiteral("check: %1: not a directory").arg(QDir::toNativeSeparators(dir)));
        return Unreadable;
    }
    const kv::LangTable lang; // the English texts
    int status = Passed;
    for (const DocumentCheck& doc : kDocuments) {
        const QString name = QString::fromLatin1(doc.fileName);
        status = qMax(status, int(doc.run(QDir(dir).filePath(name), name, lang)));
    }
    return status;
}
