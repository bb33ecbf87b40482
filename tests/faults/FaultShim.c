/* Preloaded into a program under test, this library makes the Nth write-side file call inside one
 * folder fail with a chosen errno, once or from then on, and reports what it counted and failed.
 *
 *   KEYWARDEN_FAULT_DIR     the folder whose files count (the folder itself and everything below);
 *                           without it the library only passes calls on
 *   KEYWARDEN_FAULT_AT      N >= 1: the Nth counted call fails; 0 or unset: nothing fails
 *   KEYWARDEN_FAULT_ERRNO   EIO (default), ENOSPC or a number
 *   KEYWARDEN_FAULT_MODE    "once" (default) or "persist": every counted call from the Nth on fails
 *   KEYWARDEN_FAULT_ARM     "manual": counting starts when the program calls keywarden_fault_arm()
 *   KEYWARDEN_FAULT_IGNORE  a file name (no folder) whose calls are neither counted nor failed
 *   KEYWARDEN_FAULT_REPORT  a file (outside the folder) that gets one line at exit:
 *                           "calls=C injected=I first=CALL PATH"
 *
 * Counted: opening a file for writing (also creating or truncating), write/pwrite/writev,
 * fsync/fdatasync, ftruncate/fallocate, fchmod, closing a descriptor opened for writing or a
 * folder, rename/renameat/renameat2, link/linkat, unlink/unlinkat, chmod/fchmodat, truncate,
 * symlink and mkdir - each only when it touches a path in the folder. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#define MAX_FDS 4096

/* How a descriptor was opened, for the calls made on it later. */
enum { FD_UNTRACKED = 0, FD_READ, FD_WRITE, FD_FOLDER };

static char s_dir[PATH_MAX];
static size_t s_dirLen;
static long s_failAt;
static int s_errno = EIO;
static int s_persist;
static int s_armed = 1;
static long s_calls;
static long s_injected;
static char s_first[PATH_MAX + 64];
static unsigned char s_fdKind[MAX_FDS];
static char* s_fdPath[MAX_FDS];
static int s_ready;

