#include "common/AtomicFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace kv {

bool WriteFileAtomic(const QString& path, const QByteArray& data, QString* error)
{
    auto fail = [&](const QString& reason) {
        if (error)
            *error = QDir::toNativeSeparators(path) + QStringLiteral(": ") + reason;
        return false;
    };
    if (QFileInfo(path).isDir())
        return fail(QStringLiteral("Is a directory"));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());
    if (file.write(data) != data.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return fail(reason);
    }
    if (!file.commit())
        return fail(file.errorString());
    return true;
}

} // namespace kv
