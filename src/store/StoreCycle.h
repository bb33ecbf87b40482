#pragma once

#include "store/StoreResult.h"
#include "store/WorkingCopy.h"

#include <QByteArray>
#include <QString>

// One store operation's plaintext, from deciphering the user file (or being handed the text) to
// writing it back enciphered. Meanwhile the plaintext working copy exists on disk; whatever way the
// operation ends, the destructor wipes the plaintext and removes the working copy.
class StoreCycle {
public:
    // An empty `workingCopyFile` keeps the plaintext in memory only.
    explicit StoreCycle(const QString& workingCopyFile);
    ~StoreCycle();
    StoreCycle(const StoreCycle&) = delete;
    StoreCycle& operator=(const StoreCycle&) = delete;

    // Deciphers `userFile` under `key` into plain(); a failure writes nothing.
    StoreResult open(const QString& userFile, const QString& key);
    // Takes `plain` as the text, for an operation that writes without reading the file first.
    void begin(QByteArray plain);
    // Enciphers plain() under `key` into a new file renamed over `userFile`, marked read-only; then
    // the text is wiped and the working copy removed. On failure the old file stays as it was.
    StoreResult commit(const QString& userFile, const QString& key);

    QByteArray& plain() { return m_plain; }

private:
    void showWorkingCopy();

    WorkingCopy m_workingCopy;
    QByteArray m_plain;
};
