#pragma once

#include "store/StoreResult.h"

#include <QByteArray>
#include <QString>

// The enciphered user file (<user>.dat): deciphering it into memory and replacing it as a whole.
namespace UserStoreFile {

// Deciphers `path` under `key` into `plain`. Failures: MissingUserFile, ReadFailed, WrongKey, Damaged;
// nothing is written on any path.
StoreResult decipher(const QString& path, const QString& key, QByteArray& plain);

// Deciphers the bytes of a user file, in place, into its plaintext. The format holds no check value,
// so a key is taken only when all of this holds: the length field is in range, the file is exactly
// as long as the encipher step makes it for that length, and the text is plausible store text
// (PlaintextFilter::isPlausible). Otherwise WrongKey (or Damaged for a length that is no multiple of
// the block size), and `bytes` is wiped.
StoreResult decipherBytes(QByteArray& bytes, const QString& key);

// Order: encipher in memory, write a temporary file in the same folder (read-only from its creation),
// flush it, rename it over `path`, flush the folder. Until the rename the old file is complete and
// untouched; on failure it stays so (WriteFailed). NotConfirmed: the new file is in place, but the
// folder flush after the rename failed.
StoreResult replace(const QString& path, const QByteArray& plain, const QString& key);

// Whether `path` is a new user's placeholder: a file too short to be enciphered, which any key opens
// as the empty store. The first write keys it.
bool isPlaceholder(const QString& path);

// The read-only mark between operations: no write permission for anyone. A link is left alone,
// and so is what it points to.
void markReadOnly(const QString& path);

} // namespace UserStoreFile
