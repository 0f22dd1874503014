#include "common/Files.h"

#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <fcntl.h>
#include <io.h>

namespace kv {

// Only a regular file is read: a device or pipe name could block the window.
FileRead ReadWholeFile(const QString& path, QByteArray& bytes, qint64 maxSize)
{
    bytes.resize(0);
    const QFileInfo fi(path);
    if (!fi.exists())
        return FileRead(); // Missing
    if (fi.isDir())
        return FileReadError(path, QStringLiteral("Is a directory"));
    if (!fi.isFile())
        return FileReadError(path, QStringLiteral("Not a regular file"));
    if (fi.size() > maxSize)
        return FileTooLarge(path);
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return FileReadError(path, f.errorString());
    bytes = f.readAll();
    if (f.error() != QFileDevice::NoError) {
        bytes.resize(0);
        return FileReadError(path, f.errorString());
    }
    FileRead r;
    r.status = FileRead::Ok;
    return r;
}

FileRead OpenFileForReading(const QString& path, QFile& file, qint64 maxSize)
{
    const QFileInfo fi(path);
    if (!fi.exists())
        return FileRead(); // Missing
    if (fi.isDir())
        return FileReadError(path, QStringLiteral("Is a directory"));
    if (!fi.isFile())
        return FileReadError(path, QStringLiteral("Not a regular file"));
    if (fi.size() > maxSize)
        return FileTooLarge(path);
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return FileReadError(path, file.errorString());
    FileRead r;
    r.status = FileRead::Ok;
    return r;
}

// The standard streams are opened in text mode, which would turn LF into CR LF.
static bool writeStream(std::FILE* stream, const QByteArray& bytes)
{
    std::fflush(stream);
    const int previous = _setmode(_fileno(stream), _O_BINARY);
    const size_t n = std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    const bool flushed = std::fflush(stream) == 0;
    if (previous != -1)
        _setmode(_fileno(stream), previous);
    return flushed && n == size_t(bytes.size());
}

bool WriteStandardOutput(const QByteArray& bytes)
{
    return writeStream(stdout, bytes);
}

bool WriteStandardError(const QByteArray& bytes)
{
    return writeStream(stderr, bytes);
}

} // namespace kv
