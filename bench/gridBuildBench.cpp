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
// Then, at 20 levels, a drag that turns the graph as the desktop program's
// window does it (button down, 36 moves of 10 pixels, each followed by a
// paint, button up): frames per second with the full graph (the reduced one
// switched off) and with the reduced graph; the time from the button-up to the
// full picture on the screen, against one full frame; the build time of the
// reduced list; and the memory of the full and the reduced graph list (heap
// growth while each is compiled). --turn-only leaves out the first part.
//
//     build/bench/kelvra-grid-build-bench [--size N] [--type T] [--floor M] [--repeat R] [--bare] [--plain]
//                                         [--turn-only]
#include <GL/gl.h>
#include <malloc.h>

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
#include "base/headlessHost.h"
#include "render/contours.h"
#include "view/kelvraView.h"
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
    v.data.dataKind = kelvra::Grid;
    v.data.valuesPerPoint = 3;
    v.data.rowCount = n;
    v.data.columnCount = n;
    v.data.pointCount = n * n;
    if (!v.data.pointValues.allocate(std::size_t(n) * n * 3)) {
        std::fprintf(stderr, "kelvra-grid-build-bench: no memory for %d x %d points\n", n, n);
        std::exit(1);
    }
    double zMin = 1e300, zMax = -1e300;
    for (int r = 0; r < n; ++r) {
        for (int c = 0; c < n; ++c) {
            double* p = v.data.point(std::size_t(r) * n + c);
            double x = -100 + 200.0 * c / (n - 1), y = -100 + 200.0 * r / (n - 1);
            p[0] = x;
            p[1] = y;
            p[2] = 60 * std::sin(x / 25) * std::cos(y / 30) + 40 * std::exp(-(x * x + y * y) / 800) + 0.3 * x;
            zMin = std::min(zMin, p[2]);
            zMax = std::max(zMax, p[2]);
        }
    }
    for (int a = 0; a < 4; ++a) {
        v.settings.scaleMin[a] = a < 2 ? -100 : zMin;
        v.settings.scaleMax[a] = a < 2 ? 100 : zMax;
        if (a < 3) {
            v.settings.scaleStep[a] = (v.settings.scaleMax[a] - v.settings.scaleMin[a]) / 5;
            v.state.axisSpan[a] = v.settings.scaleMax[a] - v.settings.scaleMin[a];
        }
    }
    v.data.dataLoaded = true;
}

// Bytes the heap holds (small blocks and mapped ones): Mesa keeps a list's
// commands and vertices there.
double heapBytes() {
    struct mallinfo2 m = mallinfo2();
    return double(m.uordblks) + double(m.hblkhd);
}

// Heap growth while `build` runs, in MiB.
template <class Build>
double heapGrowth(Build build) {
    malloc_trim(0);
    double before = heapBytes();
    build();
    glFinish();
    return (heapBytes() - before) / (1024.0 * 1024.0);
}

// A drag of `moves` steps of 10 pixels to the right in rotate mode, each
// followed by a paint; the frames per second of the moves.
double dragTurn(kelvra::CKelvraView& view, int moves) {
    view.state.interactionMode = kelvra::ModeRotate;
    view.leftButtonDown(100, 300);
    auto start = Clock::now();
    for (int f = 0; f < moves; ++f) {
        view.mouseMove(100 + 10 * (f + 1), 300);
        view.paint(800, 600);
    }
    return moves / secondsSince(start);
}

