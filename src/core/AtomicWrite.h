#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QString>

#include <functional>

// Writes a whole file so that it is complete or not there at all: the bytes go into a temporary
// file in the same folder, are flushed to the disk, and only then renamed over the target; then
// the folder is flushed so that the rename itself is on the disk. Every write of a store, its
// backup and the settings goes through here, which makes it the one seam where tests can inject a
// failure at any stage.
namespace AtomicWrite {

enum class Status {
    Ok,
    OpenFailed,         // no temporary file could be created; nothing changed
    WriteFailed,        // writing, flushing or closing the temporary file failed; nothing changed
    CommitFailed,       // the rename failed; the old file is untouched
    FolderFlushFailed,  // the new file is in place, but the system did not confirm it is on the disk
};

// Hook stages, in their order. Commit is the rename.
enum class Stage { Open, Write, Flush, Close, Commit, FolderFlush };

constexpr QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

// The new file has exactly `permissions` before any byte is written. A read-only target is replaced
// all the same (the rename needs only the folder to be writable). A target that is a link to an
// existing file is replaced at the link's target; the link stays. On every failure before the rename
// the old file stays untouched and the temporary file is removed.
Status writeFile(const QString& path, const QByteArray& bytes,
                 QFileDevice::Permissions permissions = kOwnerOnly);

// Test seam: the hook is asked before each stage with the path the caller gave; returning true
// makes that stage fail.
using FaultHook = std::function<bool(Stage stage, const QString& path)>;
void setFaultHook(FaultHook hook);

} // namespace AtomicWrite
