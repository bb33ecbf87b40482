#include "app/SoundPlayer.h"
#include "support/RecordedSounds.h"

#include "support/QtPrinters.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

TEST(Sound, OnlyExistingFilesReachThePlayer)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString login = dir.filePath("Login.wav");
    const QString broken = dir.filePath("Logout.wav");
    ASSERT_TRUE(testsupport::writeAll(login, "RIFF"));
    // Not a sound at all: still handed over, the player stays silent on it without delay.
    ASSERT_TRUE(testsupport::writeAll(broken, "kein Klang"));

    RecordedSounds sounds;
    PlaySoundFile(dir.filePath("missing.wav"));
    PlaySoundFile(dir.path());
    PlaySoundFile("");
    EXPECT_TRUE(sounds.played().isEmpty());

    PlaySoundFile(login);
    PlaySoundFile(broken);
    PlaySoundFile(login);
    EXPECT_EQ(sounds.played(), QStringList({login, broken, login}));
}

TEST(Sound, PlayersNestAndWithoutOneCuesAreSilent)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString login = dir.filePath("Login.wav");
    ASSERT_TRUE(testsupport::writeAll(login, "RIFF"));

    ASSERT_EQ(soundPlayer(), nullptr);
    PlaySoundFile(login);
    {
        RecordedSounds outer;
        {
            RecordedSounds inner;
            PlaySoundFile(login);
            EXPECT_EQ(inner.played().size(), 1);
        }
        EXPECT_EQ(soundPlayer(), &outer);
        EXPECT_TRUE(outer.played().isEmpty());
    }
    EXPECT_EQ(soundPlayer(), nullptr);
}
