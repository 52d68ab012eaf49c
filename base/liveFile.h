// Following a file that another program keeps rewriting (an instrument, a
// simulation, a script): when it has been written whole, and its bytes read
// whole. The desktop program's automatic reload and kelvra-render --watch
// both follow their files through here.
//
// Writers save in one of two ways: they write the file in place and close it,
// or they write another file and rename it over the name. inotify on the
// file's folder reports both for the name (IN_CLOSE_WRITE, IN_MOVED_TO), and
// that the name went (IN_DELETE, IN_MOVED_FROM); a write that is not yet
// closed is not reported, so a half-written file is never taken for a whole
// one. The watch is on the folder and the name, never on the file itself: a
// file renamed over the name, or deleted and written again, is still followed.
//
// Each report starts a quiet spell: the file is read once its size, times
// and identity (its stamp) have held still for kQuietMilliseconds, which lets
// a writer that closes and opens the file again several times while saving
// finish first. A read is kept only when the file did not change while it was
// read (a writer that started again meanwhile); otherwise the spell starts
// again. Every report that comes while the caller is busy (loading, drawing)
// waits in the kernel's queue and is taken as one.
#pragma once

#include <chrono>
#include <ctime>
#include <optional>
#include <string>

#include "base/fileIo.h"

namespace kelvra {

using LiveClock = std::chrono::steady_clock;

// How long a file must hold still after it was reported written.
inline constexpr int kQuietMilliseconds = 100;
// A read that looks cut short (fewer points than shown) is taken only once
// the file has held still this long: a writer may be writing it in pieces.
inline constexpr int kGrowthMilliseconds = 2000;
// How often a watch that was lost (its folder went) is tried again.
inline constexpr int kRewatchMilliseconds = 1000;

// What stat says of a file: enough to see that it changed.
struct FileStamp {
    bool exists = false;
    unsigned long long device = 0;
    unsigned long long inode = 0;
    long long size = 0;
    long long modifiedNs = 0;   // mtime
    long long changedNs = 0;    // ctime
    bool operator==(const FileStamp&) const = default;
};
FileStamp stampOf(const std::string& path);

// The local time of day as messages about a followed file give it: "14:03:27".
std::string clockText(std::time_t when);

// What inotify said about the name since it was last asked.
struct FileNews {
    bool written = false;   // closed after writing, or a file renamed onto the name
    bool gone = false;      // deleted or renamed away (and not written since)
    bool lost = false;      // the watch itself went (its folder deleted or moved) or events were dropped
    bool any() const { return written || gone || lost; }
};

// inotify on the folder of one file, for that file's name.
class FileWatch {
public:
    FileWatch() = default;
    ~FileWatch();
    FileWatch(const FileWatch&) = delete;
    FileWatch& operator=(const FileWatch&) = delete;

    // Watches the folder of `path` for its name (another watch ends). False,
    // errno set, when inotify refuses: no such folder, too many watches.
    bool watch(const std::string& path);
    void stop();
    bool watching() const { return watchId_ >= 0; }
    // Readable when news waits; -1 before watch().
    int descriptor() const { return fd_; }
    // Takes every report that waits; never blocks.
    FileNews take();

private:
    int fd_ = -1;
    int watchId_ = -1;
    std::string name_;
};

// A file read whole by LiveFile::read, or why not.
struct LiveRead {
    enum Kind {
        Whole,     // `file` holds the file as it was when it held still (or why it could not be opened)
        Gone,      // there is no file of that name now
        Changed,   // it changed while it was read: the quiet spell started again
    };
    Kind kind = Changed;
    FileRead file;
    // The file held still for kGrowthMilliseconds before this read (see
    // LiveFile::waitForGrowth): what it holds is all it is going to hold.
    bool settled = false;
};

// One followed file: the watch, the quiet spell and the whole read. The
// caller waits on descriptor() and calls takeNews() when it is readable,
// and calls read() at due() when it is free to use the file.
class LiveFile {
public:
    // Starts following `path`. False, errno set, when its folder cannot be watched.
    bool follow(const std::string& path);
    void stop();
    bool following() const { return !path_.empty(); }
    const std::string& path() const { return path_; }
    int descriptor() const { return watch_.descriptor(); }

    // Takes what inotify reported: a write starts (or starts again) the
    // quiet spell, a deletion stops it. The caller says what went to the user.
    FileNews takeNews(LiveClock::time_point now);
    // Treats the file as just written: a first read, or a read again after
    // another file it depends on changed.
    void touch(LiveClock::time_point now);
    // After a read whose content looked cut short: read again once the file
    // has held still for kGrowthMilliseconds, unless a write comes first.
    void waitForGrowth(LiveClock::time_point now);

    // When read() has something to do; nothing while no write waits.
    std::optional<LiveClock::time_point> due() const;
    // At or after due(): the file read whole, gone, or (it moved) Changed
    // with a later due(). Before due(), or with nothing waiting, Changed.
    LiveRead read(LiveClock::time_point now);

private:
    void startSpell(LiveClock::time_point now, int milliseconds);

    std::string path_;
    FileWatch watch_;
    bool waiting_ = false;      // a write waits to be read
    bool growthWait_ = false;   // the waiting spell is the long one
    FileStamp stamp_;           // the file when the spell (re)started
    LiveClock::time_point due_{};
    std::optional<LiveClock::time_point> rewatchAt_;   // the watch was lost: try again then
};

}  // namespace kelvra
