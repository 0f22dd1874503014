#include "requests/SnmpRowTest.h"

#include "common/NumberRule.h"
#include "common/TextRules.h"
#include "requests/DeviceLimits.h"
#include "lang/LangTable.h"

#include <QVector>

namespace kv {

namespace {

enum : int {
    TxtErrorRow = 637,
    TxtTrapRow = 1134,
    TxtVersion3Row = 1135,
    TxtOtherMode = 1136,
    TxtNoVersion = 1137,
};

} // namespace

const char* SnmpVerdictKey(SnmpVerdict verdict)
{
    switch (verdict) {
    case SnmpVerdict::Fits:
        return "fits";
    case SnmpVerdict::FitsNow:
        return "fits-now";
    case SnmpVerdict::WrongType:
        return "wrong-type";
    case SnmpVerdict::TooLong:
        return "too-long";
    case SnmpVerdict::NoSuchObject:
        return "no-such-object";
    case SnmpVerdict::NoAnswer:
        return "no-answer";
    case SnmpVerdict::AgentError:
        return "agent-error";
    case SnmpVerdict::BadRow:
        return "bad-row";
    case SnmpVerdict::NotTestable:
        return "not-testable";
    }
    return "";
}

SnmpRowPlan PlanRowTest(const SnmpRequest& request, int row, const LangTable& lang)
{
    SnmpRowPlan plan;
    plan.row = row;
    plan.agent = TrimCtl(request.IP_Address);
    plan.oid = TrimCtl(request.OID);
    plan.community = request.Community_String;
    const QString mode = TrimCtl(request.Mode);
    const QString version = TrimCtl(request.Version);
    const auto notTestable = [&](int text) {
        plan.verdict = SnmpVerdict::NotTestable;
        plan.reason = lang.Get(text);
        return plan;
    };
    if (mode == QLatin1String("Trap"))
        return notTestable(TxtTrapRow);
    if (mode != QLatin1String("Get") && mode != QLatin1String("Set"))
        return notTestable(TxtOtherMode);
    if (version == QLatin1String("3"))
        return notTestable(TxtVersion3Row);
    if (version != QLatin1String("1") && version != QLatin1String("2"))
        return notTestable(TxtNoVersion);
    plan.version = version.toInt();
    plan.readOnly = mode == QLatin1String("Set");

    // The data check of this row alone, with its own number in the message.
    SnmpRequest checked = request;
    checked.Enable = QStringLiteral("Y");
    const SnmpCheckResult r = CheckSnmpRequests(QVector<SnmpRequest>{checked});
    if (!r.ok()) {
        plan.verdict = SnmpVerdict::BadRow;
        plan.reason = lang.Get(TxtErrorRow) + QString::number(row) + lang.Get(r.textIndex);
        return plan;
    }
    // A row the device would not get as it stands (the compile refuses it)
    // must not be reported as fitting, whatever its agent answers.
    int hint = 0;
    if (SnmpRowLimitColumn(request, &hint)) {
        plan.verdict = SnmpVerdict::BadRow;
        plan.reason = lang.Get(hint);
    }
    return plan;
}

int SignedBytesNeeded(qint64 value)
{
    int n = 1;
    while (n < 8 && (value < -(qint64(1) << (8 * n - 1)) || value >= (qint64(1) << (8 * n - 1))))
        ++n;
    return n;
}

int UnsignedBytesNeeded(quint64 value)
{
    int n = 1;
    while (n < 8 && value >> (8 * n))
        ++n;
    return n;
}

int SnmpTypeWidth(const QString& type)
{
    if (type == QLatin1String("Counter32") || type == QLatin1String("Gauge32") || type == QLatin1String("Unsigned32")
        || type == QLatin1String("Timeticks") || type == QLatin1String("TimeTicks"))
        return 4;
    if (type == QLatin1String("Counter64"))
        return 8;
    return 0;
}

SnmpVerdict JudgeAnswer(const SnmpRequest& request, const SnmpAnswer& answer, int* needed,
                        const SnmpObjectBounds& bounds, int* mayNeed)
{
    if (answer.status == SnmpAnswer::NoSuchObject)
        return SnmpVerdict::NoSuchObject;
    if (answer.status == SnmpAnswer::NoAnswer)
        return SnmpVerdict::NoAnswer;
    if (answer.status == SnmpAnswer::AgentError)
        return SnmpVerdict::AgentError;
    const QString type = TrimCtl(request.Type);
    int bytes = 0;
    int ahead = 0;
    if (type == QLatin1String("Int") && answer.isInteger) {
        bytes = answer.isSigned ? SignedBytesNeeded(answer.integer) : UnsignedBytesNeeded(answer.unsignedValue);
        ahead = bounds.known && bounds.intBytes > 0 ? bounds.intBytes : SnmpTypeWidth(answer.type);
    } else if (type == QLatin1String("String") && answer.type == QLatin1String("STRING")) {
        bytes = answer.octets;
        ahead = bounds.known ? bounds.stringBytes : 0;
    } else {
        return SnmpVerdict::WrongType;
    }
    if (needed)
        *needed = bytes;
    if (mayNeed)
        *mayNeed = ahead;
    // A conversion changes the size of what is stored: nothing to compare.
    if (TrimCtl(request.ConvertFrom) != QLatin1String("None"))
        return SnmpVerdict::Fits;
    qint32 count = 0;
    if (!ToInt32(request.Number_Bytes, count))
        return SnmpVerdict::Fits;
    if (bytes > count)
        return SnmpVerdict::TooLong;
    return ahead > count ? SnmpVerdict::FitsNow : SnmpVerdict::Fits;
}

QVector<int> EnabledContentRows(const QVector<SnmpRequest>& rows)
{
    QVector<int> numbers;
    const int content = SnmpContentRowCount(rows);
    for (int r = 1; r <= content; ++r) {
        if (RowIsCompiled(rows[r - 1].Enable))
            numbers << r;
    }
    return numbers;
}

} // namespace kv
