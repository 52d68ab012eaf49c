#include "base/fileIo.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/random.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>
#include <utility>
#include <vector>

#include "base/cp932.h"
#include "base/phaseTimes.h"

namespace kelvra {
namespace {

long long gFaultAfter = -1;
std::size_t gUnsizedLimit = 0;
int gFifoWaitMs = 0;

std::size_t unsizedLimit() { return gUnsizedLimit ? gUnsizedLimit : kUnsizedReadLimit; }
int fifoWaitMs() { return gFifoWaitMs ? gFifoWaitMs : kFifoWaitMilliseconds; }

// The file system of anonymous pipes (a shell's "|", process substitution).
constexpr long kPipeFsMagic = 0x50495045;

using Clock = std::chrono::steady_clock;

bool pastDeadline(Clock::time_point deadline) { return Clock::now() >= deadline; }

Clock::time_point fifoDeadline() { return Clock::now() + std::chrono::milliseconds(fifoWaitMs()); }

// A FIFO with a name in the file system, opened without blocking: the one kind
// of input whose writer may never come. Anonymous pipes have theirs already.
bool isNamedFifo(int fd, const struct stat& st) {
    if (!S_ISFIFO(st.st_mode) || !(fcntl(fd, F_GETFL) & O_NONBLOCK)) return false;
    struct statfs fs;
    return fstatfs(fd, &fs) != 0 || fs.f_type != kPipeFsMagic;
}

void setBlocking(int fd) {
    int flags = fcntl(fd, F_GETFL);
    if (flags >= 0 && (flags & O_NONBLOCK)) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
}

// Mode a newly created file gets from open(2): 0666 less the umask. The umask
// can only be read by setting it; the program has one thread.
mode_t newFileMode() {
    mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

// What a dangling symbolic link finally names: the path to create. Every link
// of the chain is followed by its text, relative ones from their own folder.
std::string danglingLinkTarget(std::string path) {
    for (int hop = 0; hop < 40; ++hop) {
        struct stat st;
        if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
        char text[PATH_MAX];
        ssize_t n = readlink(path.c_str(), text, sizeof text - 1);
        if (n <= 0) return path;
        std::string next(text, std::size_t(n));
        if (next[0] != '/') {
            std::string folder = folderOf(path);
            if (!folder.empty()) next = (folder == "/" ? "/" : folder + "/") + next;
        }
        path = next;
    }
    return path;
}

bool writeAll(int fd, const char* p, std::size_t length) {
    while (length > 0) {
        ssize_t n = ::write(fd, p, std::min<std::size_t>(length, SSIZE_MAX));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = EIO;
            return false;
        }
        p += n;
        length -= std::size_t(n);
    }
    return true;
}

}  // namespace

// ---- reading ----------------------------------------------------------------------

FileBytes::~FileBytes() { std::free(bytes_); }

FileBytes::FileBytes(FileBytes&& other) noexcept
    : bytes_(std::exchange(other.bytes_, nullptr)), size_(std::exchange(other.size_, 0)) {}

FileBytes& FileBytes::operator=(FileBytes&& other) noexcept {
    if (this != &other) {
        std::free(bytes_);
        bytes_ = std::exchange(other.bytes_, nullptr);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}

bool FileBytes::assign(std::string_view text) {
    char* block = static_cast<char*>(std::malloc(text.size() + 1));
    if (!block) return false;
    if (!text.empty()) std::memcpy(block, text.data(), text.size());
    std::free(bytes_);
    bytes_ = block;
    size_ = text.size();
    return true;
}

void adviseHugePages(void* block, std::size_t bytes) {
    constexpr std::uintptr_t kHuge = std::uintptr_t(2) << 20;
    if (!block || bytes < 2 * kHuge) return;
    std::uintptr_t first = (reinterpret_cast<std::uintptr_t>(block) + kHuge - 1) & ~(kHuge - 1);
    std::uintptr_t last = (reinterpret_cast<std::uintptr_t>(block) + bytes) & ~(kHuge - 1);
    if (last > first) ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}

void dropPages(void* block, std::size_t bytes) {
    const std::uintptr_t page = std::uintptr_t(sysconf(_SC_PAGESIZE));
    if (!block || page == 0) return;
    std::uintptr_t first = (reinterpret_cast<std::uintptr_t>(block) + page - 1) & ~(page - 1);
    std::uintptr_t last = (reinterpret_cast<std::uintptr_t>(block) + bytes) & ~(page - 1);
    if (last > first) ::madvise(reinterpret_cast<void*>(first), last - first, MADV_DONTNEED);
}

int openForReading(const std::string& path) {
    if (hasControlCharacter(path)) {
        errno = kErrorControlCharacterInName;
        return -1;
    }
    // Without O_NONBLOCK, opening a FIFO would wait for a writer without end;
    // readAll does the waiting, with a limit.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return -1;
    struct stat st;
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        errno = EISDIR;
        return -1;
    }
    if (!S_ISFIFO(st.st_mode)) setBlocking(fd);
    return fd;
}

FileRead readAll(int fd) {
    FileRead out;
    auto failed = [&](ReadResult result, int error) {
        out.result = result;
        out.error = error;
        std::free(out.bytes.bytes_);
        out.bytes.bytes_ = nullptr;
        out.bytes.size_ = 0;
        errno = error;
        return std::move(out);
    };
    struct stat st;
    bool known = ::fstat(fd, &st) == 0;
    std::size_t capacity = 1 << 16;
    std::size_t limit = unsizedLimit();
    if (known && S_ISREG(st.st_mode) && st.st_size > 0) {
        if (std::uintmax_t(st.st_size) >= SIZE_MAX / 4) return failed(ReadResult::NoMemory, EFBIG);
        capacity = std::size_t(st.st_size) + 1;   // +1: the end shows as a short read
        limit = std::max(limit, capacity);
    }
    capacity = std::min(capacity, limit + 1);
    char* block = static_cast<char*>(std::malloc(capacity));
    if (!block) return failed(ReadResult::NoMemory, ENOMEM);
    out.bytes.bytes_ = block;
    adviseHugePages(block, capacity);

    // A named FIFO counts as written to once a writer is seen: data, a writer
    // that holds it open without data yet (EAGAIN), or one that came and went.
    bool writerSeen = !(known && isNamedFifo(fd, st));
    const Clock::time_point deadline = writerSeen ? Clock::time_point() : fifoDeadline();
    std::size_t used = 0;
    for (;;) {
        if (used == capacity) {
            if (capacity > limit) return failed(ReadResult::NoMemory, EFBIG);
            std::size_t grown = capacity > limit / 2 ? limit + 1 : capacity * 2;
            char* bigger = static_cast<char*>(std::realloc(out.bytes.bytes_, grown));
            if (!bigger) return failed(ReadResult::NoMemory, ENOMEM);
            out.bytes.bytes_ = bigger;
            capacity = grown;
        }
        ssize_t got = ::read(fd, out.bytes.bytes_ + used, capacity - used);
        if (got > 0) {
            used += std::size_t(got);
            writerSeen = true;
            continue;
        }
        if (got < 0 && errno == EINTR) continue;
        if (got < 0 && errno == EAGAIN) {
            writerSeen = true;
            pollfd p{fd, POLLIN, 0};
            ::poll(&p, 1, -1);
            continue;
        }
        if (got < 0) return failed(ReadResult::CannotOpen, errno);
        if (writerSeen) break;
        if (pastDeadline(deadline)) return failed(ReadResult::CannotOpen, kErrorNoWriter);
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 100) > 0 && (p.revents & POLLHUP)) writerSeen = true;
    }
    out.bytes.size_ = used;
    out.result = ReadResult::Ok;
    return out;
}

