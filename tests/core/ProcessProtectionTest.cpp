#include "core/ProcessProtection.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <QString>

#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The locked memory of this process in kB, as the kernel counts it.
long lockedKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("VmLck:\\s+(\\d+) kB")).match(QString::fromLatin1(status.readAll()));
    return m.hasMatch() ? m.captured(1).toLong() : -1;
}

} // namespace

TEST(ProcessProtection, NoCoreFileAndNotDumpable)
{
    // In a child, so this test program keeps its own settings.
    const pid_t child = ::fork();
    if (child == 0) {
        const bool reported = ProcessProtection::protectProcess();
        rlimit core {};
        const bool noCore = ::getrlimit(RLIMIT_CORE, &core) == 0 && core.rlim_cur == 0 && core.rlim_max == 0;
        const bool notDumpable = ::prctl(PR_GET_DUMPABLE, 0, 0, 0, 0) == 0;
        ::_exit(reported && noCore && notDumpable ? 0 : 1);
    }
    ASSERT_GT(child, 0);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(ProcessProtection, LockedMemoryIsCountedUntilUnlocked)
{
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    void* pages = ::mmap(nullptr, 4 * pageSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(pages, MAP_FAILED);
    const long before = lockedKb();
    ASSERT_GE(before, 0);
    // Two bytes across a page boundary lock both pages.
    const char* across = static_cast<const char*>(pages) + pageSize - 1;
    if (!ProcessProtection::lockMemory(across, 2)) {
        ::munmap(pages, 4 * pageSize);
        GTEST_SKIP() << "the system allows no locked memory here";
    }
    EXPECT_EQ(lockedKb() - before, 2 * pageSize / 1024);
    ProcessProtection::unlockMemory(across, 2);
    EXPECT_EQ(lockedKb(), before);
    EXPECT_FALSE(ProcessProtection::lockMemory(pages, 0));
    ::munmap(pages, 4 * pageSize);
}
