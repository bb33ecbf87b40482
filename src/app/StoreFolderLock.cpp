#include "app/StoreFolderLock.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Readable for all who can see the folder: another user's program or tool on a shared store folder
// opens it read-only, which is enough to take the lock, and so still sees that it is held.
constexpr mode_t kLockFileMode = 0644;

int openLockFile(const QByteArray& path)
{
    // Not through a link, not a device or pipe that an open could hang on, not into a child process.
    const int flags = O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;
    int fd = ::open(path.constData(), O_RDWR | O_CREAT | flags, kLockFileMode);
    if (fd < 0 && (errno == EACCES || errno == EROFS || errno == EPERM))
        fd = ::open(path.constData(), O_RDONLY | flags);
    if (fd < 0)
        return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Whether the open file is still the one the name leads to: its last holder removes it on release,
// so a file opened just before that is locked in vain.
bool isNamedBy(int fd, const QByteArray& path)
{
    struct stat opened {};
    struct stat named {};
    return ::fstat(fd, &opened) == 0 && ::lstat(path.constData(), &named) == 0 && opened.st_dev == named.st_dev
        && opened.st_ino == named.st_ino;
}

// The holder's process id, for a person who looks; only information, the lock holds without it (and
// a file opened read-only keeps what it holds).
bool notePid(int fd, qint64 pid)
{
    const QByteArray text = pid > 0 ? QByteArray::number(pid) + '\n' : QByteArray();
    if (::ftruncate(fd, 0) != 0)
        return false;
    return text.isEmpty() || ::pwrite(fd, text.constData(), static_cast<size_t>(text.size()), 0) == text.size();
}

} // namespace

StoreFolderLock::StoreFolderLock(const QString& folder) : m_path(lockPathFor(folder)) {}

StoreFolderLock::~StoreFolderLock()
{
    release();
}

QString StoreFolderLock::lockPathFor(const QString& folder)
{
    return QDir(folder).filePath(QStringLiteral("keywarden.lock"));
}

StoreFolderLock::Status StoreFolderLock::tryAcquire()
{
    if (m_fd >= 0)
        return Status::Acquired;
    const QByteArray path = QFile::encodeName(m_path);
    // Each round that finds the file removed under it starts again with the file as it is now.
    for (int round = 0; round < 16; ++round) {
        const int fd = openLockFile(path);
        if (fd < 0)
            return Status::Unavailable;
        int locked;
        do
            locked = ::flock(fd, LOCK_EX | LOCK_NB);
        while (locked != 0 && errno == EINTR);
        if (locked != 0) {
            const bool held = errno == EWOULDBLOCK;
            ::close(fd);
            return held ? Status::HeldElsewhere : Status::Unavailable;
        }
        if (isNamedBy(fd, path)) {
            m_fd = fd;
            notePid(fd, ::getpid());
            return Status::Acquired;
        }
        ::close(fd);
    }
    return Status::HeldElsewhere;
}

void StoreFolderLock::release()
{
    if (m_fd < 0)
        return;
    // Removed while still held, so nobody else can hold it meanwhile; one who opened it before
    // finds it gone once locked and starts again. Where we may not remove it, it stays empty.
    const QByteArray path = QFile::encodeName(m_path);
    if (!isNamedBy(m_fd, path) || ::unlink(path.constData()) != 0)
        notePid(m_fd, 0);
    ::close(m_fd);
    m_fd = -1;
}
