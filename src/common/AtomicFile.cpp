#include "common/AtomicFile.h"
#include "common/Files.h"

#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kv {

namespace {

bool fail(QString* error, const QString& path, const QString& reason)
{
    if (error)
        *error = FileMessage(path, reason);
    return false;
}

#ifdef Q_OS_UNIX

// The bytes go to a new file beside the target, which then replaces the
// target in one rename: a crash, a kill or a full disk leaves the old file
// whole.  No sync to disk is forced (it costs some 10 ms a file); replacing
// by rename is what the file systems order their writes around (ext4, for
// one, starts writing the new file's data at that rename).
//
// With swap, the new file and the old one exchange their names instead and
// the old one is then removed.  The exchange is just as atomic but does not
// start that write-out, which costs more than the rest of the write.
bool writeUnix(const QString& path, const QByteArray& data, QString* error, bool swap)
{
    const QByteArray target = QFile::encodeName(path);
    const QByteArray tmp = target + ".kvtmp." + QByteArray::number(::getpid()) + '.'
        + QByteArray::number(QRandomGenerator::global()->generate(), 16);
    struct stat old {};
    const bool hadTarget = ::stat(target.constData(), &old) == 0;
    if (hadTarget && S_ISDIR(old.st_mode))
        return fail(error, path, QStringLiteral("Is a directory"));
    const int fd = ::open(tmp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return fail(error, path, SystemReason(errno));
    const char* p = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int err = n < 0 ? errno : ENOSPC;
            ::close(fd);
            ::unlink(tmp.constData());
            return fail(error, path, SystemReason(err));
        }
        p += n;
        left -= n;
    }
    if (hadTarget)
        (void)::fchmod(fd, old.st_mode & 07777); // keep the permissions the file had
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlink(tmp.constData());
        return fail(error, path, SystemReason(err));
    }
#ifdef RENAME_EXCHANGE
    if (swap && hadTarget
        && ::renameat2(AT_FDCWD, tmp.constData(), AT_FDCWD, target.constData(), RENAME_EXCHANGE) == 0) {
        // The temporary name now holds the old bytes.  Should the removal
        // fail, a stray file is left beside the target, never a wrong one.
        (void)::unlink(tmp.constData());
        return true;
    }
#else
    Q_UNUSED(swap);
#endif
    // No old file, or a file system that cannot exchange names.
    if (::rename(tmp.constData(), target.constData()) != 0) {
        const int err = errno;
        ::unlink(tmp.constData());
        return fail(error, path, SystemReason(err));
    }
    return true;
}
#endif

bool writeAtomic(const QString& path, const QByteArray& data, QString* error, bool swap)
{
#ifdef Q_OS_UNIX
    return writeUnix(path, data, error, swap);
#else
    Q_UNUSED(swap);
    if (QFileInfo(path).isDir())
        return fail(error, path, QStringLiteral("Is a directory"));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(error, path, file.errorString());
    if (file.write(data) != data.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return fail(error, path, reason);
    }
    if (!file.commit())
        return fail(error, path, file.errorString());
    return true;
#endif
}

} // namespace

bool WriteFileAtomic(const QString& path, const QByteArray& data, QString* error)
{
    return writeAtomic(path, data, error, false);
}

bool WriteRebuiltFileAtomic(const QString& path, const QByteArray& data, QString* error)
{
    return writeAtomic(path, data, error, true);
}

} // namespace kv
