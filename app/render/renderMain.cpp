// kelvra-render: the batch renderer. Loads a data file (or carries out a launch
// file), applies a settings file, writes settings and data files, draws the
// picture in an off-screen GL context and writes it as an image file. Messages
// go to stderr; the exit status says whether everything asked for was done.
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "app/launch/launch.h"
#include "app/render/offscreenContext.h"
#include "base/appInfo.h"
#include "base/cp932.h"
#include "base/headlessHost.h"
#include "view/kelvraView.h"
#include "base/phaseTimes.h"
#include "base/textInput.h"
#include "render/framebufferTarget.h"

namespace {

using kelvra::FileRead;

// Exit statuses.
constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;     // a file asked for could not be read or written
constexpr int kExitUsage = 2;
constexpr int kExitNoPoints = 3;   // the data file held no points; the picture is still written

const char kUsage[] =
    "Usage: kelvra-render [OPTIONS] DATA_FILE\n"
    "       kelvra-render [OPTIONS] LAUNCH_FILE\n"
    "\n"
    "Draws a graph of DATA_FILE without a display. A file whose first line begins\n"
    "with \"[\" is carried out as a launch file (Data_File_Name, Setting_File_Name,\n"
    "Image_File_Name; Soft_On has no effect here: the command always ends).\n"
    "\"-\" reads the data or launch file from standard input.\n"
    "\n"
    "  -s, --settings FILE      apply a settings file after the load\n"
    "  -o, --output IMAGE       write the picture; .png, .jpg/.jpeg or .bmp, or a vector\n"
    "                           picture .svg, .pdf or .eps; any other name is written\n"
    "                           as PNG with the extension .png\n"
    "      --size WxH           picture size in pixels (default 775x550)\n"
    "      --write-settings FILE  write the settings as a settings file\n"
    "      --write-data FILE    save the data set with the settings appended\n"
    "      --timings            print the time of each phase on stderr\n"
    "  -h, --help               show this help\n"
    "      --version            show the version\n"
    "\n"
    "Order: load data, apply settings, write settings and data files, draw, write\n"
    "the image. Exit status 0 on success; 1 when a file it was asked to read or\n"
    "write failed (a launch file's settings file included); 2 for a usage error;\n"
    "3 when the data file held no points (the picture is still written).\n";

struct Options {
    std::string input;
    std::string settings;
    std::string output;
    std::string writeSettings;
    std::string writeData;
    int width = 775;
    int height = 550;
    bool timings = false;
};

// --timings: prints the time of each phase on stderr when the run ends,
// whichever way it ends.
class Timings {
public:
    explicit Timings(bool on) : on_(on), start_(std::chrono::steady_clock::now()) {}
    ~Timings() {
        if (!on_) return;
        for (int p = int(kelvra::Phase::Context); p < int(kelvra::Phase::Count); ++p)
            std::fprintf(stderr, "%-14s %8.3f s\n", kelvra::phaseName(kelvra::Phase(p)),
                         kelvra::phaseSeconds(kelvra::Phase(p)));
        std::fprintf(stderr, "%-14s %8.3f s\n", "other", kelvra::phaseSeconds(kelvra::Phase::Other));
        std::fprintf(stderr, "%-14s %8.3f s\n", "total",
                     std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count());
    }
    Timings(const Timings&) = delete;
    Timings& operator=(const Timings&) = delete;

private:
    bool on_;
    std::chrono::steady_clock::time_point start_;
};

bool parseSize(const char* text, int* w, int* h) {
    char* end = nullptr;
    long a = std::strtol(text, &end, 10);
    if (end == text || (*end != 'x' && *end != 'X')) return false;
    const char* second = end + 1;
    long b = std::strtol(second, &end, 10);
    if (end == second || *end != '\0') return false;
    if (a < 1 || b < 1 || a > 16384 || b > 16384) return false;
    *w = int(a);
    *h = int(b);
    return true;
}

// 0: run; 1: exit 0 (help, version); 2: usage error (message printed).
int parseOptions(int argc, char** argv, Options* o) {
    auto value = [&](int& i, const char* name) -> const char* {
        if (i + 1 >= argc) {
            std::fprintf(stderr, "kelvra-render: %s needs a value\n", name);
            return nullptr;
        }
        return argv[++i];
    };
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        const char* v = nullptr;
        if (a == "-h" || a == "--help") {
            std::fputs(kUsage, stdout);
            return 1;
        } else if (a == "--version") {
            std::printf("kelvra-render %s\n", kelvra::kAppTitle);
            return 1;
        } else if (a == "--timings") {
            o->timings = true;
        } else if (a == "-s" || a == "--settings") {
            if (!(v = value(i, "--settings"))) return 2;
            o->settings = v;
        } else if (a == "-o" || a == "--output") {
            if (!(v = value(i, "--output"))) return 2;
            o->output = v;
        } else if (a == "--write-settings") {
            if (!(v = value(i, "--write-settings"))) return 2;
            o->writeSettings = v;
        } else if (a == "--write-data") {
            if (!(v = value(i, "--write-data"))) return 2;
            o->writeData = v;
        } else if (a == "--size") {
            if (!(v = value(i, "--size"))) return 2;
            if (!parseSize(v, &o->width, &o->height)) {
                std::fprintf(stderr, "kelvra-render: --size takes WIDTHxHEIGHT between 1x1 and 16384x16384, not \"%s\"\n", v);
                return 2;
            }
        } else if (a.size() > 1 && a[0] == '-') {   // "-" alone is standard input
            std::fprintf(stderr, "kelvra-render: unknown option %s (see --help)\n", a.c_str());
            return 2;
        } else if (o->input.empty()) {
            o->input = a;
        } else {
            std::fprintf(stderr, "kelvra-render: one input file only (\"%s\" and \"%s\")\n",
                         o->input.c_str(), a.c_str());
            return 2;
        }
    }
    if (o->input.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // A write to a pipe whose reader went away fails with EPIPE and its message.
    std::signal(SIGPIPE, SIG_IGN);
    Options opt;
    int parsed = parseOptions(argc, argv, &opt);
    if (parsed == 1) return kExitOk;
    if (parsed == 2) return kExitUsage;

    Timings timer(opt.timings);
    kelvra::HeadlessHost host({opt.width, opt.height});
    kelvra::OffscreenContext gl;
    std::string error;
    std::optional<kelvra::PhaseScope> contextPhase(kelvra::Phase::Context);
    if (!gl.create(&error)) {
        std::fprintf(stderr, "kelvra-render: no off-screen GL context: %s\n", error.c_str());
        return kExitFailed;
    }
    // The picture brings its own framebuffer when it is drawn; a size the
    // driver cannot take is refused before anything is loaded.
    const int maxSide = kelvra::FramebufferTarget::maxSide();
    if (opt.width > maxSide || opt.height > maxSide) {
        std::fprintf(stderr, "kelvra-render: no off-screen GL context: picture size %dx%d is outside 1x1..%dx%d\n",
                     opt.width, opt.height, maxSide, maxSide);
        return kExitFailed;
    }
    kelvra::CKelvraView view(host);
    // One picture: the lists are built once, for the settings in force when it is drawn.
    view.lists.deferListBuilds = true;
    view.initGlState();
    contextPhase.reset();

    // A launch file loads, applies its settings, draws and writes its own
    // image; the options then act on what it left, as they do after a data
    // file. The input is read once, whole: standard input or a pipe cannot be
    // read again after its first line has told what it is.
    FileRead input = opt.input == "-" ? kelvra::readTextInput(STDIN_FILENO) : kelvra::readTextFile(opt.input);
    bool failed = false;   // something asked for was not done; the run goes on where it can
    bool noPoints = false;
    std::optional<kelvra::ImageBuffer> picture;
    if (kelvra::startupKindOf(input) == kelvra::StartupFileKind::LaunchFile) {
        kelvra::LaunchResult r = kelvra::runLaunchText(view, input.bytes.view(), {opt.width, opt.height});
        if (r.noKnownKey) host.showMessage(kelvra::launchWithoutKeysMessage());
        if (r.noKnownKey || r.dataLoadFailed) return kExitFailed;
        failed = r.settingsLoadFailed || (r.imageRequested && !r.imageWritten);
        noPoints = view.data.dataLoaded && view.data.pointCount == 0;
        picture = std::move(r.picture);
    } else {
        if (!view.loadDataText(opt.input, std::move(input), false)) return kExitFailed;
        noPoints = view.data.pointCount == 0;
    }
    // The picture is still drawn and written: an empty graph is what the file says.
    if (noPoints) host.showMessage(kelvra::sj("ｸﾞﾗﾌﾃﾞｰﾀがありません。"));
    auto finish = [&](bool written) { return !written || failed ? kExitFailed : noPoints ? kExitNoPoints : kExitOk; };

    if (!opt.settings.empty()) {
        if (!view.loadSettingsFile(opt.settings)) return kExitFailed;
        picture.reset();   // drawn before these settings
    }
    if (!opt.writeSettings.empty() && !view.saveSettingsFile(opt.writeSettings)) return kExitFailed;
    if (!opt.writeData.empty() && !view.writeDataFile(opt.writeData, view.settingsText())) return kExitFailed;
    if (opt.output.empty()) return finish(true);
    // An image the launch drew is written as it is.
    return finish(view.savePicture(kelvra::shownPicture({opt.width, opt.height}), opt.output,
                                   picture ? &picture : nullptr));
}
