#include "store/StoreCycle.h"

#include "store/StoreActivity.h"
#include "store/UserStoreFile.h"

#include "app/Wipe.h"

StoreCycle::StoreCycle(const QString& workingCopyFile)
    : m_workingCopy(workingCopyFile)
{
}

StoreCycle::~StoreCycle()
{
    Wipe::bytes(m_plain);
}

StoreResult StoreCycle::open(const QString& userFile, const QString& key)
{
    StoreResult r = UserStoreFile::decipher(userFile, key, m_plain);
    if (!r)
        return r;
    showWorkingCopy();
    return StoreResult::success();
}

void StoreCycle::begin(QByteArray plain)
{
    Wipe::bytes(m_plain);
    m_plain = std::move(plain);
    showWorkingCopy();
}

void StoreCycle::showWorkingCopy()
{
    // The copy on disk only shows that plaintext exists; the operation itself works in memory, so a
    // copy that cannot be written does not stop it.
    m_workingCopy.write(m_plain);
    StoreActivity::pumpEvents();
}

StoreResult StoreCycle::commit(const QString& userFile, const QString& key)
{
    StoreResult r = UserStoreFile::replace(userFile, m_plain, key);
    Wipe::bytes(m_plain);
    StoreActivity::pumpEvents();
    m_workingCopy.remove();
    return r;
}
