#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QString>

#include <functional>

// Writes a whole file so that it is complete or not there at all: the bytes go into a temporary
// file in the same folder, are flushed, and only then renamed over the target. Every write of a
// store or a settings-independent secret goes through here, which makes it the one seam where
// tests can inject a failure at any stage.
namespace AtomicWrite {

enum class Status { Ok, OpenFailed, WriteFailed, CommitFailed };

enum class Stage { Open, Write, Commit };

constexpr QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

// The new file gets `permissions` before any byte is written. A read-only target is replaced all
// the same (the rename needs only the folder to be writable); the old file stays untouched on
// every failure.
Status writeFile(const QString& path, const QByteArray& bytes,
                 QFileDevice::Permissions permissions = kOwnerOnly);

// Test seam: the hook is asked before each stage; returning true makes that stage fail.
using FaultHook = std::function<bool(Stage stage, const QString& path)>;
void setFaultHook(FaultHook hook);

} // namespace AtomicWrite
