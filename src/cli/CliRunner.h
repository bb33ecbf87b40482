#pragma once

#include "cli/CommandLine.h"

#include "store/StoreResult.h"

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <functional>

class SecretReader;
class StoreFolderLock;
class StoreSession;
class StoreSnapshot;

// Runs one command of keywarden-cli and gives its exit status. Stores are read and changed in memory
// only (StoreSnapshot, StoreSession); nothing in clear reaches the disk.
class CliRunner {
public:
    enum ExitStatus {
        kDone = 0,
        kCannotOpen = 1,  // wrong master password or damaged file; nothing changed
        kInputError = 2,  // usage, unknown account, duplicate name, missing file, refused input
        kFileError = 3,   // any other file error, and a running program that keeps add from writing
    };

    // `environment` decides the data folder for a user name given instead of a path (XDG_DATA_HOME).
    explicit CliRunner(SecretReader& secrets,
                       QProcessEnvironment environment = QProcessEnvironment::systemEnvironment());

    int run(const QStringList& arguments);

    // The one mapping of store failures to exit status and message for this front end.
    static int exitStatusFor(StoreError error);
    static QString messageFor(const StoreResult& result, const QString& storeFile);

private:
    int list(const CliRequest& request);
    int show(const CliRequest& request);
    int dump(const CliRequest& request);
    int exportCsv(const CliRequest& request);
    int add(const CliRequest& request);
    int edit(const CliRequest& request);
    int rename(const CliRequest& request);
    int remove(const CliRequest& request);
    int passwd(const CliRequest& request);
    int generate(const CliRequest& request);
    int import(const CliRequest& request);

    // The start of every writing command: the store folder's lock, the master password (the
    // login's rules for a key that may become a new store's first), the store unlocked in `session`.
    // 0 when all of that is done.
    int openForWriting(const CliRequest& request, StoreFolderLock& folderLock, StoreSession& session);
    int acquireLock(StoreFolderLock& folderLock);
    // The listed name for `typed` (exact, else without regard to case), or the error exit.
    int findAccount(const StoreSession& session, const QString& typed, QString& name);
    // Opens the store for writing under the folder lock, finds the account the request names and
    // hands both to `change`; its status, or the status of what failed before it.
    int changeAccount(const CliRequest& request,
                      const std::function<int(StoreSession& session, const QString& name)>& change);
    int editEntry(const CliRequest& request, StoreSession& session, const QString& name);

    // Checks the file and reads the master password; 0 when both are there.
    int prepare(const CliRequest& request, QString& masterPassword, bool forWriting);
    int readSecret(const QString& prompt, const QString& missingMessage, QString& secret);
    // Reads the master password and opens the store in memory; 0 when it is open.
    int openSnapshot(const CliRequest& request, StoreSnapshot& snapshot);
    int failStore(const StoreResult& result, const QString& storeFile);
    int fail(int status, const QString& message);
    int writeOutput(QByteArray& bytes);

    SecretReader& m_secrets;
    QProcessEnvironment m_environment;
};
