// The batched cell walk draws the same picture as one primitive per polygon:
// every pixel equal, over hand-made grids (plain, logarithmic, reversed, with
// holes, many levels) and the graph types and floor projections that walk the
// cells; rough cells a pixel wide, whose fill is banded from a texture when
// drawn straight, within a few pixels. Also: kelvra-render's one picture, drawn without list 100, is the
// picture the list draws, and the pick targets built on demand give the same
// hits; a graph whose display list would pass the memory budget is not
// compiled but drawn straight from the data in every full frame, the same
// picture, with nothing said; the budget rule itself.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "render/contourCells.h"
#include "render/graphSteps.h"
#include "settings/graphTypes.h"
#include "support/glFixture.h"
#include "support/gridFixture.h"
#include "support/handMadeData.h"

namespace kelvra {
namespace {

constexpr int kSide = 300;

std::vector<unsigned char> readAll() { return test::readFrame(kSide, kSide); }
using test::compareFrames;

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
double hills(double x, double y) { return 50 + 40 * std::sin(x / 30) * std::cos(y / 25); }

const Grid kGrids[] = {
    {"waves", 31, 41, waves, -20, 120, 3, 0, 0, 0},
    {"many levels", 31, 41, waves, -20, 120, 11, 0, 0, 0},
    {"logarithmic Z and legend", 27, 33, positiveWaves, 0.5, 40, 3, 1, 1, 0},
    {"reversed axes", 31, 41, waves, -20, 120, 3, 0, 0, 1},
    {"holes", 31, 41, holes, -20, 120, 3, 0, 0, 0},
    {"flat steps", 25, 25, flatSteps, 0, 150, 3, 0, 0, 0},
};
// 1600 bars (drawn with contour lines on the floor).
const Grid kBars = {"bars", 40, 40, hills, 0, 100, 3, 0, 0, 0};

void setUp(test::GridView& g, const Grid& grid, int graphType, int floorMode, bool topView) {
    g.square(grid.rows, grid.columns, grid.z, grid.zMin, grid.zMax, grid.levelIndex);
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
                test::FrameComparison c = compareFrames(plain, batched);
                EXPECT_EQ(c.differing, 0);
                EXPECT_GT(c.drawn, kSide * kSide / 20);   // a picture, not an empty frame
                EXPECT_EQ(compareFrames(plain, straight).differing, 0) << "drawn without list 100";
            }
        }
    }
}

// Z at random over 0.5..40 (a hash of the point): every cell crosses many
// levels. 240 x 240 puts the cells under a pixel in the frame.
double rough(double x, double y) {
    const double h = std::sin(x * 12.9898 + y * 78.233) * 43758.5453;
    return 0.5 + 39.5 * (h - std::floor(h));
}

TEST(CellBatch, RoughCellsUnderAPixelAreBandedInTheWalksColours) {
    GL_TEST_REQUIRE_CONTEXT(kSide, kSide);
    // Drawn straight, the fill of cells under a pixel that cross many levels
    // takes its bands from a texture. A pixel then shows whichever band of
    // its cell lies at its centre, and in a quad the bands bend at a diagonal
    // where the walk draws them straight: pixels change, the colours they
    // come to in all do not.
    const Grid linear = {"rough", 240, 240, rough, 0.5, 40, 3, 0, 0, 0};
    for (bool top : {false, true}) {
        SCOPED_TRACE(top ? "top view" : "3-D");
        auto plain = picture(linear, 0, 1, top, Build::PlainList);
        auto banded = picture(linear, 0, 1, top, Build::BatchedStraight);
        const test::FrameComparison c = compareFrames(plain, banded);
        EXPECT_GT(c.drawn, kSide * kSide / 5);
        EXPECT_LT(test::colourShift(plain, banded), c.drawn / 40);
        if (!top) {
            EXPECT_LT(c.differing, c.drawn / 40);   // the tall cells' bands are pixels apart
        }
    }
    // A log Z axis under a linear legend puts the crossings where the surface
    // reaches them, not linearly in the value: no texture gives those, and
    // the walk draws every pixel.
    const Grid logZ = {"rough on log Z", 240, 240, rough, 0.5, 40, 3, 1, 0, 0};
    EXPECT_EQ(compareFrames(picture(logZ, 0, 1, false, Build::PlainList),
                            picture(logZ, 0, 1, false, Build::BatchedStraight)).differing, 0);
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
    EXPECT_EQ(compareFrames(direct, readAll()).differing, 0);

    // A pick finds the same targets before and after a rebuild.
    g.topView();
    g.view.buildDisplayLists();
    auto names = test::pickNames(g.view, kSide / 2.0, kSide / 2.0);
    EXPECT_FALSE(names.empty());
    g.view.buildDisplayLists();
    EXPECT_EQ(test::pickNames(g.view, kSide / 2.0, kSide / 2.0), names);
}

