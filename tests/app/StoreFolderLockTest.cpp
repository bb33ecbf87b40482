#include "app/StoreFolderLock.h"

#include "support/TestSupport.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Status = StoreFolderLock::Status;

// A process that takes the folder's lock and holds it until it is killed.
class LockHolder {
public:
    explicit LockHolder(const QString& folder)
    {
        int ready[2];
        if (::pipe(ready) != 0)
            return;
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(ready[0]);
            StoreFolderLock lock(folder);
            const char taken = lock.tryAcquire() == Status::Acquired ? 'y' : 'n';
            if (::write(ready[1], &taken, 1) != 1)
                ::_exit(2);
            for (;;)
                ::pause();
        }
        ::close(ready[1]);
        char taken = 0;
        m_holds = m_pid > 0 && ::read(ready[0], &taken, 1) == 1 && taken == 'y';
        ::close(ready[0]);
    }
    ~LockHolder() { kill(); }

    bool holds() const { return m_holds; }
    // Ends the holder the hard way: no destructor, no clean-up of its own.
    void kill()
    {
        if (m_pid <= 0)
            return;
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }

private:
    pid_t m_pid = -1;
    bool m_holds = false;
};

} // namespace

TEST(StoreFolderLock, LiesBesideTheStores)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    EXPECT_EQ(StoreFolderLock::lockPathFor(folder.path()), folder.filePath("keywarden.lock"));
    StoreFolderLock lock(folder.path());
    ASSERT_EQ(lock.tryAcquire(), Status::Acquired);
    EXPECT_TRUE(lock.isHeld());
    EXPECT_TRUE(QFileInfo(folder.filePath("keywarden.lock")).isFile());
    EXPECT_EQ(testsupport::readAll(folder.filePath("keywarden.lock")),
              QByteArray::number(QCoreApplication::applicationPid()) + "\n");
}

TEST(StoreFolderLock, ALockFileThatNoLivingProcessHoldsIsTakenOver)
{
    const struct {
        const char* what;
        QByteArray content;
    } cases[] = {
        // A kill between creating the file and writing it.
        {"empty", QByteArray()},
        {"garbage", QByteArray("\x00\xff\x13zz", 5)},
        {"a dead process's id", "2147483646\n"},
        // The id of a living process (this one) in the file does not make it held.
        {"a living process's id", QByteArray::number(QCoreApplication::applicationPid()) + "\nkeywarden\nhost\n"},
    };
    for (const auto& c : cases) {
        QTemporaryDir folder;
        ASSERT_TRUE(folder.isValid());
        ASSERT_TRUE(testsupport::writeAll(StoreFolderLock::lockPathFor(folder.path()), c.content));
        StoreFolderLock lock(folder.path());
        EXPECT_EQ(lock.tryAcquire(), Status::Acquired) << c.what;
    }

    // A holder that was killed leaves its file behind, and the kernel its lock not.
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    LockHolder holder(folder.path());
    ASSERT_TRUE(holder.holds());
    holder.kill();
    ASSERT_TRUE(QFileInfo::exists(StoreFolderLock::lockPathFor(folder.path())));
    StoreFolderLock lock(folder.path());
    EXPECT_EQ(lock.tryAcquire(), Status::Acquired);
}