FileRead readWholeFile(const std::string& path) {
    int fd = openForReading(path);
    if (fd < 0) {
        FileRead out;
        out.error = errno;
        return out;
    }
    FileRead out = readAll(fd);
    ::close(fd);
    return out;
}

std::string systemReason(int error) {
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%g", fifoWaitMs() / 1000.0);
    const std::string waited = seconds + std::string(" 秒待っても、");
    switch (error) {
        case 0: return {};
        case kErrorControlCharacterInName: return utf8ToCp932("ﾌｧｲﾙ名に制御文字 (NUL、改行など) があります");
        case kErrorNoWriter: return utf8ToCp932(waited + "書き込むﾌﾟﾛｸﾞﾗﾑが開きませんでした");
        case kErrorNoReader: return utf8ToCp932(waited + "読み込むﾌﾟﾛｸﾞﾗﾑが開きませんでした");
        case kErrorTargetBusy: return utf8ToCp932("ほかのﾌﾟﾛｸﾞﾗﾑがこのﾌｧｲﾙに書き込み中です");
        case kErrorNoData: return utf8ToCp932(kNoGraphDataText);
        default: return utf8ToCp932(std::strerror(error));
    }
}

bool hasControlCharacter(std::string_view name) {
    for (unsigned char c : name)
        if (c < 0x20 || c == 0x7F) return true;
    // U+0080..U+009F in UTF-8; in CP932 these bytes are parts of other characters.
    if (name.find('\xC2') == std::string_view::npos || !isValidUtf8(name)) return false;
    for (std::size_t i = name.find('\xC2'); i != std::string_view::npos; i = name.find('\xC2', i + 1))
        if (i + 1 < name.size() && (unsigned char)name[i + 1] <= 0x9F) return true;
    return false;
}

