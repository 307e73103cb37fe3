/* Faults in the file system calls of a process, for tests of saving: preloaded into
 * inkleaf-tool (LD_PRELOAD), it counts the calls that change files -- writes to regular files,
 * file and folder syncs, links and renames -- and at the one INKLEAF_FAULT names acts as the machine
 * would at its worst:
 *
 *   INKLEAF_FAULT=kill:N     the process is killed (SIGKILL) just before the Nth call, as by a
 *                            crash or a power loss at that moment
 *   INKLEAF_FAULT=nospace:N  the Nth write to a regular file and every one after fail with
 *                            ENOSPC, as on a disk that has just filled up
 */
#include <dlfcn.h>
#include <fcntl.h>
#include <errno.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

enum Fault { kNone, kKill, kNoSpace };

long g_calls = 0;

Fault Wanted(long* at)
{
    const char* fault = getenv("INKLEAF_FAULT");
    if (!fault)
        return kNone;
    if (strncmp(fault, "kill:", 5) == 0) {
        *at = atol(fault + 5);
        return kKill;
    }
    if (strncmp(fault, "nospace:", 8) == 0) {
        *at = atol(fault + 8);
        return kNoSpace;
    }
    return kNone;
}

// Counts one call; kills the process at the chosen one. True when the call is to fail for
// want of space.
int Count(int isWrite)
{
    long at = 0;
    const Fault fault = Wanted(&at);
    if (fault == kNone)
        return 0;
    ++g_calls;
    if (fault == kKill && g_calls == at)
        kill(getpid(), SIGKILL);
    return fault == kNoSpace && isWrite && g_calls >= at;
}

int IsRegularFile(int fd)
{
    struct stat st;
    return fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
}

template <typename F>
F Next(F, const char* name)
{
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

#define NEXT(name) Next(&::name, #name)

}  // namespace

extern "C" {

ssize_t write(int fd, const void* buffer, size_t size)
{
    if (IsRegularFile(fd) && Count(1)) {
        errno = ENOSPC;
        return -1;
    }
    return NEXT(write)(fd, buffer, size);
}

int fsync(int fd)
{
    Count(0);
    return NEXT(fsync)(fd);
}

int fdatasync(int fd)
{
    Count(0);
    return NEXT(fdatasync)(fd);
}

int rename(const char* from, const char* to)
{
    Count(0);
    return NEXT(rename)(from, to);
}

int renameat(int fromDir, const char* from, int toDir, const char* to)
{
    Count(0);
    return NEXT(renameat)(fromDir, from, toDir, to);
}

int renameat2(int fromDir, const char* from, int toDir, const char* to, unsigned int flags)
{
    Count(0);
    return NEXT(renameat2)(fromDir, from, toDir, to, flags);
}

int linkat(int fromDir, const char* from, int toDir, const char* to, int flags)
{
    Count(0);
    return NEXT(linkat)(fromDir, from, toDir, to, flags);
}

}  // extern "C"
