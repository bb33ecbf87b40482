#include "StoreTestUtil.h"

#include "store/MasterPasswordChange.h"
#include "store/StoreLayout.h"
#include "store/StoreSession.h"

#include <QFileInfo>

#include <gtest/gtest.h>

using namespace storetest;

namespace {

const QString kAnnaKey = u"geheim1"_qs;

class StoreSessionTest : public ::testing::Test {
protected:
    SeamReset m_reset;
    StoreFolder m_folder;

    // A logged-in session on a copy of a store; `plain` enciphered under `key` as <user>.dat.
    void unlockWith(StoreSession& session, const QString& user, const QByteArray& plain, const QString& key = kAnnaKey)
    {
        ASSERT_TRUE(encipherTo(m_folder.path(user + u".dat"_qs), plain, key));
        session.begin(m_folder.dir.path(), user, key);
        ASSERT_TRUE(session.unlock().ok());
    }

    void unlockAnna(StoreSession& session)
    {
        m_folder.copyFixture(u"anna.dat"_qs);
        session.begin(m_folder.dir.path(), u"anna"_qs, kAnnaKey);
        const StoreResult r = session.unlock();
        ASSERT_TRUE(r.ok()) << r.message.toStdString();
    }

    QByteArray plainOfUser(const StoreSession& session) const { return plainOf(session.UserFile(), session.MasterPassword()); }
};

AccountEntry entry(const QString& user, const QString& pass, const QString& web = {}, const QString& comment = {})
{
    return AccountEntry{user, pass, web, comment};
}

} // namespace

TEST_F(StoreSessionTest, UnlockReadsListAndEntriesOfReferenceStore)
{
    StoreSession session;
    unlockAnna(session);
    EXPECT_EQ(session.accounts().items(), QStringList({u"Bär"_qs, u"Post"_qs}));
    EXPECT_EQ(session.StoredCount(), 2);
    EXPECT_EQ(session.StoreChanged(), 0);

    AccountEntry e;
    ASSERT_TRUE(session.readEntry(u"Bär"_qs, e).ok());
    EXPECT_EQ(e, entry(u"anna"_qs, QString(), QString(), u"Zeile 1\r\nZeile 2"_qs));
    ASSERT_TRUE(session.readEntry(u"Post"_qs, e).ok());
    EXPECT_EQ(e.User, u"kunde7"_qs);
    ASSERT_TRUE(session.readEntry(u"Nirgends"_qs, e).ok());
    EXPECT_EQ(e, AccountEntry());

    StoreSession joerg;
    m_folder.copyFixture(u"joerg.dat"_qs);
    joerg.begin(m_folder.dir.path(), u"joerg"_qs, u"Schlüssel€"_qs);
    ASSERT_TRUE(joerg.unlock().ok());
    ASSERT_EQ(joerg.accounts().items(), QStringList({u"Straße"_qs}));
    ASSERT_TRUE(joerg.readEntry(u"Straße"_qs, e).ok());
    // Only the comment is decoded: the password keeps its §.
    EXPECT_EQ(e, entry(u"jörg"_qs, u"Grüße§!"_qs, u"www.example.de"_qs, u"Tür \r1"_qs));
}

