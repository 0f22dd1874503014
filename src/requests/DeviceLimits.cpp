#include "requests/DeviceLimits.h"

#include "common/NumberRule.h"
#include "common/TextRules.h"

namespace kv {

namespace {

enum : int {
    TxtCommunityTooLong = 1183,
    TxtNumberBytesTooLarge = 1184,
    TxtCommunityNotDeviceChars = 1241,
};

} // namespace

bool FitsDeviceBytes(const QString& text)
{
    return FirstNonDeviceChar(text) == 0;
}

char32_t FirstNonDeviceChar(const QString& text)
{
    const int n = int(text.size());
    for (int i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c.unicode() <= 0xFF)
            continue;
        if (c.isHighSurrogate() && i + 1 < n && text.at(i + 1).isLowSurrogate())
            return QChar::surrogateToUcs4(c, text.at(i + 1));
        return c.unicode();
    }
    return 0;
}

QString DeviceCharText(char32_t c)
{
    const QString code = QStringLiteral("U+%1").arg(uint(c), 4, 16, QLatin1Char('0')).toUpper();
    if (c >= 0xD800 && c <= 0xDFFF)
        return code;
    return QLatin1Char('"') + QString::fromUcs4(&c, 1) + QStringLiteral("\" (") + code + QLatin1Char(')');
}

bool CommunityFits(const QString& text)
{
    return text.size() <= CommunityMaxChars;
}

bool StationNameFits(const QString& text)
{
    return text.size() <= StationNameMaxChars;
}

bool OidFits(const QString& text)
{
    return text.size() <= OidMaxChars;
}

bool NumberBytesFits(const QString& text)
{
    qint32 v = 0;
    return !ToInt32(text, v) || (v >= 0 && v <= NumberBytesMax);
}

bool RowIsCompiled(const QString& enable)
{
    return UpperAscii(TrimCtl(enable)) == QLatin1String("Y");
}

bool CheckBoxIsSet(int column, const QString& text)
{
    return column == ColEnable ? RowIsCompiled(text) : UpperAscii(text) == QLatin1String("Y");
}

int SnmpCellLimitHint(const SnmpRequest& row, int column)
{
    switch (column) {
    case ColCommunity:
        if (!FitsDeviceBytes(row.Community_String))
            return TxtCommunityNotDeviceChars;
        return CommunityFits(row.Community_String) ? 0 : TxtCommunityTooLong;
    case ColNumberBytes:
        return NumberBytesFits(row.Number_Bytes) ? 0 : TxtNumberBytesTooLarge;
    default:
        return 0;
    }
}

int SnmpRowLimitColumn(const SnmpRequest& row, int* hint)
{
    for (const int column : {ColCommunity, ColNumberBytes}) {
        if (const int h = SnmpCellLimitHint(row, column)) {
            if (hint)
                *hint = h;
            return column;
        }
    }
    return 0;
}

} // namespace kv
