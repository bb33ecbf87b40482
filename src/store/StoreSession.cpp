#include "store/StoreSession.h"

#include "store/ImportWriter.h"
#include "store/MasterPasswordChange.h"
#include "store/PlaintextFilter.h"
#include "store/StoreActivity.h"
#include "store/StoreCycle.h"
#include "store/StoreLayout.h"
#include "store/StoreTexts.h"
#include "store/UserDirectory.h"
#include "store/UserStoreFile.h"

#include "core/AtomicWrite.h"
#include "core/Cp1252.h"
#include "core/IniDocument.h"
#include "core/ProcessProtection.h"
#include "core/Wipe.h"

#include <QDir>
#include <QSet>
#include <QFileInfo>

using namespace StoreTexts;

namespace {

const QString kPlaceholderFailed =
    QStringLiteral("Die Datei des neuen Benutzers konnte nicht angelegt werden.");

QString listKey(int index)
{
    return kAccountKeyPrefix + QString::number(index);
}

// The checks that keep values storable, after the checks the windows have always made.
StoreResult checkValues(const AccountEntry& entry)
{
    if (findInvalidValueChar(entry.User) >= 0)
        return StoreResult::validation(kInvalidValue, StoreField::UserName);
    if (findInvalidValueChar(entry.Pass) >= 0)
        return StoreResult::validation(kInvalidValue, StoreField::Password);
    if (findInvalidValueChar(entry.Web) >= 0)
        return StoreResult::validation(kInvalidValue, StoreField::WebSite);
    if (findInvalidCommentChar(entry.Comment) >= 0)
        return StoreResult::validation(kInvalidValue, StoreField::Comment);
    return StoreResult::success();
}

void writeEntry(IniDocument& document, const QString& accountName, const AccountEntry& entry)
{
    const QString section = ReplaceUmlauts(accountName);
    document.setValue(section, QStringLiteral("User"), entry.User);
    document.setValue(section, QStringLiteral("Pass"), entry.Pass);
    document.setValue(section, QStringLiteral("Web"), entry.Web);
    document.setValue(section, QStringLiteral("Comment"), EncodeLineBreaks(entry.Comment));
}

// The one section of an operation's text that a lookup needs, parsed alone; the copy and the
// parsed lines are wiped whatever way the operation ends.
class ParsedSection {
public:
    ParsedSection(const QByteArray& plain, const QString& section)
    {
        QByteArray bytes = PlaintextFilter::sectionNamed(plain, section);
        m_document = IniDocument::fromBytes(bytes);
        Wipe::bytes(bytes);
    }
    ~ParsedSection() { m_document.clear(); }
    ParsedSection(const ParsedSection&) = delete;
    ParsedSection& operator=(const ParsedSection&) = delete;

    const IniDocument& document() const { return m_document; }

private:
    IniDocument m_document;
};

} // namespace

StoreSession::StoreSession() = default;

StoreSession::~StoreSession()
{
    Wipe::text(m_masterPassword);
}

void StoreSession::begin(const QString& appPath, const QString& user, const QString& masterPassword)
{
    m_currentUser = user;
    m_masterPassword = masterPassword;
    ProcessProtection::lockText(m_masterPassword);
    m_userFile = UserDirectory::userFilePath(appPath, user);
    m_backupFile = UserDirectory::backupFilePath(appPath, user);
    m_storedCount = 0;
    m_storeChanged = 0;
    m_accounts.clear();
}

void StoreSession::beginFile(const QString& storeFile, const QString& masterPassword)
{
    const QFileInfo info(storeFile);
    QString stem = info.fileName();
    if (stem.endsWith(QStringLiteral(".dat"), Qt::CaseInsensitive))
        stem.chop(4);
    m_currentUser = stem;
    m_masterPassword = masterPassword;
    ProcessProtection::lockText(m_masterPassword);
    m_userFile = storeFile;
    m_backupFile = info.dir().filePath(stem + QStringLiteral(".bak"));
    m_storedCount = 0;
    m_storeChanged = 0;
    m_accounts.clear();
}

bool StoreSession::userFileExists() const
{
    return QFileInfo(m_userFile).isFile();
}

StoreResult StoreSession::checkNewStoreKey() const
{
    if (userFileExists() && !UserStoreFile::isPlaceholder(m_userFile))
        return StoreResult::success();
    return MasterPasswordChange::checkNewKey(m_masterPassword, StoreField::LoginPassword);
}

