#include "Bench.h"

#include "compiler/Compiler.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <pugixml.hpp>

#include <malloc.h>

namespace {

bool writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// A configuration as the editors write it: every key, 512 enabled rows with
// every attribute filled to the editors' limits.
QByteArray fullParGen()
{
    return "<Par_Gen><SNMP_Manager_IP1>192</SNMP_Manager_IP1><SNMP_Manager_IP2>168</SNMP_Manager_IP2>"
           "<SNMP_Manager_IP3>10</SNMP_Manager_IP3><SNMP_Manager_IP4>10</SNMP_Manager_IP4>"
           "<SNMP_Manager_SM1>255</SNMP_Manager_SM1><SNMP_Manager_SM2>255</SNMP_Manager_SM2>"
           "<SNMP_Manager_SM3>255</SNMP_Manager_SM3><SNMP_Manager_SM4>0</SNMP_Manager_SM4>"
           "<SNMP_Manager_GAT1>192</SNMP_Manager_GAT1><SNMP_Manager_GAT2>168</SNMP_Manager_GAT2>"
           "<SNMP_Manager_GAT3>10</SNMP_Manager_GAT3><SNMP_Manager_GAT4>1</SNMP_Manager_GAT4>"
           "<SNMP_Manager_EN_GAT>1</SNMP_Manager_EN_GAT><SNMP_Name_of_Station>snmp-side-01234</SNMP_Name_of_Station>"
           "<PROFINET_IP1>192</PROFINET_IP1><PROFINET_IP2>168</PROFINET_IP2><PROFINET_IP3>20</PROFINET_IP3>"
           "<PROFINET_IP4>5</PROFINET_IP4><PROFINET_SM1>255</PROFINET_SM1><PROFINET_SM2>255</PROFINET_SM2>"
           "<PROFINET_SM3>255</PROFINET_SM3><PROFINET_SM4>0</PROFINET_SM4><PROFINET_GAT1>192</PROFINET_GAT1>"
           "<PROFINET_GAT2>168</PROFINET_GAT2><PROFINET_GAT3>20</PROFINET_GAT3><PROFINET_GAT4>1</PROFINET_GAT4>"
           "<PROFINET_EN_GAT>1</PROFINET_EN_GAT><PROFINET_PORT>34964</PROFINET_PORT>"
           "<PROFINET_NAME_STA>pn-side-0123456</PROFINET_NAME_STA><PROFINET_NB_IN>1439</PROFINET_NB_IN>"
           "<PROFINET_NB_OUT>1439</PROFINET_NB_OUT></Par_Gen><!--SW_VERSION = 1.000-->";
}

QByteArray fullTable()
{
    QByteArray doc = "<SNMP_Agent_Access>";
    for (int i = 0; i < 512; ++i) {
        const QByteArray n = QByteArray::number(i);
        doc += "<row Enable=\"Y\" IP_Address=\"192.168.100." + QByteArray::number(i % 250) + "\" Version=\""
            + QByteArray::number(1 + i % 3) + "\" Community_String=\"community" + n.rightJustified(6, '0')
            + "\" OID=\"1.3.6.1.4.1.65535.12345.1.2.3.4.5.6.7.8.9.10.11.12.13.14.15.16.17.18.19." + n.rightJustified(3, '0')
            + "\" Type=\"" + (i % 2 ? "Int" : "String") + "\" Mode=\"" + (i % 3 == 0 ? "Get" : i % 3 == 1 ? "Set" : "Trap")
            + "\" On_Change=\"Y\" On_Command=\"N\" On_Timer=\"Y\" Time=\"100000\" Position=\"" + QByteArray::number(i * 2)
            + "\" Number_Bytes=\"1024\" ConvertFrom=\"Float * 100\" Cancel=\"Y\" Mnemonic=\"request number "
            + n + " of the table, a description\"/>";
    }
    return doc + "</SNMP_Agent_Access><!--SW_VERSION = 1.000-->";
}

} // namespace

