#include "StoreTestUtil.h"

#include "store/MasterPasswordChange.h"
#include "store/TextModeStore.h"

#include <gtest/gtest.h>

using namespace storetest;

TEST(TextModeStore, LineRules)
{
    const struct {
        const char* what;
        QString plain;
        QString text;
    } cases[] = {
        {"two empty lines become one before the header", u"[A]\r\nx=1\r\n\r\n\r\n[B]\r\ny=2\r\n"_qs,
         u"[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n"_qs},
        {"a leading empty line stays", u"\r\n[A]\r\nx=1\r\n"_qs, u"\r\n\r\n[A]\r\nx=1\r\n"_qs},
        {"the first line is kept whatever it holds", u"[Main]\r\n[Post]\r\n"_qs, u"[Main]\r\n\r\n[Post]\r\n"_qs},
        {"empty store", QString(), u"\r\n"_qs},
        {"placeholder", u"\r\n"_qs, u"\r\n"_qs},
        {"no final line end", u"[A]\r\nx=1"_qs, u"[A]\r\nx=1\r\n"_qs},
        {"LF and CR end lines too", u"[A]\nx=1\r[B]"_qs, u"[A]\r\nx=1\r\n\r\n[B]\r\n"_qs},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TextModeStore::formatText(c.plain), c.text) << c.what;
}

TEST(TextModeStore, OpenAndWriteBackKeepThePlaintextOffTheDisk)
{
    SeamReset reset;
    StoreFolder folder;
    const QString dat = folder.copyFixture(u"anna.dat"_qs);
    const QByteArray original = testsupport::readAll(dat);
    int pumps = 0;
    QStringList plainFiles;
    StoreActivity::setEventPump([&] {
        ++pumps;
        plainFiles << testsupport::filesHolding(folder.dir.path(), "kunde7");
    });

    TextModeStore text;
    ASSERT_TRUE(text.LoadPwdDat(dat, u"geheim1"_qs).ok());
    EXPECT_GT(pumps, 0);
    EXPECT_EQ(text.text(), u"[Main]\r\nCount=2\r\nAccount1=Bär\r\nAccount2=Post\r\n\r\n[Baer]\r\nUser=anna\r\nPass=\r\nWeb=\r\n"
                           u"Comment=Zeile 1#§Zeile 2\r\n\r\n[Post]\r\nUser=kunde7\r\nPass=\r\nWeb=\r\nComment=\r\n"_qs);
    EXPECT_EQ(testsupport::readAll(dat), original);
    ASSERT_TRUE(text.writeBack(text.text() + u"[Neu]\r\nUser=kunde7\r\n"_qs).ok());
    EXPECT_TRUE(plainFiles.isEmpty()) << plainFiles.join(u' ').toStdString();
    EXPECT_TRUE(plainOf(dat, u"geheim1"_qs).contains("[Neu]\r\nUser=kunde7\r\n"));

    EXPECT_EQ(text.LoadPwdDat(dat, u"falsch"_qs).error, StoreError::WrongKey);
    EXPECT_EQ(text.LoadPwdDat(folder.path(u"niemand.dat"_qs), u"geheim1"_qs).error,
              StoreError::MissingUserFile);
    EXPECT_EQ(filesIn(folder.dir.path()), QStringList({u"anna.dat"_qs}));
}

TEST(TextModeStore, EditIsWrittenBackReadOnly)
{
    SeamReset reset;
    StoreFolder folder;
    const QString dat = folder.copyFixture(u"anna.dat"_qs);
    TextModeStore text;
    ASSERT_TRUE(text.LoadPwdDat(dat, u"geheim1"_qs).ok());
    const QString edited = text.text() + u"[Neu]\r\nUser=ü"_qs;
    ASSERT_TRUE(text.writeBack(edited).ok());
    EXPECT_EQ(plainOf(dat, u"geheim1"_qs), Cp1252::encode(edited) + "\r\n");
    EXPECT_TRUE(isReadOnly(dat));
    EXPECT_EQ(filesIn(folder.dir.path()), QStringList({u"anna.dat"_qs}));

    const QByteArray before = testsupport::readAll(dat);
    EXPECT_EQ(text.writeBack(u"[A]\r\nx=\u4E2D"_qs).error, StoreError::Validation);
    EXPECT_EQ(testsupport::readAll(dat), before);
}

