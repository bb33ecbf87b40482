#include "store/UserStoreFile.h"

#include "app/AtomicWrite.h"
#include "app/Wipe.h"
#include "crypto/clsBlowfish.h"

#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace UserStoreFile {

StoreResult decipher(const QString& path, const QString& key, QByteArray& plain)
{
    if (!QFileInfo(path).isFile())
        return StoreResult::failure(StoreError::MissingUserFile);
    clsBlowfish cipher;
    switch (cipher.DecryptFileToBytes(path, plain, key)) {
    case CryptStatus::Ok:
        return StoreResult::success();
    case CryptStatus::CannotOpen:
        return StoreResult::failure(StoreError::WrongKey);
    case CryptStatus::BadLength:
        return StoreResult::failure(StoreError::Damaged);
    case CryptStatus::SourceMissing:
        return StoreResult::failure(StoreError::MissingUserFile);
    case CryptStatus::SourceUnreadable:
        return StoreResult::failure(StoreError::ReadFailed);
    case CryptStatus::WriteFailed:
        break;
    }
    return StoreResult::failure(StoreError::ReadFailed);
}

StoreResult replace(const QString& path, const QByteArray& plain, const QString& key)
{
    QByteArray bytes = plain;
    bytes.detach();
    clsBlowfish cipher;
    if (cipher.EncryptByte(bytes, key) != CryptStatus::Ok) {
        Wipe::bytes(bytes);
        return StoreResult::failure(StoreError::WriteFailed);
    }
    // Read-only from its creation: the new file needs no mode change after the rename.
    const AtomicWrite::Status status = AtomicWrite::writeFile(path, bytes, QFileDevice::ReadOwner);
    Wipe::bytes(bytes);
    switch (status) {
    case AtomicWrite::Status::Ok:
        return StoreResult::success();
    case AtomicWrite::Status::FolderFlushFailed:
        return StoreResult::failure(StoreError::NotConfirmed);
    default:
        return StoreResult::failure(StoreError::WriteFailed);
    }
}

void markReadOnly(const QString& path)
{
    // The mode is changed on the opened file, never through a link someone put in its place.
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return;
    constexpr mode_t kWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & kWriteBits))
        ::fchmod(fd, st.st_mode & 07777 & ~kWriteBits);
    ::close(fd);
}

} // namespace UserStoreFile
