// Start-up, language load, GSDML write and the configurator's memory.
#include "Bench.h"

#include "state/AppState.h"
#include "gsdml/ProfinetXml.h"
#include "lang/Language.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

QString binDir()
{
    // kv52013-bench lives in build/bench, the programs in build/bin.
    return QCoreApplication::applicationDirPath() + QStringLiteral("/../bin");
}

} // namespace

KV_BENCH(benchStartup, "start-up to main window shown (process, median)")
{
    // The probe runs in a copy of the program's folder layout: a fresh
    // workspace, so that no earlier settings or languages weigh in.
    QTemporaryDir ws;
    const QString exe = ws.path() + QStringLiteral("/kv52013" KV_EXE_SUFFIX);
    if (!QFile::copy(binDir() + QStringLiteral("/kv52013" KV_EXE_SUFFIX), exe)) {
        ctx.report(QStringLiteral("start-up: kv52013 not built"), 0, QStringLiteral("-"));
        return;
    }
    std::vector<double> ms;
    std::vector<double> mb;
    for (int i = 0; i < ctx.repetitions(7); ++i) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("KV_STARTUP_PROBE"), QStringLiteral("1"));
        if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")))
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        p.setProcessEnvironment(env);
        p.start(exe, {});
        if (!p.waitForFinished(30000)) {
            p.kill();
            p.waitForFinished();
            continue;
        }
        const QString out = QString::fromUtf8(p.readAllStandardOutput());
        const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("startup_ms=(\\d+) vmhwm_kb=(\\d+)")).match(out);
        if (m.hasMatch()) {
            ms.push_back(m.captured(1).toDouble());
            mb.push_back(m.captured(2).toDouble() / 1024.0);
        }
    }
    ctx.report(QStringLiteral("start-up to main window shown"), BenchContext::median(ms), QStringLiteral("ms"));
    ctx.report(QStringLiteral("peak resident memory after start-up"), BenchContext::median(mb), QStringLiteral("MB"));
}

KV_BENCH(benchLanguageLoad, "language load of a file setting every entry")
{
    QTemporaryDir dir;
    QByteArray text = "\xEF\xBB\xBF//VERSION 1.0\r\n";
    for (int i = 0; i < kv::LangTableSize; ++i)
        text += "STR" + QByteArray::number(i) + " = Text number " + QByteArray::number(i) + " /#/ note\r\n";
    QFile f(dir.path() + QStringLiteral("/Bench.lng"));
    if (!f.open(QIODevice::WriteOnly))
        return;
    f.write(text);
    f.close();
    kv::LangTable table;
    std::vector<double> us;
    for (int i = 0; i < ctx.repetitions(50); ++i) {
        QString name = QStringLiteral("Bench");
        QString version;
        QElapsedTimer t;
        t.start();
        kv::LoadLanguage(table, name, dir.path(), version);
        us.push_back(double(t.nsecsElapsed()) / 1000.0);
    }
    ctx.report(QStringLiteral("language load, 1300 entries"), BenchContext::median(us) / 1000.0, QStringLiteral("ms"));
}

KV_BENCH(benchGsdml, "GSDML write")
{
    QTemporaryDir dir;
    const QString parGen = dir.path() + QStringLiteral("/ParGen.xml");
    std::vector<double> us;
    for (int i = 0; i < ctx.repetitions(50); ++i) {
        QElapsedTimer t;
        t.start();
        kv::Write_Profinet_XML(parGen, dir.path() + QStringLiteral("/out.xml"));
        us.push_back(double(t.nsecsElapsed()) / 1000.0);
    }
    ctx.report(QStringLiteral("GSDML write"), BenchContext::median(us) / 1000.0, QStringLiteral("ms"));
}
