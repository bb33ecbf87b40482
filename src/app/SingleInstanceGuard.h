#pragma once

#include <QLockFile>
#include <QString>

// Keeps a second copy of the program from running for the same user. The lock file lives in a
// per-user folder; the lock of a crashed instance is recognised (its process is gone) and taken
// over, while a running instance keeps its lock however long it runs.
class SingleInstanceGuard {
public:
    explicit SingleInstanceGuard(const QString& lockPath = defaultLockPath());

    // True when no running instance holds the lock; it is then ours until this object goes.
    bool tryAcquire();
    bool isHeld() const { return m_lock.isLocked(); }

    // The private runtime folder when the session has one, else the temporary folder with the
    // user's id in the file name.
    static QString defaultLockPath();

private:
    QLockFile m_lock;
};
