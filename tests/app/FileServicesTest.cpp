#include "app/FileServices.h"

#include "QtPrinters.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <QTemporaryDir>

#include <sys/stat.h>

TEST(FileServices, FileExistsOnlyForReadableFiles)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath("anna.dat");
    const QString empty = dir.filePath("empty.dat");
    const QString fifo = dir.filePath("pipe.wav");
    ASSERT_TRUE(testsupport::writeAll(file, "x"));
    ASSERT_TRUE(testsupport::writeAll(empty, {}));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);

    struct Case { QString path; bool expected; };
    const Case cases[] = {
        {file, true},
        {empty, true},
        {dir.path(), false},
        {dir.path() + "/", false},
        {"", false},
        {dir.filePath("missing.dat"), false},
        // Opening a pipe for reading would wait for a writer.
        {fifo, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FileExists(c.path), c.expected) << c.path.toStdString();

    // A file that cannot be read does not count, for root too.
    {
        testsupport::PermissionsApply permissions;
        ASSERT_TRUE(permissions.active());
        QFile::setPermissions(file, QFileDevice::WriteOwner);
        EXPECT_FALSE(FileExists(file));
    }
}

TEST(FileServices, StripExtensionRemovesOnlyTheLastExtension)
{
    struct Case { QString name; QString expected; };
    const Case cases[] = {
        {"anna.dat", "anna"}, {"a.b.dat", "a.b"}, {"a.b.c", "a.b"}, {"x.", "x."}, {"anna.", "anna."},
        {".x", ""},           {".dat", ""},       {"x", "x"},       {"", ""},     {QStringLiteral("Jörg.dat"), QStringLiteral("Jörg")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(StripExtension(c.name), c.expected) << c.name.toStdString();
}

TEST(FileServices, AddBackslashAppendsThePlatformSeparatorOnce)
{
    const QString sep = QDir::separator();
    struct Case { QString path; QString expected; };
    const Case cases[] = {
        {"", sep}, {sep, sep}, {"/opt/app", "/opt/app" + sep}, {"/opt/app" + sep, "/opt/app" + sep},
    };
    for (const Case& c : cases) {
        QString path = c.path;
        AddBackslash(path);
        EXPECT_EQ(path, c.expected) << c.path.toStdString();
    }
}

TEST(FileServices, TempFolderIsTheUsersOwnWithTrailingSeparator)
{
    QTemporaryDir tmp;
    QTemporaryDir runtime;
    ASSERT_TRUE(tmp.isValid() && runtime.isValid());
    const QByteArray savedTmp = qgetenv("TMPDIR");
    const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");
    auto set = [](const char* name, const QString& value) {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, QFile::encodeName(value));
    };

    struct Case { QString tmpdir; QString runtime; QString expected; const char* what; };
    const Case cases[] = {
        {tmp.path(), runtime.path(), tmp.path(), "a temporary folder the user named wins"},
        {QString(), runtime.path(), runtime.path(), "else the private runtime folder"},
        {QString(), runtime.filePath("gone"), "/tmp", "a runtime folder that does not exist is passed over"},
        {QString(), QString(), "/tmp", "else the system's folder"},
    };
    for (const Case& c : cases) {
        set("TMPDIR", c.tmpdir);
        set("XDG_RUNTIME_DIR", c.runtime);
        EXPECT_EQ(GetTempFolder(), QDir::toNativeSeparators(c.expected) + QDir::separator()) << c.what;
    }
    set("TMPDIR", savedTmp.isNull() ? QString() : QFile::decodeName(savedTmp));
    set("XDG_RUNTIME_DIR", savedRuntime.isNull() ? QString() : QFile::decodeName(savedRuntime));
}

TEST(FileServices, ProbeNeverTouchesAFileTheUserKeeps)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // The user's own test.txt, read-only, and test1.txt; a dangling link must not be written through.
    const QString kept = dir.filePath("test.txt");
    const QString kept1 = dir.filePath("test1.txt");
    const QString target = dir.filePath("elsewhere.txt");
    ASSERT_TRUE(testsupport::writeAll(kept, "meine Notizen\r\n"));
    ASSERT_TRUE(testsupport::writeAll(kept1, "mehr\r\n"));
    ASSERT_TRUE(QFile::setPermissions(kept, QFile::ReadOwner));
    ASSERT_TRUE(QFile::link(target, dir.filePath("test2.txt")));
    const QDateTime modified = QFileInfo(kept).lastModified();
    const QFileDevice::Permissions permissions = QFile::permissions(kept);
    const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);

    EXPECT_TRUE(CanCreateFileIn(dir.path()));

    EXPECT_EQ(testsupport::readAll(kept), QByteArray("meine Notizen\r\n"));
    EXPECT_EQ(testsupport::readAll(kept1), QByteArray("mehr\r\n"));
    EXPECT_EQ(QFile::permissions(kept), permissions);
    EXPECT_EQ(QFileInfo(kept).lastModified(), modified);
    EXPECT_FALSE(QFileInfo::exists(target));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot), before);
    QFile::setPermissions(kept, QFile::ReadOwner | QFile::WriteOwner);
}

TEST(FileServices, ProbeFailsWhereNoFileCanBeCreated)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    EXPECT_FALSE(CanCreateFileIn(dir.filePath("missing")));
    EXPECT_FALSE(IsDriveWritable(""));
    // A folder without write permission, for root too.
    {
        testsupport::PermissionsApply permissions;
        ASSERT_TRUE(permissions.active());
        const QString locked = dir.filePath("locked");
        ASSERT_TRUE(QDir().mkdir(locked));
        QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner);
        EXPECT_FALSE(CanCreateFileIn(locked));
        EXPECT_TRUE(QDir(locked).isEmpty());
        QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
}

TEST(FileServices, DriveRootIsTheMountPointHoldingThePath)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QString expected = QStorageInfo(dir.path()).rootPath();
    AddBackslash(expected);
    ASSERT_FALSE(expected.isEmpty());

    EXPECT_EQ(DriveRoot(dir.path()), expected);
    // A folder that does not exist yet lies on the file system of its nearest existing ancestor.
    EXPECT_EQ(DriveRoot(dir.filePath("not/yet/there")), expected);
    EXPECT_TRUE((QDir(dir.path()).canonicalPath() + "/").startsWith(expected));
    EXPECT_EQ(DriveRoot("/"), "/");
    EXPECT_EQ(DriveRoot(""), "");
}