bool isBusyOrLocked(int error) {
    return error == EBUSY || error == ETXTBSY || error == EAGAIN || error == EWOULDBLOCK || error == EDEADLK ||
           error == ENOLCK;
}

// ---- names --------------------------------------------------------------------------

std::string folderOf(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return "";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string fileNameOf(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string fileTitleOf(const std::string& path) {
    std::string name = fileNameOf(path);
    // A control character would end or break the message line; a NUL would
    // cut the rest of the message off.
    for (char& c : name)
        if ((unsigned char)c < 0x20 || c == 0x7F) c = '?';
    return isValidUtf8(name) ? utf8ToCp932(name) : name;
}

// ---- writing ------------------------------------------------------------------------

namespace {

int gLockWaitMs = 0;
int lockWaitMs() { return gLockWaitMs ? gLockWaitMs : kLockWaitMilliseconds; }

// Every file a save makes beside its target begins with ".NAME" and this
// mark (NAME cut to 200 bytes: a name near the file system's limit of 255
// still needs one that fits).
constexpr char kTempMark[] = ".kelvra-";
constexpr char kRecoveryMark[] = ".kelvra-recovery";

std::string inFolder(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    return (folder == "/" ? "/" : folder + "/") + name;
}

std::string tempPrefix(const std::string& target) { return "." + fileNameOf(target).substr(0, 200) + kTempMark; }

std::string temporaryFolder() {
    const char* folder = std::getenv("TMPDIR");
    return folder && *folder == '/' ? folder : "/tmp";
}

// Where an in-place save keeps the old content: beside the target, or in the
// temporary folder under a name that no other target's copy can have.
std::string recoveryBeside(const std::string& target) { return target + kRecoveryMark; }
std::string recoveryInTemp(const std::string& target, const struct stat& st) {
    return inFolder(temporaryFolder(), fileNameOf(target).substr(0, 180) + "." + std::to_string(st.st_dev) + "-" +
                                           std::to_string(st.st_ino) + kRecoveryMark);
}

// Takes the exclusive lock on fd, waiting up to `milliseconds` for another
// holder to let go.
bool lockWithin(int fd, int milliseconds) {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if ((errno != EWOULDBLOCK && errno != EINTR) || pastDeadline(deadline)) return false;
        ::poll(nullptr, 0, 20);
    }
    return true;
}

// Removes `path` when it is a file of this user's that no save holds locked:
// what a save that was killed left. A save locks its files before anything
// is written to them.
void removeIfLeftOver(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return;
    struct stat st, again;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
        ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::lstat(path.c_str(), &again) == 0 && again.st_ino == st.st_ino &&
        again.st_dev == st.st_dev)
        ::unlink(path.c_str());
    ::close(fd);
}

// Removes the leftovers of earlier saves of `target` from `folder`: its
// temporaries (prefix) and its recovery copy (`recovery`, a whole name).
void removeLeftovers(const std::string& folder, const std::string& prefix, const std::string& recovery) {
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) return;
    std::vector<std::string> found;
    while (const dirent* entry = ::readdir(dir)) {
        std::string_view name = entry->d_name;
        if (name.starts_with(prefix) || name == recovery) found.push_back(inFolder(folder, std::string(name)));
    }
    ::closedir(dir);
    for (const std::string& path : found) removeIfLeftOver(path);
}