KV_BENCH(benchCompile, "compile: 512 full rows vs bare pugixml parse")
{
    QTemporaryDir dir;
    const QString parGen = dir.filePath(QStringLiteral("ParGen.xml"));
    const QString snmp = dir.filePath(QStringLiteral("SNMP_Manager.xml"));
    const QString bank = dir.filePath(QStringLiteral("bank.bin"));
    if (!dir.isValid() || !writeAll(parGen, fullParGen()) || !writeAll(snmp, fullTable())) {
        ctx.report(QStringLiteral("compile: cannot prepare the configuration"), 0, QStringLiteral("error"));
        return;
    }
    const QByteArray parGenPath = QFile::encodeName(parGen);
    const QByteArray snmpPath = QFile::encodeName(snmp);

    const int reps = ctx.repetitions(200);
    std::vector<double> parse;
    std::vector<double> inMemory;
    std::vector<double> toFile;
    std::vector<double> parsed;
    QElapsedTimer t;
    kv::Compiler compiler;
    // A table that is not in the editor's plain form (hand-edited, say)
    // goes through the XML parser.
    kv::Compiler parser;
    parser.UsePlainTableScan(false);
    // Blocks of each kind in turn: every block sees the same load from other
    // processes, and inside a block the allocator and caches reach the
    // steady state of a repeated task (single interleaved runs measure the
    // other task's leftovers instead).  The first block of each is warm-up.
    // The C library would hand freed memory back to the system after each
    // run and fault it in again at the next; keep it, so that both sides are
    // measured for their own work.
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    const int blocks = ctx.quick ? 2 : 11;
    const int perBlock = qMax(1, reps / 10);
    for (int k = 0; k < blocks; ++k) {
        for (int i = 0; i < perBlock; ++i) {
            t.start();
            {
                pugi::xml_document a;
                pugi::xml_document b;
                if (!a.load_file(parGenPath.constData()) || !b.load_file(snmpPath.constData()))
                    ctx.report(QStringLiteral("compile: bare parse failed"), 0, QStringLiteral("error"));
            }
            if (k > 0)
                parse.push_back(double(t.nsecsElapsed()) / 1e6);
        }
        for (int i = 0; i < perBlock; ++i) {
            t.start();
            compiler.CompileProject(parGen, snmp);
            if (k > 0)
                inMemory.push_back(double(t.nsecsElapsed()) / 1e6);
            if (compiler.Image().General.Num_Requests != 512)
                ctx.report(QStringLiteral("compile: failed"), 0, QStringLiteral("error"));
        }
        for (int i = 0; i < perBlock; ++i) {
            t.start();
            const kv::CompileOutcome r = kv::CompileProjectToFile(parGen, snmp, bank);
            if (k > 0)
                toFile.push_back(double(t.nsecsElapsed()) / 1e6);
            if (!r.ok())
                ctx.report(QStringLiteral("compile: failed: ") + r.message, 0, QStringLiteral("error"));
        }
        for (int i = 0; i < perBlock; ++i) {
            t.start();
            parser.CompileProject(parGen, snmp);
            if (k > 0)
                parsed.push_back(double(t.nsecsElapsed()) / 1e6);
        }
    }
    const double p = BenchContext::median(parse);
    const double m = BenchContext::median(inMemory);
    const double c = BenchContext::median(toFile);
    ctx.report(QStringLiteral("compile: bare pugixml parse of both files (median)"), p, QStringLiteral("ms"));
    ctx.report(QStringLiteral("compile: read, parse, convert, serialise (median)"), m, QStringLiteral("ms"));
    ctx.report(QStringLiteral("compile: ... and write bank.bin atomically (median)"), c, QStringLiteral("ms"));
    const double x = BenchContext::median(parsed);
    ctx.report(QStringLiteral("compile: ratio without the write / bare parse"), p > 0 ? m / p : 0, QStringLiteral("x"));
    ctx.report(QStringLiteral("compile: ratio through the XML parser, without the write"), p > 0 ? x / p : 0,
               QStringLiteral("x"));
    ctx.report(QStringLiteral("compile: ratio with the write / bare parse (goal <= 2)"), p > 0 ? c / p : 0,
               QStringLiteral("x"));
}
