#include "StoreTestUtil.h"

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

TEST(TextModeStore, PlausibilityGuard)
{
    const struct {
        const char* what;
        QByteArray plain;
        bool plausible;
    } cases[] = {
        {"store text", testsupport::readAll(testsupport::fixturePath(u"anna.ini"_qs)), true},
        {"empty", QByteArray(), true},
        {"placeholder", "\r\n", true},
        {"tab in a value", "[A]\r\nx=\t1\r\n", true},
        {"no section header", "nur Text\r\nohne Abschnitt\r\n", false},
        {"control character", "[A]\r\nx=\x01\r\n", false},
        {"NUL", QByteArray("[A]\r\n\0", 6), false},
        {"undefined code-page byte", "[A]\r\nx=\x81\r\n", false},
        {"random bytes", QByteArray::fromHex("9f3a00c17e5d2b88e4f1a6c3d2b91004"), false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TextModeStore::isPlausibleStoreText(c.plain), c.plausible) << c.what;
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
    EXPECT_TRUE(text.isPlausible());
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

TEST(TextModeStore, ImplausiblePlaintextOpensReadOnlyAndIsNeverWritten)
{
    SeamReset reset;
    StoreFolder folder;
    const QString dat = folder.path(u"wirr.dat"_qs);
    ASSERT_TRUE(encipherTo(dat, QByteArray::fromHex("01ff7a3300415b10"), u"schluessel"_qs));
    const QByteArray original = testsupport::readAll(dat);

    TextModeStore text;
    ASSERT_TRUE(text.LoadPwdDat(dat, u"schluessel"_qs).ok());
    EXPECT_FALSE(text.isPlausible());
    EXPECT_FALSE(TextModeStore::warningText().isEmpty());
    const StoreResult r = text.writeBack(u"[Main]\r\nCount=0"_qs);
    EXPECT_EQ(r.error, StoreError::Validation);
    EXPECT_FALSE(r.message.isEmpty());
    EXPECT_EQ(testsupport::readAll(dat), original);

    TextModeStore notLoaded;
    EXPECT_EQ(notLoaded.writeBack(u"[A]"_qs).error, StoreError::Validation);
}
