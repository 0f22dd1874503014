#include "snmp/SnmpResultText.h"

#include "common/NumberRule.h"
#include "common/TextRules.h"
#include "lang/LangTable.h"

namespace kv {

namespace {

enum : int {
    TxtFits = 1153,
    TxtWrongTypeInt = 1154,
    TxtWrongTypeString = 1155,
    TxtWrongTypeOther = 1156,
    TxtTooLong = 1157,
    TxtNoSuchObject = 1158,
    TxtNoAnswer = 1159,
    TxtAgentError = 1222,
    TxtNotAsked = 1223,
    TxtFitsNow = 1290,
    TxtFitsOneByteToday = 1291,
    TxtFitsBytesToday = 1292,
    TxtTypeNeeds = 1293,
    TxtStringFitsToday = 1294,
    TxtWithSyntax = 1236,
};

} // namespace

bool SnmpValueAnswered(SnmpVerdict verdict)
{
    return verdict == SnmpVerdict::Fits || verdict == SnmpVerdict::FitsNow || verdict == SnmpVerdict::WrongType
        || verdict == SnmpVerdict::TooLong;
}

QString SnmpValueText(const SnmpAnswer& answer)
{
    if (answer.status != SnmpAnswer::Value)
        return QString();
    if (answer.hex)
        return QStringLiteral("Hex-STRING ") + answer.value;
    if (answer.value.isEmpty())
        return answer.type;
    return answer.type + QLatin1Char(' ') + answer.value;
}

QString SnmpFitsNowReason(const SnmpRowResult& result, const SnmpRequest& request, const LangTable& lang)
{
    const SnmpAnswer& a = result.answer;
    const qint32 bytes = ToInt32Or(TrimCtl(request.Number_Bytes), 0);
    // What needs more: the object as its module defines it, or else the
    // answer's type.
    const QString what = result.object.known ? lang.Get(TxtWithSyntax).arg(result.object.name, result.object.syntax)
                                             : lang.Get(TxtTypeNeeds).arg(a.type);
    if (!a.isInteger)
        return lang.Get(TxtStringFitsToday).arg(a.octets).arg(what).arg(result.mayNeed);
    const QString value = a.isSigned ? QString::number(a.integer) : QString::number(a.unsignedValue);
    if (bytes == 1)
        return lang.Get(TxtFitsOneByteToday).arg(value, what).arg(result.mayNeed);
    return lang.Get(TxtFitsBytesToday).arg(value, QString::number(bytes), what).arg(result.mayNeed);
}

QString SnmpVerdictText(const SnmpRowResult& result, const SnmpRequest& request, const LangTable& lang, int timeoutMs)
{
    switch (result.verdict) {
    case SnmpVerdict::Fits:
        return lang.Get(TxtFits);
    case SnmpVerdict::FitsNow:
        return lang.Get(TxtFitsNow).arg(SnmpFitsNowReason(result, request, lang));
    case SnmpVerdict::WrongType: {
        const QString type = TrimCtl(request.Type);
        if (type == QLatin1String("Int"))
            return lang.Get(TxtWrongTypeInt).arg(result.answer.type);
        if (type == QLatin1String("String"))
            return lang.Get(TxtWrongTypeString).arg(result.answer.type);
        return lang.Get(TxtWrongTypeOther).arg(result.answer.type, type);
    }
    case SnmpVerdict::TooLong:
        return lang.Get(TxtTooLong).arg(result.needed).arg(TrimCtl(request.Number_Bytes));
    case SnmpVerdict::NoSuchObject:
        return lang.Get(TxtNoSuchObject);
    case SnmpVerdict::NoAnswer:
        return lang.Get(result.notAsked ? TxtNotAsked : TxtNoAnswer).arg(timeoutMs);
    case SnmpVerdict::AgentError:
        return lang.Get(TxtAgentError).arg(result.answer.error);
    case SnmpVerdict::BadRow:
    case SnmpVerdict::NotTestable:
        return result.plan.reason;
    }
    return QString();
}

} // namespace kv
