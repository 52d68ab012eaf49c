#include "core/fileIo.h"
#include "core/phaseTimes.h"

#include "core/cp932.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <stdexcept>
#include <vector>

namespace kelvra {
namespace {

long long gFaultAfter = -1;

// Mode a newly created file gets from open(2): 0666 less the umask. The umask
// can only be read by setting it; the program has one thread.
mode_t newFileMode() {
    mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

// The file a save replaces: the target itself, or the file a symbolic link names.
std::string resolveTarget(const std::string& path) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    char* real = realpath(path.c_str(), nullptr);
    if (!real) return path;   // a dangling link is replaced by the file
    std::string resolved = real;
    std::free(real);
    return resolved;
}

}  // namespace

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

namespace {

// Lead bytes and the right number of continuation bytes; what iconv would
// still reject (overlong forms, surrogates) is left to the conversion.
bool isValidUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        unsigned char c = (unsigned char)s[i];
        int more;
        if (c < 0x80) more = 0;
        else if (c >= 0xC2 && c <= 0xDF) more = 1;
        else if (c >= 0xE0 && c <= 0xEF) more = 2;
        else if (c >= 0xF0 && c <= 0xF4) more = 3;
        else return false;
        if (s.size() - i <= std::size_t(more)) return false;
        for (int k = 1; k <= more; ++k)
            if (((unsigned char)s[i + k] & 0xC0) != 0x80) return false;
        i += std::size_t(more) + 1;
    }
    return true;
}

}  // namespace

std::string fileTitleOf(const std::string& path) {
    std::string name = fileNameOf(path);
    return isValidUtf8(name) ? utf8ToCp932(name) : name;
}

ReadResult readWholeFile(const std::string& path, std::string* bytes) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return ReadResult::CannotOpen;
    ReadResult result = ReadResult::Ok;
    try {
        std::string data;
        struct stat st;
        if (fstat(fileno(f), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0)
            data.reserve(std::size_t(st.st_size));
        std::vector<char> chunk(1 << 16);
        std::size_t n;
        while ((n = std::fread(chunk.data(), 1, chunk.size(), f)) > 0) data.append(chunk.data(), n);
        if (std::ferror(f)) result = ReadResult::CannotOpen;   // a folder opens but cannot be read
        else *bytes = std::move(data);
    } catch (const std::bad_alloc&) {
        result = ReadResult::NoMemory;
    } catch (const std::length_error&) {
        result = ReadResult::NoMemory;
    }
    std::fclose(f);
    return result;
}

SafeFileWriter::SafeFileWriter(const std::string& path, bool syncToDisk)
    : target_(resolveTarget(path)), sync_(syncToDisk) {
    if (target_.empty()) {
        failed_ = true;
        return;
    }
    std::string folder = folderOf(target_);
    // The temporary name adds 8 characters to the target's; a name near the
    // file system's limit still needs a temporary file that fits.
    std::string name = fileNameOf(target_).substr(0, 200);
    temp_ = (folder.empty() ? "" : folder == "/" ? "/" : folder + "/") + "." + name + ".XXXXXX";
    fd_ = mkstemp(temp_.data());
    if (fd_ < 0) {
        failed_ = true;
        temp_.clear();
        return;
    }
    // The replaced file keeps its permissions; a new file gets the usual ones.
    struct stat st;
    mode_t mode = stat(target_.c_str(), &st) == 0 && S_ISREG(st.st_mode) ? (st.st_mode & 07777)
                                                                          : newFileMode();
    fchmod(fd_, mode);
}

SafeFileWriter::~SafeFileWriter() {
    if (!committed_) discard();
}

void SafeFileWriter::discard() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
    if (!temp_.empty()) unlink(temp_.c_str());
    temp_.clear();
    failed_ = true;
}

bool SafeFileWriter::write(std::string_view bytes) {
    if (!ok()) return false;
    std::size_t length = bytes.size();
    bool fault = false;
    if (gFaultAfter >= 0 && written_ + length > (unsigned long long)gFaultAfter) {
        length = std::size_t((unsigned long long)gFaultAfter - std::min<unsigned long long>(written_, gFaultAfter));
        fault = true;
    }
    const char* p = bytes.data();
    while (length > 0) {
        ssize_t n = ::write(fd_, p, length < std::size_t(SSIZE_MAX) ? length : std::size_t(SSIZE_MAX));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            discard();
            return false;
        }
        p += n;
        length -= std::size_t(n);
        written_ += std::size_t(n);
    }
    if (fault) {
        discard();
        return false;
    }
    return true;
}

bool SafeFileWriter::commit() {
    if (!ok()) return false;
    if (sync_ && fsync(fd_) != 0) {
        discard();
        return false;
    }
    int closed = close(fd_);
    fd_ = -1;
    if (closed != 0 || std::rename(temp_.c_str(), target_.c_str()) != 0) {
        discard();
        return false;
    }
    temp_.clear();
    committed_ = true;
    return true;
}

bool writeFileSafely(const std::string& path, std::string_view bytes) {
    PhaseScope phase(Phase::Write);
    SafeFileWriter out(path);
    return out.write(bytes) && out.commit();
}

void setSafeWriteFaultAfter(long long bytes) { gFaultAfter = bytes; }

}  // namespace kelvra
