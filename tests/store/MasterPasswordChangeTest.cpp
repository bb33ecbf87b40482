#include "StoreTestUtil.h"

#include "store/MasterPasswordChange.h"
#include "store/StoreSession.h"

#include <gtest/gtest.h>

using namespace storetest;

namespace {

const QString kOld = u"geheim1"_qs;

QByteArray annaPlain()
{
    return testsupport::readAll(testsupport::fixturePath(u"anna.ini"_qs));
}

} // namespace

TEST(MasterPasswordChange, ChecksInTheirOrder)
{
    const struct {
        QString oldPassword;
        QString newPassword;
        QString message;  // empty: accepted
        StoreField focus;
        int kind;
    } cases[] = {
        {QString(), u"neues"_qs, u"Bitte altes Master-Passwort eingegeben."_qs, StoreField::OldPassword, 2},
        {u"alt"_qs, QString(), u"Bitte neues Master-Passwort eingegeben."_qs, StoreField::NewPassword, 2},
        {u"alt"_qs, u"abc"_qs, u"Das Master-Passwort sollte mindestens 4 Zeichen lang sein.   "_qs, StoreField::NewPassword, 1},
        {u"alt"_qs, u"abcd"_qs, QString(), StoreField::None, 2},
        {u"alt"_qs, u"äöü€"_qs, QString(), StoreField::None, 2},
    };
    for (const auto& c : cases) {
        const StoreResult r = MasterPasswordChange::check(c.oldPassword, c.newPassword);
        if (c.message.isEmpty()) {
            EXPECT_TRUE(r.ok()) << c.newPassword.toStdString();
            continue;
        }
        EXPECT_EQ(r.error, StoreError::Validation);
        EXPECT_EQ(r.message, c.message);
        EXPECT_EQ(r.focus, c.focus);
        EXPECT_EQ(r.kind, c.kind);
    }
    EXPECT_EQ(MasterPasswordChange::check(u"alt"_qs, u"\u0142\u0142\u0142\u0142"_qs).error, StoreError::Validation);
}

TEST(MasterPasswordChange, OldFileBecomesBackupNewFileOpensWithNewPassword)
{
    SeamReset reset;
    StoreFolder folder;
    const QString dat = folder.copyFixture(u"anna.dat"_qs);
    const QString bak = folder.path(u"anna.bak"_qs);
    const QByteArray original = testsupport::readAll(dat);

    StoreSession session;
    session.begin(folder.dir.path(), u"anna"_qs, kOld);
    ASSERT_EQ(session.BackupFile(), bak);
    ASSERT_TRUE(session.changeMasterPassword(kOld, u"neu12"_qs).ok());
    EXPECT_EQ(session.MasterPassword(), u"neu12"_qs);
    EXPECT_EQ(testsupport::readAll(bak), original);
    EXPECT_EQ(plainOf(bak, kOld), annaPlain());
    EXPECT_EQ(plainOf(dat, u"neu12"_qs), annaPlain());
    CryptStatus status;
    plainOf(dat, kOld, &status);
    EXPECT_EQ(status, CryptStatus::CannotOpen);
    EXPECT_TRUE(isReadOnly(dat));
    ASSERT_TRUE(session.unlock().ok());
    EXPECT_EQ(session.accounts().size(), 2);

    // A second change replaces the first backup.
    ASSERT_TRUE(MasterPasswordChange::run(dat, bak, u"neu12"_qs, u"dritte"_qs).ok());
    EXPECT_EQ(plainOf(bak, u"neu12"_qs), annaPlain());
    EXPECT_EQ(plainOf(dat, u"dritte"_qs), annaPlain());
    EXPECT_EQ(filesIn(folder.dir.path()), QStringList({u"anna.bak"_qs, u"anna.dat"_qs}));
}