TEST_F(StoreSessionTest, LayoutBytesAfterSequenceOfOperations)
{
    StoreSession session;
    unlockAnna(session);

    ASSERT_TRUE(session.addEntry(u"Bank"_qs, entry(u"b"_qs, u"p1"_qs, u"www.bank.de"_qs, u"a\r\nb"_qs)).ok());
    EXPECT_EQ(session.StoredCount(), 3);
    ASSERT_TRUE(session.saveEntry(u"Post"_qs, u"Post"_qs, entry(u"kunde7"_qs, u"geheim"_qs)).ok());
    // A save without a name change leaves the list section and the section's place alone.
    EXPECT_EQ(plainOfUser(session),
              crlf({u"[Main]"_qs, u"Count=3"_qs, u"Account1=Bär"_qs, u"Account2=Post"_qs, u"Account3=Bank"_qs,
                    u"[Baer]"_qs, u"User=anna"_qs, u"Pass="_qs, u"Web="_qs, u"Comment=Zeile 1#§Zeile 2"_qs,
                    u"[Post]"_qs, u"User=kunde7"_qs, u"Pass=geheim"_qs, u"Web="_qs, u"Comment="_qs,
                    u"[Bank]"_qs, u"User=b"_qs, u"Pass=p1"_qs, u"Web=www.bank.de"_qs, u"Comment=a#§b"_qs}));

    // Rename: the list keys up to the old name's place in the sorted list are rewritten, the section
    // moves to the end.
    ASSERT_TRUE(session.saveEntry(u"Bär"_qs, u"Zahnarzt"_qs, entry(u"z"_qs, u"zz"_qs)).ok());
    ASSERT_TRUE(session.addEntry(u"Arzt"_qs, entry(u"a"_qs, QString())).ok());
    EXPECT_EQ(session.accounts().items(), QStringList({u"Arzt"_qs, u"Bank"_qs, u"Post"_qs, u"Zahnarzt"_qs}));
    EXPECT_EQ(plainOfUser(session),
              crlf({u"[Main]"_qs, u"Count=4"_qs, u"Account1=Zahnarzt"_qs, u"Account2=Post"_qs, u"Account3=Bank"_qs,
                    u"Account4=Arzt"_qs,
                    u"[Post]"_qs, u"User=kunde7"_qs, u"Pass=geheim"_qs, u"Web="_qs, u"Comment="_qs,
                    u"[Bank]"_qs, u"User=b"_qs, u"Pass=p1"_qs, u"Web=www.bank.de"_qs, u"Comment=a#§b"_qs,
                    u"[Zahnarzt]"_qs, u"User=z"_qs, u"Pass=zz"_qs, u"Web="_qs, u"Comment="_qs,
                    u"[Arzt]"_qs, u"User=a"_qs, u"Pass="_qs, u"Web="_qs, u"Comment="_qs}));

    // A delete removes the section only; the list section follows at the lock.
    ASSERT_TRUE(session.deleteEntry(u"Post"_qs).ok());
    EXPECT_EQ(session.StoredCount(), 3);
    EXPECT_EQ(session.StoreChanged(), 1);
    const QString userFile = session.UserFile();
    ASSERT_TRUE(session.LockStore().ok());
    EXPECT_TRUE(session.MasterPassword().isEmpty());
    EXPECT_EQ(session.StoreChanged(), 0);
    EXPECT_EQ(plainOf(userFile, kAnnaKey),
              crlf({u"[Main]"_qs, u"Count=3"_qs, u"Account1=Arzt"_qs, u"Account2=Bank"_qs, u"Account3=Zahnarzt"_qs,
                    u"Account4=Arzt"_qs,
                    u"[Bank]"_qs, u"User=b"_qs, u"Pass=p1"_qs, u"Web=www.bank.de"_qs, u"Comment=a#§b"_qs,
                    u"[Zahnarzt]"_qs, u"User=z"_qs, u"Pass=zz"_qs, u"Web="_qs, u"Comment="_qs,
                    u"[Arzt]"_qs, u"User=a"_qs, u"Pass="_qs, u"Web="_qs, u"Comment="_qs}));

    StoreSession again;
    again.begin(m_folder.dir.path(), u"anna"_qs, kAnnaKey);
    ASSERT_TRUE(again.unlock().ok());
    EXPECT_EQ(again.accounts().items(), QStringList({u"Arzt"_qs, u"Bank"_qs, u"Zahnarzt"_qs}));
}

TEST_F(StoreSessionTest, LockRenumbersListInSortedOrderAndEmptiesOldKeys)
{
    StoreSession session;
    unlockWith(session, u"gap"_qs,
               crlf({u"[Main]"_qs, u"Count=3"_qs, u"Account1=Post"_qs, u"Account2="_qs, u"Account3=Bär"_qs,
                     u"[Post]"_qs, u"User=p"_qs, u"[Baer]"_qs, u"User=b"_qs}));
    EXPECT_EQ(session.accounts().items(), QStringList({u"Bär"_qs, u"Post"_qs}));
    EXPECT_EQ(session.StoredCount(), 3);
    ASSERT_TRUE(session.saveEntry(u"Post"_qs, u"Post"_qs, entry(u"p"_qs, u"neu"_qs)).ok());
    const QString userFile = session.UserFile();
    ASSERT_TRUE(session.LockStore().ok());
    EXPECT_EQ(plainOf(userFile, kAnnaKey),
              crlf({u"[Main]"_qs, u"Count=2"_qs, u"Account1=Bär"_qs, u"Account2=Post"_qs, u"Account3="_qs,
                    u"[Post]"_qs, u"User=p"_qs, u"Pass=neu"_qs, u"Web="_qs, u"Comment="_qs, u"[Baer]"_qs, u"User=b"_qs}));
}

TEST_F(StoreSessionTest, LockWithoutChangeRewritesNothing)
{
    StoreSession session;
    unlockAnna(session);
    AccountEntry e;
    ASSERT_TRUE(session.readEntry(u"Post"_qs, e).ok());
    const QString userFile = session.UserFile();
    ASSERT_TRUE(session.LockStore().ok());
    EXPECT_EQ(testsupport::readAll(userFile), testsupport::readAll(testsupport::fixturePath(u"anna.dat"_qs)));
    EXPECT_TRUE(isReadOnly(userFile));
    EXPECT_TRUE(session.MasterPassword().isEmpty());
}

