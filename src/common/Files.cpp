#include "common/Files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstring>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kv {

QString SystemReason(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}

QString FileMessage(const QString& path, const QString& reason)
{
    return QDir::toNativeSeparators(path) + QStringLiteral(": ") + reason;
}

namespace {

FileRead readError(const QString& path, const QString& reason)
{
    FileRead r;
    r.status = FileRead::Error;
    r.message = FileMessage(path, reason);
    return r;
}

FileRead tooLarge(const QString& path)
{
    FileRead r = readError(path, QStringLiteral("File too large"));
    r.tooLarge = true;
    return r;
}

#ifdef Q_OS_UNIX
// One open, one fstat and one read for a regular file: none of the file
// engine's extra look-ups.
FileRead readUnix(const QString& path, QByteArray& bytes, qsizetype spare, qint64 maxSize)
{
    FileRead r;
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        const int err = errno;
        if (err == ENOENT || err == ENOTDIR)
            return r; // Missing
        return readError(path, SystemReason(err));
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const bool dir = S_ISDIR(st.st_mode);
        ::close(fd);
        return readError(path, dir ? QStringLiteral("Is a directory") : QStringLiteral("Not a regular file"));
    }
    if (st.st_size > maxSize) {
        ::close(fd);
        return tooLarge(path);
    }
    const qsizetype size = qsizetype(st.st_size);
    if (bytes.capacity() < size + spare)
        bytes.reserve(size + spare);
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
            return readError(path, SystemReason(err));
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
#endif

} // namespace

FileRead ReadWholeFile(const QString& path, QByteArray& bytes, qsizetype spare, qint64 maxSize)
{
#ifdef Q_OS_UNIX
    return readUnix(path, bytes, spare, maxSize);
#else
    Q_UNUSED(spare);
    bytes.resize(0);
    QFileInfo fi(path);
    if (!fi.exists())
        return FileRead(); // Missing
    if (fi.isDir())
        return readError(path, QStringLiteral("Is a directory"));
    if (fi.size() > maxSize)
        return tooLarge(path);
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return readError(path, f.errorString());
    bytes = f.readAll();
    FileRead r;
    r.status = FileRead::Ok;
    return r;
#endif
}

} // namespace kv
