#pragma once

#include "store/StoreResult.h"

#include <QString>

// Re-enciphers a user's store under a new master password and keeps the previous file as <user>.bak.
namespace MasterPasswordChange {

// The shortest master password the windows and the command line accept.
inline constexpr qsizetype kMinimumLength = 4;

// The dialog's checks in their order: old password missing, new password missing, new password
// shorter than 4 characters (kind 1, information).
StoreResult check(const QString& oldPassword, const QString& newPassword);

// A password that is to key a store (a new one, or a new key for an existing one) must consist of
// Windows-1252 characters: any other character would become the same '?' in the key. Refused with
// the change's message, the focus on `field`.
StoreResult checkNewKey(const QString& password, StoreField field);

// Order of steps: decipher the store under the old password in memory (a wrong password stops here,
// nothing touched); encipher it under the new password in memory; write the old file's bytes as
// <user>.bak (temporary file, rename, replacing an older backup); then write the new store under a
// temporary name and rename it over <user>.dat, read-only. At every instant <user>.dat is complete,
// under the old password until the last rename. A user without a file is refused.
StoreResult run(const QString& userFile, const QString& backupFile, const QString& oldPassword,
                const QString& newPassword);

} // namespace MasterPasswordChange
