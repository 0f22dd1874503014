#pragma once
#include <QString>
#include <array>

namespace kv {

// Checks a dotted IPv4 text.  Returns true when the text is NOT a valid
// address: exactly four integers 0..255 joined by dots.  bytes[0] is the
// leftmost number; a part that is not an integer 0..255 gives 0; an empty
// text sets no byte at all.
bool CheckIpAddressText(const QString& text, std::array<quint8, 4>& bytes);

// 0 for a valid OID text, else the code of the first failed test:
// 1 longer than 64, 2 empty or a character other than digits and ".", 3 leading ".",
// 4 trailing ".", 5 two "." together, 6 a number above 65535.
int CheckOidText(const QString& text);

} // namespace kv
