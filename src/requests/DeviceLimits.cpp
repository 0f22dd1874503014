#include "requests/DeviceLimits.h"

#include "common/NumberRule.h"
#include "common/TextRules.h"

namespace kv {

namespace {

enum : int {
    TxtCommunityTooLong = 1183,
    TxtNumberBytesTooLarge = 1184,
};

} // namespace

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
