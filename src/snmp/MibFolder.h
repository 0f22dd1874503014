#pragma once
#include <QByteArray>
#include <QList>
#include <QString>

namespace kv {

// The workspace's MIBS folder as files: which module each file holds, and
// files copied in whole or not at all.

// MIB files larger than this are not copied (the largest published modules
// are a few megabytes).
constexpr qint64 MaxMibFileSize = 16 * 1024 * 1024;

// The module that a file's text defines: NAME of its first
// "NAME DEFINITIONS ::= BEGIN" outside comments, looked for in the first
// 64 KiB only; empty when there is none.
QString MibModuleNameOf(const QByteArray& text);
// The same, read from a file (its first 64 KiB); empty when unreadable.
QString MibModuleNameOfFile(const QString& path);

// One file of the folder and the module it holds (empty when none).
struct MibFolderFile {
    QString path; // absolute
    QString module;
};
// The regular files of the folder (not its hidden ones, which the MIB
// reader skips too), by name.
QList<MibFolderFile> MibFolderFiles(const QString& folder);

// Where a file added to the folder goes, and what it would replace.
struct MibAddPlan {
    enum Kind {
        New,        // target does not exist yet
        Replaces,   // target holds replacedModule (or no module) now
        Same,       // the source is the target itself: nothing to copy
        NotAModule, // the source defines no module
        Unreadable, // the source cannot be read (error says why)
    };
    Kind kind = New;
    QString module;         // the source's module
    QString target;         // absolute path in the folder
    QString replacedModule; // Replaces: the module in target now (may be empty)
    QString error;
};
// A module already in the folder is replaced in its own file, so that one
// module never lies in two files; otherwise the file keeps its name.
MibAddPlan PlanMibAdd(const QString& folder, const QString& source);

// Copies source to target whole or not at all (the old target stays when
// the copy fails); error: "<file>: <reason>".
bool CopyMibFile(const QString& source, const QString& target, QString* error);

// Whether the file lies directly in folder.
bool MibFileIsIn(const QString& file, const QString& folder);

} // namespace kv
