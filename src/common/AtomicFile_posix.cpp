#include "common/AtomicFile.h"
#include "common/Files.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kv {

namespace {

bool fail(QString* error, const QString& path, const QString& reason)
{
    if (error)
        *error = FileMessage(path, reason);
    return false;
}

bool writeAll(int fd, const QByteArray& data, int* err)
{
    const char* p = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            *err = n < 0 ? errno : ENOSPC;
            return false;
        }
        p += n;
        left -= n;
    }
    return true;
}

} // namespace

bool WriterProcessRuns(qint64 pid)
{
    if (pid <= 0 || pid != qint64(pid_t(pid)))
        return false;
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

bool WriteFileAtomic(const QString& path, const QByteArray& data, QString* error)
{
    const QByteArray target = QFile::encodeName(path);
    struct stat old {};
    const bool hadTarget = ::stat(target.constData(), &old) == 0;
    if (hadTarget && S_ISDIR(old.st_mode))
        return fail(error, path, QStringLiteral("Is a directory"));
    RemoveLeftTemporaries(path);
    const QByteArray tmp = QFile::encodeName(TemporaryFileFor(path));
    const int fd = ::open(tmp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return fail(error, path, SystemReason(errno));
    // A failed step removes the new file; the old one was never touched.
    const auto discard = [&](int err) {
        ::unlink(tmp.constData());
        return fail(error, path, SystemReason(err));
    };
    int err = 0;
    if (!writeAll(fd, data, &err)) {
        ::close(fd);
        return discard(err);
    }
    if (hadTarget)
        (void)::fchmod(fd, old.st_mode & 07777); // keep the permissions the file had
    if (::fsync(fd) != 0) {
        err = errno;
        ::close(fd);
        return discard(err);
    }
    ReachedWriteStep(WriteStep::DataFlushed);
    if (::close(fd) != 0)
        return discard(errno);
    if (::rename(tmp.constData(), target.constData()) != 0)
        return discard(errno);
    ReachedWriteStep(WriteStep::Replaced);
    // The new name lives in the folder: flush it too.  The file is in place
    // by now, so a folder that cannot be flushed is no failure of the write.
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    const int dirFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        if (::fsync(dirFd) == 0)
            ReachedWriteStep(WriteStep::FolderFlushed);
        ::close(dirFd);
    }
    return true;
}

} // namespace kv