void turnFigures(kelvra::CKelvraView& view, int repeat) {
    constexpr int kMoves = 36;
    view.settings.scaleStep[3] = 3;   // 20 levels
    view.buildDisplayLists();
    view.paint(800, 600);   // warms up; the first full frame's time is noted

    // The full graph's memory, and one full frame.
    glDeleteLists(kelvra::ListGraph, 1);
    glFinish();
    double fullMiB = heapGrowth([&] { view.buildDisplayLists(); });
    view.paint(800, 600);
    Time fullFrame = best(repeat, [&] { view.paint(800, 600); });

    view.lists.reduced.allowed = false;
    double fullFps = 1e300;
    for (int i = 0; i < repeat; ++i) {
        fullFps = std::min(fullFps, dragTurn(view, kMoves));
        view.leftButtonUp();
    }
    view.lists.reduced.allowed = true;
    view.paint(800, 600);

    // The reduced list on first need: its build time and memory.
    double reducedBuild = 0.0;
    double reducedMiB = heapGrowth([&] {
        view.lists.reduced.moving = true;
        auto start = Clock::now();
        view.reducedGraphReady();
        reducedBuild = secondsSince(start);
        view.lists.reduced.moving = false;
    });
    const std::size_t kept = view.lists.reduced.targetPoints;

    // Turns with the reduced graph (the list is built already, as a first
    // drag leaves it), then the button-up and the full frame it brings.
    double reducedFps = 1e300, settle = 1e300;
    int reducedFrames = 0;
    for (int i = 0; i < repeat; ++i) {
        int before = view.lists.reduced.reducedFrames;
        reducedFps = std::min(reducedFps, dragTurn(view, kMoves));
        reducedFrames = view.lists.reduced.reducedFrames - before;
        auto start = Clock::now();
        view.leftButtonUp();
        view.paint(800, 600);
        settle = std::min(settle, secondsSince(start));
    }
    std::printf("turning by drag, 20 levels: full %5.1f frames/s (frame %6.3f s), reduced %5.1f frames/s "
                "(%d of %d frames reduced, target %zu points, list built in %6.3f s); button-up to full "
                "picture %6.3f s; graph list memory: full %7.2f MiB, reduced %6.2f MiB (%4.1f %%)\n",
                fullFps, fullFrame.wall, reducedFps, reducedFrames, kMoves, kept, reducedBuild, settle, fullMiB,
                reducedMiB, fullMiB > 0 ? 100.0 * reducedMiB / fullMiB : 0.0);
}

}  // namespace

int main(int argc, char** argv) {
    int size = 1000, type = 0, floor = 5, repeat = 3;
    bool bare = false, turnOnly = false;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--turn-only")) {
            turnOnly = true;
            continue;
        }
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
        view.settings.scaleShow = 0;
        view.settings.legendShow = 0;
        view.settings.axisShow = 0;
    }
    view.settings.graphType = type;
    view.settings.xyContourMode = kelvra::XyContourMode(floor);
    fillSurface(view, size);

    std::printf("grid %d x %d, graph type %d, floor %d, %s, best of %d\n", size, size, type, floor,
                kelvra::cellBatching() ? "batched" : "one primitive per polygon", repeat);
    for (int index : {3, 11}) {
        if (turnOnly) break;
        view.settings.scaleStep[3] = index;
        const kelvra::BuildContext ctx = view.buildContext();
        const kelvra::DrawInput in{view.data, view.settings, view.state, ctx};
        // The graph part of list 100 for the contour fill, compiled on its own.
        Time list100 = best(repeat, [&] {
            glNewList(kelvra::ListGraph, GL_COMPILE);
            kelvra::clipToScaleBox(view.settings, view.state);
            kelvra::drawContourFill(in, false);
            kelvra::unclipScaleBox();
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
        const int angle = view.settings.viewAngleZ;
        Time turn = best(1, [&] {
            for (int f = 0; f < turnFrames; ++f) {
                view.settings.viewAngleZ = (angle + 10 * (f + 1)) % 360;
                view.drawScene();
                glFinish();
            }
        });
        view.settings.viewAngleZ = angle;
        std::printf("%3d levels: contour fill list %6.3f s (cpu %6.3f s), buildDisplayLists %6.3f s "
                    "(cpu %6.3f s), redraw %6.3f s (cpu %6.3f s), turning %5.1f frames/s\n",
                    ctx.levels.levelCount, list100.wall, list100.cpu, whole.wall, whole.cpu, frame.wall,
                    frame.cpu, turnFrames / turn.wall);
    }
    turnFigures(view, repeat);
    return 0;
}
