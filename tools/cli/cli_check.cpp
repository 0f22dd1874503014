#include "Cli.h"

// PLACEHOLDER: written by the work that builds this command.
int CmdCheck(const QStringList&)
{
    Err(QStringLiteral("check: not available yet"));
    return 2;
}