// Those of `target` beside it and, for an in-place save (st given), its
// recovery copy in the temporary folder.
void removeLeftoversOf(const std::string& target, const struct stat* st) {
    removeLeftovers(folderOf(target), tempPrefix(target), fileNameOf(recoveryBeside(target)));
    if (!st) return;
    const std::string copy = recoveryInTemp(target, *st);
    removeLeftovers(folderOf(copy), tempPrefix(copy), fileNameOf(copy));
}

// A new file in the folder of `target`, locked: unnamed (O_TMPFILE) where the
// file system allows it, else named (*named) with the target's temporary
// prefix. -1, errno set, when no file can be made there.
int createNewFile(const std::string& target, std::string* named) {
    named->clear();
    const std::string folder = folderOf(target);
    static const bool procFds = ::access("/proc/self/fd", X_OK) == 0;   // what linkat gives the name through
    if (procFds) {
        int fd = ::open(folder.empty() ? "." : folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
        if (fd >= 0) {
            ::flock(fd, LOCK_EX);
            return fd;
        }
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = inFolder(folder, tempPrefix(target) + "XXXXXX");
        int fd = ::mkostemp(name.data(), O_CLOEXEC);
        if (fd < 0) return -1;
        // Another save may take it for a leftover in the moment before the
        // lock: it holds the lock only while it removes the file, which is
        // then made again.
        struct stat mine, there;
        if (::flock(fd, LOCK_EX) == 0 && ::fstat(fd, &mine) == 0 && ::lstat(name.c_str(), &there) == 0 &&
            mine.st_ino == there.st_ino && mine.st_dev == there.st_dev) {
            *named = name;
            return fd;
        }
        ::close(fd);
    }
    errno = EEXIST;
    return -1;
}

// Gives the new file fd the name `target`, replacing what is there. An
// unnamed file gets a temporary name first: linkat cannot replace a file.
bool publishNewFile(int fd, std::string* named, const std::string& target) {
    for (int attempt = 0; named->empty(); ++attempt) {
        unsigned random = 0;
        if (::getrandom(&random, sizeof random, GRND_NONBLOCK) != sizeof random)
            random = unsigned(Clock::now().time_since_epoch().count()) ^ unsigned(::getpid()) * 2654435761u;
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "%06x", random & 0xFFFFFF);
        std::string name = inFolder(folderOf(target), tempPrefix(target) + suffix);
        char self[64];
        std::snprintf(self, sizeof self, "/proc/self/fd/%d", fd);
        if (::linkat(AT_FDCWD, self, AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) *named = name;
        else if (errno != EEXIST || attempt == 100) return false;
    }
    if (std::rename(named->c_str(), target.c_str()) != 0) return false;
    named->clear();
    return true;
}

bool pwriteAll(int fd, const char* p, std::size_t length, off_t at) {
    while (length > 0) {
        ssize_t n = ::pwrite(fd, p, std::min<std::size_t>(length, SSIZE_MAX), at);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = EIO;
            return false;
        }
        p += n;
        at += n;
        length -= std::size_t(n);
    }
    return true;
}

