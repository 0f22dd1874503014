#pragma once
#include <QDir>
#include <QString>

#include <cstring>

namespace kv {

// The system's text for an error number.
inline QString SystemReason(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}

// "<file>: <reason>", the form of every file error the configurator shows.
inline QString FileMessage(const QString& path, const QString& reason)
{
    return QDir::toNativeSeparators(path) + QStringLiteral(": ") + reason;
}

} // namespace kv
