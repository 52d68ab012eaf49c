// Cells under a pixel: a 2000 x 2000 grid drawn straight into a frame from
// its coarsened copy differs from drawing every cell in at most 0.5 % of the
// pixels, on the benchmark surface and on one with one-cell spikes and pits,
// and the coarsened copy keeps every spike and pit; on rough data, whose
// pixels are samples either way, the colours come to the same amounts.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <utility>
#include <vector>

#include "render/graphSteps.h"
#include "render/reducedGraph.h"
#include "support/glFixture.h"
#include "support/gridFixture.h"

namespace kelvra {
namespace {

constexpr int kWidth = 640, kHeight = 480;
constexpr int kSide = 2000;

// The benchmark grids' surface over -3..3 both ways.
double surface(double x, double y) {
    double r2 = x * x + y * y;
    return std::sin(1.4 * x) * std::cos(1.2 * y) * std::exp(-r2 / 6.0) +
           0.35 * std::exp(-((x - 1.2) * (x - 1.2) + (y + 1.0) * (y + 1.0)) / 0.5) +
           0.04 * std::sin(7.0 * x + 2.0 * y) * std::cos(5.0 * y);
}

// Single grid points lifted to 2.5 or sunk to -2.5, far apart.
struct Spike {
    int row, column;
    double z;
};
const Spike kSpikes[] = {{300, 300, 2.5},   {301, 1500, -2.5}, {1000, 1000, 2.5}, {1703, 411, -2.5},
                         {1650, 1777, 2.5}, {55, 999, 2.5},    {1999, 5, -2.5},   {0, 1998, 2.5}};

// Z at random over -0.9..0.95 (a hash of the point): neighbouring points
// differ by anything up to the whole range.
double rough(double x, double y) {
    const double h = std::sin(x * 12.9898 + y * 78.233) * 43758.5453;
    return -0.9 + 1.85 * (h - std::floor(h));
}

enum class Surface { Smooth, Spikes, Rough };

void fill(test::GridView& g, Surface kind) {
    const bool spikes = kind == Surface::Spikes;
    // Rough data costs the full drawing most: a smaller grid, still under half a pixel.
    const int side = kind == Surface::Rough ? kSide / 2 : kSide;
    g.fill(side, side, -3, 3, -3, 3, kind == Surface::Rough ? rough : surface);
    const double zMin = spikes ? -2.5 : -0.9, zMax = spikes ? 2.5 : 0.95;
    if (spikes)
        for (const Spike& s : kSpikes) g.view.data.point(std::size_t(s.row) * kSide + std::size_t(s.column))[2] = s.z;
    for (int a = 0; a < 2; ++a) g.scale(a, -3, 3, 1.2);
    g.scale(2, zMin, zMax, (zMax - zMin) / 4);
    g.scale(3, zMin, zMax, 3);   // 20 levels
    g.view.settings.graphType = 0;   // the coloured surface
    g.view.settings.xyContourMode = XyContourMode(5);   // contour lines on the floor
}

std::vector<unsigned char> picture(Surface kind, bool coarsened, bool top = false) {
    setSubPixelCoarsening(coarsened);
    test::GridView g;
    fill(g, kind);
    if (top) g.topView();
    g.initGl();
    g.view.lists.deferListBuilds = true;   // straight into the frame, as kelvra-render draws
    g.view.resizeViewport(kWidth, kHeight);
    g.view.drawScene();
    setSubPixelCoarsening(true);
    std::vector<unsigned char> pixels(std::size_t(kWidth) * kHeight * 4);
    glFinish();
    glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

TEST(SubPixelCells, CoarsenedPictureDiffersInAtMostHalfAPercentOfPixels) {
    GL_TEST_REQUIRE_CONTEXT(kWidth, kHeight);
    for (Surface kind : {Surface::Smooth, Surface::Spikes}) {
        SCOPED_TRACE(kind == Surface::Spikes ? "one-cell spikes and pits" : "benchmark surface");
        const test::FrameComparison c = test::compareFrames(picture(kind, false), picture(kind, true));
        EXPECT_LE(c.differing, kWidth * kHeight / 200);
        EXPECT_GT(c.drawn, kWidth * kHeight / 10);   // a picture, not an empty frame
    }
    // Rough data seen from above: a pixel of either picture shows one of the
    // many points it covers. Taking each block's extreme wherever it passed
    // its neighbours tipped more than half of the colours toward the legend's
    // ends.
    const auto full = picture(Surface::Rough, false, true);
    const auto coarse = picture(Surface::Rough, true, true);
    const test::FrameComparison c = test::compareFrames(full, coarse);
    EXPECT_GT(c.drawn, kWidth * kHeight / 10);
    EXPECT_LT(test::colourShift(full, coarse), c.drawn / 20);
}

TEST(SubPixelCells, StepFollowsTheProjectedCellsAndTheCopyKeepsSpikesPitsAndHoles) {
    test::GridView g;
    fill(g, Surface::Spikes);
    g.view.data.point(std::size_t(800) * kSide + 801)[2] = std::numeric_limits<double>::quiet_NaN();
    const AxisMapping map;   // world = data
    // The grid's 6 units over 6 k pixels along X and 6 m along Y: 1999 cells
    // of 6 k / 1999 and 6 m / 1999 pixels.
    auto scaled = [](double k, double m) {
        return [k, m](const Vec3& w, double* x, double* y) { *x = w.x * k, *y = w.y * m + w.z; };
    };
    auto steps = [&](double k, double m) {
        const CoarseningSteps s = subPixelSteps(g.view.data, map, -1, 1, scaled(k, m));
        return std::pair(s.x, s.y);
    };
    EXPECT_EQ(steps(1, 1), std::pair(333, 333));       // 0.003 pixels a cell
    EXPECT_EQ(steps(0.01, 0.01), std::pair(500, 500)); // at most a quarter of the grid
    EXPECT_EQ(steps(100, 100), std::pair(3, 3));       // 0.3
    EXPECT_EQ(steps(500, 500), std::pair(1, 1));       // 1.5: a pixel or more
    EXPECT_EQ(steps(180, 120), std::pair(1, 2));       // 0.54 and 0.36: only rows pair up
    EXPECT_EQ(steps(100, 0), std::pair(3, 3));         // rows seen end on: the columns' step

    const CoarseningSteps step{4, 3};
    GraphData coarse;
    ASSERT_TRUE(coarsenGrid(g.view.data, step, coarse));
    ASSERT_EQ(coarse.columnCount, kSide / 4 + 1);   // 0, 4, ..., 1996 and 1999
    ASSERT_EQ(coarse.rowCount, kSide / 3 + 2);      // 0, 3, ..., 1998 and 1999
    // The kept point nearest each spike carries it; the hole stays a hole.
    auto keptNear = [&](int i, int by) {   // position of the nearest kept index, the lower one of two as near
        const std::vector<int> kept = keptIndices(kSide, by);
        int best = 0;
        for (int k = 1; k < int(kept.size()); ++k)
            if (std::abs(kept[std::size_t(k)] - i) < std::abs(kept[std::size_t(best)] - i)) best = k;
        return best;
    };
    for (const Spike& s : kSpikes) {
        const double z = coarse.gridPointAt(keptNear(s.row, step.y), keptNear(s.column, step.x))[2];
        EXPECT_EQ(z, s.z) << s.row << "," << s.column;
    }
    EXPECT_TRUE(std::isnan(coarse.gridPointAt(267, 200)[2]));   // (801, 800)
    // Elsewhere a kept point keeps its own Z and position.
    const PointRecord at = coarse.gridPointAt(100, 50);
    const PointRecord own = g.view.data.gridPointAt(300, 200);
    EXPECT_EQ(std::vector<double>(at.v, at.v + 3), std::vector<double>(own.v, own.v + 3));
}

}  // namespace
}  // namespace kelvra
