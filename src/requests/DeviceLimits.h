#pragma once
#include <QString>

#include "requests/SnmpRequests.h"

namespace kv {

// What the converter's configuration image can hold.  The compile refuses a
// value beyond these limits; the request grid, the check command and the
// request test point it out earlier with the very same rules, so that they
// never disagree with the compile.
//
// The image keeps a text as one byte per character, the character's
// Latin-1 byte, so only U+0000..U+00FF can reach the device as they are
// (FitsDeviceBytes).  For such a text a UTF-16 code unit is one character
// and one byte, which is what the sizes below count.
constexpr int CommunityMaxChars = 15;   // a 16-byte field whose last byte always ends the text
constexpr int StationNameMaxChars = 16; // a 16-byte field, filled whole without an end byte
constexpr int OidMaxChars = 96;         // a 96-byte field, filled whole without an end byte
constexpr int NumberBytesMax = 255;     // one byte of the request record

// Whether the device gets every character of the text as it is: only
// U+0000..U+00FF (U+0080..U+00FF as their Latin-1 byte).  Any other
// character, an emoji's surrogates included, would become another byte.
bool FitsDeviceBytes(const QString& text);
// The first character FitsDeviceBytes refuses, as its code point (a
// surrogate pair as one character); 0 when every character fits.
char32_t FirstNonDeviceChar(const QString& text);
// A refused character as a message names it: "€" (U+20AC); a lone
// surrogate, which cannot be shown, by its code alone.
QString DeviceCharText(char32_t c);

// The lengths alone: a text must also pass FitsDeviceBytes.
bool CommunityFits(const QString& text);
bool StationNameFits(const QString& text);
bool OidFits(const QString& text);
// False only for a number (the number rule) outside 0..255: a text that is
// not a number compiles as the default count of 1.
bool NumberBytesFits(const QString& text);

// Whether the compile takes a row with this Enable text: "Y" in any case,
// with blanks around it allowed.
bool RowIsCompiled(const QString& enable);
// Whether a check-box cell of this column is set as the compile reads it:
// Enable as RowIsCompiled, the flags when their text is "Y" in any case (a
// blank around it makes it clear).  The grid shows and copies a cell by this
// rule, so that a row the device gets is never shown as switched off.
bool CheckBoxIsSet(int column, const QString& text);

// The text index of the hint for a cell of the request table whose text the
// device cannot hold (Community Name, by its characters before its length;
// Num Bytes); 0 when it fits.  Whether the row is compiled is not looked at.
int SnmpCellLimitHint(const SnmpRequest& row, int column);

// The first column of the row, in column order, whose cell breaks a limit
// (0 when none does); *hint (when given) receives that cell's hint index.
int SnmpRowLimitColumn(const SnmpRequest& row, int* hint = nullptr);

} // namespace kv