TEST_F(StoreSessionTest, NegativeCountStartsNewEntriesAtOne)
{
    StoreSession session;
    unlockWith(session, u"neg"_qs, crlf({u"[Main]"_qs, u"Count=-4"_qs, u"Account1=Alt"_qs}));
    EXPECT_TRUE(session.accounts().isEmpty());
    EXPECT_EQ(session.StoredCount(), 0);
    ASSERT_TRUE(session.addEntry(u"Neu"_qs, entry(u"u"_qs, QString())).ok());
    EXPECT_EQ(plainOfUser(session),
              crlf({u"[Main]"_qs, u"Count=1"_qs, u"Account1=Neu"_qs, u"[Neu]"_qs, u"User=u"_qs, u"Pass="_qs, u"Web="_qs,
                    u"Comment="_qs}));
}

TEST_F(StoreSessionTest, UmlautNamesShareOneSection)
{
    StoreSession session;
    unlockWith(session, u"u"_qs,
               crlf({u"[Main]"_qs, u"Count=2"_qs, u"Account1=Bär"_qs, u"Account2=Baer"_qs, u"[Baer]"_qs, u"User=alt"_qs}));
    AccountEntry e;
    ASSERT_TRUE(session.readEntry(u"Bär"_qs, e).ok());
    EXPECT_EQ(e.User, u"alt"_qs);
    ASSERT_TRUE(session.saveEntry(u"Bär"_qs, u"Bär"_qs, entry(u"neu"_qs, u"x"_qs)).ok());
    ASSERT_TRUE(session.readEntry(u"Baer"_qs, e).ok());
    EXPECT_EQ(e.User, u"neu"_qs);

    // Bär -> Baer is a different name in upper case, so it is allowed; the section is deleted and written anew.
    StoreSession rename;
    unlockWith(rename, u"r"_qs, crlf({u"[Main]"_qs, u"Count=1"_qs, u"Account1=Bär"_qs, u"[Baer]"_qs, u"User=b"_qs,
                                      u"[Post]"_qs, u"User=p"_qs}));
    ASSERT_TRUE(rename.saveEntry(u"Bär"_qs, u"Baer"_qs, entry(u"b2"_qs, QString())).ok());
    EXPECT_EQ(plainOfUser(rename),
              crlf({u"[Main]"_qs, u"Count=1"_qs, u"Account1=Baer"_qs, u"[Post]"_qs, u"User=p"_qs, u"[Baer]"_qs,
                    u"User=b2"_qs, u"Pass="_qs, u"Web="_qs, u"Comment="_qs}));

    // Deleting Bär removes the shared section: Baer stays listed with empty fields.
    ASSERT_TRUE(session.deleteEntry(u"Bär"_qs).ok());
    EXPECT_EQ(session.accounts().items(), QStringList({u"Baer"_qs}));
    ASSERT_TRUE(session.readEntry(u"Baer"_qs, e).ok());
    EXPECT_EQ(e, AccountEntry());
}

TEST_F(StoreSessionTest, RenamingAnAccountThatSharesTheListSectionKeepsTheKeyByKeyOrder)
{
    // The account "Main" lives in the list section itself: its list key is rewritten first and then
    // the whole section goes, exactly as key-by-key writes and the line-based delete would leave it.
    StoreSession session;
    unlockWith(session, u"m"_qs,
               crlf({u"[Main]"_qs, u"Count=2"_qs, u"Account1=Main"_qs, u"Account2=Post"_qs, u"User=u"_qs,
                     u"[Post]"_qs, u"User=p"_qs}));
    ASSERT_TRUE(session.saveEntry(u"Main"_qs, u"Haupt"_qs, entry(u"h"_qs, QString())).ok());
    EXPECT_EQ(plainOfUser(session),
              crlf({u"[Post]"_qs, u"User=p"_qs, u"[Haupt]"_qs, u"User=h"_qs, u"Pass="_qs, u"Web="_qs, u"Comment="_qs}));
    EXPECT_EQ(session.accounts().items(), QStringList({u"Haupt"_qs, u"Post"_qs}));
}

TEST_F(StoreSessionTest, CommentsAndLongValuesReadBackAsTheFileHoldsThem)
{
    StoreSession session;
    unlockAnna(session);
    const QString longPass(3000, u'x');
    ASSERT_TRUE(session.addEntry(u"Lang"_qs, entry(u"u"_qs, longPass, QString(), u"C# kostet 5§\r\nZeile"_qs)).ok());
    EXPECT_TRUE(plainOfUser(session).contains("Pass=" + QByteArray(3000, 'x') + "\r\n"));
    EXPECT_TRUE(plainOfUser(session).contains("Comment=C# kostet 5\xA7#\xA7Zeile\r\n"));
    AccountEntry e;
    ASSERT_TRUE(session.readEntry(u"Lang"_qs, e).ok());
    EXPECT_EQ(e.Pass, QString(2047, u'x'));
    EXPECT_EQ(e.Comment, u"C\r kostet 5\n\r\nZeile"_qs);
}