StoreResult StoreSession::createPlaceholder()
{
    StoreActivity::Scope scope;
    if (!scope.acquired())
        return StoreResult::failure(StoreError::Busy);
    m_accounts.clear();
    m_storedCount = 0;
    m_storeChanged = 0;
    if (QFileInfo::exists(m_userFile))
        return StoreResult::success();
    // Written whole and renamed into place: a failure or a crash never leaves a short file that
    // would then read as a damaged store.
    switch (AtomicWrite::writeFile(m_userFile, QByteArrayLiteral("\r\n"), AtomicWrite::kOwnerOnly)) {
    case AtomicWrite::Status::Ok:
        return StoreResult::success();
    case AtomicWrite::Status::FolderFlushFailed:
        return StoreResult::failure(StoreError::NotConfirmed);
    default:
        return StoreResult::failure(StoreError::WriteFailed, kPlaceholderFailed);
    }
}

StoreResult StoreSession::rewrite(const StoreResult& checked, const std::function<void(QByteArray&)>& change)
{
    StoreActivity::Scope scope;
    if (!scope.acquired())
        return StoreResult::failure(StoreError::Busy);
    if (!checked)
        return checked;
    return rewriteLocked(change);
}

StoreResult StoreSession::rewriteLocked(const std::function<void(QByteArray&)>& change)
{
    StoreCycle cycle;
    StoreResult r = cycle.open(m_userFile, m_masterPassword);
    if (!r)
        return r;
    change(cycle.plain());
    return cycle.commit(m_userFile, m_masterPassword);
}

StoreResult StoreSession::unlock()
{
    // A read cycle: decipher in memory, list. Nothing is written.
    StoreActivity::Scope scope;
    if (!scope.acquired())
        return StoreResult::failure(StoreError::Busy);
    StoreCycle cycle;
    StoreResult r = cycle.open(m_userFile, m_masterPassword);
    if (!r)
        return r;
    // Only the list section is parsed; the entry sections are not needed here.
    const ParsedSection list(cycle.plain(), kListSection);
    LoadAccountList(list.document());
    StoreActivity::pumpEvents();
    return StoreResult::success();
}

void StoreSession::LoadAccountList(const IniDocument& document)
{
    QStringList names;
    m_storedCount = readListSection(document, names);
    m_accounts.assign(names);
    m_storeChanged = 0;
}

StoreResult StoreSession::readEntry(const QString& accountName, AccountEntry& entry)
{
    StoreActivity::Scope scope;
    if (!scope.acquired())
        return StoreResult::failure(StoreError::Busy);
    entry.wipe();
    StoreCycle cycle;
    StoreResult r = cycle.open(m_userFile, m_masterPassword);
    if (!r)
        return r;
    const ParsedSection part(cycle.plain(), ReplaceUmlauts(accountName));
    entry = readAccountEntry(part.document(), accountName);
    StoreActivity::pumpEvents();
    return StoreResult::success();
}

StoreResult StoreSession::checkSave(const QString& oldAccountName, const QString& accountName,
                                    const AccountEntry& entry) const
{
    if (entry.User.isEmpty() && entry.Pass.isEmpty())
        return StoreResult::validation(kNeedUserOrPassword, StoreField::UserName);
    if (accountName != oldAccountName) {
        if (accountName.isEmpty())
            return StoreResult::validation(kEmptyName, StoreField::Account);
        // All items take part, the entry's own old name too: post -> Post is refused.
        if (m_accounts.containsIgnoringCase(accountName))
            return StoreResult::validation(kDuplicateName, StoreField::Account);
        if (findInvalidAccountNameChar(accountName) >= 0)
            return StoreResult::validation(kInvalidName, StoreField::Account);
    }
    return checkValues(entry);
}

StoreResult StoreSession::saveEntry(const QString& oldAccountName, const QString& accountName,
                                    const AccountEntry& entry, ListUpdate listUpdate)
{
    // Order: decipher in memory; change the text (list keys, old section, four keys, each as the INI
    // writer would); encipher into a temporary file beside the user file and rename it over; only then
    // update the list and flags. The old user file stays complete until the rename replaces it with
    // the complete new one.
    AccountList accounts = m_accounts;
    StoreResult r = rewrite(checkSave(oldAccountName, accountName, entry), [&](QByteArray& text) {
        if (accountName != oldAccountName) {
            // Only the list keys up to the old name's place in the sorted list are looked at; the
            // whole list section is rewritten at the lock.
            const int p = m_accounts.indexOf(oldAccountName);
            const QString oldUpper = AccountList::upperForm(oldAccountName);
            PlaintextFilter::editSection(text, kListSection, [&](IniDocument& list) {
                for (int i = 0; i <= p; ++i) {
                    if (AccountList::upperForm(list.value(kListSection, listKey(i + 1))) == oldUpper)
                        list.setValue(kListSection, listKey(i + 1), accountName);
                }
            });
            accounts.removeAt(p);
            accounts.insert(accountName);
            DeleteIniSection(ReplaceUmlauts(oldAccountName), text);
            StoreActivity::pumpEvents();
        }
        PlaintextFilter::editSection(text, ReplaceUmlauts(accountName),
                                     [&](IniDocument& doc) { writeEntry(doc, accountName, entry); });
        if (listUpdate == ListUpdate::Now)
            writeListSection(text, accounts, m_storedCount);
    });
    if (!r.stored())
        return r;
    m_accounts = std::move(accounts);
    m_storeChanged = listUpdate == ListUpdate::Now ? 0 : 1;
    return r;
}

