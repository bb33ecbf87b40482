#include "store/UserStoreFile.h"

#include "store/PlaintextFilter.h"

#include "core/AtomicWrite.h"
#include "core/Wipe.h"
#include "crypto/clsBlowfish.h"

#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr QFileDevice::Permissions kWriteBits =
    QFileDevice::WriteOwner | QFileDevice::WriteUser | QFileDevice::WriteGroup | QFileDevice::WriteOther;

const QString kNotStoreText =
    QStringLiteral("Der Text sieht nicht wie ein Passwort-Speicher aus (Steuerzeichen oder kein Abschnitt "
                   "wie [Main]) und wird nicht gespeichert; die Datei bleibt unverändert.   ");

// The whole file in one allocation of its final size, so no growing buffer leaves copies behind.
StoreResult readWhole(const QString& path, QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return StoreResult::failure(QFileInfo::exists(path) ? StoreError::ReadFailed : StoreError::MissingUserFile);
    const qint64 size = file.size();
    QByteArray read(size, Qt::Uninitialized);
    if (file.read(read.data(), size) != size || !file.atEnd()) {
        Wipe::bytes(read);
        return StoreResult::failure(StoreError::ReadFailed);
    }
    bytes = std::move(read);
    return StoreResult::success();
}

} // namespace

namespace UserStoreFile {

StoreResult decipher(const QString& path, const QString& key, QByteArray& plain)
{
    Wipe::bytes(plain);
    if (!QFileInfo(path).isFile())
        return StoreResult::failure(StoreError::MissingUserFile);
    QByteArray bytes;
    StoreResult r = readWhole(path, bytes);
    if (!r)
        return r;
    r = decipherBytes(bytes, key);
    if (r)
        plain = std::move(bytes);
    return r;
}

StoreResult decipherBytes(QByteArray& bytes, const QString& key)
{
    const qsizetype enciphered = bytes.size();
    clsBlowfish cipher;
    switch (cipher.DecryptByte(bytes, key)) {
    case CryptStatus::Ok:
        break;
    case CryptStatus::BadLength:
        Wipe::bytes(bytes);
        return StoreResult::failure(StoreError::Damaged);
    default:
        Wipe::bytes(bytes);
        return StoreResult::failure(StoreError::WrongKey);
    }
    // A wrong key gives an arbitrary length field; one that lands in range almost never gives the
    // length this file was written for, and its bytes are no store text.
    const bool placeholder = enciphered < clsBlowfish::encipheredSize(0);
    const bool lengthFits = placeholder || clsBlowfish::encipheredSize(bytes.size()) == enciphered;
    if (!lengthFits || !PlaintextFilter::isPlausible(bytes)) {
        Wipe::bytes(bytes);
        return StoreResult::failure(StoreError::WrongKey);
    }
    return StoreResult::success();
}

StoreResult replace(const QString& path, const QByteArray& plain, const QString& key)
{
    // What a wrong key deciphered must never be enciphered back over the store.
    if (!PlaintextFilter::isPlausible(plain))
        return StoreResult::validation(kNotStoreText, StoreField::None);
    // A copy with room for the enciphered form, so the cipher works in place and no second
    // buffer of the store's size is needed.
    QByteArray bytes;
    bytes.reserve(clsBlowfish::encipheredSize(plain.size()));
    bytes.append(QByteArrayView(plain));
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

bool isPlaceholder(const QString& path)
{
    const QFileInfo info(path);
    return info.isFile() && info.size() < clsBlowfish::encipheredSize(0);
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
