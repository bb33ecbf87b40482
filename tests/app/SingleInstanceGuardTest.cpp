#include "app/SingleInstanceGuard.h"

#include "QtPrinters.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDateTime>
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

    auto run = [&] {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_RUNTIME_DIR", runtime.path());
        env.insert("QT_QPA_PLATFORM", "offscreen");
        process.setProcessEnvironment(env);
        process.start(program, {});
        EXPECT_TRUE(process.waitForFinished(20000)) << "the program did not end";
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 0);
        EXPECT_TRUE(process.readAllStandardOutput().isEmpty());
    };

    // The lock of a crashed instance is taken over (and released at the end): the program uses
    // this lock file.
    leaveStaleLock(lockPath);
    run();
    EXPECT_FALSE(QFile::exists(lockPath));

    // While a running instance holds the lock, the second one ends at once and leaves it alone.
    SingleInstanceGuard running(lockPath);
    ASSERT_TRUE(running.tryAcquire());
    run();
    EXPECT_TRUE(running.isHeld());
    EXPECT_EQ(lockOwner(lockPath), QCoreApplication::applicationPid());
}