TEST_F(StoreSessionTest, NewUserPlaceholderAndFirstEntry)
{
    StoreSession session;
    session.begin(m_folder.dir.path(), u"neu"_qs, u"erstes"_qs);
    EXPECT_FALSE(session.userFileExists());
    ASSERT_TRUE(session.createPlaceholder().ok());
    EXPECT_EQ(testsupport::readAll(session.UserFile()), QByteArray("\r\n"));
    ASSERT_TRUE(session.unlock().ok());
    EXPECT_TRUE(session.accounts().isEmpty());
    EXPECT_EQ(session.StoredCount(), 0);

    // Logging off without an entry keeps the placeholder; any password opens it again.
    const QString userFile = session.UserFile();
    ASSERT_TRUE(session.LockStore().ok());
    EXPECT_EQ(testsupport::readAll(userFile), QByteArray("\r\n"));
    StoreSession other;
    other.begin(m_folder.dir.path(), u"neu"_qs, u"ganz anders"_qs);
    ASSERT_TRUE(other.unlock().ok());
    EXPECT_TRUE(other.accounts().isEmpty());

    session.begin(m_folder.dir.path(), u"neu"_qs, u"erstes"_qs);
    ASSERT_TRUE(session.unlock().ok());
    ASSERT_TRUE(session.addEntry(u"Erster"_qs, entry(QString(), u"pw"_qs)).ok());
    EXPECT_EQ(plainOfUser(session),
              crlf({u"[Main]"_qs, u"Count=1"_qs, u"Account1=Erster"_qs, u"[Erster]"_qs, u"User="_qs, u"Pass=pw"_qs,
                    u"Web="_qs, u"Comment="_qs}));
    EXPECT_TRUE(isReadOnly(session.UserFile()));
    EXPECT_NE(testsupport::readAll(session.UserFile()).size(), 2);

    StoreSession next;
    next.begin(m_folder.dir.path(), u"neu"_qs, u"erstes"_qs);
    ASSERT_TRUE(next.unlock().ok());
    EXPECT_EQ(next.accounts().items(), QStringList({u"Erster"_qs}));

    // An existing file is never replaced by a placeholder.
    const QByteArray before = testsupport::readAll(session.UserFile());
    ASSERT_TRUE(session.createPlaceholder().ok());
    EXPECT_EQ(testsupport::readAll(session.UserFile()), before);
}

TEST_F(StoreSessionTest, WrongPasswordLeavesEveryFileAsItWas)
{
    const struct {
        QString fixture;
        QString key;
        QString wrongKey;
    } cases[] = {
        {u"anna.dat"_qs, kAnnaKey, u"falsch!"_qs},
        // A wrong key whose garbage passes the length field: only the check of the text stops it.
        {testsupport::kLargeStoreFixture, testsupport::kLargeStoreKey, testsupport::kLargeStoreWrongKey},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fixture.toStdString());
        const QString user = QFileInfo(c.fixture).completeBaseName();
        m_folder.copyFixture(c.fixture);
        StoreSession session;
        session.begin(m_folder.dir.path(), user, c.key);
        ASSERT_TRUE(session.unlock().ok());
        const QByteArray original = testsupport::readAll(session.UserFile());
        const QStringList filesBefore = filesIn(m_folder.dir.path());
        const QStringList listBefore = session.accounts().items();
        const qint16 countBefore = session.StoredCount();
        const QString first = listBefore.value(0);

        StoreSession wrong;
        wrong.begin(m_folder.dir.path(), user, c.wrongKey);
        EXPECT_EQ(wrong.unlock().error, StoreError::WrongKey);
        EXPECT_TRUE(wrong.accounts().isEmpty());
        // Not even a write cycle started without a login gets past the decipher.
        EXPECT_EQ(wrong.addEntry(u"Neu"_qs, entry(u"u"_qs, u"p"_qs)).error, StoreError::WrongKey);

        // The password goes wrong in a running session: every operation stops before writing.
        session.beginPasswordChange(m_folder.dir.path(), user, c.wrongKey);
        AccountEntry e = entry(u"alt"_qs, u"alt"_qs);
        EXPECT_EQ(session.readEntry(first, e).error, StoreError::WrongKey);
        EXPECT_EQ(e, AccountEntry());
        EXPECT_EQ(session.saveEntry(first, first, entry(u"u"_qs, u"p"_qs)).error, StoreError::WrongKey);
        EXPECT_EQ(session.saveEntry(first, u"Umbenannt"_qs, entry(u"u"_qs, u"p"_qs)).error, StoreError::WrongKey);
        EXPECT_EQ(session.deleteEntry(first).error, StoreError::WrongKey);
        EXPECT_EQ(session.addEntry(u"Neu"_qs, entry(u"u"_qs, u"p"_qs)).error, StoreError::WrongKey);
        EXPECT_EQ(session.SaveAccountList().error, StoreError::WrongKey);

        EXPECT_EQ(testsupport::readAll(session.UserFile()), original);
        EXPECT_EQ(filesIn(m_folder.dir.path()), filesBefore);
        EXPECT_EQ(session.accounts().items(), listBefore);
        EXPECT_EQ(session.StoredCount(), countBefore);
        EXPECT_EQ(session.StoreChanged(), 0);
    }
}

