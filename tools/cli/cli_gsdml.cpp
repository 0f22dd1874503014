#include "Cli.h"

// PLACEHOLDER: written by the work that builds this command.
int CmdGsdml(const QStringList&)
{
    Err(QStringLiteral("gsdml: not available yet"));
    return 2;
}
