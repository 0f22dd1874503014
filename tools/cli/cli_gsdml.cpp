#include "Cli.h"

#include "gsdml/ProfinetXml.h"

#include <QDir>
#include <QFileInfo>

// gsdml PROJECT_DIR -o FILE: the configurator's own GSDML writer, for scripts.
// Exit status: 0 written, 1 bad arguments, 2 ParGen.xml cannot be loaded,
// 3 FILE cannot be written.
int CmdGsdml(const QStringList& args)
{
    QString projectDir;
    QString output;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (a == QLatin1String("-o") && i + 1 < args.size()) {
            output = args.at(++i);
        } else if (projectDir.isEmpty() && !a.startsWith(QLatin1Char('-'))) {
            projectDir = a;
        } else {
            Err(QStringLiteral("gsdml: unexpected argument: %1").arg(a));
            Err(QStringLiteral("usage: kv52013-cli gsdml PROJECT_DIR -o FILE"));
            return 1;
        }
    }
    if (projectDir.isEmpty() || output.isEmpty()) {
        Err(QStringLiteral("usage: kv52013-cli gsdml PROJECT_DIR -o FILE"));
        return 1;
    }
    if (!QFileInfo(projectDir).isDir()) {
        Err(QStringLiteral("gsdml: %1: not a configuration directory").arg(QDir::toNativeSeparators(projectDir)));
        return 1;
    }
    const kv::ProfinetWriteResult r =
        kv::Write_Profinet_XML(projectDir + QStringLiteral("/ParGen.xml"), output);
    switch (r.status) {
    case kv::ProfinetWriteResult::Ok:
        return 0;
    case kv::ProfinetWriteResult::ReadError:
        Err(QStringLiteral("gsdml: ") + r.message);
        return 2;
    case kv::ProfinetWriteResult::WriteError:
        Err(QStringLiteral("gsdml: ") + r.message);
        return 3;
    }
    return 3;
}
