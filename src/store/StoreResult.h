#pragma once

#include <QString>

// Why a store operation did not complete. Each failure stays distinct up to the front end: the
// windows turn it into their message box, the command-line tool into its exit status.
enum class StoreError {
    None,
    WrongKey,         // the length field came out of range: wrong master password (or, rarely, damage)
    Damaged,          // the file cannot be an enciphered store (its length is not a multiple of 8)
    MissingUserFile,  // the user's .dat file does not exist
    ReadFailed,       // a file exists but cannot be read
    WriteFailed,      // a file could not be written or replaced; the old file is intact
    NotConfirmed,     // the new file is in place, but the system did not confirm it is on the disk
    Busy,             // another store operation is running; nothing was done
    Validation,       // the input was refused before anything was read or written
};

// The input field a window should put the focus into after a refused input.
enum class StoreField {
    None,
    Account,        // account name (txtAccount, txtEditAcct)
    UserName,       // the entry's user name (txtUserName, txtEditUser)
    Password,       // the entry's password (txtPassWord, txtEditPass)
    WebSite,        // the entry's web address
    Comment,        // the entry's comment
    LoginUser,      // the user name of the login window (Combo1)
    LoginPassword,  // the master password box of the login window
    OldPassword,    // txtOldPass of the master password dialog
    NewPassword,    // txtNewPass of the master password dialog
};

// Outcome of a store operation. For StoreError::Validation, `message` is the exact German text to
// show and `kind` its ShowMessage kind; for the other failures it is a German sentence that a
// front end may show as it stands.
struct StoreResult {
    StoreError error = StoreError::None;
    QString message;
    StoreField focus = StoreField::None;
    bool clearField = false;  // the window empties the focused field (the new-entry dialog's duplicate name)
    int kind = 2;             // 1 information, 2 exclamation

    bool ok() const { return error == StoreError::None; }
    explicit operator bool() const { return ok(); }
    // The change is in the file: it succeeded, or only its confirmation failed. The front end then
    // goes on as after a success and shows the message.
    bool stored() const { return ok() || error == StoreError::NotConfirmed; }

    static StoreResult success() { return {}; }
    static StoreResult failure(StoreError error, const QString& message = {});
    static StoreResult validation(const QString& message, StoreField focus, bool clearField = false,
                                  int kind = 2);
};

// The German sentence for a failure, used when an operation gives no more specific text.
QString storeErrorText(StoreError error);
