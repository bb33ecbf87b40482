#include "store/StoreCycle.h"

#include "store/StoreActivity.h"
#include "store/UserStoreFile.h"

#include "core/Wipe.h"

StoreCycle::~StoreCycle()
{
    Wipe::bytes(m_plain);
}

StoreResult StoreCycle::open(const QString& userFile, const QString& key)
{
    StoreResult r = UserStoreFile::decipher(userFile, key, m_plain);
    if (!r)
        return r;
    StoreActivity::pumpEvents();
    return StoreResult::success();
}

void StoreCycle::begin(QByteArray plain)
{
    Wipe::bytes(m_plain);
    m_plain = std::move(plain);
    StoreActivity::pumpEvents();
}

StoreResult StoreCycle::commit(const QString& userFile, const QString& key)
{
    StoreResult r = UserStoreFile::replace(userFile, m_plain, key);
    Wipe::bytes(m_plain);
    StoreActivity::pumpEvents();
    return r;
}