// Copies the first `size` bytes of one file to another. Only system calls
// and the stack: the guardian process runs it after fork.
bool copyFileStart(int from, int to, off_t size) {
    char block[1 << 16];
    for (off_t at = 0; at < size;) {
        ssize_t n = ::pread(from, block, std::size_t(std::min<off_t>(size - at, off_t(sizeof block))), at);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = EIO;
            return false;
        }
        if (!pwriteAll(to, block, std::size_t(n), at)) return false;
        at += n;
    }
    return true;
}

// What an in-place save keeps until it is over: the old content, and the
// guardian process that puts it back if this process ends first.
struct Recovery {
    off_t oldSize = 0;
    int copy = -1;           // the recovery copy, open ("" path and -1 for an empty old file)
    std::string path;
    pid_t guardian = -1;
    int guardianLink = -1;   // our end of a socket pair: a byte on it says the save is over
};

// The old content is put back: the copy's bytes over the new ones, then the old size.
bool restoreOldContent(int target, int copy, off_t oldSize, bool sync) {
    if (copy >= 0 && !copyFileStart(copy, target, oldSize)) return false;
    return ::ftruncate(target, oldSize) == 0 && (!sync || ::fsync(target) == 0);
}

// Copies the old content of the target (open as fd) to its recovery copy,
// beside it or else in the temporary folder. False, errno set, when neither
// takes it: then the save must not go on.
bool keepOldContent(int fd, const std::string& target, const struct stat& st, bool sync, Recovery* keep) {
    keep->oldSize = st.st_size;
    if (st.st_size == 0) return true;
    int error = 0;
    for (const std::string& path : {recoveryBeside(target), recoveryInTemp(target, st)}) {
        std::string named;
        int copy = createNewFile(path, &named);
        bool made = copy >= 0 && ::fchmod(copy, 0600) == 0 && copyFileStart(fd, copy, st.st_size) &&
                    (!sync || ::fsync(copy) == 0) && publishNewFile(copy, &named, path);
        if (made) {
            keep->copy = copy;
            keep->path = path;
            return true;
        }
        if (!error) error = errno;
        if (copy >= 0) ::close(copy);
        if (!named.empty()) ::unlink(named.c_str());
    }
    errno = error;
    return false;
}

// The guardian: a process of its own session (a signal to this one's group
// does not reach it) that holds the target open, and so its lock, until it
// hears that the save is over. If this process ends first, it puts the old
// content back and removes the copy. Only system calls after fork.
void startGuardian(int target, Recovery* keep, bool sync) {
    int link[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, link) != 0) return;
    const char* copyPath = keep->path.c_str();
    pid_t pid = ::fork();
    if (pid == 0) {
        ::close(link[0]);
        ::setsid();
        struct sigaction ignore = {};
        ignore.sa_handler = SIG_IGN;
        for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE, SIGTSTP, SIGTTIN, SIGTTOU})
            ::sigaction(sig, &ignore, nullptr);
        char over = 0;
        ssize_t n;
        while ((n = ::read(link[1], &over, 1)) < 0 && errno == EINTR) {}
        if (n != 1 && restoreOldContent(target, keep->copy, keep->oldSize, sync) && keep->copy >= 0)
            ::unlink(copyPath);
        ::_exit(0);
    }
    ::close(link[1]);
    if (pid < 0) {
        ::close(link[0]);
        return;
    }
    keep->guardian = pid;
    keep->guardianLink = link[0];
}

// The save is over: the guardian is told and waited for, and the copy goes
// (unless putting it back failed: then it is all that holds the old content).
void endRecovery(Recovery* keep, bool removeCopy) {
    if (keep->guardian > 0) {
        char over = 1;
        while (::send(keep->guardianLink, &over, 1, MSG_NOSIGNAL) < 0 && errno == EINTR) {}
        ::close(keep->guardianLink);
        while (::waitpid(keep->guardian, nullptr, 0) < 0 && errno == EINTR) {}
    }
    if (keep->copy >= 0) {
        if (removeCopy) ::unlink(keep->path.c_str());
        ::close(keep->copy);
    }
    *keep = Recovery();
}

}  // namespace

