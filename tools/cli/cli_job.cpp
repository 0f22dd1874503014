#include "Cli.h"

// PLACEHOLDER: written by the work that builds this command.
int CmdJob(const QStringList&)
{
    Err(QStringLiteral("job: not available yet"));
    return 2;
}
