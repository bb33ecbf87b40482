#include "core/AtomicWrite.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

AtomicWrite::FaultHook& faultHook()
{
    static AtomicWrite::FaultHook hook;
    return hook;
}

bool injectedFault(AtomicWrite::Stage stage, const QString& path)
{
    return faultHook() && faultHook()(stage, path);
}

// Enough tries to find a free name even in a folder cluttered by earlier crashes.
constexpr int kTempNameTries = 64;

mode_t modeOf(QFileDevice::Permissions p)
{
    mode_t mode = 0;
    if (p & (QFileDevice::ReadOwner | QFileDevice::ReadUser))
        mode |= S_IRUSR;
    if (p & (QFileDevice::WriteOwner | QFileDevice::WriteUser))
        mode |= S_IWUSR;
    if (p & (QFileDevice::ExeOwner | QFileDevice::ExeUser))
        mode |= S_IXUSR;
    if (p & QFileDevice::ReadGroup)
        mode |= S_IRGRP;
    if (p & QFileDevice::WriteGroup)
        mode |= S_IWGRP;
    if (p & QFileDevice::ExeGroup)
        mode |= S_IXGRP;
    if (p & QFileDevice::ReadOther)
        mode |= S_IROTH;
    if (p & QFileDevice::WriteOther)
        mode |= S_IWOTH;
    if (p & QFileDevice::ExeOther)
        mode |= S_IXOTH;
    return mode;
}

// A link to an existing file is written through to that file, so a store kept elsewhere behind a
// link stays where it is; a dangling link is replaced itself rather than followed.
QString finalTarget(const QString& path)
{
    const QFileInfo info(path);
    if (info.isSymLink()) {
        const QString target = info.canonicalFilePath();
        if (!target.isEmpty())
            return target;
    }
    return info.absoluteFilePath();
}

bool writeAll(int fd, const QByteArray& bytes)
{
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, static_cast<size_t>(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        left -= n;
    }
    return true;
}

int retryingFsync(int fd)
{
    int r;
    do {
        r = ::fsync(fd);
    } while (r != 0 && errno == EINTR);
    return r;
}

// Some file systems cannot flush a folder at all; that is no error of this write.
bool folderFlushUnsupported(int error)
{
    return error == EINVAL || error == ENOTSUP || error == EOPNOTSUPP;
}

bool flushFolder(const QByteArray& folder)
{
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool flushed = retryingFsync(fd) == 0 || folderFlushUnsupported(errno);
    const bool closed = ::close(fd) == 0;
    return flushed && closed;
}

} // namespace

namespace AtomicWrite {

void setFaultHook(FaultHook hook)
{
    faultHook() = std::move(hook);
}

Status writeFile(const QString& path, const QByteArray& bytes, QFileDevice::Permissions permissions)
{
    // Order: a new temporary file beside the target (created exclusively, never through a link,
    // its mode set on the descriptor before the first byte); all bytes written; flushed and closed,
    // each result checked; renamed over the target; the folder flushed. Until the rename the old
    // file is complete and untouched, and from the rename on the new one is.
    const QString target = finalTarget(path);
    const QByteArray targetName = QFile::encodeName(target);
    const QByteArray folder = QFile::encodeName(QFileInfo(target).absolutePath());
    if (injectedFault(Stage::Open, path))
        return Status::OpenFailed;

    QByteArray temp;
    int fd = -1;
    for (int i = 0; i < kTempNameTries && fd < 0; ++i) {
        temp = targetName + '.' + QByteArray::number(QRandomGenerator::global()->generate64() & 0xFFFFFFFFFF, 36);
        fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, S_IRUSR | S_IWUSR);
        if (fd < 0 && errno != EEXIST)
            return Status::OpenFailed;
    }
    if (fd < 0)
        return Status::OpenFailed;

    auto discard = [&](Status status, bool open) {
        if (open)
            ::close(fd);
        ::unlink(temp.constData());
        return status;
    };
    // The mode given at creation passes through the umask; the descriptor gets exactly the one asked for.
    if (::fchmod(fd, modeOf(permissions)) != 0)
        return discard(Status::WriteFailed, true);
    if (injectedFault(Stage::Write, path) || !writeAll(fd, bytes))
        return discard(Status::WriteFailed, true);
    // A failed flush means the bytes may never reach the disk: the old file must stay.
    if (injectedFault(Stage::Flush, path) || retryingFsync(fd) != 0)
        return discard(Status::WriteFailed, true);
    if (injectedFault(Stage::Close, path))
        return discard(Status::WriteFailed, true);
    // The descriptor is gone whatever close reports; an error here is a delayed write error.
    if (::close(fd) != 0)
        return discard(Status::WriteFailed, false);
    if (injectedFault(Stage::Commit, path) || ::rename(temp.constData(), targetName.constData()) != 0)
        return discard(Status::CommitFailed, false);
    if (injectedFault(Stage::FolderFlush, path) || !flushFolder(folder))
        return Status::FolderFlushFailed;
    return Status::Ok;
}

} // namespace AtomicWrite
