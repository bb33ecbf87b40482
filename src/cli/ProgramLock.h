#pragma once

#include <QLockFile>
#include <QString>

#include <memory>

// The program's single-instance lock, seen from the command line: while Keywarden runs it holds the
// lock, and a write from here could be overwritten by the program's own next write cycle (its list
// rewrite at logoff, for one). Holding the lock for the length of a write also keeps a second
// writer of this tool and a starting program out meanwhile.
class ProgramLock {
public:
    // Per user, in the temporary folder: the file the program locks at start.
    static QString path();

    enum class Status {
        Acquired,
        Held,         // the program (or another writer) runs
        Unavailable,  // the lock file cannot be created: whether the program runs is unknown
    };

    // Takes the lock without waiting.
    Status tryAcquire();
    void release();

private:
    std::unique_ptr<QLockFile> m_lock;
};