TEST_F(StoreSessionTest, ANewStoreIsKeyedOnlyWithWindows1252Characters)
{
    const QString cyrillic = u"пароль12"_qs;
    const QString message = MasterPasswordChange::checkNewKey(cyrillic, StoreField::LoginPassword).message;
    ASSERT_FALSE(message.isEmpty());
    ASSERT_TRUE(testsupport::writeAll(m_folder.path(u"platz.dat"_qs), "\r\n"));
    // The same key bytes as the Cyrillic password: a store keyed so before keeps opening.
    ASSERT_TRUE(encipherTo(m_folder.path(u"alt.dat"_qs), crlf({u"[Main]"_qs, u"Count=0"_qs}), u"??????12"_qs));
    const struct {
        QString user;
        QString password;
        bool refused;
    } cases[] = {
        {u"neu"_qs, cyrillic, true},
        {u"platz"_qs, cyrillic, true},
        {u"neu"_qs, u"Schlüssel€"_qs, false},
        {u"platz"_qs, u"Grüße"_qs, false},
        {u"alt"_qs, cyrillic, false},
    };
    for (const auto& c : cases) {
        StoreSession session;
        session.begin(m_folder.dir.path(), c.user, c.password);
        const StoreResult r = session.checkNewStoreKey();
        EXPECT_EQ(!r.ok(), c.refused) << c.user.toStdString();
        if (c.refused) {
            EXPECT_EQ(r.error, StoreError::Validation);
            EXPECT_EQ(r.message, message);
            EXPECT_EQ(r.focus, StoreField::LoginPassword);
        }
    }
    StoreSession old;
    old.begin(m_folder.dir.path(), u"alt"_qs, cyrillic);
    EXPECT_TRUE(old.unlock().ok());
    EXPECT_EQ(filesIn(m_folder.dir.path()), (QStringList{u"alt.dat"_qs, u"platz.dat"_qs}));
}

TEST_F(StoreSessionTest, ValuesThatWouldMakeTheStoreImplausibleAreRefused)
{
    StoreSession session;
    unlockAnna(session);
    const QByteArray before = testsupport::readAll(session.UserFile());
    const AccountEntry refused[] = {
        entry(u"a\u0001b"_qs, u"p"_qs),
        entry(u"u"_qs, QString(u"p"_qs) + QChar(u'\0')),
        entry(u"u"_qs, u"p"_qs, u"\u001b[0m"_qs),
        entry(u"u"_qs, u"p"_qs, QString(), u"Zeile\u000b"_qs),
    };
    for (const AccountEntry& e : refused) {
        const StoreResult r = session.addEntry(u"Neu"_qs, e);
        EXPECT_EQ(r.error, StoreError::Validation);
        EXPECT_TRUE(r.message.contains(u"Steuerzeichen"_qs)) << r.message.toStdString();
    }
    EXPECT_EQ(testsupport::readAll(session.UserFile()), before);
    // Tabs, DEL and the comment's line breaks are store text.
    ASSERT_TRUE(session.addEntry(u"Neu"_qs, entry(u"a\tb"_qs, u"p\u007f"_qs, QString(), u"1\r\n2"_qs)).ok());
    AccountEntry back;
    ASSERT_TRUE(session.readEntry(u"Neu"_qs, back).ok());
    EXPECT_EQ(back, entry(u"a\tb"_qs, u"p\u007f"_qs, QString(), u"1\r\n2"_qs));
}

TEST_F(StoreSessionTest, DamagedAndMissingFilesAreDistinctFailures)
{
    StoreSession session;
    ASSERT_TRUE(testsupport::writeAll(m_folder.path(u"kaputt.dat"_qs), QByteArray(20, 'x')));
    session.begin(m_folder.dir.path(), u"kaputt"_qs, kAnnaKey);
    EXPECT_EQ(session.unlock().error, StoreError::Damaged);
    session.begin(m_folder.dir.path(), u"fehlt"_qs, kAnnaKey);
    const StoreResult missing = session.unlock();
    EXPECT_EQ(missing.error, StoreError::MissingUserFile);
    EXPECT_FALSE(missing.message.isEmpty());
    EXPECT_FALSE(QFile::exists(session.UserFile()));
}