StoreResult StoreSession::checkDelete(const QString& accountName)
{
    if (accountName.isEmpty())
        return StoreResult::validation(kDeleteEmpty, StoreField::None);
    return StoreResult::success();
}

StoreResult StoreSession::deleteEntry(const QString& accountName, ListUpdate listUpdate)
{
    // Order: decipher in memory; drop the section from the text (line work alone, nothing is
    // parsed), with ListUpdate::Now also rewrite the list section; encipher into a temporary file and
    // rename it over the user file. The user file is never deleted: it is replaced whole.
    AccountList accounts = m_accounts;
    const int index = accounts.indexOf(accountName);
    if (index >= 0)
        accounts.removeAt(index);
    StoreResult r = rewrite(checkDelete(accountName), [&](QByteArray& text) {
        DeleteIniSection(ReplaceUmlauts(accountName), text);
        StoreActivity::pumpEvents();
        if (listUpdate == ListUpdate::Now)
            writeListSection(text, accounts, m_storedCount);
    });
    if (!r.stored())
        return r;
    if (index >= 0) {
        m_accounts = std::move(accounts);
        // StoredCount follows the list so that it never falls below the number of listed names.
        m_storedCount = static_cast<qint16>(m_storedCount - 1);
    }
    m_storeChanged = listUpdate == ListUpdate::Now ? 0 : 1;
    return r;
}

StoreResult StoreSession::checkNewEntry(const QString& accountName, const AccountEntry& entry) const
{
    if (accountName.isEmpty())
        return StoreResult::validation(kEmptyName, StoreField::Account);
    if (entry.User.isEmpty() && entry.Pass.isEmpty())
        return StoreResult::validation(kNeedUserOrPassword, StoreField::UserName);
    if (m_accounts.containsIgnoringCase(accountName))
        return StoreResult::validation(kDuplicateName, StoreField::Account, true);
    if (findInvalidAccountNameChar(accountName) >= 0)
        return StoreResult::validation(kInvalidName, StoreField::Account);
    if (m_storedCount >= 32767)
        return StoreResult::validation(kListFull, StoreField::Account);
    return checkValues(entry);
}

StoreResult StoreSession::addEntry(const QString& accountName, const AccountEntry& entry)
{
    // Order: decipher in memory; Count, Account<Count> and the new section in the text; encipher into a
    // temporary file and rename it over the user file; then the list and counters.
    const qint16 count = static_cast<qint16>(m_storedCount + 1);
    StoreResult r = rewrite(checkNewEntry(accountName, entry), [&](QByteArray& text) {
        PlaintextFilter::editSection(text, kListSection, [&](IniDocument& list) {
            list.setValue(kListSection, kCountKey, QString::number(count));
            list.setValue(kListSection, listKey(count), accountName);
        });
        PlaintextFilter::editSection(text, ReplaceUmlauts(accountName),
                                     [&](IniDocument& doc) { writeEntry(doc, accountName, entry); });
    });
    if (!r.stored())
        return r;
    m_storedCount = count;
    m_storeChanged = 1;
    m_accounts.insert(accountName);
    return r;
}

