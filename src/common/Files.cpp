#include "common/Files.h"

#include <QDir>

#include <cstring>

namespace kv {

QString SystemReason(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}

QString FileMessage(const QString& path, const QString& reason)
{
    return QDir::toNativeSeparators(path) + QStringLiteral(": ") + reason;
}

FileRead FileReadError(const QString& path, const QString& reason)
{
    FileRead r;
    r.status = FileRead::Error;
    r.message = FileMessage(path, reason);
    return r;
}

FileRead FileTooLarge(const QString& path)
{
    FileRead r = FileReadError(path, QStringLiteral("File too large"));
    r.tooLarge = true;
    return r;
}

} // namespace kv
