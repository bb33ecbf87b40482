#include "core/ProcessProtection.h"

#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/resource.h>

namespace ProcessProtection {

bool protectProcess()
{
    const rlimit noCore {0, 0};
    const bool coreOff = ::setrlimit(RLIMIT_CORE, &noCore) == 0;
    // Not dumpable also keeps ptrace and /proc/<pid>/mem of other processes of the same user out.
    const bool notDumpable = ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0) == 0;
    return coreOff && notDumpable;
}

bool lockMemory(const void* data, std::size_t size)
{
    return size > 0 && ::mlock(data, size) == 0;
}

void unlockMemory(const void* data, std::size_t size)
{
    if (size > 0)
        ::munlock(data, size);
}

bool lockText(const QString& text)
{
    return lockMemory(text.constData(), static_cast<std::size_t>(text.size()) * sizeof(QChar));
}

} // namespace ProcessProtection
