#include "common/NumberRule.h"

namespace kv {

namespace {

inline ushort code(QChar c) { return c.unicode(); }

int hexDigit(QChar c)
{
    const ushort u = code(c);
    if (u >= '0' && u <= '9') return u - '0';
    if (u >= 'a' && u <= 'f') return u - 'a' + 10;
    if (u >= 'A' && u <= 'F') return u - 'A' + 10;
    return -1;
}

bool toInt32(QStringView text, qint32& value)
{
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n && code(text.at(i)) == ' ')
        ++i;
    bool negative = false;
    if (i < n && (code(text.at(i)) == '-' || code(text.at(i)) == '+')) {
        negative = code(text.at(i)) == '-';
        ++i;
    }
    bool hex = false;
    if (i < n && code(text.at(i)) == '$') {
        hex = true;
        ++i;
    } else if (i < n && (code(text.at(i)) == 'x' || code(text.at(i)) == 'X')) {
        hex = true;
        ++i;
    } else if (i + 1 < n && code(text.at(i)) == '0' && (code(text.at(i + 1)) == 'x' || code(text.at(i + 1)) == 'X')) {
        hex = true;
        i += 2;
    }
    if (i >= n)
        return false;

    quint64 acc = 0;
    if (hex) {
        for (; i < n; ++i) {
            const int d = hexDigit(text.at(i));
            if (d < 0)
                return false;
            acc = acc * 16 + quint64(d);
            if (acc > 0xFFFFFFFFull)
                return false;
        }
        quint32 bits = quint32(acc);
        if (negative)
            bits = quint32(0u - bits);
        value = qint32(bits);
        return true;
    }
    for (; i < n; ++i) {
        const ushort u = code(text.at(i));
        if (u < '0' || u > '9')
            return false;
        acc = acc * 10 + (u - '0');
        if (acc > 0x80000000ull)
            return false;
    }
    if (!negative && acc > 0x7FFFFFFFull)
        return false;
    value = negative ? qint32(-qint64(acc)) : qint32(acc);
    return true;
}

} // namespace

bool ToInt32(QStringView text, qint32& value)
{
    return toInt32(text, value);
}

qint32 ToInt32Or(const QString& text, qint32 fallback)
{
    qint32 v = 0;
    return ToInt32(text, v) ? v : fallback;
}

bool InRange(const QString& text, qint32 lo, qint32 hi)
{
    qint32 v = 0;
    return ToInt32(text, v) && v >= lo && v <= hi;
}

} // namespace kv
