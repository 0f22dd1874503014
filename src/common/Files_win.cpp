#include "common/Files.h"

#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace kv {

QString WindowsErrorText(unsigned long code)
{
    wchar_t* text = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM
                                       | FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, DWORD(code), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    QString message = n ? QString::fromWCharArray(text, int(n)).trimmed() : QStringLiteral("error %1").arg(code);
    if (text)
        LocalFree(text);
    return message;
}

// Only a regular file is read: a device or pipe name could block the window.
// The read stops at the size the open file had: a file that grows meanwhile
// (a log written by another program) cannot make it read without end.
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
    // Unbuffered: the reader in front of it keeps its own blocks.
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return FileReadError(path, file.errorString());
    FileRead r;
    r.status = FileRead::Ok;
    return r;
}

FileRead ReadWholeFile(const QString& path, QByteArray& bytes, qint64 maxSize)
{
    bytes.resize(0);
    QFile f;
    FileRead r = OpenFileForReading(path, f, maxSize);
    if (r.status != FileRead::Ok)
        return r;
    const qint64 size = f.size(); // of the open file
    if (size > maxSize)
        return FileTooLarge(path);
    bytes.resize(qsizetype(size));
    qint64 got = 0;
    while (got < size) {
        const qint64 n = f.read(bytes.data() + got, size - got);
        if (n < 0) {
            const QString reason = f.errorString();
            bytes.resize(0);
            return FileReadError(path, reason);
        }
        if (n == 0)
            break; // the file shrank meanwhile: what is there counts
        got += n;
    }
    bytes.resize(qsizetype(got));
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
