#include "store/UserStoreFile.h"

#include "app/AtomicWrite.h"
#include "app/Wipe.h"
#include "crypto/clsBlowfish.h"

#include <QFile>
#include <QFileInfo>

namespace {

constexpr QFileDevice::Permissions kWriteBits =
    QFileDevice::WriteOwner | QFileDevice::WriteUser | QFileDevice::WriteGroup | QFileDevice::WriteOther;

} // namespace

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
    const AtomicWrite::Status status = AtomicWrite::writeFile(path, bytes, QFileDevice::ReadOwner);
    Wipe::bytes(bytes);
    if (status != AtomicWrite::Status::Ok)
        return StoreResult::failure(StoreError::WriteFailed);
    markReadOnly(path);
    return StoreResult::success();
}

void markReadOnly(const QString& path)
{
    if (QFileInfo(path).isFile())
        QFile::setPermissions(path, QFile::permissions(path) & ~kWriteBits);
}

} // namespace UserStoreFile
