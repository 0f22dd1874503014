#include "Cli.h"

#include "common/NumberRule.h"
#include "requests/SnmpRequests.h"
#include "lang/LangTable.h"
#include "snmp/MibLibrary.h"
#include "snmp/SnmpResultText.h"
#include "snmp/SnmpTestRun.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

// `snmp-test PROJECT_DIR [--rows FROM-TO] [--timeout MS] [--mibdir DIR]... [--json]`:
// each enabled row of the table's content read once from its agent, one
// line per row in row order.  A row fits when its Num Bytes holds every
// value its object may take (by its MIB module: the workspace's MIBS, the
// shipped base, and the folders given, which win), not only today's.  Exit status: 0 every tested row answered and fits, 1
// some did not, 2 the test could not run.

namespace {

const QString kUsage = QStringLiteral(
    "usage: kv52013-cli snmp-test PROJECT_DIR [--rows FROM-TO] [--timeout MS] [--mibdir DIR]... [--json]");

// Control characters as escapes: a row's line stays one line whatever its
// agent, OID or reason hold.
QString oneLine(const QString& text)
{
    QString out;
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

QString line(const kv::SnmpRowResult& r, const kv::SnmpRequest& request, const kv::LangTable& lang, bool json)
{
    const QString verdict = QString::fromLatin1(kv::SnmpVerdictKey(r.verdict));
    // Why a row was not sent, which error the agent answered with, or why
    // today's value is not enough.
    const QString reason = r.verdict == kv::SnmpVerdict::AgentError ? r.answer.error
        : r.verdict == kv::SnmpVerdict::FitsNow                     ? kv::SnmpFitsNowReason(r, request, lang)
                                                                    : r.plan.reason;
    if (json) {
        QJsonObject o;
        o.insert(QStringLiteral("row"), r.plan.row);
        o.insert(QStringLiteral("agent"), r.plan.agent);
        o.insert(QStringLiteral("oid"), r.plan.oid);
        if (!r.object.name.isEmpty())
            o.insert(QStringLiteral("name"), r.object.name);
        o.insert(QStringLiteral("verdict"), verdict);
        if (kv::SnmpValueAnswered(r.verdict)) {
            o.insert(QStringLiteral("type"), r.answer.hex ? QStringLiteral("Hex-STRING") : r.answer.type);
            o.insert(QStringLiteral("value"), r.answer.value);
            o.insert(QStringLiteral("ms"), double(r.answer.ms));
        }
        if (!reason.isEmpty())
            o.insert(QStringLiteral("reason"), reason);
        return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
    }
    QString text = QStringLiteral("row %1 %2 %3: %4").arg(r.plan.row).arg(r.plan.agent, r.plan.oid, verdict);
    if (kv::SnmpValueAnswered(r.verdict))
        text += QStringLiteral(" (%1, %2 ms)").arg(kv::SnmpValueText(r.answer)).arg(r.answer.ms);
    if (r.verdict == kv::SnmpVerdict::TooLong)
        text += QStringLiteral(", needs %1 bytes").arg(r.needed);
    if (!reason.isEmpty())
        text += QStringLiteral(" ") + reason;
    return oneLine(text);
}

} // namespace

int CmdSnmpTest(const QStringList& args)
{
    QString dir;
    int from = 1, to = kv::SnmpMaxRows, timeout = 1000;
    bool json = false;
    QStringList mibDirs;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (a == QLatin1String("--json")) {
            json = true;
        } else if (a == QLatin1String("--mibdir") && i + 1 < args.size()) {
            mibDirs.append(args.at(++i));
        } else if (a == QLatin1String("--rows") && i + 1 < args.size()) {
            const QStringList range = args.at(++i).split(QLatin1Char('-'));
            qint32 f = 0, t = 0;
            if (range.size() != 2 || !kv::ToInt32(range[0], f) || !kv::ToInt32(range[1], t) || f < 1 || t < f) {
                Err(kUsage);
                return 2;
            }
            from = f;
            to = t;
        } else if (a == QLatin1String("--timeout") && i + 1 < args.size()) {
            qint32 ms = 0;
            if (!kv::ToInt32(args.at(++i), ms) || ms < 1 || ms > 60000) {
                Err(kUsage);
                return 2;
            }
            timeout = ms;
        } else if (dir.isEmpty() && !a.startsWith(QLatin1Char('-'))) {
            dir = a;
        } else {
            Err(kUsage);
            return 2;
        }
    }
    if (dir.isEmpty()) {
        Err(kUsage);
        return 2;
    }
    if (!QFileInfo(dir).isDir()) {
        Err(QStringLiteral("snmp-test: %1: not a directory").arg(QDir::toNativeSeparators(dir)));
        return 2;
    }
    kv::SnmpTable table;
    const kv::XmlLoad load = kv::LoadSnmpRequests(QString(), QDir(dir).filePath(QStringLiteral("SNMP_Manager.xml")), table);
    if (load.status == kv::XmlLoad::Error) {
        Err(QStringLiteral("snmp-test: ") + load.message);
        return 2;
    }
    kv::MibLibrary::SetFolders(mibDirs + kv::MibLibrary::Folders());
    const std::unique_ptr<kv::ISnmpClient> client = kv::MakeSnmpClient();
    QString why;
    if (!client->available(&why)) {
        Err(QStringLiteral("snmp-test: ") + why);
        return 2;
    }
    QVector<kv::SnmpRequest> rows;
    QVector<int> numbers;
    for (int r : kv::EnabledContentRows(table.rows)) {
        if (r >= from && r <= to) {
            rows << table.rows[r - 1];
            numbers << r;
        }
    }
    const kv::LangTable lang;
    kv::SnmpTestRun run(*client);
    QVector<kv::SnmpRowResult> results;
    QEventLoop loop;
    QObject::connect(&run, &kv::SnmpTestRun::rowTested, &run,
                     [&results](const kv::SnmpRowResult& r) { results << r; });
    QObject::connect(&run, &kv::SnmpTestRun::done, &loop, &QEventLoop::quit);
    run.start(rows, numbers, timeout, lang);
    if (run.running())
        loop.exec();
    std::sort(results.begin(), results.end(),
              [](const kv::SnmpRowResult& a, const kv::SnmpRowResult& b) { return a.plan.row < b.plan.row; });
    int status = 0;
    for (const kv::SnmpRowResult& r : results) {
        Out(line(r, table.rows[r.plan.row - 1], lang, json));
        // A row that fits today only does not fit.
        if (r.verdict != kv::SnmpVerdict::Fits && r.verdict != kv::SnmpVerdict::NotTestable)
            status = 1;
    }
    return status;
}
