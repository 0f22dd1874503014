#include "snmp/MibFolder.h"

#include "common/AtomicFile.h"
#include "common/Files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace kv {

namespace {

constexpr qint64 kHeadBytes = 64 * 1024;

// The text without its comments: "--" starts one, the next "--" or the end
// of the line ends it.
QString withoutComments(const QString& text)
{
    QString out;
    out.reserve(text.size());
    bool comment = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            comment = false;
            out += c;
        } else if (c == QLatin1Char('-') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('-')) {
            comment = !comment;
            out += QLatin1Char(' ');
            ++i;
        } else if (!comment) {
            out += c;
        }
    }
    return out;
}

QString canonicalFolder(const QString& folder)
{
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(QFileInfo(folder).absoluteFilePath()) : canonical;
}

} // namespace

QString MibModuleNameOf(const QByteArray& text)
{
    static const QRegularExpression header(
        QStringLiteral("(?:^|\\s)([A-Za-z][A-Za-z0-9-]*)\\s+DEFINITIONS\\s*::=\\s*BEGIN(?:\\s|$)"));
    const QRegularExpressionMatch m = header.match(withoutComments(QString::fromLatin1(text.left(kHeadBytes))));
    return m.hasMatch() ? m.captured(1) : QString();
}

QString MibModuleNameOfFile(const QString& path)
{
    QFile file;
    if (!OpenFileForReading(path, file, MaxDocumentFileSize).ok())
        return QString();
    return MibModuleNameOf(file.read(kHeadBytes));
}

QList<MibFolderFile> MibFolderFiles(const QString& folder)
{
    QList<MibFolderFile> out;
    const QDir dir(folder);
    const QFileInfoList entries = dir.entryInfoList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& e : entries)
        out.append({e.absoluteFilePath(), MibModuleNameOfFile(e.absoluteFilePath())});
    return out;
}

bool MibFileIsIn(const QString& file, const QString& folder)
{
    return canonicalFolder(QFileInfo(file).absolutePath()) == canonicalFolder(folder);
}

MibAddPlan PlanMibAdd(const QString& folder, const QString& source)
{
    MibAddPlan plan;
    QFile file;
    const FileRead opened = OpenFileForReading(source, file, MaxMibFileSize);
    if (!opened.ok()) {
        plan.kind = MibAddPlan::Unreadable;
        plan.error = opened.status == FileRead::Missing ? FileMessage(source, QStringLiteral("No such file"))
                                                        : opened.message;
        return plan;
    }
    plan.module = MibModuleNameOf(file.read(kHeadBytes));
    file.close();
    if (plan.module.isEmpty()) {
        plan.kind = MibAddPlan::NotAModule;
        return plan;
    }
    const QList<MibFolderFile> present = MibFolderFiles(folder);
    plan.target = QDir(canonicalFolder(folder)).filePath(QFileInfo(source).fileName());
    for (const MibFolderFile& f : present) {
        if (f.module == plan.module) {
            plan.target = f.path;
            break;
        }
    }
    const QFileInfo target(plan.target);
    if (target.exists() && target.canonicalFilePath() == QFileInfo(source).canonicalFilePath()) {
        plan.kind = MibAddPlan::Same;
        return plan;
    }
    if (target.exists()) {
        plan.kind = MibAddPlan::Replaces;
        for (const MibFolderFile& f : present) {
            if (QFileInfo(f.path) == target)
                plan.replacedModule = f.module;
        }
    }
    return plan;
}

bool CopyMibFile(const QString& source, const QString& target, QString* error)
{
    QByteArray bytes;
    const FileRead read = ReadWholeFile(source, bytes, MaxMibFileSize);
    if (!read.ok()) {
        if (error)
            *error = read.status == FileRead::Missing ? FileMessage(source, QStringLiteral("No such file")) : read.message;
        return false;
    }
    return WriteFileAtomic(target, bytes, error);
}

} // namespace kv
