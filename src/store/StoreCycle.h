#pragma once

#include "store/StoreResult.h"

#include <QByteArray>
#include <QString>

// One store operation's plaintext, from deciphering the user file (or being handed the text) to
// writing it back enciphered. The plaintext lives in this object's buffer only, never in a file;
// whatever way the operation ends, the destructor wipes it.
class StoreCycle {
public:
    StoreCycle() = default;
    ~StoreCycle();
    StoreCycle(const StoreCycle&) = delete;
    StoreCycle& operator=(const StoreCycle&) = delete;

    // Deciphers `userFile` under `key` into plain(); a failure writes nothing.
    StoreResult open(const QString& userFile, const QString& key);
    // Takes `plain` as the text, for an operation that writes without reading the file first.
    void begin(QByteArray plain);
    // Enciphers plain() under `key` into a new file renamed over `userFile`, read-only; then the
    // text is wiped. On failure the old file stays as it was (UserStoreFile::replace).
    StoreResult commit(const QString& userFile, const QString& key);

    QByteArray& plain() { return m_plain; }

private:
    QByteArray m_plain;
};
