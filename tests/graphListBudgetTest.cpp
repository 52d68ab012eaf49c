// A graph whose display list would pass the memory budget is not compiled:
// the window draws it straight from the data in every full frame, the same
// picture, with nothing said; the budget rule itself.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
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

}  // namespace
}  // namespace kelvra
