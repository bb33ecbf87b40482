#include "core/AtomicWrite.h"

#include "support/QtPrinters.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

mode_t modeBits(const QString& path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? (st.st_mode & 07777) : mode_t(-1);
}

struct HookReset {
    ~HookReset() { AtomicWrite::setFaultHook({}); }
};

// Sets the process's umask for one scope.
struct Umask {
    explicit Umask(mode_t mask) : m_old(::umask(mask)) {}
    ~Umask() { ::umask(m_old); }
    mode_t m_old;
};

} // namespace

TEST(AtomicWrite, NewFileHasExactlyTheModeAskedForAndReplacesAReadOnlyTarget)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("anna.dat");
    ASSERT_TRUE(testsupport::writeAll(path, "alt"));
    ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner));
    const struct {
        mode_t umask;
        QFileDevice::Permissions asked;
        mode_t mode;
    } cases[] = {
        {022, QFileDevice::ReadOwner, 0400},
        {077, AtomicWrite::kOwnerOnly, 0600},
        {0, AtomicWrite::kOwnerOnly, 0600},
        {077, AtomicWrite::kOwnerOnly | QFileDevice::ReadGroup, 0640},
    };
    for (const auto& c : cases) {
        Umask mask(c.umask);
        ASSERT_EQ(AtomicWrite::writeFile(path, "neu", c.asked), AtomicWrite::Status::Ok);
        EXPECT_EQ(testsupport::readAll(path), QByteArray("neu"));
        EXPECT_EQ(modeBits(path), c.mode);
    }
    EXPECT_EQ(testsupport::filesIn(dir.path()), QStringList{"anna.dat"});
}

TEST(AtomicWrite, EveryFailureBeforeTheRenameKeepsTheOldFileAndLeavesNoTemporaryFile)
{
    HookReset reset;
    const struct {
        AtomicWrite::Stage stage;
        AtomicWrite::Status status;
    } cases[] = {
        {AtomicWrite::Stage::Open, AtomicWrite::Status::OpenFailed},
        {AtomicWrite::Stage::Write, AtomicWrite::Status::WriteFailed},
        {AtomicWrite::Stage::Flush, AtomicWrite::Status::WriteFailed},
        {AtomicWrite::Stage::Close, AtomicWrite::Status::WriteFailed},
        {AtomicWrite::Stage::Commit, AtomicWrite::Status::CommitFailed},
    };
    for (const auto& c : cases) {
        QTemporaryDir dir;
        const QString path = dir.filePath("anna.dat");
        ASSERT_TRUE(testsupport::writeAll(path, "alt"));
        AtomicWrite::setFaultHook([&](AtomicWrite::Stage s, const QString&) { return s == c.stage; });
        EXPECT_EQ(AtomicWrite::writeFile(path, "neu"), c.status) << static_cast<int>(c.stage);
        EXPECT_EQ(testsupport::readAll(path), QByteArray("alt"));
        EXPECT_EQ(testsupport::filesIn(dir.path()), QStringList{"anna.dat"});
    }

    // The folder flush comes after the rename: the new file is in place, but unconfirmed.
    QTemporaryDir dir;
    const QString path = dir.filePath("anna.dat");
    ASSERT_TRUE(testsupport::writeAll(path, "alt"));
    AtomicWrite::setFaultHook([](AtomicWrite::Stage s, const QString&) { return s == AtomicWrite::Stage::FolderFlush; });
    EXPECT_EQ(AtomicWrite::writeFile(path, "neu"), AtomicWrite::Status::FolderFlushFailed);
    EXPECT_EQ(testsupport::readAll(path), QByteArray("neu"));
    EXPECT_EQ(testsupport::filesIn(dir.path()), QStringList{"anna.dat"});

    // No folder to write into.
    AtomicWrite::setFaultHook({});
    EXPECT_EQ(AtomicWrite::writeFile(dir.filePath("fehlt/anna.dat"), "neu"), AtomicWrite::Status::OpenFailed);
}

TEST(AtomicWrite, ALinkToAFileIsWrittenThroughADanglingOneIsReplaced)
{
    QTemporaryDir dir;
    QTemporaryDir elsewhere;
    ASSERT_TRUE(dir.isValid() && elsewhere.isValid());
    const QString real = elsewhere.filePath("Keywarden.ini");
    ASSERT_TRUE(testsupport::writeAll(real, "alt"));
    const QString link = dir.filePath("Keywarden.ini");
    ASSERT_TRUE(QFile::link(real, link));
    ASSERT_EQ(AtomicWrite::writeFile(link, "neu"), AtomicWrite::Status::Ok);
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(testsupport::readAll(real), QByteArray("neu"));
    EXPECT_EQ(testsupport::filesIn(elsewhere.path()), QStringList{"Keywarden.ini"});

    // A link to nothing is not followed: nothing appears where it points.
    const QString nowhere = elsewhere.filePath("nirgends.ini");
    const QString dangling = dir.filePath("alt.ini");
    ASSERT_TRUE(QFile::link(nowhere, dangling));
    ASSERT_EQ(AtomicWrite::writeFile(dangling, "neu"), AtomicWrite::Status::Ok);
    EXPECT_FALSE(QFileInfo(dangling).isSymLink());
    EXPECT_EQ(testsupport::readAll(dangling), QByteArray("neu"));
    EXPECT_FALSE(QFileInfo::exists(nowhere));
}
