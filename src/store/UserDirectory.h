#pragma once

#include "store/StoreResult.h"

#include <QString>
#include <QStringList>

// The users of a program folder: a user is a file <name>.dat beside the program.
namespace UserDirectory {

// The user names of `folder`: every regular file whose name ends in ".dat" without regard to case,
// without that extension, in the account list's order. An older build's plaintext working copy
// (pstmp.dat, in any case) and a bare ".dat" are not users.
QStringList listUsers(const QString& folder);

// The path of `user`'s store: the existing file whose name equals "<user>.dat" exactly, else the
// first one that equals it without regard to case (Anna opens anna.dat), else <folder>/<user>.dat.
QString userFilePath(const QString& folder, const QString& user);
// The backup beside the user's file: the same stem with ".bak".
QString backupFilePath(const QString& folder, const QString& user);

// Refuses names that cannot be file names: empty, only dots, path separators, control characters,
// characters outside Windows-1252, or longer than a file name may be; and "pstmp" in any case, the
// working copy's name. The message is German, focus LoginUser.
StoreResult checkUserName(const QString& user);

} // namespace UserDirectory
