#pragma once
#include <QByteArray>
#include <QString>

class QFile;

namespace kv {

// The system's text for an error number.
QString SystemReason(int err);

// The system's text for a Windows error code (GetLastError); defined in
// Files_win.cpp, for the Windows parts of the platform services.
QString WindowsErrorText(unsigned long code);

// "<file>: <reason>", the form of every file error the configurator shows.
QString FileMessage(const QString& path, const QString& reason);

// Outcome of reading a whole document file.
struct FileRead {
    enum Status { Ok, Missing, Error };
    Status status = Missing;
    QString message;       // for Error: "<file>: <system's reason>"
    bool tooLarge = false; // for Error: the file is larger than allowed
    bool ok() const { return status == Ok; }
};

// Documents of 2 GiB and more are not read.
constexpr qint64 MaxDocumentFileSize = (qint64(1) << 31) - 1;

// Reads the whole file into bytes.  A file larger than maxSize is not read.
// Only a regular file is read: a pipe or a device named like a document
// could block the window or never end.
FileRead ReadWholeFile(const QString& path, QByteArray& bytes, qint64 maxSize = MaxDocumentFileSize);

// Opens a file to be read as a stream (unbuffered), with the outcomes and
// the rules of ReadWholeFile: only a regular file of at most maxSize bytes.
FileRead OpenFileForReading(const QString& path, QFile& file, qint64 maxSize = MaxDocumentFileSize);

// Write bytes to standard output or standard error exactly as they are (no
// line-end translation on any platform, so that a program's output is the
// same bytes everywhere) and flush; false when they did not all go.
bool WriteStandardOutput(const QByteArray& bytes);
bool WriteStandardError(const QByteArray& bytes);

// The Error outcomes of ReadWholeFile, for its platform parts.
FileRead FileReadError(const QString& path, const QString& reason);
FileRead FileTooLarge(const QString& path);

} // namespace kv
