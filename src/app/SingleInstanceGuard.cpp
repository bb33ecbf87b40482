#include "app/SingleInstanceGuard.h"

#include <QDir>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

SingleInstanceGuard::SingleInstanceGuard(const QString& lockPath) : m_lock(lockPath)
{
    // Only a dead owner makes a lock stale. Where the file system has no native locks, an age
    // limit would hand the lock of an instance running for a while to the next copy.
    m_lock.setStaleLockTime(0);
}

bool SingleInstanceGuard::tryAcquire()
{
    return m_lock.isLocked() || m_lock.tryLock(0);
}

QString SingleInstanceGuard::defaultLockPath()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        return QDir(runtime).filePath(QStringLiteral("keywarden.lock"));
#ifdef Q_OS_UNIX
    const QString user = QString::number(::getuid());
#else
    const QString user = qEnvironmentVariable("USERNAME");
#endif
    return QDir(QDir::tempPath()).filePath(QStringLiteral("keywarden-%1.lock").arg(user));
}
