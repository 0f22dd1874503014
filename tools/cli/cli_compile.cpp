#include "Cli.h"

// PLACEHOLDER: written by the work that builds this command.
int CmdCompile(const QStringList&)
{
    Err(QStringLiteral("compile: not available yet"));
    return 2;
}

int CmdInspect(const QStringList&)
{
    Err(QStringLiteral("inspect: not available yet"));
    return 2;
}