TEST_F(StoreSessionTest, PlaintextNeverReachesAFileWhileOperationsRun)
{
    // Between the steps of every operation (where the windows repaint) no file in the store folder
    // holds the plaintext, and the operation shows as running.
    StoreSession session;
    unlockAnna(session);
    int pumps = 0;
    QStringList plainFiles;
    bool runningEverySeen = true;
    StoreActivity::setEventPump([&] {
        ++pumps;
        runningEverySeen &= StoreActivity::isRunning();
        plainFiles << testsupport::filesHolding(m_folder.dir.path(), "[Main]")
                   << testsupport::filesHolding(m_folder.dir.path(), "kunde7");
    });

    const struct {
        const char* what;
        std::function<StoreResult()> run;
        bool writes;
    } operations[] = {
        {"unlock", [&] { return session.unlock(); }, false},
        {"read", [&] { AccountEntry e; return session.readEntry(u"Post"_qs, e); }, false},
        {"save", [&] { return session.saveEntry(u"Post"_qs, u"Post"_qs, entry(u"kunde7"_qs, u"p"_qs)); }, true},
        {"rename", [&] { return session.saveEntry(u"Post"_qs, u"Postbank"_qs, entry(u"kunde7"_qs, u"p"_qs)); }, true},
        {"add", [&] { return session.addEntry(u"Neu"_qs, entry(u"u"_qs, u"p"_qs)); }, true},
        {"delete", [&] { return session.deleteEntry(u"Neu"_qs); }, true},
        {"list", [&] { return session.SaveAccountList(); }, true},
        {"lock", [&] { return session.LockStore(); }, false},
    };
    for (const auto& op : operations) {
        const int before = pumps;
        const StoreResult r = op.run();
        ASSERT_TRUE(r.ok()) << op.what << ": " << r.message.toStdString();
        if (op.writes) {
            EXPECT_TRUE(isReadOnly(session.UserFile())) << op.what;
        }
        if (std::string(op.what) != "lock") {
            EXPECT_GT(pumps, before) << op.what << ": events run between the steps";
        }
    }
    EXPECT_TRUE(plainFiles.isEmpty()) << plainFiles.join(u' ').toStdString();
    EXPECT_TRUE(runningEverySeen);
    EXPECT_FALSE(StoreActivity::isRunning());
    EXPECT_EQ(filesIn(m_folder.dir.path()), QStringList({u"anna.dat"_qs}));
}

TEST_F(StoreSessionTest, FailureBetweenNewFileAndReplacementKeepsOldStore)
{
    for (const AtomicWrite::Stage stage : {AtomicWrite::Stage::Open, AtomicWrite::Stage::Write, AtomicWrite::Stage::Flush,
                                           AtomicWrite::Stage::Close, AtomicWrite::Stage::Commit}) {
        const struct {
            const char* what;
            std::function<StoreResult(StoreSession&)> run;
        } operations[] = {
            {"save", [](StoreSession& s) { return s.saveEntry(u"Post"_qs, u"Post"_qs, entry(u"u"_qs, u"p"_qs)); }},
            {"rename", [](StoreSession& s) { return s.saveEntry(u"Bär"_qs, u"Zebra"_qs, entry(u"u"_qs, u"p"_qs)); }},
            {"delete", [](StoreSession& s) { return s.deleteEntry(u"Post"_qs); }},
            {"add", [](StoreSession& s) { return s.addEntry(u"Neu"_qs, entry(u"u"_qs, u"p"_qs)); }},
            {"list", [](StoreSession& s) { return s.SaveAccountList(); }},
        };
        for (const auto& op : operations) {
            StoreFolder folder;
            const QString userFile = folder.copyFixture(u"anna.dat"_qs);
            StoreSession session;
            session.begin(folder.dir.path(), u"anna"_qs, kAnnaKey);
            ASSERT_TRUE(session.unlock().ok());
            const QByteArray original = testsupport::readAll(userFile);

            AtomicWrite::setFaultHook([&](AtomicWrite::Stage s, const QString& path) {
                return s == stage && path == userFile;
            });
            const StoreResult r = op.run(session);
            AtomicWrite::setFaultHook({});

            EXPECT_EQ(r.error, StoreError::WriteFailed) << op.what << " stage " << int(stage);
            EXPECT_EQ(testsupport::readAll(userFile), original) << op.what;
            EXPECT_EQ(plainOf(userFile, kAnnaKey), testsupport::readAll(testsupport::fixturePath(u"anna.ini"_qs)));
            EXPECT_EQ(session.accounts().items(), QStringList({u"Bär"_qs, u"Post"_qs})) << op.what;
            EXPECT_EQ(session.StoredCount(), 2) << op.what;
            EXPECT_EQ(session.StoreChanged(), 0) << op.what;
            EXPECT_EQ(filesIn(folder.dir.path()), QStringList({u"anna.dat"_qs})) << op.what;
        }
    }
}

