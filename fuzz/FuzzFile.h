#pragma once
// Some readers take a path: the input goes to a file in memory-backed storage.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <unistd.h>

inline QString FuzzFile(const char* name, const uint8_t* data, size_t size)
{
    static const QString dir = [] {
        const QString base = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
        const QString d = base + QStringLiteral("/kvfuzz-") + QString::number(::getpid());
        QDir().mkpath(d);
        return d;
    }();
    const QString path = dir + QLatin1Char('/') + QLatin1String(name);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(reinterpret_cast<const char*>(data), qint64(size));
    return path;
}
