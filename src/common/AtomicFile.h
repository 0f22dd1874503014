#pragma once
#include <QByteArray>
#include <QString>

namespace kv {

// Writes the whole file or nothing: the bytes go to a temporary file beside
// the target, which replaces the target only once everything is written.
// On failure the old file is untouched and *error (when given) holds the
// system's reason, prefixed with the file name.
bool WriteFileAtomic(const QString& path, const QByteArray& data, QString* error = nullptr);

} // namespace kv
