#include "StoreTestUtil.h"

#include "store/UserDirectory.h"

#include <gtest/gtest.h>

using namespace storetest;

TEST(UserDirectory, ListsDatFilesWithoutRegardToCase)
{
    StoreFolder folder;
    for (const QString& name : {u"anna.dat"_qs, u"Bob.DAT"_qs, u"Ärzte.Dat"_qs, u"zoe.dat"_qs, u"notiz.txt"_qs,
                                u".dat"_qs, u"anna.bak"_qs, u"pstmp.dat"_qs, u"PSTMP.Dat"_qs, u"a.b.dat"_qs})
        ASSERT_TRUE(testsupport::writeAll(folder.path(name), "x"));
    ASSERT_TRUE(QDir(folder.dir.path()).mkdir(u"ordner.dat"_qs));
    EXPECT_EQ(UserDirectory::listUsers(folder.dir.path()),
              QStringList({u"a.b"_qs, u"anna"_qs, u"Ärzte"_qs, u"Bob"_qs, u"zoe"_qs}));
    EXPECT_TRUE(UserDirectory::listUsers(folder.path(u"fehlt"_qs)).isEmpty());
}

TEST(UserDirectory, FindsTheUserFileWithoutRegardToCase)
{
    StoreFolder folder;
    ASSERT_TRUE(testsupport::writeAll(folder.path(u"anna.dat"_qs), "x"));
    EXPECT_EQ(UserDirectory::userFilePath(folder.dir.path(), u"Anna"_qs), folder.path(u"anna.dat"_qs));
    EXPECT_EQ(UserDirectory::backupFilePath(folder.dir.path(), u"ANNA"_qs), folder.path(u"anna.bak"_qs));
    EXPECT_EQ(UserDirectory::userFilePath(folder.dir.path(), u"Neu"_qs), folder.path(u"Neu.dat"_qs));
    EXPECT_EQ(UserDirectory::backupFilePath(folder.dir.path(), u"Neu"_qs), folder.path(u"Neu.bak"_qs));

    // Where both exist the exact name wins.
    ASSERT_TRUE(testsupport::writeAll(folder.path(u"Anna.dat"_qs), "y"));
    EXPECT_EQ(UserDirectory::userFilePath(folder.dir.path(), u"Anna"_qs), folder.path(u"Anna.dat"_qs));
    EXPECT_EQ(UserDirectory::userFilePath(folder.dir.path(), u"anna"_qs), folder.path(u"anna.dat"_qs));
}

TEST(UserDirectory, RefusesNamesThatCannotBeFileNames)
{
    const struct {
        QString name;
        bool ok;
    } cases[] = {
        {u"anna"_qs, true},         {u"Jörg Müller"_qs, true}, {u"a.b"_qs, true},     {u"..x"_qs, true},
        {QString(), false},         {u"../anna"_qs, false},    {u"a/b"_qs, false},    {u"a\\b"_qs, false},
        {u".."_qs, false},          {u"."_qs, false},          {u"a\tb"_qs, false},   {u"a\nb"_qs, false},
        {u"\u0142ukasz"_qs, false}, {QString(300, u'a'), false},
        // The working copy's name: that user's store would be deleted by the next unlock.
        {u"pstmp"_qs, false},       {u"PSTMP"_qs, false},      {u"PsTmp"_qs, false},  {u"pstmp2"_qs, true},
        {u"xpstmp"_qs, true},
    };
    for (const auto& c : cases) {
        const StoreResult r = UserDirectory::checkUserName(c.name);
        EXPECT_EQ(r.ok(), c.ok) << c.name.toStdString();
        if (!c.ok) {
            EXPECT_EQ(r.error, StoreError::Validation);
            EXPECT_EQ(r.focus, StoreField::LoginUser);
            EXPECT_FALSE(r.message.isEmpty());
        }
    }
    EXPECT_EQ(UserDirectory::checkUserName(QString()).message, u"Bitte Benutzername auswählen bzw. eingeben.   "_qs);
}
