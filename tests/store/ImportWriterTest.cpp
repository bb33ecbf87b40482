#include "StoreTestUtil.h"

#include "store/StoreSession.h"

#include <gtest/gtest.h>

using namespace storetest;

namespace {

const QString kKey = u"geheim1"_qs;

using Entries = QList<QPair<QString, AccountEntry>>;

// A logged-in session on a store named `user` whose text is `plain` (the new-user placeholder is
// written as it is, everything else enciphered).
void openStore(StoreSession& session, const StoreFolder& folder, const QString& user, const QByteArray& plain)
{
    const QString file = folder.path(user + u".dat"_qs);
    if (plain == "\r\n")
        testsupport::writeAll(file, plain);
    else
        ASSERT_TRUE(encipherTo(file, plain, kKey));
    session.begin(folder.dir.path(), user, kKey);
    const StoreResult r = session.unlock();
    ASSERT_TRUE(r.ok()) << r.message.toStdString();
}

} // namespace

// An import writes its list keys and sections straight into the text; whatever the list section
// looked like before, the bytes must be those of adding the entries one by one through addEntry.
TEST(ImportWriter, BatchGivesTheBytesOfAddingEntriesOneByOne)
{
    struct Start {
        const char* what;
        QByteArray plain;
    };
    const Start starts[] = {
        {"new user's placeholder", QByteArray("\r\n")},
        {"store of the fixture", testsupport::readAll(testsupport::fixturePath(u"anna.ini"_qs))},
        // Account3 is left over above Count: key-by-key writes replace it in place.
        {"key left over above Count",
         QByteArray("[Main]\r\nCount=1\r\nAccount1=Alt\r\nAccount3=Rest\r\n\r\n[Alt]\r\nUser=u\r\n")},
        {"lines after the last key, last line of the file open",
         QByteArray("[Main]\r\nCount=1\r\nAccount1=Alt\r\nkein Schluessel\r\n\r\n[Alt]\r\nUser=u")},
        {"list section last, its last key open", QByteArray("[Alt]\r\nUser=u\r\n[Main]\r\nCount=1\r\nAccount1=Alt")},
        {"no list section", QByteArray("[Alt]\r\nUser=u")},
        {"list section header only, other case, LF line ends", QByteArray("[Alt]\nUser=u\n[main]\n")},
    };
    struct Batch {
        const char* what;
        Entries entries;
    };
    const Batch batches[] = {
        {"new sections",
         {{u"Bank"_qs, {u"nutzer"_qs, u"pw"_qs, u"www.bank.de"_qs, u"Zeile\r\nzwei"_qs}},
          {u"Bäckerei Müller"_qs, {u" blank vorn"_qs, u"\"zitiert\""_qs, u"€ und ß"_qs, u"'a'\n"_qs}},
          {u"\"Anführung\""_qs, {QString(), u"hinten "_qs, QString(), QString()}},
          {u"Endet blank "_qs, {u"u"_qs, QString(), u"a=b"_qs, u"\r"_qs}}}},
        // The writer drops the blanks around a section name: both entries end up in one section.
        {"names folding into one section",
         {{u"Doppel"_qs, {u"eins"_qs, u"1"_qs, QString(), QString()}},
          {u" Doppel"_qs, {u"zwei"_qs, u"2"_qs, u"w"_qs, u"k"_qs}}}},
    };
    StoreFolder folder;
    int n = 0;
    for (const Start& start : starts) {
        for (const Batch& batch : batches) {
            SCOPED_TRACE(std::string(start.what) + " / " + batch.what);
            ++n;
            StoreSession single;
            openStore(single, folder, u"einzeln%1"_qs.arg(n), start.plain);
            for (const auto& [name, entry] : batch.entries) {
                const StoreResult r = single.addEntry(name, entry);
                ASSERT_TRUE(r.ok()) << r.message.toStdString();
            }
            StoreSession batched;
            openStore(batched, folder, u"stapel%1"_qs.arg(n), start.plain);
            int failed = -2;
            const StoreResult r = batched.addEntries(batch.entries, failed);
            ASSERT_TRUE(r.ok()) << r.message.toStdString();
            EXPECT_EQ(failed, -1);
            EXPECT_EQ(plainOf(batched.UserFile(), kKey), plainOf(single.UserFile(), kKey));
            EXPECT_EQ(batched.accounts().items(), single.accounts().items());
            EXPECT_EQ(batched.StoredCount(), single.StoredCount());
        }
    }
}