TEST(GraphListBudget, ABarGraphBeyondTheBudgetIsDrawnStraightAsTheListDrewIt) {
    GL_TEST_REQUIRE_CONTEXT(kSide, kSide);
    test::GridView listed;
    setUp(listed, kBars, GridBars, 5, false);
    listed.draw(kSide, kSide);
    EXPECT_FALSE(listed.view.lists.graphStraight);
    const auto fromList = readAll();

    setGraphListBudget(1000);   // bytes: far below what 1600 bars take
    test::GridView straight;
    setUp(straight, kBars, GridBars, 5, false);
    straight.draw(kSide, kSide);
    setGraphListBudget(0);
    EXPECT_TRUE(straight.view.lists.graphStraight);
    EXPECT_TRUE(straight.view.lists.graphListsBuilt);
    EXPECT_TRUE(readAll() == fromList);
    EXPECT_TRUE(straight.host.messages.empty());

    // A later build within the budget compiles the list again.
    straight.draw(kSide, kSide);
    EXPECT_FALSE(straight.view.lists.graphStraight);
    EXPECT_TRUE(readAll() == fromList);
}

TEST(GraphListBudget, BarsOf2000By2000GoStraightAndA300GridSurfaceIsListed) {
    auto bytes = [](int side, int graphType, int floorMode) {
        test::GridView g;
        g.fill(side, side, 0, 1, 0, 1, [](double x, double y) { return x * y; });
        g.view.settings.graphType = graphType;
        g.view.settings.xyContourMode = XyContourMode(floorMode);
        return graphListBytes(g.view.settings, g.view.data);
    };
    EXPECT_GT(bytes(2000, GridBars, 0), std::size_t(512) << 20);
    EXPECT_LE(graphListBudget(), std::size_t(512) << 20);
    EXPECT_LT(bytes(300, 0, 5), std::size_t(512) << 20);
    // The counts alone: what is held is what counts.
    test::GridView g;
    setUp(g, kBars, GridBars, 5, false);
    g.view.data.rowCount = g.view.data.columnCount = 2000;
    EXPECT_EQ(graphListBytes(g.view.settings, g.view.data), 0u);
}

// Run in a process of its own, under a limit that leaves 280 MB: a list of
// 400 x 400 bars (about 130 MB in the driver) was compiled regardless, and
// the driver died inside the compile. Now the list is over the budget (a
// quarter of what is left) and a straight draw needs more room than is left:
// the graph is left out and the view says it ran out of memory. With room
// given back, the same view draws the bars.
void barsUnderALimit() {
    test::GridView warm;   // the driver's code for the first frame, before the limit
    setUp(warm, kBars, GridBars, 5, false);
    warm.draw(kSide, kSide);
    unsigned long long pages = 0;   // the process's size: the first field of statm
    if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%llu", &pages) != 1) pages = 0;
        std::fclose(f);
    }
    const auto limitTo = [&](std::size_t room) {
        rlimit limit{};
        getrlimit(RLIMIT_AS, &limit);
        limit.rlim_cur = pages * sysconf(_SC_PAGESIZE) + room;
        return setrlimit(RLIMIT_AS, &limit) == 0;
    };
    if (!limitTo(std::size_t(280) << 20)) std::_Exit(4);
    test::GridView g;
    setUp(g, {"400 x 400 bars", 400, 400, hills, 0, 100, 3, 0, 0, 0}, GridBars, 5, false);
    g.draw(kSide, kSide);
    if (!g.view.lists.graphStraight || g.host.messages.size() != 1) std::_Exit(5);
    if (!limitTo(std::size_t(2) << 30)) std::_Exit(4);
    g.view.drawScene();
    const auto pixels = readAll();
    const bool drawn = std::count(pixels.begin(), pixels.end(), 255) < long(pixels.size()) * 9 / 10;
    std::_Exit(drawn && glGetError() == GL_NO_ERROR ? 0 : 3);
}

#if !defined(__SANITIZE_ADDRESS__)   // AddressSanitizer's shadow memory needs the whole address space
TEST(GraphListBudget, BarsUnderAnAddressSpaceLimitAreDrawnAndTheProgramLivesOn) {
    GL_TEST_REQUIRE_CONTEXT(kSide, kSide);
    GTEST_FLAG_SET(death_test_style, "threadsafe");   // a fresh process: the driver's threads do not survive a fork
    EXPECT_EXIT(barsUnderALimit(), ::testing::ExitedWithCode(0), "");
}
#endif

}  // namespace
}  // namespace kelvra
