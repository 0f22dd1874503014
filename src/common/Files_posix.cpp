#include "common/Files.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kv {

// The descriptor of a regular file of at most maxSize bytes and its size,
// or -1 with the outcome in *r.  Opened without blocking: a FIFO named like
// a document would wait for a writer.
static int openRegular(const QString& path, qint64 maxSize, FileRead* r, qint64* size)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        const int err = errno;
        *r = err == ENOENT || err == ENOTDIR ? FileRead() : FileReadError(path, SystemReason(err));
        return -1;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const bool dir = S_ISDIR(st.st_mode);
        ::close(fd);
        *r = FileReadError(path, dir ? QStringLiteral("Is a directory") : QStringLiteral("Not a regular file"));
        return -1;
    }
    if (st.st_size > maxSize) {
        ::close(fd);
        *r = FileTooLarge(path);
        return -1;
    }
    *size = st.st_size;
    return fd;
}

// One open, one fstat and one read for a regular file: none of the file
// engine's extra look-ups.
FileRead ReadWholeFile(const QString& path, QByteArray& bytes, qint64 maxSize)
{
    FileRead r;
    qint64 fileSize = 0;
    const int fd = openRegular(path, maxSize, &r, &fileSize);
    if (fd < 0)
        return r;
    const qsizetype size = qsizetype(fileSize);
    bytes.resize(size);
    qsizetype got = 0;
    while (got < size) {
        const ssize_t n = ::read(fd, bytes.data() + got, size_t(size - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int err = errno;
            ::close(fd);
            bytes.resize(0);
            return FileReadError(path, SystemReason(err));
        }
        if (n == 0)
            break; // the file shrank meanwhile: what is there counts
        got += n;
    }
    ::close(fd);
    bytes.resize(got);
    r.status = FileRead::Ok;
    return r;
}

FileRead OpenFileForReading(const QString& path, QFile& file, qint64 maxSize)
{
    FileRead r;
    qint64 size = 0;
    const int fd = openRegular(path, maxSize, &r, &size);
    if (fd < 0)
        return r;
    if (!file.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return FileReadError(path, file.errorString());
    }
    r.status = FileRead::Ok;
    return r;
}

static bool writeStream(std::FILE* stream, const QByteArray& bytes)
{
    const size_t n = std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    return std::fflush(stream) == 0 && n == size_t(bytes.size());
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
