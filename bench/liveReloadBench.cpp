// From the writer's close to the new picture on the screen: the desktop
// program's window with File > 自動再読み込み on, its data file (a smooth
// surface, format 1) rewritten in place 20 times, alternating two data sets,
// one rewrite a second after the last picture. For each grid size it prints
// the median and the slowest of the 20 times, from the close of the file to
// the return of the frame's buffer swap with the new data, and the median of
// the load and of the frame alone.
//
// Needs a display (xvfb-run -a -s "-screen 0 1280x1024x24" ...):
//
//     build/bench/kelvra-live-reload-bench [--sizes "300 1000"] [--rewrites 20] [--folder DIR]
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "app/gui/commands.h"
#include "app/gui/liveReload.h"
#include "app/gui/mainFrame.h"
#include "base/cp932.h"
#include "base/phaseTimes.h"
#include "bench/benchWindow.h"

namespace {

using namespace kelvra;
using Clock = std::chrono::steady_clock;
using bench::pumpUntil;

double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// n x n points over [-3, 3]^2, the surface or its mirror image in X.
std::string surface(int n, bool mirrored) {
    std::string text = utf8ToCp932("ﾃﾞｰﾀ形式,1\r\nKelvra ver.1.52\r\n\r\n");
    char number[32];
    for (int c = 0; c < n; ++c) {
        std::snprintf(number, sizeof number, ",%.4f", -3.0 + 6.0 * c / (n - 1));
        text += number;
    }
    text += "\r\n";
    for (int r = 0; r < n; ++r) {
        const double y = -3.0 + 6.0 * r / (n - 1);
        std::snprintf(number, sizeof number, "%.4f", y);
        text += number;
        for (int c = 0; c < n; ++c) {
            const double x = (mirrored ? 3.0 : -3.0) + (mirrored ? -6.0 : 6.0) * c / (n - 1);
            std::snprintf(number, sizeof number, ",%.4f", std::sin(x) * std::cos(y) + 0.1 * x);
            text += number;
        }
        text += "\r\n";
    }
    return text;
}

void writeInPlace(const std::string& path, const std::string& bytes) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != ssize_t(bytes.size())) {
        std::perror(path.c_str());
        std::exit(1);
    }
    ::close(fd);
}

// The lists and the frame, with the scale recompute and the glyph lists.
double drawSeconds() {
    double sum = 0.0;
    for (Phase p : {Phase::Recompute, Phase::GlyphLists, Phase::DisplayLists, Phase::Draw}) sum += phaseSeconds(p);
    return sum;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

void runSize(int n, int rewrites, const std::string& folder) {
    const std::string path = folder + "/live-" + std::to_string(n) + ".csv";
    const std::string sets[2] = {surface(n, false), surface(n, true)};
    writeInPlace(path, sets[0]);
    auto* frame = new CMainFrame(path);
    frame->Show();
    CViewCanvas* canvas = frame->canvas();
    if (!pumpUntil([&] { return canvas->startupFinished() && canvas->view().data.dataLoaded; }, 60)) {
        std::fprintf(stderr, "live-reload-bench: %s did not load\n", path.c_str());
        std::exit(1);
    }
    frame->runCommand(IdFileAutoReload);
    // The first value of the last row tells the two data sets apart.
    auto corner = [&] {
        const GraphData& d = canvas->view().data;
        return d.gridPointAt(d.rowCount - 1, 0)[2];
    };
    Clock::time_point painted{};
    double paintedCorner = corner();
    canvas->framePainted = [&] {
        painted = Clock::now();
        paintedCorner = corner();
    };
    std::vector<double> total, load, draw;
    for (int i = 0; i < rewrites; ++i) {
        pumpUntil([] { return false; }, 1.0);   // quiet: the last picture is long on the screen
        const double loadBefore = phaseSeconds(Phase::Load), drawBefore = drawSeconds();
        writeInPlace(path, sets[(i + 1) % 2]);
        const Clock::time_point closed = Clock::now();
        const double before = paintedCorner;
        if (!pumpUntil([&] { return paintedCorner != before && painted > closed; }, 30)) {
            std::fprintf(stderr, "live-reload-bench: rewrite %d was not shown\n", i + 1);
            std::exit(1);
        }
        total.push_back(seconds(painted - closed));
        load.push_back(phaseSeconds(Phase::Load) - loadBefore);
        draw.push_back(drawSeconds() - drawBefore);
    }
    std::printf("%4d x %-4d  close to picture: median %.3f s, slowest %.3f s   (load %.3f s, lists and frame %.3f s)\n",
                n, n, median(total), *std::max_element(total.begin(), total.end()), median(load), median(draw));
    std::fflush(stdout);
    canvas->framePainted = nullptr;
    frame->Destroy();
    pumpUntil([] { return false; }, 0.2);
    std::remove(path.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    std::string sizes = "300 1000", folder = "/tmp";
    int rewrites = 20;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--sizes")) sizes = argv[i + 1];
        else if (!std::strcmp(argv[i], "--rewrites")) rewrites = std::max(1, std::atoi(argv[i + 1]));
        else if (!std::strcmp(argv[i], "--folder")) folder = argv[i + 1];
    }
    return kelvra::bench::runWithToolkit("kelvra-live-reload-bench", [&] {
        std::istringstream list(sizes);
        for (int n; list >> n;) runSize(n, rewrites, folder);
        return 0;
    });
}
