// kelvra-render --watch (see watchRender.h).
#include "app/render/watchRender.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "app/launch/launch.h"
#include "app/render/renderJob.h"
#include "base/cp932.h"
#include "base/headlessHost.h"
#include "base/liveFile.h"
#include "view/kelvraView.h"

namespace kelvra {
namespace {

constexpr const char kCannotWatchText[] = "ﾃﾞｰﾀﾌｧｲﾙの変更を見張ることが出来ません。";
constexpr const char kPictureWrittenText[] = "画像を書き込みました";

// SIGINT and SIGTERM end the watch: the handler writes to a pipe that the
// loop waits on with the files, whichever thread the signal lands on (the
// GL driver runs threads of its own).
int gStopPipe[2] = {-1, -1};

void onStopSignal(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] ssize_t ignored = ::write(gStopPipe[1], &byte, 1);
    errno = saved;
}

bool catchStopSignals() {
    if (::pipe2(gStopPipe, O_CLOEXEC | O_NONBLOCK) != 0) return false;
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return ::sigaction(SIGINT, &action, nullptr) == 0 && ::sigaction(SIGTERM, &action, nullptr) == 0;
}

// One picture, drawn afresh from `data` (read whole) and the settings file's
// text, as a run without --watch draws it. `shownPoints`: the points of the
// picture written last, which a file that may still grow must reach; set to
// this picture's once it is written. What is left to say about the data
// file when it changed nothing; nothing when the picture was written or a
// failure of the settings file or the picture was said already.
std::optional<LiveOutcome> drawPicture(const RenderOptions& o, LiveRead data,
                                       const std::optional<std::string>& settingsText, int* shownPoints) {
    HeadlessHost host({o.width, o.height});
    CKelvraView view(host);
    view.lists.deferListBuilds = true;
    view.initGlState();
    struct ListsGo {   // the next picture is drawn in the same context
        CKelvraView& view;
        ~ListsGo() { view.destroyGlLists(); }
    } listsGo{view};

    const LiveOutcome outcome =
        view.loadChangedData(o.inputs.front(), std::move(data.file), *shownPoints, data.settled, false);
    if (outcome != LiveOutcome::Loaded) return outcome;
    if (settingsText) {
        FileRead settings;
        settings.result = settings.bytes.assign(*settingsText) ? ReadResult::Ok : ReadResult::NoMemory;
        if (!view.loadSettingsText(o.settings, std::move(settings))) return std::nullopt;
    }
    if (!o.settingsText.empty()) view.applySettingsText(o.settingsText);
    if (!writePicture(view, host, o, {o.output, o.outputFormat()}, std::nullopt)) return std::nullopt;
    *shownPoints = view.data.pointCount;
    printFileMessage(o.output, 0, clockText(std::time(nullptr)) + " " + sj(kPictureWrittenText));
    return std::nullopt;
}

void say(const std::string& path, LiveOutcome outcome, int error = 0) {
    printFileMessage(path, 0, liveStatusText(outcome, path, error, std::time(nullptr)));
}

}  // namespace

int renderWatching(const RenderOptions& o, const FileRead& first) {
    if (startupKindOf(first) == StartupFileKind::LaunchFile) {
        usageError("--watch follows a data file, not a launch file");
        return kExitUsage;
    }
    const std::string& input = o.inputs.front();
    LiveFile data, settings;
    if (!data.follow(input)) {
        printFileMessage(input, errno, sj(kCannotWatchText));
        return kExitFailed;
    }
    if (!o.settings.empty() && !settings.follow(o.settings)) {
        printFileMessage(o.settings, errno, sj(kCannotWatchText));
        return kExitFailed;
    }
    if (!catchStopSignals()) {
        printFileMessage(input, errno, sj(kCannotWatchText));
        return kExitFailed;
    }

    // The first picture comes as every later one does: once the files hold still.
    LiveClock::time_point now = LiveClock::now();
    data.touch(now);
    if (settings.following()) settings.touch(now);
    std::optional<std::string> settingsText;   // the -s file as last read whole
    int shownPoints = 0;
    for (;;) {
        now = LiveClock::now();
        int timeout = -1;
        for (const LiveFile* file : {&data, &settings}) {
            if (std::optional<LiveClock::time_point> due = file->due()) {
                const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*due - now).count();
                const int ms = int(std::clamp<long long>(wait, 0, kGrowthMilliseconds));
                timeout = timeout < 0 ? ms : std::min(timeout, ms);
            }
        }
        std::vector<pollfd> waits = {{gStopPipe[0], POLLIN, 0}, {data.descriptor(), POLLIN, 0}};
        if (settings.following()) waits.push_back({settings.descriptor(), POLLIN, 0});
        if (::poll(waits.data(), waits.size(), timeout) < 0 && errno != EINTR) return kExitFailed;
        if (waits[0].revents) return kExitOk;

        now = LiveClock::now();
        for (LiveFile* file : {&data, &settings}) {
            if (file->following() && file->takeNews(now).gone) say(file->path(), LiveOutcome::Gone);
        }
        // The settings first: when both changed, the picture takes both.
        if (settings.following()) {
            LiveRead read = settings.read(now);
            if (read.kind == LiveRead::Gone) say(o.settings, LiveOutcome::Gone);
            if (read.kind == LiveRead::Whole) {
                if (read.file.ok()) settingsText = std::string(read.file.bytes.view());
                else say(o.settings, LiveOutcome::CannotOpen, read.file.error);
                // The data as it is now, under these settings.
                if (read.file.ok()) data.touch(now);
            }
        }
        if (settings.following() && !settingsText) continue;   // no picture without its settings
        LiveRead read = data.read(now);
        if (read.kind == LiveRead::Gone) say(input, LiveOutcome::Gone);
        if (read.kind != LiveRead::Whole) continue;
        const int error = read.file.error;
        const std::optional<LiveOutcome> unsaid = drawPicture(o, std::move(read), settingsText, &shownPoints);
        if (unsaid == LiveOutcome::CutShort) data.waitForGrowth(now);
        if (unsaid) say(input, *unsaid, error);
    }
}

}  // namespace kelvra
