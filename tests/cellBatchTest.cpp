// The batched cell walk draws the same picture as one primitive per polygon:
// every pixel equal, over hand-made grids (plain, logarithmic, reversed, with
// holes, many levels) and the graph types and floor projections that walk the
// cells. Also: kelvra-render's one picture, drawn without list 100, is the
// picture the list draws, and the pick targets built on demand give the same hits.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "render/contourCells.h"
#include "support/glFixture.h"
#include "support/gridFixture.h"
#include "support/handMadeData.h"

namespace kelvra {
namespace {

constexpr int kSide = 300;

std::vector<unsigned char> readAll() {
    std::vector<unsigned char> pixels(std::size_t(kSide) * kSide * 4);
    glFinish();
    glReadPixels(0, 0, kSide, kSide, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

// Pixels that differ, and pixels that are not white background.
struct Comparison {
    int differing = 0, drawn = 0;
};
Comparison compare(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b) {
    Comparison c;
    for (std::size_t i = 0; i < a.size(); i += 4) {
        if (a[i] != b[i] || a[i + 1] != b[i + 1] || a[i + 2] != b[i + 2]) ++c.differing;
        if (a[i] != 255 || a[i + 1] != 255 || a[i + 2] != 255) ++c.drawn;
    }
    return c;
}

const double kNan = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

struct Grid {
    const char* name;
    int rows, columns;
    double (*z)(double x, double y);
    double zMin, zMax;
    int levelIndex;   // 3: 20 levels, 11: 480
    int logZ, logLegend, reversed;
};

double waves(double x, double y) { return 60 * std::sin(x / 25) * std::cos(y / 30) + 0.3 * x + 50; }
double positiveWaves(double x, double y) { return std::exp(waves(x, y) / 40); }
double holes(double x, double y) {
    if (std::fabs(x - 20) < 8 && std::fabs(y + 30) < 12) return kNan;
    if (std::fabs(x + 50) < 5 && y > 40) return kInf;
    return waves(x, y);
}
double flatSteps(double x, double y) { return std::floor((x + 100) / 40) * 25 + (y > 0 ? 10 : 0); }

const Grid kGrids[] = {
    {"waves", 31, 41, waves, -20, 120, 3, 0, 0, 0},
    {"many levels", 31, 41, waves, -20, 120, 11, 0, 0, 0},
    {"logarithmic Z and legend", 27, 33, positiveWaves, 0.5, 40, 3, 1, 1, 0},
    {"reversed axes", 31, 41, waves, -20, 120, 3, 0, 0, 1},
    {"holes", 31, 41, holes, -20, 120, 3, 0, 0, 0},
    {"flat steps", 25, 25, flatSteps, 0, 150, 3, 0, 0, 0},
};

void setUp(test::GridView& g, const Grid& grid, int graphType, int floorMode, bool topView) {
    g.fill(grid.rows, grid.columns, -100, 100, -100, 100, grid.z);
    for (int a = 0; a < 2; ++a) g.scale(a, -100, 100, 50);
    g.scale(2, grid.zMin, grid.zMax, (grid.zMax - grid.zMin) / 4);
    g.scale(3, grid.zMin, grid.zMax, grid.levelIndex);
    g.view.settings.scaleLog[2] = grid.logZ;
    g.view.settings.scaleLog[3] = grid.logLegend;
    for (int a = 0; a < 3; ++a) g.view.settings.scaleReverse[a] = grid.reversed;
    g.view.settings.graphType = graphType;
    g.view.settings.xyContourMode = XyContourMode(floorMode);
    if (topView) g.topView();
}

// The reference (one primitive per polygon, in list 100), the batched list,
// and the batched walk drawn straight into the frame as kelvra-render does.
enum class Build { PlainList, BatchedList, BatchedStraight };

std::vector<unsigned char> picture(const Grid& grid, int graphType, int floorMode, bool topView, Build build) {
    setCellBatching(build != Build::PlainList);
    test::GridView g;
    setUp(g, grid, graphType, floorMode, topView);
    if (build == Build::BatchedStraight) {
        g.initGl();
        g.view.lists.deferListBuilds = true;
        g.view.resizeViewport(kSide, kSide);
        g.view.drawScene();
    } else {
        g.draw(kSide, kSide);
    }
    setCellBatching(true);
    return readAll();
}

TEST(CellBatch, SamePictureAsOnePrimitivePerPolygon) {
    GL_TEST_REQUIRE_CONTEXT(kSide, kSide);
    // Graph type and floor projection: fills, fill + wire, level lines, hidden
    // lines, fill + single lines; colour and grey floors with lines on them.
    const int kGraphs[][2] = {{0, 5}, {1, 0}, {4, 6}, {5, 1}, {8, 3}, {2, 4}};
    for (const Grid& grid : kGrids) {
        for (const auto& graph : kGraphs) {
            for (bool top : {false, true}) {
                auto plain = picture(grid, graph[0], graph[1], top, Build::PlainList);
                auto batched = picture(grid, graph[0], graph[1], top, Build::BatchedList);
                auto straight = picture(grid, graph[0], graph[1], top, Build::BatchedStraight);
                SCOPED_TRACE(std::string(grid.name) + ", graph type " + std::to_string(graph[0]) +
                             ", floor " + std::to_string(graph[1]) + (top ? ", top view" : ", 3-D"));
                Comparison c = compare(plain, batched);
                EXPECT_EQ(c.differing, 0);
                EXPECT_GT(c.drawn, kSide * kSide / 20);   // a picture, not an empty frame
                EXPECT_EQ(compare(plain, straight).differing, 0) << "drawn without list 100";
            }
        }
    }
}

TEST(CellBatch, DeferredListsDrawTheSamePictureAndPickTheSamePoints) {
    GL_TEST_REQUIRE_CONTEXT(kSide, kSide);
    const Grid& grid = kGrids[0];
    auto direct = picture(grid, 0, 5, false, Build::BatchedList);

    test::GridView g;
    setUp(g, grid, 0, 5, false);
    g.initGl();
    g.view.lists.deferListBuilds = true;
    g.view.applySettingsText("");   // a settings change: marks, does not build
    EXPECT_FALSE(g.view.lists.overlayListsBuilt);
    g.view.resizeViewport(kSide, kSide);
    g.view.drawScene();                   // overlay lists, and the graph straight
    EXPECT_TRUE(g.view.lists.overlayListsBuilt);
    EXPECT_FALSE(g.view.lists.graphListsBuilt);
    EXPECT_EQ(compare(direct, readAll()).differing, 0);

    // A pick finds the same targets before and after a rebuild.
    g.topView();
    g.view.buildDisplayLists();
    auto names = test::pickNames(g.view, kSide / 2.0, kSide / 2.0);
    EXPECT_FALSE(names.empty());
    g.view.buildDisplayLists();
    EXPECT_EQ(test::pickNames(g.view, kSide / 2.0, kSide / 2.0), names);
}

}  // namespace
}  // namespace kelvra
