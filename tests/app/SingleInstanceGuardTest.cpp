#include "app/SingleInstanceGuard.h"

#include "QtPrinters.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QThread>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <sys/wait.h>
#include <unistd.h>

namespace {

// Leaves behind the lock of an instance that died without cleaning up.
void leaveStaleLock(const QString& path)
{
    const pid_t child = ::fork();
    if (child == 0) {
        SingleInstanceGuard guard(path);
        ::_exit(guard.tryAcquire() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ASSERT_TRUE(QFile::exists(path));
}

qint64 lockOwner(const QString& path)
{
    QLockFile probe(path);
    qint64 pid = 0;
    QString host;
    QString app;
    return probe.getLockInfo(&pid, &host, &app) ? pid : 0;
}

} // namespace

TEST(SingleInstance, SecondGuardIsRefusedUntilTheFirstIsGone)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("keywarden.lock");
    {
        SingleInstanceGuard first(path);
        ASSERT_TRUE(first.tryAcquire());
        EXPECT_TRUE(first.isHeld());
        SingleInstanceGuard second(path);
        EXPECT_FALSE(second.tryAcquire());
        EXPECT_FALSE(second.isHeld());

        // A running instance keeps its lock however old the lock file grows.
        QFile lock(path);
        ASSERT_TRUE(lock.open(QIODevice::ReadWrite));
        ASSERT_TRUE(lock.setFileTime(QDateTime::currentDateTime().addDays(-2), QFileDevice::FileModificationTime));
        lock.close();
        SingleInstanceGuard later(path);
        EXPECT_FALSE(later.tryAcquire());
    }
    EXPECT_FALSE(QFile::exists(path));
    SingleInstanceGuard next(path);
    EXPECT_TRUE(next.tryAcquire());
}

TEST(SingleInstance, LockOfACrashedInstanceDoesNotBlock)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("keywarden.lock");
    leaveStaleLock(path);
    ASSERT_NE(lockOwner(path), QCoreApplication::applicationPid());
    SingleInstanceGuard guard(path);
    EXPECT_TRUE(guard.tryAcquire());
    EXPECT_EQ(lockOwner(path), QCoreApplication::applicationPid());
}

TEST(SingleInstance, LockIsPerUserAndPrivateWhenTheSessionHasARuntimeFolder)
{
    QTemporaryDir runtime;
    ASSERT_TRUE(runtime.isValid());
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    const QString inRuntime = SingleInstanceGuard::defaultLockPath();
    qunsetenv("XDG_RUNTIME_DIR");
    const QString inTemp = SingleInstanceGuard::defaultLockPath();
    if (!saved.isNull())
        qputenv("XDG_RUNTIME_DIR", saved);

    EXPECT_EQ(inRuntime, runtime.filePath("keywarden.lock"));
    EXPECT_TRUE(QFileInfo(inTemp).fileName().contains(QString::number(::getuid())));
}

TEST(SingleInstance, SecondProgramEndsSilently)
{
    const QString program = QCoreApplication::applicationDirPath() + "/keywarden";
    if (!QFileInfo(program).isExecutable())
        GTEST_SKIP() << "the keywarden program is not built beside the tests";
    QTemporaryDir runtime;
    ASSERT_TRUE(runtime.isValid());
    const QString lockPath = runtime.filePath("keywarden.lock");

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", runtime.path());
    env.insert("QT_QPA_PLATFORM", "offscreen");

    // The lock of a crashed instance does not keep the program from starting: the first instance
    // takes it over and keeps running with its login window.
    leaveStaleLock(lockPath);
    QProcess first;
    first.setProcessEnvironment(env);
    first.start(program, {});
    ASSERT_TRUE(first.waitForStarted(10000));
    QDeadlineTimer deadline(20000);
    while (lockOwner(lockPath) != first.processId() && !deadline.hasExpired()
           && first.state() == QProcess::Running)
        QThread::msleep(50);
    ASSERT_EQ(lockOwner(lockPath), first.processId()) << "the first instance did not take the lock";

    // While it runs, a second instance ends at once, silently, and leaves the lock alone.
    QProcess second;
    second.setProcessEnvironment(env);
    second.start(program, {});
    EXPECT_TRUE(second.waitForFinished(20000)) << "the second instance did not end";
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(second.readAllStandardOutput().isEmpty());
    EXPECT_EQ(first.state(), QProcess::Running);
    EXPECT_EQ(lockOwner(lockPath), first.processId());

    first.kill();
    first.waitForFinished(10000);
}
