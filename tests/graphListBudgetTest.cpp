// A graph whose display list would pass the memory budget is not compiled:
// the window draws it straight from the data in every full frame, the same
// picture, with nothing said; the budget rule itself; a bar graph under an
// address-space limit (ulimit -v) draws and the program lives on.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "render/graphSteps.h"
#include "settings/graphTypes.h"
#include "support/glFixture.h"
#include "support/gridFixture.h"

namespace kelvra {
namespace {

constexpr int kSide = 300;

std::vector<unsigned char> readAll() {
    std::vector<unsigned char> pixels(std::size_t(kSide) * kSide * 4);
    glFinish();
    glReadPixels(0, 0, kSide, kSide, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

void bars(test::GridView& g, int side) {
    g.fill(side, side, -100, 100, -100, 100, [](double x, double y) { return 50 + 40 * std::sin(x / 30) * std::cos(y / 25); });
    for (int a = 0; a < 2; ++a) g.scale(a, -100, 100, 50);
    g.scale(2, 0, 100, 25);
    g.scale(3, 0, 100, 3);
    g.view.settings.graphType = GridBars;
    g.view.settings.xyContourMode = XyContourMode(5);
}

TEST(GraphListBudget, ABarGraphBeyondTheBudgetIsDrawnStraightAsTheListDrewIt) {
    GL_TEST_REQUIRE_CONTEXT(kSide, kSide);
    test::GridView listed;
    bars(listed, 40);
    listed.draw(kSide, kSide);
    EXPECT_FALSE(listed.view.lists.graphStraight);
    const auto fromList = readAll();

    setGraphListBudget(1000);   // bytes: far below what 1600 bars take
    test::GridView straight;
    bars(straight, 40);
    straight.draw(kSide, kSide);
    setGraphListBudget(0);
    EXPECT_TRUE(straight.view.lists.graphStraight);
    EXPECT_TRUE(straight.view.lists.graphListsBuilt);
    const auto drawn = readAll();
    EXPECT_TRUE(drawn == fromList);
    EXPECT_TRUE(straight.host.messages.empty());

    // A later build within the budget compiles the list again.
    straight.draw(kSide, kSide);
    EXPECT_FALSE(straight.view.lists.graphStraight);
    EXPECT_TRUE(readAll() == fromList);
}

TEST(GraphListBudget, BarsOf2000By2000GoStraightAndA300GridSurfaceIsListed) {
    test::GridView g;
    bars(g, 8);
    g.view.data.rowCount = g.view.data.columnCount = 2000;   // the counts alone; graphPoints checks what is held
    EXPECT_EQ(graphListBytes(g.view.settings, g.view.data), 0u);
    test::GridView big;
    big.fill(2000, 2000, 0, 1, 0, 1, [](double x, double y) { return x * y; });
    big.view.settings.graphType = GridBars;
    big.view.settings.xyContourMode = XyContourMode(0);
    EXPECT_GT(graphListBytes(big.view.settings, big.view.data), std::size_t(512) << 20);
    EXPECT_LE(graphListBudget(), std::size_t(512) << 20);
    test::GridView surface;
    surface.fill(300, 300, 0, 1, 0, 1, [](double x, double y) { return x * y; });
    surface.view.settings.graphType = 0;
    surface.view.settings.xyContourMode = XyContourMode(5);
    EXPECT_LT(graphListBytes(surface.view.settings, surface.view.data), std::size_t(512) << 20);
}

// Run in a process of its own, under a limit that leaves 280 MB: a list of
// 400 x 400 bars (about 130 MB in the driver) was compiled regardless, and
// the driver died inside the compile. Now the list is over the budget (a
// quarter of what is left) and a straight draw needs more room than is left:
// the graph is left out and the view says it ran out of memory. With room
// given back, the same view draws the bars.
void barsUnderALimit() {
    test::GridView warm;   // the driver's code for the first frame, before the limit
    bars(warm, 8);
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
    bars(g, 400);
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
