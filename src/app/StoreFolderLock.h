#pragma once

#include <QString>

// The lock of a store folder: the file keywarden.lock beside the .dat files, held with a kernel lock
// on an open file. The program holds it from start to end (one running copy per store folder);
// keywarden-cli holds it for each write. The kernel lets go of it when its holder ends, however it
// ends, so a lock that no living process holds never blocks; what the file contains does not count.
// A holder that ends normally removes the file; one that is killed leaves it for the next to take.
class StoreFolderLock {
public:
    enum class Status {
        Acquired,       // ours until this object goes
        HeldElsewhere,  // a living process holds it
        Unavailable,    // the lock file can neither be created nor opened (a folder we may not write)
    };

    explicit StoreFolderLock(const QString& folder);
    ~StoreFolderLock();
    StoreFolderLock(const StoreFolderLock&) = delete;
    StoreFolderLock& operator=(const StoreFolderLock&) = delete;

    // Does not wait: a lock held elsewhere is reported at once.
    Status tryAcquire();
    bool isHeld() const { return m_fd >= 0; }
    void release();

    const QString& path() const { return m_path; }
    static QString lockPathFor(const QString& folder);

private:
    QString m_path;
    int m_fd = -1;
};
