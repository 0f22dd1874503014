#include "common/TextRules.h"

namespace kv {

QString TrimCtl(const QString& text)
{
    int b = 0;
    int e = text.size();
    while (b < e && text.at(b).unicode() <= 32)
        ++b;
    while (e > b && text.at(e - 1).unicode() <= 32)
        --e;
    return text.mid(b, e - b);
}

QString UpperAscii(const QString& text)
{
    QString out = text;
    for (QChar& c : out) {
        const ushort u = c.unicode();
        if (u >= 'a' && u <= 'z')
            c = QChar(u - 32);
    }
    return out;
}

} // namespace kv
