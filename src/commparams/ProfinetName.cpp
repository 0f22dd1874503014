#include "commparams/ProfinetName.h"

#include <QStringList>

#include <algorithm>

namespace kv {

namespace {

enum : int {
    TxtNameLength = 1128,
    TxtLabelLength = 1129,
    TxtNameCharacter = 1130,
    TxtLabelHyphen = 1131,
    TxtPortName = 1132,
    TxtAddressForm = 1133,
    TxtDoubleHyphen = 1186,
};

bool isDigits(QStringView s, qsizetype count)
{
    return s.size() == count && std::all_of(s.begin(), s.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// A number 0..999 of the n.n.n.n form (leading zeros allowed: "007").
bool isAddressNumber(QStringView s)
{
    return !s.isEmpty() && s.size() <= 3 && isDigits(s, s.size());
}

// Two or more "-" in a row, apart from the "xn--" that begins an
// internationalised (punycode) label.
bool hasHyphenRun(QStringView label)
{
    if (label.startsWith(u"xn--")) {
        label = label.sliced(4);
        if (label.startsWith(u'-')) // "xn---": a run longer than the prefix
            return true;
    }
    return label.contains(u"--");
}

} // namespace

int ProfinetNameProblem(const QString& name)
{
    if (name.isEmpty() || name.size() > 240)
        return TxtNameLength;
    const QStringList labels = name.split(QLatin1Char('.'));
    for (const QString& label : labels) {
        if (label.isEmpty() || label.size() > 63)
            return TxtLabelLength;
    }
    for (const QChar c : name) {
        const bool ok = (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'-' || c == u'.';
        if (!ok)
            return TxtNameCharacter;
    }
    for (const QString& label : labels) {
        if (label.startsWith(QLatin1Char('-')) || label.endsWith(QLatin1Char('-')))
            return TxtLabelHyphen;
    }
    for (const QString& label : labels) {
        if (hasHyphenRun(label))
            return TxtDoubleHyphen;
    }
    // "port-xyz" or "port-xyz-abcde" at the start of the name.
    const QStringView first(labels.constFirst());
    if (first.startsWith(u"port-") && first.size() >= 8 && isDigits(first.mid(5, 3), 3)
        && (first.size() == 8 || (first.size() == 14 && first.at(8) == u'-' && isDigits(first.mid(9), 5))))
        return TxtPortName;
    if (labels.size() == 4 && std::all_of(labels.cbegin(), labels.cend(), [](const QString& l) { return isAddressNumber(l); }))
        return TxtAddressForm;
    return 0;
}

} // namespace kv
