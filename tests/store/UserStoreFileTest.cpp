#include "StoreTestUtil.h"

#include "store/PlaintextFilter.h"
#include "store/UserStoreFile.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

using namespace storetest;

TEST(UserStoreFile, EveryRealStoreOpens)
{
    SeamReset reset;
    StoreFolder folder;
    const struct {
        QString file;
        QString key;
        QByteArray plain;
    } fixtures[] = {
        {u"anna.dat"_qs, u"geheim1"_qs, testsupport::readAll(testsupport::fixturePath(u"anna.ini"_qs))},
        {u"joerg.dat"_qs, u"Schlüssel€"_qs, testsupport::readAll(testsupport::fixturePath(u"joerg.ini"_qs))},
        {u"empty.dat"_qs, u"vier"_qs, QByteArray()},
        {testsupport::kLargeStoreFixture, testsupport::kLargeStoreKey, testsupport::generatedStore(5000)},
    };
    for (const auto& f : fixtures) {
        QByteArray plain;
        const StoreResult r = UserStoreFile::decipher(testsupport::fixturePath(f.file), f.key, plain);
        EXPECT_TRUE(r.ok()) << f.file.toStdString() << ": " << r.message.toStdString();
        EXPECT_EQ(plain, f.plain) << f.file.toStdString();
    }

    // A new user's placeholder opens as the empty store under any key.
    const QString placeholder = folder.path(u"neu.dat"_qs);
    ASSERT_TRUE(testsupport::writeAll(placeholder, "\r\n"));
    EXPECT_TRUE(UserStoreFile::isPlaceholder(placeholder));
    for (const QString& key : {u"erstes"_qs, u"ganz anders"_qs}) {
        QByteArray plain("x");
        EXPECT_TRUE(UserStoreFile::decipher(placeholder, key, plain).ok());
        EXPECT_TRUE(plain.isEmpty());
    }

    // What the program writes opens again: 10,000 entries with umlauts and 2047-character values, the
    // empty text, and blank lines.
    const QString dat = folder.path(u"viel.dat"_qs);
    for (const QByteArray& text : {testsupport::generatedStore(10000), QByteArray(), QByteArray("\r\n\r\n")}) {
        ASSERT_TRUE(UserStoreFile::replace(dat, text, u"Grüße"_qs).ok());
        EXPECT_FALSE(UserStoreFile::isPlaceholder(dat));
        QByteArray plain;
        EXPECT_TRUE(UserStoreFile::decipher(dat, u"Grüße"_qs, plain).ok()) << text.size();
        EXPECT_EQ(plain, text);
    }
}

TEST(UserStoreFile, AWrongKeyThatPassesTheLengthFieldIsRefused)
{
    const QString gross = testsupport::fixturePath(testsupport::kLargeStoreFixture);
    const QByteArray enciphered = testsupport::readAll(gross);
    ASSERT_EQ(enciphered.size(), 665408);

    // The search that found the key: the first "falsch<i>" whose length field the cipher accepts.
    int found = -1;
    for (int i = 0; i < 20000 && found < 0; ++i) {
        QByteArray probe = enciphered;  // shared: a refused key does not touch it
        clsBlowfish cipher;
        if (cipher.DecryptByte(probe, u"falsch"_qs + QString::number(i)) == CryptStatus::Ok)
            found = i;
    }
    ASSERT_EQ(u"falsch"_qs + QString::number(found), testsupport::kLargeStoreWrongKey);

    // The cipher alone takes it and hands back garbage of an in-range length.
    QByteArray garbage = enciphered;
    clsBlowfish cipher;
    ASSERT_EQ(cipher.DecryptByte(garbage, testsupport::kLargeStoreWrongKey), CryptStatus::Ok);
    EXPECT_EQ(garbage.size(), 400975);
    EXPECT_FALSE(PlaintextFilter::isPlausible(garbage));

    // The store does not.
    QByteArray plain("alt");
    EXPECT_EQ(UserStoreFile::decipher(gross, testsupport::kLargeStoreWrongKey, plain).error, StoreError::WrongKey);
    EXPECT_TRUE(plain.isEmpty());
    QByteArray bytes = enciphered;
    EXPECT_EQ(UserStoreFile::decipherBytes(bytes, testsupport::kLargeStoreWrongKey).error, StoreError::WrongKey);
    EXPECT_EQ(testsupport::readAll(gross), enciphered);
}

TEST(UserStoreFile, WhatNoWriterLeavesIsRefusedEvenUnderTheRightKey)
{
    SeamReset reset;
    StoreFolder folder;
    const QString key = u"schluessel"_qs;
    const QString dat = folder.path(u"wirr.dat"_qs);
    // Random garbage enciphered whole: its length field fits the file exactly, only the text tells.
    QRandomGenerator random(11);
    for (int i = 0; i < 50; ++i) {
        QByteArray garbage(4 * (1 + random.bounded(300)), Qt::Uninitialized);
        random.fillRange(reinterpret_cast<quint32*>(garbage.data()), garbage.size() / 4);
        ASSERT_TRUE(encipherTo(dat, garbage, key));
        QByteArray plain;
        EXPECT_EQ(UserStoreFile::decipher(dat, key, plain).error, StoreError::WrongKey) << i;
    }

    // Store text in a file longer than its length field says: the encipher step never writes it.
    QByteArray longer = testsupport::readAll(testsupport::fixturePath(u"anna.dat"_qs));
    longer += QByteArray(8, '\x5a');
    ASSERT_TRUE(testsupport::writeAll(dat, longer));
    QByteArray plain;
    EXPECT_EQ(UserStoreFile::decipher(dat, u"geheim1"_qs, plain).error, StoreError::WrongKey);
}

TEST(UserStoreFile, TextThatIsNoStoreIsNeverEnciphered)
{
    SeamReset reset;
    StoreFolder folder;
    const QString dat = folder.copyFixture(u"anna.dat"_qs);
    const QByteArray before = testsupport::readAll(dat);
    for (const QByteArray& text : {QByteArray("\x01\xff\x7a\x33"), QByteArray("Notizen ohne Abschnitt\r\n"),
                                   QByteArray("[Main]\r\nCount=0\r\n\x1b")}) {
        const StoreResult r = UserStoreFile::replace(dat, text, u"geheim1"_qs);
        EXPECT_EQ(r.error, StoreError::Validation);
        EXPECT_FALSE(r.message.isEmpty());
        EXPECT_EQ(testsupport::readAll(dat), before);
    }
    EXPECT_EQ(filesIn(folder.dir.path()), QStringList({u"anna.dat"_qs}));
}
