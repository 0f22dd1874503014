#include "Cli.h"

#include "common/Files.h"

#include <QCoreApplication>
#include <QString>

// Lines end with LF on every platform: the same bytes as on Linux.
void Out(const QString& text)
{
    kv::WriteStandardOutput(text.toUtf8() + '\n');
}

void Err(const QString& text)
{
    kv::WriteStandardError(text.toUtf8() + '\n');
}

static void usage()
{
    Err(QStringLiteral(
        "usage: kv52013-cli COMMAND ...\n"
        "  langcheck FILE [--json]             what a language file sets\n"
        "  check PROJECT_DIR                   run the data checks of a configuration\n"
        "  compile PROJECT_DIR [-o FILE]       compile the configuration image (exit 1: a value the\n"
        "                                      device cannot hold, nothing written)\n"
        "  inspect FILE [--json]               decode a configuration image\n"
        "  job PROJECT_DIR --ip TEXT --option 0|1|2 [--read-back] [-o FILE]\n"
        "                                      write the updater's job file\n"
        "  gsdml PROJECT_DIR -o FILE           write the PROFINET device description\n"
        "  table export PROJECT_DIR [-o FILE]  the request table as CSV (standard output by default)\n"
        "  table import PROJECT_DIR FILE       replace the request table with a CSV file\n"
        "  snmp-test PROJECT_DIR [--rows FROM-TO] [--timeout MS] [--json]\n"
        "                                      read each enabled row once from its agent\n"
        "  map PROJECT_DIR [--json]            where the compiled rows lie in the PROFINET data areas\n"
        "                                      (exit 1: overlapping Get rows or a row past its area)\n"
        "  map PROJECT_DIR --tags [-o FILE]    the PLC tag list as CSV\n"
        "  mib describe [--mibdir DIR]... NAME|OID [--json]\n"
        "                                      a MIB object and the row it fills\n"
        "  mib lint FILE...                    each MIB module's state (exit 1: one does not load)"));
}

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments();
    args.removeFirst();
    if (args.isEmpty()) {
        usage();
        return 2;
    }
    const QString cmd = args.takeFirst();
    if (cmd == QLatin1String("langcheck"))
        return CmdLangcheck(args);
    if (cmd == QLatin1String("check"))
        return CmdCheck(args);
    if (cmd == QLatin1String("compile"))
        return CmdCompile(args);
    if (cmd == QLatin1String("inspect"))
        return CmdInspect(args);
    if (cmd == QLatin1String("job"))
        return CmdJob(args);
    if (cmd == QLatin1String("gsdml"))
        return CmdGsdml(args);
    if (cmd == QLatin1String("table"))
        return CmdTable(args);
    if (cmd == QLatin1String("map"))
        return CmdMap(args);
    if (cmd == QLatin1String("mib"))
        return CmdMib(args);
    if (cmd == QLatin1String("snmp-test"))
        return CmdSnmpTest(args);
    usage();
    return 2;
}
