#pragma once
#include <QByteArray>
#include <QString>

namespace kv {

// Writes the whole file or nothing, and durably: the bytes go to a temporary
// file beside the target and are flushed to the disk before that file
// replaces the target; on Linux the folder is flushed after the rename, so
// that a power cut after a successful return finds the new file.  A crash,
// a kill or a full disk leaves the old file whole.  On failure *error (when
// given) holds the system's reason, prefixed with the file name.
bool WriteFileAtomic(const QString& path, const QByteArray& data, QString* error = nullptr);

// The steps of a successful write, in the order they happen; tests watch
// them to see that nothing replaces the old file before the new bytes are on
// the disk.
enum class WriteStep { DataFlushed, Replaced, FolderFlushed };
using WriteStepObserver = void (*)(WriteStep step, void* context);
// Installs (or, with nullptr, removes) the one observer of every write.
void SetWriteStepObserver(WriteStepObserver observer, void* context);
// Reports a step to the observer (for the platform parts of the writer).
void ReachedWriteStep(WriteStep step);

} // namespace kv
