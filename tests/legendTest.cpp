// The colour legend and the title: cells, boundary lines and value labels for short, long and
// logarithmic legends, the unit only when there is one, the cells' colours and places on screen,
// which legend (colour, grey or none) the graph choice shows, and where the title stands.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <tuple>

#include "base/headlessHost.h"
#include "view/kelvraView.h"
#include "render/levels.h"
#include "render/scaleFrame.h"
#include "support/drawInput.h"
#include "support/glFixture.h"

namespace kelvra {
namespace {

constexpr int kW = 775, kH = 550;

// A loaded grid view showing only the legend, anchored to the right at 100 %.
class Legend : public ::testing::Test {
protected:
    void SetUp() override {
        GL_TEST_REQUIRE_CONTEXT(kW, kH);
        view.lists.labelTrace = &labels;
        view.initGlState();
        view.data.dataLoaded = true;
        view.settings.axisShow = view.settings.scaleShow = 0;
        view.layoutAnchoredOverlays();
    }
    // Colour at the middle of cell i (1..n) of an n-level bar: its left edge 112.5 pixels left of the
    // window's right side, 20 wide, its bottom 175 pixels below the centre, 350 / n pixels per cell.
    test::Pixel cell(int i, int n) const { return test::pixelAt(kW - 102.5, kH / 2 - 175 + (i - 0.5) * 350 / n); }
    static test::Pixel bytes(const Rgb& c) { return {int(c.r * 255 + 0.5), int(c.g * 255 + 0.5), int(c.b * 255 + 0.5)}; }