TEST_F(StoreSessionTest, UnconfirmedFolderFlushIsReportedAndTheSessionFollowsTheFile)
{
    // The rename has happened when the folder flush fails: the file holds the change, so the list
    // and counters must hold it too, or the next new entry would reuse a list key.
    const struct {
        const char* what;
        std::function<StoreResult(StoreSession&)> run;
        QStringList listed;
        qint16 storedCount;
        qint16 changed;
    } operations[] = {
        {"add", [](StoreSession& s) { return s.addEntry(u"Neu"_qs, entry(u"u"_qs, u"p"_qs)); },
         {u"Bär"_qs, u"Neu"_qs, u"Post"_qs}, 3, 1},
        {"rename", [](StoreSession& s) { return s.saveEntry(u"Post"_qs, u"Postbank"_qs, entry(u"u"_qs, u"p"_qs)); },
         {u"Bär"_qs, u"Postbank"_qs}, 2, 1},
        {"delete", [](StoreSession& s) { return s.deleteEntry(u"Post"_qs); }, {u"Bär"_qs}, 1, 1},
    };
    for (const auto& op : operations) {
        StoreFolder folder;
        const QString userFile = folder.copyFixture(u"anna.dat"_qs);
        StoreSession session;
        session.begin(folder.dir.path(), u"anna"_qs, kAnnaKey);
        ASSERT_TRUE(session.unlock().ok());
        const QByteArray original = testsupport::readAll(userFile);
        AtomicWrite::setFaultHook([&](AtomicWrite::Stage s, const QString&) { return s == AtomicWrite::Stage::FolderFlush; });
        const StoreResult r = op.run(session);
        AtomicWrite::setFaultHook({});

        EXPECT_EQ(r.error, StoreError::NotConfirmed) << op.what;
        EXPECT_TRUE(r.stored()) << op.what;
        EXPECT_FALSE(r.message.isEmpty()) << op.what;
        EXPECT_NE(testsupport::readAll(userFile), original) << op.what;
        EXPECT_EQ(session.accounts().items(), op.listed) << op.what;
        EXPECT_EQ(session.StoredCount(), op.storedCount) << op.what;
        EXPECT_EQ(session.StoreChanged(), op.changed) << op.what;
        // The file and the session agree: a fresh unlock after the lock lists the same names.
        ASSERT_TRUE(session.LockStore().ok()) << op.what;
        StoreSession again;
        again.begin(folder.dir.path(), u"anna"_qs, kAnnaKey);
        ASSERT_TRUE(again.unlock().ok()) << op.what;
        EXPECT_EQ(again.accounts().items(), op.listed) << op.what;
        EXPECT_EQ(filesIn(folder.dir.path()), QStringList({u"anna.dat"_qs})) << op.what;
    }
}

TEST_F(StoreSessionTest, SecondOperationWhileOneRunsIsRefused)
{
    StoreSession session;
    unlockAnna(session);
    QList<StoreError> nested;
    StoreActivity::setEventPump([&] {
        AccountEntry e;
        nested << session.readEntry(u"Post"_qs, e).error;
        nested << session.addEntry(u"Zweiter"_qs, entry(u"u"_qs, u"p"_qs)).error;
        nested << session.LockStore().error;
        EXPECT_TRUE(StoreActivity::isRunning());
    });
    ASSERT_TRUE(session.saveEntry(u"Post"_qs, u"Post"_qs, entry(u"u"_qs, u"p"_qs)).ok());
    StoreActivity::setEventPump({});
    ASSERT_FALSE(nested.isEmpty());
    for (StoreError e : nested)
        EXPECT_EQ(e, StoreError::Busy);
    EXPECT_FALSE(StoreActivity::isRunning());
    EXPECT_FALSE(session.accounts().containsIgnoringCase(u"Zweiter"_qs));
    EXPECT_FALSE(session.MasterPassword().isEmpty());  // the refused lock did not run
    AccountEntry e;
    EXPECT_TRUE(session.readEntry(u"Post"_qs, e).ok());
}

