#pragma once

#include "store/AccountEntry.h"
#include "store/AccountList.h"
#include "store/StoreResult.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>

class IniDocument;

// A store deciphered into memory and read there, for the command-line tool: nothing touches the disk
// but the reading of the enciphered file. Reads follow the same rules as the windows.
class StoreSnapshot {
public:
    StoreSnapshot();
    ~StoreSnapshot();  // wipes the plaintext
    StoreSnapshot(StoreSnapshot&&) noexcept;
    StoreSnapshot& operator=(StoreSnapshot&&) noexcept;

    StoreResult open(const QString& storeFile, const QString& masterPassword);

    // The deciphered bytes, unchanged.
    const QByteArray& plaintext() const { return m_plain; }
    // The list section as LoadAccountList reads it, in the list's sorted order.
    const AccountList& accounts() const { return m_accounts; }
    qint16 storedCount() const { return m_storedCount; }
    // The listed name for `typed`: the exact item, else the first equal without regard to case,
    // else an empty string.
    QString matchAccount(const QString& typed) const;
    // The entry as the main window shows it (section ReplaceUmlauts(name), comment decoded).
    AccountEntry entry(const QString& accountName) const;

    void clear();

private:
    QByteArray m_plain;
    std::unique_ptr<IniDocument> m_document;
    AccountList m_accounts;
    qint16 m_storedCount = 0;
};
