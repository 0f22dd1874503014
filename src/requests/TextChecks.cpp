#include "requests/TextChecks.h"

#include "common/NumberRule.h"
#include "common/TextRules.h"

#include <QStringList>

namespace kv {

namespace {

bool checkIpAddress(QStringView text, std::array<quint8, 4>& bytes)
{
    if (text.isEmpty())
        return true;
    bool invalid = false;
    QStringView rest = text;
    for (int i = 0; i < 4; ++i) {
        QStringView part;
        if (i < 3) {
            qsizetype dot = 0;
            while (dot < rest.size() && rest.at(dot) != QLatin1Char('.'))
                ++dot;
            // Without a "." left the part is empty: "10.1.2" gives 10.1.0.2.
            if (dot < rest.size()) {
                part = rest.first(dot);
                rest = rest.sliced(dot + 1);
            }
        } else {
            part = rest;
        }
        qint32 v = 0;
        if (ToInt32(part, v) && v >= 0 && v <= 255) {
            bytes[size_t(i)] = quint8(v);
        } else {
            bytes[size_t(i)] = 0;
            invalid = true;
        }
    }
    return invalid;
}

} // namespace

bool CheckIpAddressText(const QString& text, std::array<quint8, 4>& bytes)
{
    return checkIpAddress(QStringView(text), bytes);
}

int CheckOidText(const QString& text)
{
    if (text.size() > 64)
        return 1;
    // An empty OID names no object: it fails like a text without digits.
    if (text.isEmpty())
        return 2;
    for (const QChar c : text) {
        if (c != QLatin1Char('.') && (c < QLatin1Char('0') || c > QLatin1Char('9')))
            return 2;
    }
    if (text.startsWith(QLatin1Char('.')))
        return 3;
    if (text.endsWith(QLatin1Char('.')))
        return 4;
    if (text.contains(QLatin1String("..")))
        return 5;
    const QStringList pieces = text.split(QLatin1Char('.'));
    for (const QString& p : pieces) {
        if (!InRange(TrimCtl(p), 0, 65535))
            return 6;
    }
    return 0;
}

} // namespace kv
