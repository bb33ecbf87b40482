#include "cli/ProgramLock.h"

#include <QDir>

#include <unistd.h>

QString ProgramLock::path()
{
    // One lock per user id: users on one machine each run their own program.
    return QDir(QDir::tempPath()).filePath(QStringLiteral("tarvenic-keywarden-%1.lock").arg(::getuid()));
}

ProgramLock::Status ProgramLock::tryAcquire()
{
    m_lock = std::make_unique<QLockFile>(path());
    // A crashed holder is recognised by its process id, never by the lock's age: a program may
    // stay open for days.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0))
        return Status::Acquired;
    const QLockFile::LockError error = m_lock->error();
    m_lock.reset();
    return error == QLockFile::LockFailedError ? Status::Held : Status::Unavailable;
}

void ProgramLock::release()
{
    if (m_lock)
        m_lock->unlock();
    m_lock.reset();
}
