#include "Bench.h"

#include "compiler/Compiler.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>


namespace {

bool writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// A configuration as the editors write it: every key, 512 enabled rows with
// every attribute filled to the editors' limits (Num Bytes to the most a
// request record holds).
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
            + "\" Number_Bytes=\"255\" ConvertFrom=\"Float * 100\" Cancel=\"Y\" Mnemonic=\"request number "
            + n + " of the table, a description\"/>";
    }
    return doc + "</SNMP_Agent_Access><!--SW_VERSION = 1.000-->";
}

} // namespace

KV_BENCH(benchCompile, "compile: 512 full rows, with the durable write of bank.bin")
{
    QTemporaryDir dir;
    const QString parGen = dir.filePath(QStringLiteral("ParGen.xml"));
    const QString snmp = dir.filePath(QStringLiteral("SNMP_Manager.xml"));
    const QString bank = dir.filePath(QStringLiteral("bank.bin"));
    if (!dir.isValid() || !writeAll(parGen, fullParGen()) || !writeAll(snmp, fullTable())) {
        ctx.report(QStringLiteral("compile: cannot prepare the configuration"), 0, QStringLiteral("error"));
        return;
    }
    // What the user waits for when pressing Update Device: read and parse
    // both documents, convert, serialise, write bank.bin durably.
    const int reps = ctx.repetitions(50);
    std::vector<double> toFile;
    QElapsedTimer t;
    for (int i = 0; i <= reps; ++i) {
        t.start();
        const kv::CompileOutcome r = kv::CompileProjectToFile(parGen, snmp, bank);
        if (i > 0) // the first run is warm-up
            toFile.push_back(double(t.nsecsElapsed()) / 1e6);
        if (!r.ok())
            ctx.report(QStringLiteral("compile: failed: ") + r.message, 0, QStringLiteral("error"));
    }
    ctx.report(QStringLiteral("compile of 512 full rows incl. durable write of bank.bin (median, goal < 50)"),
               BenchContext::median(toFile), QStringLiteral("ms"));
}