SafeFileWriter::SafeFileWriter(const std::string& path, bool syncToDisk) : sync_(syncToDisk) {
    if (path.empty()) {
        fail(ENOENT);
        return;
    }
    if (hasControlCharacter(path)) {
        fail(kErrorControlCharacterInName);
        return;
    }
    const std::string name = fileNameOf(path);
    if (name.empty() || name == "." || name == "..") {   // names a folder, whether there is one or not
        fail(EISDIR);
        return;
    }
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) {
        if (errno != ENOENT) {   // a loop of links, a file used as a folder, no access
            fail(errno);
            return;
        }
        target_ = danglingLinkTarget(path);
    } else if (S_ISDIR(st.st_mode)) {
        fail(EISDIR);
        return;
    } else if (!S_ISREG(st.st_mode)) {
        // Devices and FIFOs, and the links that name them, are written through.
        // A FIFO no program reads from is waited for, like one no program writes to.
        if (S_ISSOCK(st.st_mode)) {
            fail(ENXIO);
            return;
        }
        mode_ = Mode::Through;
        target_ = path;
        const Clock::time_point deadline = fifoDeadline();
        while ((fd_ = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK)) < 0) {
            if (errno != ENXIO || !S_ISFIFO(st.st_mode)) {
                fail(errno);
                return;
            }
            if (pastDeadline(deadline)) {
                fail(kErrorNoReader);
                return;
            }
            ::poll(nullptr, 0, 100);
        }
        setBlocking(fd_);
        return;
    } else {
        // A regular file, perhaps through links: the file they finally name.
        char* real = ::realpath(path.c_str(), nullptr);
        struct stat again;
        bool same = real && ::stat(real, &again) == 0 && again.st_dev == st.st_dev && again.st_ino == st.st_ino;
        target_ = same ? real : path;
        std::free(real);
        if (::faccessat(AT_FDCWD, target_.c_str(), W_OK, AT_EACCESS) != 0) {
            fail(errno);
            return;
        }
        if (st.st_nlink > 1 || !same) {
            beginInPlace();
            return;
        }
    }

    bool existing = ::lstat(target_.c_str(), &st) == 0 && S_ISREG(st.st_mode);
    removeLeftoversOf(target_, nullptr);
    fd_ = createNewFile(target_, &temp_);
    if (fd_ < 0) {
        // No room for a file beside the target: the target itself is written.
        if (existing) beginInPlace();
        else fail(errno);
        return;
    }
    if (!existing) {
        ::fchmod(fd_, newFileMode());
        return;
    }
    // The new file takes the old one's owner, group and mode; where this
    // process may not give them, the old file is written in place instead.
    if (::fchown(fd_, st.st_uid, st.st_gid) != 0 ||
        ::fchmod(fd_, st.st_mode & 07777 & ~mode_t(S_ISUID | S_ISGID)) != 0) {
        discard();
        beginInPlace();
    }
}

// The target is opened for reading too, for its recovery copy (a file this
// process may write but not read is written without one), and locked.
bool SafeFileWriter::beginInPlace() {
    mode_ = Mode::InPlace;
    fd_ = ::open(target_.c_str(), O_RDWR | O_CLOEXEC);
    if (fd_ < 0 && errno == EACCES) {
        readable_ = false;
        fd_ = ::open(target_.c_str(), O_WRONLY | O_CLOEXEC);
    }
    if (fd_ < 0) return fail(errno);
    if (!lockWithin(fd_, lockWaitMs())) return fail(kErrorTargetBusy);
    struct stat st;
    if (::fstat(fd_, &st) == 0) removeLeftoversOf(target_, &st);
    return true;
}

