#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Small helpers shared by every test folder.
namespace testsupport {

// Folder with the stores written by an independent implementation of the file format.
QString fixturesDir();
QString fixturePath(const QString& name);

QByteArray readAll(const QString& path);
bool writeAll(const QString& path, const QByteArray& bytes);

// The permission bits, not what the current user may do (root may write anything).
bool isReadOnly(const QString& path);

// The files of a folder, hidden ones included, sorted by name.
QStringList filesIn(const QString& folder);

// File permissions bind this thread while the object lives, also when it runs as root: the
// capabilities by which root passes them by leave the thread's effective set (they stay permitted
// and come back at the end). So a test of an unreadable file or a locked folder runs for everyone.
class PermissionsApply {
public:
    PermissionsApply();
    ~PermissionsApply();
    PermissionsApply(const PermissionsApply&) = delete;
    PermissionsApply& operator=(const PermissionsApply&) = delete;

    // False only when root's override could not be put aside.
    bool active() const { return m_active; }

private:
    bool m_active = false;
    bool m_restore = false;
    unsigned m_savedEffective[2] = {0, 0};
};

// The files of `folder` whose bytes contain `needle`. A store's plaintext marker found in one means
// the plaintext reached the disk.
QStringList filesHolding(const QString& folder, const QByteArray& needle);

} // namespace testsupport
