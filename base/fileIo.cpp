#include "base/fileIo.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/vfs.h>
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

int openForReading(const std::string& path) {
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
        if (pastDeadline(deadline)) return failed(ReadResult::CannotOpen, ETIMEDOUT);
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
    if (error == 0) return {};
    return utf8ToCp932(std::strerror(error));
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
    return isValidUtf8(name) ? utf8ToCp932(name) : name;
}

// ---- writing ------------------------------------------------------------------------

SafeFileWriter::SafeFileWriter(const std::string& path, bool syncToDisk) : sync_(syncToDisk) {
    if (path.empty()) {
        fail(ENOENT);
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
            if (errno != ENXIO || !S_ISFIFO(st.st_mode) || pastDeadline(deadline)) {
                fail(errno);
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
            mode_ = Mode::InPlace;
            fd_ = ::open(target_.c_str(), O_WRONLY | O_CLOEXEC);
            if (fd_ < 0) fail(errno);
            return;
        }
    }

    std::string folder = folderOf(target_);
    // The temporary name adds 8 characters to the target's; a name near the
    // file system's limit still needs a temporary file that fits.
    std::string name = fileNameOf(target_).substr(0, 200);
    temp_ = (folder.empty() ? "" : folder == "/" ? "/" : folder + "/") + "." + name + ".XXXXXX";
    fd_ = mkstemp(temp_.data());
    bool existing = ::lstat(target_.c_str(), &st) == 0 && S_ISREG(st.st_mode);
    if (fd_ < 0) {
        int error = errno;
        temp_.clear();
        if (!existing) {
            fail(error);
            return;
        }
        // No room for a file beside the target: the target itself is written.
        mode_ = Mode::InPlace;
        fd_ = ::open(target_.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd_ < 0) fail(errno);
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
        ::close(fd_);
        ::unlink(temp_.c_str());
        temp_.clear();
        mode_ = Mode::InPlace;
        fd_ = ::open(target_.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd_ < 0) fail(errno);
    }
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
    // Claim the room first: a full disk then fails before any old byte is
    // overwritten. File systems without fallocate go straight on.
    if (size > 0 && ::fallocate(fd_, 0, 0, off_t(size)) != 0 && errno != EOPNOTSUPP && errno != ENOSYS)
        return fail(errno);
    std::size_t done = 0;
    while (done < size) {
        ssize_t n = ::pwrite(fd_, pending_.data() + done, std::min<std::size_t>(size - done, SSIZE_MAX), off_t(done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return fail(n == 0 ? EIO : errno);
        done += std::size_t(n);
    }
    if (::ftruncate(fd_, off_t(size)) != 0) return fail(errno);
    if (sync_ && ::fsync(fd_) != 0) return fail(errno);
    return true;
}

bool SafeFileWriter::commit() {
    if (!ok()) {
        errno = error_;
        return false;
    }
    if (mode_ == Mode::InPlace && !commitInPlace()) return false;
    if (mode_ == Mode::Replace && sync_ && ::fsync(fd_) != 0) return fail(errno);
    int closed = ::close(fd_);
    fd_ = -1;
    if (closed != 0) return fail(errno);
    if (mode_ == Mode::Replace && std::rename(temp_.c_str(), target_.c_str()) != 0) return fail(errno);
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

}  // namespace kelvra
