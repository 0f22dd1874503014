#pragma once
#include <QString>

namespace kv {

// Removes every character of code 32 or below from both ends.
QString TrimCtl(const QString& text);

// Turns a to z into A to Z; every other character stays as it is.
QString UpperAscii(const QString& text);

} // namespace kv
