/* Faults injected into real system calls, for the reliability tests: the
 * library is loaded with LD_PRELOAD into a child process that saves, and
 * the engine's own calls fail as a failing disk makes them fail.
 *   VEXA_FAIL_DIR_SYNC        fsync and fdatasync of a folder fail (EIO)
 *   VEXA_FAIL_JOURNAL_DELETE  the first N deletions of a "-journal" file
 *                             fail (EIO)
 */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

static int isFolder(int fd)
{
    struct stat st;
    return fstat(fd, &st) == 0 && S_ISDIR(st.st_mode);
}

static int failsFolderSync(int fd)
{
    if (getenv("VEXA_FAIL_DIR_SYNC") && isFolder(fd)) {
        errno = EIO;
        return 1;
    }
    return 0;
}

int fsync(int fd)
{
    static int (*real)(int);
    if (failsFolderSync(fd))
        return -1;
    if (!real)
        real = (int (*)(int))dlsym(RTLD_NEXT, "fsync");
    return real(fd);
}

int fdatasync(int fd)
{
    static int (*real)(int);
    if (failsFolderSync(fd))
        return -1;
    if (!real)
        real = (int (*)(int))dlsym(RTLD_NEXT, "fdatasync");
    return real(fd);
}

int unlink(const char *path)
{
    static int (*real)(const char *);
    static int failed;
    const char *times = getenv("VEXA_FAIL_JOURNAL_DELETE");
    const size_t length = strlen(path);
    if (times && length > 8 && strcmp(path + length - 8, "-journal") == 0 && failed < atoi(times)) {
        ++failed;
        errno = EIO;
        return -1;
    }
    if (!real)
        real = (int (*)(const char *))dlsym(RTLD_NEXT, "unlink");
    return real(path);
}
