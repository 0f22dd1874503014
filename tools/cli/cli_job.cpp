#include "Cli.h"

#include "common/NumberRule.h"
#include "update/UpdateJob.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <pugixml.hpp>

namespace {

int jobUsage(const QString& problem)
{
    Err(QStringLiteral("job: ") + problem);
    Err(QStringLiteral("usage: kv52013-cli job PROJECT_DIR --ip TEXT --option 0|1|2 [--read-back] [-o FILE]"));
    return 2;
}

} // namespace

// Writes the updater's job file for a configuration, as the update dialog
// does after a successful ping, for scripted and unattended updates.
int CmdJob(const QStringList& args)
{
    QString projectDir, output;
    QString ip, option;
    bool haveIp = false, haveOption = false, haveProject = false, readBack = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == QLatin1String("--ip")) {
            if (!hasValue)
                return jobUsage(QStringLiteral("--ip needs the device address"));
            ip = args[++i];
            haveIp = true;
        } else if (a == QLatin1String("--option")) {
            if (!hasValue)
                return jobUsage(QStringLiteral("--option needs 0, 1 or 2"));
            option = args[++i];
            haveOption = true;
        } else if (a == QLatin1String("--read-back")) {
            readBack = true;
        } else if (a == QLatin1String("-o")) {
            if (!hasValue)
                return jobUsage(QStringLiteral("-o needs a file name"));
            output = args[++i];
        } else if (a.startsWith(QLatin1Char('-')) && a.size() > 1) {
            return jobUsage(QStringLiteral("unknown option ") + a);
        } else if (!haveProject) {
            projectDir = a;
            haveProject = true;
        } else {
            return jobUsage(QStringLiteral("one configuration directory only"));
        }
    }
    if (!haveProject || projectDir.isEmpty())
        return jobUsage(QStringLiteral("no configuration directory given"));
    if (!haveIp)
        return jobUsage(QStringLiteral("--ip is required"));
    if (!haveOption)
        return jobUsage(QStringLiteral("--option is required"));
    qint32 opt = -1;
    if (!kv::ToInt32(option, opt) || opt < 0 || opt > 2)
        return jobUsage(QStringLiteral("--option must be 0, 1 or 2, not \"%1\"").arg(option));

    const QString exeDir = QDir::cleanPath(QCoreApplication::applicationDirPath());
    kv::UpdateJobInput in;
    in.deviceAddress = ip; // as given, like the text of the address boxes
    in.updateOption = opt;
    in.readBack = readBack;
    in.masterDir = exeDir + QStringLiteral("/MASTER");
    in.activeProjectDir = QDir::cleanPath(QFileInfo(projectDir).absoluteFilePath());
    const QString target = output.isEmpty() ? kv::UpdateJobPath(exeDir) : QFileInfo(output).absoluteFilePath();

    if (!QFileInfo(in.activeProjectDir).isDir())
        Err(QStringLiteral("job: warning: %1 is not a directory").arg(QDir::toNativeSeparators(in.activeProjectDir)));
    else if (opt != 1 && !QFileInfo::exists(in.activeProjectDir + QStringLiteral("/bin/bank.bin")))
        Err(QStringLiteral("job: warning: the configuration has no compiled image (bin/bank.bin) yet"));

    pugi::xml_document doc;
    QString error;
    if (!kv::WriteUpdateJob(doc, in, target, &error)) {
        Err(QStringLiteral("job: ") + error);
        return 1;
    }
    Out(QDir::toNativeSeparators(target));
    return 0;
}