TEST(MasterPasswordChange, RefusalsAndFailuresLeaveTheStoreOpenableWithOldPassword)
{
    SeamReset reset;
    StoreFolder folder;
    const QString dat = folder.copyFixture(u"anna.dat"_qs);
    const QString bak = folder.path(u"anna.bak"_qs);
    const QByteArray original = testsupport::readAll(dat);

    EXPECT_EQ(MasterPasswordChange::run(folder.path(u"niemand.dat"_qs), folder.path(u"niemand.bak"_qs), kOld, u"neu12"_qs).error,
              StoreError::MissingUserFile);
    EXPECT_EQ(MasterPasswordChange::run(dat, bak, u"falsch"_qs, u"neu12"_qs).error, StoreError::WrongKey);
    EXPECT_EQ(filesIn(folder.dir.path()), QStringList({u"anna.dat"_qs}));
    // A wrong old password whose garbage passes the length field is no more re-enciphered.
    const QString gross = folder.copyFixture(testsupport::kLargeStoreFixture);
    const QByteArray grossBefore = testsupport::readAll(gross);
    EXPECT_EQ(MasterPasswordChange::run(gross, folder.path(u"gross.bak"_qs), testsupport::kLargeStoreWrongKey,
                                        u"neu12"_qs).error,
              StoreError::WrongKey);
    EXPECT_EQ(testsupport::readAll(gross), grossBefore);
    EXPECT_EQ(filesIn(folder.dir.path()), QStringList({u"anna.dat"_qs, testsupport::kLargeStoreFixture}));
    QFile::remove(gross);

    // The backup cannot be written: nothing changes.
    AtomicWrite::setFaultHook([&](AtomicWrite::Stage s, const QString& path) { return path == bak && s == AtomicWrite::Stage::Commit; });
    EXPECT_EQ(MasterPasswordChange::run(dat, bak, kOld, u"neu12"_qs).error, StoreError::WriteFailed);
    EXPECT_EQ(testsupport::readAll(dat), original);
    EXPECT_FALSE(QFile::exists(bak));

    // The new file is complete but the rename over the old one fails: the old store stays in place.
    for (const AtomicWrite::Stage stage : {AtomicWrite::Stage::Write, AtomicWrite::Stage::Flush,
                                           AtomicWrite::Stage::Close, AtomicWrite::Stage::Commit}) {
        AtomicWrite::setFaultHook([&](AtomicWrite::Stage s, const QString& path) { return path == dat && s == stage; });
        StoreSession session;
        session.begin(folder.dir.path(), u"anna"_qs, kOld);
        EXPECT_EQ(session.changeMasterPassword(kOld, u"neu12"_qs).error, StoreError::WriteFailed);
        EXPECT_EQ(session.MasterPassword(), kOld);
        EXPECT_EQ(testsupport::readAll(dat), original);
        EXPECT_EQ(plainOf(dat, kOld), annaPlain());
        EXPECT_EQ(filesIn(folder.dir.path()), QStringList({u"anna.bak"_qs, u"anna.dat"_qs}));
    }
}

TEST(MasterPasswordChange, UnconfirmedFolderFlushKeepsTheNewPasswordInTheSession)
{
    // Once the rename is done the store opens only with the new password, confirmed or not: the
    // session must hold it, and the user is told.
    SeamReset reset;
    StoreFolder folder;
    const QString dat = folder.copyFixture(u"anna.dat"_qs);
    const QString bak = folder.path(u"anna.bak"_qs);
    AtomicWrite::setFaultHook([&](AtomicWrite::Stage s, const QString& path) {
        return path == dat && s == AtomicWrite::Stage::FolderFlush;
    });
    StoreSession session;
    session.begin(folder.dir.path(), u"anna"_qs, kOld);
    const StoreResult r = session.changeMasterPassword(kOld, u"neu12"_qs);
    EXPECT_EQ(r.error, StoreError::NotConfirmed);
    EXPECT_TRUE(r.message.contains(u"Master-Passwort ist geändert"_qs));
    EXPECT_EQ(session.MasterPassword(), u"neu12"_qs);
    EXPECT_EQ(plainOf(dat, u"neu12"_qs), annaPlain());
    EXPECT_EQ(plainOf(bak, kOld), annaPlain());
}
