#include "store/StoreSnapshot.h"

#include "store/StoreLayout.h"
#include "store/UserStoreFile.h"

#include "core/IniDocument.h"
#include "core/Wipe.h"

StoreSnapshot::StoreSnapshot() = default;

StoreSnapshot::~StoreSnapshot()
{
    clear();
}

StoreSnapshot::StoreSnapshot(StoreSnapshot&&) noexcept = default;
StoreSnapshot& StoreSnapshot::operator=(StoreSnapshot&&) noexcept = default;

StoreResult StoreSnapshot::open(const QString& storeFile, const QString& masterPassword)
{
    clear();
    StoreResult r = UserStoreFile::decipher(storeFile, masterPassword, m_plain);
    if (!r)
        return r;
    m_document = std::make_unique<IniDocument>(IniDocument::fromBytes(m_plain));
    QStringList names;
    m_storedCount = readListSection(*m_document, names);
    m_accounts.assign(names);
    return StoreResult::success();
}

QString StoreSnapshot::matchAccount(const QString& typed) const
{
    if (typed.isEmpty())
        return {};
    if (m_accounts.indexOf(typed) >= 0)
        return typed;
    const QString upper = AccountList::upperForm(typed);
    QString name;
    for (int i = 0; m_accounts.at(i, name); ++i) {
        if (AccountList::upperForm(name) == upper)
            return name;
    }
    return {};
}

AccountEntry StoreSnapshot::entry(const QString& accountName) const
{
    if (!m_document)
        return {};
    return readAccountEntry(*m_document, accountName);
}

void StoreSnapshot::clear()
{
    Wipe::bytes(m_plain);
    if (m_document)
        m_document->clear();
    m_document.reset();
    m_accounts.clear();
    m_storedCount = 0;
}
