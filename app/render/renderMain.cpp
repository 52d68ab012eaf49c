// kelvra-render: the batch renderer. Draws a data file (or carries out a
// launch file) without a display, or many files into a folder with worker
// processes; lists the settings it knows. Messages go to stderr as
// "kelvra-render: FILE: reason: message"; the exit status says whether
// everything asked for was done (renderJob.h).
#include <libintl.h>
#include <unistd.h>

#include <chrono>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <optional>
#include <string>

#include "app/launch/launch.h"
#include "app/render/manyFiles.h"
#include "app/render/offscreenContext.h"
#include "app/render/renderJob.h"
#include "app/render/renderOptions.h"
#include "app/render/watchRender.h"
#include "base/cp932.h"
#include "base/headlessHost.h"
#include "base/phaseTimes.h"
#include "base/textInput.h"
#include "render/framebufferTarget.h"
#include "settings/settingsFields.h"
#include "settings/settingsFile.h"

namespace {

using namespace kelvra;

// --timings: prints the time of each phase on stderr when the run ends,
// whichever way it ends.
class Timings {
public:
    explicit Timings(bool on) : on_(on), start_(std::chrono::steady_clock::now()) {}
    ~Timings() {
        if (!on_) return;
        for (int p = int(Phase::Context); p < int(Phase::Count); ++p)
            std::fprintf(stderr, "%-14s %8.3f s\n", phaseName(Phase(p)), phaseSeconds(Phase(p)));
        std::fprintf(stderr, "%-14s %8.3f s\n", "other", phaseSeconds(Phase::Other));
        std::fprintf(stderr, "%-14s %8.3f s\n", "total",
                     std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count());
    }
    Timings(const Timings&) = delete;
    Timings& operator=(const Timings&) = delete;

private:
    bool on_;
    std::chrono::steady_clock::time_point start_;
};

// --list-settings: every key as --set takes it, its value after -s and --set,
// its kind and range.
int listSettings(const RenderOptions& o) {
    GraphSettings s = defaultSettings();
    if (!o.settings.empty()) {
        FileRead file = readTextFile(o.settings);
        if (!file.ok()) {
            printFileMessage(o.settings, file.error, sj("ﾌｧｲﾙを開くことが出来ません。"));
            return kExitFailed;
        }
        readSettingsText(file.bytes.view(), s);
    }
    readSettingsText(o.settingsText, s);
    for (const SettingsKeyName& key : settingsKeyNames()) {
        const FieldRow& row = kSettingsFields[key.field];
        std::printf("%s=%s\t%s\n", key.name.c_str(), cp932ToUtf8(fieldText(row, s)).c_str(), fieldKindText(row).c_str());
    }
    return std::fflush(stdout) == 0 ? kExitOk : kExitFailed;
}

int renderOne(const RenderOptions& o) {
    const std::string& input = o.inputs.front();
    FileRead bytes = readInput(input);
    PictureOutput output{o.output, o.outputFormat()};
    // A file that was read and asks for nothing is refused before any work;
    // one that could not be read is reported as such below.
    if (bytes.ok() && output.path.empty() && o.writeSettings.empty() && o.writeData.empty() &&
        !inputWritesAPicture(bytes)) {
        usageError("nothing to do: give -o IMAGE, -O DIR, --write-settings or --write-data");
        return kExitUsage;
    }
    Timings timer(o.timings);
    OffscreenContext gl;
    std::string error;
    std::optional<PhaseScope> contextPhase(Phase::Context);
    if (!gl.create(&error)) {
        std::fprintf(stderr, "kelvra-render: no off-screen GL context: %s\n", error.c_str());
        return kExitFailed;
    }
    // The picture brings its own framebuffer when it is drawn; a size the
    // driver cannot take is refused before anything is loaded.
    const int maxSide = FramebufferTarget::maxSide();
    if (o.width > maxSide || o.height > maxSide) {
        std::fprintf(stderr, "kelvra-render: no off-screen GL context: picture size %dx%d is outside 1x1..%dx%d\n",
                     o.width, o.height, maxSide, maxSide);
        return kExitFailed;
    }
    contextPhase.reset();
    if (o.watch) return renderWatching(o, bytes);
    return renderInput(o, input, std::move(bytes), output);
}

}  // namespace

int main(int argc, char** argv) {
    setProgramName("kelvra-render");
    // The system's reasons in the user's language, in UTF-8 as every message.
    std::setlocale(LC_MESSAGES, "");
    bind_textdomain_codeset("libc", "UTF-8");
    // A write to a pipe whose reader went away fails with EPIPE and its message.
    std::signal(SIGPIPE, SIG_IGN);
    RenderOptions options;
    switch (parseCommandLine(argc, argv, &options)) {
        case ParseOutcome::Run: break;
        case ParseOutcome::Done: return std::fflush(stdout) == 0 ? kExitOk : kExitFailed;
        case ParseOutcome::UsageError: return kExitUsage;
    }
    if (options.listSettings) return listSettings(options);
    if (!options.outputFolder.empty()) return renderManyFiles(options);
    return renderOne(options);
}