SafeFileWriter::~SafeFileWriter() {
    if (!committed_) discard();
}

bool SafeFileWriter::fail(int error) {
    if (error_ == 0) error_ = error ? error : EIO;
    discard();
    errno = error_;
    return false;
}

void SafeFileWriter::discard() {
    int saved = errno;
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!temp_.empty()) ::unlink(temp_.c_str());
    temp_.clear();
    pending_.clear();
    pending_.shrink_to_fit();
    errno = saved;
}

bool SafeFileWriter::write(std::string_view bytes) {
    if (!ok()) {
        errno = error_;
        return false;
    }
    std::size_t length = bytes.size();
    bool fault = false;
    if (gFaultAfter >= 0 && written_ + length > (unsigned long long)gFaultAfter) {
        length = std::size_t((unsigned long long)gFaultAfter - std::min<unsigned long long>(written_, gFaultAfter));
        fault = true;
    }
    if (mode_ == Mode::InPlace) {
        // Nothing reaches the target before commit, a fault included.
        if (fault) return fail(ENOSPC);
        try {
            pending_.append(bytes);
        } catch (const std::bad_alloc&) {
            return fail(ENOMEM);
        } catch (const std::length_error&) {
            return fail(ENOMEM);
        }
        written_ += length;
        return true;
    }
    if (!writeAll(fd_, bytes.data(), length)) return fail(errno);
    written_ += length;
    if (fault) return fail(ENOSPC);
    return true;
}

bool SafeFileWriter::commitInPlace() {
    const std::size_t size = pending_.size();
    struct stat st;
    if (::fstat(fd_, &st) != 0) return fail(errno);
    Recovery keep;
    if (readable_) {
        if (!keepOldContent(fd_, target_, st, sync_, &keep)) return fail(errno);
        startGuardian(fd_, &keep, sync_);
    }
    // From here on a failure puts the old content back.
    auto undo = [&](int error) {
        endRecovery(&keep, !readable_ || restoreOldContent(fd_, keep.copy, keep.oldSize, sync_));
        return fail(error);
    };
    // The room is claimed first where the file system can: a full disk then
    // fails before any old byte is overwritten.
    if (size > 0 && ::fallocate(fd_, FALLOC_FL_KEEP_SIZE, 0, off_t(size)) != 0 && errno != EOPNOTSUPP &&
        errno != ENOSYS)
        return undo(errno);
    if (!pwriteAll(fd_, pending_.data(), size, 0)) return undo(errno);
    if (::ftruncate(fd_, off_t(size)) != 0) return undo(errno);
    if (sync_ && ::fsync(fd_) != 0) return undo(errno);
    endRecovery(&keep, true);
    return true;
}

bool SafeFileWriter::commit() {
    if (!ok()) {
        errno = error_;
        return false;
    }
    if (mode_ == Mode::InPlace && !commitInPlace()) return false;
    if (mode_ == Mode::Replace && sync_ && ::fsync(fd_) != 0) return fail(errno);
    // The new file stays open, and so locked, until it has the target's name.
    if (mode_ == Mode::Replace && !publishNewFile(fd_, &temp_, target_)) return fail(errno);
    int closed = ::close(fd_);
    fd_ = -1;
    if (closed != 0) return fail(errno);
    temp_.clear();
    pending_.clear();
    committed_ = true;
    return true;
}

bool writeFileSafely(const std::string& path, std::string_view bytes) {
    PhaseScope phase(Phase::Write);
    SafeFileWriter out(path);
    return out.write(bytes) && out.commit();
}

void setSafeWriteFaultAfter(long long bytes) { gFaultAfter = bytes; }
void setUnsizedReadLimit(std::size_t bytes) { gUnsizedLimit = bytes; }
void setFifoWaitMilliseconds(int milliseconds) { gFifoWaitMs = milliseconds; }
void setLockWaitMilliseconds(int milliseconds) { gLockWaitMs = milliseconds; }

}  // namespace kelvra
