// Following a rewritten file (see liveFile.h).
#include "base/liveFile.h"

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "base/textInput.h"

namespace kelvra {
namespace {

constexpr std::uint32_t kFolderEvents = IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVED_FROM | IN_DELETE | IN_DELETE_SELF |
                                        IN_MOVE_SELF | IN_ONLYDIR;

long long nanoseconds(const timespec& t) { return (long long)t.tv_sec * 1000000000LL + t.tv_nsec; }

FileStamp stampOfStat(const struct stat& st) {
    return {true, (unsigned long long)st.st_dev, (unsigned long long)st.st_ino, (long long)st.st_size,
            nanoseconds(st.st_mtim), nanoseconds(st.st_ctim)};
}

std::chrono::milliseconds ms(int n) { return std::chrono::milliseconds(n); }

}  // namespace

FileStamp stampOf(const std::string& path) {
    struct stat st;
    if (hasControlCharacter(path) || ::stat(path.c_str(), &st) != 0) return {};
    return stampOfStat(st);
}

std::string clockText(std::time_t when) {
    std::tm local{};
    char text[16] = "--:--:--";
    if (localtime_r(&when, &local)) std::strftime(text, sizeof text, "%H:%M:%S", &local);
    return text;
}

// ---- the watch -------------------------------------------------------------------

FileWatch::~FileWatch() {
    if (fd_ >= 0) ::close(fd_);
}

bool FileWatch::watch(const std::string& path) {
    stop();
    if (hasControlCharacter(path)) {
        errno = kErrorControlCharacterInName;
        return false;
    }
    if (fd_ < 0) fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ < 0) return false;
    std::string folder = folderOf(path);
    watchId_ = inotify_add_watch(fd_, folder.empty() ? "." : folder.c_str(), kFolderEvents);
    name_ = fileNameOf(path);
    return watchId_ >= 0;
}

void FileWatch::stop() {
    if (watchId_ >= 0) inotify_rm_watch(fd_, watchId_);
    watchId_ = -1;
    // Reports of the old watch that still wait would be taken for the new one's.
    take();
}

FileNews FileWatch::take() {
    FileNews news;
    if (fd_ < 0) return news;
    alignas(inotify_event) char buffer[8192];
    for (;;) {
        ssize_t n = ::read(fd_, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        for (char* at = buffer; at < buffer + n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(at);
            at += sizeof(inotify_event) + event->len;
            // Reports were dropped: whatever happened, the file says it now.
            if (event->mask & IN_Q_OVERFLOW) news.lost = true;
            if (event->wd != watchId_ || watchId_ < 0) continue;
            if (event->mask & (IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT)) {
                // A folder renamed away keeps its watch, which no longer
                // follows the path: it is dropped and made again by name.
                if (!(event->mask & IN_IGNORED)) inotify_rm_watch(fd_, watchId_);
                watchId_ = -1;
                news.lost = true;
                continue;
            }
            if (event->len == 0 || name_ != event->name) continue;
            if (event->mask & (IN_CLOSE_WRITE | IN_MOVED_TO)) {
                news.written = true;
                news.gone = false;
            } else if (event->mask & (IN_DELETE | IN_MOVED_FROM)) {
                news.gone = true;
                news.written = false;
            }
        }
    }
    return news;
}

// ---- the followed file -------------------------------------------------------------

bool LiveFile::follow(const std::string& path) {
    stop();
    if (!watch_.watch(path)) return false;
    path_ = path;
    return true;
}

void LiveFile::stop() {
    watch_.stop();
    path_.clear();
    waiting_ = growthWait_ = false;
    rewatchAt_.reset();
}

void LiveFile::startSpell(LiveClock::time_point now, int milliseconds) {
    waiting_ = true;
    growthWait_ = milliseconds == kGrowthMilliseconds;
    stamp_ = stampOf(path_);
    due_ = now + ms(milliseconds);
}

FileNews LiveFile::takeNews(LiveClock::time_point now) {
    FileNews news = watch_.take();
    if (!following()) return {};
    if (news.lost && !watch_.watching() && !rewatchAt_) rewatchAt_ = now + ms(kRewatchMilliseconds);
    if (news.written || news.lost) startSpell(now, kQuietMilliseconds);
    else if (news.gone) waiting_ = growthWait_ = false;
    return news;
}

void LiveFile::touch(LiveClock::time_point now) {
    if (following()) startSpell(now, kQuietMilliseconds);
}

void LiveFile::waitForGrowth(LiveClock::time_point now) {
    if (following()) startSpell(now, kGrowthMilliseconds);
}

std::optional<LiveClock::time_point> LiveFile::due() const {
    std::optional<LiveClock::time_point> at;
    if (waiting_) at = due_;
    if (rewatchAt_ && (!at || *rewatchAt_ < *at)) at = rewatchAt_;
    return at;
}

LiveRead LiveFile::read(LiveClock::time_point now) {
    LiveRead out;
    if (rewatchAt_ && now >= *rewatchAt_) {
        rewatchAt_.reset();
        // Back: whatever the name holds now is read as a change.
        if (watch_.watch(path_)) startSpell(now, kQuietMilliseconds);
        else rewatchAt_ = now + ms(kRewatchMilliseconds);
    }
    if (!waiting_ || now < due_) return out;
    const FileStamp current = stampOf(path_);
    if (!current.exists) {
        waiting_ = growthWait_ = false;
        out.kind = LiveRead::Gone;
        return out;
    }
    if (current != stamp_) {
        // Still being written (or written again): another spell from here.
        startSpell(now, kQuietMilliseconds);
        return out;
    }
    out.settled = growthWait_;
    waiting_ = growthWait_ = false;
    out.kind = LiveRead::Whole;
    int fd = openForReading(path_);
    if (fd < 0) {
        out.file.error = errno;   // CannotOpen: the caller says why
        return out;
    }
    struct stat before, after;
    bool known = ::fstat(fd, &before) == 0;
    out.file = readTextInput(fd);
    known = known && ::fstat(fd, &after) == 0;
    ::close(fd);
    // A writer that began again while the bytes were read may have cut them:
    // they are dropped, and its close brings the next read.
    if (!known || stampOfStat(before) != stampOfStat(after) || stampOf(path_) != current) {
        startSpell(now, kQuietMilliseconds);
        return LiveRead{};
    }
    return out;
}

}  // namespace kelvra