TEST(StoreFolderLock, ALivingHolderBlocksUntilItLetsGo)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    {
        // Another process.
        LockHolder holder(folder.path());
        ASSERT_TRUE(holder.holds());
        StoreFolderLock second(folder.path());
        EXPECT_EQ(second.tryAcquire(), Status::HeldElsewhere);
        EXPECT_FALSE(second.isHeld());
        holder.kill();
        EXPECT_EQ(second.tryAcquire(), Status::Acquired);
    }
    // A second open file of this process: the lock belongs to the holder, not to the process.
    StoreFolderLock first(folder.path());
    ASSERT_EQ(first.tryAcquire(), Status::Acquired);
    StoreFolderLock second(folder.path());
    EXPECT_EQ(second.tryAcquire(), Status::HeldElsewhere);
    // Held however the file is opened: read-only, as a user without write permission opens it.
    const int readOnly = ::open(QFile::encodeName(first.path()).constData(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(readOnly, 0);
    EXPECT_NE(::flock(readOnly, LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(errno, EWOULDBLOCK);
    ::close(readOnly);

    first.release();
    EXPECT_EQ(second.tryAcquire(), Status::Acquired);
    // Released normally, the lock leaves nothing beside the stores.
    second.release();
    EXPECT_FALSE(QFileInfo::exists(first.path()));
}

TEST(StoreFolderLock, ALockFileThatCannotBeOpenedIsReportedNotWaitedFor)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = StoreFolderLock::lockPathFor(folder.path());
    // A link is not followed, whatever it points to.
    ASSERT_TRUE(testsupport::writeAll(folder.filePath("ziel"), "x"));
    ASSERT_EQ(::symlink("ziel", QFile::encodeName(path).constData()), 0);
    StoreFolderLock link(folder.path());
    EXPECT_EQ(link.tryAcquire(), Status::Unavailable);
    EXPECT_EQ(testsupport::readAll(folder.filePath("ziel")), QByteArray("x"));

    // A pipe in its place would make an open wait for a writer.
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    StoreFolderLock pipe(folder.path());
    EXPECT_EQ(pipe.tryAcquire(), Status::Unavailable);

    StoreFolderLock missing(folder.filePath("fehlt"));
    EXPECT_EQ(missing.tryAcquire(), Status::Unavailable);
}

TEST(StoreFolderLock, SecondProgramEndsSilentlyAndTheToolWaits)
{
    const QString built = QCoreApplication::applicationDirPath() + "/keywarden";
    const QString cli = QCoreApplication::applicationDirPath() + "/keywarden-cli";
    if (!QFileInfo(built).isExecutable() || !QFileInfo(cli).isExecutable())
        GTEST_SKIP() << "the programs are not built beside the tests";
    // The program in a folder of its own: its stores and its lock lie beside it.
    QTemporaryDir folder;
    QTemporaryDir runtime;
    ASSERT_TRUE(folder.isValid() && runtime.isValid());
    const QString program = folder.filePath("keywarden");
    ASSERT_TRUE(QFile::copy(built, program));
    ASSERT_TRUE(QFile::copy(testsupport::fixturePath("anna.dat"), folder.filePath("anna.dat")));
    const QString lockPath = StoreFolderLock::lockPathFor(folder.path());

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_RUNTIME_DIR", runtime.path());

    // A crash between creating the lock file and writing it does not keep the program from starting.
    ASSERT_TRUE(testsupport::writeAll(lockPath, QByteArray()));
    QProcess first;
    first.setProcessEnvironment(env);
    first.start(program, {});
    ASSERT_TRUE(first.waitForStarted(10000));
    QDeadlineTimer deadline(20000);
    while (testsupport::readAll(lockPath) != QByteArray::number(first.processId()) + "\n" && !deadline.hasExpired()
           && first.state() == QProcess::Running)
        QThread::msleep(50);
    ASSERT_EQ(testsupport::readAll(lockPath), QByteArray::number(first.processId()) + "\n")
        << "the first instance did not take the lock";
    StoreFolderLock probe(folder.path());
    EXPECT_EQ(probe.tryAcquire(), Status::HeldElsewhere);

    // No core file of a process that holds secrets.
    QFile limits(QStringLiteral("/proc/%1/limits").arg(first.processId()));
    ASSERT_TRUE(limits.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QString::fromLatin1(limits.readAll()).contains(QRegularExpression(QStringLiteral("Max core file size +0 +0 "))));

    // While it runs, a second instance ends at once, silently, and leaves the lock alone.
    QProcess second;
    second.setProcessEnvironment(env);
    second.start(program, {});
    EXPECT_TRUE(second.waitForFinished(20000)) << "the second instance did not end";
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(second.readAllStandardOutput().isEmpty());
    EXPECT_EQ(first.state(), QProcess::Running);

    // The tool, started from another session (its own runtime folder), does not write meanwhile.
    QTemporaryDir otherRuntime;
    QProcessEnvironment otherEnv = env;
    otherEnv.insert("XDG_RUNTIME_DIR", otherRuntime.path());
    otherEnv.insert("TMPDIR", otherRuntime.path());
    QProcess add;
    add.setProcessEnvironment(otherEnv);
    add.start(cli, {"add", folder.filePath("anna.dat"), "Neu", "--user", "u"});
    ASSERT_TRUE(add.waitForStarted(10000));
    add.write("geheim1\npw\n");
    add.closeWriteChannel();
    ASSERT_TRUE(add.waitForFinished(20000));
    EXPECT_EQ(add.exitCode(), 3);
    EXPECT_EQ(testsupport::readAll(folder.filePath("anna.dat")), testsupport::readAll(testsupport::fixturePath("anna.dat")));

    // Killed, the program leaves its lock file behind but holds nothing.
    first.kill();
    first.waitForFinished(10000);
    StoreFolderLock after(folder.path());
    EXPECT_EQ(after.tryAcquire(), Status::Acquired);
}
