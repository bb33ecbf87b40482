#include "app/FileServices.h"

#include "support/QtPrinters.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// The permission bits of the file a path leads to.
mode_t modeBits(const QString& path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? (st.st_mode & 07777) : mode_t(-1);
}

} // namespace

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

TEST(FileServices, RemoveOwnFileDeletesRegularFilesOnlyAndNeverFollowsALink)
{
    QTemporaryDir dir;
    QTemporaryDir elsewhere;
    ASSERT_TRUE(dir.isValid() && elsewhere.isValid());
    const QString plain = dir.filePath("pstmp.dat");
    const QString readOnly = dir.filePath("alt.dat");
    const QString target = elsewhere.filePath("fremd.dat");
    const QString link = dir.filePath("link.dat");
    const QString folder = dir.filePath("ordner");
    ASSERT_TRUE(testsupport::writeAll(plain, "[Main]\r\n"));
    ASSERT_TRUE(testsupport::writeAll(readOnly, "[Main]\r\n"));
    ASSERT_TRUE(QFile::setPermissions(readOnly, QFile::ReadOwner));
    ASSERT_TRUE(testsupport::writeAll(target, "fremde Daten"));
    ASSERT_TRUE(QFile::setPermissions(target, QFile::ReadOwner));
    ASSERT_TRUE(QFile::link(target, link));
    ASSERT_TRUE(QDir().mkdir(folder));

    EXPECT_TRUE(RemoveOwnFile(plain));
    EXPECT_FALSE(QFileInfo::exists(plain));
    // Removing needs the folder's permission only: no mode is lifted first.
    EXPECT_TRUE(RemoveOwnFile(readOnly));
    EXPECT_FALSE(QFileInfo::exists(readOnly));
    EXPECT_TRUE(RemoveOwnFile(dir.filePath("fehlt.dat")));
    EXPECT_TRUE(RemoveOwnFile(QString()));

    EXPECT_FALSE(RemoveOwnFile(link));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(testsupport::readAll(target), QByteArray("fremde Daten"));
    EXPECT_EQ(modeBits(target), mode_t(0400));
    EXPECT_FALSE(RemoveOwnFile(folder));
    EXPECT_TRUE(QFileInfo(folder).isDir());
}
