// Many files, many workers (see manyFiles.h).
//
// Each worker has three pipes to the parent: file numbers in, results out
// (the file's number and its status, 8 bytes, written at once), and its
// stderr. The parent only hands out work and prints; it never makes a GL
// context, so nothing of one is shared across fork.
#include "app/render/manyFiles.h"

#include <poll.h>
#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/render/offscreenContext.h"
#include "app/render/renderJob.h"
#include "base/headlessHost.h"

namespace kelvra {
namespace {

struct Worker {
    pid_t pid = -1;
    int taskFd = -1;     // parent -> worker: file numbers
    int resultFd = -1;   // worker -> parent: results
    int errFd = -1;      // worker's stderr
    int current = -1;    // the file it is drawing
    int finished = 0;    // files it has finished
    std::string partialLine;
};

struct Result {
    std::int32_t file;
    std::int32_t status;
};

bool readExactly(int fd, void* into, std::size_t size) {
    auto* p = static_cast<char*>(into);
    while (size > 0) {
        ssize_t n = read(fd, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= std::size_t(n);
    }
    return true;
}

bool writeExactly(int fd, const void* from, std::size_t size) {
    const auto* p = static_cast<const char*>(from);
    while (size > 0) {
        ssize_t n = write(fd, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= std::size_t(n);
    }
    return true;
}

void closeFd(int& fd) {
    if (fd >= 0) close(fd);
    fd = -1;
}

// A worker: one GL context, then files until the parent closes the task pipe.
[[noreturn]] void workerMain(const RenderOptions& o, int workers, int taskFd, int resultFd) {
    // Mesa's software rasteriser starts a thread per core in every context,
    // and reading, drawing and the PNG encoder split their work over every
    // core: with a worker per core that is more threads than cores, each pair
    // fighting over the caches. Each worker takes its share, unless the user
    // set the count.
    const std::string share = std::to_string(std::max(1, availableCores() / workers));
    setenv("LP_NUM_THREADS", share.c_str(), 0);
    setenv("KELVRA_THREADS", share.c_str(), 0);
    OffscreenContext gl;
    std::string error;
    if (!gl.create(&error)) {
        std::fprintf(stderr, "kelvra-render: no off-screen GL context: %s\n", error.c_str());
        _exit(kExitFailed);
    }
    const int maxSide = FramebufferTarget::maxSide();
    if (o.width > maxSide || o.height > maxSide) {
        std::fprintf(stderr, "kelvra-render: no off-screen GL context: picture size %dx%d is outside 1x1..%dx%d\n",
                     o.width, o.height, maxSide, maxSide);
        _exit(kExitFailed);
    }
    for (std::int32_t file; readExactly(taskFd, &file, sizeof file);) {
        const std::string& input = o.inputs[std::size_t(file)];
        PictureOutput out{outputPathIn(o.outputFolder, input, o.outputFormat()), o.outputFormat()};
        Result r{file, renderInput(o, input, readInput(input), out)};
        if (!writeExactly(resultFd, &r, sizeof r)) break;
    }
    gl.destroy();
    _exit(kExitOk);
}

class Pool {
public:
    explicit Pool(const RenderOptions& o) : o_(o), status_(o.inputs.size(), -1), start_(Clock::now()) {
        progress_ = isatty(STDERR_FILENO);
    }

    int run() {
        const int count = std::min<int>(o_.jobs > 0 ? o_.jobs : availableCores(), int(o_.inputs.size()));
        workers_.resize(std::size_t(std::max(count, 1)));
        for (Worker& w : workers_) start(w);
        while (poll()) {
        }
        for (std::size_t i = 0; i < status_.size(); ++i)
            if (status_[i] < 0) say(o_.inputs[i] + ": not drawn: no drawing process was left");
        return summary();
    }

private:
    using Clock = std::chrono::steady_clock;

    void start(Worker& w) {
        int task[2], result[2], err[2];
        if (pipe(task) != 0 || pipe(result) != 0 || pipe(err) != 0) {
            say(std::string("cannot start a drawing process: ") + std::strerror(errno));
            return;
        }
        std::fflush(nullptr);
        pid_t pid = fork();
        if (pid == 0) {
            // Every other worker's pipe ends stay with the parent: a task pipe
            // held open here would never tell its worker to stop.
            for (Worker& other : workers_)
                for (int fd : {other.taskFd, other.resultFd, other.errFd})
                    if (fd >= 0) close(fd);
            close(task[1]);
            close(result[0]);
            close(err[0]);
            dup2(err[1], STDERR_FILENO);
            close(err[1]);
            workerMain(o_, int(workers_.size()), task[0], result[1]);
        }
        close(task[0]);
        close(result[1]);
        close(err[1]);
        if (pid < 0) {
            say(std::string("cannot start a drawing process: ") + std::strerror(errno));
            for (int fd : {task[1], result[0], err[0]}) close(fd);
            return;
        }
        w = Worker{};
        w.pid = pid;
        w.taskFd = task[1];
        w.resultFd = result[0];
        w.errFd = err[0];
        handOut(w);
    }

    void handOut(Worker& w) {
        w.current = -1;
        if (next_ < o_.inputs.size()) {
            std::int32_t file = std::int32_t(next_);
            if (writeExactly(w.taskFd, &file, sizeof file)) {
                w.current = file;
                ++next_;
                return;
            }
        }
        closeFd(w.taskFd);   // nothing left: the worker ends
    }

    // One round of waiting; false when every worker has ended.
    bool poll() {
        std::vector<pollfd> fds;
        for (const Worker& w : workers_)
            for (int fd : {w.resultFd, w.errFd})
                if (fd >= 0) fds.push_back({fd, POLLIN, 0});
        if (fds.empty()) return false;
        if (::poll(fds.data(), fds.size(), -1) < 0) return errno == EINTR;
        for (Worker& w : workers_) {
            if (w.errFd >= 0 && ready(fds, w.errFd)) passOnMessages(w);
            if (w.resultFd >= 0 && ready(fds, w.resultFd)) takeResult(w);
        }
        return true;
    }

    static bool ready(const std::vector<pollfd>& fds, int fd) {
        for (const pollfd& p : fds)
            if (p.fd == fd) return p.revents != 0;
        return false;
    }

    void passOnMessages(Worker& w) {
        char buffer[4096];
        ssize_t n = read(w.errFd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) return;
        if (n <= 0) {
            if (!w.partialLine.empty()) printLine(w.partialLine);
            w.partialLine.clear();
            closeFd(w.errFd);
            return;
        }
        w.partialLine.append(buffer, std::size_t(n));
        for (std::size_t nl; (nl = w.partialLine.find('\n')) != std::string::npos;) {
            printLine(w.partialLine.substr(0, nl));
            w.partialLine.erase(0, nl + 1);
        }
    }

    void takeResult(Worker& w) {
        Result r;
        if (readExactly(w.resultFd, &r, sizeof r) && r.file == w.current) {
            finish(std::size_t(r.file), r.status);
            ++w.finished;
            handOut(w);
            return;
        }
        // The worker ended: on its own after the last file, or in the middle of one.
        closeFd(w.resultFd);
        closeFd(w.taskFd);
        int how = 0;
        waitpid(w.pid, &how, 0);
        if (w.current < 0) return;
        std::string why = WIFSIGNALED(how) ? std::string("signal ") + std::to_string(WTERMSIG(how)) + " (" +
                                                 strsignal(WTERMSIG(how)) + ")"
                                           : "status " + std::to_string(WEXITSTATUS(how));
        say(o_.inputs[std::size_t(w.current)] + ": the drawing process ended by " + why);
        finish(std::size_t(w.current), kExitFailed);
        // A worker that drew a file before can draw the next; one that never
        // did (no GL context) would fail the same way again.
        if (w.finished > 0 && next_ < o_.inputs.size()) {
            if (w.errFd >= 0) passOnRest(w);
            start(w);
        }
    }

    void passOnRest(Worker& w) {
        while (w.errFd >= 0) passOnMessages(w);
    }

    void finish(std::size_t file, int status) {
        status_[file] = status;
        ++finished_;
        if (status == kExitFailed) ++failed_;
        if (status == kExitNoPoints) ++noPoints_;
        lastName_ = o_.inputs[file];
        drawProgress();
    }

    double seconds() const { return std::chrono::duration<double>(Clock::now() - start_).count(); }

    // The progress line, drawn over itself: a bar, the count, the rate and the last file.
    void drawProgress() {
        if (!progress_) return;
        const int total = int(o_.inputs.size()), width = 30;
        const int filled = total > 0 ? int(finished_ * width / total) : width;
        std::string bar = std::string(std::size_t(filled), '#') + std::string(std::size_t(width - filled), '.');
        std::fprintf(stderr, "\r\x1b[K[%s] %d/%d files, %.1f files/s  %s", bar.c_str(), finished_, total,
                     finished_ / std::max(seconds(), 1e-3), fileNameOf(lastName_).c_str());
        shown_ = true;
    }

    void clearProgress() {
        if (!shown_) return;
        std::fputs("\r\x1b[K", stderr);
        shown_ = false;
    }

    void printLine(const std::string& line) {
        clearProgress();
        std::fprintf(stderr, "%s\n", line.c_str());
        drawProgress();
    }

    void say(const std::string& what) { printLine(std::string(programName()) + ": " + what); }

    int summary() {
        clearProgress();
        const int total = int(o_.inputs.size());
        std::string line = std::to_string(total - failed_) + " of " + std::to_string(total) + " files drawn into " +
                           o_.outputFolder;
        char figures[64];
        std::snprintf(figures, sizeof figures, " in %.1f s (%.1f files/s)", seconds(), total / std::max(seconds(), 1e-3));
        line += figures;
        if (failed_ > 0) line += ", " + std::to_string(failed_) + " failed";
        if (noPoints_ > 0) line += ", " + std::to_string(noPoints_) + " without points";
        std::fprintf(stderr, "%s: %s\n", programName(), line.c_str());
        return failed_ > 0 ? kExitFailed : noPoints_ > 0 ? kExitNoPoints : kExitOk;
    }

    const RenderOptions& o_;
    std::vector<Worker> workers_;
    std::vector<int> status_;   // per file; -1 until it is finished
    std::size_t next_ = 0;      // the next file to hand out
    int finished_ = 0, failed_ = 0, noPoints_ = 0;
    std::string lastName_;
    bool progress_ = false;
    bool shown_ = false;
    Clock::time_point start_;
};

}  // namespace

int availableCores() {
    cpu_set_t set;
    if (sched_getaffinity(0, sizeof set, &set) == 0) return std::max(CPU_COUNT(&set), 1);
    long n = sysconf(_SC_NPROCESSORS_ONLN);
    return n > 0 ? int(n) : 1;
}

int renderManyFiles(const RenderOptions& o) {
    std::error_code ec;
    std::filesystem::create_directories(o.outputFolder, ec);
    if (!std::filesystem::is_directory(o.outputFolder)) {
        printFileMessage(o.outputFolder, ec ? ec.value() : ENOTDIR, "");
        return kExitFailed;
    }
    return Pool(o).run();
}

}  // namespace kelvra
