#include "common/AtomicFile.h"
#include "common/Files.h"

#include <QFileInfo>
#include <QSaveFile>

namespace kv {

namespace {

bool fail(QString* error, const QString& path, const QString& reason)
{
    if (error)
        *error = FileMessage(path, reason);
    return false;
}

} // namespace

// QSaveFile flushes the new file to the disk before it replaces the old one.
bool WriteFileAtomic(const QString& path, const QByteArray& data, QString* error)
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
    ReachedWriteStep(WriteStep::DataFlushed);
    ReachedWriteStep(WriteStep::Replaced);
    return true;
}

} // namespace kv