TEST(TextModeStore, GarbageThatDeciphersIsAWrongPassword)
{
    SeamReset reset;
    StoreFolder folder;
    // Control bytes and no section header: what a wrong password gives when its length field fits.
    const QString wirr = folder.path(u"wirr.dat"_qs);
    ASSERT_TRUE(encipherTo(wirr, QByteArray::fromHex("01ff7a3300415b10"), u"schluessel"_qs));
    const QString gross = folder.copyFixture(testsupport::kLargeStoreFixture);
    const struct {
        QString file;
        QString key;
    } cases[] = {
        {wirr, u"schluessel"_qs},
        {gross, testsupport::kLargeStoreWrongKey},
    };
    for (const auto& c : cases) {
        const QByteArray original = testsupport::readAll(c.file);
        TextModeStore text;
        EXPECT_EQ(text.LoadPwdDat(c.file, c.key).error, StoreError::WrongKey)
            << c.file.toStdString();
        EXPECT_TRUE(text.text().isEmpty());
        EXPECT_EQ(text.writeBack(u"[Main]\r\nCount=0"_qs).error, StoreError::Validation);
        EXPECT_EQ(testsupport::readAll(c.file), original);
    }
    EXPECT_EQ(filesIn(folder.dir.path()), (QStringList{testsupport::kLargeStoreFixture, u"wirr.dat"_qs}));
}

TEST(TextModeStore, TextThatIsNoStoreIsNeverWritten)
{
    SeamReset reset;
    StoreFolder folder;
    const QString dat = folder.copyFixture(u"anna.dat"_qs);
    const QByteArray before = testsupport::readAll(dat);
    TextModeStore text;
    ASSERT_TRUE(text.LoadPwdDat(dat, u"geheim1"_qs).ok());
    for (const QString& edited : {u"nur Notizen\r\nohne Abschnitt"_qs, u"[Main]\r\nCount=0\r\nx=\u0001"_qs,
                                  QString(u"[A]\r\nx=1\r\n"_qs + QChar(u'\0'))}) {
        const StoreResult r = text.writeBack(edited);
        EXPECT_EQ(r.error, StoreError::Validation);
        EXPECT_TRUE(r.message.contains(u"nicht gespeichert"_qs)) << r.message.toStdString();
        EXPECT_EQ(testsupport::readAll(dat), before);
    }
    // Blanks alone are the empty store, which may be written.
    EXPECT_TRUE(text.writeBack(u"  "_qs).ok());
    EXPECT_EQ(plainOf(dat, u"geheim1"_qs), QByteArray("  \r\n"));
    EXPECT_EQ(filesIn(folder.dir.path()), QStringList({u"anna.dat"_qs}));

    TextModeStore notLoaded;
    EXPECT_EQ(notLoaded.writeBack(u"[A]"_qs).error, StoreError::Validation);
}

TEST(TextModeStore, APlaceholderIsKeyedOnlyWithWindows1252Characters)
{
    SeamReset reset;
    StoreFolder folder;
    const QString dat = folder.path(u"neu.dat"_qs);
    ASSERT_TRUE(testsupport::writeAll(dat, "\r\n"));
    TextModeStore text;
    ASSERT_TRUE(text.LoadPwdDat(dat, u"пароль12"_qs).ok());
    const StoreResult r = text.writeBack(u"[Main]\r\nCount=0"_qs);
    EXPECT_EQ(r.error, StoreError::Validation);
    EXPECT_EQ(r.message, MasterPasswordChange::checkNewKey(u"пароль12"_qs, StoreField::None).message);
    EXPECT_FALSE(r.message.isEmpty());
    EXPECT_EQ(testsupport::readAll(dat), QByteArray("\r\n"));

    ASSERT_TRUE(text.LoadPwdDat(dat, u"paßwort12"_qs).ok());
    ASSERT_TRUE(text.writeBack(u"[Main]\r\nCount=0"_qs).ok());
    EXPECT_TRUE(testsupport::opensWith(dat, u"paßwort12"_qs, QByteArray("[Main]\r\nCount=0\r\n")));
}
