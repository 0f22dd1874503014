#pragma once
#include <QString>
#include <QStringList>

namespace kv {

// Splits a remembered device address into the texts of the four address
// boxes.  The whole text and each part are trimmed; every part must read as
// an integer 0..255 (a part that does not read counts as 1000).  The parts
// keep their text, so "010" stays "010".  False (and parts untouched) when
// the text does not split.
bool SplitAddressText(const QString& text, QStringList& parts);

} // namespace kv
