#include "Cli.h"

// PLACEHOLDER: written by the work that builds this command.
int CmdLangcheck(const QStringList&)
{
    Err(QStringLiteral("langcheck: not available yet"));
    return 2;
}
