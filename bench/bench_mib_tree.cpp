#include "Bench.h"

#include "snmp/MibLibrary.h"
#include "snmp/UMibTree.h"
#include "state/AppState.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPixmap>
#include <QTemporaryDir>

namespace {

// A vendor-style module of 100 tables of 40 columns and 1,000 scalars, each
// with a description of a few lines.
QByteArray largeModule()
{
    QByteArray m = "KVBENCH-MIB DEFINITIONS ::= BEGIN\n"
                   "IMPORTS MODULE-IDENTITY, OBJECT-TYPE, enterprises, Integer32, Counter32 FROM SNMPv2-SMI\n"
                   "        DisplayString FROM SNMPv2-TC;\n"
                   "kvBench MODULE-IDENTITY LAST-UPDATED \"202601010000Z\" ORGANIZATION \"b\" CONTACT-INFO \"b\"\n"
                   "    DESCRIPTION \"Benchmark.\" ::= { enterprises 64997 }\n";
    const QByteArray text = "    DESCRIPTION \"A value the device keeps, read by the manager every\n"
                            "                 second; it counts events since the last restart.\"\n";
    for (int s = 1; s <= 1000; ++s) {
        m += "kvbScalar" + QByteArray::number(s) + " OBJECT-TYPE SYNTAX Integer32 (0..1000) MAX-ACCESS read-only\n"
             "    STATUS current\n" + text + "    ::= { kvBench " + QByteArray::number(s) + " }\n";
    }
    for (int t = 1; t <= 100; ++t) {
        const QByteArray n = QByteArray::number(t);
        const QByteArray entry = "KvbEntry" + n;
        m += "kvbTable" + n + " OBJECT-TYPE SYNTAX SEQUENCE OF " + entry + " MAX-ACCESS not-accessible STATUS current\n"
             "    DESCRIPTION \"A table.\" ::= { kvBench " + QByteArray::number(1000 + t) + " }\n";
        m += "kvbEntry" + n + " OBJECT-TYPE SYNTAX " + entry + " MAX-ACCESS not-accessible STATUS current\n"
             "    DESCRIPTION \"A row.\" INDEX { kvbT" + n + "c1 } ::= { kvbTable" + n + " 1 }\n";
        QByteArray sequence = entry + " ::= SEQUENCE {";
        for (int c = 1; c <= 40; ++c)
            sequence += QByteArray(c > 1 ? ", " : " ") + "kvbT" + n + "c" + QByteArray::number(c) + (c == 1 ? " Integer32" : " Counter32");
        m += sequence + " }\n";
        for (int c = 1; c <= 40; ++c) {
            m += "kvbT" + n + "c" + QByteArray::number(c) + " OBJECT-TYPE SYNTAX " + (c == 1 ? "Integer32 (1..64)" : "Counter32")
                + " MAX-ACCESS " + (c == 1 ? "not-accessible" : "read-only") + "\n    STATUS current\n" + text
                + "    ::= { kvbEntry" + n + " " + QByteArray::number(c) + " }\n";
        }
    }
    return m + "END\n";
}

} // namespace

// The MIB tree window over some 5,000 objects (a large vendor module, the
// system's modules, the shipped base): opened, and a search typed, each
// until the window is drawn.
KV_BENCH(benchMibTree, "MIB tree window: opened over 5,000 objects, and searched")
{
    QTemporaryDir modules;
    QFile file(modules.filePath(QStringLiteral("KVBENCH-MIB")));
    if (!file.open(QIODevice::WriteOnly) || file.write(largeModule()) < 0)
        return;
    file.close();
    // The shipped base beside the programs.
    kv::MibLibrary::SetFolders({modules.path(), QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/MIBS_BASE")});
    kv::MibLibrary::Reload();
    QTemporaryDir dir;
    kv::AppState state(dir.path());
    const int reps = ctx.repetitions(10);
    std::vector<double> copy, open, narrow, broad, cleared;
    int objects = 0;
    QElapsedTimer t;
    for (int i = 0; i <= reps; ++i) {
        t.start();
        const kv::MibTree tree = kv::MibLibrary::Tree();
        if (i > 0)
            copy.push_back(double(t.nsecsElapsed()) / 1e6);
        objects = int(tree.nodes.size());

        t.start();
        TFMibTree w(state, nullptr);
        w.refreshTree();
        w.show();
        QApplication::processEvents();
        QPixmap shown = w.grab();
        if (i > 0)
            open.push_back(double(t.nsecsElapsed()) / 1e6);

        auto* search = w.findChild<QLineEdit*>(QStringLiteral("E_Search"));
        const auto typed = [&](const QString& text, std::vector<double>& samples) {
            t.start();
            search->setText(text);
            QApplication::processEvents();
            shown = w.grab();
            if (i > 0)
                samples.push_back(double(t.nsecsElapsed()) / 1e6);
        };
        typed(QStringLiteral("octets"), narrow);
        typed(QStringLiteral("the"), broad); // nearly every description
        typed(QString(), cleared);
        if (shown.isNull())
            ctx.report(QStringLiteral("MIB tree: nothing drawn"), 1, QStringLiteral("x"));
    }
    ctx.report(QStringLiteral("MIB tree: objects of the loaded modules"), objects, QStringLiteral("x"));
    ctx.report(QStringLiteral("MIB tree: copy of the loaded tree (median)"), BenchContext::median(copy), QStringLiteral("ms"));
    ctx.report(QStringLiteral("MIB tree: window opened and drawn (median, goal < 300)"), BenchContext::median(open),
               QStringLiteral("ms"));
    ctx.report(QStringLiteral("MIB tree: search \"octets\" shown (median, goal < 100)"), BenchContext::median(narrow),
               QStringLiteral("ms"));
    ctx.report(QStringLiteral("MIB tree: search \"the\" shown, paths to most objects opened (median, goal < 300)"),
               BenchContext::median(broad), QStringLiteral("ms"));
    ctx.report(QStringLiteral("MIB tree: search cleared (median, goal < 100)"), BenchContext::median(cleared),
               QStringLiteral("ms"));
}
