#pragma once
// Running the command-line companion in tests.
#include <QProcess>
#include <QString>
#include <QStringList>

struct CliRun {
    int status = -1; // -1: did not end normally within a minute
    QString out;
    QString err;
    QByteArray rawOut; // standard output's bytes as they came
};

inline CliRun runCli(const QStringList& args, const QString& workDir = QString())
{
    QProcess p;
    if (!workDir.isEmpty())
        p.setWorkingDirectory(workDir);
    p.start(QStringLiteral(KV_BIN_DIR "/kv52013-cli" KV_EXE_SUFFIX), args);
    CliRun r;
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit)
        return r;
    r.status = p.exitCode();
    r.rawOut = p.readAllStandardOutput();
    r.out = QString::fromUtf8(r.rawOut);
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}
