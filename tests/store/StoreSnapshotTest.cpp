#include "StoreTestUtil.h"

#include "store/StoreSnapshot.h"

#include <gtest/gtest.h>

using namespace storetest;

TEST(StoreSnapshot, ReadsReferenceStoresInMemory)
{
    StoreSnapshot anna;
    ASSERT_TRUE(anna.open(testsupport::fixturePath(u"anna.dat"_qs), u"geheim1"_qs).ok());
    EXPECT_EQ(anna.plaintext(), testsupport::readAll(testsupport::fixturePath(u"anna.ini"_qs)));
    EXPECT_EQ(anna.accounts().items(), QStringList({u"Bär"_qs, u"Post"_qs}));
    EXPECT_EQ(anna.storedCount(), 2);
    EXPECT_EQ(anna.matchAccount(u"post"_qs), u"Post"_qs);
    EXPECT_EQ(anna.matchAccount(u"Bär"_qs), u"Bär"_qs);
    EXPECT_EQ(anna.matchAccount(u"Baer"_qs), QString());
    EXPECT_EQ(anna.entry(u"Bär"_qs).Comment, u"Zeile 1\r\nZeile 2"_qs);

    StoreSnapshot joerg;
    ASSERT_TRUE(joerg.open(testsupport::fixturePath(u"joerg.dat"_qs), u"Schlüssel€"_qs).ok());
    EXPECT_EQ(joerg.plaintext(), testsupport::readAll(testsupport::fixturePath(u"joerg.ini"_qs)));
    EXPECT_EQ(joerg.entry(u"Straße"_qs).User, u"jörg"_qs);

    StoreSnapshot empty;
    ASSERT_TRUE(empty.open(testsupport::fixturePath(u"empty.dat"_qs), u"vier"_qs).ok());
    EXPECT_TRUE(empty.plaintext().isEmpty());
    EXPECT_TRUE(empty.accounts().isEmpty());
}

TEST(StoreSnapshot, FailuresStayDistinct)
{
    StoreSnapshot s;
    EXPECT_EQ(s.open(testsupport::fixturePath(u"anna.dat"_qs), u"falsch"_qs).error, StoreError::WrongKey);
    EXPECT_TRUE(s.plaintext().isEmpty());
    EXPECT_EQ(s.open(testsupport::fixturePath(u"fehlt.dat"_qs), u"x"_qs).error, StoreError::MissingUserFile);
    StoreFolder folder;
    ASSERT_TRUE(testsupport::writeAll(folder.path(u"kaputt.dat"_qs), QByteArray(17, 'x')));
    EXPECT_EQ(s.open(folder.path(u"kaputt.dat"_qs), u"x"_qs).error, StoreError::Damaged);
}