    HeadlessHost host;
    CKelvraView view{host};
    std::vector<PlacedLabel> labels;
};

// The builder as list 150 runs it, read back in its own coordinates: cells, boundary lines (from
// the bar's right edge to just left of it, 20.1 pixels), the second label's height and every text.
TEST_F(Legend, CellsBoundariesAndLabelsForShortLongAndLogLegends) {
    const std::string every5 = "0.000 5.000 10.00 15.00 20.00 25.00 30.00 35.00 40.00 45.00 50.00 55.00 60.00 "
                               "65.00 70.00 75.00 80.00 85.00 90.00 95.00 100.0 ";
    struct Case {
        double levelIndex, min, max;
        int log;
        std::string unit, expected;
    } cases[] = {
        {3, 0, 100, 0, "", "20 cells, 21 lines, 675: " + every5},    // a line and a label at each boundary
        {4, 0, 100, 0, "", "40 cells, 0 lines, 675: " + every5},     // a label at every second boundary
        {11, 0, 100, 0, "", "480 cells, 0 lines, 675: " + every5},   // at every 24th
        {1, 1, 1000, 1, "", "5 cells, 6 lines, 3300: 1.000 3.981 15.85 63.10 251.2 1.000e+03 "},   // log
        {0, 0, 100, 0, "kPa", "2 cells, 3 lines, 8550: 0.000 50.00 100.0 kPa "},                  // the unit on top
    };
    view.resizeViewport(kW, kH);
    glTranslated(0, -1, 0);   // the bar, 1.75 high, into the window
    for (const Case& c : cases) {
        std::tie(view.settings.scaleStep[3], view.settings.scaleMin[3], view.settings.scaleMax[3], view.settings.scaleLog[3], view.settings.scaleUnit[3]) =
            std::tie(c.levelIndex, c.min, c.max, c.log, c.unit);
        BuildContext ctx = view.buildContext();
        labels.clear();
        std::set<long> heights;   // of the cells' corners, in hundredths of a pixel
        int lines = 0;
        for (const auto& p : test::captureFeedback([&] {
                 drawLegendBar(view.settings, view.textOut(), ctx.levels.levelCount, ctx.levels.levelStep, ctx.legendBandHeight, ctx.levels.colors);
             })) {
            if (p.kind == test::FeedbackPrimitive::Polygon)
                for (const auto& v : p.vertices) heights.insert(std::lround(v.y * 100));
            lines += p.kind == test::FeedbackPrimitive::Line && std::fabs(p.vertices[0].x - p.vertices[1].x - 20.1) < 0.01;
        }
        std::string got = std::to_string(heights.size() - 1) + " cells, " + std::to_string(lines) + " lines, " +
                          std::to_string(std::lround(labels[1].y * 1e4)) + ":";
        for (const auto& l : labels) got += " " + l.text;
        EXPECT_EQ(got + " ", c.expected);
    }
    EXPECT_TRUE(test::captureFeedback([&] { drawLegendBar(view.settings, view.textOut(), 0, 1.0, 0.1, nullptr); }).empty());   // no level count
}

// Cell k of 5 levels shows source colour 1, 6, 10, 14 or 20 of the colour or grey table, or white.
TEST_F(Legend, CellsShowTheColourOrGreyLevelsBottomUpOrNothingByTheGraphChoice) {
    view.settings.scaleStep[3] = 1;
    struct Case {
        int mode;
        DataKind kind;
        int valuesPerPoint, type, floor;
        const Rgb* source;   // the colour or grey table, or none for no legend
    } cases[] = {
        {0, Grid, 3, 0, 0, view.settings.legendColors},          // colour contour fill
        {0, Grid, 3, 2, 1, kGreyLevelSource},           // grey fill keeps its grey legend under a colour floor
        {0, Grid, 3, 15, 0, kGreyLevelSource},          // grey points
        {0, Grid, 3, 12, 0, nullptr},                   // wireframe has no legend
        {0, Grid, 3, 12, 3, view.settings.legendColors},         // wireframe over coloured floor lines
        {1, Grid, 3, 17, 6, kGreyLevelSource},          // shape over a grey floor, 2-D
        {0, Scattered, 3, 1, 0, kGreyLevelSource},      // grey scattered points
        {0, Scattered, 3, 2, 4, nullptr},               // black points over single-colour floor lines
        {0, Vectors, 6, 5, 0, view.settings.legendColors},       // vectors
        {2, Grid, 3, 3, 0, view.settings.legendColors},          // section points
        {2, Grid, 3, 2, 2, kGreyLevelSource},           // section wireframe over a grey floor
        {3, Grid, 4, 1, 0, view.settings.legendColors},          // section points with a data value
        {3, Grid, 4, 0, 0, nullptr},                    // section wireframe with a data value
        {0, PointValues, 4, 0, 0, view.settings.legendColors},   // points coloured by their data value
        {1, PointValues, 4, 1, 0, kGreyLevelSource},    // grey points, 2-D
        {0, PointValues, 4, 2, 5, view.settings.legendColors},   // a number past the list: nothing drawn, the floor's
    };
    for (const Case& c : cases) {
        std::tie(view.settings.displayMode, view.data.dataKind, view.data.valuesPerPoint, view.settings.graphType, view.settings.xyContourMode) =
            std::tuple(DisplayMode(c.mode), c.kind, c.valuesPerPoint, c.type, XyContourMode(c.floor));
        view.buildDisplayLists();
        view.paint(kW, kH);
        const int sources[] = {1, 6, 10, 14, 20};
        for (int k = 1; k <= 5; ++k)
            EXPECT_TRUE(test::near(cell(k, 5), c.source ? bytes(c.source[sources[k - 1]]) : test::Pixel{255, 255, 255}))
                << "mode " << c.mode << " kind " << c.kind << " type " << c.type << " floor " << c.floor << " cell " << k;
    }
    EXPECT_EQ(test::pixelAt(kW - 117, kH / 2), (test::Pixel{255, 255, 255}));   // just left of the bar
}

TEST_F(Legend, TitleStandsAtItsPositionPlusTheGraphOffset) {
    view.settings.titleText = "Title";
    view.settings.viewPosX = 10;
    view.settings.viewPosY = -20;
    view.buildDisplayLists();   // the legend's own labels are placed here, not by the paint
    labels.clear();
    view.paint(kW, kH);
    ASSERT_EQ(labels.size(), 1u);
    EXPECT_EQ(std::tuple(labels[0].role, labels[0].x, labels[0].y), std::tuple(int(RoleTitle), -40 * 0.005, 160 * 0.005));
}

}  // namespace
}  // namespace kelvra
