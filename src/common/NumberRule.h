#pragma once
#include <QString>
#include <QStringView>
#include <QtGlobal>

namespace kv {

// The one number rule of the configurator: optional leading blanks, an
// optional sign, then decimal digits, or hexadecimal digits after a
// leading "$", "x"/"X" or "0x"/"0X".  Anything else (an empty text, trailing
// blanks, a value beyond 32 bits) does not convert.  Hexadecimal texts may
// use the whole 32-bit pattern ($FFFFFFFF is -1), as the device tools do.
bool ToInt32(QStringView text, qint32& value);

// Convenience: the converted value, or fallback when the text does not convert.
qint32 ToInt32Or(const QString& text, qint32 fallback);

// True when the text converts and lies in lo..hi inclusive.
bool InRange(const QString& text, qint32 lo, qint32 hi);

} // namespace kv
