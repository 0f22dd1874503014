#pragma once
#include <QByteArray>
#include <QString>

namespace kv {

// Writes the whole file or nothing, and durably: the bytes go to a temporary
// file beside the target and are flushed to the disk before that file
// replaces the target, and the new name is made durable too (Linux flushes
// the folder after the rename, Windows renames with write-through), so that
// a power cut after a successful return finds the new file.  A crash, a kill
// or a full disk leaves the old file whole; a temporary file that a crash
// left beside the target goes at the target's next write.  On failure
// *error (when given) holds the system's reason, prefixed with the file name,
// and the temporary file is gone.
bool WriteFileAtomic(const QString& path, const QByteArray& data, QString* error = nullptr);

// The steps of a successful write, in the order they happen, the same on
// every platform; tests watch them to see that nothing replaces the old file
// before the new bytes are on the disk.  FolderFlushed: the new name is on
// the disk (on Windows the write-through rename gives Replaced and
// FolderFlushed at once).
enum class WriteStep { DataFlushed, Replaced, FolderFlushed };
using WriteStepObserver = void (*)(WriteStep step, void* context);
// Installs (or, with nullptr, removes) the one observer of every write.
void SetWriteStepObserver(WriteStepObserver observer, void* context);
// Reports a step to the observer (for the platform parts of the writer).
void ReachedWriteStep(WriteStep step);

// For the platform parts of the writer (AtomicFile_posix.cpp,
// AtomicFile_win.cpp).  The temporary file of one write of path lies beside
// it as "<file name>.kvtmp.<process id>.<random hex>".
QString TemporaryFileFor(const QString& path);
// Removes what crashed writes of path left beside it: files of exactly that
// pattern whose process has ended.  A write under way in another process
// keeps its file; files of other targets and other names are never touched.
void RemoveLeftTemporaries(const QString& path);
// Platform: whether a process with this id is running (this one included).
bool WriterProcessRuns(qint64 pid);

} // namespace kv
