#pragma once
#include <QByteArray>
#include <QString>

namespace kv {

// Writes the whole file or nothing: the bytes go to a temporary file beside
// the target, which replaces the target only once everything is written.
// On failure the old file is untouched and *error (when given) holds the
// system's reason, prefixed with the file name.
bool WriteFileAtomic(const QString& path, const QByteArray& data, QString* error = nullptr);

// The same for a file the configurator makes again before every use (the
// compiled image).  It is still replaced whole or not at all, but the
// replacement does not make the file system write the new bytes out first,
// which a power failure right after the call may then find missing.  That
// saves most of the cost of the write; documents a person edited keep the
// stronger order of WriteFileAtomic.
bool WriteRebuiltFileAtomic(const QString& path, const QByteArray& data, QString* error = nullptr);

} // namespace kv
