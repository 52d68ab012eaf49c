// Size and time of the vector pictures.
//
//   kelvra-vector-picture-bench [--limit N] [--runs N] [--set KEY=VALUE]... DATA_FILE...
//
// Loads each data file (for example the grids of kelvra-make-grids) with the
// default settings, or those --set gives (as kelvra-render takes them), and makes its 775 x 550 picture as SVG, PDF and EPS with
// CKelvraView::renderVectorPicture, the way kelvra-render -o does (the file
// write itself is left out). Prints the graph's primitive count, what the sort is
// estimated to make of them, whether the graph went in as an image, the median time of the runs and the file size.
// --limit sets the primitive count above which the graph is an image (default
// the program's own): a large value measures the graph as vectors, which is
// how the limit was chosen.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/render/offscreenContext.h"
#include "base/headlessHost.h"
#include "settings/settingsFile.h"
#include "view/kelvraView.h"

int main(int argc, char** argv) {
    long long limit = kelvra::kMaxVectorGraphPrimitives;
    int runs = 3;
    std::vector<std::string> files;
    std::string settingsText;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--limit") && i + 1 < argc) limit = std::atoll(argv[++i]);
        else if (!std::strcmp(argv[i], "--runs") && i + 1 < argc) runs = std::max(1, std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--set") && i + 1 < argc) {
            std::string problem;
            std::optional<std::string> text = kelvra::settingAssignmentText(argv[++i], &problem);
            if (!text) {
                std::fprintf(stderr, "--set %s: %s\n", argv[i], problem.c_str());
                return 2;
            }
            settingsText += *text;
        } else files.push_back(argv[i]);
    }
    if (files.empty()) {
        std::fprintf(stderr, "usage: kelvra-vector-picture-bench [--limit N] [--runs N] [--set KEY=VALUE]... DATA_FILE...\n");
        return 2;
    }
    const kelvra::PixelSize size{775, 550};
    kelvra::OffscreenContext gl;
    std::string error;
    if (!gl.create(&error)) {
        std::fprintf(stderr, "no off-screen GL context: %s\n", error.c_str());
        return 1;
    }
    const struct {
        const char* name;
        kelvra::ImageFormat format;
    } formats[] = {{"svg", kelvra::ImageFormat::Svg}, {"pdf", kelvra::ImageFormat::Pdf}, {"eps", kelvra::ImageFormat::Eps}};
    std::printf("%-32s %-4s %12s %12s %8s %-6s %10s %10s\n", "data", "fmt", "primitives", "sorted", "cuts", "graph", "seconds", "MB");
    for (const std::string& file : files) {
        kelvra::HeadlessHost host(size);
        host.printMessages = false;
        kelvra::CKelvraView view(host);
        view.lists.deferListBuilds = true;   // as kelvra-render draws one picture
        view.initGlState();
        if (!view.loadDataFile(file, false)) {
            std::fprintf(stderr, "%s: cannot load\n", file.c_str());
            return 1;
        }
        if (!settingsText.empty()) view.applySettingsText(settingsText);
        for (const auto& f : formats) {
            std::vector<double> seconds;
            std::optional<kelvra::VectorPicture> picture;
            for (int r = 0; r < runs; ++r) {
                auto t0 = std::chrono::steady_clock::now();
                picture = view.renderVectorPicture(kelvra::shownPicture(size), f.format, limit);
                seconds.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
            }
            std::sort(seconds.begin(), seconds.end());
            if (!picture) {
                std::printf("%-32s %-4s failed\n", file.c_str(), f.name);
                continue;
            }
            std::printf("%-32s %-4s %12lld %12lld %8.0f %-6s %10.3f %10.2f\n", file.c_str(), f.name, picture->graphPrimitives,
                        picture->sortedPrimitives, picture->cuts,
                        picture->graphAsImage ? "image" : "vector", seconds[seconds.size() / 2],
                        picture->bytes.size() / 1e6);
            std::fflush(stdout);
        }
    }
    return 0;
}
