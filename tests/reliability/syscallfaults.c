// Faults injected into real system calls, for the reliability tests: the
// library is loaded with LD_PRELOAD into a process that saves, and the
// engine's own calls fail as a failing disk makes them fail. Each call reads
// the environment afresh, so a process can turn a fault on and off.
//   VEXA_FAIL_DIR_SYNC        fsync and fdatasync of a folder fail (EIO)
//   VEXA_FAIL_JOURNAL_DELETE  the first deletion of a "-journal" file fails
//                             (EIO)
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

// fsync and fdatasync: the real call unless a folder's sync is to fail.
static int folderSync(const char *name, int fd)
{
    struct stat st;
    if (getenv("VEXA_FAIL_DIR_SYNC") && fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        errno = EIO;
        return -1;
    }
    return ((int (*)(int))dlsym(RTLD_NEXT, name))(fd);
}

int fsync(int fd) { return folderSync("fsync", fd); }
int fdatasync(int fd) { return folderSync("fdatasync", fd); }

int unlink(const char *path)
{
    static int failed;
    const size_t length = strlen(path);
    if (!failed && getenv("VEXA_FAIL_JOURNAL_DELETE") && length > 8 && !strcmp(path + length - 8, "-journal")) {
        failed = 1;
        errno = EIO;
        return -1;
    }
    return ((int (*)(const char *))dlsym(RTLD_NEXT, "unlink"))(path);
}
