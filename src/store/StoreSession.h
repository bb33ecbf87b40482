#pragma once

#include "store/AccountEntry.h"
#include "store/AccountList.h"
#include "store/StoreResult.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QtGlobal>

#include <functional>

class IniDocument;

// The logged-in state, from the unlock at login to the lock at logoff, and every operation on the
// user's store. One instance serves the whole program (the windows share it); the command-line
// tool makes its own.
//
// Each operation is one cycle: the user file is deciphered into a buffer in memory (no file ever
// holds the plaintext), the text is parsed once, changed, serialised once, enciphered into a new
// file beside the user file and renamed over it; the buffer is wiped on every path. A failing
// operation leaves the user file, the account list and the counters as they were. NotConfirmed is
// the one failure after which the file holds the change: the list and counters follow it.
class StoreSession {
public:
    // When a renaming or deleting operation brings the list section up to date: at the lock (the
    // windows) or in the operation's own write cycle (the command line, which ends right after).
    enum class ListUpdate { AtLock, Now };

    StoreSession();
    ~StoreSession();
    StoreSession(const StoreSession&) = delete;
    StoreSession& operator=(const StoreSession&) = delete;

    // The user of the session and the key of every cipher call (emptied by LockStore).
    const QString& CurrentUser() const { return m_currentUser; }
    const QString& MasterPassword() const { return m_masterPassword; }
    const QString& UserFile() const { return m_userFile; }      // <user>.dat
    const QString& BackupFile() const { return m_backupFile; }  // <user>.bak
    // Count of the list section as read at unlock, +1 per new entry, -1 per delete.
    qint16 StoredCount() const { return m_storedCount; }
    // 1 once an entry was saved, added or deleted since the unlock.
    qint16 StoreChanged() const { return m_storeChanged; }

    // A session for `user` in the program folder `appPath`, keyed with `masterPassword`; the list and
    // the counters start empty. The user's file is found without regard to case
    // (UserDirectory::userFilePath); BackupFile sits beside it with ".bak".
    void begin(const QString& appPath, const QString& user, const QString& masterPassword);
    // The same for a store file given by path (command line).
    void beginFile(const QString& storeFile, const QString& masterPassword);
    // A master password change for `user`: the user and the two files as begin() finds them, the key
    // replaced by `oldPassword` (the previous one wiped). The list and the counters stay as they are.
    void beginPasswordChange(const QString& appPath, const QString& user, const QString& oldPassword = {});
    // Wipes the master password: no operation can decipher the store until a session begins anew.
    void forgetMasterPassword();

    // The account list, the working form of the list section; the main window's list mirrors it.
    const AccountList& accounts() const { return m_accounts; }

    bool userFileExists() const;

    // Whether MasterPassword may key the user's store when that store is still new (no file yet, or
    // the placeholder, which the first write keys): it must consist of Windows-1252 characters.
    // An existing store opens with whatever password it was keyed with; focus LoginPassword.
    StoreResult checkNewStoreKey() const;

    // A new user's store: a file of one empty line (CR LF), not enciphered, owner-only, written whole
    // and renamed into place. An existing file is left as it is. Clears the list, StoredCount and
    // StoreChanged.
    StoreResult createPlaceholder();

    // Login: decipher the user file, fill the account list (LoadAccountList).
    // WrongKey and the other failures change nothing on disk.
    StoreResult unlock();
    // Fills the account list from the list section; sets StoredCount (never below 0) and
    // StoreChanged = 0. A missing, empty or unreadable Count lists nothing.
    void LoadAccountList(const IniDocument& document);

    // cboAccount_Click's store side: the entry of `accountName` (section ReplaceUmlauts(name)),
    // comment decoded; a missing section gives empty values.
    StoreResult readEntry(const QString& accountName, AccountEntry& entry);

    // The checks of cmdSave_Click, in their order, without touching any file.
    StoreResult checkSave(const QString& oldAccountName, const QString& accountName,
                          const AccountEntry& entry) const;
    // cmdSave_Click's store side: stores `entry` under `accountName`. When the name differs from
    // `oldAccountName` (case counts) the list keys up to index p + 1 that hold the old name get the
    // new one, the old section is deleted and the entry is written anew at the end of the file;
    // the account list replaces the old name by the new. Sets StoreChanged.
    // With ListUpdate::Now the list section is rewritten from the account list in the same cycle, as
    // the lock would do it (the command line has no later lock); StoreChanged then stays 0.
    StoreResult saveEntry(const QString& oldAccountName, const QString& accountName,
                          const AccountEntry& entry, ListUpdate listUpdate = ListUpdate::AtLock);

    // The check of cmdDelete_Click ("Kann keinen leeren Eintrag löschen."); the window asks its
    // question only after it passed.
    static StoreResult checkDelete(const QString& accountName);
    // cmdDelete_Click's store side: removes the section ReplaceUmlauts(name) and the first list
    // item equal to `accountName`; the list section stays until the lock. Sets StoreChanged and
    // lowers StoredCount.
    // ListUpdate::Now: the list section is rewritten in the same cycle, as at saveEntry.
    StoreResult deleteEntry(const QString& accountName, ListUpdate listUpdate = ListUpdate::AtLock);

    // The checks of the new-entry dialog's cmdSave_Click, in their order, without touching any file.
    StoreResult checkNewEntry(const QString& accountName, const AccountEntry& entry) const;
    // The new-entry dialog's store side: Count = StoredCount + 1, Account<Count> = name, then the
    // four keys in a section appended at the end; the name joins the account list.
    StoreResult addEntry(const QString& accountName, const AccountEntry& entry);

    // Many new entries in one write cycle, all or none (an import): each is checked as a new entry
    // would be, except that user and password may both be empty (a note), and its section must not
    // exist yet nor be an earlier entry's. A refusal sets `failedIndex` to the entry's index.
    StoreResult addEntries(const QList<QPair<QString, AccountEntry>>& entries, int& failedIndex);

    // Rewrites the list section from the account list (Count, Account1..n, earlier keys up to
    // StoredCount emptied first); StoreChanged = 0.
    StoreResult SaveAccountList();

    // LockStore's store steps: the list section when StoreChanged is 1, then the user file marked
    // read-only, MasterPassword wiped. The lock completes even when the list
    // rewrite fails; that failure is returned.
    StoreResult LockStore();

    // The master password change for CurrentUser (MasterPasswordChange::run); once the file is under
    // the new password (success or NotConfirmed) MasterPassword holds it.
    StoreResult changeMasterPassword(const QString& oldPassword, const QString& newPassword);

private:
    // One changing operation: refused while another runs, then when `checked` failed; otherwise
    // rewriteLocked. The caller updates its own state right after, with no event run in between.
    StoreResult rewrite(const StoreResult& checked, const std::function<void(QByteArray&)>& change);
    // Deciphers the user file, hands the text to `change` and writes the result back (StoreCycle).
    StoreResult rewriteLocked(const std::function<void(QByteArray&)>& change);
    StoreResult saveAccountListLocked();
    // The list section of `text` rewritten from `accounts`; keys up to `storedCount` emptied first.
    static void writeListSection(QByteArray& text, const AccountList& accounts, int storedCount);

    AccountList m_accounts;
    QString m_currentUser;
    QString m_masterPassword;
    QString m_userFile;
    QString m_backupFile;
    qint16 m_storedCount = 0;
    qint16 m_storeChanged = 0;
};
