#include "update/AddressSplit.h"

#include "common/NumberRule.h"
#include "common/TextRules.h"

namespace kv {

bool SplitAddressText(const QString& text, QStringList& parts)
{
    QString rest = TrimCtl(text);
    QStringList found;
    for (int i = 0; i < 3; ++i) {
        const int dot = rest.indexOf(QLatin1Char('.'));
        if (dot < 0)
            return false;
        found << TrimCtl(rest.left(dot));
        rest = TrimCtl(rest.mid(dot + 1));
    }
    found << rest;
    for (const QString& p : found) {
        const qint32 n = ToInt32Or(p, 1000);
        if (n < 0 || n > 255)
            return false;
    }
    parts = found;
    return true;
}

} // namespace kv
