#include "Cli.h"

#include "common/AtomicFile.h"
#include "common/Files.h"
#include "requests/SnmpRequests.h"
#include "requests/SnmpTableText.h"
#include "lang/LangTable.h"

#include <QDir>
#include <QFileInfo>


// `table export PROJECT_DIR [-o FILE]` and `table import PROJECT_DIR FILE`:
// the request table of a configuration as CSV, read and written the way
// the request dialog's Export and Import do.
// Exit status: 0 done; 1 the imported table fails the data check; 2 a file
// cannot be read or written, or the CSV is refused (nothing is written).

namespace {

enum Status { Done = 0, CheckFailed = 1, Refused = 2 };

const QString kUsage = QStringLiteral("usage: kv52013-cli table export PROJECT_DIR [-o FILE]\n"
                                      "       kv52013-cli table import PROJECT_DIR FILE");

QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

int exportTable(const QString& dir, const QString& output)
{
    kv::SnmpTable table;
    const kv::XmlLoad load = kv::LoadSnmpRequests(QString(), QDir(dir).filePath(QStringLiteral("SNMP_Manager.xml")), table);
    if (load.status == kv::XmlLoad::Error) {
        Err(QStringLiteral("table: ") + load.message);
        return Refused;
    }
    const QByteArray csv = kv::SnmpRequestsCsv(table.rows);
    if (output.isEmpty()) {
        if (!kv::WriteStandardOutput(csv)) {
            Err(QStringLiteral("table: the standard output cannot be written"));
            return Refused;
        }
        return Done;
    }
    QString error;
    if (!kv::WriteFileAtomic(output, csv, &error)) {
        Err(QStringLiteral("table: ") + error);
        return Refused;
    }
    return Done;
}

int importTable(const QString& dir, const QString& input)
{
    const kv::LangTable lang; // the English texts
    kv::XmlLoad parGen;
    const int positions = kv::PositionChoiceCount(QDir(dir).filePath(QStringLiteral("ParGen.xml")), &parGen);
    if (parGen.status == kv::XmlLoad::Error) {
        Err(QStringLiteral("table: ") + parGen.message);
        return Refused;
    }
    QVector<kv::SnmpRequest> rows;
    kv::TableTextProblem problem;
    if (!kv::ReadSnmpCsvFile(input, positions, rows, problem)) {
        if (problem.kind == kv::TableTextProblem::FileError) {
            Err(QStringLiteral("table: ") + problem.text);
            return Refused;
        }
        Err(QStringLiteral("table: ") + native(input) + QStringLiteral(": ")
            + kv::TableTextMessage(problem, lang, QString::fromLatin1(kv::SnmpRequest::AttributeName(problem.column))));
        return Refused;
    }
    QString message;
    if (!kv::Controllo_dati(rows, lang, &message)) {
        Out(QStringLiteral("SNMP_Manager.xml: ") + message);
        return CheckFailed;
    }
    QString error;
    if (!kv::SaveSnmpRequests(rows, QDir(dir).filePath(QStringLiteral("SNMP_Manager.xml")), &error)) {
        Err(QStringLiteral("table: ") + error);
        return Refused;
    }
    return Done;
}

} // namespace

int CmdTable(const QStringList& args)
{
    const QString verb = args.value(0);
    QStringList rest = args.mid(1);
    QString output;
    if (verb == QLatin1String("export")) {
        const qsizetype o = rest.indexOf(QStringLiteral("-o"));
        if (o >= 0 && o + 1 < rest.size()) {
            output = rest.at(o + 1);
            rest.remove(o, 2);
        }
    }
    const bool shape = (verb == QLatin1String("export") && rest.size() == 1)
        || (verb == QLatin1String("import") && rest.size() == 2);
    if (!shape || rest.constFirst().startsWith(QLatin1Char('-'))) {
        Err(kUsage);
        return Refused;
    }
    const QString dir = rest.constFirst();
    if (!QFileInfo(dir).isDir()) {
        Err(QStringLiteral("table: %1: not a directory").arg(native(dir)));
        return Refused;
    }
    return verb == QLatin1String("export") ? exportTable(dir, output) : importTable(dir, rest.at(1));
}
