#include "store/MasterPasswordChange.h"

#include "store/StoreActivity.h"
#include "store/StoreTexts.h"
#include "store/UserStoreFile.h"

#include "core/AtomicWrite.h"
#include "core/Cp1252.h"
#include "core/Wipe.h"
#include "crypto/clsBlowfish.h"

#include <QFile>
#include <QFileInfo>

namespace {

const QString kOldMissing = QStringLiteral("Bitte altes Master-Passwort eingegeben.");
const QString kNewMissing = QStringLiteral("Bitte neues Master-Passwort eingegeben.");
const QString kNotRepresentable =
    QStringLiteral("Das neue Master-Passwort enthält Zeichen, die nicht verwendet werden können "
                   "(außerhalb von Windows-1252).   ");
const QString kNoUserFile =
    QStringLiteral("Für diesen Benutzer gibt es keine Datei; das Master-Passwort kann nicht geändert werden.");
const QString kBackupFailed =
    QStringLiteral("Die Sicherungsdatei konnte nicht geschrieben werden; das Master-Passwort wurde nicht "
                   "geändert.");
const QString kStoreFailed =
    QStringLiteral("Die Datei konnte nicht neu geschrieben werden; sie öffnet weiter mit dem alten "
                   "Master-Passwort.");
const QString kStoreNotConfirmed =
    QStringLiteral("Das Master-Passwort ist geändert, aber das System hat nicht bestätigt, dass die Datei "
                   "auf dem Datenträger angekommen ist. Bitte den Datenträger prüfen; nach einem Absturz "
                   "kann wieder das alte Master-Passwort gelten (die Sicherungsdatei öffnet mit ihm).");

} // namespace

namespace MasterPasswordChange {

StoreResult check(const QString& oldPassword, const QString& newPassword)
{
    if (oldPassword.isEmpty())
        return StoreResult::validation(kOldMissing, StoreField::OldPassword);
    if (newPassword.isEmpty())
        return StoreResult::validation(kNewMissing, StoreField::NewPassword);
    if (newPassword.size() < kMinimumLength)
        return StoreResult::validation(StoreTexts::kMasterPasswordTooShort, StoreField::NewPassword, false, 1);
    return checkNewKey(newPassword, StoreField::NewPassword);
}

StoreResult checkNewKey(const QString& password, StoreField field)
{
    // Such characters would all become the same '?' in the key and weaken it unnoticed.
    if (!Cp1252::isRepresentable(password))
        return StoreResult::validation(kNotRepresentable, field);
    return StoreResult::success();
}

StoreResult run(const QString& userFile, const QString& backupFile, const QString& oldPassword,
                const QString& newPassword)
{
    // Order: everything is computed in memory before a file is touched; the backup is written whole
    // (temporary file, rename) before the user file is replaced; the user file is replaced by renaming
    // a complete temporary file over it. So <user>.dat is complete at every instant, under the old
    // password until that last rename, and <user>.bak is complete whenever it exists.
    StoreActivity::Scope scope;
    if (!scope.acquired())
        return StoreResult::failure(StoreError::Busy);
    StoreResult r = check(oldPassword, newPassword);
    if (!r)
        return r;
    if (!QFileInfo(userFile).isFile())
        return StoreResult::failure(StoreError::MissingUserFile, kNoUserFile);

    QFile file(userFile);
    if (!file.open(QIODevice::ReadOnly))
        return StoreResult::failure(StoreError::ReadFailed);
    const QByteArray oldBytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return StoreResult::failure(StoreError::ReadFailed);
    file.close();

    QByteArray store = oldBytes;
    store.detach();
    // The store is opened as everywhere: a wrong old password stops here, whatever it deciphered.
    r = UserStoreFile::decipherBytes(store, oldPassword);
    if (!r)
        return r;
    StoreActivity::pumpEvents();
    {
        // A fresh object: keying one that already holds a key would not start from the initial tables.
        clsBlowfish newCipher;
        if (newCipher.EncryptByte(store, newPassword) != CryptStatus::Ok) {
            Wipe::bytes(store);
            return StoreResult::failure(StoreError::WriteFailed, kStoreFailed);
        }
    }
    StoreActivity::pumpEvents();

    if (AtomicWrite::writeFile(backupFile, oldBytes) != AtomicWrite::Status::Ok) {
        Wipe::bytes(store);
        return StoreResult::failure(StoreError::WriteFailed, kBackupFailed);
    }
    StoreActivity::pumpEvents();

    // Read-only from its creation, as every store file.
    const AtomicWrite::Status status = AtomicWrite::writeFile(userFile, store, QFileDevice::ReadOwner);
    Wipe::bytes(store);
    if (status == AtomicWrite::Status::FolderFlushFailed)
        return StoreResult::failure(StoreError::NotConfirmed, kStoreNotConfirmed);
    if (status != AtomicWrite::Status::Ok)
        return StoreResult::failure(StoreError::WriteFailed, kStoreFailed);
    StoreActivity::pumpEvents();
    return StoreResult::success();
}

} // namespace MasterPasswordChange