StoreResult StoreSession::addEntries(const QList<QPair<QString, AccountEntry>>& entries, int& failedIndex)
{
    // Order: every entry checked before the file is read; decipher in memory; the existing section
    // names looked at once; the list keys and all new sections written into the text; encipher into
    // a temporary file and rename it over the user file; then the list and counters. Any refusal
    // leaves the file untouched.
    failedIndex = -1;
    StoreActivity::Scope scope;
    if (!scope.acquired())
        return StoreResult::failure(StoreError::Busy);
    // The new names join the list in one sort at the end: inserting ten thousand names one by one
    // into the sorted list would move it around ten thousand times.
    QStringList names = m_accounts.items();
    names.reserve(names.size() + entries.size());
    QSet<QString> newNames;
    QSet<QString> newSections;
    newNames.reserve(entries.size());
    newSections.reserve(entries.size());
    // Each entry's section name, worked out once for the checks and the writing.
    QStringList sectionNames;
    sectionNames.reserve(entries.size());
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const QString& name = entries.at(i).first;
        StoreResult r = StoreResult::success();
        sectionNames.append(ReplaceUmlauts(name));
        const QString section = AccountList::upperForm(sectionNames.last());
        const QString upper = AccountList::upperForm(name);
        if (name.isEmpty())
            r = StoreResult::validation(kEmptyName, StoreField::Account);
        else if (m_accounts.containsIgnoringCase(name) || newNames.contains(upper) || newSections.contains(section))
            r = StoreResult::validation(kDuplicateName, StoreField::Account);
        else if (findInvalidAccountNameChar(name) >= 0)
            r = StoreResult::validation(kInvalidName, StoreField::Account);
        else if (m_storedCount + i + 1 > 32767)
            r = StoreResult::validation(kListFull, StoreField::Account);
        else
            r = checkValues(entries.at(i).second);
        if (!r) {
            failedIndex = static_cast<int>(i);
            return r;
        }
        names.append(name);
        newNames.insert(upper);
        newSections.insert(section);
    }

    StoreCycle cycle;
    StoreResult r = cycle.open(m_userFile, m_masterPassword);
    if (!r)
        return r;
    QByteArray& text = cycle.plain();
    // A section that is in the file without being listed would take the new entry's keys.
    for (qsizetype at = 0; at < text.size();) {
        qsizetype lineEnd = text.indexOf('\n', at);
        if (lineEnd < 0)
            lineEnd = text.size();
        if (text.at(at) == '[') {
            // Only the header is copied: the values stay where they are.
            const qsizetype close = text.indexOf(']', at);
            const qsizetype nameEnd = close >= 0 && close < lineEnd ? close : lineEnd;
            const QString existing =
                AccountList::upperForm(Cp1252::decode(QByteArrayView(text).sliced(at + 1, nameEnd - at - 1)));
            for (qsizetype i = 0; newSections.contains(existing) && i < entries.size(); ++i) {
                if (AccountList::upperForm(sectionNames.at(i)) == existing) {
                    failedIndex = static_cast<int>(i);
                    return StoreResult::validation(kDuplicateName, StoreField::Account);
                }
            }
        }
        at = lineEnd + 1;
    }
    const int count = m_storedCount + static_cast<int>(entries.size());
    ImportWriter::write(text, kListSection, m_storedCount, entries, sectionNames);
    StoreActivity::pumpEvents();
    r = cycle.commit(m_userFile, m_masterPassword);
    if (!r.stored())
        return r;
    m_storedCount = static_cast<qint16>(count);
    m_storeChanged = 1;
    m_accounts.assign(names);
    return r;
}

StoreResult StoreSession::SaveAccountList()
{
    StoreActivity::Scope scope;
    if (!scope.acquired())
        return StoreResult::failure(StoreError::Busy);
    return saveAccountListLocked();
}

StoreResult StoreSession::saveAccountListLocked()
{
    // Order: decipher in memory; rewrite the list section in the text; encipher into a temporary file
    // and rename it over the user file. A failure leaves the old file and StoreChanged as they were.
    StoreResult r = rewriteLocked([&](QByteArray& text) { writeListSection(text, m_accounts, m_storedCount); });
    if (!r.stored())
        return r;
    m_storeChanged = 0;
    return r;
}

void StoreSession::writeListSection(QByteArray& text, const AccountList& accounts, int storedCount)
{
    const int n = accounts.size();
    PlaintextFilter::editSection(text, kListSection, [&](IniDocument& list) {
        // Keys above n keep their old text unless StoredCount reached them; Count bounds the reading.
        if (storedCount > n) {
            for (int i = 1; i <= storedCount; ++i)
                list.setValue(kListSection, listKey(i), QString());
        }
        list.setValue(kListSection, kCountKey, QString::number(n));
        QString name;
        for (int i = 1; i <= n && accounts.at(i - 1, name); ++i)
            list.setValue(kListSection, listKey(i), name);
    });
}

StoreResult StoreSession::LockStore()
{
    StoreActivity::Scope scope;
    if (!scope.acquired())
        return StoreResult::failure(StoreError::Busy);
    StoreResult r = StoreResult::success();
    if (m_storeChanged == 1)
        r = saveAccountListLocked();
    UserStoreFile::markReadOnly(m_userFile);
    Wipe::text(m_masterPassword);
    return r;
}

void StoreSession::beginPasswordChange(const QString& appPath, const QString& user, const QString& oldPassword)
{
    m_currentUser = user;
    m_userFile = UserDirectory::userFilePath(appPath, user);
    m_backupFile = UserDirectory::backupFilePath(appPath, user);
    Wipe::text(m_masterPassword);
    m_masterPassword = oldPassword;
    ProcessProtection::lockText(m_masterPassword);
}

void StoreSession::forgetMasterPassword()
{
    Wipe::text(m_masterPassword);
}

StoreResult StoreSession::changeMasterPassword(const QString& oldPassword, const QString& newPassword)
{
    StoreResult r = MasterPasswordChange::run(m_userFile, m_backupFile, oldPassword, newPassword);
    if (r.stored()) {
        m_masterPassword = newPassword;
        ProcessProtection::lockText(m_masterPassword);
    }
    return r;
}
