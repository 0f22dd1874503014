#pragma once
#include <QString>

#include "requests/SnmpRequests.h"

namespace kv {

// What the converter's configuration image can hold.  The compile refuses a
// value beyond these limits; the request grid, the check command and the
// request test point it out earlier with the very same rules, so that they
// never disagree with the compile.
//
// Texts are measured in UTF-16 code units: the image keeps one byte per
// unit (its low 8 bits), so that is what a field's size counts.
constexpr int CommunityMaxChars = 15;   // a 16-byte field whose last byte always ends the text
constexpr int StationNameMaxChars = 16; // a 16-byte field, filled whole without an end byte
constexpr int OidMaxChars = 96;         // a 96-byte field, filled whole without an end byte
constexpr int NumberBytesMax = 255;     // one byte of the request record

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
// device cannot hold (Community Name, Num Bytes); 0 when it fits.  Whether
// the row is compiled is not looked at.
int SnmpCellLimitHint(const SnmpRequest& row, int column);

// The first column of the row, in column order, whose cell breaks a limit
// (0 when none does); *hint (when given) receives that cell's hint index.
int SnmpRowLimitColumn(const SnmpRequest& row, int* hint = nullptr);

} // namespace kv