#define DECLARE_REAL(ret, name, ...)                                                                        \
    typedef ret (*name##_fn)(__VA_ARGS__);                                                                 \
    static name##_fn real_##name;

DECLARE_REAL(int, open, const char*, int, ...)
DECLARE_REAL(int, open64, const char*, int, ...)
DECLARE_REAL(int, openat, int, const char*, int, ...)
DECLARE_REAL(int, openat64, int, const char*, int, ...)
DECLARE_REAL(int, creat, const char*, mode_t)
DECLARE_REAL(int, creat64, const char*, mode_t)
DECLARE_REAL(ssize_t, write, int, const void*, size_t)
DECLARE_REAL(ssize_t, pwrite, int, const void*, size_t, off_t)
DECLARE_REAL(ssize_t, pwrite64, int, const void*, size_t, off64_t)
DECLARE_REAL(ssize_t, writev, int, const struct iovec*, int)
DECLARE_REAL(int, fsync, int)
DECLARE_REAL(int, fdatasync, int)
DECLARE_REAL(int, ftruncate, int, off_t)
DECLARE_REAL(int, ftruncate64, int, off64_t)
DECLARE_REAL(int, fallocate, int, int, off_t, off_t)
DECLARE_REAL(int, fchmod, int, mode_t)
DECLARE_REAL(int, close, int)
DECLARE_REAL(int, rename, const char*, const char*)
DECLARE_REAL(int, renameat, int, const char*, int, const char*)
DECLARE_REAL(int, renameat2, int, const char*, int, const char*, unsigned int)
DECLARE_REAL(int, link, const char*, const char*)
DECLARE_REAL(int, linkat, int, const char*, int, const char*, int)
DECLARE_REAL(int, unlink, const char*)
DECLARE_REAL(int, unlinkat, int, const char*, int)
DECLARE_REAL(int, chmod, const char*, mode_t)
DECLARE_REAL(int, fchmodat, int, const char*, mode_t, int)
DECLARE_REAL(int, truncate, const char*, off_t)
DECLARE_REAL(int, symlink, const char*, const char*)
DECLARE_REAL(int, mkdir, const char*, mode_t)

/* Through an object pointer, the form POSIX gives for storing what dlsym returns as a function. */
#define LOAD(name) (*(void**)(&real_##name) = dlsym(RTLD_NEXT, #name))

static void loadReal(void)
{
    if (real_open)
        return;
    LOAD(open);
    LOAD(open64);
    LOAD(openat);
    LOAD(openat64);
    LOAD(creat);
    LOAD(creat64);
    LOAD(write);
    LOAD(pwrite);
    LOAD(pwrite64);
    LOAD(writev);
    LOAD(fsync);
    LOAD(fdatasync);
    LOAD(ftruncate);
    LOAD(ftruncate64);
    LOAD(fallocate);
    LOAD(fchmod);
    LOAD(close);
    LOAD(rename);
    LOAD(renameat);
    LOAD(renameat2);
    LOAD(link);
    LOAD(linkat);
    LOAD(unlink);
    LOAD(unlinkat);
    LOAD(chmod);
    LOAD(fchmodat);
    LOAD(truncate);
    LOAD(symlink);
    LOAD(mkdir);
}

__attribute__((constructor)) static void setUp(void)
{
    loadReal();
    const char* dir = getenv("KEYWARDEN_FAULT_DIR");
    if (!dir || !*dir || strlen(dir) >= sizeof s_dir)
        return;
    strcpy(s_dir, dir);
    s_dirLen = strlen(s_dir);
    while (s_dirLen > 1 && s_dir[s_dirLen - 1] == '/')
        s_dir[--s_dirLen] = '\0';
    const char* at = getenv("KEYWARDEN_FAULT_AT");
    s_failAt = at ? strtol(at, NULL, 10) : 0;
    const char* err = getenv("KEYWARDEN_FAULT_ERRNO");
    if (err && strcmp(err, "ENOSPC") == 0)
        s_errno = ENOSPC;
    else if (err && strcmp(err, "EIO") != 0 && *err)
        s_errno = atoi(err);
    const char* mode = getenv("KEYWARDEN_FAULT_MODE");
    s_persist = mode && strcmp(mode, "persist") == 0;
    const char* arm = getenv("KEYWARDEN_FAULT_ARM");
    s_armed = !(arm && strcmp(arm, "manual") == 0);
    s_ready = 1;
}

__attribute__((destructor)) static void report(void)
{
    const char* path = getenv("KEYWARDEN_FAULT_REPORT");
    if (!s_ready || !path || !*path)
        return;
    char line[PATH_MAX + 128];
    const int n = snprintf(line, sizeof line, "calls=%ld injected=%ld first=%s\n", s_calls, s_injected,
                           s_first[0] ? s_first : "-");
    const int fd = real_open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    if (n > 0)
        (void)!real_write(fd, line, (size_t)n);
    real_close(fd);
}

/* The program under test arms counting itself once its preparing steps are done. */
void keywarden_fault_arm(void)
{
    s_armed = 1;
}

static int inFolder(const char* path)
{
    if (!s_ready || !path)
        return 0;
    char absolute[PATH_MAX];
    if (path[0] != '/') {
        if (!getcwd(absolute, sizeof absolute))
            return 0;
        const size_t len = strlen(absolute);
        if (len + 1 + strlen(path) >= sizeof absolute)
            return 0;
        absolute[len] = '/';
        strcpy(absolute + len + 1, path);
        path = absolute;
    }
    return strncmp(path, s_dir, s_dirLen) == 0 && (path[s_dirLen] == '\0' || path[s_dirLen] == '/');
}

static int atInFolder(int dirfd, const char* path)
{
    if (path && path[0] != '/' && dirfd != AT_FDCWD)
        return dirfd >= 0 && dirfd < MAX_FDS && s_fdKind[dirfd] != FD_UNTRACKED;
    return inFolder(path);
}

static const char* fdPath(int fd)
{
    return fd >= 0 && fd < MAX_FDS && s_fdPath[fd] ? s_fdPath[fd] : "?";
}

/* One counted call: 1 when it is to fail (errno is set then). */
static int counted(const char* call, const char* path)
{
    if (!s_armed)
        return 0;
    const char* ignore = getenv("KEYWARDEN_FAULT_IGNORE");
    if (ignore && *ignore && path) {
        const char* slash = strrchr(path, '/');
        if (strcmp(slash ? slash + 1 : path, ignore) == 0)
            return 0;
    }
    ++s_calls;
    const int fail = s_failAt > 0 && (s_calls == s_failAt || (s_persist && s_calls > s_failAt));
    if (!fail)
        return 0;
    if (s_injected++ == 0)
        snprintf(s_first, sizeof s_first, "%s %s", call, path ? path : "?");
    errno = s_errno;
    return 1;
}

static int opensForWriting(int flags)
{
    return (flags & O_ACCMODE) != O_RDONLY || (flags & (O_CREAT | O_TRUNC)) != 0;
}

static void track(int fd, int flags, const char* path)
{
    if (fd < 0 || fd >= MAX_FDS)
        return;
    free(s_fdPath[fd]);
    s_fdPath[fd] = strdup(path ? path : "?");
    if (opensForWriting(flags))
        s_fdKind[fd] = FD_WRITE;
    else if (flags & O_DIRECTORY)
        s_fdKind[fd] = FD_FOLDER;
    else
        s_fdKind[fd] = FD_READ;
}

static int trackedFd(int fd)
{
    return fd >= 0 && fd < MAX_FDS && s_fdKind[fd] != FD_UNTRACKED;
}

static int writableFd(int fd)
{
    return fd >= 0 && fd < MAX_FDS && (s_fdKind[fd] == FD_WRITE || s_fdKind[fd] == FD_FOLDER);
}

static mode_t modeArg(int flags, va_list args)
{
    return (flags & (O_CREAT | __O_TMPFILE)) ? (mode_t)va_arg(args, int) : 0;
}

static int openCommon(int dirfd, const char* path, int flags, mode_t mode, const char* call)
{
    loadReal();
    const int mine = atInFolder(dirfd, path);
    if (mine && opensForWriting(flags) && counted(call, path))
        return -1;
    const int fd = dirfd == AT_FDCWD ? real_open(path, flags, mode) : real_openat(dirfd, path, flags, mode);
    if (mine)
        track(fd, flags, path);
    return fd;
}

int open(const char* path, int flags, ...)
{
    va_list args;
    va_start(args, flags);
    const mode_t mode = modeArg(flags, args);
    va_end(args);
    return openCommon(AT_FDCWD, path, flags, mode, "open");
}

int open64(const char* path, int flags, ...)
{
    va_list args;
    va_start(args, flags);
    const mode_t mode = modeArg(flags, args);
    va_end(args);
    return openCommon(AT_FDCWD, path, flags, mode, "open");
}

int openat(int dirfd, const char* path, int flags, ...)
{
    va_list args;
    va_start(args, flags);
    const mode_t mode = modeArg(flags, args);
    va_end(args);
    return openCommon(dirfd, path, flags, mode, "openat");
}

int openat64(int dirfd, const char* path, int flags, ...)
{
    va_list args;
    va_start(args, flags);
    const mode_t mode = modeArg(flags, args);
    va_end(args);
    return openCommon(dirfd, path, flags, mode, "openat");
}

/* The checked forms that _FORTIFY_SOURCE builds call when the flags are not known at compile time. */
int __open_2(const char* path, int flags)
{
    return openCommon(AT_FDCWD, path, flags, 0, "open");
}

int __open64_2(const char* path, int flags)
{
    return openCommon(AT_FDCWD, path, flags, 0, "open");
}

int __openat_2(int dirfd, const char* path, int flags)
{
    return openCommon(dirfd, path, flags, 0, "openat");
}

int __openat64_2(int dirfd, const char* path, int flags)
{
    return openCommon(dirfd, path, flags, 0, "openat");
}

int creat(const char* path, mode_t mode)
{
    return openCommon(AT_FDCWD, path, O_WRONLY | O_CREAT | O_TRUNC, mode, "creat");
}

int creat64(const char* path, mode_t mode)
{
    return openCommon(AT_FDCWD, path, O_WRONLY | O_CREAT | O_TRUNC, mode, "creat");
}

ssize_t write(int fd, const void* buf, size_t count)
{
    loadReal();
    if (trackedFd(fd) && counted("write", fdPath(fd)))
        return -1;
    return real_write(fd, buf, count);
}

ssize_t pwrite(int fd, const void* buf, size_t count, off_t offset)
{
    loadReal();
    if (trackedFd(fd) && counted("pwrite", fdPath(fd)))
        return -1;
    return real_pwrite(fd, buf, count, offset);
}

ssize_t pwrite64(int fd, const void* buf, size_t count, off64_t offset)
{
    loadReal();
    if (trackedFd(fd) && counted("pwrite", fdPath(fd)))
        return -1;
    return real_pwrite64(fd, buf, count, offset);
}

ssize_t writev(int fd, const struct iovec* iov, int count)
{
    loadReal();
    if (trackedFd(fd) && counted("writev", fdPath(fd)))
        return -1;
    return real_writev(fd, iov, count);
}

int fsync(int fd)
{
    loadReal();
    if (trackedFd(fd) && counted("fsync", fdPath(fd)))
        return -1;
    return real_fsync(fd);
}

int fdatasync(int fd)
{
    loadReal();
    if (trackedFd(fd) && counted("fdatasync", fdPath(fd)))
        return -1;
    return real_fdatasync(fd);
}

int ftruncate(int fd, off_t length)
{
    loadReal();
    if (trackedFd(fd) && counted("ftruncate", fdPath(fd)))
        return -1;
    return real_ftruncate(fd, length);
}

int ftruncate64(int fd, off64_t length)
{
    loadReal();
    if (trackedFd(fd) && counted("ftruncate", fdPath(fd)))
        return -1;
    return real_ftruncate64(fd, length);
}

int fallocate(int fd, int mode, off_t offset, off_t length)
{
    loadReal();
    if (trackedFd(fd) && counted("fallocate", fdPath(fd)))
        return -1;
    return real_fallocate(fd, mode, offset, length);
}

int fchmod(int fd, mode_t mode)
{
    loadReal();
    if (trackedFd(fd) && counted("fchmod", fdPath(fd)))
        return -1;
    return real_fchmod(fd, mode);
}

int close(int fd)
{
    loadReal();
    const int check = writableFd(fd);
    char path[PATH_MAX];
    snprintf(path, sizeof path, "%s", fdPath(fd));
    if (fd >= 0 && fd < MAX_FDS) {
        s_fdKind[fd] = FD_UNTRACKED;
        free(s_fdPath[fd]);
        s_fdPath[fd] = NULL;
    }
    /* The descriptor is released either way, as a failing close on Linux releases it too. */
    const int r = real_close(fd);
    if (check && counted("close", path))
        return -1;
    return r;
}

int rename(const char* from, const char* to)
{
    loadReal();
    if ((inFolder(from) || inFolder(to)) && counted("rename", to))
        return -1;
    return real_rename(from, to);
}

int renameat(int fromfd, const char* from, int tofd, const char* to)
{
    loadReal();
    if ((atInFolder(fromfd, from) || atInFolder(tofd, to)) && counted("renameat", to))
        return -1;
    return real_renameat(fromfd, from, tofd, to);
}

int renameat2(int fromfd, const char* from, int tofd, const char* to, unsigned int flags)
{
    loadReal();
    if ((atInFolder(fromfd, from) || atInFolder(tofd, to)) && counted("renameat2", to))
        return -1;
    return real_renameat2(fromfd, from, tofd, to, flags);
}

int link(const char* from, const char* to)
{
    loadReal();
    if ((inFolder(from) || inFolder(to)) && counted("link", to))
        return -1;
    return real_link(from, to);
}

int linkat(int fromfd, const char* from, int tofd, const char* to, int flags)
{
    loadReal();
    if ((atInFolder(fromfd, from) || atInFolder(tofd, to)) && counted("linkat", to))
        return -1;
    return real_linkat(fromfd, from, tofd, to, flags);
}

int unlink(const char* path)
{
    loadReal();
    if (inFolder(path) && counted("unlink", path))
        return -1;
    return real_unlink(path);
}

int unlinkat(int dirfd, const char* path, int flags)
{
    loadReal();
    if (atInFolder(dirfd, path) && counted("unlinkat", path))
        return -1;
    return real_unlinkat(dirfd, path, flags);
}

int chmod(const char* path, mode_t mode)
{
    loadReal();
    if (inFolder(path) && counted("chmod", path))
        return -1;
    return real_chmod(path, mode);
}

int fchmodat(int dirfd, const char* path, mode_t mode, int flags)
{
    loadReal();
    if (atInFolder(dirfd, path) && counted("fchmodat", path))
        return -1;
    return real_fchmodat(dirfd, path, mode, flags);
}

int truncate(const char* path, off_t length)
{
    loadReal();
    if (inFolder(path) && counted("truncate", path))
        return -1;
    return real_truncate(path, length);
}

int symlink(const char* target, const char* path)
{
    loadReal();
    if (inFolder(path) && counted("symlink", path))
        return -1;
    return real_symlink(target, path);
}

int mkdir(const char* path, mode_t mode)
{
    loadReal();
    if (inFolder(path) && counted("mkdir", path))
        return -1;
    return real_mkdir(path, mode);
}
