#include "StoreTestUtil.h"

#include "store/UserStoreFile.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace storetest;

namespace {

mode_t modeBits(const QString& path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? (st.st_mode & 07777) : mode_t(-1);
}

const QString kKey = u"geheim1"_qs;

} // namespace

TEST(UserStoreFile, ReadOnlyMarkTakesEveryWriteBitButNeverGoesThroughALink)
{
    StoreFolder folder;
    StoreFolder elsewhere;
    const QString store = folder.copyFixture(u"anna.dat"_qs);
    ASSERT_EQ(::chmod(QFile::encodeName(store).constData(), 0664), 0);
    UserStoreFile::markReadOnly(store);
    EXPECT_EQ(modeBits(store), mode_t(0444));

    // A link planted under a store's name: the file it points to keeps its mode.
    const QString victim = elsewhere.path(u"fremd.txt"_qs);
    ASSERT_TRUE(testsupport::writeAll(victim, "fremd"));
    ASSERT_EQ(::chmod(QFile::encodeName(victim).constData(), 0644), 0);
    const QString link = folder.path(u"bob.dat"_qs);
    ASSERT_TRUE(QFile::link(victim, link));
    UserStoreFile::markReadOnly(link);
    EXPECT_EQ(modeBits(victim), mode_t(0644));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    UserStoreFile::markReadOnly(folder.path(u"fehlt.dat"_qs));
}

TEST(UserStoreFile, ReplacementIsReadOnlyFromItsCreationAndAStoreBehindALinkStaysWhereItIs)
{
    StoreFolder folder;
    StoreFolder elsewhere;
    const QString real = elsewhere.copyFixture(u"anna.dat"_qs);
    const QString link = folder.path(u"anna.dat"_qs);
    ASSERT_TRUE(QFile::link(real, link));
    const QByteArray plain = testsupport::readAll(testsupport::fixturePath(u"anna.ini"_qs)) + "[Neu]\r\nUser=u\r\n";

    ASSERT_TRUE(UserStoreFile::replace(link, plain, kKey).ok());
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_TRUE(testsupport::opensWith(real, kKey, plain));
    EXPECT_EQ(modeBits(real), mode_t(0400));
    EXPECT_EQ(filesIn(folder.dir.path()), QStringList({u"anna.dat"_qs}));
    EXPECT_EQ(filesIn(elsewhere.dir.path()), QStringList({u"anna.dat"_qs}));
}
