#pragma once

#include <QString>

// One account's values as the windows show them; Comment holds real line breaks (decoded).
struct AccountEntry {
    QString User;
    QString Pass;
    QString Web;
    QString Comment;

    bool operator==(const AccountEntry&) const = default;

    // Overwrites the values before they are released; they are secrets.
    void wipe();
};
