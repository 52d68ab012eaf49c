/* Preloaded into kelvra-render by the save tests (LD_PRELOAD), to meet a save
 * with what a machine does to it, without privileges:
 *
 *   KELVRA_SHIM_FULL=FOLDER/   fallocate fails with EOPNOTSUPP (as on ext2/3
 *                              or NFSv3), and the disk under FOLDER is full:
 *                              a write may overwrite a file's bytes but not
 *                              grow it (a short write, then ENOSPC);
 *   KELVRA_SHIM_KILL=PATH      the process is killed (SIGKILL) right after
 *                              its first write to PATH (not a process it
 *                              forks: that one outlives it);
 *   KELVRA_SHIM_PAUSE=PATH     each write to PATH is followed by a pause of
 *                              KELVRA_SHIM_PAUSE_MS milliseconds;
 *   KELVRA_SHIM_NO_TMPFILE=1   open with O_TMPFILE fails with EOPNOTSUPP, as
 *                              on a file system without unnamed files.
 *
 * A PATH ending in "/" stands for every file in that folder (unnamed ones
 * included). Paths are compared as /proc/self/fd shows them: absolute, links
 * resolved. */
#define _GNU_SOURCE
/* Both names of each call are defined here; the 64-bit one must not be the
 * other's alias. */
#undef _FILE_OFFSET_BITS
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

static pid_t startedAs;
__attribute__((constructor)) static void noteProcess(void) { startedAs = getpid(); }

static int fdMatches(int fd, const char* pattern) {
    if (!pattern || !*pattern) return 0;
    char link[64], path[4096];
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    ssize_t n = readlink(link, path, sizeof path - 1);
    if (n <= 0) return 0;
    path[n] = '\0';
    size_t length = strlen(pattern);
    if (pattern[length - 1] == '/') return strncmp(path, pattern, length) == 0;
    return strcmp(path, pattern) == 0;
}

/* How many of `count` bytes at `offset` (-1: the file position) fit on the full disk. */
static ssize_t roomFor(int fd, size_t count, off_t offset) {
    if (!fdMatches(fd, getenv("KELVRA_SHIM_FULL"))) return (ssize_t)count;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return (ssize_t)count;
    if (offset < 0) offset = (fcntl(fd, F_GETFL) & O_APPEND) ? st.st_size : lseek(fd, 0, SEEK_CUR);
    if (offset >= st.st_size) return count ? -1 : 0;
    return (size_t)(st.st_size - offset) < count ? (ssize_t)(st.st_size - offset) : (ssize_t)count;
}

static void afterWrite(int fd, ssize_t written) {
    if (written <= 0) return;
    if (getpid() == startedAs && fdMatches(fd, getenv("KELVRA_SHIM_KILL"))) raise(SIGKILL);
    if (fdMatches(fd, getenv("KELVRA_SHIM_PAUSE"))) {
        const char* ms = getenv("KELVRA_SHIM_PAUSE_MS");
        long wait = ms ? atol(ms) : 500;
        struct timespec pause = {wait / 1000, (wait % 1000) * 1000000L};
        while (nanosleep(&pause, &pause) != 0 && errno == EINTR) {}
    }
}

#define NEXT(name) ((__typeof__(&name))dlsym(RTLD_NEXT, #name))

ssize_t write(int fd, const void* bytes, size_t count) {
    ssize_t room = roomFor(fd, count, -1);
    if (room < 0) {
        errno = ENOSPC;
        return -1;
    }
    ssize_t n = NEXT(write)(fd, bytes, (size_t)room);
    afterWrite(fd, n);
    return n;
}

static ssize_t pwriteAt(ssize_t (*next)(int, const void*, size_t, off_t), int fd, const void* bytes, size_t count,
                        off_t offset) {
    ssize_t room = roomFor(fd, count, offset);
    if (room < 0) {
        errno = ENOSPC;
        return -1;
    }
    ssize_t n = next(fd, bytes, (size_t)room, offset);
    afterWrite(fd, n);
    return n;
}

ssize_t pwrite(int fd, const void* bytes, size_t count, off_t offset) {
    return pwriteAt(NEXT(pwrite), fd, bytes, count, offset);
}
ssize_t pwrite64(int fd, const void* bytes, size_t count, off_t offset) {
    return pwriteAt(NEXT(pwrite64), fd, bytes, count, offset);
}

static int fallocateAt(int (*next)(int, int, off_t, off_t), int fd, int mode, off_t offset, off_t length) {
    if (getenv("KELVRA_SHIM_FULL")) {
        errno = EOPNOTSUPP;
        return -1;
    }
    return next(fd, mode, offset, length);
}

int fallocate(int fd, int mode, off_t offset, off_t length) {
    return fallocateAt(NEXT(fallocate), fd, mode, offset, length);
}
int fallocate64(int fd, int mode, off_t offset, off_t length) {
    return fallocateAt(NEXT(fallocate64), fd, mode, offset, length);
}

static int refusesTmpfile(int flags) {
    const char* off = getenv("KELVRA_SHIM_NO_TMPFILE");
    return (flags & O_TMPFILE) == O_TMPFILE && off && *off == '1';
}

/* The mode argument is there only when the flags create a file. */
#define MODE_OF(flags)                                                        \
    mode_t mode = 0;                                                          \
    if (((flags) & O_CREAT) || ((flags) & O_TMPFILE) == O_TMPFILE) {          \
        va_list args;                                                         \
        va_start(args, flags);                                                \
        mode = va_arg(args, mode_t);                                          \
        va_end(args);                                                         \
    }                                                                         \
    if (refusesTmpfile(flags)) {                                              \
        errno = EOPNOTSUPP;                                                   \
        return -1;                                                            \
    }

int open(const char* path, int flags, ...) {
    MODE_OF(flags)
    return NEXT(open)(path, flags, mode);
}
int open64(const char* path, int flags, ...) {
    MODE_OF(flags)
    return NEXT(open64)(path, flags, mode);
}
int openat(int dir, const char* path, int flags, ...) {
    MODE_OF(flags)
    return NEXT(openat)(dir, path, flags, mode);
}
