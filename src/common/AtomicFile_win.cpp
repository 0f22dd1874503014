#include "common/AtomicFile.h"
#include "common/Files.h"

#include <QDir>
#include <QFileInfo>

#include <windows.h>

#include <string>

namespace kv {

namespace {

bool fail(QString* error, const QString& path, const QString& reason)
{
    if (error)
        *error = FileMessage(path, reason);
    return false;
}

std::wstring nativeName(const QString& path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}

// The whole of data, in pieces a DWORD can count.
bool writeAll(HANDLE file, const QByteArray& data, DWORD* err)
{
    const char* p = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const DWORD piece = DWORD(qMin<qsizetype>(left, qsizetype(1) << 30));
        DWORD written = 0;
        if (!WriteFile(file, p, piece, &written, nullptr)) {
            *err = GetLastError();
            return false;
        }
        if (written == 0) {
            *err = ERROR_DISK_FULL;
            return false;
        }
        p += written;
        left -= qsizetype(written);
    }
    return true;
}

} // namespace

bool WriterProcessRuns(qint64 pid)
{
    if (pid <= 0 || pid > qint64(MAXDWORD))
        return false;
    const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(pid));
    if (!process)
        return GetLastError() == ERROR_ACCESS_DENIED; // there, but not ours to look at
    DWORD code = 0;
    const bool running = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
    CloseHandle(process);
    return running;
}

// Write, flush to the disk, then a rename that replaces the target and
// returns only once it is on the disk.  Each step's failure is reported with
// the system's reason, and the temporary file is removed.
bool WriteFileAtomic(const QString& path, const QByteArray& data, QString* error)
{
    if (QFileInfo(path).isDir())
        return fail(error, path, QStringLiteral("Is a directory"));
    RemoveLeftTemporaries(path);
    const std::wstring target = nativeName(path);
    const std::wstring tmp = nativeName(TemporaryFileFor(path));
    const HANDLE file =
        CreateFileW(tmp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return fail(error, path, WindowsErrorText(GetLastError()));
    const auto discard = [&](DWORD err) {
        DeleteFileW(tmp.c_str());
        return fail(error, path, WindowsErrorText(err));
    };
    DWORD code = 0;
    if (!writeAll(file, data, &code)) {
        CloseHandle(file);
        return discard(code);
    }
    if (!FlushFileBuffers(file)) {
        code = GetLastError();
        CloseHandle(file);
        return discard(code);
    }
    ReachedWriteStep(WriteStep::DataFlushed);
    if (!CloseHandle(file))
        return discard(GetLastError());
    if (!MoveFileExW(tmp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return discard(GetLastError());
    ReachedWriteStep(WriteStep::Replaced);
    ReachedWriteStep(WriteStep::FolderFlushed);
    return true;
}

} // namespace kv
