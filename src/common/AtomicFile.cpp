#include "common/AtomicFile.h"
#include "common/Files.h"

#include <QFileInfo>
#include <QSaveFile>

#ifdef Q_OS_UNIX
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kv {

namespace {

WriteStepObserver g_observer = nullptr;
void* g_observerContext = nullptr;

void reached(WriteStep step)
{
    if (g_observer)
        g_observer(step, g_observerContext);
}

bool fail(QString* error, const QString& path, const QString& reason)
{
    if (error)
        *error = FileMessage(path, reason);
    return false;
}

#ifdef Q_OS_UNIX

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

bool writeDurably(const QString& path, const QByteArray& data, QString* error)
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
    const auto abandon = [&](int err) {
        ::close(fd);
        ::unlink(tmp.constData());
        return fail(error, path, SystemReason(err));
    };
    int err = 0;
    if (!writeAll(fd, data, &err))
        return abandon(err);
    if (hadTarget)
        (void)::fchmod(fd, old.st_mode & 07777); // keep the permissions the file had
    if (::fsync(fd) != 0)
        return abandon(errno);
    reached(WriteStep::DataFlushed);
    if (::close(fd) != 0) {
        err = errno;
        ::unlink(tmp.constData());
        return fail(error, path, SystemReason(err));
    }
    if (::rename(tmp.constData(), target.constData()) != 0) {
        err = errno;
        ::unlink(tmp.constData());
        return fail(error, path, SystemReason(err));
    }
    reached(WriteStep::Replaced);
    // The new name lives in the folder: flush it too.  The file is in place
    // by now, so a folder that cannot be flushed is no failure of the write.
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    const int dirFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        if (::fsync(dirFd) == 0)
            reached(WriteStep::FolderFlushed);
        ::close(dirFd);
    }
    return true;
}

#else

// QSaveFile flushes the new file to the disk before it replaces the old one.
bool writeDurably(const QString& path, const QByteArray& data, QString* error)
{
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
    reached(WriteStep::DataFlushed);
    reached(WriteStep::Replaced);
    return true;
}

#endif

} // namespace

bool WriteFileAtomic(const QString& path, const QByteArray& data, QString* error)
{
    return writeDurably(path, data, error);
}

void SetWriteStepObserver(WriteStepObserver observer, void* context)
{
    g_observer = observer;
    g_observerContext = context;
}

} // namespace kv