TEST_F(StoreSessionTest, ValidationsComeWithTheirMessagesAndFocus)
{
    StoreSession session;
    unlockAnna(session);
    const QByteArray original = testsupport::readAll(session.UserFile());
    // Nothing may be deciphered before the checks pass.
    session.beginPasswordChange(m_folder.dir.path(), u"anna"_qs, u"falsch"_qs);

    const QString needBoth = u"Bitte Benutzernamen und/oder Passwort eingeben.   "_qs;
    const QString empty = u"Kann keinen leeren Eintrag speichern.   "_qs;
    const QString duplicate = u"Ein Account mit diesem Namen existiert bereits.   "_qs;

    const struct {
        const char* what;
        StoreResult result;
        QString message;
        StoreField focus;
        bool clear;
    } cases[] = {
        {"save without user and password", session.saveEntry(u"Post"_qs, u"Post"_qs, entry({}, {})), needBoth, StoreField::UserName, false},
        {"save renamed to empty", session.saveEntry(u"Post"_qs, QString(), entry(u"u"_qs, {})), empty, StoreField::Account, false},
        {"save renamed to a listed name in other case", session.saveEntry(u"Post"_qs, u"BÄR"_qs, entry(u"u"_qs, {})), duplicate, StoreField::Account, false},
        {"save changing only the case", session.saveEntry(u"Post"_qs, u"post"_qs, entry({}, u"p"_qs)), duplicate, StoreField::Account, false},
        {"save with a bracket in the new name", session.saveEntry(u"Post"_qs, u"Po]st"_qs, entry(u"u"_qs, {})), {}, StoreField::Account, false},
        {"save with a line break in the password", session.saveEntry(u"Post"_qs, u"Post"_qs, entry(u"u"_qs, u"a\nb"_qs)), {}, StoreField::Password, false},
        {"save with a character outside Windows-1252", session.saveEntry(u"Post"_qs, u"Post"_qs, entry(u"\u0142"_qs, {})), {}, StoreField::UserName, false},
        {"new entry without name", session.addEntry(QString(), entry({}, {})), empty, StoreField::Account, false},
        {"new entry without user and password", session.addEntry(u"Neu"_qs, entry({}, {})), needBoth, StoreField::UserName, false},
        {"new entry with a listed name", session.addEntry(u"post"_qs, entry(u"u"_qs, {})), duplicate, StoreField::Account, true},
        {"delete of nothing", session.deleteEntry(QString()), u"Kann keinen leeren Eintrag löschen."_qs, StoreField::None, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.result.error, StoreError::Validation) << c.what;
        if (!c.message.isEmpty())
            EXPECT_EQ(c.result.message, c.message) << c.what;
        else
            EXPECT_FALSE(c.result.message.isEmpty()) << c.what;
        EXPECT_EQ(c.result.focus, c.focus) << c.what;
        EXPECT_EQ(c.result.clearField, c.clear) << c.what;
        EXPECT_EQ(c.result.kind, 2) << c.what;
    }
    EXPECT_EQ(testsupport::readAll(session.UserFile()), original);
    EXPECT_EQ(session.StoredCount(), 2);

    // Only one of user name and password is needed; Bär -> Baer is a new name.
    EXPECT_TRUE(session.checkSave(u"Post"_qs, u"Post"_qs, entry({}, u"p"_qs)).ok());
    EXPECT_TRUE(session.checkSave(u"Bär"_qs, u"Baer"_qs, entry(u"u"_qs, {})).ok());
    EXPECT_TRUE(session.checkNewEntry(u"Baer"_qs, entry(u"u"_qs, {})).ok());
}

TEST_F(StoreSessionTest, StoreGivenByPathKeepsPlaintextInMemory)
{
    const QString store = m_folder.copyFixture(u"anna.dat"_qs);
    StoreSession session;
    session.beginFile(store, kAnnaKey);
    EXPECT_EQ(session.CurrentUser(), u"anna"_qs);
    int pumps = 0;
    StoreActivity::setEventPump([&] {
        ++pumps;
        EXPECT_EQ(filesIn(m_folder.dir.path()).size(), 1);
    });
    ASSERT_TRUE(session.unlock().ok());
    ASSERT_TRUE(session.addEntry(u"Konsole"_qs, entry(u"u"_qs, u"p"_qs)).ok());
    EXPECT_GT(pumps, 0);
    EXPECT_EQ(filesIn(m_folder.dir.path()), QStringList({u"anna.dat"_qs}));
    EXPECT_TRUE(plainOf(store, kAnnaKey).endsWith(crlf({u"[Konsole]"_qs, u"User=u"_qs, u"Pass=p"_qs, u"Web="_qs, u"Comment="_qs})));
    EXPECT_TRUE(plainOf(store, kAnnaKey).contains("Count=3\r\nAccount1=B\xE4r\r\nAccount2=Post\r\nAccount3=Konsole\r\n"));
}
