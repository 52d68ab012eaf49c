// Build and redraw time of the graph list of a large grid: a smooth synthetic
// surface of 1000 x 1000 points (filled straight into the data set), drawn as a
// colour contour fill (or another graph type) with 20 and with 480 levels. For
// each it reports the time to compile list 100 with the graph's drawing, the
// time of the whole buildDisplayLists (with the floor projection --floor M,
// default 5: fill and lines), the time to redraw one frame of the built lists
// at 800 x 600 (glFinish included), and the frames per second of a turn: 36
// frames, the Z angle 10 degrees further each time, as a drag turns the graph.
// The frames show the scale frame, legend and axis indicator unless --bare;
// --plain builds one primitive per polygon, as a reference for the batching.
//
//     build/bench/kelvra-grid-build-bench [--size N] [--type T] [--floor M] [--repeat R] [--bare] [--plain]
#include <GL/gl.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "app/render/offscreenContext.h"
#include "core/headlessHost.h"
#include "core/kelvraView.h"
#include "render/contourCells.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double cpuSeconds() {
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec * 1e-9;
}

// Best of `repeat` runs: wall-clock and CPU seconds (all threads of the
// process; the machine may be shared, so CPU time is the steadier figure for
// the single-threaded build).
struct Time {
    double wall = 1e300, cpu = 1e300;
};
template <class Run>
Time best(int repeat, Run run) {
    Time fastest;
    for (int i = 0; i < repeat; ++i) {
        auto start = Clock::now();
        double cpu = cpuSeconds();
        run();
        fastest.wall = std::min(fastest.wall, secondsSince(start));
        fastest.cpu = std::min(fastest.cpu, cpuSeconds() - cpu);
    }
    return fastest;
}

void fillSurface(kelvra::CKelvraView& v, int n) {
    v.dataKind = kelvra::Grid;
    v.valuesPerPoint = 3;
    v.rowCount = n;
    v.columnCount = n;
    v.pointCount = n * n;
    if (!v.pointValues.allocate(std::size_t(n) * n * 3)) {
        std::fprintf(stderr, "kelvra-grid-build-bench: no memory for %d x %d points\n", n, n);
        std::exit(1);
    }
    double zMin = 1e300, zMax = -1e300;
    for (int r = 0; r < n; ++r) {
        for (int c = 0; c < n; ++c) {
            double* p = v.point(std::size_t(r) * n + c);
            double x = -100 + 200.0 * c / (n - 1), y = -100 + 200.0 * r / (n - 1);
            p[0] = x;
            p[1] = y;
            p[2] = 60 * std::sin(x / 25) * std::cos(y / 30) + 40 * std::exp(-(x * x + y * y) / 800) + 0.3 * x;
            zMin = std::min(zMin, p[2]);
            zMax = std::max(zMax, p[2]);
        }
    }
    for (int a = 0; a < 4; ++a) {
        v.scaleMin[a] = a < 2 ? -100 : zMin;
        v.scaleMax[a] = a < 2 ? 100 : zMax;
        if (a < 3) {
            v.scaleStep[a] = (v.scaleMax[a] - v.scaleMin[a]) / 5;
            v.axisSpan[a] = v.scaleMax[a] - v.scaleMin[a];
        }
    }
    v.dataLoaded = true;
}

}  // namespace

int main(int argc, char** argv) {
    int size = 1000, type = 0, floor = 5, repeat = 3;
    bool bare = false;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--plain")) {
            kelvra::setCellBatching(false);
            continue;
        }
        if (!std::strcmp(argv[i], "--bare")) {
            bare = true;
            continue;
        }
        if (i + 1 >= argc) break;
        if (!std::strcmp(argv[i], "--size")) size = std::max(2, std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--type")) type = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--floor")) floor = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--repeat")) repeat = std::max(1, std::atoi(argv[++i]));
    }

    kelvra::OffscreenContext context;
    std::string error;
    if (!context.create(&error) || !context.setSize(800, 600, &error)) {
        std::fprintf(stderr, "kelvra-grid-build-bench: no headless GL context: %s\n", error.c_str());
        return 1;
    }
    kelvra::HeadlessHost host({800, 600});
    host.printMessages = false;
    kelvra::CKelvraView view(host);
    view.initGlState();
    if (bare) {   // the graph list only: no scale frame, legend or axis indicator
        view.scaleShow = 0;
        view.legendShow = 0;
        view.axisShow = 0;
    }
    view.graphType = type;
    view.xyContourMode = kelvra::XyContourMode(floor);
    fillSurface(view, size);

    std::printf("grid %d x %d, graph type %d, floor %d, %s, best of %d\n", size, size, type, floor,
                kelvra::cellBatching() ? "batched" : "one primitive per polygon", repeat);
    for (int index : {3, 11}) {
        view.scaleStep[3] = index;
        kelvra::BuildContext ctx = view.makeBuildContext();
        // The graph part of list 100 for the contour fill, compiled on its own.
        Time list100 = best(repeat, [&] {
            glNewList(kelvra::ListGraph, GL_COMPILE);
            view.clipToScaleBox();
            view.drawContourFill(ctx, false);
            view.unclipScaleBox();
            glEndList();
            glFinish();
        });
        Time whole = best(repeat, [&] {
            view.buildDisplayLists();
            glFinish();
        });
        view.resizeViewport(800, 600);
        view.drawScene();   // first frame warms up
        glFinish();
        Time frame = best(repeat, [&] {
            view.drawScene();
            glFinish();
        });
        const int turnFrames = 36;
        const int angle = view.viewAngleZ;
        Time turn = best(1, [&] {
            for (int f = 0; f < turnFrames; ++f) {
                view.viewAngleZ = (angle + 10 * (f + 1)) % 360;
                view.drawScene();
                glFinish();
            }
        });
        view.viewAngleZ = angle;
        std::printf("%3d levels: contour fill list %6.3f s (cpu %6.3f s), buildDisplayLists %6.3f s "
                    "(cpu %6.3f s), redraw %6.3f s (cpu %6.3f s), turning %5.1f frames/s\n",
                    ctx.levels.levelCount, list100.wall, list100.cpu, whole.wall, whole.cpu, frame.wall,
                    frame.cpu, turnFrames / turn.wall);
    }
    return 0;
}
